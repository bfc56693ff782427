// The escapes of extended rows.
#include "core/escapes.h"

#include <algorithm>
#include <string>

namespace palimp {

namespace {

int HexValue(char16_t unit) {
    if (unit >= u'0' && unit <= u'9') return unit - u'0';
    if (unit >= u'a' && unit <= u'f') return unit - u'a' + 10;
    if (unit >= u'A' && unit <= u'F') return unit - u'A' + 10;
    return -1;
}

// The unit named by digits hex digits at text[at], or nothing when one of them is missing.
std::optional<char16_t> HexUnit(std::u16string_view text, std::size_t at, std::size_t digits) {
    if (text.size() - at < digits) return std::nullopt;
    unsigned value = 0;
    for (std::size_t i = 0; i < digits; ++i) {
        const int digit = HexValue(text[at + i]);
        if (digit < 0) return std::nullopt;
        value = value * 16 + static_cast<unsigned>(digit);
    }
    return static_cast<char16_t>(value);
}

}  // namespace

std::optional<std::u16string> ExpandEscapes(std::u16string_view text, EscapeError* error) {
    std::u16string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != u'\\') {
            out += text[i];
            continue;
        }
        const auto fail = [&](std::size_t length) -> std::optional<std::u16string> {
            if (error) *error = {i, std::min(length, text.size() - i)};
            return std::nullopt;
        };
        if (i + 1 == text.size()) return fail(1);
        std::optional<char16_t> unit;
        std::size_t length = 2;
        switch (text[i + 1]) {
            case u't': unit = u'\t'; break;
            case u'n': unit = u'\n'; break;
            case u'r': unit = u'\r'; break;
            case u'0': unit = u'\0'; break;
            case u'\\': unit = u'\\'; break;
            case u'x': length = 4; unit = HexUnit(text, i + 2, 2); break;
            case u'u': length = 6; unit = HexUnit(text, i + 2, 4); break;
            default: break;
        }
        if (!unit) return fail(length);
        out += *unit;
        i += length - 1;
    }
    return out;
}

std::u16string EscapeErrorText(std::u16string_view text, const EscapeError& error) {
    std::u16string message = u"\"";
    message += text.substr(error.offset, error.length);
    message += u"\" (character ";
    for (char c : std::to_string(error.offset + 1)) message += static_cast<char16_t>(c);
    message += u") is no escape; the escapes are \\t, \\n, \\r, \\0, \\\\, \\xHH and \\uXXXX";
    return message;
}

}  // namespace palimp
