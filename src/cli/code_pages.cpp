// Code page names and the portable code pages.
#include "cli/code_pages.h"

#include <algorithm>
#include <cctype>

namespace palimp::cli {

namespace {

// Lower case, without the blanks, hyphens and low lines that spellings differ by.
std::string Squeezed(std::string_view name) {
    std::string out;
    for (char c : name) {
        if (c == '-' || c == '_' || c == ' ') continue;
        out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return out;
}

// UTF-8 read and written as an 8-bit code page: for table files without a mark.
class Utf8CodePage final : public AnsiCodePage {
public:
    std::u16string ToUtf16(std::string_view bytes) const override { return DecodeUtf8(bytes); }
    std::string FromUtf16(std::u16string_view text, bool& lossless) const override {
        EncodedText encoded = EncodeText(text, TextEncoding::kUtf8);
        lossless = encoded.lossless;
        return std::move(encoded.bytes);
    }
};

}  // namespace

unsigned CodePageNumber(std::string_view name) {
    const std::string key = Squeezed(name);
    if (key == "utf8") return kUtf8CodePage;
    if (key == "cp1252" || key == "windows1252") return kWindows1252;
    if (key.empty() || key.size() > 5 || !std::all_of(key.begin(), key.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return 0;
    }
    return static_cast<unsigned>(std::stoul(key));
}

unsigned CodePageOfCharset(std::string_view charset) {
    const std::string key = Squeezed(charset);
    if (key == "cp1252" || key == "windows1252" || key == "iso88591" || key == "latin1") return kWindows1252;
    return kUtf8CodePage;
}

std::string CodePageName(unsigned number) {
    return number == kUtf8CodePage ? "utf8" : std::to_string(number);
}

std::string CodePageTitle(unsigned number) {
    if (number == kUtf8CodePage) return "UTF-8";
    if (number == kWindows1252) return "Windows-1252";
    return "code page " + std::to_string(number);
}

CodePageInfo PortableCodePage(unsigned number) {
    static const Utf8CodePage utf8;
    if (number == kUtf8CodePage) return {&utf8, true, true};
    if (number == kWindows1252) return {&DefaultAnsiCodePage(), true, false};
    return {};
}

}  // namespace palimp::cli
