// The single edit between two texts, with which the editor replays its last edit after a word
// wrap change: it must turn before into after exactly and never cut a CR LF or surrogate pair.
#include "core/text_change.h"

#include <random>
#include <string>

#include <gtest/gtest.h>

namespace palimp {
namespace {

std::u16string Apply(std::u16string_view before, std::u16string_view after, const TextChange& change) {
    std::u16string result(before);
    result.replace(change.start, change.removed, after.substr(change.start, change.inserted));
    return result;
}

TEST(FindTextChange, TheShortestRunBetweenTheCommonBeginningAndEnd) {
    const struct {
        const char* name;
        std::u16string before, after;
        TextChange expected;
    } rows[] = {
        {"equal texts", u"same", u"same", {4, 0, 0}},
        {"both empty", u"", u"", {0, 0, 0}},
        {"typed into an empty text", u"", u"abc", {0, 0, 3}},
        {"everything deleted", u"abc", u"", {0, 3, 0}},
        {"typed at the start", u"bc", u"abc", {0, 0, 1}},
        {"typed at the end", u"ab", u"abc", {2, 0, 1}},
        {"a word replaced", u"a cat sat", u"a dog sat", {2, 3, 3}},
        {"a selection deleted", u"one two three", u"one three", {5, 4, 0}},  // "wo t" goes
        {"a repeated unit is inserted at the end of its run", u"aa", u"aaa", {2, 0, 1}},
        {"a whole text replaced", u"abc", u"xyz", {0, 3, 3}},
        {"a line inserted", u"a\r\nb", u"a\r\nc\r\nb", {3, 0, 3}},
        // Regressions: a run starting or ending between CR and LF cannot be selected in the
        // editor, which would then replay the edit in the wrong place.
        {"the CR of a line end kept", u"x\r\ny", u"x\ry", {1, 2, 1}},
        {"a line end became two", u"a\r\nb", u"a\r\r\nb", {1, 2, 3}},
        {"the LF of a line end kept", u"x\r\ny", u"x\ny", {1, 2, 1}},
        {"a character beyond U+FFFF replaced", u"a\xD83D\xDE00z", u"a\xD83D\xDE01z", {1, 2, 2}},
        {"a low surrogate shared at the end", u"\xD83C\xDE00", u"\xD83D\xDE00", {0, 2, 2}},
    };
    for (const auto& row : rows) {
        TextChange change = FindTextChange(row.before, row.after);
        EXPECT_EQ(change, row.expected) << row.name << ": got " << change.start << ", " << change.removed << ", "
                                        << change.inserted;
        EXPECT_EQ(Apply(row.before, row.after, change), row.after) << row.name;
    }
}

TEST(FindTextChange, TurnsRandomTextsIntoEachOtherWithoutPartingPairs) {
    std::mt19937 random(13);
    const std::u16string alphabet = u"ab\r\n\xD83D\xDE00";
    auto pick = [&] {
        std::u16string s(std::uniform_int_distribution<size_t>(0, 8)(random), u'a');
        for (char16_t& unit : s) unit = alphabet[std::uniform_int_distribution<size_t>(0, alphabet.size() - 1)(random)];
        return s;
    };
    auto partsPair = [](const std::u16string& text, size_t i) {
        if (i == 0 || i >= text.size()) return false;
        return (text[i - 1] == u'\r' && text[i] == u'\n') ||
               (text[i - 1] >= 0xD800 && text[i - 1] <= 0xDBFF && text[i] >= 0xDC00 && text[i] <= 0xDFFF);
    };
    for (int round = 0; round < 5000; ++round) {
        std::u16string before = pick();
        std::u16string after = pick();
        TextChange change = FindTextChange(before, after);
        ASSERT_EQ(Apply(before, after, change), after) << round;
        ASSERT_FALSE(partsPair(before, change.start) || partsPair(before, change.start + change.removed)) << round;
        ASSERT_FALSE(partsPair(after, change.start) || partsPair(after, change.start + change.inserted)) << round;
    }
}

}  // namespace
}  // namespace palimp
