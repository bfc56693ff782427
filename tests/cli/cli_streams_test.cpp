// Standard input and output as streams: a piece at a time whatever the input's size, with the
// same result a file gives; a failure stops the output where it stops being right; an input
// too large is refused before it is read; -i never takes data from a FIFO.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "cli_test_support.h"

namespace palimp::cli::test {
namespace {

using ::testing::EndsWith;
using ::testing::HasSubstr;

using CliStreams = CliTest;
using CliStreamRegressions = CliTest;

// Regression: standard input was read whole (1 GiB in: 3.2 GB peak). Read as a stream, in
// pieces down to one byte, it must give what the same bytes give as a file, in both code
// pages, through the search for the encoding that a stream can only replay.
TEST_F(CliStreamRegressions, StandardInputReadInPiecesGivesWhatTheSameFileGives) {
    const std::string table = AnimalTable();
    struct Case {
        const char* name;
        std::string bytes;
        unsigned codePage;
    } cases[] = {
        {"ASCII", "a cat, Hat cat\r\n", kWindows1252},
        {"UTF-8 without mark", "caf\xC3\xA9 cat \xE2\x82\xAC cat", kWindows1252},
        {"ANSI", "caf\xE9 cat \xE9", kWindows1252},
        {"UTF-8 without mark, UTF-8 code page", "caf\xC3\xA9 cat \xE2\x82\xAC cat", kUtf8CodePage},
        {"not UTF-8 in a UTF-8 code page", "cat cat cat \xE9", kUtf8CodePage},
        {"UTF-16 with mark", Utf16Bytes(u"cat \u20AC cat", false, true), kUtf8CodePage},
        {"UTF-8 with mark, odd end", "\xEF\xBB\xBF" "cat \xC3", kWindows1252},
    };
    for (const Case& c : cases) {
        Write("in.txt", c.bytes);
        defaultCodePage_ = c.codePage;
        for (std::size_t piece : {1u, 2u, 3u, 7u, 0u}) {
            pieceBytes_ = piece;
            const CliOutcome file = Run({"-t", table, "-o", Arg("out.txt"), Arg("in.txt")});
            const CliOutcome stream = RunWithStdin({"-t", table}, c.bytes);
            const std::string trace = std::string(c.name) + ", pieces of " + std::to_string(piece);
            EXPECT_EQ(stream.exit, file.exit) << trace << ": " << stream.err;
            if (file.exit == kExitOk) {
                EXPECT_EQ(stream.out, Read("out.txt")) << trace;
            } else {
                // What went out is the result as far as it goes.
                EXPECT_FALSE(Exists("out.txt")) << trace;
                EXPECT_THAT(stream.err, HasSubstr(stream.out.empty() ? "nothing written" : "the output stops before it"))
                    << trace;
            }
            fs::remove(Path("out.txt"));
        }
    }
}

TEST_F(CliStreams, AFailureStopsStandardOutputWhereTheResultStopsBeingRight) {
    pieceBytes_ = 4;
    defaultCodePage_ = kUtf8CodePage;
    const CliOutcome run = RunWithStdin({"-t", AnimalTable()}, "cat cat cat cat \xE9");
    EXPECT_EQ(run.exit, kExitFailure);
    EXPECT_EQ(run.out, "dog dog dog ");  // the last word waits for the unit after it
    EXPECT_THAT(run.err, HasSubstr("standard input: has no byte order mark and is not UTF-8: byte 0xE9 at offset 16, line 1; "
                                   "the output stops before it"));
}

// An input that cannot be held is refused at once: nothing read, nothing written.
TEST_F(CliStreams, AFileTooLargeForAnyEncodingIsRefusedBeforeItIsRead) {
    {
        std::ofstream(Path("huge.txt"), std::ios::binary);
    }
    std::error_code error;
    fs::resize_file(Path("huge.txt"), std::uint64_t{7} << 30, error);  // sparse: no disk used
    if (error) GTEST_SKIP() << "no 7 GiB file here: " << error.message();
    const CliOutcome run = Run({"-t", AnimalTable(), "-o", Arg("out.txt"), Arg("huge.txt")});
    EXPECT_EQ(run.exit, kExitFailure);
    EXPECT_EQ(run.err, "palimp-replace: " + Arg("huge.txt") +
                           ": is too large (more than 2,147,483,647 UTF-16 units); nothing written\n");
    EXPECT_FALSE(Exists("out.txt"));
}

#ifndef _WIN32
TEST_F(CliStreamRegressions, InPlaceOnAFifoTookItsDataBeforeRefusingIt) {
    ASSERT_EQ(mkfifo(Path("fifo").c_str(), 0600), 0);
    const int reader = open(Path("fifo").c_str(), O_RDONLY | O_NONBLOCK);
    const int writer = open(Path("fifo").c_str(), O_WRONLY);
    ASSERT_GE(reader, 0);
    ASSERT_EQ(write(writer, "a cat", 5), 5);
    const CliOutcome run = Run({"-t", AnimalTable(), "-i", Arg("fifo")});
    EXPECT_EQ(run.exit, kExitFailure);
    EXPECT_EQ(run.err, "palimp-replace: " + Arg("fifo") + ": cannot open: not a regular file\n");
    char back[16];
    EXPECT_EQ(std::string(back, static_cast<std::size_t>(read(reader, back, sizeof back))), "a cat");
    close(writer);
    close(reader);
}
#endif

}  // namespace
}  // namespace palimp::cli::test
