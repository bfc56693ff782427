// Shared by the tests of the operating-system layer: a scratch folder per test, whole-file
// helpers that do not go through the code under test, and a check of a writer's failure.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "os/file_replace.h"
#include "os/input_file.h"
#ifdef _WIN32
#include "os/win_support.h"
#endif

namespace palimp::os::test {

namespace fs = std::filesystem;

inline void Put(const fs::path& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(out.good()) << path;
}

inline std::string Get(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Whether the writer puts a new file in place of an existing one by writing into it, as it
// does under Wine (where a new file cannot keep the old one's Unix owner and mode).
inline bool ExistingFilesWrittenInPlace() {
#ifdef _WIN32
    return UnderWine();
#else
    return false;
#endif
}

class ScratchFolder : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
        dir_ = fs::temp_directory_path() /
               ("palimp-os-" + std::string(info->name()) + "-" + std::to_string(ticks));
        fs::create_directories(dir_);
    }
    void TearDown() override {
        std::error_code ignored;
        fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add, ignored);
        fs::remove_all(dir_, ignored);
    }

    // The names in the folder, sorted, so that a test sees what was left behind.
    std::vector<std::string> Names(const fs::path& folder = {}) const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder.empty() ? dir_ : folder)) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    fs::path dir_;
};

// Runs write, which must fail with a FileWriteError of kind whose reason is reason (or, when
// reason ends in "...", starts with it), and returns the error's reason.
inline std::string ExpectWriteError(const std::function<void()>& write, FileWriteError::Kind kind,
                                    std::string_view reason) {
    try {
        write();
    } catch (const FileWriteError& error) {
        EXPECT_EQ(static_cast<int>(error.GetKind()), static_cast<int>(kind)) << error.Reason();
        if (reason.ends_with("...")) {
            EXPECT_TRUE(error.Reason().starts_with(reason.substr(0, reason.size() - 3))) << error.Reason();
        } else {
            EXPECT_EQ(error.Reason(), reason);
        }
        return error.Reason();
    }
    ADD_FAILURE() << "no FileWriteError";
    return {};
}

}  // namespace palimp::os::test
