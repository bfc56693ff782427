// Behaviour of the matching primitives: folding and word corners, run comparison, match at one
// position, the four searches and the option-aware searches, with a naive reference for the
// searches on random texts.
#include "core/matching.h"

#include <climits>
#include <random>
#include <string>

#include <gtest/gtest.h>

namespace palimp {
namespace {

TEST(FoldCase, FollowsTheSimpleLowercaseOfUnicode31) {
    const struct { char16_t ch, folded; } cases[] = {
        {u'A', u'a'}, {u'Z', u'z'}, {u'@', u'@'}, {u'[', u'['}, {u'a', u'a'}, {u'0', u'0'},
        {0x0130, u'i'},    // capital I with dot
        {0x212A, u'k'},    // Kelvin sign
        {0x2126, 0x03C9},  // Ohm sign
        {0x212B, 0x00E5},  // Angstrom sign
        {0x03A3, 0x03C3}, {0x03C2, 0x03C2}, {0x03C3, 0x03C3},  // sigma; final sigma stays
        {0x0131, 0x0131}, {0x00DF, 0x00DF}, {0x00B5, 0x00B5}, {0x0178, 0x00FF}, {0x01C4, 0x01C6},
        {0x01C5, 0x01C6}, {0x1F88, 0x1F80}, {0x1FBC, 0x1FB3}, {0x1FFC, 0x1FF3},  // titlecase
        {0x2160, 0x2170}, {0x216F, 0x217F}, {0x24B6, 0x24D0}, {0x24CF, 0x24E9},
        {0x10A0, 0x10A0}, {0x10C5, 0x10C5},  // Georgian capitals have no lowercase in 3.1
        {0x0220, 0x0220}, {0x0500, 0x0500},  // cased only from 3.2
        {0x0410, 0x0430}, {0xFF21, 0xFF41}, {0xD800, 0xD800}, {0xFFFF, 0xFFFF},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(int{FoldCase(c.ch)}, int{c.folded}) << std::hex << "U+" << int{c.ch};
    }
}

TEST(IsWordChar, LettersOfUnicode32WithoutItsNewCasedLetters) {
    const struct { char16_t ch; bool word; } cases[] = {
        {u'a', true}, {u'Z', true}, {u'0', false}, {u'_', false}, {u'\'', false}, {u'-', false},
        {0x00AA, true}, {0x00B5, true}, {0x00D7, false}, {0x05D0, true}, {0x4E00, true},
        {0x9FA5, true}, {0x9FA6, false}, {0xAC00, true}, {0xD7A3, true}, {0x3041, true},
        {0x02B0, true}, {0x2160, true}, {0x3007, true}, {0x01C5, true}, {0x1F88, true},
        {0x0345, true}, {0xFB1E, true}, {0x05BA, false}, {0x0301, false}, {0x0660, false},
        {0x0220, false}, {0x0500, false}, {0x050F, false}, {0x2071, false}, {0x2149, false},
        {0xD800, false}, {0xDFFF, false}, {0xFFFF, false},
    };
    for (const auto& c : cases) EXPECT_EQ(IsWordChar(c.ch), c.word) << std::hex << int{c.ch};
}

TEST(IntHelpers, MaxMinSign) {
    EXPECT_EQ(IntMax(1, 2), 2);
    EXPECT_EQ(IntMax(2, 1), 2);
    EXPECT_EQ(IntMax(INT_MIN, -1), -1);
    EXPECT_EQ(IntMin(1, 2), 1);
    EXPECT_EQ(IntMin(2, -1), -1);
    EXPECT_EQ(IntSign(7), 1);
    EXPECT_EQ(IntSign(INT_MIN), -1);
    EXPECT_EQ(IntSign(0), 0);
}

TEST(SameChars, ComparesOnlyWithinBothStrings) {
    const struct { std::u16string a, b; int count; bool exact, noCase; } cases[] = {
        {u"abc", u"abd", 2, true, true},
        {u"abc", u"abd", 3, false, false},
        {u"abc", u"ABC", 3, false, true},
        {u"\u03A3", u"\u03C3", 1, false, true},
        {u"\u03A3", u"\u03C2", 1, false, false},
        {u"a", u"a", 0, false, false},
        {u"a", u"a", -1, false, false},
        {u"", u"", 1, false, false},
        {u"ab", u"abc", 3, false, false},  // a count past the shorter string
        {u"abc", u"ab", INT_MAX, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "count " << c.count);
        EXPECT_EQ(SameChars(c.a, c.b, c.count), c.exact);
        EXPECT_EQ(SameCharsNoCase(c.a, c.b, c.count), c.noCase);
    }
}

TEST(MatchAt, BoundsCaseAndWordBoundaries) {
    const struct {
        const char* name;
        std::u16string phrase;
        int phraseStart;
        std::u16string text;
        int textPos, count;
        bool caseSensitive, wholeWord, expected;
    } cases[] = {
        {"run inside phrase", u"nogAt", 3, u"+Ga-", 2, 2, false, true, true},
        {"text ends are boundaries", u"Gi", 1, u"Gi", 1, 2, true, true, true},
        {"prefix without word test", u"Gi", 1, u"Gin", 1, 2, true, false, true},
        {"letter after run", u"nogAt", 3, u"+Gat", 2, 2, false, true, false},
        {"letter before run", u"at", 1, u"cat", 2, 2, true, true, false},
        {"digit is a boundary", u"cat", 1, u"cat5", 1, 3, true, true, true},
        {"digit before", u"cat", 1, u"5cat", 2, 3, true, true, true},
        {"low line is a boundary", u"cat", 1, u"my_cat", 4, 3, true, true, true},
        {"U+0301 ends a word", u"cafe", 1, u"cafe\u0301", 1, 4, true, true, true},
        {"U+0345 continues one", u"cafe", 1, u"cafe\u0345", 1, 4, true, true, false},
        {"space as whole word", u" ", 1, u"1 2", 2, 1, true, true, true},
        {"space between letters", u" ", 1, u"a b", 2, 1, true, true, false},
        {"case differs", u"Gi", 1, u"gi", 1, 2, true, false, false},
        {"dotted capital I", u"i", 1, u"\u0130", 1, 1, false, false, true},
        {"dotless i", u"I", 1, u"\u0131", 1, 1, false, false, false},
        {"Kelvin sign", u"K", 1, u"\u212A", 1, 1, false, false, true},
        {"count 0", u"ab", 1, u"ab", 1, 0, true, false, false},
        {"run past phrase", u"ab", 2, u"abc", 2, 2, true, false, false},
        {"phraseStart 0", u"ab", 0, u"ab", 1, 1, true, false, false},
        {"phraseStart past end", u"ab", 3, u"ab", 1, 1, true, false, false},
        {"textPos 0", u"a", 1, u"a", 0, 1, true, false, false},
        {"textPos past end", u"a", 1, u"a", 2, 1, true, false, false},
        {"run past text", u"ab", 1, u"xa", 2, 2, true, false, false},
        {"huge count", u"ab", 1, u"ab", 1, INT_MAX, true, false, false},
        {"huge positions", u"ab", INT_MAX, u"ab", INT_MAX, 1, true, false, false},
        {"empty text", u"a", 1, u"", 1, 1, false, true, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(MatchAt(c.phrase, c.phraseStart, c.text, c.textPos, c.count, c.caseSensitive,
                          c.wholeWord),
                  c.expected)
            << c.name;
    }
}

TEST(PositionSearches, ForwardAndBackwardWithAndWithoutCase) {
    const struct {
        std::u16string phrase, text;
        int start, forward, forwardNoCase, backward, backwardNoCase;
    } cases[] = {
        {u"ab", u"abab", 1, 1, 1, 1, 1},
        {u"ab", u"abab", 2, 3, 3, 1, 1},
        {u"ab", u"abab", 4, 0, 0, 3, 3},  // backward start lowered to the last fit
        {u"ab", u"ab", 5, 0, 0, 0, 0},    // beyond the text: not clamped
        {u"ab", u"ab", 0, 0, 0, 0, 0},
        {u"AB", u"xabab", 1, 0, 2, 0, 0},
        {u"AB", u"xabab", 5, 0, 0, 0, 4},
        {u"", u"abc", 1, 0, 0, 0, 0},
        {u"abcd", u"abc", 1, 0, 0, 0, 0},
        {u"noga", u"stonoga", 2, 4, 4, 0, 0},
        {u"a", u"aaa", 2, 2, 2, 2, 2},
        {u"\u03C3", u"\u03A3a\u03C2", 1, 0, 1, 0, 1},
        {u"\u03C3", u"\u03A3a\u03C2", 3, 0, 0, 0, 1},
        {u"ik", u"x\u0130\u212A", 1, 0, 2, 0, 0},
        {u"\U0001F600", u"a\U0001F600b", 1, 2, 2, 0, 0},
        {u"a", u"ba", INT_MAX, 0, 0, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "start " << c.start << ", phrase length "
                                        << c.phrase.size() << ", text length " << c.text.size());
        EXPECT_EQ(PosForward(c.phrase, c.text, c.start), c.forward);
        EXPECT_EQ(PosForwardNoCase(c.phrase, c.text, c.start), c.forwardNoCase);
        EXPECT_EQ(PosBackward(c.phrase, c.text, c.start), c.backward);
        EXPECT_EQ(PosBackwardNoCase(c.phrase, c.text, c.start), c.backwardNoCase);
    }
}

TEST(FindPhrase, SkipsCandidatesThatAreNotWholeWords) {
    EXPECT_EQ(FindPhrase(u"Rok", u"ba-roK.i", false, true, 1), 4);
    EXPECT_EQ(FindPhraseBack(u"Rok", u"ba-roK.i", false, true, 8), 4);
    EXPECT_EQ(FindPhrase(u"Rok", u"ba-roK.i", true, true, 1), 0);
    EXPECT_EQ(FindPhrase(u"ab", u"abab", true, false, 3), 3);
    EXPECT_EQ(FindPhrase(u"ab", u"abab", true, false, 4), 0);
    EXPECT_EQ(FindPhrase(u"ab", u"xab abc", true, true, 1), 0);
    EXPECT_EQ(FindPhrase(u"ab", u"xab ab", true, true, 1), 5);
    EXPECT_EQ(FindPhraseBack(u"ab", u"ab xab ab", true, true, 9), 8);
    EXPECT_EQ(FindPhraseBack(u"ab", u"ab xab ab", true, true, 7), 1);
    EXPECT_EQ(FindPhraseBack(u"ab", u"abx", true, true, 3), 0);
    EXPECT_EQ(FindPhrase(u"", u"abc", false, true, 1), 0);
}

// Naive searches straight from the definitions, to hold the optimised ones against.
int NaiveForward(const std::u16string& phrase, const std::u16string& text, int start,
                 bool caseSensitive, bool wholeWord) {
    const int n = static_cast<int>(phrase.size());
    const int length = static_cast<int>(text.size());
    if (n == 0 || length < n || start < 1 || start > length) return 0;
    for (int p = start; p <= length - n + 1; ++p) {
        if (MatchAt(phrase, 1, text, p, n, caseSensitive, wholeWord)) return p;
    }
    return 0;
}

int NaiveBackward(const std::u16string& phrase, const std::u16string& text, int start,
                  bool caseSensitive, bool wholeWord) {
    const int n = static_cast<int>(phrase.size());
    const int length = static_cast<int>(text.size());
    if (n == 0 || length < n || start < 1 || start > length) return 0;
    for (int p = std::min(start, length - n + 1); p >= 1; --p) {
        if (MatchAt(phrase, 1, text, p, n, caseSensitive, wholeWord)) return p;
    }
    return 0;
}

TEST(PositionSearches, AgreeWithNaiveSearchOnRandomTexts) {
    const std::u16string alphabet = u"aAb \u03A3\u03C3\u03C2\u0130i-";
    std::mt19937 random(20240607);
    auto pick = [&](int maxLength) {
        std::u16string s(std::uniform_int_distribution<int>(0, maxLength)(random), u' ');
        for (auto& ch : s) ch = alphabet[random() % alphabet.size()];
        return s;
    };
    for (int round = 0; round < 20000; ++round) {
        const std::u16string phrase = pick(3), text = pick(12);
        const int start = std::uniform_int_distribution<int>(-1, 14)(random);
        const bool cs = random() & 1, ww = random() & 1;
        SCOPED_TRACE(testing::Message() << "round " << round);
        ASSERT_EQ(FindPhrase(phrase, text, cs, ww, start), NaiveForward(phrase, text, start, cs, ww));
        ASSERT_EQ(FindPhraseBack(phrase, text, cs, ww, start),
                  NaiveBackward(phrase, text, start, cs, ww));
    }
}

TEST(MatchingSelfTest, PassesOnTheseImplementations) { EXPECT_NO_THROW(MatchingSelfTest()); }

}  // namespace
}  // namespace palimp
