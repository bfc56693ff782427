// The starter tables shipped beside the program: each is a well-formed table file in exactly
// the form the program writes, with usable pairs, and Count over it agrees with the literal pass.
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "core/pass_rows.h"
#include "core/table_file.h"
#include "replace_test_support.h"

namespace palimp {
namespace {

// Runs check over the bytes of every starter table, its file name traced; there are five or more.
void ForEachStarterTable(const std::function<void(const std::string& bytes)>& check) {
    const std::filesystem::path folder = std::filesystem::path(PALIMP_DIST_DIR) / "replace";
    int tables = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.path().extension() != ".palimp") continue;
        ++tables;
        SCOPED_TRACE(entry.path().filename().string());
        std::ifstream in(entry.path(), std::ios::binary);
        check({std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()});
    }
    EXPECT_GE(tables, 5);
}

TEST(StarterTables, AreCanonicalTableFilesWithUsablePairs) {
    ForEachStarterTable([](const std::string& bytes) {
        const TableFileContent content = ReadTableFile(bytes);
        // Written exactly as the program would write it: reading and writing gives the bytes back.
        EXPECT_EQ(WriteTableFile(content), bytes);
        EXPECT_FALSE(content.preamble.empty()) << "a line saying what the table does";
        ASSERT_FALSE(content.rows.empty());
        for (const auto& row : content.rows) {
            EXPECT_FALSE(row[0].empty()) << "every row searches for something";
            EXPECT_TRUE(row[2].empty() || row[2] == u"C" || row[2] == u"W" || row[2] == u"C,W");
        }
    });
}

// Over a text made of the table's own phrases and replacements in both cases, Count's wins per
// row are the literal pass's, and so is their sum.
TEST(PassRows, CountsOnTheStarterTablesAreThoseOfTheLiteralPass) {
    ForEachStarterTable([](const std::string& bytes) {
        std::vector<TableRow> rows = ReadTableFile(bytes).rows;
        // Every third row switched off, so that Count must skip them as the pass does.
        for (std::size_t r = 2; r < rows.size(); r += 3) rows[r][kOptionsColumn] = WithOption(rows[r][kOptionsColumn], kOptionOff, true);
        std::u16string text;
        for (std::size_t r = 0; r < rows.size(); ++r) {
            text += rows[r][kSearchColumn] + u" x" + rows[(r * 7) % rows.size()][kReplaceColumn] + u"\r\n";
            for (char16_t unit : rows[r][kSearchColumn]) text += unit < 128 ? static_cast<char16_t>(std::toupper(unit)) : unit;
            text += u'-';
        }
        std::vector<ReplacePair> pairs;
        for (const TableRow& row : rows) pairs.push_back({row[0], row[1], row[2]});
        const ReplaceResult literal = replace_test::LiteralReplaceMany(pairs, text);
        const TableCount count = CountTable(rows, text);
        EXPECT_EQ(count.rowHits, literal.rowHits);
        EXPECT_EQ(count.found, literal.found);
        EXPECT_GT(count.found, 0);
    });
}

}  // namespace
}  // namespace palimp
