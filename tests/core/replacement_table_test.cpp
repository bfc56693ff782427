// The replacement table's row operations, selection rules and option strings.
#include "core/replacement_table.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace palimp {
namespace {

// Item rows named by letters ("AB_C", '_' an empty row); each row's other cells derive from its
// letter, so a row that moves is seen to move whole.
TableRow RowOf(char16_t c) {
    using S = std::u16string;
    return c == u'_' ? TableRow{} : TableRow{S{c}, S{c, u'+'}, S{u'o', c}};
}

ReplacementTable TableOf(std::u16string_view letters) {
    ReplacementTable table;
    std::vector<TableRow> rows;
    for (char16_t c : letters) rows.push_back(RowOf(c));
    table.SetItems(rows);
    return table;
}

std::u16string Letters(const ReplacementTable& table) {
    std::u16string out;
    for (const TableRow& row : table.Items()) {
        out += row[0].empty() ? u'_' : row[0][0];
        EXPECT_EQ(row, RowOf(out.back()));
    }
    return out;
}

struct Selection {
    int top, bottom, row;
    bool operator==(const Selection&) const = default;
};
Selection SelectionOf(const ReplacementTable& t) { return {t.Top(), t.Bottom(), t.Row()}; }

TEST(ReplacementTable, NewTableHasOneEmptyItemRowUnderTheCaptions) {
    ReplacementTable table = TableOf(u"AB");
    table.SetPreamble(u"from a file");
    table.NewTable();
    EXPECT_EQ(table.ItemCount(), 1);
    EXPECT_EQ(table.Rows()[0], (TableRow{u"Search for", u"Replace with", u"Options"}));
    EXPECT_EQ(table.Rows()[1], TableRow{});
    EXPECT_EQ(table.Preamble(), u"");
    EXPECT_EQ(SelectionOf(table), (Selection{1, 1, 1}));
}

struct RowOperationCase {
    const char* name;
    std::u16string_view rows;
    Selection before;  // the current row is its top or its bottom
    void (ReplacementTable::*operation)(int top, int bottom);
    std::u16string_view expectedRows;
    Selection expected;
};

void PrintTo(const RowOperationCase& c, std::ostream* os) { *os << c.name; }

class RowOperations : public testing::TestWithParam<RowOperationCase> {};

TEST_P(RowOperations, MoveRowsAndSelection) {
    const RowOperationCase& c = GetParam();
    ReplacementTable table = TableOf(c.rows);
    table.SelectRange(c.before.row == c.before.top ? c.before.bottom : c.before.top, c.before.row);
    ASSERT_EQ(SelectionOf(table), c.before);
    (table.*c.operation)(c.before.top, c.before.bottom);
    EXPECT_EQ(Letters(table), c.expectedRows);
    EXPECT_EQ(SelectionOf(table), c.expected);
}

constexpr auto Delete = &ReplacementTable::DeleteRows;
constexpr auto Up = &ReplacementTable::MoveRowsUp;
constexpr auto Down = &ReplacementTable::MoveRowsDown;
INSTANTIATE_TEST_SUITE_P(
    ReplacementTable, RowOperations,
    testing::Values(
        RowOperationCase{"DeleteOnlyRow", u"A", {1, 1, 1}, Delete, u"A", {1, 1, 1}},
        RowOperationCase{"DeleteEveryRow", u"ABCDE", {1, 5, 5}, Delete, u"ABCDE", {1, 5, 5}},
        RowOperationCase{"DeleteAllButFirst", u"ABCDE", {2, 5, 5}, Delete, u"A", {1, 1, 1}},
        RowOperationCase{"DeleteKeepsCurrentIndex", u"ABCDE", {2, 3, 3}, Delete, u"ADE",
                         {3, 3, 3}},
        RowOperationCase{"DeleteFromTopRow", u"ABCDE", {2, 3, 2}, Delete, u"ADE", {2, 2, 2}},
        RowOperationCase{"DeleteLastFallsBack", u"ABCDE", {4, 5, 5}, Delete, u"ABC", {3, 3, 3}},
        RowOperationCase{"UpOnlyRow", u"A", {1, 1, 1}, Up, u"A", {1, 1, 1}},
        RowOperationCase{"UpFirstRow", u"ABCDE", {1, 2, 2}, Up, u"ABCDE", {1, 2, 2}},
        RowOperationCase{"UpBlock", u"ABCDE", {3, 4, 4}, Up, u"ACDBE", {2, 3, 3}},
        RowOperationCase{"UpToTop", u"ABCDE", {2, 5, 2}, Up, u"BCDEA", {1, 4, 4}},
        RowOperationCase{"DownOnlyRow", u"A", {1, 1, 1}, Down, u"A", {1, 1, 1}},
        RowOperationCase{"DownLastRow", u"ABCDE", {4, 5, 5}, Down, u"ABCDE", {4, 5, 5}},
        RowOperationCase{"DownBlock", u"ABCDE", {2, 3, 3}, Down, u"ADBCE", {3, 4, 4}},
        RowOperationCase{"DownToBottom", u"ABCDE", {1, 4, 1}, Down, u"EABCD", {2, 5, 5}}),
    [](const testing::TestParamInfo<RowOperationCase>& p) { return p.param.name; });

TEST(ReplacementTable, ResizingCollapsesTheSelectionToTheCurrentRow) {
    ReplacementTable table = TableOf(u"ABCDE");
    table.SetSelection(2, 4);
    table.SetRowCount(8);
    EXPECT_EQ(Letters(table), u"ABCDE__");
    EXPECT_EQ(SelectionOf(table), (Selection{4, 4, 4}));
    table.SelectRange(7, 6);
    table.SetRowCount(4);  // row 6 is gone: the last row becomes current
    EXPECT_EQ(Letters(table), u"ABC");
    EXPECT_EQ(SelectionOf(table), (Selection{3, 3, 3}));
    table.SetRowCount(1);
    EXPECT_EQ(table.RowCount(), 4);
}

TEST(ReplacementTable, SelectionCommandsAndAppend) {
    ReplacementTable table = TableOf(u"_ABC");
    table.SelectRange(4, 2);
    EXPECT_EQ(SelectionOf(table), (Selection{2, 4, 2}));
    EXPECT_EQ(table.Anchor(), 4);
    table.SetSelection(4, 2);  // reversed: refused
    table.SetRow(5);           // no such row: refused
    EXPECT_EQ(SelectionOf(table), (Selection{2, 4, 2}));
    table.SelectAllRows();
    EXPECT_EQ(SelectionOf(table), (Selection{1, 4, 4}));
    table.AppendRow(u"D", u"D+", u"oD");  // after the empty first row, never into it
    EXPECT_EQ(Letters(table), u"_ABCD");
    EXPECT_EQ(SelectionOf(table), (Selection{5, 5, 5}));
}

TEST(ReplacementTable, SwapExchangesSearchAndReplaceOnly) {
    ReplacementTable table = TableOf(u"AB");
    const auto revision = table.Revision();
    table.SwapSearchReplace();
    EXPECT_NE(table.Revision(), revision) << "the grid must repaint";
    EXPECT_EQ(table.Rows()[2], (TableRow{u"B+", u"B", u"oB"}));
    EXPECT_EQ(table.Cell(0, 0), u"Search for");
    table.SwapSearchReplace();
    EXPECT_EQ(Letters(table), u"AB");
}

TEST(Options, HasOptionIsExactContainmentOfTheCapital) {
    struct Case {
        std::u16string_view cell;
        bool c, w;
    } cases[] = {{u"", false, false},     {u"C,W", true, true},    {u"W,C", true, true},
                 {u"CW", true, true},     {u" C , W", true, true}, {u"c,w", false, false},
                 {u"cWc", false, true},   {u"C", true, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::u16string(c.cell)));
        EXPECT_EQ(HasOption(c.cell, kOptionCase), c.c);
        EXPECT_EQ(HasOption(c.cell, kOptionWord), c.w);
    }
}

