// The system's own text for an error code, and the fault injection shared by the platform
// files of this library.
#pragma once

#include <string>

#include "os/file_replace.h"

namespace palimp::os::detail {

// The text the system gives for an error code of the platform (errno, or a Win32 error code),
// as one line without a final period.
std::string SystemErrorText(int error);

// The error injected for the next call of step, which is cleared; 0 when none is.
int TakeFault(Step step) noexcept;

}  // namespace palimp::os::detail
