// Inputs and outputs: standard streams, -o, -i, several files, the failures each can meet
// (and that a failure never leaves a partial or changed file), --count and --stats.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <regex>

#include "cli_test_support.h"

namespace palimp::cli::test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

using CliFiles = CliTest;

// Where the result goes: standard output, in the order of the inputs; the -o file, made or
// replaced whole; or each input with -i. Nothing else changes, and nothing is left beside.
TEST_F(CliFiles, TheResultGoesToStandardOutputTheOutputFileOrEachInput) {
    const std::string names[] = {"a.txt", "b.txt"};
    const struct {
        const char* name;
        std::vector<std::string> before;  // a.txt, b.txt as they were
        std::vector<std::string> args;    // after the table; "@a" stands for a.txt
        std::string stdinBytes, out;
        std::vector<std::string> after;   // a.txt, b.txt then
    } cases[] = {
        {"standard input", {}, {}, "Cat concat cat. Hat hat", "dog concat dog. Cap hat", {}},
        {"files to standard output", {"cat", "Hat"}, {"@a", "@b"}, "", "dogCap", {"cat", "Hat"}},
        {"-o replaces a file", {"a cat", "old content that is longer"}, {"-o", "@b", "@a"}, "", "", {"a cat", "a dog"}},
        {"-o makes a file of standard input", {}, {"-o", "@a"}, "cat", "", {"dog"}},
        {"-i rewrites every file", {"cat", "Hat cat"}, {"-i", "@a", "@b"}, "", "", {"dog", "Cap dog"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (const std::string& name : names) fs::remove(Path(name));
        for (std::size_t i = 0; i < c.before.size(); ++i) Write(names[i], c.before[i]);
        std::vector<std::string> args = {"-t", AnimalTable()};
        for (const std::string& arg : c.args) args.push_back(arg[0] == '@' ? Arg(arg.substr(1) + ".txt") : arg);
        const CliOutcome run = RunWithStdin(args, c.stdinBytes);
        EXPECT_EQ(run.exit, kExitOk) << run.err;
        EXPECT_EQ(run.err, "");
        EXPECT_EQ(run.out, c.out);
        std::vector<std::string> after;
        for (std::size_t i = 0; i < c.after.size(); ++i) after.push_back(Read(names[i]));
        EXPECT_EQ(after, c.after);
        EXPECT_EQ(Listing().size(), c.after.size() + 1) << "a file beside the inputs and the table";
    }
}

TEST_F(CliFiles, InPlaceLeavesAFileWithoutReplacementsUntouched) {
    Write("a.txt", "concatenate");
    const auto old = fs::last_write_time(Path("a.txt")) - std::chrono::hours(1);
    fs::last_write_time(Path("a.txt"), old);
    const CliOutcome run = Run({"-t", AnimalTable(), "-i", Arg("a.txt")});
    EXPECT_EQ(run.exit, kExitOk) << run.err;
    EXPECT_EQ(Read("a.txt"), "concatenate");
    EXPECT_EQ(fs::last_write_time(Path("a.txt")), old);
}

TEST_F(CliFiles, MissingTableFailsBeforeAnyInputIsTouched) {
    Write("a.txt", "cat");
    const CliOutcome run = Run({"-t", Arg("none.palimp"), "-i", Arg("a.txt")});
    EXPECT_EQ(run.exit, kExitFailure);
    EXPECT_EQ(run.err, "palimp-replace: " + Arg("none.palimp") + ": cannot open: " + kNoSuchFile + "\n");
    EXPECT_EQ(Read("a.txt"), "cat");
}

TEST_F(CliFiles, InputFailuresNameTheFileAndTheReason) {
    fs::create_directory(Path("folder"));
    struct Case {
        std::string arg;
        std::string reason;
    } cases[] = {{Arg("missing.txt"), kNoSuchFile},
                 {Arg("folder"), kIsAFolder},
                 {Arg("missing/x.txt"), kNoSuchFolder}};
    for (const Case& c : cases) {
        const CliOutcome run = Run({"-t", AnimalTable(), c.arg});
        EXPECT_EQ(run.exit, kExitFailure) << c.arg;
        EXPECT_EQ(run.err, "palimp-replace: " + c.arg + ": cannot open: " + c.reason + "\n");
        EXPECT_EQ(run.out, "");
    }
}

TEST_F(CliFiles, UnwritableOutputLeavesNoFile) {
    Write("in.txt", "cat");
    fs::create_directory(Path("folder"));
    struct Case {
        std::string target;
        std::string reason;
    } cases[] = {{"missing/out.txt", kNoSuchFolder},
                 {"in.txt/out.txt", kNotAFolder},
                 {"folder", kIsAFolder}};
    for (const Case& c : cases) {
        const CliOutcome run = Run({"-t", AnimalTable(), "-o", Arg(c.target), Arg("in.txt")});
        EXPECT_EQ(run.exit, kExitFailure) << c.target;
        EXPECT_EQ(run.err, "palimp-replace: " + Arg(c.target) + ": cannot write: " + c.reason +
                               "; nothing written\n");
    }
    EXPECT_THAT(Listing(), ElementsAre("folder", "in.txt", "table.palimp"));
    EXPECT_TRUE(fs::is_empty(Path("folder")));
}

TEST_F(CliFiles, ReadOnlyFileIsNotRewrittenInPlace) {
    Write("a.txt", "cat");
    fs::permissions(Path("a.txt"), fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    const CliOutcome run = Run({"-t", AnimalTable(), "-i", Arg("a.txt")});
    EXPECT_EQ(run.exit, kExitFailure);
    EXPECT_THAT(run.err, HasSubstr(": cannot write: the file is read-only; nothing written"));
    EXPECT_EQ(Read("a.txt"), "cat");
    fs::permissions(Path("a.txt"), fs::perms::owner_write, fs::perm_options::add);
}

// -i replaced a file with two names by a new one, so the other name kept the old text. Such a
// file is now refused, or rewritten where it is with --keep-links.
using CliFileRegressions = CliFiles;
TEST_F(CliFileRegressions, AFileWithTwoNamesWasSplitFromItsOtherName) {
    Write("a.txt", "cat");
    std::error_code error;
    fs::create_hard_link(Path("a.txt"), Path("b.txt"), error);
    if (error) GTEST_SKIP() << "no hard links here: " << error.message();
    const struct {
        std::vector<std::string> args;
        int exit;
        std::string err, bothRead;
    } cases[] = {
        {{"-i", Arg("a.txt")}, kExitFailure,
         "palimp-replace: " + Arg("a.txt") + ": cannot write: it has 2 names (hard links), and a new file would "
         "have only this one; nothing written (--keep-links overwrites it where it is)\n", "cat"},
        {{"-o", Arg("b.txt"), "-"}, kExitFailure, "", "cat"},
        {{"--keep-links", "-i", Arg("a.txt")}, kExitOk, "", "dog"},
        {{"--keep-links", "-o", Arg("b.txt"), "-"}, kExitOk, "", "a dog"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = {"-t", AnimalTable()};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const CliOutcome run = RunWithStdin(args, "a cat");
        EXPECT_EQ(run.exit, c.exit) << c.args[0] << ": " << run.err;
        if (!c.err.empty()) {
            EXPECT_EQ(run.err, c.err);
        }
        EXPECT_EQ(Read("a.txt"), c.bothRead) << c.args[0];
        EXPECT_EQ(Read("b.txt"), c.bothRead) << c.args[0];
    }
    EXPECT_THAT(Listing(), ElementsAre("a.txt", "b.txt", "table.palimp"));
}

TEST_F(CliFiles, OneFailingFileDoesNotStopTheOthers) {
    Write("a.txt", "cat");
    Write("c.txt", "cat cat");
    const CliOutcome run =
        Run({"-t", AnimalTable(), "-i", Arg("a.txt"), Arg("missing.txt"), Arg("c.txt")});
    EXPECT_EQ(run.exit, kExitFailure);
    EXPECT_EQ(run.err, "palimp-replace: " + Arg("missing.txt") + ": cannot open: " + kNoSuchFile + "\n");
    EXPECT_EQ(Read("a.txt"), "dog");
    EXPECT_EQ(Read("c.txt"), "dog dog");
}

TEST_F(CliFiles, InPlaceFailureOfOneFileKeepsItWhole) {
    // The second file cannot take the replacement in its code page; the first is still done.
    const std::string table = Table({{{u"cat", u"\u2192", u""}}});
    Write("utf8.txt", "caf\xC3\xA9 cat");
    Write("ansi.txt", "caf\xE9 cat");
    const CliOutcome run = Run({"-t", table, "-i", Arg("utf8.txt"), Arg("ansi.txt")});
    EXPECT_EQ(run.exit, kExitFailure);
    EXPECT_EQ(Read("utf8.txt"), "caf\xC3\xA9 \xE2\x86\x92");
    EXPECT_EQ(Read("ansi.txt"), "caf\xE9 cat");
    EXPECT_THAT(Listing(), ElementsAre("ansi.txt", "table.palimp", "utf8.txt"));
}

TEST_F(CliFiles, StandardStreamFailuresAreReported) {
    const std::string table = AnimalTable();
    const CliOutcome unreadable = Run({"-t", table}, nullptr);
    EXPECT_EQ(unreadable.exit, kExitFailure);
    EXPECT_EQ(unreadable.err, "palimp-replace: standard input: cannot read: " +
                                  std::make_error_code(std::errc::io_error).message() + "\n");

    const std::string input = "cat";
    const std::error_code full = std::make_error_code(std::errc::no_space_on_device);
    const CliOutcome unwritable = Run({"-t", table}, &input, full);
    EXPECT_EQ(unwritable.exit, kExitFailure);
    EXPECT_EQ(unwritable.err, "palimp-replace: standard output: cannot write: " + full.message() + "\n");
}

TEST_F(CliFiles, EmptyInputsAndTablesWithoutPhrases) {
    const CliOutcome empty = RunWithStdin({"-t", AnimalTable()}, "");
    EXPECT_EQ(empty.exit, kExitOk);
    EXPECT_EQ(empty.out, "");

    const std::string blank = Table({{{u"", u"x", u""}}}, "blank.palimp");
    const CliOutcome unchanged = RunWithStdin({"-t", blank}, "text\r\nstays");
    EXPECT_EQ(unchanged.exit, kExitOk);
    EXPECT_EQ(unchanged.out, "text\r\nstays");
}

TEST_F(CliFiles, CountPrintsOneNumberPerInputAndWritesNothing) {
    Write("a.txt", "cat cat");
    Write("b.txt", "Hat");
    const std::string table = AnimalTable();

    const CliOutcome one = Run({"-t", table, "--count", Arg("a.txt")});
    EXPECT_EQ(one.exit, kExitOk);
    EXPECT_EQ(one.out, "2\n");

    const CliOutcome piped = RunWithStdin({"-t", table, "--count"}, "concat");
    EXPECT_EQ(piped.out, "0\n");

    const CliOutcome several = Run({"-t", table, "--count", Arg("a.txt"), Arg("missing.txt"), Arg("b.txt")});
    EXPECT_EQ(several.exit, kExitFailure);
    EXPECT_EQ(several.out, Arg("a.txt") + "\t2\n" + Arg("b.txt") + "\t1\n");
    EXPECT_THAT(several.err, HasSubstr("missing.txt: cannot open"));
    EXPECT_EQ(Read("a.txt"), "cat cat");
}

// The timings with their digits checked and then masked, so that the rest compares exactly.
std::string MaskTimings(const std::string& text) {
    static const std::regex kBuild("Build: [0-9]+\\.[0-9]{3}s");
    static const std::regex kTime("Time: [0-9]+\\.[0-9]s");
    return std::regex_replace(std::regex_replace(text, kBuild, "Build: #s"), kTime, "Time: #s");
}

TEST_F(CliFiles, StatsReportTheTableThePassAndEveryRowByItsLine) {
    const std::string table = AnimalTable();
    const CliOutcome run = RunWithStdin({"-t", table, "--stats"}, "cat Hat cat");
    EXPECT_EQ(run.exit, kExitOk);
    EXPECT_EQ(run.out, "dog Cap dog");
    EXPECT_EQ(MaskTimings(run.err), "Table: 2 rows, 2 pairs that can match; Build: #s\n"
                                    "Found: 3; Time: #s\n"
                                    "line 3: 2\n"
                                    "line 4: 1\n");

    Write("a.txt", "cat");
    Write("b.txt", "none");
    const CliOutcome several = Run({"-t", table, "--stats", "--count", Arg("a.txt"), Arg("b.txt")});
    EXPECT_EQ(MaskTimings(several.err), "Table: 2 rows, 2 pairs that can match; Build: #s\n" +
                                            Arg("a.txt") + ": Found: 1; Time: #s\n" +
                                            Arg("a.txt") + ": line 3: 1\n" +
                                            Arg("a.txt") + ": 0 hits: line 4\n" +
                                            Arg("b.txt") + ": Found: 0; Time: #s\n" +
                                            Arg("b.txt") + ": 0 hits: lines 3 and 4\n");
}

}  // namespace
}  // namespace palimp::cli::test
