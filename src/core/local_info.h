// The facts about the program and the machine gathered once at start-up (`LocalInfo`), and the
// portable pieces of gathering them; the Win32 probes that feed them live in win/system_info.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace palimp {

struct TLocalInfo {
    int32_t ProgramSize = 0;        // size of the program file in bytes, 0 when unknown
    std::u16string ProgramFolder;   // folder of the program file, ending in '\'
    std::u16string DocumentsFolder; // the user's documents folder, ending in '\'; "\" when unknown
    std::u16string WindowsVersion;  // "Windows 6.1.7601"
    std::u16string ProgramVersion;  // "FileVersion" of the program's version information, or empty
};

// Written once by ReadLocalInfo at start-up, only read afterwards.
extern TLocalInfo LocalInfo;

// text with ch appended unless it already ends with ch; an empty text gives ch alone.
std::u16string IncludeTrailingChar(std::u16string_view text, char16_t ch);

// The folder part of path: everything up to and including its last '\' or ':'; empty when it
// has neither.
std::u16string ExtractFolder(std::u16string_view path);

// "Windows <major>.<minor>.<build>" from the packed value of GetVersion: major in the low byte,
// minor in the next; the build is the high word when the top bit is clear, the high word
// without its top bit when the top bit is set and major < 4, otherwise 0.
std::string FormatWindowsVersion(uint32_t packed);

// The version-information query of one string in the table of one translation entry (language
// in the low word, code page in the high word): "\StringFileInfo\040904E4\FileVersion".
std::u16string StringFileInfoQuery(uint32_t translation, std::u16string_view key);

// A string value as the registry hands it over: UTF-16 LE bytes, possibly of odd length,
// possibly without a terminating NUL. Gives the units up to the first NUL, ignoring a stray
// last byte.
std::u16string RegistryBytesToString(const unsigned char* data, size_t size);

// Where the facts come from. Each source answers with its fallback value (empty text, 0) when
// the fact cannot be had; documentsFolder may throw, which ends the gathering.
struct LocalInfoSources {
    std::function<std::u16string()> programPath;
    std::function<std::u16string()> documentsFolder;
    std::function<std::string()> windowsVersion;
    std::function<int32_t(const std::u16string& path)> fileSize;
    std::function<std::u16string(const std::u16string& path, std::u16string_view key)> versionString;
};

// Clears info, then fills ProgramFolder, DocumentsFolder, WindowsVersion, ProgramSize and
// ProgramVersion in that order. When documentsFolder throws, the exception propagates and the
// later fields stay cleared.
void FillLocalInfo(TLocalInfo& info, const LocalInfoSources& sources);

}  // namespace palimp
