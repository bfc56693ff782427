// Framework code that stays within its layer.
#include "win/ui/window.h"
