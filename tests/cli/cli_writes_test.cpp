// What -o and -i promise about the files they write: a backup that is the old file itself,
// with its time and identity, and -o naming the program's own standard output or error,
// which is that stream and never a new file put where the stream leads.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <fstream>

#include "cli_test_support.h"

namespace palimp::cli::test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

class CliWrites : public CliTest {
protected:
    os::FileStamp StampOf(const std::string& name) const { return os::InputFile(Path(name)).Stamp(); }
};

class CliWritesRegressions : public CliWrites {};

// Regression: --backup gave the backup the current time (sed -i.bak keeps the original's),
// and, being a copy, lost the file's owner, group, ACL and attributes. It is now the old file
// itself; a file rewritten in place (--keep-links) gets a copy with the same time.
TEST_F(CliWritesRegressions, TheBackupIsTheOldFileWithItsModificationTime) {
    const struct {
        const char* name;
        bool secondName;
    } cases[] = {{"replaced by a new file", false}, {"rewritten in place", true}};
    for (const auto& c : cases) {
        Write("a.txt", "a cat");
        if (c.secondName) {
            std::error_code error;
            fs::create_hard_link(Path("a.txt"), Path("alias.txt"), error);
            if (error) continue;
        }
        const auto old = fs::last_write_time(Path("a.txt")) - std::chrono::hours(48);
        fs::last_write_time(Path("a.txt"), old);
        const os::FileStamp before = StampOf("a.txt");
        std::vector<std::string> args = {"-t", AnimalTable(), "-i", "--backup", ".orig", Arg("a.txt")};
        if (c.secondName) args.insert(args.begin(), "--keep-links");
        const CliOutcome run = Run(args);
        EXPECT_EQ(run.exit, kExitOk) << c.name << ": " << run.err;
        EXPECT_EQ(Read("a.txt"), "a dog") << c.name;
        EXPECT_EQ(Read("a.txt.orig"), "a cat") << c.name;
        EXPECT_EQ(fs::last_write_time(Path("a.txt.orig")), old) << c.name;
        EXPECT_EQ(StampOf("a.txt.orig").file == before.file, !c.secondName && !ExistingFilesWrittenInPlace())
            << c.name << ": the file itself, or a copy";
        fs::remove(Path("alias.txt"));
        fs::remove(Path("a.txt.orig"));
    }
    EXPECT_THAT(Listing(), ElementsAre("a.txt", "table.palimp"));
}

// Regression: a 3 GB UTF-8 input was refused only after a 32 s pass had written 2.1 GB beside
// the output: at a third of a unit per byte it might have fitted. Its units are now counted
// before the pass.
TEST_F(CliWritesRegressions, AnInputOfTooManyUnitsIsRefusedBeforeAByteIsWritten) {
    {
        std::ofstream(Path("huge.txt"), std::ios::binary);
    }
    std::error_code error;
    fs::resize_file(Path("huge.txt"), std::uint64_t{3} << 30, error);  // sparse NULs: one unit a byte
    if (error) GTEST_SKIP() << "no 3 GiB file here: " << error.message();
    // A writer that is made at all takes this fault: none may be.
    os::detail::InjectFault(os::detail::Step::kCreate, EIO);
    const CliOutcome run = Run({"-t", AnimalTable(), "-o", Arg("out.txt"), Arg("huge.txt")});
    EXPECT_EQ(os::detail::TakeFault(os::detail::Step::kCreate), EIO) << "a writer was made for the output";
    EXPECT_EQ(run.exit, kExitFailure);
    EXPECT_EQ(run.err, "palimp-replace: " + Arg("huge.txt") +
                           ": is too large (more than 2,147,483,647 UTF-16 units); nothing written\n");
    EXPECT_THAT(Listing(), ElementsAre("huge.txt", "table.palimp"));
}

// -o naming standard output or error, however spelled (the real program tells by the open
// file; process_check covers /dev/stdout, /proc/self/fd/1 and redirected files).
TEST_F(CliWrites, OutputNamingAStandardStreamWritesToThatStream) {
    standardStreamOf_ = [this](const fs::path& path) {
        return path == Path("out-alias") ? 1 : path == Path("err-alias") ? 2 : 0;
    };
    const struct {
        const char* name;
        std::string target;
        std::string out, err;
    } cases[] = {
        {"standard output", "out-alias", "a dog", ""},
        {"standard error", "err-alias", "", "a dog"},
        {"another file", "file.txt", "", ""},
    };
    for (const auto& c : cases) {
        const CliOutcome run = RunWithStdin({"-t", AnimalTable(), "-o", Arg(c.target)}, "a cat");
        EXPECT_EQ(run.exit, kExitOk) << c.name << ": " << run.err;
        EXPECT_EQ(run.out, c.out) << c.name;
        EXPECT_EQ(run.err, c.err) << c.name;
    }
    EXPECT_THAT(Listing(), ElementsAre("file.txt", "table.palimp"));
    EXPECT_EQ(Read("file.txt"), "a dog");
}

}  // namespace
}  // namespace palimp::cli::test
