// The table file and the clipboard table text: exact bytes, line and field splitting, the
// marker and preamble, and round trips through the table.
#include "core/table_file.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

namespace palimp {
namespace {

using namespace std::literals;
using Rows = std::vector<TableRow>;

TEST(TableFile, WritesTheDocumentedBytesExactly) {
    const TableFileContent content{u"", {{u"a", u"b", u"C"}, {}}};
    const std::string_view expected =
        "\xFF\xFE"
        "\r\0\n\0"
        "#\0#\0\r\0\n\0"
        "a\0\t\0b\0\t\0C\0\r\0\n\0"
        "\t\0\t\0\r\0\n\0"sv;
    ASSERT_EQ(expected.size(), 36u);
    EXPECT_EQ(WriteTableFile(content), expected);
    EXPECT_EQ(ReadTableFile(expected), content);
}

TEST(TableFile, SaveAndLoadKeepRowsOptionsAndAMultiLinePreamble) {
    const TableFileContent content{
        u"Quotes\r\n\tby author\r\n\r\nlast",
        {{u"\"", u"\u201C", u"W,C"}, {u" a ", u"", u"c"}, {}, {u"\U0001F600", u"x", u""}}};
    EXPECT_EQ(ReadTableFile(WriteTableFile(content)), content);
    ReplacementTable table;
    table.SetSelection(1, 1);
    LoadTableContent(table, content);
    EXPECT_EQ(table.Row(), 1);
    EXPECT_EQ(TableContentOf(table), content);
}

TEST(TableFile, SwitchedOffAndExtendedRowsArePlainPairLinesThatRoundTrip) {
    // Escapes stay backslashes in the file and the letters E and X are plain option text, so the
    // line has two TABs and nothing a reader of C and W alone would misread.
    const TableFileContent content{u"", {{u"\\r\\n", u" ", u"E"}, {u"cat", u"dog", u"C,W,X"}, {u"\\t", u",", u"W,E,X"}}};
    const std::string bytes = WriteTableFile(content);
    const std::string_view expected =
        "\xFF\xFE\r\0\n\0#\0#\0\r\0\n\0"
        "\\\0r\0\\\0n\0\t\0 \0\t\0E\0\r\0\n\0"
        "c\0a\0t\0\t\0d\0o\0g\0\t\0C\0,\0W\0,\0X\0\r\0\n\0"
        "\\\0t\0\t\0,\0\t\0W\0,\0E\0,\0X\0\r\0\n\0"sv;
    EXPECT_EQ(bytes, expected);
    const TableFileContent read = ReadTableFile(bytes);
    EXPECT_EQ(read, content);
    EXPECT_TRUE(HasOption(read.rows[1][kOptionsColumn], kOptionCase));
    EXPECT_TRUE(HasOption(read.rows[1][kOptionsColumn], kOptionWord));
    EXPECT_FALSE(HasOption(read.rows[2][kOptionsColumn], kOptionCase));
}

TEST(TableFile, SplitLinesBreakCombinations) {
    struct Case {
        std::u16string_view text;
        std::vector<std::u16string> lines;
    } cases[] = {
        {u"", {}},
        {u"\r\n", {u""}},
        {u"a\r\n\r\n", {u"a", u""}},
        {u"a\rb\nc", {u"a", u"b", u"c"}},
        {u"a\n\rb", {u"a", u"", u"b"}},  // LF CR is two breaks
        {u"a\r\u2028b\n\u2028c\r\n\u2028d", {u"a", u"b", u"c", u"d"}},
        {u"a\u2028\rb\r\r", {u"a", u"", u"b", u""}},
        {u"a\0b\r\nc"sv, {u"a"}},
        {u"\0a"sv, {}},
        {u"\ta\t\r\n \u2029", {u"\ta\t", u" \u2029"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SplitLines(c.text), c.lines) << testing::PrintToString(std::u16string(c.text));
    }
}

TEST(TableFile, ReaderEdgeCases) {
    struct Case {
        const char* name;
        std::u16string_view text;
        TableFileContent content;
    } cases[] = {
        {"empty file", u"", {u"", {{}}}},
        {"marker first", u"##\r\na\tb\r\n", {u"", {{u"a", u"b", u""}}}},
        {"no marker", u"one\r\ntwo\tx\r\n", {u"one\r\ntwo\tx", {{}}}},
        {"nothing after marker", u"p\r\n##\r\n", {u"p", {{}}}},
        {"tabs before marker", u"a\tb\tc\r\n##\r\nx", {u"a\tb\tc", {{u"x", u"", u""}}}},
        {"second marker", u"##\r\n##\r\n##", {u"", {{u"##", u"", u""}, {u"##", u"", u""}}}},
        {"blanks make no marker", u" ##\r\n## \r\nx", {u" ##\r\n## \r\nx", {{}}}},
        {"trailing empty row", u"##\r\na\r\n\r\n", {u"", {{u"a", u"", u""}, {}}}},
        {"lone LF and CR", u"p\n##\ra\tb\u2028c", {u"p", {{u"a", u"b", u""}, {u"c", u"", u""}}}},
        {"NUL ends the text", u"##\r\na\0b\r\nc"sv, {u"", {{u"a", u"", u""}}}},
        {"fields untrimmed", u"##\r\n a \t b \t\t", {u"", {{u" a ", u" b ", u""}}}},
        {"four tabs", u"##\r\n1\t2\t3\t4\t5", {u"", {{u"1", u"2", u"3"}}}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ReadTableFile(EncodeUtf16LeFile(c.text)), c.content) << c.name;
    }
}

TEST(TableFile, EveryEncodingLoadsTheSameTable) {
    const TableFileContent expected{u"Caf\u00E9", {{u"\u00E9", u"e", u"C"}}};
    const std::string_view files[] = {
        "\xEF\xBB\xBF" "Caf\xC3\xA9\r\n##\r\n\xC3\xA9\te\tC\r\n"sv,
        "Caf\xE9\r\n##\r\n\xE9\te\tC\r\n"sv,
        "Caf\xC3\xA9\n##\n\xC3\xA9\te\tC"sv,
        "\xFE\xFF\0C\0a\0f\0\xE9\0\r\0\n\0#\0#\0\n\0\xE9\0\t\0e\0\t\0C"sv,
    };
    for (std::string_view bytes : files) {
        EXPECT_EQ(ReadTableFile(bytes), expected) << testing::PrintToString(std::string(bytes));
    }
}

TEST(TableFile, SavingAgainWhatTheFormatCannotCarry) {
    // A cell holding a TAB comes back as two fields: the row shifts right, its last cell is lost.
    const TableFileContent tab{u"", {{u"a\tb", u"c", u"W"}}};
    EXPECT_EQ(ReadTableFile(WriteTableFile(tab)).rows, (Rows{{u"a", u"b", u"c"}}));
    // A file without marker keeps its lines, before a new marker and one empty row.
    const auto notes = ReadTableFile(EncodeUtf16LeFile(u"just\r\nnotes\r\n"));
    EXPECT_EQ(WriteTableFile(notes), EncodeUtf16LeFile(u"just\r\nnotes\r\n##\r\n\t\t\r\n"));
}

TEST(Clipboard, CopyAllThenPasteAllGivesTheSameRows) {
    const Rows rows{{u"a", u"b", u"C,W"}, {}, {u"\u4E2D", u"\U0001F600", u""}};
    EXPECT_EQ(CopyAllText(rows), u"a\tb\tC,W\r\n\t\t\r\n\u4E2D\t\U0001F600\t\r\n");
    EXPECT_EQ(ParsePastedTable(CopyAllText(rows)), rows);
}

TEST(Clipboard, PastedTextBecomesRowsWithoutHeaderOrMarker) {
    struct Case {
        std::u16string_view text;
        Rows rows;
    } cases[] = {
        {u"##\r\nfrom\tto\tC\r\n", {{u"##", u"", u""}, {u"from", u"to", u"C"}}},
        {u"a\tb\nc\td\n", {{u"a", u"b", u""}, {u"c", u"d", u""}}},
        {u"plain line", {{u"plain line", u"", u""}}},
        {u"a\r\n\r\n", {{u"a", u"", u""}, {}}},
        {u"", {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ParsePastedTable(c.text), c.rows)
            << testing::PrintToString(std::u16string(c.text));
    }
}

TEST(Clipboard, PasteAllReplacesRowsButKeepsThePreamble) {
    ReplacementTable table;
    LoadTableContent(table, {u"from file", {{u"1", u"", u""}, {u"2", u"", u""}, {u"3", u"", u""}}});
    table.SetSelection(2, 3);
    EXPECT_TRUE(PasteAllText(table, u"x\ty\r\nz"));
    EXPECT_EQ(TableContentOf(table),
              (TableFileContent{u"from file", {{u"x", u"y", u""}, {u"z", u"", u""}}}));
    EXPECT_EQ(table.Row(), 1);
    EXPECT_EQ(table.Bottom(), 1);
    // An empty clipboard brings no row: the table stays as it was.
    const TableFileContent before = TableContentOf(table);
    EXPECT_FALSE(PasteAllText(table, u""));
    EXPECT_FALSE(PasteAllText(table, u"\0text"sv));
    EXPECT_EQ(TableContentOf(table), before);
}

}  // namespace
}  // namespace palimp
