// The planted violation: an operating-system header.
#include <windows.h>
