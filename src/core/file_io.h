// Whole-file reading and atomic whole-file writing, so that a failed save never destroys the
// file it was meant to replace.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

namespace palimp {

// A path built from UTF-16, the form in which every file name of the program is held.
std::filesystem::path PathFromUtf16(std::u16string_view path);
// The path as UTF-16, for messages.
std::u16string PathToUtf16(const std::filesystem::path& path);

// Every byte of the file. Throws EFOpenError "Cannot open file <path>" when it is missing, a
// folder, or cannot be opened or read.
std::string ReadFileBytes(const std::filesystem::path& path);

// Replaces the file at path by bytes, or creates it: the bytes go to a new temporary file in the
// same folder, which is flushed, closed and then renamed over path. On any failure the
// temporary file is removed, whatever was at path is left as it was, and EFCreateError "Cannot
// create file <path>" is thrown. Only a regular file that is not read-only is replaced; a
// folder or a device at path is a failure. A symbolic link at path is followed: the file it
// names is replaced and the link stays. A replaced file keeps its permissions.
void WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes);

namespace detail {
// The last step of WriteFileAtomically: moves the finished temporary file over the target.
using RenameStep = void (*)(const std::filesystem::path& from, const std::filesystem::path& to,
                            std::error_code& error);
// WriteFileAtomically with its last step given, so tests can watch it or make it fail.
void WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes,
                         RenameStep rename);
}  // namespace detail

}  // namespace palimp
