// Reading and writing the editor's files with the sharing rules of a text editor: others may
// read a file while we read it, and a failed save leaves the old file exactly as it was.
#pragma once

#include <string>
#include <string_view>

#include "core/errors.h"

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

// Every byte of the file; others may read it meanwhile but not write it. Throws
// DocumentReadError when it is missing, a folder, locked, unreadable or too large.
std::string ReadFileShared(const std::wstring& path);

// Replaces the file at path by bytes (or creates it) with os::FileReplacer: a temporary file
// beside it, private and held exclusively, flushed, then put in place by ReplaceFileW, which
// keeps the file's attributes, ACL and streams; a symbolic link is followed and stays. A file
// with several names (hard links) is rewritten in place, the new content saved beside it first.
// Throws EFCreateError (os::FileWriteError) when path is a folder, read-only, in use by another
// program, changed by one during the save, or anything fails; the file at path is then
// untouched and no temporary file is left.
void WriteFileReplacing(const std::wstring& path, std::string_view bytes);

// Whether path names an existing file (not a folder).
bool FileExists(const std::wstring& path);

}  // namespace palimp
