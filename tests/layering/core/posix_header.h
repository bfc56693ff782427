// The planted violation: a POSIX header.
#pragma once

#include <unistd.h>
