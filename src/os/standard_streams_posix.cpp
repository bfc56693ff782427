// Standard streams on POSIX systems: the same device and inode as the open descriptor.
#include <sys/stat.h>
#include <unistd.h>

#include "os/standard_streams.h"

namespace palimp::os {

int StandardStreamNamed(const std::filesystem::path& path) {
    struct stat named;
    if (stat(path.c_str(), &named) != 0) return 0;
    for (int stream : {STDOUT_FILENO, STDERR_FILENO}) {
        struct stat open;
        if (fstat(stream, &open) == 0 && open.st_dev == named.st_dev && open.st_ino == named.st_ino) return stream;
    }
    return 0;
}

}  // namespace palimp::os
