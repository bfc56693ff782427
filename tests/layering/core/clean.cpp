// Core code that stays within its layer.
#include <cstdint>  // the standard library
#include <vector>

# include "core/errors.h"
