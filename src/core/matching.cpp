// The matching primitives: folding and word tests over the generated Unicode tables, run
// comparisons, match at one position, and the forward and backward searches built on them.
#include "core/matching.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/errors.h"
#include "core/unicode_lookup.h"

namespace palimp {

namespace {

// n units at a and b, compared exactly or after folding; the callers checked the bounds.
inline bool EqualRun(const char16_t* a, const char16_t* b, std::size_t n) {
    // Phrases are short and most positions differ at the first unit: a plain loop beats a
    // call to memcmp here.
    for (std::size_t i = 0; i < n; ++i) {
        if (a[i] != b[i]) return false;
    }
    return true;
}

inline bool EqualRunNoCase(const char16_t* a, const char16_t* b, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) {
        // Most units are equal as they stand; fold only where they differ.
        if (a[i] != b[i] && FoldUnit(a[i]) != FoldUnit(b[i])) return false;
    }
    return true;
}

// The four conditions under which every search gives 0 at once. Lengths are compared as
// sizes, so neither a huge start nor a huge text can overflow an int.
inline bool SearchOutOfRange(std::u16string_view phrase, std::u16string_view text, int start) {
    return phrase.empty() || text.size() < phrase.size() || start < 1 ||
           static_cast<std::size_t>(start) > text.size();
}

// Forward scan with folding: the first unit is compared folded before the rest of the run.
int ScanForwardNoCase(std::u16string_view phrase, std::u16string_view text, std::size_t from) {
    const char16_t first = FoldUnit(phrase[0]);
    const std::size_t rest = phrase.size() - 1;
    const std::size_t last = text.size() - phrase.size();  // last 0-based start that fits
    const char16_t* t = text.data();
    for (std::size_t p = from; p <= last; ++p) {
        if (FoldUnit(t[p]) == first && EqualRunNoCase(t + p + 1, phrase.data() + 1, rest)) {
            return static_cast<int>(p + 1);
        }
    }
    return 0;
}

int ScanBackwardNoCase(std::u16string_view phrase, std::u16string_view text, std::size_t from) {
    const char16_t first = FoldUnit(phrase[0]);
    const std::size_t rest = phrase.size() - 1;
    const char16_t* t = text.data();
    for (std::size_t p = from + 1; p-- > 0;) {
        if (FoldUnit(t[p]) == first && EqualRunNoCase(t + p + 1, phrase.data() + 1, rest)) {
            return static_cast<int>(p + 1);
        }
    }
    return 0;
}

// 0-based index of the last start a backward search may try: the given start, lowered to the
// last position at which the whole phrase fits.
inline std::size_t BackwardFrom(std::u16string_view phrase, std::u16string_view text, int start) {
    return std::min(static_cast<std::size_t>(start) - 1, text.size() - phrase.size());
}

}  // namespace

char16_t FoldCase(char16_t ch) { return FoldUnit(ch); }

bool IsWordChar(char16_t ch) { return IsWordUnit(ch); }

int IntMax(int a, int b) { return b >= a ? b : a; }

int IntMin(int a, int b) { return b <= a ? b : a; }

int IntSign(int a) { return a > 0 ? 1 : (a < 0 ? -1 : 0); }

bool SameChars(std::u16string_view a, std::u16string_view b, int count) {
    if (count < 1) return false;
    const auto n = static_cast<std::size_t>(count);
    // An empty string is shorter than any count, so this covers the empty cases too.
    if (a.size() < n || b.size() < n) return false;
    return EqualRun(a.data(), b.data(), n);
}

bool SameCharsNoCase(std::u16string_view a, std::u16string_view b, int count) {
    if (count < 1) return false;
    const auto n = static_cast<std::size_t>(count);
    if (a.size() < n || b.size() < n) return false;
    return EqualRunNoCase(a.data(), b.data(), n);
}

