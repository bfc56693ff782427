// Undo of row commands: each step brings back the rows and the selection before its command.
#include "core/table_history.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace palimp {
namespace {

std::u16string Phrases(const ReplacementTable& table) {
    std::u16string letters;
    for (const TableRow& row : table.Items()) letters += row[kSearchColumn].empty() ? u'.' : row[kSearchColumn][0];
    return letters;
}

TEST(TableHistory, UndoesCommandsStepByStepWithTheirSelection) {
    ReplacementTable table;
    TableHistory history;
    for (char16_t c : std::u16string(u"ABCD")) {
        history.Record(table);
        table.AppendRow(std::u16string(1, c), u"", u"");
    }
    table.SelectRange(4, 3);  // B..C, B current
    history.Record(table);
    table.MoveRowsUp(table.Top(), table.Bottom());
    history.Record(table);
    table.DeleteRows(table.Top(), table.Bottom());
    history.Record(table);
    table.SwapSearchReplace();

    const struct {
        std::u16string phrases;
        int top, bottom, row;
    } steps[] = {
        {u".AD", 3, 3, 3},  {u".BCAD", 2, 3, 3}, {u".ABCD", 3, 4, 3}, {u".ABC", 4, 4, 4},
        {u".AB", 3, 3, 3},  {u".A", 2, 2, 2},    {u".", 1, 1, 1},
    };
    for (const auto& step : steps) {
        ASSERT_TRUE(history.Undo(table));
        EXPECT_EQ(Phrases(table), step.phrases);
        EXPECT_EQ((std::vector<int>{table.Top(), table.Bottom(), table.Row()}),
                  (std::vector<int>{step.top, step.bottom, step.row}))
            << testing::PrintToString(step.phrases);
    }
    EXPECT_FALSE(history.Undo(table));
    EXPECT_EQ(Phrases(table), u".");
}

TEST(TableHistory, KeepsTheNewestStepsWithinItsLimits) {
    ReplacementTable table;
    TableHistory history;
    for (std::size_t i = 0; i < TableHistory::kMostSteps + 5; ++i) {
        history.Record(table);
        table.AppendRow(u"x", u"", u"");
    }
    EXPECT_EQ(history.Steps(), TableHistory::kMostSteps);
    ReplacementTable large;
    large.SetRowCount(static_cast<int>(TableHistory::kMostRows) + 2);
    history.Record(large);
    EXPECT_EQ(history.Steps(), 1u);  // too large to keep more, but its own step stays
    history.Clear();
    EXPECT_FALSE(history.CanUndo());
}

}  // namespace
}  // namespace palimp
