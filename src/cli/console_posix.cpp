// The process around palimp-replace on POSIX systems: streams are binary already, arguments
// are taken as the bytes they are, and the code page follows the locale.
#include "cli/console.h"

#include <langinfo.h>
#include <unistd.h>

#include <cerrno>
#include <clocale>
#include <cstdio>

namespace palimp::cli {

namespace {

std::error_code LastError() { return std::error_code(errno, std::generic_category()); }

std::error_code WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t put = write(fd, bytes.data(), bytes.size());
        if (put < 0) {
            if (errno == EINTR) continue;
            return LastError();
        }
        bytes.remove_prefix(static_cast<size_t>(put));
    }
    return {};
}

}  // namespace

void PrepareBinaryStdio() {}

std::error_code WriteStandardOutput(std::string_view bytes) { return WriteAll(STDOUT_FILENO, bytes); }

std::error_code WriteStandardError(std::string_view bytes) { return WriteAll(STDERR_FILENO, bytes); }

unsigned DefaultCodePage() {
    // The character set of the user's locale; the C library's own locale is put back, so that
    // nothing else in the program changes with it.
    const char* old = std::setlocale(LC_CTYPE, nullptr);
    const std::string saved = old ? old : "C";
    std::setlocale(LC_CTYPE, "");
    const char* charset = nl_langinfo(CODESET);
    const unsigned codePage = CodePageOfCharset(charset ? charset : "");
    std::setlocale(LC_CTYPE, saved.c_str());
    return codePage;
}

CodePageInfo CodePageNumbered(unsigned number) { return PortableCodePage(number); }

}  // namespace palimp::cli
