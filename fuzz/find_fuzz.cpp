// Fuzzes the searches of the find panel and the "Search for" commands against their rules
// written out position by position: MatchAt, the four plain searches, FindPhrase and
// FindPhraseBack with every option, and FindSpecialChar with every kind, on starts inside,
// before and beyond the text. The fast paths (folding only where units differ, the library's
// find, the lowered backward start) must give the same positions and read nothing outside.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include <fuzzer/FuzzedDataProvider.h>

#include "core/char_classes.h"
#include "core/errors.h"
#include "core/matching.h"

#include "fuzz_check.h"

namespace {

using palimp::FoldCase;
using palimp::IsWordChar;

// Units whose folding, word class or character class is a corner: both cases and the fold-only
// equivalents (Kelvin, capital I with dot, sigmas), word and non-word units, digits of other
// scripts, punctuation, the white units around line ends, surrogate halves.
constexpr char16_t kUnits[] = {
    u'a',   u'A',   u'b',   u'B',   u'k',   u'K',   0x212A, u'i',   u'I',   0x0130, 0x0131,
    0x03A3, 0x03C3, 0x03C2, u' ',   u'\t',  u'\r',  u'\n',  0x00A0, 0x2028, 0x200B, u'1',
    0x0660, 0x2075, 0x00B2, u'_',   u'-',   u',',   u'$',   0x0301, 0x05B0, 0x4E00, 0xD83D,
    0xDE00, 0x00E9, 0x00C9, 0x0085, 0x007F, 0x0000,
};

std::u16string Units(FuzzedDataProvider& input, std::size_t most) {
    std::u16string s;
    for (std::size_t n = input.ConsumeIntegralInRange<std::size_t>(0, most); n > 0; --n) {
        s += input.ConsumeBool() ? kUnits[input.ConsumeIntegralInRange<std::size_t>(
                                       0, std::size(kUnits) - 1)]
                                 : input.ConsumeIntegral<char16_t>();
    }
    return s;
}

// count units of phrase from ps and of text from tp (both 0-based, in range) are equal.
bool SameRun(std::u16string_view phrase, std::size_t ps, std::u16string_view text, std::size_t tp,
             std::size_t count, bool caseSensitive) {
    for (std::size_t k = 0; k < count; ++k) {
        const char16_t a = phrase[ps + k], b = text[tp + k];
        if (caseSensitive ? a != b : FoldCase(a) != FoldCase(b)) return false;
    }
    return true;
}

bool ReferenceMatchAt(std::u16string_view phrase, long long phraseStart, std::u16string_view text,
                      long long textPos, long long count, bool caseSensitive, bool wholeWord) {
    const auto phraseLength = static_cast<long long>(phrase.size());
    const auto textLength = static_cast<long long>(text.size());
    if (count < 1 || phraseStart < 1 || phraseStart > phraseLength ||
        phraseStart + count - 1 > phraseLength) {
        return false;
    }
    if (textPos < 1 || textPos > textLength || textPos + count - 1 > textLength) return false;
    if (wholeWord) {
        if (textPos > 1 && IsWordChar(text[textPos - 2])) return false;
        if (textPos + count - 1 < textLength && IsWordChar(text[textPos + count - 1])) return false;
    }
    return SameRun(phrase, phraseStart - 1, text, textPos - 1, count, caseSensitive);
}

// The first (forward) or last (backward) position from start, in the search's direction, where
// the whole phrase occurs and, with wholeWord, passes the word test; the backward start is first
// lowered to the last position where the phrase fits. 0 for the out-of-range arguments.
int ReferenceFind(std::u16string_view phrase, std::u16string_view text, bool caseSensitive,
                  bool wholeWord, int start, bool backward) {
    const auto n = static_cast<long long>(text.size());
    const auto m = static_cast<long long>(phrase.size());
    if (m == 0 || n < m || start < 1 || start > n) return 0;
    const auto occurs = [&](long long p) {
        return SameRun(phrase, 0, text, static_cast<std::size_t>(p - 1),
                       static_cast<std::size_t>(m), caseSensitive) &&
               (!wholeWord || ReferenceMatchAt(phrase, 1, text, p, m, caseSensitive, true));
    };
    if (backward) {
        for (long long p = std::min<long long>(start, n - m + 1); p >= 1; --p) {
            if (occurs(p)) return static_cast<int>(p);
        }
    } else {
        for (long long p = start; p <= n - m + 1; ++p) {
            if (occurs(p)) return static_cast<int>(p);
        }
    }
    return 0;
}

bool PassesKind(int kind, char16_t c) {
    const bool white = palimp::IsWhiteChar(c);
    switch (kind) {
    case 1: return !palimp::IsAsciiChar(c);
    case 2: return !white && !IsWordChar(c);
    case 3: return !white && !palimp::IsDecimalDigitChar(c);
    case 4: return !white && !palimp::IsDecimalDigitChar(c) && !IsWordChar(c);
    case 5: return palimp::IsPunctuationChar(c);
    default: return false;
    }
}

// FindSpecialChar's steps as they read, kind 6's line-end rules included; kinds outside 1..6
// give -1 here (the function must fail its check then).
int ReferenceSpecial(int kind, std::u16string_view text, int start, int& selLength) {
    selLength = 1;
    const auto n = static_cast<long long>(text.size());
    if (start < 1 || start > n) return 0;
    if (kind < 1 || kind > 6) return -1;
    for (long long p = start; p <= n; ++p) {
        const char16_t c = text[p - 1];
        if (kind != 6) {
            if (PassesKind(kind, c)) return static_cast<int>(p);
            continue;
        }
        if (!palimp::IsWhiteChar(c)) continue;
        if (c == u'\r' || c == u'\n') selLength = 0;
        if (c != u'\n' || p == 1 || text[p - 2] != u'\r') return static_cast<int>(p);
    }
    return 0;
}

// A start near the text: before it, on it, or beyond it, and now and then an extreme.
int StartFor(FuzzedDataProvider& input, std::size_t length) {
    if (input.ConsumeIntegralInRange(0, 15) == 0) return input.ConsumeIntegral<int>();
    return input.ConsumeIntegralInRange<int>(-2, static_cast<int>(length) + 3);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const bool caseSensitive = input.ConsumeBool();
    const bool wholeWord = input.ConsumeBool();
    // A phrase cut from the text, with a unit or its case changed now and then, finds
    // something far more often than one of random units.
    std::u16string text = Units(input, 300);
    std::u16string phrase;
    if (!text.empty() && input.ConsumeBool()) {
        const auto at = input.ConsumeIntegralInRange<std::size_t>(0, text.size() - 1);
        phrase = text.substr(at, input.ConsumeIntegralInRange<std::size_t>(1, 12));
        if (!phrase.empty() && input.ConsumeBool()) {
            const auto k = input.ConsumeIntegralInRange<std::size_t>(0, phrase.size() - 1);
            char16_t& unit = phrase[k];
            unit = unit == FoldCase(unit) ? kUnits[input.ConsumeIntegralInRange<std::size_t>(
                                                0, std::size(kUnits) - 1)]
                                          : FoldCase(unit);
        }
    } else {
        phrase = Units(input, 6);
    }

    for (int round = 0; round < 4 && input.remaining_bytes() > 0; ++round) {
        const int start = StartFor(input, text.size());
        FUZZ_CHECK(palimp::FindPhrase(phrase, text, caseSensitive, wholeWord, start) ==
                   ReferenceFind(phrase, text, caseSensitive, wholeWord, start, false));
        FUZZ_CHECK(palimp::FindPhraseBack(phrase, text, caseSensitive, wholeWord, start) ==
                   ReferenceFind(phrase, text, caseSensitive, wholeWord, start, true));
        FUZZ_CHECK(palimp::PosForward(phrase, text, start) ==
                   ReferenceFind(phrase, text, true, false, start, false));
        FUZZ_CHECK(palimp::PosForwardNoCase(phrase, text, start) ==
                   ReferenceFind(phrase, text, false, false, start, false));
        FUZZ_CHECK(palimp::PosBackward(phrase, text, start) ==
                   ReferenceFind(phrase, text, true, false, start, true));
        FUZZ_CHECK(palimp::PosBackwardNoCase(phrase, text, start) ==
                   ReferenceFind(phrase, text, false, false, start, true));

        const int phraseStart = StartFor(input, phrase.size());
        const int count = StartFor(input, phrase.size());
        FUZZ_CHECK(palimp::MatchAt(phrase, phraseStart, text, start, count, caseSensitive,
                                   wholeWord) ==
                   ReferenceMatchAt(phrase, phraseStart, text, start, count, caseSensitive,
                                    wholeWord));

        const int kind = input.ConsumeIntegralInRange(-1, 8);
        int selLength = -5, expectedSelLength = -5;
        const int expected = ReferenceSpecial(kind, text, start, expectedSelLength);
        try {
            FUZZ_CHECK(palimp::FindSpecialChar(kind, text, start, selLength) == expected);
            FUZZ_CHECK(selLength == expectedSelLength);
        } catch (const palimp::EAssertionFailed&) {
            FUZZ_CHECK(expected == -1);
        }
    }
    return 0;
}