bool MatchAt(std::u16string_view phrase, int phraseStart, std::u16string_view text, int textPos,
             int count, bool caseSensitive, bool wholeWord) {
    // The replace pass calls this for every position and candidate pair, so the cheap bound
    // checks come first (in size_t, where no sum can overflow). The run is compared before the
    // neighbours are tested: the result is the same, and most positions fail at their first
    // unit, which is cheaper than two word lookups; that unit is tested here, inline.
    if (count < 1 || phraseStart < 1 || textPos < 1) return false;
    const auto n = static_cast<std::size_t>(count);
    const auto ps = static_cast<std::size_t>(phraseStart) - 1;
    const auto tp = static_cast<std::size_t>(textPos) - 1;
    if (ps >= phrase.size() || n > phrase.size() - ps) return false;
    if (tp >= text.size() || n > text.size() - tp) return false;

    const char16_t* t = text.data() + tp;
    const char16_t* p = phrase.data() + ps;
    if (caseSensitive ? p[0] != t[0] : FoldUnit(p[0]) != FoldUnit(t[0])) return false;
    if (!(caseSensitive ? EqualRun(p + 1, t + 1, n - 1) : EqualRunNoCase(p + 1, t + 1, n - 1))) {
        return false;
    }
    if (wholeWord) {
        if (tp > 0 && IsWordUnit(t[-1])) return false;
        if (tp + n < text.size() && IsWordUnit(t[n])) return false;
    }
    return true;
}

int PosForward(std::u16string_view phrase, std::u16string_view text, int start) {
    if (SearchOutOfRange(phrase, text, start)) return 0;
    const std::size_t found = text.find(phrase, static_cast<std::size_t>(start) - 1);
    return found == std::u16string_view::npos ? 0 : static_cast<int>(found + 1);
}

int PosForwardNoCase(std::u16string_view phrase, std::u16string_view text, int start) {
    if (SearchOutOfRange(phrase, text, start)) return 0;
    return ScanForwardNoCase(phrase, text, static_cast<std::size_t>(start) - 1);
}

int PosBackward(std::u16string_view phrase, std::u16string_view text, int start) {
    if (SearchOutOfRange(phrase, text, start)) return 0;
    const std::size_t found = text.rfind(phrase, BackwardFrom(phrase, text, start));
    return found == std::u16string_view::npos ? 0 : static_cast<int>(found + 1);
}

int PosBackwardNoCase(std::u16string_view phrase, std::u16string_view text, int start) {
    if (SearchOutOfRange(phrase, text, start)) return 0;
    return ScanBackwardNoCase(phrase, text, BackwardFrom(phrase, text, start));
}

int FindPhrase(std::u16string_view phrase, std::u16string_view text, bool caseSensitive,
               bool wholeWord, int start) {
    const int length = static_cast<int>(phrase.size());
    for (;;) {
        const int d = caseSensitive ? PosForward(phrase, text, start)
                                    : PosForwardNoCase(phrase, text, start);
        if (d == 0 || !wholeWord) return d;
        if (MatchAt(phrase, 1, text, d, length, caseSensitive, true)) return d;
        // A candidate with a letter beside it: go on from the next position.
        start = d + 1;
    }
}

int FindPhraseBack(std::u16string_view phrase, std::u16string_view text, bool caseSensitive,
                   bool wholeWord, int start) {
    const int length = static_cast<int>(phrase.size());
    for (;;) {
        const int d = caseSensitive ? PosBackward(phrase, text, start)
                                    : PosBackwardNoCase(phrase, text, start);
        if (d == 0 || !wholeWord) return d;
        if (MatchAt(phrase, 1, text, d, length, caseSensitive, true)) return d;
        start = d - 1;
    }
}

void MatchingSelfTest() {
    // Each check carries its fixed line number of units\uuFunctions; the first failure throws.
    const auto check = [](bool ok, int line) { Check(ok, unit::kUuFunctions, line); };
    check(IntMax(1, 2) == 2, 51);
    check(IntMin(1, 2) == 1, 52);
    check(PosForward(u"", u"", 1) == 0, 53);
    check(PosForward(u"a", u"", 1) == 0, 54);
    check(PosForward(u"", u"a", 1) == 0, 55);
    check(PosForward(u"a", u"a", 1) == 1, 56);
    check(PosForward(u"noga", u"stonoga", 2) == 4, 57);
    check(MatchAt(u"nogAt", 3, u"+Ga-", 2, 2, false, true), 58);
    check(MatchAt(u"Gi", 1, u"Gi", 1, 2, true, true), 59);
    check(MatchAt(u"Gi", 1, u"Gin", 1, 2, true, false), 60);
    check(!MatchAt(u"nogAt", 3, u"+Gat", 2, 2, false, true), 61);
    check(FindPhrase(u"Rok", u"ba-roK.i", false, true, 1) == 4, 62);
    check(FindPhraseBack(u"Rok", u"ba-roK.i", false, true, 8) == 4, 63);
}

}  // namespace palimp
