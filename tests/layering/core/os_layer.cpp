// The planted violation: a header of the operating-system layer.
#include "os/file_replace.h"
