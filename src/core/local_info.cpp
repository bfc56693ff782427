// System facts: the record itself and the pure formatting the Win32 probes share, kept here so
// that it is tested natively.
#include "core/local_info.h"

namespace palimp {

TLocalInfo LocalInfo;

std::u16string IncludeTrailingChar(std::u16string_view text, char16_t ch) {
    std::u16string result(text);
    if (result.empty() || result.back() != ch) result += ch;
    return result;
}

std::u16string ExtractFolder(std::u16string_view path) {
    size_t last = path.find_last_of(u"\\:");
    if (last == std::u16string_view::npos) return {};
    return std::u16string(path.substr(0, last + 1));
}

std::string FormatWindowsVersion(uint32_t packed) {
    uint32_t major = packed & 0xFF;
    uint32_t minor = (packed >> 8) & 0xFF;
    uint32_t high = packed >> 16;
    // A set top bit marks the non-NT systems: Win32s (major below 4) kept a build number in the
    // other 15 bits of the high word, Windows 9x gave none there.
    uint32_t build = 0;
    if ((packed & 0x80000000u) == 0) {
        build = high;
    } else if (major < 4) {
        build = high & 0x7FFF;
    }
    return "Windows " + std::to_string(major) + "." + std::to_string(minor) + "." + std::to_string(build);
}

namespace {

void AppendHex4(std::u16string& out, uint32_t value) {
    static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
    for (int shift = 12; shift >= 0; shift -= 4) out += kDigits[(value >> shift) & 0xF];
}

}  // namespace

std::u16string StringFileInfoQuery(uint32_t translation, std::u16string_view key) {
    std::u16string query = u"\\StringFileInfo\\";
    AppendHex4(query, translation & 0xFFFF);  // language
    AppendHex4(query, translation >> 16);     // code page
    query += u'\\';
    query += key;
    return query;
}

std::u16string RegistryBytesToString(const unsigned char* data, size_t size) {
    std::u16string result;
    if (data == nullptr) return result;
    result.reserve(size / 2);
    for (size_t i = 0; i + 1 < size; i += 2) {
        auto unit = static_cast<char16_t>(data[i] | (data[i + 1] << 8));
        if (unit == 0) break;
        result += unit;
    }
    return result;
}

void FillLocalInfo(TLocalInfo& info, const LocalInfoSources& sources) {
    info = TLocalInfo{};
    std::u16string programPath = sources.programPath();
    info.ProgramFolder = IncludeTrailingChar(ExtractFolder(programPath), u'\\');
    // A registry failure here ends the gathering: the remaining facts keep their cleared values.
    info.DocumentsFolder = IncludeTrailingChar(sources.documentsFolder(), u'\\');
    std::string version = sources.windowsVersion();
    info.WindowsVersion.assign(version.begin(), version.end());  // ASCII digits and dots
    info.ProgramSize = sources.fileSize(programPath);
    info.ProgramVersion = sources.versionString(programPath, u"FileVersion");
}

}  // namespace palimp
