// Whether a path names one of the process's own standard streams, however it is spelled, so
// that output meant for it goes to the stream instead of replacing what the stream leads to.
#pragma once

#include <filesystem>

namespace palimp::os {

// 1 when path leads to the very file, pipe or terminal that standard output is open on
// (/dev/stdout, /proc/self/fd/1, or the file's own name when output is redirected to it), 2
// for standard error, 0 for neither or when the stream is closed.
int StandardStreamNamed(const std::filesystem::path& path);

}  // namespace palimp::os
