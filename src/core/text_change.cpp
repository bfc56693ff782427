// The single edit between two texts: common beginning and end, kept off pair boundaries.
#include "core/text_change.h"

#include <algorithm>

namespace palimp {

namespace {

// Whether a cut before position i of text would part a CR LF or a surrogate pair.
bool PartsPair(std::u16string_view text, size_t i) {
    if (i == 0 || i >= text.size()) return false;
    char16_t left = text[i - 1];
    char16_t right = text[i];
    bool crlf = left == u'\r' && right == u'\n';
    bool surrogates = left >= 0xD800 && left <= 0xDBFF && right >= 0xDC00 && right <= 0xDFFF;
    return crlf || surrogates;
}

}  // namespace

TextChange FindTextChange(std::u16string_view before, std::u16string_view after) {
    size_t shorter = std::min(before.size(), after.size());
    size_t prefix = 0;
    while (prefix < shorter && before[prefix] == after[prefix]) ++prefix;
    size_t suffix = 0;
    while (suffix < shorter - prefix && before[before.size() - 1 - suffix] == after[after.size() - 1 - suffix]) ++suffix;
    while (prefix > 0 && (PartsPair(before, prefix) || PartsPair(after, prefix))) --prefix;
    while (suffix > 0 && (PartsPair(before, before.size() - suffix) || PartsPair(after, after.size() - suffix))) --suffix;
    return {prefix, before.size() - suffix - prefix, after.size() - suffix - prefix};
}

}  // namespace palimp
