// The writer on both systems: what a replaced file keeps, what a failure leaves (the old
// content and nothing else), lost updates, long names, links, and the system's reason for every
// fault, injected at each step where a real one cannot be had.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <thread>

#include "os_test_support.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#endif

namespace palimp::os::test {
namespace {

using ::testing::ElementsAre;
using Kind = FileWriteError::Kind;
using detail::Step;

// The platform's codes and texts for the faults the tests inject.
struct SystemFault {
    int code;
    const char* text;
};
#ifdef _WIN32
// The system's own words for them, which differ between Windows and Wine.
std::string SystemText(DWORD code) {
    wchar_t text[512];
    DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
                                  MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), text, 512, nullptr);
    while (length > 0 && (text[length - 1] == L'\r' || text[length - 1] == L'\n' || text[length - 1] == L'.')) --length;
    return fs::path(std::wstring(text, length)).string();
}
const std::string kDiskFullText = SystemText(ERROR_DISK_FULL);
const std::string kIoErrorText = SystemText(ERROR_CRC);
const std::string kDeniedText = SystemText(ERROR_ACCESS_DENIED);
const SystemFault kDiskFull = {ERROR_DISK_FULL, kDiskFullText.c_str()};
const SystemFault kIoError = {ERROR_CRC, kIoErrorText.c_str()};
const SystemFault kDenied = {ERROR_ACCESS_DENIED, kDeniedText.c_str()};
const char* const kTooLong = "...";  // whatever the system says (Wine: not found)
const char* const kIsFolder = "it is a folder";
#else
const SystemFault kDiskFull = {ENOSPC, "No space left on device"};
const SystemFault kIoError = {EIO, "Input/output error"};
const SystemFault kQuota = {EDQUOT, "Disk quota exceeded"};
const SystemFault kReadOnlyFs = {EROFS, "Read-only file system"};
const SystemFault kDenied = {EACCES, "Permission denied"};
const char* const kTooLong = "File name too long";
const char* const kIsFolder = "Is a directory";
#endif
constexpr const char* kChanged = "it was changed by another program meanwhile";

class FileReplace : public ScratchFolder {
protected:
    void TearDown() override {
        for (int step = 0; step < static_cast<int>(Step::kCount); ++step) {
            detail::InjectFault(static_cast<Step>(step), 0);
            detail::InjectAction(static_cast<Step>(step), nullptr);
        }
        ScratchFolder::TearDown();
    }
};
using FileReplaceRegressions = FileReplace;

TEST_F(FileReplace, CreatesOrReplacesTheWholeContentAndLeavesNothingBeside) {
    const fs::path file = dir_ / "doc.txt";
    ReplaceFileContent(file, std::string("new\0\r\n\x1A", 7));
    EXPECT_EQ(Get(file), std::string("new\0\r\n\x1A", 7));
    ReplaceFileContent(file, "short");
    EXPECT_EQ(Get(file), "short");
    EXPECT_THAT(Names(), ElementsAre("doc.txt"));
}

TEST_F(FileReplace, NothingChangesUntilCommitAndAnAbandonedWriterLeavesNothing) {
    const fs::path file = dir_ / "doc.txt";
    Put(file, "old");
    {
        FileReplacer writer(file);
        writer.Write("new ");
        writer.Write("text");
        EXPECT_EQ(Get(file), "old");
        EXPECT_EQ(Names().size(), 2u) << "the pieces go to a file beside the target";
        writer.Commit();
        EXPECT_THROW(writer.Write("more"), FileWriteError);
    }
    EXPECT_EQ(Get(file), "new text");
    { FileReplacer(file).Write("dropped"); }
    { FileReplacer(dir_ / "never.txt").Write("never created"); }
    EXPECT_EQ(Get(file), "new text");
    EXPECT_THAT(Names(), ElementsAre("doc.txt"));
}

