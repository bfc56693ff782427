// What users of sed, sd and ripgrep expect: "-" for standard input, encoding names as they
// spell them, backups, counts beside -i, --fail-if-none, the system's reason for a failed write,
// and --diff, the dry run.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "cli_test_support.h"

#if !defined(_WIN32)
#include <unistd.h>
#endif

namespace palimp::cli::test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using namespace std::string_literals;

std::string Replaced(std::string text, std::string_view from, std::string_view to) {
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
    return text;
}

std::size_t Occurrences(std::string_view text, std::string_view part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

// A run's arguments with "@name" standing for the scratch file of that name.
class Conventions : public CliTest {
protected:
    void SetUp() override {
        CliTest::SetUp();
        // cat -> dog on line 3 of the table file, Hat -> Cap (case-sensitive) on line 4.
        table_ = Table({{{u"cat", u"dog", u""}}, {{u"Hat", u"Cap", u"C"}}});
    }
    std::vector<std::string> Args(std::vector<std::string> args) const {
        for (std::string& arg : args) {
            if (arg.starts_with("@")) arg = Arg(arg.substr(1));
        }
        args.insert(args.begin(), {"-t", table_});
        return args;
    }
    // Standard error with the scratch folder's path taken out, so that cases read as typed.
    std::string Local(const std::string& text) const {
        return Replaced(text, Arg(""), "");
    }
    std::string table_;
};

struct StreamCase {
    const char* name;
    std::vector<std::string> args;
    std::string stdinBytes;
    int exit;
    std::string out, err;
};

TEST_F(Conventions, StandardInputAsDash) {
    Write("a.txt", "cat ");
    const StreamCase cases[] = {
        {"alone", {"-"}, "a cat", 0, "a dog", ""},
        {"among files, in order", {"@a.txt", "-", "@a.txt"}, "Hat", 0, "dog Capdog ", ""},
        {"counted by name", {"--count", "@a.txt", "-"}, "cat cat", 0, "a.txt\t1\nstandard input\t2\n", ""},
        {"to -o", {"-o", "@out.txt", "-"}, "cat", 0, "", ""},
        {"a file named -", {"--", "./-"}, "cat", 1, "", "palimp-replace: ./-: cannot open: " + kNoSuchFile + "\n"},
    };
    for (const StreamCase& c : cases) {
        const CliOutcome run = RunWithStdin(Args(c.args), c.stdinBytes);
        EXPECT_EQ(run.exit, c.exit) << c.name;
        EXPECT_EQ(Local(run.out), c.out) << c.name;
        EXPECT_EQ(Local(run.err), c.err) << c.name;
    }
    EXPECT_EQ(Read("out.txt"), "dog");
}

TEST_F(Conventions, EncodingNamesAsUsersSpellThem) {
    const struct {
        const char* name;
        std::string expected;  // "cat\n" replaced
    } cases[] = {
        {"utf8", "dog\n"},     {"utf-8", "dog\n"}, {"UTF-8", "dog\n"}, {"Utf_8", "dog\n"},
        {"utf16le", Utf16Bytes(u"dog\r\n", false, true)}, {"UTF-16LE", Utf16Bytes(u"dog\r\n", false, true)},
        {"utf-16le", Utf16Bytes(u"dog\r\n", false, true)}, {"KEEP", "dog\n"},
    };
    for (const auto& c : cases) {
        const CliOutcome run = RunWithStdin(Args({"--encoding", c.name}), "cat\n");
        EXPECT_EQ(run.exit, kExitOk) << c.name << ": " << run.err;
        EXPECT_EQ(run.out, c.expected) << c.name;
    }
    for (const char* unknown : {"utf-16", "utf16be", "latin1", "utf 8x"}) {
        const CliOutcome run = RunWithStdin(Args({"--encoding", unknown}), "cat\n");
        EXPECT_EQ(run.exit, kExitUsage) << unknown;
        EXPECT_THAT(run.err, HasSubstr("unknown encoding '" + std::string(unknown) + "' (keep, utf16le or utf8)"));
    }
}

TEST_F(Conventions, BackupKeepsTheOldContentOfEachRewrittenFile) {
    Write("a.txt", "a cat");
    Write("b.txt", "no hit");
    Write("c.txt", "Hat");
    Write("c.txt.orig", "an older backup");
    const CliOutcome run = Run(Args({"-i", "--backup", ".orig", "@a.txt", "@b.txt", "@c.txt"}));
    EXPECT_EQ(run.exit, kExitOk) << run.err;
    EXPECT_EQ(Read("a.txt"), "a dog");
    EXPECT_EQ(Read("a.txt.orig"), "a cat");
    EXPECT_EQ(Read("c.txt"), "Cap");
    EXPECT_EQ(Read("c.txt.orig"), "Hat");
    // A file that is not rewritten needs no backup.
    EXPECT_THAT(Listing(), ElementsAre("a.txt", "a.txt.orig", "b.txt", "c.txt", "c.txt.orig", "table.palimp"));

    // Without the backup, nothing is rewritten.
    fs::create_directory(Path("d.txt~"));
    Write("d.txt", "cat");
    const CliOutcome blocked = Run(Args({"-i", "--backup=~", "@d.txt"}));
    EXPECT_EQ(blocked.exit, kExitFailure);
    EXPECT_THAT(Local(blocked.err), ::testing::StartsWith("palimp-replace: d.txt: cannot keep the old content in "));
    EXPECT_THAT(blocked.err, HasSubstr("; nothing written\n"));
    EXPECT_EQ(Read("d.txt"), "cat");
}

TEST_F(Conventions, CountsGoToStandardErrorBesideInPlace) {
    Write("a.txt", "cat cat");
    Write("b.txt", "Hat");
    const CliOutcome count = Run(Args({"-i", "--count", "@a.txt", "@b.txt"}));
    EXPECT_EQ(count.exit, kExitOk);
    EXPECT_EQ(count.out, "");
    EXPECT_EQ(Local(count.err), "a.txt\t2\nb.txt\t1\n");
    EXPECT_EQ(Read("a.txt"), "dog dog");
    EXPECT_EQ(Read("b.txt"), "Cap");

    Write("a.txt", "cat");
    const CliOutcome stats = Run(Args({"-o", "@out.txt", "--stats", "--count", "@a.txt"}));
    EXPECT_EQ(stats.exit, kExitOk);
    EXPECT_EQ(stats.out, "");
    EXPECT_THAT(stats.err, HasSubstr("Found: 1; Time: "));
    EXPECT_THAT(stats.err, HasSubstr("\nline 3: 1\n0 hits: line 4\n1\n"));
    EXPECT_EQ(Read("out.txt"), "dog");
}

TEST_F(Conventions, FailIfNoneWhenNothingWasReplaced) {
    Write("hit.txt", "cat");
    Write("none.txt", "cow");
    const StreamCase cases[] = {
        {"a hit", {"--fail-if-none", "@hit.txt"}, "", 0, "dog", ""},
        {"no hit", {"--fail-if-none", "@none.txt"}, "", 1, "cow", "palimp-replace: nothing was replaced (--fail-if-none)\n"},
        {"one of two", {"--fail-if-none", "@none.txt", "@hit.txt"}, "", 0, "cowdog", ""},
        {"counting", {"--fail-if-none", "--count", "-"}, "x", 1, "0\n", "palimp-replace: nothing was replaced (--fail-if-none)\n"},
        {"in place", {"--fail-if-none", "-i", "@none.txt"}, "", 1, "", "palimp-replace: nothing was replaced (--fail-if-none)\n"},
        {"without it", {"@none.txt"}, "", 0, "cow", ""},
    };
    for (const StreamCase& c : cases) {
        const CliOutcome run = RunWithStdin(Args(c.args), c.stdinBytes);
        EXPECT_EQ(run.exit, c.exit) << c.name;
        EXPECT_EQ(run.out, c.out) << c.name;
        EXPECT_EQ(run.err, c.err) << c.name;
    }
    EXPECT_EQ(Read("none.txt"), "cow");
}

TEST_F(Conventions, AFailedWriteToStandardOutputSaysWhyOnce) {
    Write("a.txt", "cat");
    const std::string input = "cat";
    for (const std::errc reason : {std::errc::no_space_on_device, std::errc::broken_pipe}) {
        const std::error_code error = std::make_error_code(reason);
        for (const auto& args : {std::vector<std::string>{"@a.txt", "@a.txt"}, {"--count", "-"}, {"--diff", "@a.txt"}}) {
            const CliOutcome run = Run(Args(args), &input, error);
            EXPECT_EQ(run.exit, kExitFailure) << args[0];
            EXPECT_EQ(Occurrences(run.err, "palimp-replace: standard output: cannot write: " + error.message() + "\n"), 1u)
                << args[0] << ": " << run.err;
        }
        const CliOutcome help = Run({"--help"}, &input, error);
        EXPECT_EQ(help.exit, kExitFailure);
        EXPECT_EQ(help.err, "palimp-replace: standard output: cannot write: " + error.message() + "\n");
    }
}

#if !defined(_WIN32)
TEST_F(Conventions, AFailedWriteToAFileSaysWhatTheSystemSaid) {
    if (geteuid() == 0) GTEST_SKIP() << "root may write into a read-only folder";
    fs::create_directory(Path("locked"));
    Write("in.txt", "cat");
    fs::permissions(Path("locked"), fs::perms::owner_read | fs::perms::owner_exec);
    const CliOutcome run = Run(Args({"-o", "@locked/out.txt", "@in.txt"}));
    EXPECT_EQ(run.exit, kExitFailure);
    EXPECT_EQ(Local(run.err), "palimp-replace: locked/out.txt: cannot write: Permission denied; nothing written\n");
    EXPECT_TRUE(fs::is_empty(Path("locked"))) << "not even the probe is left";
}
#endif

struct DiffCase {
    const char* name;
    std::vector<std::string> files;  // contents of in0.txt, in1.txt, ...
    std::vector<std::string> extra;  // more options
    int exit;
    std::string out, err;  // "@0" stands for in0.txt's path
};

void PrintTo(const DiffCase& c, std::ostream* os) { *os << c.name; }

class Diff : public Conventions, public ::testing::WithParamInterface<DiffCase> {};

TEST_P(Diff, ShowsTheChangesAndTheHitsOfEveryRowWritingNothing) {
    const DiffCase& c = GetParam();
    std::vector<std::string> args = {"--diff"};
    args.insert(args.end(), c.extra.begin(), c.extra.end());
    for (std::size_t i = 0; i < c.files.size(); ++i) {
        Write("in" + std::to_string(i) + ".txt", c.files[i]);
        args.push_back("@in" + std::to_string(i) + ".txt");
    }
    const CliOutcome run = RunWithStdin(Args(args), "a cat\n");
    const auto named = [this](std::string text) {
        for (int i = 0; i < 3; ++i) text = Replaced(text, "@" + std::to_string(i), Arg("in" + std::to_string(i) + ".txt"));
        return text;
    };
    EXPECT_EQ(run.exit, c.exit);
    EXPECT_EQ(run.out, named(c.out));
    EXPECT_EQ(run.err, named(c.err));
    for (std::size_t i = 0; i < c.files.size(); ++i) EXPECT_EQ(Read("in" + std::to_string(i) + ".txt"), c.files[i]);
    EXPECT_FALSE(Exists("in0.txt.bak"));
}

INSTANTIATE_TEST_SUITE_P(
    Cli, Diff,
    ::testing::Values(
        DiffCase{"OneLine", {"one\na cat\nthree\n"}, {}, 0,
                 "--- @0\n+++ @0\n@@ -1,3 +1,3 @@\n one\n-a cat\n+a dog\n three\n",
                 "Found: 1 in 1 of 1 input\nline 3: 1\n0 hits: line 4\n"},
        DiffCase{"OnlyChangedFilesAppear", {"no hit\n", "Hat\ncat"}, {}, 0,
                 "--- @1\n+++ @1\n@@ -1,2 +1,2 @@\n-Hat\n-cat\n\\ No newline at end of file\n+Cap\n+dog\n"
                 "\\ No newline at end of file\n",
                 "Found: 2 in 1 of 2 inputs\nline 3: 1\nline 4: 1\n"},
        DiffCase{"StandardInputIsDash", {}, {"-"}, 0, "--- -\n+++ -\n@@ -1 +1 @@\n-a cat\n+a dog\n",
                 "Found: 1 in 1 of 1 input\nline 3: 1\n0 hits: line 4\n"},
        DiffCase{"Utf16IsShownAsUtf8", {Utf16Bytes(u"\u00E9 cat\r\n", false, true)}, {}, 0,
                 "--- @0\n+++ @0\n@@ -1 +1 @@\n-\xC3\xA9 cat\r\n+\xC3\xA9 dog\r\n",
                 "Found: 1 in 1 of 1 input\nline 3: 1\n0 hits: line 4\n"},
        DiffCase{"AConversionChangesEveryLine", {"x\ny\n"}, {"--encoding", "utf16le"}, 0,
                 "--- @0\n+++ @0\n@@ -1,2 +1,2 @@\n-x\n-y\n+x\r\n+y\r\n",
                 "Found: 0 in 0 of 1 input\n0 hits: lines 3 and 4\n"},
        DiffCase{"NothingToShow", {"no hit\n"}, {"--fail-if-none"}, 1, "",
                 "Found: 0 in 0 of 1 input\n0 hits: lines 3 and 4\npalimp-replace: nothing was replaced (--fail-if-none)\n"},
        DiffCase{"ARefusedFileIsNamed", {"cat \xE9", "cat"}, {"--ansi", "utf8"}, 1,
                 "--- @1\n+++ @1\n@@ -1 +1 @@\n-cat\n\\ No newline at end of file\n+dog\n\\ No newline at end of file\n",
                 "palimp-replace: @0: has no byte order mark and is not UTF-8: byte 0xE9 at offset 4, line 1; "
                 "nothing written (--ansi 1252 reads it as Windows-1252)\nFound: 1 in 1 of 2 inputs; 1 not read "
                 "(above)\nline 3: 1\n0 hits: line 4\n"}), kCaseName);

INSTANTIATE_TEST_SUITE_P(
    Regressions, Diff,
    ::testing::Values(DiffCase{"AnInputRefusedAloneWasCountedAsNoInput", {"cat\0\x01\x02\xFF"s}, {"--ansi", "utf8"}, 1, "",
                             "palimp-replace: @0: is binary, not text: a NUL byte at offset 3; nothing written\n"
                             "Found: 0 in 0 of 1 input; 1 not read (above)\n0 hits: lines 3 and 4\n"}), kCaseName);

}  // namespace
}  // namespace palimp::cli::test

