// Reading and writing the editor's files with the sharing rules of a text editor: others may
// read a file while we read it, and a failed save leaves the old file exactly as it was.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/errors.h"
#include "os/file_replace.h"

namespace palimp {

// A document file that cannot be read. Reason() says why in one sentence without the file's
// name: the system's own text for its error ("The system cannot find the file specified"), or
// the reader's refusal.
class DocumentReadError : public EFOpenError {
public:
    DocumentReadError(std::u16string message, std::u16string reason)
        : EFOpenError(std::move(message)), reason_(std::move(reason)) {}
    const std::u16string& Reason() const noexcept { return reason_; }

private:
    std::u16string reason_;
};

// Every byte of the file; others may read it meanwhile but not write it. With stamp, the
// stamp of the file as read (taken while it is held, so no writer comes between). Throws
// DocumentReadError when it is missing, a folder, locked, unreadable or too large.
std::string ReadFileShared(const std::wstring& path, os::FileStamp* stamp = nullptr);

// The stamp of the file path leads to now; nullopt when there is none or it cannot be opened.
std::optional<os::FileStamp> FileStampOf(const std::wstring& path);

// Replaces the file at path by bytes (or creates it) with os::FileReplacer: a temporary file
// beside it, private and held exclusively, flushed, then put in place by ReplaceFileW, which
// keeps the file's attributes, ACL and streams; a symbolic link is followed and stays. A file
// with several names (hard links) is rewritten in place, the new content saved beside it first.
// Throws EFCreateError (os::FileWriteError) when path is a folder, read-only, in use by another
// program, changed by one during the save, or anything fails; the file at path is then
// untouched and no temporary file is left. With expected, the file must still have that stamp
// when it is replaced (os::ReplaceOptions::expected), or nothing is written.
void WriteFileReplacing(const std::wstring& path, std::string_view bytes,
                        std::optional<os::FileStamp> expected = std::nullopt);

// Writes bytes to a new file "<stem> <date> <time>.txt" in folder (made when missing, with its
// parents) and returns its path; a number is added when the name is taken. Throws what
// WriteFileReplacing throws, or EFCreateError when the folder cannot be made.
std::wstring WriteRecoveryFile(const std::wstring& folder, const std::wstring& stem, std::string_view bytes);

// Where recovery files go: "Palimp\Recovered\" in the user's local application data folder,
// ending in "\"; empty when the system does not tell that folder.
std::wstring DefaultRecoveryFolder();

// Whether path names an existing file (not a folder).
bool FileExists(const std::wstring& path);

}  // namespace palimp