TEST(Options, ComposeWritesTheCanonicalFormAndKeepsUnchangedOptions) {
    struct Case {
        std::u16string_view old;
        bool changeCase, newCase, changeWord, newWord;
        std::u16string_view expected;
    } cases[] = {
        {u"", true, false, true, false, u""},       {u"", true, true, true, false, u"C"},
        {u"", true, false, true, true, u"W"},       {u"", true, true, true, true, u"C,W"},
        {u"W,C", false, false, false, false, u"C,W"},
        {u"c,w", false, true, false, true, u""},    {u"C", false, false, true, true, u"C,W"},
        {u"C,W", true, false, false, false, u"W"},  {u"xWx", false, false, false, false, u"W"},
        // Extended and switched off survive an edit of the other two and come last.
        {u"X,E,W", true, true, false, false, u"C,W,E,X"}, {u"E", true, false, true, true, u"W,E"},
        {u"x,e", false, false, false, false, u""}};
    for (const Case& c : cases) {
        EXPECT_EQ(ComposeOptions(c.old, c.changeCase, c.newCase, c.changeWord, c.newWord),
                  c.expected)
            << testing::PrintToString(std::u16string(c.old));
    }
}

TEST(Options, WithOptionSetsOrClearsOneLetterInTheWrittenForm) {
    struct Case {
        std::u16string_view old;
        char16_t letter;
        bool on;
        std::u16string_view expected;
    } cases[] = {
        {u"", kOptionOff, true, u"X"},          {u"C,W", kOptionOff, true, u"C,W,X"},
        {u"W,C,X", kOptionOff, false, u"C,W"},  {u"C", kOptionExtended, true, u"C,E"},
        {u"E,X", kOptionExtended, false, u"X"}, {u"X", kOptionCase, true, u"C,X"},
        {u"x", kOptionOff, false, u""},          {u"C,X", kOptionOff, true, u"C,X"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(WithOption(c.old, c.letter, c.on), c.expected) << testing::PrintToString(std::u16string(c.old));
    }
    EXPECT_TRUE(IsRowOff({u"a", u"b", u"C,X"}));
    EXPECT_FALSE(IsRowOff({u"a", u"b", u"x"}));
}

}  // namespace
}  // namespace palimp
