// Planted: the window framework naming the application. The build must refuse it.
#include "win/app.h"
