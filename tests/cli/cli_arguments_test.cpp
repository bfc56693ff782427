// The command line itself: usage errors and their exit status, help, version, and the
// spellings an option may take.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "cli_test_support.h"

namespace palimp::cli::test {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;

struct UsageCase {
    const char* name;
    std::vector<std::string> args;  // "@T" stands for a real table file, "@F" for a real input
    const char* complaint;
};

void PrintTo(const UsageCase& c, std::ostream* os) { *os << c.name; }

class UsageErrors : public CliTest, public ::testing::WithParamInterface<UsageCase> {};

TEST_P(UsageErrors, ExitWithStatusTwoAndSayWhy) {
    const std::string table = Table({{{u"a", u"b", u""}}});
    Write("in.txt", "a");
    std::vector<std::string> args;
    for (const std::string& arg : GetParam().args) {
        args.push_back(arg == "@T" ? table : arg == "@F" ? Arg("in.txt") : arg);
    }
    const CliOutcome run = Run(args);
    EXPECT_EQ(run.exit, kExitUsage);
    EXPECT_THAT(run.err, StartsWith("palimp-replace: "));
    EXPECT_THAT(run.err, HasSubstr(GetParam().complaint));
    EXPECT_THAT(run.err, HasSubstr("Try 'palimp-replace --help'."));
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(Read("in.txt"), "a") << "a usage error touches no file";
}

INSTANTIATE_TEST_SUITE_P(
    Cli, UsageErrors,
    ::testing::Values(
        UsageCase{"NoTable", {"@F"}, "no table given"},
        UsageCase{"NoArguments", {}, "no table given"},
        UsageCase{"UnknownOption", {"-t", "@T", "--frobnicate"}, "unknown option '--frobnicate'"},
        UsageCase{"UnknownShortOption", {"-t", "@T", "-x", "@F"}, "unknown option '-x'"},
        UsageCase{"TableWithoutValue", {"@F", "-t"}, "option '-t' needs a value"},
        UsageCase{"EmptyGluedValue", {"--table=", "@F"}, "needs a non-empty value"},
        UsageCase{"UnknownEncoding", {"-t", "@T", "--encoding", "latin1"}, "unknown encoding 'latin1'"},
        UsageCase{"TableTwice", {"-t", "@T", "--table", "@T", "@F"}, "'--table' given twice"},
        UsageCase{"OutputWithTwoFiles", {"-t", "@T", "-o", "out.txt", "@F", "@F"}, "single input"},
        UsageCase{"InPlaceWithoutFiles", {"-t", "@T", "-i"}, "-i needs at least one FILE"},
        UsageCase{"InPlaceAndOutput", {"-t", "@T", "-i", "-o", "out.txt", "@F"}, "exclude each other"},
        UsageCase{"SameFileTwiceInPlace", {"-t", "@T", "-i", "@F", "@F"}, "given twice with -i"},
        UsageCase{"InPlaceOnStandardInput", {"-t", "@T", "-i", "@F", "-"}, "-i cannot rewrite standard input ('-')"},
        UsageCase{"StandardInputTwice", {"-t", "@T", "-", "-"}, "standard input ('-') given twice"},
        UsageCase{"BackupWithoutInPlace", {"-t", "@T", "--backup", ".bak", "@F"}, "--backup keeps copies of what -i rewrites"},
        UsageCase{"KeepLinksWithoutWriting", {"-t", "@T", "--keep-links", "@F"}, "--keep-links concerns the files -i or -o write"},
        UsageCase{"BackupWithoutSuffix", {"-t", "@T", "-i", "--backup=", "@F"}, "needs a non-empty value"},
        UsageCase{"UnknownCodePage", {"-t", "@T", "--ansi", "latin-9", "@F"}, "unknown code page 'latin-9' (utf8, 1252"},
        UsageCase{"CheckInPlace", {"-t", "@T", "--check", "-i", "@F"}, "--check writes nothing"},
        UsageCase{"CheckWithCount", {"-t", "@T", "--check", "--count", "@F"}, "--check writes nothing"},
        UsageCase{"CheckWithDiff", {"-t", "@T", "--check", "--diff", "@F"}, "--check writes nothing"},
        UsageCase{"DiffWithOutput", {"-t", "@T", "--diff", "-o", "out.txt", "@F"}, "--diff shows what -i would do"},
        UsageCase{"PairWithoutTo", {"--pair", "a"}, "option '--pair' needs FROM and TO"},
        UsageCase{"TsvWithoutTable", {"--pair", "a", "b", "--tsv", "@F"}, "--tsv says how the table file is read"},
        UsageCase{"FilesBesideAList", {"-t", "@T", "--files0-from", "-", "@F"}, "no FILE may be given beside it"},
        UsageCase{"DiffWithCount", {"-t", "@T", "--diff", "--count", "@F"}, "--diff shows what -i would do"}),
    kCaseName);

INSTANTIATE_TEST_SUITE_P(Regressions, UsageErrors,
                         ::testing::Values(UsageCase{"DiffWithInPlaceWasTakenAndInPlaceIgnored",
                                                     {"-t", "@T", "--diff", "-i", "@F"},
                                                     "so it does not go with -i, -o or --count"}), kCaseName);

TEST_F(CliTest, HelpAndVersionWinOverEverythingElse) {
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--help"}, {"-h"}, {"--bogus", "--help"}, {"-i", "-h"}}) {
        const CliOutcome run = Run(args);
        EXPECT_EQ(run.exit, kExitOk) << args[0];
        EXPECT_THAT(run.out, StartsWith("Usage: palimp-replace -t TABLE.palimp"));
        EXPECT_EQ(run.err, "");
    }
    for (const char* option : {"--version", "-V"}) {
        const CliOutcome version = Run({option, "-t"});
        EXPECT_EQ(version.exit, kExitOk);
        EXPECT_EQ(version.out, "palimp-replace 1.2.0.5\n");
    }
}

