// The process around palimp-replace: binary standard streams, the arguments as UTF-8 and the
// system's code pages. One implementation per platform (console_posix.cpp, console_win.cpp).
#pragma once

#include <string>
#include <string_view>
#include <system_error>

#include "cli/code_pages.h"

namespace palimp::cli {

// Puts standard input and output in binary mode, so that no byte is translated on the way.
void PrepareBinaryStdio();

// Writes all bytes to standard output; the system's error when that fails.
std::error_code WriteStandardOutput(std::string_view bytes);
// Writes all bytes to standard error; the system's error when that fails (messages ignore it:
// there is nowhere left to report it).
std::error_code WriteStandardError(std::string_view bytes);

// The code page of files without a mark when --ansi does not name one: the system's ANSI code
// page on Windows, as in the editor; elsewhere the one the locale's character set stands for.
unsigned DefaultCodePage();
// The code page of a number, with a null page when the system has none.
CodePageInfo CodePageNumbered(unsigned number);

}  // namespace palimp::cli
