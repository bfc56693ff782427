// Planted: the window framework naming a window. The build must refuse it.
#include "win/form_main.h"
