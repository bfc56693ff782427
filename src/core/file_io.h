// Whole-file reading and atomic whole-file writing, so that a failed save never destroys the
// file it was meant to replace.
#pragma once

#include <cstddef>
#include <filesystem>
#include <fstream>
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

// A file read a piece at a time, from the start, as often as asked; for files too large to
// hold whole.
class FileReader {
public:
    // Opens the file. Throws EFOpenError "Cannot open file <path>" when it is missing, a folder,
    // or cannot be opened.
    explicit FileReader(const std::filesystem::path& path);
    // Reads up to size bytes into buffer and returns how many; fewer than size only at the end.
    // Throws EFOpenError when reading fails.
    std::size_t Read(char* buffer, std::size_t size);
    // Back to the first byte. Throws EFOpenError when that fails.
    void Rewind();

private:
    std::filesystem::path path_;
    std::ifstream in_;
};

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
void StandardRename(const std::filesystem::path& from, const std::filesystem::path& to,
                    std::error_code& error);
// WriteFileAtomically with its last step given, so tests can watch it or make it fail.
void WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes,
                         RenameStep rename);
}  // namespace detail

// WriteFileAtomically with the bytes given a piece at a time, for results too large to hold
// whole: the pieces go to the temporary file, and the target changes only at Commit, all at
// once, with the same guarantees. Every failure throws EFCreateError "Cannot create file
// <path>" and leaves the target as it was and no temporary file.
class AtomicFileWriter {
public:
    // Checks the target and creates the temporary file beside it.
    explicit AtomicFileWriter(const std::filesystem::path& path,
                              detail::RenameStep rename = detail::StandardRename);
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;
    // Abandons what was written unless it was committed.
    ~AtomicFileWriter();

    // Appends bytes to the temporary file.
    void Write(std::string_view bytes);
    // Flushes and closes the temporary file and moves it over the target.
    void Commit();
    // Removes the temporary file; the target stays as it was. Idempotent.
    void Abandon() noexcept;

private:
    [[noreturn]] void Fail();

    std::filesystem::path path_;       // as given, for messages
    std::filesystem::path target_;     // what a symbolic link at path_ names
    std::filesystem::path temporary_;  // empty once committed or abandoned
    std::filesystem::perms permissions_ = std::filesystem::perms::unknown;  // of the replaced file
    std::ofstream out_;
    detail::RenameStep rename_;
};

}  // namespace palimp
