// The system's own text for an error code, and the fault injection shared by the platform
// files of this library.
#pragma once

#include <cstddef>
#include <string>

#include "os/file_replace.h"

namespace palimp::os::detail {

// The text the system gives for an error code of the platform (errno, or a Win32 error code),
// as one line without a final period.
std::string SystemErrorText(int error);

// A name of 20 ASCII bytes (".palimp-XXXXXXXX.tmp") that no file in a folder is likely to
// have, different for every call of the process, so that it fits in any folder where the
// target's own name fits.
std::string TemporaryName(unsigned long long process, int attempt);

// The error injected for the next call of step, which is cleared; 0 when none is. part, when
// given, receives how many bytes a failing write writes first.
int TakeFault(Step step, std::size_t* part = nullptr) noexcept;

}  // namespace palimp::os::detail
