// Encodings: every input encoding in every output mode, the bytes that keep mode must carry
// through untouched, and the write-backs that would lose data, which must fail instead.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>

#include "cli_test_support.h"

namespace palimp::cli::test {
namespace {

using ::testing::HasSubstr;
using ::testing::IsEmpty;
using namespace std::string_literals;

std::string Utf8Mark(std::u16string_view text) { return "\xEF\xBB\xBF" + ToUtf8(text); }
std::string Utf8Plain(std::u16string_view text) { return ToUtf8(text); }
std::string Le(std::u16string_view text) { return Utf16Bytes(text, false, true); }
std::string Be(std::u16string_view text) { return Utf16Bytes(text, true, true); }
// Windows-1252 for text whose units are all below U+0100 outside 0x80-0x9F, where it is
// Latin-1.
std::string Latin1(std::u16string_view text) {
    std::string bytes;
    for (char16_t unit : text) bytes += static_cast<char>(unit);
    return bytes;
}

struct InputKind {
    const char* name;
    std::function<std::string(std::u16string_view)> encode;
};

const InputKind kInputs[] = {
    {"Utf16LeMark", Le}, {"Utf16BeMark", Be}, {"Utf8Mark", Utf8Mark},
    {"Utf8NoMark", Utf8Plain}, {"Ansi", Latin1},
};

struct ModeCase {
    const char* option;
    // The expected bytes from the input's encoder and the expected text.
    std::function<std::string(const InputKind&, std::u16string_view)> expect;
};

std::u16string CrLf(std::u16string_view text) {
    std::u16string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') continue;
        if (text[i] == u'\r' || text[i] == u'\n') {
            out += u"\r\n";
        } else {
            out += text[i];
        }
    }
    return out;
}

const ModeCase kModes[] = {
    {"keep", [](const InputKind& in, std::u16string_view text) { return in.encode(text); }},
    {"utf16le", [](const InputKind&, std::u16string_view text) { return Le(CrLf(text)); }},
    {"utf8", [](const InputKind&, std::u16string_view text) { return ToUtf8(text); }},
};

class EncodingMatrix : public CliTest,
                       public ::testing::WithParamInterface<std::tuple<int, int>> {};

TEST_P(EncodingMatrix, WritesTheRequestedEncodingAndLineBreaks) {
    const InputKind& input = kInputs[std::get<0>(GetParam())];
    const ModeCase& mode = kModes[std::get<1>(GetParam())];
    const std::string table = Table({{{u"one", u"1", u""}}, {{u"caf\u00E9", u"Caf\u00C9", u"C"}}});
    const std::u16string source = u"one\ntwo\r\nthree\rcaf\u00E9 one\n\r";
    const std::u16string replaced = u"1\ntwo\r\nthree\rCaf\u00C9 1\n\r";
    Write("in.txt", input.encode(source));

    const CliOutcome run = Run({"-t", table, "--encoding", mode.option, "-o", Arg("out.txt"), Arg("in.txt")});
    ASSERT_EQ(run.exit, kExitOk) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(Read("out.txt"), mode.expect(input, replaced));
}

INSTANTIATE_TEST_SUITE_P(Cli, EncodingMatrix,
                         ::testing::Combine(::testing::Range(0, 5), ::testing::Range(0, 3)),
                         [](const auto& testInfo) {
                             return std::string(kInputs[std::get<0>(testInfo.param)].name) + "_" +
                                    kModes[std::get<1>(testInfo.param)].option;
                         });

TEST_F(CliTest, KeepModeCarriesEveryByteOutsideTheMatches) {
    const std::string table = Table({{{u"cat", u"dog", u""}}});
    // NULs, lone CR, LF CR, U+2028 and every other byte value survive in each encoding.
    std::string every;
    for (int b = 0; b < 256; ++b) every += static_cast<char>(b);
    struct Case {
        const char* name;
        std::string input, expected;
    } cases[] = {
        {"ansi", "x\0cat\r\n\r"s + every + "cat", "x\0dog\r\n\r"s + every + "dog"},
        {"utf8", "\0cat\n\r\xE2\x80\xA8\xC3\xA9\r"s, "\0dog\n\r\xE2\x80\xA8\xC3\xA9\r"s},
        {"utf16le", Le(u"\0cat\r\u2028\xDC00\n\r"s), Le(u"\0dog\r\u2028\xDC00\n\r"s)},
        {"utf16be", Be(u"cat\xD800\0"s), Be(u"dog\xD800\0"s)},
    };
    for (const Case& c : cases) {
        const CliOutcome run = RunWithStdin({"-t", table}, c.input);
        EXPECT_EQ(run.exit, kExitOk) << c.name << ": " << run.err;
        EXPECT_EQ(run.out, c.expected) << c.name;
    }
}

struct LossCase {
    const char* name;
    std::string input;
    std::u16string phrase, replacement;
    const char* mode;
    const char* complaint;
};

void PrintTo(const LossCase& c, std::ostream* os) { *os << c.name; }

class LossyWriteBacks : public CliTest, public ::testing::WithParamInterface<LossCase> {};

TEST_P(LossyWriteBacks, FailWithoutWritingAnything) {
    const LossCase& c = GetParam();
    const std::string table = Table({{{c.phrase, c.replacement, u""}}});
    Write("in.txt", c.input);
    for (bool inPlace : {false, true}) {
        std::vector<std::string> args = {"-t", table, "--encoding", c.mode, Arg("in.txt")};
        if (inPlace) {
            args.push_back("-i");
        } else {
            args.insert(args.end(), {"-o", Arg("out.txt")});
        }
        const CliOutcome run = Run(args);
        EXPECT_EQ(run.exit, kExitFailure);
        EXPECT_EQ(run.err.rfind("palimp-replace: " + Arg("in.txt") + ": ", 0), 0u) << run.err;
        EXPECT_THAT(run.err, HasSubstr(c.complaint));
        EXPECT_THAT(run.err, HasSubstr("nothing written"));
        EXPECT_FALSE(Exists("out.txt"));
        EXPECT_EQ(Read("in.txt"), c.input);
    }
    // Counting writes nothing, so nothing can be lost.
    const CliOutcome count = Run({"-t", table, "--encoding", c.mode, "--count", Arg("in.txt")});
    EXPECT_EQ(count.exit, kExitOk) << count.err;
}

INSTANTIATE_TEST_SUITE_P(
    Cli, LossyWriteBacks,
    ::testing::Values(
        LossCase{"AnsiCannotHoldTheReplacement", "caf\xE9 cat", u"cat", u"\u2192", "keep",
                 "characters that the ANSI code page cannot represent (--encoding utf8"},
        LossCase{"IllFormedUtf8AfterMark", "\xEF\xBB\xBF" "cat \xC3 x", u"cat", u"dog", "keep",
                 "holds ill-formed UTF-8, read as U+FFFD, which would not be written back unchanged"},
        LossCase{"OddByteAfterUtf16", "\xFF\xFE" "c\0a\0t\0" "A"s, u"cat", u"dog", "keep",
                 "holds an odd trailing byte after the UTF-16 text"},
        LossCase{"OddByteAfterUtf16Be", "\xFE\xFF\0c\0a\0t" "A"s, u"cat", u"dog", "keep",
                 "odd trailing byte"},
        LossCase{"ReplacementSplitsASurrogatePairInUtf8", "\xF0\x9F\x98\x80", u"\xD83D", u"x", "keep",
                 "unpaired surrogate, which UTF-8 cannot represent (--encoding utf16le"},
        LossCase{"LoneSurrogateOfUtf16AsUtf8", "\xFF\xFE" "c\0a\0t\0\x00\xD8"s, u"cat",
                 u"dog", "utf8", "unpaired surrogate"}), kCaseName);

// A conversion of standard input that goes through and names what the input lost.
class Conversions : public CliTest {
protected:
    void ExpectLoss(const std::string& input, const char* mode, const std::string& expected, const char* loss) {
        const CliOutcome run = RunWithStdin({"-t", Table({{{u"cat", u"dog", u""}}}), "--encoding", mode}, input);
        EXPECT_EQ(run.exit, kExitOk) << run.err;
        EXPECT_EQ(run.out, expected);
        EXPECT_EQ(run.err, "palimp-replace: standard input: warning: holds "s + loss + "; converted as read\n");
    }
};
using ConversionRegressions = Conversions;

TEST_F(Conversions, NameWhatTheInputLost) {
    ExpectLoss("\xEF\xBB\xBF" "cat \xC3 x", "utf8", "dog \xEF\xBF\xBD x", "ill-formed UTF-8, read as U+FFFD");
    ExpectLoss("\xFF\xFE" "c\0a\0t\0" "A"s, "utf16le", Le(u"dog"), "an odd trailing byte after the UTF-16 text");
}

TEST_F(ConversionRegressions, ASequenceCutOffByTheEndOfTheInputWasNoUFFFD) {
    ExpectLoss("\xEF\xBB\xBF" "cat \xF0\x9F\x98", "utf8", "dog \xEF\xBF\xBD", "ill-formed UTF-8, read as U+FFFD");
}

TEST_F(CliTest, ConversionsReachWhatKeepModeRefuses) {
    const std::string table = Table({{{u"cat", u"\u2192", u""}}});
    const CliOutcome run = RunWithStdin({"-t", table, "--encoding", "utf8"}, "caf\xE9 cat");
    EXPECT_EQ(run.exit, kExitOk) << run.err;
    EXPECT_EQ(run.out, "caf\xC3\xA9 \xE2\x86\x92");

    const std::string split = Table({{{u"\xD83D", u"x", u""}}}, "split.palimp");
    const CliOutcome utf16 = RunWithStdin({"-t", split, "--encoding", "utf16le"}, "\xF0\x9F\x98\x80");
    EXPECT_EQ(utf16.exit, kExitOk) << utf16.err;
    EXPECT_EQ(utf16.out, Le(u"x\xDE00"s));
}

TEST_F(CliTest, AnsiBytesWithoutACharacterAreNotWrittenBackAsSubstitutes) {
    const GappedCodePage gapped(false);
    UseCodePage(gapped);
    const std::string table = Table({{{u"cat", u"dog", u""}}});

    const CliOutcome gap = RunWithStdin({"-t", table}, "cat \x81");
    EXPECT_EQ(gap.exit, kExitFailure);
    EXPECT_THAT(gap.out, IsEmpty());
    EXPECT_THAT(gap.err, HasSubstr("bytes that the ANSI code page does not map"));

    const CliOutcome clean = RunWithStdin({"-t", table}, "cat \xE9");
    EXPECT_EQ(clean.exit, kExitOk) << clean.err;
    EXPECT_EQ(clean.out, "dog \xE9");
}

}  // namespace
}  // namespace palimp::cli::test
