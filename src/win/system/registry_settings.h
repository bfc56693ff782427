// The kept settings in the registry, one value each under a key of HKEY_CURRENT_USER
// (Software\Palimp). Reading a missing key, a missing value or one of the wrong type answers
// nothing; a key that cannot be created or written (a read-only profile, a policy) is skipped
// without a word.
//
// Use:
//   RegistrySettingsStore store(L"Software\\Palimp");
//   Settings settings = ReadSettings(store);
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/settings.h"

namespace palimp {

inline constexpr wchar_t kSettingsKey[] = L"Software\\Palimp";

class RegistrySettingsStore final : public SettingsStore {
public:
    explicit RegistrySettingsStore(std::wstring key) : key_(std::move(key)) {}
    std::optional<std::u16string> ReadText(std::string_view name) const override;
    std::optional<std::uint32_t> ReadNumber(std::string_view name) const override;
    void WriteText(std::string_view name, std::u16string_view value) override;
    void WriteNumber(std::string_view name, std::uint32_t value) override;

private:
    std::wstring key_;
};

}  // namespace palimp
