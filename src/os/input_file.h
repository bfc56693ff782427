// Reading files and standard input a piece at a time with the system's own reasons for every
// failure, and a scratch file for input that must be read twice but comes from a pipe.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "core/errors.h"
#include "os/file_replace.h"

namespace palimp::os {

// A file that could not be opened or read. Message() is "Cannot open file <path>"; Reason() is
// the system's text for its error code ("Input/output error", "Permission denied"), or
// "not a regular file".
class FileReadError : public EFOpenError {
public:
    FileReadError(const std::filesystem::path& path, std::string reason);
    const std::string& Reason() const noexcept { return reason_; }
    const char* ClassName() const noexcept override { return "EFOpenError"; }

private:
    std::string reason_;
};

enum class FileKind { kRegular, kDirectory, kPipe, kOther };

// A file or standard input, read from where it was when opened.
class InputFile {
public:
    // Opens path for reading (others may read it meanwhile, not write it on Windows). With
    // regularOnly, anything but a regular file is refused (FileReadError "not a regular file")
    // before a byte is read and without waiting for the writer of a FIFO; otherwise a FIFO
    // waits for its writer as usual. Throws FileReadError with the system's reason.
    explicit InputFile(const std::filesystem::path& path, bool regularOnly = false);
    // Standard input, left open when this is destroyed.
    static InputFile StandardInput();
    InputFile(InputFile&& other) noexcept;
    InputFile& operator=(InputFile&&) = delete;
    ~InputFile();

    FileKind Kind() const noexcept { return kind_; }
    // Whether Rewind works: a regular file (standard input redirected from one included).
    bool Rewindable() const noexcept { return kind_ == FileKind::kRegular; }
    // The file as opened; for a regular file, the stamp that FileReplacer checks.
    const FileStamp& Stamp() const noexcept { return stamp_; }
    // Bytes from the start of reading to the end, for a regular file.
    std::optional<std::uint64_t> Size() const;
    // Reads up to size bytes; fewer only at the end (a pipe is read until it fills the buffer
    // or ends). Throws FileReadError.
    std::size_t Read(char* buffer, std::size_t size);
    // Back to where reading began. Throws FileReadError when that fails.
    void Rewind();

private:
    InputFile() = default;

    std::filesystem::path path_;  // empty for standard input
    std::intptr_t handle_ = -1;   // a descriptor, or a HANDLE on Windows
    bool owned_ = true;
    FileKind kind_ = FileKind::kOther;
    FileStamp stamp_;
    std::uint64_t start_ = 0;  // offset where reading began
};

// An unnamed file in the system's temporary folder that vanishes when closed, whatever ends
// the process: room on disk, not in memory, for input that has to be read twice.
class ScratchFile {
public:
    // Throws FileWriteError naming the temporary folder with the system's reason.
    ScratchFile();
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;
    ~ScratchFile();

    void Write(std::string_view bytes);  // appends; throws FileWriteError
    void Rewind();                       // reading starts again at the first byte
    std::size_t Read(char* buffer, std::size_t size);  // throws FileReadError

private:
    std::filesystem::path folder_;  // for messages
    std::intptr_t handle_ = -1;
    std::uint64_t written_ = 0, read_ = 0;
};

}  // namespace palimp::os
