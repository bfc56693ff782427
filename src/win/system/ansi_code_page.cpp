// CP_ACP conversions with MultiByteToWideChar and WideCharToMultiByte.
#include "win/system/ansi_code_page.h"

#include <windows.h>

#include <climits>

#include "core/errors.h"
#include "win/system/wide.h"

namespace palimp {

namespace {

int CheckedLength(size_t size) {
    if (size > static_cast<size_t>(INT_MAX)) throw Exception(u"Text too long for the code page conversion");
    return static_cast<int>(size);
}

}  // namespace

std::u16string WindowsAnsiCodePage::ToUtf16(std::string_view bytes) const {
    if (bytes.empty()) return {};
    int length = CheckedLength(bytes.size());
    int units = MultiByteToWideChar(CP_ACP, 0, bytes.data(), length, nullptr, 0);
    std::u16string text(static_cast<size_t>(units), u'\0');
    MultiByteToWideChar(CP_ACP, 0, bytes.data(), length, AsWide(text.data()), units);
    return text;
}

std::string WindowsAnsiCodePage::FromUtf16(std::u16string_view text, bool& lossless) const {
    lossless = true;
    if (text.empty()) return {};
    int length = CheckedLength(text.size());
    const wchar_t* wide = AsWide(text.data());
    // Best-fit replacements ("similar characters") are not reported as defaults, so loss is
    // detected with best fit switched off; the bytes themselves come from the plain conversion.
    BOOL usedDefault = FALSE;
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, length, nullptr, 0, nullptr, &usedDefault);
    lossless = !usedDefault;
    int size = WideCharToMultiByte(CP_ACP, 0, wide, length, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide, length, bytes.data(), size, nullptr, nullptr);
    return bytes;
}

const AnsiCodePage& SystemAnsiCodePage() {
    static const WindowsAnsiCodePage codePage;
    return codePage;
}

std::wstring ThroughAnsiCodePage(std::wstring_view text) {
    bool lossless = true;
    std::string bytes = SystemAnsiCodePage().FromUtf16(U16View(text), lossless);
    return ToWide(SystemAnsiCodePage().ToUtf16(bytes));
}

}  // namespace palimp
