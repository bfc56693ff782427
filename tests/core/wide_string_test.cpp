// The shared string helpers: positions, replace-all (also against its in-place definition),
// file names without extension, delimited fields and trimming.
#include "core/wide_string.h"

#include <random>
#include <string>

#include <gtest/gtest.h>

namespace palimp {
namespace {

TEST(PosCharAndPosText, SearchFromStartWithinTheText) {
    EXPECT_EQ(PosChar(u'b', u"abab", 1), 2);
    EXPECT_EQ(PosChar(u'b', u"abab", 3), 4);
    EXPECT_EQ(PosChar(u'b', u"abab", 5), 0);
    EXPECT_EQ(PosChar(u'a', u"abab", 0), 0);
    EXPECT_EQ(PosChar(u'a', u"", 1), 0);

    EXPECT_EQ(PosText(u"C", u"W,C", 1), 3);
    EXPECT_EQ(PosText(u"C", u"c,w", 1), 0);
    EXPECT_EQ(PosText(u"", u"abc", 1), 0);
    EXPECT_EQ(PosText(u"bc", u"abcb", 2), 2);
    EXPECT_EQ(PosText(u"bc", u"abcb", 3), 0);  // only runs that fit completely
    EXPECT_EQ(PosText(u"a", u"a", 2), 0);
    EXPECT_EQ(PosText(u"a", u"a", -5), 0);
}

TEST(ReplaceAllText, ReplacesLeftToRightWithoutRescanning) {
    const struct { std::u16string find, replace, source, expected; } cases[] = {
        {u" ", u"%20", u"a b  c", u"a%20b%20%20c"},
        {u"a", u"aa", u"aXa", u"aaXaa"},
        {u"aa", u"b", u"aaa", u"ba"},
        {u"ab", u"ab", u"abab", u"abab"},
        {u"", u"x", u"abc", u"abc"},
        {u"x", u"", u"xaxbx", u"ab"},
        {u"abc", u"z", u"ab", u"ab"},
        {u"a", u"b", u"", u""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ReplaceAllText(c.find, c.replace, c.source), c.expected);
    }
}

// The helper's definition, literally: delete and insert in place, resume behind the insert.
std::u16string ReplaceInPlace(const std::u16string& find, const std::u16string& replace,
                              std::u16string result) {
    if (find == replace) return result;
    int p = 1;
    for (int q; (q = PosText(find, result, p)) != 0;) {
        result.replace(static_cast<size_t>(q - 1), find.size(), replace);
        p = q + static_cast<int>(replace.size());
    }
    return result;
}

TEST(ReplaceAllText, AgreesWithInPlaceReplacementOnRandomTexts) {
    std::mt19937 random(7);
    auto pick = [&](int maxLength) {
        std::u16string s(std::uniform_int_distribution<int>(0, maxLength)(random), u'a');
        for (auto& ch : s) ch = u"ab "[random() % 3];
        return s;
    };
    for (int round = 0; round < 5000; ++round) {
        const std::u16string find = pick(3), replace = pick(3), source = pick(10);
        ASSERT_EQ(ReplaceAllText(find, replace, source), ReplaceInPlace(find, replace, source))
            << "round " << round;
    }
}

TEST(StripExtension, KeepsTheNameWithoutFolderAndLastExtension) {
    const struct { std::u16string path, expected; } cases[] = {
        {u"C:\\x\\list.old.palimp", u"list.old"}, {u"list", u"list"}, {u".palimp", u""},
        {u"C:list.palimp", u"list"},              {u"dir.d\\file", u"file"},
        {u"C:\\x.y\\", u""},                      {u"", u""},
    };
    for (const auto& c : cases) EXPECT_EQ(StripExtension(c.path), c.expected);
}

TEST(GetField, SplitsAtTheDelimiter) {
    const struct {
        int index;
        std::u16string text;
        char16_t delimiter;
        bool trim;
        std::u16string expected;
    } cases[] = {
        {0, u"a\tb\tc", u'\t', false, u"a"},  {1, u"a\tb\tc", u'\t', false, u"b"},
        {2, u"a\tb\tc", u'\t', false, u"c"},  {3, u"a\tb\tc", u'\t', false, u""},
        {1, u"a\t", u'\t', false, u""},       {0, u"", u'\t', false, u""},
        {1, u"a\t\tc", u'\t', false, u""},    {2, u"a\t\tc", u'\t', false, u"c"},
        {-1, u"a\tb", u'\t', false, u"a"},    {1, u"x, y ,z", u',', false, u" y "},
        {1, u"x, y ,z", u',', true, u"y"},    {0, u" \x01 a b\x7f ", u'\t', true, u"a b"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(GetField(c.index, c.text, c.delimiter, c.trim), c.expected)
            << "field " << c.index;
    }
}

TEST(TrimWide, RemovesWhiteAndControlUnitsAtBothEnds) {
    const struct { std::u16string text, expected; } cases[] = {
        {u"  a b  ", u"a b"},
        {u"\t\r\n\u3000a\u0085\u00A0", u"a"},
        {std::u16string(u"\x00\x1f" u"a\x7f\u009f", 5), u"a"},  // NUL included
        {u"\u200Ba\uFEFF", u"\u200Ba\uFEFF"},  // zero width space and BOM are kept
        {u" \t\u2028 ", u""},
        {u"", u""},
    };
    for (const auto& c : cases) EXPECT_EQ(TrimWide(c.text), c.expected);
}

}  // namespace
}  // namespace palimp
