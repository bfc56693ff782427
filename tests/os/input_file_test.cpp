// Reading files in pieces, from the start again, with the stamp the writer checks, and the
// scratch file that holds input which must be read twice.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "os_test_support.h"

namespace palimp::os::test {
namespace {

class InputFiles : public ScratchFolder {};

std::string ReadAll(InputFile& input, std::size_t piece) {
    std::string bytes(piece, '\0'), all;
    std::size_t got;
    do {
        got = input.Read(bytes.data(), piece);
        all.append(bytes, 0, got);
    } while (got == piece);
    return all;
}

TEST_F(InputFiles, ReadsInPiecesAndAgainFromTheStart) {
    const fs::path file = dir_ / "data.bin";
    const std::string bytes("\xFF\xFE\r\0\n\0\x1A end", 11);
    Put(file, bytes);
    InputFile input(file, true);
    EXPECT_EQ(input.Kind(), FileKind::kRegular);
    EXPECT_EQ(input.Size(), bytes.size());
    EXPECT_EQ(ReadAll(input, 4), bytes);
    input.Rewind();
    EXPECT_EQ(ReadAll(input, 64), bytes);
}

TEST_F(InputFiles, FailuresCarryTheSystemsReason) {
    fs::create_directory(dir_ / "folder");
    for (const fs::path& path : {dir_ / "missing.txt", dir_ / "folder"}) {
        try {
            InputFile input(path);
            ADD_FAILURE() << "opened " << path;
        } catch (const FileReadError& error) {
            EXPECT_FALSE(error.Reason().empty());
            EXPECT_EQ(error.Message(), u"Cannot open file " + path.u16string());
        }
    }
}

TEST_F(InputFiles, TheStampFollowsTheContentAndTheWriterAcceptsIt) {
    const fs::path file = dir_ / "doc.txt";
    Put(file, "first");
    const FileStamp first = InputFile(file).Stamp();
    EXPECT_EQ(InputFile(file).Stamp(), first);
    EXPECT_EQ(first.size, 5u);
    Put(file, "second");
    EXPECT_NE(InputFile(file).Stamp(), first);

    const FileStamp now = InputFile(file).Stamp();
    ReplaceFileContent(file, "third", {.expected = now});
    EXPECT_EQ(Get(file), "third");
}

TEST_F(InputFiles, AScratchFileGivesBackWhatItWasGivenAsOftenAsAsked) {
    ScratchFile scratch;
    std::string big(300000, 'x');
    for (std::size_t i = 0; i < big.size(); i += 7) big[i] = static_cast<char>(i);
    scratch.Write("head ");
    scratch.Write(big);
    for (int round = 0; round < 2; ++round) {
        std::string back(400000, '\0');
        std::size_t got = 0, piece;
        while ((piece = scratch.Read(back.data() + got, 4096)) > 0) got += piece;
        back.resize(got);
        EXPECT_EQ(back, "head " + big) << round;
        scratch.Rewind();
    }
}

}  // namespace
}  // namespace palimp::os::test
