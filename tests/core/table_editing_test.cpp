// The table editor's rules: the counter, the pair editor's record from and back into the
// selected rows, the character label, the folder menu captions and cells kept free of TABs and
// line breaks.
#include "core/table_editing.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/errors.h"
#include "core/table_file.h"

namespace palimp {
namespace {

ReplacementTable TableOf(std::vector<TableRow> rows, int top, int bottom) {
    ReplacementTable table;
    table.SetItems(std::move(rows));
    table.SetSelection(top, bottom);
    return table;
}

TEST(TableEditing, TheCounterShowsTheCurrentRowOrTheRange) {
    const std::vector<TableRow> ten(10);
    EXPECT_EQ(CountLabelText(ReplacementTable()), u"Item: 1 / 1");
    EXPECT_EQ(CountLabelText(TableOf(ten, 7, 7)), u"Item: 7 / 10");
    EXPECT_EQ(CountLabelText(TableOf(ten, 2, 4)), u"Items: 2..4/10");
    EXPECT_EQ(WidestCountLabelText(1), u"Items: 1..1/1");
    EXPECT_EQ(WidestCountLabelText(100000), u"Items: 100000..100000/100000");
}

TEST(TableEditing, SpacesAreMarkedMoreVisiblyAtTheEdges) {
    // '.' no mark, 'i' a space between words, 'E' a leading or trailing blank.
    const struct {
        std::u16string text;
        std::string marks;
    } cases[] = {
        {u"", ""}, {u"ab", ".."}, {u"   ", "EEE"}, {u"a b", ".i."}, {u" a  b ", "E.ii.E"}, {u"\u00A0a", ".."},
    };
    for (const auto& c : cases) {
        std::string shown;
        for (SpaceMark mark : SpaceMarks(c.text)) shown += mark == SpaceMark::kNone ? '.' : mark == SpaceMark::kInner ? 'i' : 'E';
        EXPECT_EQ(shown, c.marks) << ToUtf8(c.text);
    }
}

TEST(TableEditing, ReplaceAllNeedsOneSearchPhrase) {
    EXPECT_FALSE(HasSearchPhrase(ReplacementTable()));
    EXPECT_FALSE(HasSearchPhrase(TableOf({{u"", u"x", u"C"}, {}}, 1, 1)));
    EXPECT_TRUE(HasSearchPhrase(TableOf({{}, {u" ", u"", u""}}, 1, 1)));
}

TEST(TableEditing, EditStartsFromTheTopRowAndTicksWhatAllSelectedRowsShare) {
    const std::vector<TableRow> rows = {
        {u"a", u"x", u"C"}, {u"a", u"y", u"C,W"}, {u"b", u"y", u"c"}, {u"a", u"x", u"W,C"}, {u"A", u"x", u"CW"},
    };
    const struct {
        const char* what;
        int top, bottom;
        PairEditState expected;
    } cases[] = {
        {"one row", 2, 2, {u"a", u"y", true, true, false, true, true, true, true, false, true}},
        {"options read by their capitals", 4, 4, {u"a", u"x", true, true, false, true, true, true, true, false, true}},
        {"replacements differ", 1, 2, {u"a", u"", true, false, true, true, false, true, false, false, true}},
        {"all differ", 1, 3, {u"", u"", true, false, true, false, false, false, false, false, true}},
        {"phrases differ in case only", 4, 5, {u"", u"x", true, true, true, false, true, true, true, false, true}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PairEditStateForEdit(TableOf(rows, c.top, c.bottom)), c.expected) << c.what;
    }
    // The third row's lower-case "c" is no option: case differs from the top row.
    PairEditState twoToThree = PairEditStateForEdit(TableOf(rows, 2, 3));
    EXPECT_FALSE(twoToThree.changeCase);
    EXPECT_TRUE(twoToThree.caseSensitive);
    EXPECT_TRUE(twoToThree.changeReplace);
}

TEST(TableEditing, EditWritesOnlyTheTickedFieldsIntoEverySelectedRow) {
    const std::vector<TableRow> rows = {{u"a", u"1", u"C"}, {u"b", u"2", u"W"}, {u"c", u"3", u"c,w"}, {u"d", u"4", u""}};
    const struct {
        const char* what;
        int top, bottom;
        PairEditState state;
        std::vector<TableRow> expected;
    } cases[] = {
        {"only the replacement",
         1, 3, {.replaceText = u"R", .multiRow = true, .changeReplace = true},
         {{u"a", u"R", u"C"}, {u"b", u"R", u"W"}, {u"c", u"R", u"c,w"}, {u"d", u"4", u""}}},
        {"case switched on keeps each row's word option",
         2, 4, {.caseSensitive = true, .multiRow = true, .changeCase = true},
         {{u"a", u"1", u"C"}, {u"b", u"2", u"C,W"}, {u"c", u"3", u"C"}, {u"d", u"4", u"C"}}},
        {"nothing ticked rewrites nothing",
         1, 4, {.searchText = u"z", .caseSensitive = true, .multiRow = true}, rows},
        {"one row confirmed unchanged gets the written form",
         3, 3, {.searchText = u"c", .replaceText = u"3", .changeSearch = true, .changeReplace = true,
                .changeCase = true, .changeWord = true},
         {{u"a", u"1", u"C"}, {u"b", u"2", u"W"}, {u"c", u"3", u""}, {u"d", u"4", u""}}},
    };
    for (const auto& c : cases) {
        ReplacementTable table = TableOf(rows, c.top, c.bottom);
        ApplyPairEdit(table, c.state);
        EXPECT_EQ(std::vector<TableRow>(table.Items().begin(), table.Items().end()), c.expected) << c.what;
        EXPECT_EQ(table.Top(), c.top) << c.what;
        EXPECT_EQ(table.Bottom(), c.bottom) << c.what;
    }
    // W, a comma and C confirmed without a change: the written form C,W.
    ReplacementTable reordered = TableOf({{u"x", u"y", u"W,C"}}, 1, 1);
    ApplyPairEdit(reordered, PairEditStateForEdit(reordered));
    EXPECT_EQ(reordered.Cell(kOptionsColumn, 1), u"C,W");
}

TEST(TableEditing, AddAppendsBehindTheEmptyRowOfANewTable) {
    ReplacementTable table;
    PairEditState state = PairEditStateForAdd();
    EXPECT_TRUE(state.changeSearch && state.changeReplace && state.changeCase && state.changeWord);
    EXPECT_FALSE(state.multiRow);
    state.searchText = u"cat";
    state.wholeWords = true;
    AddPair(table, state);
    EXPECT_EQ(table.ItemCount(), 2);
    EXPECT_EQ(table.Rows()[1], TableRow{});
    EXPECT_EQ(table.Rows()[2], (TableRow{u"cat", u"", u"W"}));
    EXPECT_EQ(table.Row(), 2);
}

TEST(TableEditing, TheCharacterLabelNamesTheUnitAfterTheCaret) {
    const struct {
        std::u16string text;
        int caret;
        std::u16string expected;
    } rows[] = {
        {u"caf\u00E9", 3, u"U+00E9 (\u00E9)"},
        {u"caf\u00E9", 4, u""},
        {u"A", 0, u"U+0041 (A)"},
        {u"x\u20AC", 1, u"U+20AC (\u20AC)"},
        {u"\U0001F600", 0, u"U+D83D (\xD83D)"},  // a surrogate pair is two units
        {u"", 0, u""},
    };
    for (const auto& row : rows) EXPECT_EQ(CharacterCodeText(row.text, row.caret), row.expected) << row.caret;
}

TEST(TableEditing, FolderMenuCaptionsAndTheFilesTheyLeadTo) {
    const struct {
        std::u16string fileName, caption, menuText;
    } rows[] = {
        {u"b.palimp", u"b", u"b"},
        {u"list.old.palimp", u"list.old", u"list.old"},
        {u"Tom & Jerry.palimp", u"Tom & Jerry", u"Tom && Jerry"},
        {u".palimp", u"", u""},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(TableMenuCaption(row.fileName), row.caption);
        EXPECT_EQ(MenuTextOf(row.caption), row.menuText);
        EXPECT_EQ(TableFileOfCaption(u"C:\\p\\replace\\", row.caption), u"C:\\p\\replace\\" + row.fileName);
    }
}

TEST(TableEditing, TabsAndLineBreaksNeverReachACell) {
    const struct {
        std::u16string typed, cell;
        bool replaced;
    } rows[] = {
        {u"plain text", u"plain text", false},
        {u"a\tb", u"a b", true},
        {u"line\r\nnext", u"line next", true},
        {u"a\r\n\r\n\tb\n", u"a b ", true},
        {u"\u2028x\ry", u" x y", true},
        {u"lf\n\rcr", u"lf cr", true},
    };
    for (const auto& row : rows) {
        bool replaced = !row.replaced;
        std::u16string cell = KeepOutOfCell(row.typed, &replaced);
        EXPECT_EQ(cell, row.cell);
        EXPECT_EQ(replaced, row.replaced);
        // What the editor stores reads back from a table file exactly as it was.
        TableFileContent content{u"", {{cell, cell, u"C"}}};
        EXPECT_EQ(ReadTableFile(WriteTableFile(content)), content) << ToUtf8(row.typed);
    }
}

}  // namespace
}  // namespace palimp
