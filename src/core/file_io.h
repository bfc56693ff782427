// Paths held as UTF-16 and whole-file reading with the standard library alone. Files are
// written by the platform writer (src/os), which keeps everything a file had.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace palimp {

// A path built from UTF-16, the form in which every file name of the program is held.
std::filesystem::path PathFromUtf16(std::u16string_view path);
// The path as UTF-16, for messages.
std::u16string PathToUtf16(const std::filesystem::path& path);

// Every byte of the file. Throws EFOpenError "Cannot open file <path>" when it is missing, a
// folder, or cannot be opened or read.
std::string ReadFileBytes(const std::filesystem::path& path);

}  // namespace palimp
