// The process around palimp-replace: binary standard streams, the arguments as UTF-8 and the
// system's ANSI code page. One implementation per platform (console_posix.cpp, console_win.cpp).
#pragma once

#include <string>
#include <string_view>

#include "core/text_codec.h"

namespace palimp::cli {

// Puts standard input and output in binary mode, so that no byte is translated on the way.
void PrepareBinaryStdio();

// Reads standard input to its end into bytes; false on a read error.
bool ReadStandardInput(std::string& bytes);
// Writes all bytes to standard output and flushes it; false when that fails.
bool WriteStandardOutput(std::string_view bytes);
// Writes bytes to standard error (best effort: there is nowhere left to report a failure).
void WriteStandardError(std::string_view bytes);

// The system's ANSI code page, in which files without a mark are read. roundTrips tells
// whether every byte string survives decoding and encoding again unchanged (true for
// Windows-1252, where every byte has a character of its own).
const AnsiCodePage& SystemAnsiCodePage(bool& roundTrips);

}  // namespace palimp::cli
