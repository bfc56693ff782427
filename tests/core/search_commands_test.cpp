// The searches of the main window as a user steps through them: each row starts from a
// selection and presses the command once; the expected selection and beep follow.
#include "core/search_commands.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/char_classes.h"
#include "core/errors.h"

namespace palimp {
namespace {

struct Step {
    int start, length;  // the selection the command leaves (0-based start)
    bool beep;
};

// Runs command repeatedly from the selection (start, length) and compares every step.
template <typename Command>
void ExpectSteps(const char* what, Command command, int start, int length, const std::vector<Step>& steps) {
    SCOPED_TRACE(what);
    for (size_t i = 0; i < steps.size(); ++i) {
        SearchOutcome outcome = command(start, length);
        EXPECT_EQ(outcome.beep, steps[i].beep) << "step " << i;
        if (outcome.Found()) {
            start = outcome.start;
            length = outcome.length;
        }
        EXPECT_EQ(start, steps[i].start) << "step " << i;
        EXPECT_EQ(length, steps[i].length) << "step " << i;
    }
}

TEST(FindNextAndBack, StepThroughOccurrencesAndWrapWithOneBeep) {
    struct Row {
        const char* what;
        std::u16string text, phrase;
        bool back, caseSensitive, wholeWord;
        int start, length;
        std::vector<Step> steps;
    };
    const std::vector<Row> rows = {
        {"overlapping hits one after the other", u"aaaa", u"aa", false, false, false, 0, 0,
         {{0, 2, false}, {1, 2, false}, {2, 2, false}, {0, 2, true}}},
        {"back from the last pair", u"aaaa", u"aa", true, false, false, 2, 2,
         {{1, 2, false}, {0, 2, false}, {2, 2, true}}},
        {"caret at the very end wraps at once", u"xa ya", u"a", false, false, false, 5, 0, {{1, 1, true}}},
        {"whole words skip the word inside another", u"concat cat", u"cat", false, false, true, 0, 0,
         {{7, 3, false}, {7, 3, true}}},
        {"case sensitive keeps to the letters", u"Cat cat", u"cat", false, true, false, 0, 0, {{4, 3, false}}},
        {"ignoring case finds both", u"Cat cat", u"CAT", false, false, false, 0, 0, {{0, 3, false}, {4, 3, false}}},
        {"a phrase that does not occur: beep, selection kept", u"abc", u"x", false, false, false, 1, 1,
         {{1, 1, true}}},
        {"back misses too", u"abc", u"x", true, false, false, 1, 1, {{1, 1, true}}},
        {"an empty phrase only beeps", u"abc", u"", false, false, false, 0, 0, {{0, 0, true}}},
        {"empty document", u"", u"a", true, false, false, 0, 0, {{0, 0, true}}},
    };
    for (const Row& row : rows) {
        auto command = [&row](int start, int length) {
            return row.back ? FindBackOutcome(row.phrase, row.text, row.caseSensitive, row.wholeWord, start, length)
                            : FindNextOutcome(row.phrase, row.text, row.caseSensitive, row.wholeWord, start, length);
        };
        ExpectSteps(row.what, command, row.start, row.length, row.steps);
    }
}

TEST(SpecialSearch, SelectsCharactersPlacesTheCaretAtLineEndsAndMovesOn) {
    struct Row {
        const char* what;
        int kind;
        std::u16string text;
        int start, length;
        std::vector<Step> steps;
    };
    const std::vector<Row> rows = {
        {"punctuation, then F4 twice", kPunctuation, u"ab, cd. ef", 0, 0, {{2, 1, false}, {6, 1, false}, {2, 1, true}}},
        {"nothing non-ASCII in ASCII text", kNonAscii, u"plain", 1, 0, {{1, 0, true}}},
        {"a space is selected", kWhite, u"a b", 0, 0, {{1, 1, false}}},
        {"a line end gets the caret, and the next search moves past it", kWhite, u"a\r\nb c\rd\ne", 0, 0,
         {{1, 0, false}, {4, 1, false}, {6, 0, false}, {8, 0, false}, {1, 0, true}}},
        {"the only line end, repeated: beep and stay", kWhite, u"a\r\nb", 1, 0, {{1, 0, true}}},
        {"a space right after a CR LF is selected", kWhite, u"a\r\n b", 1, 0, {{3, 1, false}}},
        {"the whole text selected wraps at once", kPunctuation, u"a,b", 0, 3, {{1, 1, true}}},
        {"empty document", kNonAscii, u"", 0, 0, {{0, 0, true}}},
    };
    for (const Row& row : rows) {
        auto command = [&row](int start, int length) { return SpecialSearchOutcome(row.kind, row.text, start, length); };
        ExpectSteps(row.what, command, row.start, row.length, row.steps);
    }
}

}  // namespace
}  // namespace palimp
