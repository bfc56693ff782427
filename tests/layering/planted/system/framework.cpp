// The planted violation: a platform piece reaching up to the framework.
#include "win/ui/window.h"
