// Fuzzes the string helpers against their rules written out literally: ReplaceAllText as the
// delete-and-insert loop over PosText (which the one-pass build must equal, a replacement that
// contains what it replaces included), TrimWide unit by unit from both ends, and GetField, with
// and without trimming, by its splitting steps.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include <fuzzer/FuzzedDataProvider.h>

#include "core/char_classes.h"
#include "core/wide_string.h"

#include "fuzz_check.h"

namespace {

// Few units, so that find occurs often and overlaps itself; white and control units at the
// edges of the trimming rule (U+0085 is both, U+009F control only, U+00A0 white only, U+200B
// neither); the TAB of the field delimiter.
constexpr char16_t kUnits[] = {u'a', u'b', u'%', u' ', u'\t', u'\r', u'\n', 0x0000, 0x001F,
                               0x007F, 0x0085, 0x009F, 0x00A0, 0x2028, 0x3000, 0x200B, 0xFEFF};

std::u16string Units(FuzzedDataProvider& input, std::size_t most) {
    std::u16string s;
    for (std::size_t n = input.ConsumeIntegralInRange<std::size_t>(0, most); n > 0; --n) {
        s += input.ConsumeIntegralInRange(0, 7) == 0
                 ? input.ConsumeIntegral<char16_t>()
                 : kUnits[input.ConsumeIntegralInRange<std::size_t>(0, std::size(kUnits) - 1)];
    }
    return s;
}

std::u16string LiteralReplaceAll(std::u16string_view find, std::u16string_view replace,
                                 std::u16string_view source) {
    std::u16string result(source);
    if (find == replace) return result;
    int p = 1;
    for (;;) {
        const int q = palimp::PosText(find, result, p);
        if (q == 0) break;
        result.erase(static_cast<std::size_t>(q) - 1, find.size());
        result.insert(static_cast<std::size_t>(q) - 1, replace);
        p = q + static_cast<int>(replace.size());
    }
    return result;
}

int ReferencePosText(std::u16string_view sub, std::u16string_view text, int start) {
    if (start < 1 || static_cast<std::size_t>(start) > text.size() || sub.empty()) return 0;
    for (std::size_t p = static_cast<std::size_t>(start) - 1; p + sub.size() <= text.size(); ++p) {
        if (text.substr(p, sub.size()) == sub) return static_cast<int>(p + 1);
    }
    return 0;
}

bool Trimmed(char16_t u) { return palimp::IsWhiteChar(u) || palimp::IsControlChar(u); }

std::u16string ReferenceTrim(std::u16string_view text) {
    std::u16string s(text);
    while (!s.empty() && Trimmed(s.back())) s.pop_back();
    while (!s.empty() && Trimmed(s.front())) s.erase(0, 1);
    return s;
}

std::u16string ReferenceField(int index, std::u16string_view text, char16_t delimiter,
                              bool trim) {
    std::u16string field;
    int seen = 0;
    for (const char16_t u : text) {
        if (u == delimiter) {
            if (seen++ == index) break;
        } else if (seen == index) {
            field += u;
        }
    }
    if (seen < index) return u"";
    return trim ? ReferenceTrim(field) : field;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const std::u16string find = Units(input, 4);
    std::u16string replace = Units(input, 6);
    if (input.ConsumeBool()) replace += find;  // the replacement holds what it replaces
    const std::u16string source = Units(input, 400);

    FUZZ_CHECK(palimp::ReplaceAllText(find, replace, source) ==
               LiteralReplaceAll(find, replace, source));
    const int start = input.ConsumeIntegralInRange<int>(-1, static_cast<int>(source.size()) + 2);
    FUZZ_CHECK(palimp::PosText(find, source, start) == ReferencePosText(find, source, start));
    FUZZ_CHECK(palimp::TrimWide(source) == ReferenceTrim(source));
    const int index = input.ConsumeIntegralInRange(0, 6);
    const bool trim = input.ConsumeBool();
    FUZZ_CHECK(palimp::GetField(index, source, u'\t', trim) ==
               ReferenceField(index, source, u'\t', trim));
    return 0;
}
