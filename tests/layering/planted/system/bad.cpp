// The planted violation: a platform piece reaching up to a window.
#include "win/form_x.h"
