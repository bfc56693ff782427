// Behaviour of the replace-many pass, grouped by rule and run against every engine
// configuration: basics, table order, whole words, case folding, surrogates, line breaks,
// empty cells, option cells, kept pairs; then the finders, regressions, streams, progress,
// cancel and the output buffer.
#include "core/replace_many.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/errors.h"
#include "core/matching.h"
#include "core/replace_trie.h"
#include "replace_test_support.h"

namespace palimp {
namespace {

using replace_test::EngineConfig;
using replace_test::PairsOf;
using replace_test::Row;
using replace_test::Escaped;
using replace_test::LiteralReplaceMany;
using replace_test::RunEngine;
using replace_test::Trial;

struct Case {
    const char* name;
    std::vector<Row> rows;
    std::u16string input;
    std::optional<std::u16string> output;  // nullopt: no pair kept, nothing delivered
    int found;
    std::vector<int> hits = {};  // checked when given
};

void ExpectOutcome(const ReplaceResult& result, const Case& c) {
    EXPECT_EQ(result.anyPairKept, c.output.has_value());
    EXPECT_EQ(result.Delivered(), c.output.has_value());
    EXPECT_EQ(Escaped(result.output), Escaped(c.output.value_or(u"")));
    EXPECT_EQ(result.found, c.found);
    EXPECT_EQ(result.rowHits.size(), c.rows.size());
    if (!c.hits.empty()) {
        EXPECT_EQ(result.rowHits, c.hits);
    }
}

// Each case is checked in the configuration under test and, as a check on the reference used
// by the random tests, in the literal pass as well.
void ExpectCases(const EngineConfig& config, const std::vector<Case>& cases) {
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<ReplacePair> pairs = PairsOf(c.rows);
        ExpectOutcome(RunEngine(config, pairs, c.input), c);
        SCOPED_TRACE("literal pass");
        ExpectOutcome(LiteralReplaceMany(pairs, c.input), c);
    }
}

class ReplaceManyBehaviour : public testing::TestWithParam<EngineConfig> {};

TEST_P(ReplaceManyBehaviour, Basics) {
    ExpectCases(GetParam(), {
        {"case ignored by default", {{u"cat", u"dog", u""}}, u"Cat cat CAT", u"dog dog dog", 3},
        {"C compares exactly", {{u"cat", u"dog", u"C"}}, u"Cat cat CAT", u"Cat dog CAT", 1},
        {"pairs never see each other's output",
         {{u"a", u"b", u""}, {u"b", u"c", u""}}, u"ab", u"bc", 2},
        {"phrase is the whole text", {{u"abc", u"Z", u""}}, u"abc", u"Z", 1},
        {"matches at both ends", {{u"ab", u"X", u""}}, u"abcab", u"XcX", 2},
        {"adjacent matches", {{u"ab", u"X", u""}}, u"ababab", u"XXX", 3},
        {"overlaps are not rescanned", {{u"aa", u"X", u""}}, u"aaa", u"Xa", 1},
        {"output grows past the text",
         {{u"a", u"0123456789", u""}}, u"aa", u"01234567890123456789", 2},
        {"empty text keeps no pair", {{u"a", u"b", u""}}, u"", std::nullopt, 0},
        {"phrase longer than the text", {{u"abcd", u"z", u""}}, u"abc", std::nullopt, 0},
        {"no rows at all", {}, u"abc", std::nullopt, 0},
    });
}

TEST_P(ReplaceManyBehaviour, TableOrderDecidesAtAPosition) {
    ExpectCases(GetParam(), {
        {"longest first wins", {{u"aaa", u"3", u""}, {u"aa", u"2", u""}, {u"a", u"1", u""}},
         u"aaaa", u"31", 2, {1, 0, 1}},
        {"shortest first wins", {{u"a", u"1", u""}, {u"aa", u"2", u""}, {u"aaa", u"3", u""}},
         u"aaaa", u"1111", 4, {4, 0, 0}},
        {"a before ab", {{u"a", u"x", u""}, {u"ab", u"y", u""}}, u"ab", u"xb", 1},
        {"ab before a", {{u"ab", u"y", u""}, {u"a", u"x", u""}}, u"ab", u"y", 1},
        {"leftmost position before table order",
         {{u"a", u"1", u""}, {u"east", u"2", u""}, {u"reall", u"3", u""}}, u"freast", u"fr2", 1,
         {0, 1, 0}},
        {"the only matching row is reported, whatever its place",
         {{u"e", u"1", u""}, {u" ", u"2", u""}, {u"c", u"3", u""}, {u"ea", u"4", u""},
          {u"b", u"5", u""}},
         u"b", u"5", 1, {0, 0, 0, 0, 1}},
        {"earlier phrase starting later loses",
         {{u"bc", u"1", u""}, {u"ab", u"2", u""}}, u"abc", u"2c", 1},
        {"later row wins where the earlier fails its word test",
         {{u"ab", u"1", u"W"}, {u"abc", u"2", u""}}, u"abcd", u"2d", 1, {0, 1}},
        {"same phrase, exact row first", {{u"ab", u"1", u"C"}, {u"ab", u"2", u""}},
         u"ab AB aB", u"1 2 2", 3, {1, 2}},
        {"identical rows: the first takes all",
         {{u"x", u"1", u""}, {u"x", u"2", u""}}, u"xx", u"11", 2, {2, 0}},
        {"same phrase, whole-word row first", {{u"ab", u"1", u"W"}, {u"ab", u"2", u""}},
         u"ab xab", u"1 x2", 2, {1, 1}},
    });
}

TEST_P(ReplaceManyBehaviour, WholeWords) {
    ExpectCases(GetParam(), {
        {"only whole words",
         {{u"cat", u"dog", u"W"}}, u"cat concat cats cat.", u"dog concat cats dog.", 2},
        {"digits and low line are boundaries", {{u"cat", u"dog", u"W"}}, u"cat5 5cat my_cat",
         u"dog5 5dog my_dog", 3},
        {"apostrophe is a boundary", {{u"don", u"X", u"W"}}, u"don't", u"X't", 1},
        {"a space matches between non-word units", {{u" ", u"_", u"W"}}, u"a b - -", u"a b -_-", 1},
        {"phrase beginning with a non-word unit",
         {{u"-x", u"Y", u"W"}}, u"a-x -xb -x", u"a-x -xb Y", 1},
        {"neighbours come from the source, not the output", {{u"b", u" ", u""}, {u"c", u"C", u"W"}},
         u"bc", u" c", 1, {1, 0}},
        {"a combining mark outside the list ends a word", {{u"cafe", u"X", u"W"}}, u"cafe\u0301",
         u"X\u0301", 1},
        {"an Other_Alphabetic mark continues a word", {{u"cafe", u"X", u"W"}}, u"cafe\u05B0",
         u"cafe\u05B0", 0},
        {"letters of other scripts continue a word",
         {{u"ab", u"X", u"W"}}, u"ab\u4E00 ab", u"ab\u4E00 X", 1},
        {"text ends are boundaries", {{u"ab", u"X", u"W"}}, u"ab", u"X", 1},
        {"kept but never a whole word", {{u"at", u"X", u"W"}}, u"cat hat", u"cat hat", 0},
        {"whole-word and plain rows together", {{u"a", u"1", u"W"}, {u"a", u"2", u""}}, u"a ba",
         u"1 b2", 2, {1, 1}},
        {"whole words ignore case by default",
         {{u"cat", u"dog", u"W"}}, u"CAT Cats", u"dog Cats", 1},
    });
}

TEST_P(ReplaceManyBehaviour, CaseFolding) {
    ExpectCases(GetParam(), {
        {"capital sigma matches small sigma, not final sigma", {{u"\u03A3", u"S", u""}},
         u"\u03C3 \u03C2 \u03A3", u"S \u03C2 S", 2},
        {"final sigma matches only itself", {{u"\u03C2", u"F", u""}}, u"\u03C3 \u03C2 \u03A3",
         u"\u03C3 F \u03A3", 1},
        {"capital I with dot matches i and I", {{u"\u0130", u"D", u""}}, u"i I \u0130 \u0131",
         u"D D D \u0131", 3},
        {"I does not match dotless i", {{u"I", u"X", u""}}, u"\u0131 \u0130", u"\u0131 X", 1},
        {"k matches the Kelvin sign", {{u"k", u"X", u""}}, u"k K \u212A", u"X X X", 3},
        {"the Kelvin sign matches k", {{u"\u212A", u"X", u""}}, u"k K", u"X X", 2},
        {"the Ohm sign matches omega",
         {{u"\u2126", u"X", u""}}, u"\u03C9 \u03A9 \u2126", u"X X X", 3},
        {"exact rows leave other letter case",
         {{u"\u212A", u"X", u"C"}}, u"k K \u212A", u"k K X", 1},
        {"sharp s is not ss", {{u"\u00DF", u"X", u""}}, u"ss SS", std::nullopt, 0},
        {"accented capitals fold",
         {{u"\u00E9t\u00E9", u"X", u""}}, u"\u00C9T\u00C9 \u00E9t\u00E9", u"X X", 2},
        {"folded rows behind exact rows", {{u"Ab", u"1", u"C"}, {u"aB", u"2", u""}}, u"Ab ab AB",
         u"1 2 2", 3, {1, 2}},
    });
}

TEST_P(ReplaceManyBehaviour, Surrogates) {
    ExpectCases(GetParam(), {
        {"a surrogate pair as a phrase",
         {{u"\U0001F600", u":)", u""}}, u"a\U0001F600b", u"a:)b", 1},
        {"half a pair matches on its own", {{u"\xD83D", u"X", u""}}, u"\U0001F600", u"X\xDE00", 1},
        {"low half at the end of the text",
         {{u"\xDE00", u"Y", u""}}, u"a\U0001F600", u"a\xD83DY", 1},
        {"surrogates are not word units", {{u"a", u"X", u"W"}}, u"\U0001F600a\U0001F600",
         u"\U0001F600X\U0001F600", 1},
    });
}

TEST_P(ReplaceManyBehaviour, LineBreaks) {
    ExpectCases(GetParam(), {
        {"CR LF to LF", {{u"\r\n", u"\n", u""}}, u"a\r\nb\r\n", u"a\nb\n", 2},
        {"lone CR deleted", {{u"\r", u"", u""}}, u"a\r\nb\rc", u"a\nbc", 2},
        {"phrase across a line break", {{u"a\r\nb", u"X", u""}}, u"a\r\nb a\nb", u"X a\nb", 1},
        {"line breaks are word boundaries", {{u"end", u"E", u"W"}}, u"end\r\nend", u"E\r\nE", 2},
        {"CR before CR LF in the table",
         {{u"\r", u"R", u""}, {u"\r\n", u"N", u""}}, u"\r\n", u"R\n", 1},
    });
}

TEST_P(ReplaceManyBehaviour, EmptyCells) {
    ExpectCases(GetParam(), {
        {"empty replacement deletes", {{u"cat", u"", u""}}, u"concatenate", u"conenate", 1},
        {"deleting everything delivers an empty text", {{u"abc", u"", u""}}, u"abc", u"", 1},
        {"deleting every unit", {{u"a", u"", u""}}, u"aaaa", u"", 4},
        {"empty phrases are ignored", {{u"", u"X", u""}, {u"a", u"b", u""}, {u"", u"Y", u"C"}},
         u"aa",
         u"bb", 2, {0, 2, 0}},
        {"only empty phrases keep no pair",
         {{u"", u"X", u""}, {u"", u"Y", u"W"}}, u"abc", std::nullopt, 0},
    });
}

TEST_P(ReplaceManyBehaviour, OptionCells) {
    ExpectCases(GetParam(), {
        {"lower-case c and w are no options",
         {{u"cat", u"dog", u"cw"}}, u"Cat concat", u"dog condog", 2},
        {"W,C reads as both", {{u"cat", u"dog", u"W,C"}}, u"cat Cat concat", u"dog Cat concat", 1},
        {"capitals without a comma",
         {{u"cat", u"dog", u"CW"}}, u"cat Cat concat", u"dog Cat concat", 1},
        {"a capital among other text", {{u"cat", u"dog", u"xCx"}}, u"Cat cat", u"Cat dog", 1},
        {"W with blanks", {{u"cat", u"dog", u" W "}}, u"Cat concat", u"dog concat", 1},
        {"c,W is whole words without case",
         {{u"cat", u"dog", u"c,W"}}, u"Cat concat", u"dog concat", 1},
    });
}

TEST_P(ReplaceManyBehaviour, SwitchedOffRows) {
    ExpectCases(GetParam(), {
        {"an X row never matches", {{u"cat", u"dog", u"X"}}, u"cat", std::nullopt, 0, {0}},
        {"the next row wins in its place",
         {{u"a", u"1", u"C,X"}, {u"ab", u"2", u""}}, u"ab a", u"2 a", 1, {0, 1}},
        {"a lower-case x is no option", {{u"a", u"1", u"x"}}, u"a", u"1", 1, {1}},
    });
}

TEST_P(ReplaceManyBehaviour, ExtendedRows) {
    ExpectCases(GetParam(), {
        {"join lines", {{u"\\r\\n", u" ", u"E"}}, u"a\r\nb\r\nc", u"a b c", 2},
        {"tab to comma", {{u"\\t", u",", u"E"}}, u"1\t2\t3", u"1,2,3", 2},
        {"one item per line", {{u", ", u"\\r\\n", u"E"}}, u"x, y", u"x\r\ny", 1},
        {"hex and code escapes, NUL", {{u"\\x41\\u00e9", u"\\0", u"E,C"}}, u"A\u00e9 a\u00e9",
         std::u16string(u"\0 a\u00e9", 4), 1},
        {"without E the backslashes are literal", {{u"\\t", u"T", u""}}, u"\\t\t", u"T\t", 1},
        {"a bad escape leaves the row out", {{u"\\q", u"x", u"E"}, {u"q", u"y", u""}}, u"\\q",
         u"\\y", 1, {0, 1}},
        {"first row wins on the expanded phrase",
         {{u"a\\u0020", u"1", u"E"}, {u"a b", u"2", u""}}, u"a b", u"1b", 1, {1, 0}},
        {"whole words weigh the expanded phrase", {{u"\\x63at", u"dog", u"E,W"}}, u"cat cats",
         u"dog cats", 1},
        {"a replacement is never rescanned", {{u"\\n", u"\\\\n", u"E"}, {u"\\", u"/", u""}},
         u"\n\\", u"\\n/", 2},
    });
}

TEST_P(ReplaceManyBehaviour, KeptPairsAndDelivery) {
    ExpectCases(GetParam(), {
        {"no occurrence", {{u"xyz", u"1", u""}}, u"abc", std::nullopt, 0},
        {"occurs only in other case", {{u"ABC", u"1", u"C"}}, u"abc", u"abc", 0},
        {"every row exact, one occurs in other case", {{u"ABC", u"1", u"C"}, {u"XYZ", u"2", u"C"}},
         u"xyz", u"xyz", 0},
        {"occurs only inside words", {{u"ab", u"1", u"W"}}, u"abc", u"abc", 0},
        {"one row kept among many", {{u"q", u"1", u""}, {u"Z", u"2", u"C,W"}, {u"r", u"3", u""}},
         u"zz", u"zz", 0},
    });
}

INSTANTIATE_TEST_SUITE_P(Configs, ReplaceManyBehaviour,
                         testing::ValuesIn(replace_test::kEngineConfigs),
                         [](const testing::TestParamInfo<EngineConfig>& config) {
                             return config.param.name;
                         });

TEST(ReplaceManyEngine, RunsAgainAfterBeingMoved) {
    // Short cells live inside the engine; moving it must not leave the trie pointing at the old
    // place.
    std::vector<Row> rows = {{u"ab", u"1", u""}, {u"b", u"2", u"C"}};
    const std::vector<ReplacePair> pairs = PairsOf(rows);
    ReplaceManyEngine first(pairs);
    rows.clear();
    ReplaceManyEngine moved(std::move(first));
    const ReplaceResult once = moved.Run(u"abBb");
    EXPECT_EQ(Escaped(once.output), "1B2");
    const ReplaceResult twice = moved.Run(u"abBb");
    EXPECT_EQ(twice.output, once.output);
    EXPECT_EQ(twice.rowHits, (std::vector<int>{1, 1}));
}

TEST(ReplaceManyEngine, TakesTableFileRows) {
    const std::vector<TableRow> rows = {{u"cat", u"dog", u"W"}, {u"", u"x", u""}};
    const ReplaceManyEngine engine(rows);
    EXPECT_EQ(engine.RowCount(), 2u);
    EXPECT_EQ(Escaped(engine.Run(u"cat cats").output), "dog cats");
}

TEST(ReplaceManyEngine, EachTableGetsTheFinderMeantForIt) {
    // Correct either way, but a table the automaton's dense table could serve must not fall
    // back to the trie unnoticed, a huge one must not build a huge table, and long phrases
    // must never reach the trie, whose walks grow with them.
    const auto many = [](std::size_t count, std::size_t length) {
        std::vector<Row> rows;
        for (unsigned k = 0; k < count; ++k) {
            std::u16string phrase;
            for (unsigned v = k * 2654435761u, u = 0; u < length; ++u, v = v / 26 + k) {
                phrase += static_cast<char16_t>(u'a' + v % 26);
            }
            rows.push_back({phrase, u"x", u""});
        }
        return rows;
    };
    const auto with = [](std::vector<Row> rows, std::vector<Row> more) {
        rows.insert(rows.end(), more.begin(), more.end());
        return rows;
    };
    const std::u16string a64(64, u'a'), a65(65, u'a');
    const struct {
        const char* name;
        std::vector<Row> rows;
        const char* finders;
    } cases[] = {
        {"a small mixed table", {{u"cat", u"dog", u""}, {u"Hat", u"cap", u"C,W"}}, "dense"},
        {"no phrase at all", {{u"", u"x", u""}}, "none"},
        {"one phrase of 100,000 units", {{std::u16string(100000, u'a'), u"x", u""}}, "dense"},
        {"1,000 short phrases", many(1000, 8), "dense"},
        {"60,000 short phrases", many(60000, 8), "trie"},
        {"60,000 short phrases and one of 64 units", with(many(60000, 8), {{a64, u"", u""}}),
         "trie"},
        {"60,000 short phrases and one of 65 units", with(many(60000, 8), {{a65, u"", u"C"}}),
         "sparse+dense"},
        {"a case-sensitive phrase of 64 units among others", {{u"b", u"", u""}, {a64, u"", u"C"}},
         "dense"},
        {"a case-sensitive phrase of 65 units among others", {{u"b", u"", u""}, {a65, u"", u"C"}},
         "dense+dense"},
        {"case-sensitive phrases only", {{a65, u"", u"C"}, {u"b", u"", u"C"}}, "dense"},
    };
    for (const auto& c : cases) {
        const std::vector<ReplacePair> pairs = PairsOf(c.rows);
        EXPECT_EQ(ReplaceManyTestAccess::FindersOf(ReplaceManyEngine(pairs)), c.finders) << c.name;
    }
}

// ---- Regressions ----

// Runs of unit, each as long as given and followed by between.
std::u16string Runs(char16_t unit, std::initializer_list<std::size_t> lengths,
                    std::u16string_view between) {
    std::u16string text;
    for (std::size_t length : lengths) text.append(length, unit).append(between);
    return text;
}

TEST(ReplaceManyRegressions, LongPhrasesMatchTheLiteralPassOnEveryAutomatonPath) {
    // Phrases over 1,024 units once skipped the automaton, and the trie walk and the kept-pair
    // check cost the phrase's length at every position; the automaton that replaced them
    // restarts its walks every block (here 24,016 units: the texts cross several). Each case
    // names the finders it must get, then runs in every configuration but the forced trie.
    const std::u16string a1500(1500, u'a');
    const std::u16string a1500b = a1500 + u'b';
    std::u16string mixed;  // 70 units of both cases, matched case-sensitively
    for (int k = 0; k < 70; ++k) mixed += k % 3 == 0 ? u'A' : u'a';
    const struct {
        const char* name;
        std::vector<Row> rows;
        std::u16string text;
        const char* finders;
        int found;
    } cases[] = {
        {"a phrase of 1,501 units on runs of its first unit",
         {{a1500b, u"<1>", u""}, {u"aab", u"<2>", u""}},
         Runs(u'a', {1499, 1500, 1501, 3000, 24000, 1, 22000, 1500}, u"b"), "dense", 7},
        {"its only occurrence with case ignored, at the end",
         {{a1500 + u'B', u"x", u"C"}},
         Runs(u'a', {30000}, u"c") + a1500b, "dense", 0},
        {"a whole-word phrase on runs parted by spaces and letters",
         {{a1500, u"w", u"W"}, {u"a", u"", u"C,W"}},
         Runs(u'a', {1500, 1501, 1499, 1500, 26000, 1500, 1, 1500}, u" ") + a1500 + u"c" + a1500,
         "dense", 5},
        {"a long case-sensitive phrase beside rows that ignore case",
         {{u"b", u"B", u""}, {mixed, u"=", u"C"}, {u"aaa", u"3", u""}},
         Runs(u'b', {25000, 1}, mixed) + Runs(u'a', {70}, u"b") + mixed.substr(1) + mixed,
         "dense+dense", 25051},
    };
    const Trial trial{11, 0};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<ReplacePair> pairs = PairsOf(c.rows);
        EXPECT_EQ(ReplaceManyTestAccess::FindersOf(ReplaceManyEngine(pairs)), c.finders);
        const ReplaceResult literal = LiteralReplaceMany(pairs, c.text);
        EXPECT_TRUE(literal.anyPairKept);
        EXPECT_EQ(literal.found, c.found);
        // The literal pass with the clock of configurations that poll on every unit, and
        // without one for the others.
        std::string expected[2];
        for (const EngineConfig& config : replace_test::kEngineConfigs) {
            if (config.finder == ReplaceManyTestAccess::Finder::kTrie) continue;
            std::string& want = expected[config.pollUnits == 1];
            if (want.empty()) want = trial.Run(pairs, c.text, config, true);
            EXPECT_EQ(trial.Run(pairs, c.text, config, false), want) << config.name;
        }
    }
}

