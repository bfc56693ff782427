// What the POSIX files of this library share.
#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "os/file_replace.h"

namespace palimp::os {

inline FileStamp StampOf(const struct stat& status) {
    FileStamp stamp;
    stamp.device = static_cast<std::uint64_t>(status.st_dev);
    stamp.file = static_cast<std::uint64_t>(status.st_ino);
    stamp.size = static_cast<std::uint64_t>(status.st_size);
    stamp.modified = static_cast<std::int64_t>(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec;
    stamp.changed = static_cast<std::int64_t>(status.st_ctim.tv_sec) * 1000000000 + status.st_ctim.tv_nsec;
    return stamp;
}

// fd, moved above the standard streams when it took the place of one the process was started
// without: a file of ours opened as descriptor 1 would receive what is meant for standard
// output. Returns -1 with errno set when no other descriptor is free (fd is then closed).
inline int AboveStandardStreams(int fd) {
    if (fd < 0 || fd > STDERR_FILENO) return fd;
    const int moved = fcntl(fd, F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
    const int error = errno;
    close(fd);
    errno = error;
    return moved;
}

}  // namespace palimp::os
