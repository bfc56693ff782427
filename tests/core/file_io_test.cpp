// Whole-file reading and atomic writing on the real file system: a failed save must leave the
// old file as it was and no temporary file behind.
#include "core/file_io.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/errors.h"

namespace palimp {
namespace {

namespace fs = std::filesystem;
using namespace std::literals;

void Put(const fs::path& path, std::string_view bytes) {
    std::ofstream(path, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
}

std::string Get(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class FileIo : public testing::Test {
protected:
    // A fresh folder per test; the clock keeps runs of several builds at once apart.
    void SetUp() override {
        const auto* info = testing::UnitTest::GetInstance()->current_test_info();
        const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
        dir_ = fs::temp_directory_path() /
               ("palimp-" + std::string(info->name()) + "-" + std::to_string(ticks));
        fs::create_directories(dir_);
    }
    void TearDown() override {
        std::error_code error;
        fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add, error);
        fs::remove_all(dir_, error);
    }

    std::vector<std::u16string> Names() const {
        std::vector<std::u16string> names;
        for (const auto& entry : fs::directory_iterator(dir_))
            names.push_back(PathToUtf16(entry.path().filename()));
        return names;
    }

    fs::path dir_;
};

// Bytes that a text-mode stream would change on Windows, and a NUL.
const std::string_view kBinary = "\xFF\xFE\r\0\n\0\x1A\r\n\n\0end"sv;

TEST_F(FileIo, ReadsEveryByteOrFailsWithTheFileName) {
    const fs::path file = dir_ / "data.bin";
    Put(file, kBinary);
    EXPECT_EQ(ReadFileBytes(file), kBinary);
    for (const fs::path& path : {dir_ / "missing.txt", dir_}) {
        try {
            ReadFileBytes(path);
            ADD_FAILURE() << "no error for " << path;
        } catch (const EFOpenError& e) {
            EXPECT_EQ(e.Message(), u"Cannot open file " + PathToUtf16(path));
        }
    }
}

TEST_F(FileIo, WriteCreatesOrReplacesTheWholeFile) {
    const fs::path file = dir_ / "table.palimp";
    WriteFileAtomically(file, kBinary);
    EXPECT_EQ(Get(file), kBinary);
    WriteFileAtomically(file, "short");  // replacing a longer file leaves nothing of it
    EXPECT_EQ(Get(file), "short");
    EXPECT_EQ(Names(), std::vector<std::u16string>{u"table.palimp"}) << "temporary file left";
}

TEST_F(FileIo, Utf16NamesReachTheFileSystemIntact) {
    const std::u16string name = u"za\u017C\u00F3\u0142\u0107 \u20AC \u4E2D.txt";
    const fs::path file = PathFromUtf16(PathToUtf16(dir_) + u"/" + name);
    WriteFileAtomically(file, "x");
    EXPECT_EQ(Names(), std::vector<std::u16string>{name});
    EXPECT_EQ(ReadFileBytes(file), "x");
}

TEST_F(FileIo, WriteIntoAMissingFolderFailsAndCreatesNothing) {
    const fs::path file = dir_ / "no-such-folder" / "a.txt";
    try {
        WriteFileAtomically(file, "x");
        FAIL() << "no error";
    } catch (const EFCreateError& e) {
        EXPECT_EQ(e.Message(), u"Cannot create file " + PathToUtf16(file));
    }
    EXPECT_TRUE(Names().empty());
}

TEST_F(FileIo, AFolderOrAReadOnlyFileIsNotReplaced) {
    const fs::path folder = dir_ / "folder";
    fs::create_directory(folder);
    Put(folder / "inner.txt", "inner");
    EXPECT_THROW(WriteFileAtomically(folder, "x"), EFCreateError);
    EXPECT_EQ(Get(folder / "inner.txt"), "inner");

    const fs::path locked = dir_ / "locked.txt";
    Put(locked, "old");
    fs::permissions(locked, fs::perms::owner_write | fs::perms::group_write |
                                fs::perms::others_write, fs::perm_options::remove);
    EXPECT_THROW(WriteFileAtomically(locked, "new"), EFCreateError);
    fs::permissions(locked, fs::perms::owner_write, fs::perm_options::add);
    EXPECT_EQ(Get(locked), "old");
    EXPECT_EQ(Names().size(), 2u) << "temporary file left";
}

// The rename step that tests substitute: it records what it was given and fails.
struct RenameProbe {
    static inline fs::path from, to;
    static inline std::string fromBytes;
    static void Fail(const fs::path& f, const fs::path& t, std::error_code& error) {
        from = f;
        to = t;
        fromBytes = Get(f);
        error = std::make_error_code(std::errc::permission_denied);
    }
};

TEST_F(FileIo, AFailedRenameLeavesTheOldFileAndRemovesTheTemporaryOne) {
    const fs::path file = dir_ / "doc.txt";
    Put(file, "old text");
    EXPECT_THROW(detail::WriteFileAtomically(file, kBinary, RenameProbe::Fail), EFCreateError);
    EXPECT_EQ(RenameProbe::to, file);
    EXPECT_EQ(RenameProbe::from.parent_path(), dir_) << "the temporary file must sit beside it";
    EXPECT_EQ(RenameProbe::fromBytes, kBinary) << "renamed before the bytes were all written";
    EXPECT_EQ(Get(file), "old text");
    EXPECT_EQ(Names(), std::vector<std::u16string>{u"doc.txt"});
}

TEST_F(FileIo, AReadOnlyFolderKeepsItsFile) {
    const fs::path file = dir_ / "kept.txt";
    Put(file, "old");
    fs::permissions(dir_, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    if (std::ofstream(dir_ / "probe")) GTEST_SKIP() << "folder permissions are not enforced here";
    EXPECT_THROW(WriteFileAtomically(file, "new"), EFCreateError);
    EXPECT_EQ(Get(file), "old");
}

TEST_F(FileIo, ReplacedFileKeepsItsPermissions) {
    const fs::path file = dir_ / "private.txt";
    Put(file, "old");
    fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write);
    const fs::perms before = fs::status(file).permissions();
    WriteFileAtomically(file, "new");
    EXPECT_EQ(fs::status(file).permissions(), before);
}

TEST_F(FileIo, AReaderGoesThroughTheFileInPiecesAndAgain) {
    const fs::path file = dir_ / "data.bin";
    Put(file, kBinary);
    FileReader reader(file);
    for (int round = 0; round < 2; ++round) {
        std::string read;
        char piece[5];
        std::size_t got;
        do {
            got = reader.Read(piece, sizeof piece);
            read.append(piece, got);
        } while (got == sizeof piece);
        EXPECT_EQ(read, kBinary);
        EXPECT_EQ(reader.Read(piece, sizeof piece), 0u) << "more after the end";
        reader.Rewind();
    }
    EXPECT_THROW(FileReader(dir_ / "missing.txt"), EFOpenError);
    EXPECT_THROW(FileReader{dir_}, EFOpenError);
}

TEST_F(FileIo, AWriterChangesTheTargetOnlyWhenItCommits) {
    const fs::path file = dir_ / "doc.txt";
    Put(file, "old text");
    {
        AtomicFileWriter writer(file);
        writer.Write("new ");
        writer.Write(kBinary);
        EXPECT_EQ(Get(file), "old text");
        EXPECT_EQ(Names().size(), 2u) << "the pieces go to a file beside the target";
        writer.Commit();
    }
    EXPECT_EQ(Get(file), "new " + std::string(kBinary));
    EXPECT_EQ(Names(), std::vector<std::u16string>{u"doc.txt"});

    // Abandoned explicitly, or by going out of scope: the target stays, nothing is left.
    {
        AtomicFileWriter writer(file);
        writer.Write("dropped");
        writer.Abandon();
        EXPECT_THROW(writer.Write("more"), EFCreateError);
        EXPECT_THROW(writer.Commit(), EFCreateError);
    }
    { AtomicFileWriter(file).Write("dropped too"); }
    { AtomicFileWriter(dir_ / "new.txt").Write("never created"); }
    EXPECT_EQ(Get(file), "new " + std::string(kBinary));
    EXPECT_EQ(Names(), std::vector<std::u16string>{u"doc.txt"});
}

TEST_F(FileIo, AWriterWhoseRenameFailsKeepsTheTarget) {
    const fs::path file = dir_ / "doc.txt";
    Put(file, "old text");
    AtomicFileWriter writer(file, RenameProbe::Fail);
    writer.Write("a");
    writer.Write("b");
    EXPECT_THROW(writer.Commit(), EFCreateError);
    EXPECT_EQ(RenameProbe::fromBytes, "ab");
    EXPECT_EQ(Get(file), "old text");
    EXPECT_EQ(Names(), std::vector<std::u16string>{u"doc.txt"});
}

TEST_F(FileIo, ASymbolicLinkIsFollowedAndKept) {
    const fs::path real = dir_ / "real.txt";
    const fs::path link = dir_ / "link.txt";
    Put(real, "old");
    std::error_code error;
    fs::create_symlink(real, link, error);
    if (error) GTEST_SKIP() << "no symbolic links here: " << error.message();
    WriteFileAtomically(link, "new");
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(Get(real), "new");
}

}  // namespace
}  // namespace palimp