// The temporary name was the target's plus 14 bytes.
TEST_F(FileReplaceRegressions, ANameOver241BytesCouldNotBeRewritten) {
    for (std::size_t length : {250u, 255u}) {
        const fs::path file = dir_ / (std::string(length - 4, 'n') + ".txt");
        Put(file, "old");
        try {
            ReplaceFileContent(file, "new");
        } catch (const FileWriteError& error) {
            ADD_FAILURE() << length << ": " << error.Reason();
        }
        EXPECT_EQ(Get(file), "new") << length;
        fs::remove(file);
    }
    const fs::path tooLong = dir_ / std::string(256, 'n');
    ExpectWriteError([&] { ReplaceFileContent(tooLong, "x"); }, Kind::kSystem, kTooLong);
    EXPECT_TRUE(Names().empty());
}

TEST_F(FileReplace, AFolderOrAFileNobodyMayWriteIsNotReplaced) {
    const fs::path folder = dir_ / "folder";
    fs::create_directory(folder);
    ExpectWriteError([&] { ReplaceFileContent(folder, "x"); }, Kind::kNotRegular, kIsFolder);

    const fs::path locked = dir_ / "locked.txt";
    Put(locked, "old");
    fs::permissions(locked, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    ExpectWriteError([&] { ReplaceFileContent(locked, "new"); }, Kind::kReadOnly,
                     "the file is read-only");
    fs::permissions(locked, fs::perms::owner_write, fs::perm_options::add);
    EXPECT_EQ(Get(locked), "old");
    EXPECT_THAT(Names(), ElementsAre("folder", "locked.txt"));
}

TEST_F(FileReplace, AMissingFolderIsNamedAsTheSystemNamesIt) {
    const std::string reason = ExpectWriteError(
        [&] { ReplaceFileContent(dir_ / "no-folder" / "a.txt", "x"); }, Kind::kSystem, "...");
    EXPECT_FALSE(reason.empty());
    EXPECT_TRUE(Names().empty());
}

// Lost updates: two runs on one file, or an edit by another program during the pass, both
// "succeeded" and one change vanished.
TEST_F(FileReplaceRegressions, AChangeByAnotherProgramAfterReadingWasOverwritten) {
    const fs::path file = dir_ / "doc.txt";
    Put(file, "as read");
    const FileStamp read = InputFile(file).Stamp();

    // Changed between the reading and the writer's opening: refused at once.
    Put(file, "edited elsewhere, longer");
    ExpectWriteError([&] { FileReplacer(file, {.expected = read}); }, Kind::kChanged, kChanged);

    // Changed while the result is being written.
    const FileStamp again = InputFile(file).Stamp();
    FileReplacer writer(file, {.expected = again});
    writer.Write("result");
    Put(file, "edited again");
    ExpectWriteError([&] { writer.Commit(); }, Kind::kChanged, kChanged);
    EXPECT_EQ(Get(file), "edited again");
    EXPECT_THAT(Names(), ElementsAre("doc.txt"));
}

TEST_F(FileReplaceRegressions, AFileSwappedForAnotherOfTheSameSizeAndTimeIsNoticed) {
    const fs::path file = dir_ / "doc.txt";
    const fs::path other = dir_ / "other.txt";
    Put(file, "same size");
    Put(other, "SAME SIZE");
    fs::last_write_time(other, fs::last_write_time(file));
    FileReplacer writer(file, {.expected = InputFile(file).Stamp()});
    writer.Write("result");
    fs::rename(other, file);
    ExpectWriteError([&] { writer.Commit(); }, Kind::kChanged, kChanged);
    EXPECT_EQ(Get(file), "SAME SIZE");
}

TEST_F(FileReplaceRegressions, OfTwoWritersOfOneFileBothSucceededAndOneChangeVanished) {
    const fs::path file = dir_ / "doc.txt";
    Put(file, "original");
    const FileStamp read = InputFile(file).Stamp();
    FileReplacer first(file, {.expected = read});
    FileReplacer second(file, {.expected = read});
    first.Write("first table");
    second.Write("second table");
    first.Commit();
    ExpectWriteError([&] { second.Commit(); }, Kind::kChanged, kChanged);
    EXPECT_EQ(Get(file), "first table");
    EXPECT_THAT(Names(), ElementsAre("doc.txt"));

    // Also when there was no file: the one another program created meanwhile stays.
    const fs::path fresh = dir_ / "fresh.txt";
    FileReplacer late(fresh);
    late.Write("late");
    Put(fresh, "theirs");
    ExpectWriteError([&] { late.Commit(); }, Kind::kChanged, "another program created it meanwhile");
    EXPECT_EQ(Get(fresh), "theirs");
}

// A file with a second name, so that the writer overwrites it in place.
class InPlace : public FileReplace {
protected:
    void SetUp() override {
        FileReplace::SetUp();
        file_ = dir_ / "doc.txt";
        alias_ = dir_ / "alias.txt";
    }
    // Puts content in doc.txt, which alias.txt names too; false where no hard link can be made.
    bool LinkedFile(std::string_view content) {
        Put(file_, content);
        std::error_code error;
        fs::create_hard_link(file_, alias_, error);
        return !error;
    }
    // The unfinished or kept files beside the two names.
    std::vector<std::string> Others() const {
        std::vector<std::string> others;
        for (const std::string& name : Names()) {
            if (name != "doc.txt" && name != "alias.txt") others.push_back(name);
        }
        return others;
    }
    fs::path file_, alias_;
};

TEST_F(InPlace, HardLinksAreRefusedOrKeptByWritingInPlace) {
    if (!LinkedFile("old text")) GTEST_SKIP() << "no hard links here";

    ExpectWriteError([&] { ReplaceFileContent(file_, "new"); }, Kind::kHardLinks,
                     "it has 2 names (hard links), and a new file would have only this one");
    EXPECT_EQ(Get(alias_), "old text");

    ReplaceFileContent(file_, "new", {.overwriteInPlace = true});
    EXPECT_EQ(Get(file_), "new");
    EXPECT_EQ(Get(alias_), "new") << "the other name must see the new content";
#ifndef _WIN32
    EXPECT_EQ(fs::hard_link_count(file_), 2u);  // MinGW's does not count
#endif
    ReplaceFileContent(alias_, "a longer text than before", {.overwriteInPlace = true});
    EXPECT_EQ(Get(file_), "a longer text than before");
    EXPECT_THAT(Names(), ElementsAre("alias.txt", "doc.txt"));
}

TEST_F(InPlace, AnInPlaceOverwriteThatFailsMidwayKeepsTheWholeResultBeside) {
    if (!LinkedFile("old")) GTEST_SKIP() << "no hard links here";
    const std::string result(3 << 20, 'r');  // copied in 1 MB pieces: the second one fails

    FileReplacer writer(file_, {.overwriteInPlace = true});
    writer.Write(result);
    detail::InjectFault(Step::kWrite, kDiskFull.code, 1);
    const std::string reason = ExpectWriteError([&] { writer.Commit(); }, Kind::kPartlyWritten,
                                                std::string(kDiskFull.text) + "; the file is partly rewritten...");
    const std::vector<std::string> names = Names();
    ASSERT_EQ(names.size(), 3u);
    const fs::path kept = dir_ / names[0];
    EXPECT_NE(reason.find(kept.filename().string()), std::string::npos) << reason;
    EXPECT_EQ(Get(kept), result);

    // Failing at the first piece, nothing of the file has changed: nothing is kept.
    fs::remove(kept);
    FileReplacer again(file_, {.overwriteInPlace = true});
    again.Write("small");
    detail::InjectFault(Step::kWrite, kDiskFull.code);
    ExpectWriteError([&] { again.Commit(); }, Kind::kSystem, kDiskFull.text);
    EXPECT_THAT(Names(), ElementsAre("alias.txt", "doc.txt"));
}

TEST_F(FileReplace, SymbolicLinksAreFollowedToTheEndAndStay) {
    const fs::path real = dir_ / "real.txt";
    Put(real, "old");
    fs::create_directory(dir_ / "sub");
    std::error_code error;
    fs::create_symlink("../real.txt", dir_ / "sub" / "relative", error);
    if (error) GTEST_SKIP() << "no symbolic links here: " << error.message();
    fs::create_symlink(dir_ / "sub" / "relative", dir_ / "absolute");
    ReplaceFileContent(dir_ / "absolute", "new");
    EXPECT_EQ(Get(real), "new");
    EXPECT_TRUE(fs::is_symlink(dir_ / "absolute"));
    EXPECT_TRUE(fs::is_symlink(dir_ / "sub" / "relative"));
    EXPECT_THAT(Names(), ElementsAre("absolute", "real.txt", "sub"));
    EXPECT_THAT(Names(dir_ / "sub"), ElementsAre("relative"));

    FileReplacer writer(dir_ / "absolute");
    EXPECT_EQ(fs::canonical(writer.Target()), fs::canonical(real));
}

// Every step fails as the system would, with its reason; the target keeps its content and
// nothing is left beside it.
TEST_F(FileReplace, EveryFailingStepLeavesTheOldFileWithTheSystemsReason) {
    const fs::path file = dir_ / "doc.txt";
    struct Case {
        Step step;
        SystemFault fault;
    } cases[] = {
        {Step::kCreate, kDenied},     {Step::kWrite, kDiskFull},  {Step::kFlush, kIoError},
        {Step::kRename, kDenied},
#ifndef _WIN32
        {Step::kAttributes, kIoError}, {Step::kWrite, kQuota},    {Step::kCreate, kReadOnlyFs},
#endif
    };
    for (const Case& c : cases) {
        if (c.step == Step::kRename && ExistingFilesWrittenInPlace()) continue;  // no rename there
        Put(file, "old");
        detail::InjectFault(c.step, c.fault.code);
        ExpectWriteError([&] { ReplaceFileContent(file, "new"); }, Kind::kSystem, c.fault.text);
        detail::InjectFault(c.step, 0);
        EXPECT_EQ(Get(file), "old") << static_cast<int>(c.step);
        EXPECT_THAT(Names(), ElementsAre("doc.txt")) << static_cast<int>(c.step);
    }
}

TEST_F(FileReplace, AFolderThatCannotBeFlushedIsReportedAfterTheReplacement) {
    const fs::path file = dir_ / "doc.txt";
    if (!ExistingFilesWrittenInPlace()) Put(file, "old");  // else a new file is renamed in place
    detail::InjectFault(Step::kFlushFolder, kIoError.code);
    ExpectWriteError([&] { ReplaceFileContent(file, "new"); }, Kind::kNotDurable,
                     std::string("the new content replaced it, but the system could not flush the"
                                 " folder to disk: ") + kIoError.text);
    EXPECT_EQ(Get(file), "new");
    EXPECT_THAT(Names(), ElementsAre("doc.txt"));
}

TEST_F(FileReplace, TheUnfinishedFilesOfEveryOpenWriterCanBeRemovedAtOnce) {
    FileReplacer one(dir_ / "one.txt");
    FileReplacer two(dir_ / "two.txt");
    one.Write("1");
    two.Write("2");
    const std::vector<std::string> names = Names();
    ASSERT_EQ(names.size(), 2u);
    RemoveUnfinishedFiles();
#ifdef _WIN32
    // Still open, they are marked for deletion: nobody may open them any more, and they go
    // with the process's handles.
    for (const std::string& name : names) {
        HANDLE file = CreateFileW((dir_ / name).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, 0, nullptr);
        EXPECT_EQ(file, INVALID_HANDLE_VALUE) << name;
        if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    }
#else
    EXPECT_TRUE(Names().empty());
#endif
}

using InPlaceRegressions = InPlace;

// Regression (Windows): a disk that filled inside a buffer of an in-place overwrite was
// reported as "nothing written" and the complete result deleted, while 300,000 bytes had
// become 520,192 bytes of cut new text. Every byte written counts, also of a partial buffer.
TEST_F(InPlaceRegressions, AWriteCutInsideABufferKeepsTheWholeResultAndSaysTheFileIsPartlyRewritten) {
    if (!LinkedFile(std::string(300000, 'o'))) GTEST_SKIP() << "no hard links here";
    // Inside the first 1 MB piece, and inside the second after a whole one.
    for (const auto& [skip, size] : {std::pair{0, 520192}, std::pair{1, 1572864}}) {
        const std::string result(static_cast<std::size_t>(size), 'n');
        FileReplacer writer(file_, {.overwriteInPlace = true});
        writer.Write(result);
        detail::InjectFault(Step::kWrite, kDiskFull.code, skip, 4096);
        const std::string reason = ExpectWriteError([&] { writer.Commit(); }, Kind::kPartlyWritten,
                                                    std::string(kDiskFull.text) + "; the file is partly rewritten...");
        const std::vector<std::string> kept = Others();
        ASSERT_EQ(kept.size(), 1u) << skip;
        EXPECT_NE(reason.find(kept[0]), std::string::npos) << reason;
        EXPECT_TRUE(Get(dir_ / kept[0]) == result) << "the only complete copy is kept";
        const std::size_t cut = static_cast<std::size_t>(skip) * (1 << 20) + 4096;
        EXPECT_TRUE(Get(file_).substr(0, cut) == result.substr(0, cut)) << skip;
        fs::remove(dir_ / kept[0]);
        Put(file_, std::string(300000, 'o'));
    }
}

// What "nothing written" promises: a failure before any byte of the file changed leaves it
// exactly as it was, size included, with nothing beside it. Room for a larger result is made
// first, so that a full disk is found before the first byte changes.
TEST_F(InPlaceRegressions, AFailureBeforeTheFirstByteLeavesTheFileAsItWas) {
    const std::string original = "the original content";
    if (!LinkedFile(original)) GTEST_SKIP() << "no hard links here";
    const struct {
        const char* name;
        Step step;
        SystemFault fault;
        std::string result;
    } cases[] = {
        {"no room for a longer result", Step::kExtend, kDiskFull, std::string(100000, 'n')},
        {"first write of a longer result", Step::kWrite, kDiskFull, std::string(100000, 'n')},
        {"first write of a shorter result", Step::kWrite, kIoError, "short"},
    };
    for (const auto& c : cases) {
        FileReplacer writer(file_, {.overwriteInPlace = true});
        writer.Write(c.result);
        detail::InjectFault(c.step, c.fault.code);
        ExpectWriteError([&] { writer.Commit(); }, Kind::kSystem, c.fault.text);
        EXPECT_EQ(Get(file_), original) << c.name;
        EXPECT_EQ(fs::file_size(alias_), original.size()) << c.name;
        EXPECT_TRUE(Others().empty()) << c.name;
    }
}

// Regression: a program that rewrote the file and then set its modification time back (as
// touch -r, rsync or an unpacker do) went unseen, and its change was overwritten.
TEST_F(FileReplaceRegressions, AChangeThatPutsTheModificationTimeBackIsNoticed) {
    const fs::path file = dir_ / "doc.txt";
    Put(file, "as read");
    const auto time = fs::last_write_time(file);
    FileReplacer writer(file, {.expected = InputFile(file).Stamp()});
    writer.Write("result");
    std::this_thread::sleep_for(std::chrono::milliseconds(50));  // past the clock's grain
    Put(file, "AS READ");
    fs::last_write_time(file, time);
    ExpectWriteError([&] { writer.Commit(); }, Kind::kChanged, kChanged);
    EXPECT_EQ(Get(file), "AS READ");
    EXPECT_THAT(Names(), ElementsAre("doc.txt"));
}

// A backup is the file as it was, times included; where the writer replaces the file by a new
// one it is that very file under the backup's name.
TEST_F(InPlace, ABackupIsTheFileAsItWasWithItsTimes) {
    Put(file_, "old content");
    const auto old = fs::last_write_time(file_) - std::chrono::hours(30);
    const struct {
        const char* name;
        bool linked;  // a second name: the result is written in place, the backup is a copy
    } cases[] = {{"replaced by a new file", false}, {"written in place", true}};
    for (const auto& c : cases) {
        Put(file_, "old content");
        if (c.linked && !LinkedFile("old content")) continue;
        fs::last_write_time(file_, old);
        Put(dir_ / "doc.txt.bak", "an older backup");
        const FileStamp before = InputFile(file_).Stamp();
        ReplaceFileContent(file_, "new content", {.overwriteInPlace = c.linked, .backup = dir_ / "doc.txt.bak"});
        EXPECT_EQ(Get(file_), "new content") << c.name;
        EXPECT_EQ(Get(dir_ / "doc.txt.bak"), "old content") << c.name;
        EXPECT_EQ(fs::last_write_time(dir_ / "doc.txt.bak"), old) << c.name;
        const FileStamp backup = InputFile(dir_ / "doc.txt.bak").Stamp();
        EXPECT_EQ(backup.file == before.file, !c.linked && !ExistingFilesWrittenInPlace())
            << c.name << ": the file itself, or a copy";
        EXPECT_TRUE(Others().empty() || Others() == std::vector<std::string>{"doc.txt.bak"}) << c.name;
        fs::remove(alias_);
    }
}

TEST_F(InPlace, ABackupThatCannotBeMadeLeavesTheFileAndTheOlderBackup) {
    const fs::path folderInTheWay = dir_ / "doc.txt~";
    fs::create_directory(folderInTheWay);
    Put(file_, "old content");
    ExpectWriteError([&] { ReplaceFileContent(file_, "new", {.backup = folderInTheWay}); }, Kind::kBackup, "...");
    if (LinkedFile("old content")) {  // the copy made for an in-place overwrite fails
        Put(dir_ / "doc.txt.bak", "an older backup");
        detail::InjectFault(Step::kBackup, kDiskFull.code);
        ExpectWriteError([&] { ReplaceFileContent(file_, "new", {.overwriteInPlace = true, .backup = dir_ / "doc.txt.bak"}); },
                         Kind::kBackup, kDiskFull.text);
        EXPECT_EQ(Get(dir_ / "doc.txt.bak"), "an older backup");
    }
    // The rename that would put the result in place fails: the backup link goes again.
    fs::remove(alias_);
    fs::remove(dir_ / "doc.txt.bak");
    if (!ExistingFilesWrittenInPlace()) {
        detail::InjectFault(Step::kRename, kDenied.code);
        ExpectWriteError([&] { ReplaceFileContent(file_, "new", {.backup = dir_ / "doc.txt.bak"}); }, Kind::kSystem,
                         kDenied.text);
    }
    EXPECT_EQ(Get(file_), "old content");
    EXPECT_THAT(Names(), ElementsAre("doc.txt", "doc.txt~"));
    EXPECT_TRUE(fs::is_empty(folderInTheWay));
}

// A line appended while the backup was made (a link and a flush of its folder, or a copy) lived
// on in the backup only, and the run said it had succeeded. Where the writer holds the file
// against other writers (Windows, writing in place) the append is refused instead.
TEST_F(InPlaceRegressions, ALineAppendedWhileTheBackupWasMadeWasLeftInTheBackupOnly) {
    for (bool linked : {false, true}) {
        SCOPED_TRACE(linked ? "written in place, the backup a copy" : "replaced, the backup a link");
        Put(file_, "old content\n");
        if (linked && !LinkedFile("old content\n")) continue;
        bool appended = false;
        detail::InjectAction(Step::kBackup, [&] {
            appended = static_cast<bool>(std::ofstream(file_, std::ios::app) << "appended\n" << std::flush);
        });
        try {
            ReplaceFileContent(file_, "new content\n", {.overwriteInPlace = linked, .backup = dir_ / "doc.txt.bak"});
            EXPECT_FALSE(appended) << "the run succeeded after the file had grown";
            EXPECT_EQ(Get(file_), "new content\n");
        } catch (const FileWriteError& error) {
            EXPECT_TRUE(appended) << error.Reason();
            EXPECT_EQ(error.Reason(), kChanged);
            EXPECT_EQ(Get(file_), "old content\nappended\n");
        }
        fs::remove(alias_);
        fs::remove(dir_ / "doc.txt.bak");
    }
}

}  // namespace
}  // namespace palimp::os::test
