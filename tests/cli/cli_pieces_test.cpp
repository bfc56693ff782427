// Inputs go through palimp-replace a piece at a time. Whatever the size of the pieces, and
// wherever they cut a mark, a sequence, a line break, a match or a surrogate pair, the bytes
// written, the counts and the messages must be those of the whole input.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <regex>
#include <thread>

#if !defined(_WIN32)
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "cli/transcode.h"
#include "cli_test_support.h"
#include "core/replace_many.h"

namespace palimp::cli::test {
namespace {

using ::testing::HasSubstr;
using namespace std::string_literals;

std::string Le(std::u16string_view text) { return Utf16Bytes(text, false, true); }
std::string Be(std::u16string_view text) { return Utf16Bytes(text, true, true); }

// Everything a run leaves behind: status, streams and the file written.
struct Trace {
    int exit;
    std::string out, err, file;
    bool operator==(const Trace&) const = default;
};

void PrintTo(const Trace& t, std::ostream* os) {
    *os << "exit " << t.exit << ", out " << testing::PrintToString(t.out) << ", err "
        << testing::PrintToString(t.err) << ", file " << testing::PrintToString(t.file);
}

class CliPieces : public CliTest {
protected:
    Trace RunTraced(std::vector<std::string> args, const std::string& input, std::size_t piece) {
        pieceBytes_ = piece;
        Write("in.txt", input);
        std::error_code ignored;
        fs::remove(Path("out.txt"), ignored);
        args.push_back(Arg("in.txt"));
        const CliOutcome run = Run(args);
        return {run.exit, run.out, run.err, Exists("out.txt") ? Read("out.txt") : "<none>"};
    }
};

TEST_F(CliPieces, EveryPieceSizeGivesTheBytesOfTheWholeInput) {
    const std::string table = Table({{{u"cat", u"dog", u""}},
                                     {{u"\u00E9t\u00E9", u"summer", u"W"}},
                                     {{u"\U0001F600", u":-)", u"C"}},
                                     {{u"\r\n", u"\u2028", u""}},
                                     {{u"\xD83D", u"[half]", u""}}});
    const std::u16string text = u"Cat\r\n\u00E9t\u00E9 \U0001F600\rcat\n\u00C9T\u00C9\r\n\u2028x\0"s;
    const std::string inputs[] = {
        Le(text),
        Be(text),
        "\xEF\xBB\xBF" + ToUtf8(text),
        ToUtf8(text),
        "Cat\r\ncat \xE9t\xE9\n\x81\r\r\n",
        "\xEF\xBB\xBF" "cat \xC3 ill-formed \xE2\x82",  // refused in keep mode
        Le(u"cat") + "odd",                           // likewise
        "",
    };
    const std::vector<std::vector<std::string>> modes = {
        {"-o", Arg("out.txt")},
        {"--encoding", "utf16le", "-o", Arg("out.txt")},
        {"--encoding", "utf8", "-o", Arg("out.txt")},
        {"--count", "--stats"},
        {},  // standard output
    };
    for (const std::string& input : inputs) {
        for (const auto& mode : modes) {
            std::vector<std::string> args = {"-t", table};
            args.insert(args.end(), mode.begin(), mode.end());
            const Trace whole = RunTraced(args, input, input.size() + 1);
            for (const std::size_t piece : {1u, 2u, 3u, 5u, 7u}) {
                const Trace pieces = RunTraced(args, input, piece);
                // Timings differ between runs; everything else must not.
                const auto untimed = [](Trace t) {
                    static const std::regex kTimes("(Build|Time): [0-9.]+s");
                    t.err = std::regex_replace(t.err, kTimes, "$1: #s");
                    return t;
                };
                ASSERT_EQ(untimed(pieces), untimed(whole))
                    << testing::PrintToString(input) << " " << testing::PrintToString(mode)
                    << " pieces of " << piece;
            }
        }
    }
}

// The text of bytes as the editor reads it, replaced, and written back in encoding: the same
// steps on the whole text, without pieces.
std::string Expected(std::span<const std::array<std::u16string, 3>> rows, const std::string& bytes,
                     TextEncoding encoding) {
    const std::u16string text = DecodeTextFileWithEncoding(bytes).text;
    const ReplaceResult result = ReplaceManyEngine(rows).Run(text);
    return EncodeText(result.anyPairKept ? result.output : text, encoding).bytes;
}

TEST_F(CliPieces, InputsOfManyPiecesComeOutWhole) {
    const std::array<std::u16string, 3> rows[] = {{u"ab", u"\u00E9", u""},
                                                  {u"\u20AC\u20AC", u"E", u"C"},
                                                  {u"b\U0001F600", u"", u""}};
    const std::string table = Table({rows[0], rows[1], rows[2]});
    // Some 900 kB, so that the program's own pieces cut it many times, at every kind of unit.
    std::u16string text;
    for (int k = 0; text.size() < 400000; ++k) {
        text += k % 3 == 0 ? u"ab\u20AC\u20ACb\U0001F600 " : k % 3 == 1 ? u"Ab\r\nx" : u"\u00E9a";
    }
    const struct {
        std::string input;
        TextEncoding encoding;
    } cases[] = {{Le(text), TextEncoding::kUtf16LeBom},
                 {Be(text), TextEncoding::kUtf16BeBom},
                 {"\xEF\xBB\xBF" + ToUtf8(text), TextEncoding::kUtf8Bom},
                 {ToUtf8(text), TextEncoding::kUtf8}};
    for (const auto& c : cases) {
        Write("big.txt", c.input);
        const CliOutcome run = Run({"-t", table, "-o", Arg("out.txt"), Arg("big.txt")});
        ASSERT_EQ(run.exit, kExitOk) << run.err;
        EXPECT_TRUE(Read("out.txt") == Expected(rows, c.input, c.encoding))
            << "output differs for encoding " << static_cast<int>(c.encoding);
    }
}

TEST_F(CliPieces, TheInputMayBeTheOutputToo) {
    const std::string table = Table({{{u"cat", u"dog", u""}}});
    pieceBytes_ = 2;
    Write("in.txt", "a cat, a cat");
    const CliOutcome run = Run({"-t", table, "-o", Arg("in.txt"), Arg("in.txt")});
    EXPECT_EQ(run.exit, kExitOk) << run.err;
    EXPECT_EQ(Read("in.txt"), "a dog, a dog");
}

#if !defined(_WIN32)
using CliPieceRegressions = CliPieces;
TEST_F(CliPieceRegressions, AnInputThatCannotBeReadTwiceWasReportedUnreadable) {
    // A named pipe gives its bytes once, and UTF-8 without a mark is known only from all of
    // them: it is read whole.
    ASSERT_EQ(mkfifo(Path("pipe").c_str(), 0600), 0);
    const std::string table = Table({{{u"caf\u00E9", u"x", u""}}});
    std::thread writer([this] {
        std::ofstream(Path("pipe"), std::ios::binary) << std::string(100000, '.') + "caf\xC3\xA9";
    });
    const CliOutcome run = Run({"-t", table, Arg("pipe")});
    // Should the pipe never have been opened, a reader of our own lets the writer finish.
    const int unblock = open(Path("pipe").c_str(), O_RDONLY | O_NONBLOCK);
    writer.join();
    if (unblock >= 0) close(unblock);
    EXPECT_EQ(run.exit, kExitOk) << run.err;
    EXPECT_TRUE(run.out == std::string(100000, '.') + "x") << run.out.size() << " bytes written";
}
#endif

TEST_F(CliPieces, UnmappedAnsiBytesAreFoundInAnyPiece) {
    const GappedCodePage gapped(true);
    UseCodePage(gapped);
    const std::string table = Table({{{u"cat", u"dog", u""}}});
    for (const std::size_t piece : {1u, 3u, 0u}) {
        pieceBytes_ = piece;
        Write("in.txt", std::string(100, 'x') + "cat \x81");
        const CliOutcome gap = Run({"-t", table, "-i", Arg("in.txt")});
        EXPECT_EQ(gap.exit, kExitFailure);
        EXPECT_THAT(gap.err, HasSubstr("bytes that the ANSI code page does not map"));
        EXPECT_EQ(Read("in.txt"), std::string(100, 'x') + "cat \x81");

        const CliOutcome converted = Run({"-t", table, "--encoding", "utf8", Arg("in.txt")});
        EXPECT_EQ(converted.exit, kExitOk);
        EXPECT_EQ(converted.out, std::string(100, 'x') + "dog \xEF\xBF\xBD");
    }
}

// A file read twice, once to find its encoding and once to replace: a source whose second
// reading differs from the first stands for a file changed in between.
class ChangingSource final : public ByteSource {
public:
    ChangingSource(std::string first, std::string second)
        : first_(std::move(first)), second_(std::move(second)) {}
    std::size_t Read(char* buffer, std::size_t size) override {
        const std::string& bytes = rewound_ ? second_ : first_;
        const std::size_t got = std::min(size, bytes.size() - at_);
        std::copy_n(bytes.data() + at_, got, buffer);
        at_ += got;
        return got;
    }
    void Rewind() override {
        rewound_ = true;
        at_ = 0;
    }

private:
    std::string first_, second_;
    bool rewound_ = false;
    std::size_t at_ = 0;
};

TEST(CliPass, AFileThatChangesBetweenItsReadingsIsCaught) {
    const std::vector<ReplacePair> pairs = {{u"cat", u"dog", u""}};
    const ReplaceManyEngine engine(pairs);
    PassSettings settings;
    settings.codePage.page = &DefaultAnsiCodePage();
    settings.pieceBytes = 4;
    const struct {
        std::string first, second;
        bool changed;
    } cases[] = {
        {"cat caf\xC3\xA9", "cat caf\xC3\xA9", false},
        {"cat caf\xC3\xA9", "cat caf\xE9", true},           // no longer UTF-8
        {"cat caf\xE9", "cat caf\xC3\xA9", true},           // now UTF-8
        {"\xFF\xFE" "c\0"s, "\xFE\xFF\0c"s, true},          // another mark
        {"cat cat", "cat cat more", false},                 // ASCII either way
    };
    for (const auto& c : cases) {
        ChangingSource source(c.first, c.second);
        const PassOutcome outcome = RunPass(source, engine, settings, [](std::string_view) {});
        EXPECT_EQ(outcome.changedWhileRead, c.changed) << testing::PrintToString(c.second);
    }
}

}  // namespace
}  // namespace palimp::cli::test
