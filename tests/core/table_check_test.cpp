// Table checks: rows with their lines, the warnings, and which rows can never win, the last
// both by hand-picked cases and against a brute-force search over every short text.
#include "core/table_check.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "core/errors.h"
#include "core/replace_many.h"
#include "core/table_file.h"

namespace palimp {
namespace {

using Rows = std::vector<TableRow>;
using Kind = TableWarningKind;

TEST(LinedTable, RowsKeepTheLinesTheyCameFrom) {
    const struct {
        const char* name;
        std::u16string text;
        bool tsv;
        Rows rows;
        std::vector<int> lines;
        int marker;
        std::vector<int> blanked;
    } cases[] = {
        {"preamble and marker", u"Title\r\n##\r\na\tb\tC\r\n\r\nc\td\r\n", false,
         {{u"a", u"b", u"C"}, {}, {u"c", u"d", u""}}, {3, 4, 5}, 2, {}},
        {"no marker", u"a\tb\r\n", false, {}, {}, 0, {}},
        {"marker with blanks only", u"## \na\tb\n", false, {}, {}, 0, {1}},
        {"marker last", u"x\n##\n", false, {}, {}, 2, {}},
        {"blanked before and after the marker", u" ##\n##\n##\t\n", false, {{u"##", u"", u""}}, {3}, 2, {1, 3}},
        {"a second marker is a pair", u"##\n##\n", false, {{u"##", u"", u""}}, {2}, 1, {}},
        {"LF CR is two breaks", u"##\na\n\rb\n", false, {{u"a", u"", u""}, {}, {u"b", u"", u""}}, {2, 3, 4}, 1, {}},
        {"tsv: every line a row", u"##\na\tb\n", true, {{u"##", u"", u""}, {u"a", u"b", u""}}, {1, 2}, 0, {}},
        {"tsv: empty text", u"", true, {}, {}, 0, {}},
    };
    for (const auto& c : cases) {
        const LinedTable table = ReadLinedTable(c.text, c.tsv);
        EXPECT_EQ(table.rows, c.rows) << c.name;
        EXPECT_EQ(table.lines, c.lines) << c.name;
        EXPECT_EQ(table.markerLine, c.marker) << c.name;
        EXPECT_EQ(table.blankedMarkers, c.blanked) << c.name;
        if (!c.tsv && !table.rows.empty()) {
            EXPECT_EQ(table.rows, ReadTableFile(EncodeUtf16LeFile(c.text)).rows)
                << c.name << ": the table file reader sees other rows";
        }
    }
}

struct WarningCase {
    const char* name;
    std::u16string text;
    std::vector<TableWarning> expected;
};

void ExpectWarnings(const std::vector<WarningCase>& cases) {
    for (const auto& c : cases) {
        EXPECT_EQ(FindTableWarnings(ReadLinedTable(c.text, false)), c.expected) << c.name;
    }
}

using namespace std::string_literals;

TEST(TableWarnings, NameTheLineOfEachMistake) {
    ExpectWarnings({
        {"a clean table", u"##\nab\tx\tC,W\ncd\ty\tW C\n\t\t\n", {}},
        {"lower-case and other letters", u"##\na\tb\tc\nb\tc\tcase\nd\te\tC;W 1\n",
         {{Kind::kUnknownOptionLetters, 2, 0, u"c"}, {Kind::kUnknownOptionLetters, 3, 0, u"case"}}},
        {"extended and switched off are options", u"##\na\tb\tC,E,X\nb\tc\tEXtra\n",
         {{Kind::kUnknownOptionLetters, 3, 0, u"tra"}}},
        {"a header row", u"##\nsearch\treplace\toptions\n",
         {{Kind::kUnknownOptionLetters, 2, 0, u"optins"}}},
        {"blanked marker before the marker", u"## \n##\na\tb\n", {{Kind::kBlankedMarker, 1, 2, {}}}},
        {"blanked marker as a pair", u"##\n ##\n", {{Kind::kBlankedMarker, 2, 1, {}}, {Kind::kNoTab, 2, 0, {}}}},
        {"more than three fields", u"##\na\tb\tC\tx\nc\td\t\t\t\n",
         {{Kind::kExtraFields, 2, 0, {}, 4}, {Kind::kExtraFields, 3, 0, {}, 5}}},
        {"duplicates name the first line", u"##\ncat\tdog\ncat\tx\tW\nCat\ty\ncat\tz\n",
         {{Kind::kDuplicatePhrase, 3, 2, u"cat"}, {Kind::kDuplicatePhrase, 5, 2, u"cat"}}},
        {"replaced by itself", u"##\nCat\tCat\tC\n...\t...\nCat\tCat\n",
         {{Kind::kReplacesByItself, 3, 0, u"..."}, {Kind::kDuplicatePhrase, 4, 2, u"Cat"}}},
        {"empty phrase with other cells", u"##\na\tb\n\tx\n\t\tC\n\t\t\n",
         {{Kind::kEmptyPhrase, 3, 0, {}}, {Kind::kEmptyPhrase, 4, 0, {}}}},
        {"no pairs", u"Title\n##\n\t\t\n", {{Kind::kNoPairs, 2, 0, {}}}},
        {"nothing after the marker", u"##\n", {{Kind::kNoPairs, 1, 0, {}}}},
        {"a NUL at the start of a line", u"##\na\tb\n\0f\tg\n"s, {{Kind::kNulEndsTable, 3, 0, {}}}},
        {"a NUL before the marker", u"Title\0\n##\na\tb\n"s,
         {{Kind::kNoPairs, 0, 0, {}}, {Kind::kNulEndsTable, 1, 0, {}}}},
        {"NUL padding at the end loses nothing", u"##\na\tb\n\0\0\0"s, {}},
    });
}

TEST(TableWarningRegressions, SilentLossesAreWarnedAboutAndAGuardRowIsNot) {
    ExpectWarnings({
        {"blanks for TABs silently deleted the line's text", u"##\ncolour color W\n \na\tb\n\n",
         {{Kind::kNoTab, 2, 0, {}}, {Kind::kNoTab, 3, 0, {}}}},
        {"a row kept to stop a later one was said to change nothing",
         u"##\n \" \t \" \n \"\t \u201C\nab\tab\nb\tx\n::\t::\n", {{Kind::kReplacesByItself, 6, 0, u"::"}}},
        {"a U+0000 ended the table without a word", u"##\na\tb\nc\0d\te\nf\tg\n"s,
         {{Kind::kNoTab, 3, 0, {}}, {Kind::kNulEndsTable, 3, 0, {}}}},
    });
}

// The rows that never win, each with the rows that stop it.
using Verdicts = std::vector<std::pair<std::size_t, std::vector<std::size_t>>>;

Verdicts NeverWinning(const Rows& rows) {
    Verdicts verdicts;
    const std::vector<RowReach> reach = FindRowsThatNeverWin(rows);
    for (std::size_t r = 0; r < reach.size(); ++r) {
        if (!reach[r].canWin) verdicts.emplace_back(r, reach[r].blockers);
    }
    return verdicts;
}

TEST(NeverWins, ByThePrefixCaseAndWordRules) {
    const struct {
        const char* name;
        Rows rows;
        Verdicts expected;
    } cases[] = {
        {"a before ab", {{u"a", u"", u""}, {u"ab", u"", u""}}, {{1, {0}}}},
        {"ab before a", {{u"ab", u"", u""}, {u"a", u"", u""}}, {}},
        {"cat before Cat with C", {{u"cat", u"", u""}, {u"Cat", u"", u"C"}}, {{1, {0}}}},
        {"Cat with C before cat", {{u"Cat", u"", u"C"}, {u"cat", u"", u""}}, {}},
        {"exact duplicate", {{u"x", u"1", u"C"}, {u"x", u"2", u"C"}}, {{1, {0}}}},
        {"a W before ab", {{u"a", u"", u"W"}, {u"ab", u"", u""}}, {}},
        {"a W before ab W: b is a word unit", {{u"a", u"", u"W"}, {u"ab", u"", u"W"}}, {}},
        {"a W before a-blank-b W", {{u"a", u"", u"W"}, {u"a b", u"", u"W"}}, {{1, {0}}}},
        {"a W before a-blank-b: a word unit may precede", {{u"a", u"", u"W"}, {u"a b", u"", u""}}, {}},
        {"a before a W", {{u"a", u"", u""}, {u"a", u"", u"W"}}, {{1, {0}}}},
        {"a W before a", {{u"a", u"", u"W"}, {u"a", u"", u""}}, {}},
        {"a C,W before a W: A still wins", {{u"a", u"", u"C,W"}, {u"a", u"", u"W"}}, {}},
        {"a W before a C,W", {{u"a", u"", u"W"}, {u"a", u"", u"C,W"}}, {{1, {0}}}},
        {"every spelling of k taken",
         {{u"k", u"", u"C"}, {u"K", u"", u"C"}, {u"\u212A", u"", u"C"}, {u"k", u"", u""}}, {{3, {0, 1, 2}}}},
        {"the Kelvin sign left", {{u"k", u"", u"C"}, {u"K", u"", u"C"}, {u"k", u"", u""}}, {}},
        {"four spellings of ab", {{u"ab", u"", u"C"}, {u"aB", u"", u"C"}, {u"Ab", u"", u"C"}, {u"AB", u"", u"C"}, {u"ab", u"", u""}},
         {{4, {0, 1, 2, 3}}}},
        {"three of four spellings", {{u"ab", u"", u"C"}, {u"aB", u"", u"C"}, {u"AB", u"", u"C"}, {u"ab", u"", u""}}, {}},
        {"spellings of a prefix", {{u"a", u"", u"C"}, {u"A", u"", u"C"}, {u"ab", u"", u""}}, {{2, {0, 1}}}},
        {"whole-word spellings before a blank", {{u"a", u"", u"C,W"}, {u"A", u"", u"C,W"}, {u"a b", u"", u"W"}}, {{2, {0, 1}}}},
        {"whole-word spellings before a letter", {{u"a", u"", u"C,W"}, {u"A", u"", u"C,W"}, {u"ab", u"", u"W"}}, {}},
        {"mixed: one spelling exact, the other whole-word", {{u"a", u"", u"C"}, {u"a", u"", u"W"}, {u"a b", u"", u"W"}}, {{2, {0, 1}}}},
        {"empty phrase", {{u"", u"x", u""}, {u"a", u"", u""}}, {{0, {}}}},
        {"a later row does not stop an earlier one", {{u"ab", u"", u""}, {u"a", u"", u""}, {u"ab", u"", u""}}, {{2, {1}}}},
    };
    for (const auto& c : cases) EXPECT_EQ(NeverWinning(c.rows), c.expected) << c.name;
}

TEST(NeverWins, ALongTableOfDistinctWordsAllWinButTheRepeatedOne) {
    Rows rows;
    for (int i = 0; i < 5000; ++i) {
        std::u16string word = u"w";
        for (int n = i; word.size() < 4; n /= 26) word += static_cast<char16_t>(u'a' + n % 26);
        rows.push_back({word, u"", i % 2 ? u"C" : u""});
    }
    rows.push_back(rows[17]);
    EXPECT_EQ(NeverWinning(rows), (Verdicts{{5000, {17}}}));
}

// Whether each row gets a hit in some text of at most maxLength units over the alphabet.
std::vector<bool> WinnersByBruteForce(const Rows& rows, std::u16string_view alphabet, std::size_t maxLength) {
    const ReplaceManyEngine engine(rows);
    std::vector<bool> wins(rows.size(), false);
    std::u16string text;
    std::vector<std::size_t> digits;
    for (std::size_t length = 1; length <= maxLength; ++length) {
        digits.assign(length, 0);
        text.assign(length, alphabet[0]);
        for (;;) {
            const ReplaceResult result = engine.Run(text);
            for (std::size_t r = 0; r < rows.size(); ++r) {
                if (result.rowHits[r] > 0) wins[r] = true;
            }
            std::size_t d = 0;
            while (d < length && ++digits[d] == alphabet.size()) {
                digits[d] = 0;
                text[d] = alphabet[0];
                ++d;
            }
            if (d == length) break;
            text[d] = alphabet[digits[d]];
        }
    }
    return wins;
}

TEST(NeverWins, AgreesWithABruteForceSearchOnRandomSmallTables) {
    // Phrase units: a letter with a case partner, k with three spellings (k, K and the Kelvin
    // sign) and a blank. The texts add the partners, and a word unit and a non-word unit that
    // begin no phrase; with phrases of up to n units, any row that wins somewhere wins in a
    // text of at most n + 1 units.
    const std::u16string phraseUnits = u"aAk\u212A ";
    const std::u16string alphabet = u"aAkK\u212A z.";
    const char16_t* const options[] = {u"", u"C", u"W", u"C,W"};
    std::mt19937 random(20240611);
    int neverWinning = 0;
    for (int t = 0; t < 400; ++t) {
        const std::size_t longest = 2 + t % 2;
        Rows rows(2 + random() % 5);
        for (TableRow& row : rows) {
            const std::size_t length = random() % 10 == 0 ? 0 : 1 + random() % longest;
            for (std::size_t i = 0; i < length; ++i) row[0] += phraseUnits[random() % phraseUnits.size()];
            row[1] = u"x";
            row[2] = options[random() % 4];
        }
        const std::vector<RowReach> reach = FindRowsThatNeverWin(rows);
        const std::vector<bool> wins = WinnersByBruteForce(rows, alphabet, longest + 1);
        for (std::size_t r = 0; r < rows.size(); ++r) {
            std::string table;
            for (const TableRow& row : rows) table += " [" + ToUtf8(row[0]) + "|" + ToUtf8(row[2]) + "]";
            ASSERT_EQ(reach[r].canWin, wins[r]) << "row " << r << " of" << table;
            if (reach[r].canWin || rows[r][0].empty()) continue;
            ++neverWinning;
            // The rows named as the cause stop it on their own.
            Rows named;
            for (std::size_t b : reach[r].blockers) {
                ASSERT_LT(b, r);
                named.push_back(rows[b]);
            }
            named.push_back(rows[r]);
            EXPECT_FALSE(WinnersByBruteForce(named, alphabet, longest + 1).back()) << "row " << r << " of" << table;
        }
    }
    EXPECT_GT(neverWinning, 150) << "too few rows that never win to compare";
}

}  // namespace
}  // namespace palimp
