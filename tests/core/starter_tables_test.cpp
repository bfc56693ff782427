// The starter tables shipped beside the program: each is a well-formed table file in exactly
// the form the program writes, with usable pairs.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "core/table_file.h"

namespace palimp {
namespace {

std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(StarterTables, AreCanonicalTableFilesWithUsablePairs) {
    const std::filesystem::path folder = std::filesystem::path(PALIMP_DIST_DIR) / "replace";
    int tables = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.path().extension() != ".palimp") continue;
        ++tables;
        SCOPED_TRACE(entry.path().filename().string());
        const std::string bytes = ReadAll(entry.path());
        const TableFileContent content = ReadTableFile(bytes);

        // Written exactly as the program would write it: reading and writing gives the bytes back.
        EXPECT_EQ(WriteTableFile(content), bytes);
        EXPECT_FALSE(content.preamble.empty()) << "a line saying what the table does";
        ASSERT_FALSE(content.rows.empty());
        for (const auto& row : content.rows) {
            EXPECT_FALSE(row[0].empty()) << "every row searches for something";
            EXPECT_TRUE(row[2].empty() || row[2] == u"C" || row[2] == u"W" || row[2] == u"C,W");
        }
    }
    EXPECT_GE(tables, 5);
}

}  // namespace
}  // namespace palimp