// ---- The pass in pieces ----

TEST(ReplaceStream, KeptPairsAreJudgedOverTheWholeText) {
    // The only occurrence with case ignored may lie across two pieces; a stream hands out the
    // text itself when nothing is kept.
    const struct {
        const char* name;
        std::vector<Row> rows;
        std::vector<std::u16string> pieces;
        bool kept;
        std::u16string output;
        int found;
    } cases[] = {
        {"other case across pieces", {{u"Ab", u"x", u"C"}}, {u"a", u"B"}, true, u"aB", 0},
        {"other case within a piece", {{u"Ab", u"x", u"C"}}, {u"zaB", u""}, true, u"zaB", 0},
        {"exact across pieces", {{u"ab", u"x", u"C"}}, {u"a", u"", u"b"}, true, u"x", 1},
        {"no occurrence", {{u"zz", u"x", u""}}, {u"z", u"az"}, false, u"zaz", 0},
        {"occurrence cut by the end", {{u"zz", u"x", u""}}, {u"az", u"a", u"z"}, false, u"azaz", 0},
        {"whole word at a piece end", {{u"ab", u"x", u"W"}}, {u"c ab", u"c ab"}, true, u"c abc x", 1},
        {"no text", {{u"a", u"x", u""}}, {}, false, u"", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<ReplacePair> pairs = PairsOf(c.rows);
        const ReplaceManyEngine engine(pairs);
        ReplaceStream stream(engine);
        for (const std::u16string& piece : c.pieces) stream.Write(piece);
        stream.Finish();
        EXPECT_EQ(stream.AnyPairKept(), c.kept);
        EXPECT_EQ(Escaped(stream.Output()), Escaped(c.output));
        EXPECT_EQ(stream.Found(), c.found);
    }
}

TEST(ReplaceStream, HandsOutAllButTheLastLongestPhrase) {
    // What a stream holds back is bounded by the table, not by the text.
    const std::vector<ReplacePair> pairs = {{u"abc", u"x", u""}, {u"b", u"y", u"W"}};
    const ReplaceManyEngine engine(pairs);
    ReplaceStream stream(engine);
    std::u16string output;
    for (int k = 0; k < 1000; ++k) {
        stream.Write(u"zabcz");
        output += stream.Output();
        stream.ClearOutput();
        ASSERT_GE(output.size() + 4, 3 * (k + 1u)) << "held back more than 3 + 1 units";
    }
    stream.Finish();
    output += stream.Output();
    EXPECT_EQ(output.size(), 3000u);
    EXPECT_EQ(stream.Length(), 5000u);
    EXPECT_EQ(stream.RowHits(), (std::vector<int>{1000, 0}));
}

TEST(ReplaceStream, CommitTakesNoMoreThanTheRoomGiven) {
    const std::vector<ReplacePair> pairs = {{u"a", u"b", u""}};
    const ReplaceManyEngine engine(pairs);
    ReplaceStream stream(engine);
    const std::span<char16_t> room = stream.Room(3);
    ASSERT_GE(room.size(), 3u);
    std::copy_n(u"aaa", 3, room.data());
    EXPECT_THROW(stream.Commit(room.size() + 1), std::out_of_range);
    stream.Commit(3);
    stream.Finish();
    EXPECT_EQ(Escaped(stream.Output()), "bbb");
}

// Regression: each stream built the folded keys of the kept-pair question anew, so with a
// 100,000-row table every input file without a hit cost seconds. Now the first one pays.
TEST(ReplaceStreamRegressions, LaterStreamsOfAnEngineReuseItsFoldedKeys) {
    std::vector<ReplacePair> pairs;
    for (int i = 0; i < 20000; ++i) {
        const std::string word = "Phrase" + std::to_string(i * 7919);
        pairs.push_back({std::u16string(word.begin(), word.end()), u"x", u"C"});  // exact keys
    }
    const ReplaceManyEngine engine(pairs);
    const auto streamTime = [&] {
        const auto start = std::chrono::steady_clock::now();
        ReplaceStream stream(engine);
        stream.Write(u"a text without any of the phrases");
        stream.Finish();
        EXPECT_FALSE(stream.AnyPairKept());
        return std::chrono::steady_clock::now() - start;
    };
    const auto first = streamTime();
    std::chrono::steady_clock::duration later{};
    for (int k = 0; k < 5; ++k) later += streamTime();
    EXPECT_LT(later, first) << "five later streams cost more than the first one";
}

// ---- Progress and cancel ----

// A clock that returns the given readings in turn (the last one from then on) and counts reads.
struct ScriptedClock {
    std::vector<std::uint32_t> readings;
    std::size_t reads = 0;
    std::function<std::uint32_t()> Function() {
        return [this] { return readings[std::min(reads++, readings.size() - 1)]; };
    }
};

struct Recorded {
    std::vector<ReplaceProgress> refreshes;
    int cancelAt = 0;  // cancel at this refresh (1-based); 0: never
    std::function<bool(const ReplaceProgress&)> Function() {
        return [this](const ReplaceProgress& p) {
            refreshes.push_back(p);
            return cancelAt != 0 && static_cast<int>(refreshes.size()) == cancelAt;
        };
    }
};

std::string Figures(const std::vector<ReplaceProgress>& refreshes) {
    std::string out;
    for (const ReplaceProgress& p : refreshes) {
        out += ToUtf8(ProgressLabel(p)) + " " + std::to_string(p.percent) + "%; ";
    }
    return out;
}

ProgressMonitor Monitor(ScriptedClock& clock, Recorded& recorded, std::uint32_t startTick,
                        int pollUnits) {
    ProgressMonitor monitor;
    monitor.clock = clock.Function();
    monitor.startTick = startTick;
    monitor.refresh = recorded.Function();
    monitor.pollUnits = pollUnits;
    return monitor;
}

TEST(ReplaceManyProgress, RefreshesOnlyMoreThan200msAfterTheLastRefresh) {
    // One reading per position; the time counts from the last refresh, not the last reading.
    const std::vector<ReplacePair> pairs = {{u"a", u"b", u""}};
    const struct { std::vector<std::uint32_t> readings; std::string percents; } cases[] = {
        {{200, 200, 200, 200, 200, 200}, ""},
        {{100, 200, 201, 300, 401, 402}, "50 100 "},
        {{201, 402, 603, 804, 1005, 1206}, "17 33 50 67 83 100 "},
    };
    for (const auto& c : cases) {
        ScriptedClock clock{c.readings};
        Recorded recorded;
        const ReplaceResult result =
            ReplaceManyEngine(pairs).Run(u"aaaaaa", Monitor(clock, recorded, 0, 1));
        EXPECT_EQ(result.output, u"bbbbbb");
        std::string percents;
        for (const ReplaceProgress& p : recorded.refreshes) {
            percents += std::to_string(p.percent) + " ";
        }
        EXPECT_EQ(percents, c.percents);
    }
}

TEST(ReplaceManyProgress, FiguresRoundHalvesAwayFromZero) {
    // Eight positions, one replacement at each; the clock is read once per position.
    const std::vector<ReplacePair> pairs = {{u"a", u"b", u""}};
    const std::string expected =
        "Found: 0 (0/s) 13%; Found: 1 (3/s) 25%; Found: 3 (3/s) 50%; Found: 5 (3/s) 75%; "
        "Found: 7 (1/s) 100%; ";
    const std::vector<std::uint32_t> readings = {400, 800, 1000, 1600, 1601, 2200, 2201, 5201};
    {
        ScriptedClock clock{readings};
        Recorded recorded;
        ReplaceManyEngine(pairs).Run(u"aaaaaaaa", Monitor(clock, recorded, 0, 1));
        EXPECT_EQ(Figures(recorded.refreshes), expected);
    }
    {
        ScriptedClock clock{readings};
        Recorded recorded;
        LiteralReplaceMany(pairs, u"aaaaaaaa", Monitor(clock, recorded, 0, 1));
        EXPECT_EQ(Figures(recorded.refreshes), expected);
    }
}

TEST(ReplaceManyProgress, ElapsedTimeSurvivesTheClockWrappingAround) {
    const std::vector<ReplacePair> pairs = {{u"a", u"x", u""}};
    ScriptedClock clock{{0x10}};
    Recorded recorded;
    ReplaceManyEngine(pairs).Run(u"ab", Monitor(clock, recorded, 0xFFFFFF00u, 1));
    ASSERT_EQ(recorded.refreshes.size(), 1u);  // 272 ms after the start, then 0 ms
    EXPECT_EQ(recorded.refreshes[0].percent, 50);
}

TEST(ReplaceManyProgress, ReadsTheClockOncePerPollInterval) {
    std::u16string text;
    for (int k = 0; k < 40000; ++k) text += u"ab ";
    const std::vector<ReplacePair> pairs = {{u"ab", u"x", u""}};
    for (const std::size_t poll : {1000u, 8192u}) {
        SCOPED_TRACE(poll);
        ScriptedClock clock{{0}};
        Recorded recorded;
        const ReplaceResult result =
            ReplaceManyEngine(pairs).Run(text, Monitor(clock, recorded, 0, static_cast<int>(poll)));
        EXPECT_EQ(result.found, 40000);
        const std::size_t segments = (text.size() + poll - 1) / poll;
        EXPECT_GE(clock.reads, segments - 1);
        EXPECT_LE(clock.reads, segments + 1);
    }
}

TEST(ReplaceManyProgress, CancelEndsTheRunWithoutOutput) {
    const std::vector<ReplacePair> pairs = {{u"a", u"b", u""}};
    for (const bool literal : {false, true}) {
        SCOPED_TRACE(literal ? "literal pass" : "engine");
        ScriptedClock clock{{300, 600, 900, 1200, 1500, 1800}};
        Recorded recorded;
        recorded.cancelAt = 2;
        const ProgressMonitor monitor = Monitor(clock, recorded, 0, 1);
        const ReplaceResult result = literal ? LiteralReplaceMany(pairs, u"aaaaaa", monitor)
                                             : ReplaceManyEngine(pairs).Run(u"aaaaaa", monitor);
        EXPECT_TRUE(result.cancelled);
        EXPECT_TRUE(result.anyPairKept);
        EXPECT_FALSE(result.Delivered());
        EXPECT_TRUE(result.output.empty());
        EXPECT_EQ(recorded.refreshes.size(), 2u);
        EXPECT_EQ(clock.reads, 2u);
    }
}

TEST(ReplaceManyProgress, NothingKeptMeansNoScanAndNoRefresh) {
    const std::vector<ReplacePair> pairs = {{u"zz", u"b", u""}};
    ScriptedClock clock{{1000, 2000, 3000}};
    Recorded recorded;
    const ReplaceResult result =
        ReplaceManyEngine(pairs).Run(u"aaaa", Monitor(clock, recorded, 0, 1));
    EXPECT_FALSE(result.anyPairKept);
    EXPECT_TRUE(recorded.refreshes.empty());
    EXPECT_EQ(clock.reads, 0u);  // the start tick came with the monitor
}

TEST(ReplaceManyProgress, RoundedQuotientAndLabel) {
    const struct { std::int64_t num, den, expected; } cases[] = {
        {5, 2, 3}, {-5, 2, -3}, {7, 2, 4}, {1, 3, 0}, {2, 3, 1}, {0, 7, 0}, {2000, 3001, 1},
        {100, 8, 13}, {299, 600, 0}, {300, 600, 1}, {-299, 600, 0},
        {4000000000000, 201, 19900497512},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(RoundedQuotient(c.num, c.den), c.expected) << c.num << "/" << c.den;
    }
    EXPECT_EQ(ProgressLabel({12, 340, 5}), u"Found: 12 (340/s)");
    EXPECT_EQ(ProgressLabel({0, 0, 0}), u"Found: 0 (0/s)");
}

// ---- Output buffer ----

TEST(OutputBuffer, StartOutputRequiresCapacityOfAtLeastOne) {
    for (const int capacity : {0, -1}) {
        OutputBuffer out;
        try {
            out.StartOutput(capacity);
            ADD_FAILURE() << "no assertion for capacity " << capacity;
        } catch (const EAssertionFailed& e) {
            EXPECT_EQ(ToUtf8(e.Message()), "Assertion failure (units\\glowny, line 286)");
        }
    }
}

TEST(OutputBuffer, DoublesUntilTheTextFitsAndCutsToSize) {
    OutputBuffer out;
    out.StartOutput(2);
    const struct { std::u16string_view text; std::size_t capacity, used; } steps[] = {
        {u"abc", 4, 3}, {u"", 4, 3}, {u"d", 4, 4}, {u"", 4, 4}, {u"e", 8, 5},
        {u"fghijklmnopq", 32, 17},
    };
    for (const auto& step : steps) {
        out.AppendOutput(step.text);
        EXPECT_EQ(out.Capacity(), step.capacity) << Escaped(step.text);
        EXPECT_EQ(out.Used(), step.used) << Escaped(step.text);
    }
    EXPECT_EQ(out.FinishOutput(), u"abcdefghijklmnopq");

    out.StartOutput(10);
    out.AppendOutput(u"xy");
    EXPECT_EQ(out.FinishOutput(), u"xy");  // cut to the filled part, not the capacity
}

}  // namespace
}  // namespace palimp
