// The generated Unicode tables: their sizes, and that the fast fold lookup gives what the case
// tables say, rule by rule. Also the sizes of the character classes.
#include "core/unicode_tables.h"

#include <algorithm>
#include <iterator>
#include <string_view>

#include <gtest/gtest.h>

#include "core/char_classes.h"
#include "core/matching.h"

namespace palimp {
namespace {

template <typename Test>
int CountUnits(Test test) {
    int n = 0;
    for (unsigned c = 0; c <= 0xFFFF; ++c) n += test(static_cast<char16_t>(c)) ? 1 : 0;
    return n;
}

TEST(UnicodeTables, CaseTableHoldsTheCasedLettersOfUnicode31) {
    const auto begin = std::begin(CaseTable), end = std::end(CaseTable);
    EXPECT_EQ(std::distance(begin, end), 1492);
    EXPECT_EQ(std::count_if(begin, end, [](auto& e) { return e.kind == kCaseUpper; }), 687);
    EXPECT_EQ(std::count_if(begin, end, [](auto& e) { return e.kind == kCaseLower; }), 805);
    EXPECT_EQ(std::count_if(begin, end, [](auto& e) { return e.partner == kNoPartner; }), 208);
    EXPECT_TRUE(std::adjacent_find(begin, end, [](auto& a, auto& b) {
                    return a.code >= b.code;
                }) == end) << "not strictly sorted";
    EXPECT_EQ(std::size(TitlecaseTable), 31u);
    for (char16_t c : std::u16string_view(u"\u00AA\u00DF\u0138\u0250\u10A0\u10C5")) {
        auto e = std::lower_bound(begin, end, c, [](auto& x, char16_t v) { return x.code < v; });
        ASSERT_TRUE(e != end && e->code == c) << std::hex << int{c};
        EXPECT_EQ(e->partner, kNoPartner) << std::hex << int{c};
    }
}

// FoldCase by its rules, with binary search over the case tables.
char16_t FoldByRules(char16_t ch) {
    if (ch < 0x80) return ch >= u'A' && ch <= u'Z' ? static_cast<char16_t>(ch + 0x20) : ch;
    auto e = std::lower_bound(std::begin(CaseTable), std::end(CaseTable), ch,
                              [](const CaseEntry& x, char16_t v) { return x.code < v; });
    if (e != std::end(CaseTable) && e->code == ch) {
        return e->kind == kCaseLower || e->partner == kNoPartner ? ch : e->partner;
    }
    for (const auto& t : TitlecaseTable) {
        if (t.code == ch) return t.lower;
    }
    if (ch >= 0x2160 && ch <= 0x216F) return static_cast<char16_t>(ch + 0x10);
    if (ch >= 0x24B6 && ch <= 0x24CF) return static_cast<char16_t>(ch + 0x1A);
    return ch;
}

TEST(UnicodeTables, FastFoldEqualsTheRulesOverTheCaseTables) {
    for (unsigned c = 0; c <= 0xFFFF; ++c) {
        const auto ch = static_cast<char16_t>(c);
        ASSERT_EQ(int{FoldCase(ch)}, int{FoldByRules(ch)}) << std::hex << "U+" << c;
    }
    for (const auto& e : CaseTable) EXPECT_TRUE(IsWordChar(e.code)) << std::hex << int{e.code};
    for (const auto& t : TitlecaseTable) EXPECT_TRUE(IsWordChar(t.code)) << std::hex << int{t.code};
}

TEST(UnicodeTables, ClassSizes) {
    EXPECT_EQ(CountUnits(IsWordChar), 46014);
    EXPECT_EQ(CountUnits(IsPunctuationChar), 298);
    EXPECT_EQ(CountUnits(IsWhiteChar), 24);
    EXPECT_EQ(CountUnits(IsDecimalDigitChar), 200);
    EXPECT_EQ(CountUnits(IsAsciiChar), 128);
    EXPECT_EQ(CountUnits(IsControlChar), 65);
}

}  // namespace
}  // namespace palimp
