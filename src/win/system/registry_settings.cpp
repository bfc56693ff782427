// The settings store over RegGetValueW and RegSetKeyValueW.
#include "win/system/registry_settings.h"

#include <windows.h>

#include <vector>

#include "win/system/wide.h"

namespace palimp {

namespace {

std::wstring NameOf(std::string_view name) { return std::wstring(name.begin(), name.end()); }

}  // namespace

std::optional<std::u16string> RegistrySettingsStore::ReadText(std::string_view name) const {
    const std::wstring value = NameOf(name);
    DWORD bytes = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, key_.c_str(), value.c_str(), RRF_RT_REG_SZ, nullptr, nullptr, &bytes) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    std::vector<wchar_t> text(bytes / sizeof(wchar_t) + 1, L'\0');
    bytes = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    if (RegGetValueW(HKEY_CURRENT_USER, key_.c_str(), value.c_str(), RRF_RT_REG_SZ, nullptr, text.data(), &bytes) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    return ToU16(std::wstring_view(text.data()));
}

std::optional<std::uint32_t> RegistrySettingsStore::ReadNumber(std::string_view name) const {
    DWORD number = 0;
    DWORD bytes = sizeof(number);
    if (RegGetValueW(HKEY_CURRENT_USER, key_.c_str(), NameOf(name).c_str(), RRF_RT_REG_DWORD, nullptr, &number,
                     &bytes) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    return number;
}

void RegistrySettingsStore::WriteText(std::string_view name, std::u16string_view value) {
    const std::wstring text = ToWide(value);
    RegSetKeyValueW(HKEY_CURRENT_USER, key_.c_str(), NameOf(name).c_str(), REG_SZ, text.c_str(),
                    static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

void RegistrySettingsStore::WriteNumber(std::string_view name, std::uint32_t value) {
    const DWORD number = value;
    RegSetKeyValueW(HKEY_CURRENT_USER, key_.c_str(), NameOf(name).c_str(), REG_DWORD, &number, sizeof(number));
}

}  // namespace palimp
