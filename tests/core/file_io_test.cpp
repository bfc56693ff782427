// Whole-file reading and UTF-16 paths on the real file system (the writer's tests are in
// tests/os).
#include "core/file_io.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
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

TEST_F(FileIo, Utf16NamesReachTheFileSystemIntact) {
    const std::u16string name = u"za\u017C\u00F3\u0142\u0107 \u20AC \u4E2D.txt";
    const fs::path file = PathFromUtf16(PathToUtf16(dir_) + u"/" + name);
    Put(file, "x");
    EXPECT_EQ(Names(), std::vector<std::u16string>{name});
    EXPECT_EQ(ReadFileBytes(file), "x");
}

}  // namespace
}  // namespace palimp
