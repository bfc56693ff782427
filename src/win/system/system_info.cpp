// The Win32 probes behind LocalInfo. Every fact that cannot be had falls back silently; only a
// documents-folder value of the wrong kind is reported, as the registry failure it is.
#include "win/system/system_info.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <vector>

#include "win/system/wide.h"

namespace palimp {

namespace {

const wchar_t* Wide(const std::u16string& text) { return AsWide(text.c_str()); }

const char kShellFoldersKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

class RegistryKey {
public:
    RegistryKey() = default;
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;
    ~RegistryKey() {
        if (key_ != nullptr) RegCloseKey(key_);
    }
    HKEY* Receive() { return &key_; }
    HKEY Get() const { return key_; }

private:
    HKEY key_ = nullptr;
};

bool IsStringType(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ; }

std::u16string QuotedName(const char16_t* prefix, std::u16string_view valueName) {
    std::u16string message = prefix;
    message += u'\'';
    message += valueName;
    message += u'\'';
    return message;
}

}  // namespace

std::u16string ReadRegistryString(HKEY root, const std::string& keyPath, std::u16string_view valueName) {
    RegistryKey key;
    // Read access only: asking for all access rights fails for a user who may read the key but
    // not write it, which would silently lose the value.
    if (RegOpenKeyExA(root, keyPath.c_str(), 0, KEY_READ, key.Receive()) != ERROR_SUCCESS) return {};

    const std::u16string name(valueName);
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExW(key.Get(), Wide(name), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return {};
    if (!IsStringType(type)) throw ERegistryException(QuotedName(u"Invalid data type for ", valueName));

    // The value may change between the two queries; a value that grew is asked for again.
    std::vector<unsigned char> data;
    for (int attempt = 0; attempt < 4; ++attempt) {
        data.assign(std::max<DWORD>(size, 2), 0);
        size = static_cast<DWORD>(data.size());
        LONG status = RegQueryValueExW(key.Get(), Wide(name), nullptr, &type, data.data(), &size);
        if (status == ERROR_MORE_DATA) continue;
        if (status != ERROR_SUCCESS) break;
        if (!IsStringType(type)) throw ERegistryException(QuotedName(u"Invalid data type for ", valueName));
        // The data need not end in NUL, and may even have an odd byte count.
        return RegistryBytesToString(data.data(), std::min<size_t>(size, data.size()));
    }
    throw ERegistryException(QuotedName(u"Failed to get data for ", valueName));
}

std::string GetWindowsVersionText() { return FormatWindowsVersion(GetVersion()); }

std::u16string ReadVersionString(const std::u16string& path, std::u16string_view key) {
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeW(Wide(path), &handle);
    if (size == 0) return {};
    std::vector<unsigned char> block(size, 0);
    if (!GetFileVersionInfoW(Wide(path), 0, size, block.data())) return {};

    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", &value, &length) || value == nullptr ||
        length < sizeof(uint32_t)) {
        return {};
    }
    uint32_t translation = 0;  // only the first entry counts
    std::memcpy(&translation, value, sizeof translation);

    const std::u16string query = StringFileInfoQuery(translation, key);
    value = nullptr;
    length = 0;
    if (!VerQueryValueW(block.data(), Wide(query), &value, &length) || value == nullptr) return {};

    // The value is NUL-terminated; the scan still stops at the end of the block, so a damaged
    // resource cannot make us read past it.
    const auto* first = static_cast<const unsigned char*>(value);
    const unsigned char* blockEnd = block.data() + block.size();
    if (first < block.data() || first >= blockEnd) return {};
    const size_t maxUnits = static_cast<size_t>(blockEnd - first) / 2;
    return RegistryBytesToString(first, maxUnits * 2);
}

std::u16string GetProgramPath() {
    // Paths may exceed MAX_PATH; a full buffer means the path was cut, so try a larger one.
    std::vector<wchar_t> buffer(MAX_PATH);
    while (buffer.size() <= 65536) {
        DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return {};
        if (length < buffer.size()) return ToU16(std::wstring_view(buffer.data(), length));
        buffer.resize(buffer.size() * 2);
    }
    return {};
}

int32_t GetFileSizeByListing(const std::u16string& path) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(Wide(path), &data);
    if (find == INVALID_HANDLE_VALUE) return 0;
    FindClose(find);
    const uint64_t size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    return static_cast<int32_t>(std::min<uint64_t>(size, INT32_MAX));
}

void ReadLocalInfo() {
    LocalInfoSources sources;
    sources.programPath = GetProgramPath;
    sources.documentsFolder = [] { return ReadRegistryString(HKEY_CURRENT_USER, kShellFoldersKey, u"Personal"); };
    sources.windowsVersion = GetWindowsVersionText;
    sources.fileSize = GetFileSizeByListing;
    sources.versionString = ReadVersionString;
    FillLocalInfo(LocalInfo, sources);
}

}  // namespace palimp
