// The Win32 probes behind `LocalInfo`: the program's path and size, the documents folder from
// the registry, the Windows version and the program's version information.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "core/errors.h"
#include "core/local_info.h"

namespace palimp {

// A registry value that exists but cannot be read as a string.
class ERegistryException : public Exception {
public:
    using Exception::Exception;
    const char* ClassName() const noexcept override { return "ERegistryException"; }
};

// Fills LocalInfo: ProgramFolder, DocumentsFolder (the "Personal" shell folder of the current
// user), WindowsVersion, ProgramSize and ProgramVersion, in that order. Throws
// ERegistryException when the "Personal" value is not a string or cannot be read; the facts
// after DocumentsFolder then stay cleared.
void ReadLocalInfo();

// The string value valueName of the key keyPath under root, as stored: REG_EXPAND_SZ is not
// expanded, the text ends at its first NUL. Empty when the key or the value does not exist.
// Throws ERegistryException "Invalid data type for '<valueName>'" for a value of another type
// and "Failed to get data for '<valueName>'" when its data cannot be read. Opens the key for
// reading only and never creates it.
std::u16string ReadRegistryString(HKEY root, const std::string& keyPath, std::u16string_view valueName);

// "Windows <major>.<minor>.<build>" of the running system, from GetVersion.
std::string GetWindowsVersionText();

// The string key ("FileVersion") of the first translation in the version information of the
// file at path; empty when the file has no version information, no translation, or no such
// string in that translation.
std::u16string ReadVersionString(const std::u16string& path, std::u16string_view key);

// Full path of the running program's file.
std::u16string GetProgramPath();

// Size in bytes of the file at path as the directory listing reports it; 0 when not found.
int32_t GetFileSizeByListing(const std::u16string& path);

}  // namespace palimp
