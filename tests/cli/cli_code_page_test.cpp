// Files without a byte order mark: the code page they are read in (--ansi, or the default the
// platform gives), so that ASCII and UTF-8 files stay UTF-8 and an 8-bit file that is not
// UTF-8 is refused rather than misread.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "cli/code_pages.h"
#include "cli_test_support.h"

namespace palimp::cli::test {
namespace {

using ::testing::HasSubstr;
using namespace std::string_literals;


struct CodePageCase {
    const char* name;
    unsigned defaultPage;            // what the platform would give
    std::vector<std::string> extra;  // more options
    std::string input;
    int exit;
    std::string written;  // the file after -i
    std::string refused;  // the first bad byte the refusal names; empty: none
};

void PrintTo(const CodePageCase& c, std::ostream* os) { *os << c.name; }

class CodePageChoice : public CliTest, public ::testing::WithParamInterface<CodePageCase> {};

TEST_P(CodePageChoice, DecidesHowAFileWithoutAMarkIsReadAndWritten) {
    const CodePageCase& c = GetParam();
    defaultCodePage_ = c.defaultPage;
    const std::string table = Table({{{u"\"", u"\u201D", u""}}, {{u"...", u"\u2026", u""}}});
    Write("in.txt", c.input);
    std::vector<std::string> args = {"-t", table, "-i", Arg("in.txt")};
    args.insert(args.end(), c.extra.begin(), c.extra.end());
    const CliOutcome run = Run(args);
    EXPECT_EQ(run.exit, c.exit) << run.err;
    EXPECT_EQ(Read("in.txt"), c.written);
    EXPECT_EQ(run.err, c.refused.empty() ? ""
                                         : "palimp-replace: " + Arg("in.txt") + ": has no byte order mark and is not "
                                           "UTF-8: byte " + c.refused + "; nothing written (--ansi 1252 reads it as "
                                           "Windows-1252)\n");
}

INSTANTIATE_TEST_SUITE_P(
    Cli, CodePageChoice,
    ::testing::Values(
        CodePageCase{"Utf8StaysUtf8", kUtf8CodePage, {}, "caf\xC3\xA9 \"", 0, "caf\xC3\xA9 \xE2\x80\x9D", ""},
        CodePageCase{"EightBitIsRefused", kUtf8CodePage, {}, "caf\xE9 \"", 1, "caf\xE9 \"", "0xE9 at offset 3, line 1"},
        CodePageCase{"EightBitWithoutHitsIsRefusedToo", kUtf8CodePage, {}, "x\ncaf\xE9", 1, "x\ncaf\xE9",
                     "0xE9 at offset 5, line 2"},
        CodePageCase{"ACutOffSequenceIsNoUtf8", kUtf8CodePage, {}, "\" caf\xC3", 1, "\" caf\xC3", "0xC3 at offset 5, line 1"},
        CodePageCase{"CountingDoesNotReadItEither", kUtf8CodePage, {"--count"}, "caf\xE9 \"", 1, "caf\xE9 \"",
                     "0xE9 at offset 3, line 1"},
        CodePageCase{"Ansi1252ReadsIt", kUtf8CodePage, {"--ansi", "1252"}, "caf\xE9 \"", 0, "caf\xE9 \x94", ""},
        CodePageCase{"Ansi1252SpelledCp1252", kUtf8CodePage, {"--ansi=CP1252"}, "caf\xE9 \"", 0, "caf\xE9 \x94", ""},
        CodePageCase{"Ansi1252SpelledWindows1252", kUtf8CodePage, {"--ansi", "windows-1252"}, "\xE9\"", 0, "\xE9\x94", ""},
        CodePageCase{"Ansi1252TakesAsciiAsItsOwn", kUtf8CodePage, {"--ansi", "1252"}, "\"", 0, "\x94", ""},
        CodePageCase{"Ansi1252KeepsUtf8Utf8", kUtf8CodePage, {"--ansi", "1252"}, "\xC3\xA9\"", 0, "\xC3\xA9\xE2\x80\x9D", ""},
        CodePageCase{"DefaultOf1252", kWindows1252, {}, "caf\xE9 \"", 0, "caf\xE9 \x94", ""},
        CodePageCase{"AnsiUtf8OverADefaultOf1252", kWindows1252, {"--ansi", "UTF-8"}, "caf\xE9 \"", 1, "caf\xE9 \"",
                     "0xE9 at offset 3, line 1"},
        CodePageCase{"AnsiByNumber", kWindows1252, {"--ansi", "65001"}, "\"", 0, "\xE2\x80\x9D", ""},
        CodePageCase{"MarksDecideWhateverTheCodePage", kUtf8CodePage, {}, "\xFF\xFE\"\0"s, 0, "\xFF\xFE\x1D\x20"s, ""},
        CodePageCase{"ConversionToUtf8NeedsTheTextToo", kUtf8CodePage, {"--encoding", "utf8"}, "\xE9\"", 1, "\xE9\"",
                     "0xE9 at offset 0, line 1"}), kCaseName);

INSTANTIATE_TEST_SUITE_P(Regressions, CodePageChoice,
                         ::testing::Values(CodePageCase{"AsciiCameBackAsWindows1252", kUtf8CodePage, {}, "say \"hi\"...", 0,
                                                        "say \xE2\x80\x9Dhi\xE2\x80\x9D\xE2\x80\xA6", ""}), kCaseName);

TEST_F(CliTest, TheIssuesExampleWithTheStarterTable) {
    defaultCodePage_ = kUtf8CodePage;
    const fs::path starter = fs::path(PALIMP_DIST_DIR) / "replace" / "Typographic quotes.palimp";
    Write("q.txt", "He said \"hello\" -- done...\n");
    const CliOutcome run = Run({"-t", ToUtf8(PathToUtf16(starter)), "-i", Arg("q.txt")});
    EXPECT_EQ(run.exit, kExitOk) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(Read("q.txt"), "He said \xE2\x80\x9Chello\xE2\x80\x9D \xE2\x80\x93 done\xE2\x80\xA6\n");
}

TEST_F(CliTest, ATableWithoutAMarkIsReadInTheCodePageToo) {
    defaultCodePage_ = kUtf8CodePage;
    Write("utf8.palimp", "##\ncaf\xC3\xA9\tx\n");
    Write("latin.palimp", "##\ncaf\xE9\tx\n");
    const CliOutcome utf8 = RunWithStdin({"-t", Arg("utf8.palimp")}, "caf\xC3\xA9!");
    EXPECT_EQ(utf8.exit, kExitOk) << utf8.err;
    EXPECT_EQ(utf8.out, "x!");

    const CliOutcome refused = RunWithStdin({"-t", Arg("latin.palimp")}, "caf\xC3\xA9!");
    EXPECT_EQ(refused.exit, kExitUsage);
    EXPECT_EQ(refused.err, "palimp-replace: " + Arg("latin.palimp") +
                               ": has no byte order mark and is not UTF-8: byte 0xE9 at offset 6, line 2 (--ansi 1252 reads "
                               "it as Windows-1252)\n");
    EXPECT_EQ(refused.out, "");

    const CliOutcome latin = RunWithStdin({"-t", Arg("latin.palimp"), "--ansi", "1252"}, "caf\xE9!");
    EXPECT_EQ(latin.exit, kExitOk) << latin.err;
    EXPECT_EQ(latin.out, "x!");
}

TEST_F(CliTest, ACodePageTheSystemLacksIsAUsageError) {
    const std::string table = Table({{{u"a", u"b", u""}}});
    const CliOutcome run = RunWithStdin({"-t", table, "--ansi", "437"}, "a");
    EXPECT_EQ(run.exit, kExitUsage);
    EXPECT_EQ(run.err, "palimp-replace: code page 437 is not available here (--ansi utf8 or 1252)\n");
    EXPECT_EQ(run.out, "");
}

TEST_F(CliTest, InPlaceConversionsSayWhatEachFileBecame) {
    defaultCodePage_ = kUtf8CodePage;
    const std::string table = Table({{{u"a", u"b", u""}}});
    Write("le.txt", Utf16Bytes(u"a\n", false, true));
    Write("plain.txt", "a\n");
    Write("latin.txt", "a\xE9\n");
    const CliOutcome run = Run({"-t", table, "--ansi", "1252", "--encoding", "utf8", "-i", Arg("le.txt"),
                                Arg("plain.txt"), Arg("latin.txt")});
    EXPECT_EQ(run.exit, kExitOk) << run.err;
    EXPECT_EQ(run.err, "palimp-replace: " + Arg("le.txt") + ": note: UTF-16 LE with mark written as UTF-8 (--encoding)\n" +
                           "palimp-replace: " + Arg("plain.txt") + ": note: Windows-1252 written as UTF-8 (--encoding)\n" +
                           "palimp-replace: " + Arg("latin.txt") + ": note: Windows-1252 written as UTF-8 (--encoding)\n");
    EXPECT_EQ(Read("le.txt"), "b\n");
    EXPECT_EQ(Read("latin.txt"), "b\xC3\xA9\n");

    Write("plain.txt", "a\n");
    const CliOutcome utf16 = Run({"-t", table, "--encoding", "UTF-16LE", "-i", Arg("plain.txt")});
    EXPECT_EQ(utf16.err, "palimp-replace: " + Arg("plain.txt") +
                             ": note: UTF-8 written as UTF-16 LE with mark with CR LF line breaks (--encoding)\n");
    EXPECT_EQ(Read("plain.txt"), Utf16Bytes(u"b\r\n", false, true));
}

TEST(CodePages, NamesAndLocaleCharacterSets) {
    const struct {
        const char* name;
        unsigned number;
    } names[] = {{"utf8", kUtf8CodePage}, {"UTF-8", kUtf8CodePage}, {"utf_8", kUtf8CodePage},
                 {"65001", kUtf8CodePage}, {"1252", kWindows1252}, {"cp1252", kWindows1252},
                 {"Windows-1252", kWindows1252}, {"437", 437}, {"latin1", 0}, {"", 0},
                 {"123456", 0}, {"-", 0}};
    for (const auto& n : names) EXPECT_EQ(CodePageNumber(n.name), n.number) << n.name;

    // nl_langinfo(CODESET) as glibc and the BSDs spell it.
    const struct {
        const char* charset;
        unsigned number;
    } charsets[] = {{"UTF-8", kUtf8CodePage}, {"utf8", kUtf8CodePage}, {"ANSI_X3.4-1968", kUtf8CodePage},
                    {"US-ASCII", kUtf8CodePage}, {"ISO-8859-1", kWindows1252}, {"CP1252", kWindows1252},
                    {"ISO-8859-15", kUtf8CodePage}, {"", kUtf8CodePage}};
    for (const auto& c : charsets) EXPECT_EQ(CodePageOfCharset(c.charset), c.number) << c.charset;
}

TEST_F(CliTest, HelpNamesTheDefaultCodePage) {
    defaultCodePage_ = kUtf8CodePage;
    EXPECT_THAT(Run({"--help"}).out, HasSubstr("(default here: utf8)"));
    defaultCodePage_ = 1250;
    EXPECT_THAT(Run({"--help"}).out, HasSubstr("(default here: 1250)"));
}

}  // namespace
}  // namespace palimp::cli::test
