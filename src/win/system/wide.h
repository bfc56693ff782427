// Passing UTF-16 text between the core (char16_t) and Win32 (wchar_t). Both are 16-bit code
// units on Windows, so the casts below reinterpret buffers in place without copying.
#pragma once

#include <string>
#include <string_view>

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Win32 wide characters must be UTF-16 units");

namespace palimp {

inline const wchar_t* AsWide(const char16_t* text) { return reinterpret_cast<const wchar_t*>(text); }
inline wchar_t* AsWide(char16_t* text) { return reinterpret_cast<wchar_t*>(text); }
inline const char16_t* AsU16(const wchar_t* text) { return reinterpret_cast<const char16_t*>(text); }
inline char16_t* AsU16(wchar_t* text) { return reinterpret_cast<char16_t*>(text); }

inline std::wstring_view WideView(std::u16string_view text) { return {AsWide(text.data()), text.size()}; }
inline std::u16string_view U16View(std::wstring_view text) { return {AsU16(text.data()), text.size()}; }

inline std::wstring ToWide(std::u16string_view text) { return std::wstring(WideView(text)); }
inline std::u16string ToU16(std::wstring_view text) { return std::u16string(U16View(text)); }

}  // namespace palimp
