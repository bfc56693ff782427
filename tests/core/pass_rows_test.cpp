// Rows as the pass sees them once X and E are read, Copy All's rows, and Count: the per-row
// wins of one pass, which must be those of the literal pass (over the starter tables too, in
// starter_tables_test.cpp).
#include "core/pass_rows.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/table_file.h"

namespace palimp {
namespace {

using Rows = std::vector<TableRow>;

TEST(PassRows, SwitchedOffAndBadEscapesHaveNoPhraseAndExtendedRowsAreExpanded) {
    const struct {
        TableRow row;
        TableRow seen;
    } cases[] = {
        {{u"a\\t", u"b\\n", u"W,C"}, {u"a\\t", u"b\\n", u"C,W"}},  // no E: as written
        {{u"a\\t", u"b\\n", u"E,W"}, {u"a\t", u"b\n", u"W"}},
        {{u"cat", u"dog", u"C,X"}, {u"", u"dog", u"C"}},
        {{u"a\\q", u"b", u"E"}, {u"", u"b", u""}},
        {{u"a", u"\\x4", u"E"}, {u"", u"\\x4", u""}},  // the replacement's escape counts too
    };
    for (const auto& c : cases) EXPECT_EQ(PassRowOf(c.row), c.seen) << testing::PrintToString(c.row[0]);

    EXPECT_EQ(RowsSwitchedOn(Rows{{u"a", u"", u"X"}, {u"b", u"", u"x"}, {u"c", u"", u"C,X"}, {u"d", u"", u"E"}}),
              (Rows{{u"b", u"", u"x"}, {u"d", u"", u"E"}}));
}

TEST(PassRows, EscapeErrorsAreFoundOnlyInExtendedRowsThatAreOn) {
    const struct {
        TableRow row;
        std::u16string text;  // empty: no error
    } cases[] = {
        {{u"\\q", u"", u""}, u""},
        {{u"\\q", u"", u"E,X"}, u""},
        {{u"ok\\q", u"\\z", u"E"}, u"phrase: \"\\q\" (character 3) is no escape"},
        {{u"ok", u"a\\", u"E"}, u"replacement: \"\\\" (character 2) is no escape"},
    };
    for (const auto& c : cases) {
        const std::optional<RowEscapeError> error = FindRowEscapeError(c.row);
        EXPECT_EQ(error.has_value(), !c.text.empty());
        if (error) {
            EXPECT_EQ(RowEscapeErrorText(c.row, *error).substr(0, c.text.size()), c.text);
        }
    }
}

TEST(PassRows, CountGivesEachRowItsWinsAndTheRowsThatNeverWin) {
    const Rows rows = {{u"a", u"1", u""}, {u"ab", u"2", u""}, {u"b", u"3", u"X"},
                       {u"\\tb", u"4", u"E"}, {u"b", u"5", u""}, {u"\\q", u"6", u"E"}};
    const TableCount count = CountTable(rows, u"ab\tb b");
    EXPECT_EQ(count.rowHits, (std::vector<int>{1, 0, 0, 1, 2, 0}));
    EXPECT_EQ(count.found, 4);
    ASSERT_EQ(count.reach.size(), rows.size());
    EXPECT_FALSE(count.reach[1].canWin);  // "a" comes first wherever "ab" matches
    EXPECT_EQ(count.reach[1].blockers, std::vector<std::size_t>{0});
    EXPECT_FALSE(count.reach[2].canWin);  // switched off
    EXPECT_TRUE(count.reach[3].canWin);
    EXPECT_TRUE(count.reach[4].canWin);   // the switched-off "b" takes nothing from it
    EXPECT_FALSE(count.reach[5].canWin);  // a bad escape
}

TEST(PassRows, TheReasonARowNeverWinsNamesTheRowsAsTheGridCountsThem) {
    const Rows rows = {{u"a", u"", u""},   {u"ab", u"", u""},   {u"x", u"", u"X"}, {u"", u"y", u""},
                       {u"\\z", u"", u"E"}, {u"b", u"", u"C"}, {u"B", u"", u"C"}, {u"b", u"", u""}};
    const std::vector<RowReach> reach = FindRowsThatNeverWin(PassRowsOf(rows));
    const std::u16string expected[] = {
        u"", u"Never wins: row 1 (\"a\") matches first wherever this phrase does", u"Switched off",
        u"No search phrase", u"Never matches: phrase: \"\\z\" (character 1) is no escape; the escapes are "
                             u"\\t, \\n, \\r, \\0, \\\\, \\xHH and \\uXXXX",
        u"", u"", u"Never wins: rows 6 (\"b\"), 7 (\"B\") match first wherever this phrase does",
    };
    for (std::size_t r = 0; r < rows.size(); ++r) EXPECT_EQ(NeverWinsReason(rows, r, reach[r]), expected[r]) << r;
}

TEST(PassRows, SpaceSwitchesTheSelectedRowsOffUnlessAllAreOffAlready) {
    ReplacementTable table;
    table.SetItems({{u"a", u"", u"C"}, {u"b", u"", u"W,X"}, {u"c", u"", u""}});
    const auto options = [&] {
        return std::vector<std::u16string>{table.Cell(2, 1), table.Cell(2, 2), table.Cell(2, 3)};
    };
    EXPECT_TRUE(SwitchRows(table, 1, 2));  // one of them is on: both go off
    EXPECT_EQ(options(), (std::vector<std::u16string>{u"C,X", u"W,X", u""}));
    EXPECT_TRUE(SwitchRows(table, 1, 2));  // all off: both come back on
    EXPECT_EQ(options(), (std::vector<std::u16string>{u"C", u"W", u""}));
    EXPECT_FALSE(SwitchRows(table, 2, 4));
}

}  // namespace
}  // namespace palimp
