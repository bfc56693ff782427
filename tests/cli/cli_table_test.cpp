// The table as palimp-replace reads and checks it: tables it refuses, the warnings with their
// line numbers, the pairs --stats counts, and --check, by hand-picked cases and against a
// brute-force search over every short text.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <random>
#include <regex>
#include <set>

#include "cli_test_support.h"

namespace palimp::cli::test {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;
using namespace std::string_literals;

constexpr const char* kNoMarker =
    ": has no \"##\" line, so no line of it is a pair. A table file is a line or more about the "
    "table, a line \"##\", then one line per pair: phrase, TAB, replacement, TAB, options; --tsv "
    "reads plain TAB-separated lines, every line a pair\n";

struct TableCase {
    const char* name;
    std::string table;               // the table file's bytes
    std::vector<std::string> extra;  // more options
    int exit;
    std::string written;  // in.txt ("a cat") after -i
    std::string err;      // standard error after "palimp-replace: TABLE"; "" for none
};

void PrintTo(const TableCase& c, std::ostream* os) { *os << c.name; }

class TableFiles : public CliTest, public ::testing::WithParamInterface<TableCase> {};

TEST_P(TableFiles, AreReadRefusedOrWarnedAbout) {
    const TableCase& c = GetParam();
    Write("t.palimp", c.table);
    Write("in.txt", "a cat");
    std::vector<std::string> args = {"-t", Arg("t.palimp"), "-i", Arg("in.txt")};
    args.insert(args.end(), c.extra.begin(), c.extra.end());
    const CliOutcome run = Run(args);
    EXPECT_EQ(run.exit, c.exit);
    EXPECT_EQ(Read("in.txt"), c.written);
    std::string expected;
    for (std::size_t at = 0; at < c.err.size();) {
        const std::size_t end = c.err.find('\n', at) + 1;
        expected += "palimp-replace: " + Arg("t.palimp") + c.err.substr(at, end - at);
        at = end;
    }
    EXPECT_EQ(run.err, expected);
}

const std::string kCopyAll = Utf16Bytes(u"cat\tdog\t\r\na\tan\tW\r\n", false, true);

INSTANTIATE_TEST_SUITE_P(
    Cli, TableFiles,
    ::testing::Values(
        TableCase{"Clean", "Title\n##\ncat\tdog\tC,W\n\t\t\n", {}, 0, "a dog", ""},
        TableCase{"EmptyFile", "", {}, 2, "a cat", kNoMarker},
        TableCase{"CopyAllFormWithTsv", kCopyAll, {"--tsv"}, 0, "an dog", ""},
        TableCase{"TsvTakesTheMarkerAsAPair", "##\tx\ncat\t##\n", {"--tsv"}, 0, "a ##", ""},
        TableCase{"MarkerWithABlank", "## \ncat\tdog\n", {}, 2, "a cat",
                  ": has no \"##\" line, so no line of it is a pair (line 1 would be, without the blanks "
                  "around \"##\"). A table file is a line or more about the table, a line \"##\", then one "
                  "line per pair: phrase, TAB, replacement, TAB, options; --tsv reads plain TAB-separated "
                  "lines, every line a pair\n"},
        TableCase{"BinaryBytes", "\x7F" "ELF\x01\x01\x01\0\0\0\x90\xFF\x03"s, {}, 2, "a cat",
                  ": is binary, not text: a NUL byte at offset 7\n"},
        TableCase{"NoTabAndAFourthField", "##\ncat dog\na\tan\tW\tx\n", {}, 0, "an cat",
                  ":2: warning: the line has no TAB, so its whole text is a phrase replaced by nothing\n"
                  ":3: warning: the line has 4 fields; the 4th is ignored\n"},
        TableCase{"QuietKeepsTheWarningsBack", "##\ncat dog\na\tan\tW\tx\n", {"-q"}, 0, "an cat", ""},
        TableCase{"NothingAfterTheMarker", "x\n##\n", {}, 0, "a cat", ":2: warning: the table holds no pair\n"},
        TableCase{"UnknownOptionLetters", "##\ncat\tdog\tw\na\tan\tcase\n", {}, 0, "an dog",
                  ":2: warning: options \"w\": w is no option; only the capitals C (case sensitive), W "
                  "(whole words), E (extended: escapes such as \\t) and X (switched off) count\n"
                  ":3: warning: options \"case\": c, a, s, e are no options; only the capitals C (case "
                  "sensitive), W (whole words), E (extended: escapes such as \\t) and X (switched off) count\n"},
        TableCase{"AHeaderRow", "##\nsearch\treplace\toptions\ncat\tdog\n", {}, 0, "a dog",
                  ":2: warning: options \"options\": o, p, t, i, n, s are no options; only the capitals C "
                  "(case sensitive), W (whole words), E (extended: escapes such as \\t) and X (switched off) count\n"},
        TableCase{"MarkersWithBlanksBeforeAndAfter", " ##\n##\n##\t\ncat\tdog\n", {}, 0, "a dog",
                  ":1: warning: \"##\" with blanks around it is not the marker line\n"
                  ":3: warning: \"##\" with blanks around it is read as a pair\n"},
        TableCase{"DuplicatePhrases", "##\ncat\tdog\ncat\tcow\tW\n", {}, 0, "a dog",
                  ":3: warning: phrase \"cat\" also on line 2\n"},
        TableCase{"ReplacedByItself", "##\ncat\tcat\tC\nx\tx\n", {}, 0, "a cat",
                  ":2: warning: replaces \"cat\" by itself, which changes nothing\n"},
        TableCase{"EmptyPhrase", "##\n\tdog\ncat\tdog\n", {}, 0, "a dog",
                  ":2: warning: no phrase, so the row never matches\n"},
        TableCase{"SwitchedOffAndExtendedRows", "##\ncat\tdog\tX\na\\x20\tan\\t\tE\n", {}, 0, "an\tcat", ""},
        TableCase{"InvalidEscapeSkipsTheRow", "##\na\\q\tx\tE\ncat\tdog\n", {}, 0, "a dog",
                  ":2: warning: phrase: \"\\q\" (character 2) is no escape; the escapes are \\t, \\n, \\r, "
                  "\\0, \\\\, \\xHH and \\uXXXX; the row is skipped\n"}), kCaseName);

INSTANTIATE_TEST_SUITE_P(
    Regressions, TableFiles,
    ::testing::Values(
        TableCase{"CopyAllFormWasOneRowWhosePhraseHeldATab", kCopyAll, {}, 2, "a cat", kNoMarker},
        TableCase{"Utf16WithoutItsMarkWasSaidToHaveNoMarker", Utf16Bytes(u"T\r\n##\r\ncat\tdog\t\r\n", false, false),
                  {}, 2, "a cat",
                  ": has no byte order mark and looks like UTF-16 LE (NUL bytes in every other place); the "
                  "editor saves tables with the mark\n"},
        TableCase{"ANulEndedTheTableWithoutAWord", Utf16Bytes(u"##\r\ncat\tdog\r\n\0a\tan\r\n"s, false, true), {}, 0,
                  "a dog", ":3: warning: a NUL character (U+0000) ends the table here; the rest of the file is ignored\n"},
        TableCase{"TsvReadATableFilesDescriptionAsPairs", "Title\n##\ncat\tdog\n", {"--tsv"}, 2, "a cat",
                  ": line 2 is \"##\", so this is a table file, not TAB-separated lines; --tsv would read its "
                  "description and \"##\" as pairs (leave --tsv out)\n"}), kCaseName);

TEST_F(CliTest, StatsCountThePairsThatCanMatch) {
    // Of five rows, one is blank, one has no phrase and one never wins behind "a".
    Write("t.palimp", "##\na\tx\nab\ty\n\t\t\n\tz\nb\tw\n");
    const CliOutcome run = RunWithStdin({"-t", Arg("t.palimp"), "--stats"}, "ab b");
    EXPECT_EQ(run.exit, kExitOk);
    EXPECT_EQ(run.out, "xw w");
    EXPECT_THAT(run.err, HasSubstr("Table: 5 rows, 2 pairs that can match; Build: "));
    EXPECT_THAT(run.err, HasSubstr("\nline 2: 1\nline 6: 2\n0 hits: line 3\n"));
}

struct CheckCase {
    const char* name;
    std::string table;               // lines after "##", which is line 1
    std::vector<std::string> files;  // contents of the inputs
    int exit;
    std::string report;  // standard output, "T" standing for the table's name
};

void PrintTo(const CheckCase& c, std::ostream* os) { *os << c.name; }

class Check : public CliTest, public ::testing::WithParamInterface<CheckCase> {};

TEST_P(Check, ListsTheRowsThatNeverWinOrHaveNoHit) {
    const CheckCase& c = GetParam();
    Write("t.palimp", "##\n" + c.table);
    std::vector<std::string> args = {"-t", Arg("t.palimp"), "--check"};
    for (std::size_t i = 0; i < c.files.size(); ++i) {
        const std::string name = "in" + std::to_string(i) + ".txt";
        Write(name, c.files[i]);
        args.push_back(Arg(name));
    }
    const CliOutcome run = Run(args);
    EXPECT_EQ(run.exit, c.exit) << run.err;
    EXPECT_EQ(run.out, std::regex_replace(c.report, std::regex("T:"), Arg("t.palimp") + ":"));
    for (std::size_t i = 0; i < c.files.size(); ++i) {
        EXPECT_EQ(Read("in" + std::to_string(i) + ".txt"), c.files[i]) << "--check writes nothing";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cli, Check,
    ::testing::Values(
        CheckCase{"EveryRowCanWin", "ab\tx\na\ty\n\t\t\n", {}, 0, "T: 2 rows; every one can win\n"},
        CheckCase{"APrefixFirst", "a\tx\nab\ty\n", {}, 1,
                  "T:3: never wins: line 2 (\"a\") matches first wherever \"ab\" does\nT: 2 rows; 1 never wins\n"},
        CheckCase{"CaseInsensitiveBeforeCaseSensitive", "cat\tdog\nCat\tKat\tC\n", {}, 1,
                  "T:3: never wins: line 2 (\"cat\") matches first wherever \"Cat\" does\nT: 2 rows; 1 never wins\n"},
        CheckCase{"ExactDuplicate", "cat\tdog\tW\nx\ty\ncat\tcow\tW\n", {}, 1,
                  "T:4: never wins: same phrase and options as line 2\nT: 3 rows; 1 never wins\n"},
        CheckCase{"NoPhrase", "\tx\n", {}, 1, "T:2: never matches: it has no phrase\nT: 1 row; 1 never wins\n"},
        CheckCase{"WholeWordsDoNotStopALongerWord", "a\tx\tW\nab\ty\tW\n", {}, 0, "T: 2 rows; every one can win\n"},
        CheckCase{"WholeWordsStopAPhraseWithABlank", "a\tx\tW\na b\ty\tW\n", {}, 1,
                  "T:3: never wins: line 2 (\"a\") matches first wherever \"a b\" does\nT: 2 rows; 1 never wins\n"},
        CheckCase{"EverySpellingTakenByCaseSensitiveRows", "ab\t1\tC\naB\t2\tC\nAb\t3\tC\nAB\t4\tC\nab\t5\n", {}, 1,
                  "T:6: never wins: lines 2-5 (\"ab\", \"aB\", \"Ab\", \"AB\") match first wherever \"ab\" does\n"
                  "T: 5 rows; 1 never wins\n"},
        CheckCase{"MoreThanFiveCausesAreCounted",
                  "abc\t1\tC\nabC\t2\tC\naBc\t3\tC\naBC\t4\tC\nAbc\t5\tC\nAbC\t6\tC\nABc\t7\tC\nABC\t8\tC\n"
                  "abc\tx\n", {}, 1,
                  "T:10: never wins: lines 2-6 and 3 more (\"abc\", \"abC\", \"aBc\", \"aBC\", \"Abc\") match "
                  "first wherever \"abc\" does\nT: 9 rows; 1 never wins\n"},
        CheckCase{"WithAFileEveryRowHasHits", "cat\tdog\nhat\tcap\n", {"cat hat"}, 0,
                  "T: 2 rows; every one can win and has hits in the input\n"},
        CheckCase{"WithAFileARowWithoutHits", "cat\tdog\nhat\tcap\nab\tx\n", {"a cat"}, 1,
                  "T:3: no hit in the input\nT:4: no hit in the input\nT: 3 rows; 2 have no hit in the input\n"},
        CheckCase{"HitsAcrossSeveralFiles", "cat\tdog\nhat\tcap\nab\tx\na\ty\n", {"cat", "hat", "x"}, 1,
                  "T:4: no hit across 3 inputs\nT:5: no hit across 3 inputs\nT: 4 rows; 2 have no hit across 3 inputs\n"},
        CheckCase{"ARowWithoutTab", "cat dog\na\tb\n", {}, 1,
                  "T:2: no TAB: the whole line is a phrase replaced by nothing\nT: 2 rows; 1 has no TAB; every one can win\n"},
        CheckCase{"SwitchedOffRowsAreLeftOut", "a\tx\tX\nab\ty\n", {"ab"}, 0,
                  "T: 1 row; every one can win and has hits in the input\n"},
        CheckCase{"ABadEscapeNeverMatches", "\\q\tx\tE\n", {}, 1,
                  "T:2: never matches: phrase: \"\\q\" (character 1) is no escape; the escapes are \\t, \\n, "
                  "\\r, \\0, \\\\, \\xHH and \\uXXXX\nT: 1 row; 1 never wins\n"},
        CheckCase{"BothKinds", "a\tx\nab\ty\nz\tw\n", {"a"}, 1,
                  "T:3: never wins: line 2 (\"a\") matches first wherever \"ab\" does\nT:4: no hit in the input\n"
                  "T: 3 rows; 1 never wins; 1 has no hit in the input\n"}), kCaseName);

TEST_F(CliTest, CheckReadsStandardInputOnlyWhenAskedTo) {
    Write("t.palimp", "##\ncat\tdog\n");
    const CliOutcome alone = RunWithStdin({"-t", Arg("t.palimp"), "--check"}, "no hit here");
    EXPECT_EQ(alone.exit, kExitOk);
    EXPECT_EQ(alone.out, Arg("t.palimp") + ": 1 row; every one can win\n");
    const CliOutcome piped = RunWithStdin({"-t", Arg("t.palimp"), "--check", "-"}, "no hit here");
    EXPECT_EQ(piped.exit, kExitFailure);
    EXPECT_EQ(piped.out, Arg("t.palimp") + ":2: no hit in the input\n" + Arg("t.palimp") +
                             ": 1 row; 1 has no hit in the input\n");
}

// The table lines that --check says never win, and those --stats finds without a hit in text.
struct CheckAndStats {
    std::set<int> neverWin, withoutHits;
};

CheckAndStats ParseCheckAndStats(const CliOutcome& run) {
    CheckAndStats parsed;
    static const std::regex kNever(":([0-9]+): never (wins|matches)");
    for (auto it = std::sregex_iterator(run.out.begin(), run.out.end(), kNever); it != std::sregex_iterator(); ++it) {
        parsed.neverWin.insert(std::stoi((*it)[1]));
    }
    static const std::regex kZero("0 hits: lines? ([-0-9, and]+)\n");
    std::smatch zero;
    if (!std::regex_search(run.err, zero, kZero)) return parsed;
    static const std::regex kRange("([0-9]+)(-([0-9]+))?");
    const std::string list = zero[1];
    for (auto it = std::sregex_iterator(list.begin(), list.end(), kRange); it != std::sregex_iterator(); ++it) {
        const int from = std::stoi((*it)[1]);
        const int to = (*it)[3].matched ? std::stoi((*it)[3]) : from;
        for (int line = from; line <= to; ++line) parsed.withoutHits.insert(line);
    }
    return parsed;
}

TEST_F(CliTest, CheckAgreesWithABruteForceSearchOnRandomSmallTables) {
    // Phrases of up to three units from a letter with a case partner, k with three spellings
    // (k, K and the Kelvin sign) and a blank. The text holds every text of up to four units
    // over these spellings, a word unit and a non-word unit that begin no phrase, each on a
    // line of its own: LF begins and ends no phrase and is no word unit, so each line meets the
    // table as a text of its own would. A row wins in some text exactly when it has a hit
    // there, and --stats lists the rows without one.
    const std::u16string phraseUnits = u"aAk\u212A ";
    const std::u16string alphabet = u"aAkK\u212A z.";
    std::u16string every;
    std::vector<std::size_t> digits;
    for (std::size_t length = 1; length <= 4; ++length) {
        digits.assign(length, 0);
        for (std::size_t d = 0; d < length;) {
            for (std::size_t i = 0; i < length; ++i) every += alphabet[digits[i]];
            every += u'\n';
            for (d = 0; d < length && ++digits[d] == alphabet.size(); ++d) digits[d] = 0;
        }
    }
    Write("every.txt", Utf16Bytes(every, false, true));

    const char16_t* const options[] = {u"", u"C", u"W", u"C,W"};
    std::mt19937 random(20241103);
    int neverWinning = 0;
    for (int t = 0; t < 150; ++t) {
        TableFileContent content;
        content.rows.resize(2 + random() % 6);
        for (TableRow& row : content.rows) {
            std::u16string phrase(1 + random() % 3, u' ');
            for (char16_t& unit : phrase) unit = phraseUnits[random() % phraseUnits.size()];
            row = {phrase, u"x", options[random() % 4]};
        }
        Write("t.palimp", WriteTableFile(content));
        const CliOutcome run = Run({"-t", Arg("t.palimp"), "--check", "--stats", Arg("every.txt")});
        const CheckAndStats parsed = ParseCheckAndStats(run);
        std::string table;
        for (const TableRow& row : content.rows) table += " [" + ToUtf8(row[0]) + "|" + ToUtf8(row[2]) + "]";
        ASSERT_EQ(parsed.neverWin, parsed.withoutHits) << "table" << table << "\n" << run.out << run.err;
        EXPECT_EQ(run.exit, parsed.neverWin.empty() ? kExitOk : kExitFailure);
        neverWinning += static_cast<int>(parsed.neverWin.size());
    }
    EXPECT_GT(neverWinning, 60) << "too few rows that never win to compare";
}

}  // namespace
}  // namespace palimp::cli::test
