// The planted violation: a header of the window framework.
#include "win/ui/window.h"