namespace palimp::cli::test {
namespace {

// sd's pairs on the command line, -q, and find -print0's lists: "@name" is a scratch file,
// "T" in messages the table's path.
TEST_F(Conventions, PairsQuietAndFileListsAsLinuxUsersExpect) {
    Write("a.txt", "a cat");
    Write("-", "Hat");
    Write("list", Arg("a.txt") + '\0' + Arg("-") + '\0');
    Write("holey", Arg("a.txt") + '\0' + '\0' + Arg("a.txt"));
    const struct {
        const char* name;
        std::vector<std::string> args;  // without the table unless they name it
        std::string stdinBytes;
        int exit;
        std::string out, err;
    } cases[] = {
        {"pairs alone, in order", {"--pair", "cat", "dog", "W", "--pair", "a", "an", "W"}, "a cat concat", 0,
         "an dog concat", ""},
        {"a third word of other letters is a file", {"--pair", "a", "b", "@a.txt"}, "", 0, "b cbt", ""},
        {"the table's rows come first", {"-t", table_, "--pair", "cat", "cow", "--check"}, "", 1,
         "--pair 1: never wins: same phrase and options as line 3\nT: 3 rows; 1 never wins\n",
         "palimp-replace: --pair 1: warning: phrase \"cat\" also on line 3\n"},
        {"-q keeps the warnings back", {"-q", "-t", table_, "--pair", "cat", "cow"}, "cat", 0, "dog", ""},
        {"pairs' hits by their place", {"--diff", "--pair", "x", "y", "--pair", "a", "b", "@a.txt"}, "", 0,
         "--- a.txt\n+++ a.txt\n@@ -1 +1 @@\n-a cat\n\\ No newline at end of file\n+b cbt\n"
         "\\ No newline at end of file\n",
         "Found: 2 in 1 of 1 input\n--pair 2: 2\n0 hits: --pair 1\n"},
        {"a list of names, - a file among them", {"-t", table_, "--files0-from", "@list"}, "cat", 0, "a dogCap", ""},
        {"a list from standard input", {"-t", table_, "--count", "--files0-from", "-"}, Arg("a.txt"), 0, "1\n", ""},
        {"an empty name is said and skipped", {"-t", table_, "--files0-from", "@holey"}, "", 1, "a doga dog",
         "palimp-replace: holey: name 2 is empty\n"},
        {"an empty list with -i", {"-t", table_, "-i", "--files0-from", "-"}, "", 0, "", ""},
        {"a missing list", {"-t", table_, "--files0-from", "@none"}, "", 1, "",
         "palimp-replace: none: cannot read: " + kNoSuchFile + "\n"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = c.args;
        for (std::string& arg : args) {
            if (arg.starts_with("@")) arg = Arg(arg.substr(1));
        }
        const CliOutcome run = RunWithStdin(args, c.stdinBytes);
        EXPECT_EQ(run.exit, c.exit) << c.name;
        EXPECT_EQ(Replaced(Local(run.out), Local(table_), "T"), c.out) << c.name;
        EXPECT_EQ(Replaced(Local(run.err), Local(table_), "T"), c.err) << c.name;
    }
    EXPECT_EQ(Read("a.txt"), "a cat");
}

TEST_F(CliTest, HelpFitsEightyColumnsAndStatesTheMatchRules) {
    const std::string help = Run({"--help"}).out;
    const std::u16string text = DecodeUtf8(help);
    for (std::size_t at = 0, end; at < text.size(); at = end + 1) {
        end = text.find(u'\n', at);
        EXPECT_LE(end - at, 80u) << ToUtf8(text.substr(at, end - at));
    }
    EXPECT_THAT(help, HasSubstr("\nWithout C, case is ignored, each letter folded alone: ss is no match for \xC3\x9F.\n"));
    EXPECT_THAT(help, HasSubstr("\nW: no letter just before or after the match; digits and _ are no letters.\n"));
}

}  // namespace
}  // namespace palimp::cli::test
