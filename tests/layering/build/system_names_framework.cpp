// Planted: a platform piece naming the framework. The build must refuse it.
#include "win/ui/window.h"