TEST_F(CliTest, TheTableExampleOfTheHelpWorksAsItSays) {
    const std::string help = Run({"--help"}).out;
    EXPECT_THAT(help, HasSubstr("dist/replace"));
    // The indented lines after "For example:", with <TAB> for the TABs.
    std::string table;
    for (std::size_t at = help.find("For example:\n\n") + 14; help.compare(at, 4, "    ") == 0;) {
        const std::size_t end = help.find('\n', at) + 1;
        table += help.substr(at + 4, end - at - 4);
        at = end;
    }
    for (std::size_t tab = table.find("<TAB>"); tab != std::string::npos; tab = table.find("<TAB>")) {
        table.replace(tab, 5, 1, '\t');
    }
    ASSERT_THAT(table, HasSubstr("\n##\n"));
    Write("example.palimp", table);
    const CliOutcome check = Run({"-t", Arg("example.palimp"), "--check"});
    EXPECT_EQ(check.exit, kExitOk) << check.out << check.err;
    EXPECT_EQ(check.err, "");
    const CliOutcome run = RunWithStdin({"-t", Arg("example.palimp")}, "Colour COLOUR colour, centres centre.");
    EXPECT_EQ(run.out, "Color color color, centres center.");
}

TEST_F(CliTest, OptionsMaySitAnywhereAndTakeGluedValues) {
    Write("in.txt", "cat");
    const std::string table = Table({{{u"cat", u"dog", u""}}});
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{Arg("in.txt"), "-t", table},
          {"--table=" + table, Arg("in.txt")},
          {"-t" + table, "--encoding=keep", Arg("in.txt")},
          {"-t", table, "--", Arg("in.txt")}}) {
        const CliOutcome run = Run(args);
        EXPECT_EQ(run.exit, kExitOk) << run.err;
        EXPECT_EQ(run.out, "dog");
    }
}

TEST_F(CliTest, DoubleDashMakesTheRestFileNames) {
    const std::string table = Table({{{u"a", u"b", u""}}});
    const CliOutcome run = Run({"-t", table, "--", "--count"});
    EXPECT_EQ(run.exit, kExitFailure);
    EXPECT_THAT(run.err, HasSubstr("palimp-replace: --count: cannot open: "));
}

}  // namespace
}  // namespace palimp::cli::test
