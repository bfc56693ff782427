// The table window beyond its row commands: Count and the Hits column, rows switched off by
// their check boxes or Space, the modified flag with the question before an edited table is
// replaced, Undo of row commands, and the commands that cannot act saying why.
#include <windows.h>

#include <string>
#include <vector>

#include "core/table_file.h"
#include "gui_table_support.h"

namespace palimp {
namespace {

class TableRowsTest : public TableTest {
protected:
    std::wstring Title() { return TextOf(TableControl("labelTitle")); }
    // Clicks the check box of an item row.
    void ClickSwitch(int row) {
        RECT box = TheGrid().Geometry().SwitchRect(row);
        ClickAt(TableControl("sgTable"), (box.left + box.right) / 2, (box.top + box.bottom) / 2);
        Pump();
    }
    std::vector<bool> SwitchedOff() {
        std::vector<bool> off;
        for (const TableRow& row : Table().Table().Items()) off.push_back(IsRowOff(row));
        return off;
    }
};
using TableRowRegressions = TableRowsTest;

TEST_F(TableRowsTest, CountFillsTheHitsColumnAndTheCounterWithoutChangingTheDocument) {
    Start();
    OpenFileHolding(Utf16LeFile(L"a cat and a dog, a cat"));
    Table().Show();
    Pump();
    // "cat" wins twice, "a" four times; "a c" never wins behind "a"; "dog" is switched off.
    LoadRows({{u"cat", u"x", u""}, {u"a", u"y", u""}, {u"a c", u"z", u""}, {u"dog", u"w", u"X"}});
    EXPECT_EQ(TheGrid().Hits(), std::vector<std::wstring>{}) << "empty until counted";
    const struct {
        const char* how;
        std::function<void()> count;
    } ways[] = {{"F9", [&] { PressKey(VK_F9); }}, {"the button", [&] { Press(TableControl("btnCount")); }}};
    for (const auto& way : ways) {
        SCOPED_TRACE(way.how);
        way.count();
        SetFocus(TableControl("sgTable"));  // the button took it
        EXPECT_EQ(TheGrid().Hits(), (std::vector<std::wstring>{L"2", L"4", L"never", L"never"}));
        EXPECT_EQ(Counter(), L"Hits: 6");
        EXPECT_EQ(TheGrid().RowTip(1), L"");
        EXPECT_EQ(TheGrid().RowTip(3), L"Never wins: row 2 (\"a\") matches first wherever this phrase does");
        EXPECT_EQ(TheGrid().RowTip(4), L"Switched off");
        EXPECT_EQ(Text(), L"a cat and a dog, a cat");
        EXPECT_FALSE(Modified());
        // Any change of the table makes the count stale: it goes.
        PressKey(VK_HOME);
        PressKey(VK_DOWN);
        EXPECT_EQ(TheGrid().Hits().size(), 4u) << "moving the selection keeps the count";
        PressKey(VK_DOWN, kCtrl | kAlt);
        EXPECT_EQ(TheGrid().Hits(), std::vector<std::wstring>{});
        EXPECT_EQ(Counter(), L"Item: 3 / 4");
        PressKey('Z', kCtrl);
    }
    // A changed document, too: the next showing has no count.
    PressKey(VK_F9);
    Table().Hide();
    OpenFileHolding(Utf16LeFile(L"another text"));
    Table().Show();
    Pump();
    EXPECT_EQ(TheGrid().Hits(), std::vector<std::wstring>{});
    EXPECT_EQ(TheGrid().HitsWidth(), Table().Scale(56));
}

TEST_F(TableRowsTest, CheckBoxesAndSpaceSwitchRowsOffAndCopyAllLeavesThemOut) {
    StartShown();
    LoadLetters(u"ABCD");
    ClickSwitch(2);
    EXPECT_EQ(SwitchedOff(), (std::vector<bool>{false, true, false, false}));
    EXPECT_EQ(Counter(), L"Item: 1 / 4") << "the check box leaves the selection alone";
    const struct {
        const char* what;
        UINT key;
        unsigned modifiers;
        std::vector<bool> off;
    } steps[] = {
        {"Space switches the current row off", VK_SPACE, 0, {true, true, false, false}},
        {"Shift+Down", VK_DOWN, kShift, {true, true, false, false}},
        {"all selected are off: Space switches them on", VK_SPACE, 0, {false, false, false, false}},
        {"Shift+Down", VK_DOWN, kShift, {false, false, false, false}},
        {"any one on: all go off", VK_SPACE, 0, {true, true, true, false}},
    };
    for (const auto& step : steps) {
        PressKey(step.key, step.modifiers);
        EXPECT_EQ(SwitchedOff(), step.off) << step.what;
    }
    EXPECT_EQ(Rows()[0][kOptionsColumn], u"X");
    Choose(Table(), "actionCopyAll");
    EXPECT_EQ(ClipboardUnicode(), L"D\td\t\r\n");
    EXPECT_EQ(Title(), L"rows *");
}

// "(new)", Open, the folder menu and Paste All threw an edited table away without a question.
TEST_F(TableRowRegressions, AnEditedTableWasReplacedWithoutAQuestion) {
    const std::wstring question = L"Save changes to rows?";
    // Each way with the question answered: the menu is chosen from before it, the Open dialog
    // shows only after it.
    const struct {
        const char* how;
        std::function<void(int)> replace;
    } ways[] = {
        {"(new)", [&](int answer) {
             prompter_.ChooseInMenu(L"(new)");
             prompter_.AnswerMessage(question, answer);
             PressKey('O', kCtrl | kShift);
         }},
        {"Open", [&](int answer) {
             prompter_.AnswerMessage(question, answer);
             if (answer != IDCANCEL) prompter_.ChooseInOpen(temp_.Path(L"other.palimp"));
             PressKey('O', kCtrl);
         }},
        {"Paste All", [&](int answer) {
             PutClipboardUnicode(L"P\tp\r\n");
             prompter_.AnswerMessage(question, answer);
             Choose(Table(), "actionPasteAll");
         }},
    };
    StartShown();
    WriteBytes(temp_.Path(L"other.palimp"), WriteTableFile({u"", {{u"O", u"o", u""}}}));
    for (const auto& way : ways) {
        SCOPED_TRACE(way.how);
        LoadLetters(u"AB");
        EXPECT_EQ(Title(), L"rows");
        Choose(Table(), "actionSwapColumns");
        EXPECT_EQ(Title(), L"rows *");
        EXPECT_TRUE(Table().Modified());
        // Cancel keeps everything; Yes saves to the table's file without more questions, then
        // goes on.
        way.replace(IDCANCEL);
        EXPECT_EQ(Rows()[0][0], u"a") << "cancelled";
        EXPECT_EQ(Title(), L"rows *");
        EXPECT_EQ(prompter_.Messages().back().flags, static_cast<UINT>(MB_YESNOCANCEL | MB_ICONWARNING));
        way.replace(IDYES);
        EXPECT_EQ(ReadTableFile(ReadBytes(temp_.Path(L"rows.palimp"))).rows[0][0], u"a") << "saved";
        EXPECT_NE(Rows()[0][0], u"a") << "replaced after saving";
    }
    // Paste All's table belongs to no file: the title says so and Save As proposes no name.
    EXPECT_EQ(Title(), L"Pasted table *");
    EXPECT_EQ(Table().FileName(), L"");
    prompter_.CancelSave();
    PressKey('S', kCtrl);
    EXPECT_EQ(prompter_.SaveRequests().back().fileName, L"");
    // Closing the program asks too; Cancel keeps it running.
    prompter_.AnswerMessage(L"Save changes to the pasted table?", IDCANCEL);
    Main().Close();
    Pump();
    EXPECT_FALSE(App().Terminated());
    prompter_.AnswerMessage(L"Save changes to the pasted table?", IDNO);
    Main().Close();
    EXPECT_TRUE(App().Terminated());
}

TEST_F(TableRowsTest, CtrlZUndoesRowCommandsStepByStep) {
    StartShown();
    LoadLetters(u"ABCD");
    PressKey(VK_DOWN);
    PressKey(VK_DOWN, kCtrl | kAlt);                 // move: A C B D
    PressKey(VK_DELETE);                             // delete B: A C D
    Choose(Table(), "actionSwapColumns");            // swap
    PressKey(VK_SPACE);                              // switch a row off
    PutClipboardUnicode(L"P\tp\r\n");
    prompter_.AnswerMessage(L"Save changes to rows?", IDNO);
    Choose(Table(), "actionPasteAll");               // paste
    InPairEditor([&] {
        TypeInto(EditorControl("comboSearch"), L"N");
        Press(EditorControl("btnOK"));
    }, ModalResult::OK);
    PressKey('N', kCtrl);                            // add
    SetFocus(TableControl("sgTable"));  // the scripted showing gives it back to no one
    const std::u16string steps[] = {u"P", u"acd", u"acd", u"ACD", u"ACBD", u"ABCD"};
    EXPECT_EQ(Letters(), u"PN");
    for (const std::u16string& letters : steps) {
        PressKey('Z', kCtrl);
        EXPECT_EQ(Letters(), letters);
    }
    EXPECT_EQ(Table().Table().Top(), 2);  // the selection as it was before the move
    EXPECT_EQ(prompter_.Beeps(), 0);
    PressKey('Z', kCtrl);
    EXPECT_EQ(Counter(), L"Nothing to undo");
    EXPECT_EQ(prompter_.Beeps(), 1);
}

// Replace All without a search phrase, Paste All without text and Delete with every row selected
// did nothing and said nothing; now each says why and beeps once.
TEST_F(TableRowRegressions, CommandsThatCouldNotActSaidNothing) {
    Start();
    const struct {
        const char* what;
        std::function<void()> command;
        std::wstring said;
    } cases[] = {
        {"Replace All without a search phrase", [&] { Press(TableControl("btnOK")); }, L"No row has a search phrase"},
        {"Paste All with a picture", [&] {
             HBITMAP picture = CreateBitmap(2, 2, 1, 32, nullptr);
             OpenClipboard(nullptr);
             EmptyClipboard();
             SetClipboardData(CF_BITMAP, picture);
             CloseClipboard();
             Choose(Table(), "actionPasteAll");
         }, L"No text on the clipboard"},
        {"Delete with every row selected", [&] { PressKey(VK_DELETE); }, L"The last row stays"},
    };
    ModalResult result = RunModal(Table(), {[&] {
        for (const auto& c : cases) {
            const int beeps = prompter_.Beeps();
            c.command();
            EXPECT_EQ(Counter(), c.said) << c.what;
            EXPECT_EQ(prompter_.Beeps(), beeps + 1) << c.what;
            SetFocus(TableControl("sgTable"));
        }
        EXPECT_TRUE(Table().IsModal());
        PressKey(VK_ESCAPE);
    }});
    EXPECT_EQ(result, ModalResult::Cancel);
    EXPECT_EQ(Rows(), std::vector<TableRow>(1));
}

}  // namespace
}  // namespace palimp
