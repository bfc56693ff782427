// The process around palimp-replace on POSIX systems: streams are binary already, arguments
// are taken as the bytes they are, and Windows-1252 stands in for the ANSI code page.
#include "cli/console.h"

#include <cerrno>
#include <cstdio>
#include <unistd.h>

namespace palimp::cli {

void PrepareBinaryStdio() {}

bool ReadStandardInput(std::string& bytes) {
    bytes.clear();
    char buffer[1 << 16];
    for (;;) {
        ssize_t got = read(STDIN_FILENO, buffer, sizeof buffer);
        if (got > 0) {
            bytes.append(buffer, static_cast<size_t>(got));
        } else if (got == 0) {
            return true;
        } else if (errno != EINTR) {
            return false;
        }
    }
}

namespace {

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t put = write(fd, bytes.data(), bytes.size());
        if (put < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes.remove_prefix(static_cast<size_t>(put));
    }
    return true;
}

}  // namespace

bool WriteStandardOutput(std::string_view bytes) { return WriteAll(STDOUT_FILENO, bytes); }

void WriteStandardError(std::string_view bytes) { WriteAll(STDERR_FILENO, bytes); }

const AnsiCodePage& SystemAnsiCodePage(bool& roundTrips) {
    roundTrips = true;
    return DefaultAnsiCodePage();
}

}  // namespace palimp::cli
