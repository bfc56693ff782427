// The pair editor through the table window's Add and Edit: its frame and captions, Add on a
// new table, the multi-row edit with its "Change:" column, grayed options and the OK rule, the
// histories, the length counters, the character label, Ctrl+A, and TABs and line breaks kept
// out of the input boxes.
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "gui_table_support.h"

namespace palimp {
namespace {

class PairEditorTest : public TableTest {
protected:
    HWND Get(const char* name) { return EditorControl(name); }
    HWND EditOf(const char* combo) { return GetWindow(Get(combo), GW_CHILD); }
    WPARAM Check(const char* name) { return SendMessageW(Get(name), BM_GETCHECK, 0, 0); }
    bool Enabled(const char* name) { return IsWindowEnabled(Get(name)) != FALSE; }
    // Add through the window's command with the search and replace texts typed in.
    void Add(std::wstring search, std::wstring replace) {
        InPairEditor([=, this] {
            TypeInto(Get("comboSearch"), search);
            TypeInto(Get("comboReplace"), replace);
            Press(Get("btnOK"));
        }, ModalResult::OK);
        Choose(Table(), "actionAdd");
    }
};
using PairEditorRegressions = PairEditorTest;

TEST_F(PairEditorTest, AddOnANewTableAppendsBehindTheEmptyRow) {
    StartShown();
    EXPECT_EQ(Editor().Caption(), L"Palimp");
    InPairEditor([&] {
        EXPECT_EQ(Editor().Caption(), L"Palimp - Add");
        EXPECT_EQ(Editor().HelpContext(), 5);
        RECT client = ClientOf(Editor().Handle());
        EXPECT_EQ(client.right, Editor().Scale(412));
        EXPECT_EQ(client.bottom, Editor().Scale(254));
        EXPECT_FALSE(IsWindowVisible(Get("panelChange")));
        EXPECT_EQ(TextOf(Get("checkWord")), L"&Whole words only");
        EXPECT_EQ(TextOf(Get("labelSearch1")), L"&Search for");
        EXPECT_EQ(TextOf(Get("labelReplace1")), L"&Replace with");
        EXPECT_EQ(TextOf(Get("labelSearch2")), L"(0 chars)");
        EXPECT_EQ(GetFocus(), EditOf("comboSearch"));
        EXPECT_FALSE(Enabled("btnOK")) << "an empty search phrase";
        TypeInto(Get("comboSearch"), L"caf\u00E9");
        EXPECT_TRUE(Enabled("btnOK"));
        EXPECT_EQ(TextOf(Get("labelSearch2")), L"(4 chars)");
        TypeInto(Get("comboReplace"), L"\U0001F600");
        EXPECT_EQ(TextOf(Get("labelReplace2")), L"(2 chars)");  // UTF-16 units
        Press(Get("checkWord"));
        Press(Get("btnOK"));
    }, ModalResult::OK);
    PressKey('N', kCtrl);
    EXPECT_EQ(Rows(), (std::vector<TableRow>{{}, {u"caf\u00E9", u"\U0001F600", u"W"}}));
    EXPECT_EQ(Counter(), L"Item: 2 / 2");
}

TEST_F(PairEditorTest, EditingSeveralRowsChangesOnlyTheTickedFields) {
    StartShown();
    LoadRows({{u"a", u"x", u"C"}, {u"b", u"x", u""}, {u"c", u"x", u"W,C"}});
    PressKey('A', kCtrl);
    InPairEditor([&] {
        EXPECT_EQ(Editor().Caption(), L"Palimp - Edit");
        EXPECT_TRUE(IsWindowVisible(Get("panelChange")));
        EXPECT_EQ(GetFocus(), Get("checkChangeSearch"));
        // The search phrases differ: empty, disabled, not ticked; the replacements agree.
        const struct { const char* box; WPARAM ticked; const char* field; bool enabled; } fields[] = {
            {"checkChangeSearch", BST_UNCHECKED, "comboSearch", false},
            {"checkChangeReplace", BST_CHECKED, "comboReplace", true},
            {"checkChangeCase", BST_UNCHECKED, "checkCase", false},
            {"checkChangeWord", BST_UNCHECKED, "checkWord", false},
            {"checkChangeExtended", BST_CHECKED, "checkExtended", true},  // no row is extended
        };
        for (const auto& f : fields) {
            EXPECT_EQ(Check(f.box), f.ticked) << f.box;
            EXPECT_EQ(Enabled(f.field), f.enabled) << f.field;
        }
        EXPECT_FALSE(Enabled("labelSearch1"));
        EXPECT_EQ(TextOf(Get("comboSearch")), L"");
        EXPECT_EQ(TextOf(Get("comboReplace")), L"x");
        EXPECT_EQ(Check("checkCase"), static_cast<WPARAM>(BST_INDETERMINATE));  // rows differ in C
        EXPECT_EQ(Check("checkWord"), static_cast<WPARAM>(BST_INDETERMINATE));
        EXPECT_TRUE(Enabled("btnOK"));
        Press(Get("checkChangeReplace"));
        Press(Get("checkChangeExtended"));
        EXPECT_FALSE(Enabled("btnOK")) << "no Change: box ticked";
        Press(Get("checkChangeSearch"));
        EXPECT_FALSE(Enabled("btnOK")) << "the search phrase to be written is empty";
        Press(Get("checkChangeSearch"));
        // Ticked, the option box may change but is still grayed: writing it needs a click,
        // and clicks alternate between ticked and clear, never gray again.
        Press(Get("checkChangeCase"));
        EXPECT_TRUE(Enabled("checkCase"));
        EXPECT_TRUE(Enabled("btnOK"));
        Press(Get("checkChangeWord"));
        const WPARAM expected[] = {BST_CHECKED, BST_UNCHECKED, BST_CHECKED};
        for (WPARAM state : expected) {
            Press(Get("checkWord"));
            EXPECT_EQ(Check("checkWord"), state);
        }
        Press(Get("checkChangeReplace"));
        TypeInto(Get("comboReplace"), L"y");
        Press(Get("btnOK"));
    }, ModalResult::OK);
    PressKey(VK_F2);
    // Case ticked but never clicked: each row keeps its C; W set everywhere.
    EXPECT_EQ(Rows(), (std::vector<TableRow>{{u"a", u"y", u"C,W"}, {u"b", u"y", u"W"}, {u"c", u"y", u"C,W"}}));
    EXPECT_EQ(Counter(), L"Items: 1..3/3");

    // One row: no column, everything enabled; OK without a change writes the option cell in
    // its written form.
    LoadRows({{u"p", u"q", u"W,C"}});
    InPairEditor([&] {
        EXPECT_FALSE(IsWindowVisible(Get("panelChange")));
        for (const char* field : {"comboSearch", "comboReplace", "checkCase", "checkWord"}) EXPECT_TRUE(Enabled(field));
        EXPECT_EQ(Check("checkCase"), static_cast<WPARAM>(BST_CHECKED));
        Press(Get("btnOK"));
    }, ModalResult::OK);
    Choose(Table(), "actionEdit");
    EXPECT_EQ(Rows(), (std::vector<TableRow>{{u"p", u"q", u"C,W"}}));
}

TEST_F(PairEditorTest, HistoriesKeepEachTextOnceAndShowThirtyTwoEntries) {
    StartShown();
    Add(L"cat", L"dog");
    Add(L"cat", L"");
    Add(L"Cat", L"dog");
    EXPECT_EQ(Editor().SearchHistory(), (std::vector<std::u16string>{u"cat", u"Cat"}));
    EXPECT_EQ(Editor().ReplaceHistory(), (std::vector<std::u16string>{u"dog"}));
    EXPECT_EQ(SendMessageW(Get("comboSearch"), CB_GETCOUNT, 0, 0), 2);
    EXPECT_EQ(SendMessageW(Get("comboSearch"), CB_GETMINVISIBLE, 0, 0), 32);
    EXPECT_EQ(Letters(), u"_ccC");
    // Choosing from the history fills the box and its counter; Cancel changes no row.
    InPairEditor([&] {
        SendMessageW(Get("comboSearch"), CB_SETCURSEL, 1, 0);
        SendMessageW(Editor().Handle(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(Get("comboSearch")), CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(Get("comboSearch")));
        EXPECT_EQ(TextOf(Get("comboSearch")), L"Cat");
        EXPECT_EQ(TextOf(Get("labelSearch2")), L"(3 chars)");
    }, ModalResult::Cancel);
    Choose(Table(), "actionAdd");
    EXPECT_EQ(Table().Table().ItemCount(), 4);
}

TEST_F(PairEditorTest, TheLabelShowsTheCodeOfTheCharacterAfterTheCaret) {
    StartShown();
    InPairEditor([&] {
        HWND edit = EditOf("comboSearch");
        TypeInto(Get("comboSearch"), L"caf\u00E9 & co");
        auto labelAfter = [&](int caret, bool byKey) {
            SendMessageW(edit, EM_SETSEL, caret, caret);
            if (byKey) {
                PostMessageW(edit, WM_KEYUP, VK_LEFT, 0xC0000001);
                Pump();
            } else {
                for (DWORD start = GetTickCount(); GetTickCount() - start < 300; Sleep(10)) Pump();
            }
            return TextOf(Get("labelUnicode"));
        };
        EXPECT_EQ(labelAfter(3, true), L"U+00E9 (\u00E9)");
        EXPECT_EQ(labelAfter(5, false), L"U+0026 (&)");  // the timer; the ampersand shown as it is
        EXPECT_EQ(labelAfter(9, true), L"");  // the caret at the end
        SetFocus(Get("checkCase"));
        EXPECT_EQ(labelAfter(0, false), L"");  // no input box focused
        // Ctrl+A selects the whole text of the focused box.
        SetFocus(Get("comboSearch"));
        SendMessageW(edit, EM_SETSEL, 2, 2);
        PressKey('A', kCtrl);
        DWORD start = 1, end = 0;
        SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
        EXPECT_EQ(start, 0u);
        EXPECT_EQ(end, 9u);
        // Ctrl+= here is the table window's command.
        PressKey(VK_OEM_PLUS, kCtrl);
        EXPECT_EQ(Table().GridFontSize(), 11);
    }, ModalResult::Cancel);
    PressKey('N', kCtrl);
}

// A TAB or line break typed or pasted into a box reached a cell, and the table file saved with it
// read back as different rows.
TEST_F(PairEditorRegressions, ATabOrLineBreakTypedOrPastedReachedACell) {
    StartShown();
    InPairEditor([&] {
        HWND edit = EditOf("comboReplace");
        SetFocus(edit);
        Type(L"a\tb\nc\r");
        EXPECT_EQ(TextOf(Get("comboReplace")), L"abc");
        EXPECT_EQ(prompter_.Beeps(), 3);
        PutClipboardUnicode(L"one\r\ntwo\tthree\u2028");
        SendMessageW(edit, WM_PASTE, 0, 0);
        EXPECT_EQ(TextOf(Get("comboReplace")), L"abcone two three ");
        EXPECT_EQ(prompter_.Beeps(), 4);
        PutClipboardUnicode(L" plain");
        SendMessageW(edit, WM_PASTE, 0, 0);
        EXPECT_EQ(TextOf(Get("comboReplace")), L"abcone two three  plain");
        EXPECT_EQ(prompter_.Beeps(), 4);
        EXPECT_EQ(TextOf(Get("labelReplace2")), L"(23 chars)");
        TypeInto(Get("comboSearch"), L"s");
        Press(Get("btnOK"));
    }, ModalResult::OK);
    PressKey('N', kCtrl);
    EXPECT_EQ(Table().Table().Cell(kReplaceColumn, 2), u"abcone two three  plain");
}

TEST_F(PairEditorTest, ExtendedPairsTakeEscapesAndAnInvalidOneKeepsTheDialogOpen) {
    StartShown();
    // One action that pumps messages per step, and last in it: a pump can run the next step.
    prompter_.WhenShownModallyRun(Editor(), {
        [&] {
            EXPECT_EQ(TextOf(Get("checkExtended")), L"&Extended (\\t, \\n, \\\\)");
            EXPECT_EQ(Check("checkExtended"), static_cast<WPARAM>(BST_UNCHECKED));
            TypeInto(Get("comboSearch"), L"\\r\\n");
        },
        [&] { TypeInto(Get("comboReplace"), L"\\q"); },
        [&] {
            ClickCentre(Get("checkExtended"));
            ClickCentre(Get("btnOK"));
        },
        [&] {
            EXPECT_TRUE(Editor().IsModal()) << "closed with an invalid escape";
            EXPECT_EQ(prompter_.Beeps(), 1);
            EXPECT_EQ(GetFocus(), EditOf("comboReplace"));  // where the escape is
            TypeInto(Get("comboReplace"), L"\\t");
        },
        [&] { ClickCentre(Get("btnOK")); },
    });
    PressKey('N', kCtrl);
    EXPECT_EQ(Rows(), (std::vector<TableRow>{{}, {u"\\r\\n", u"\\t", u"E"}}));
    // Edit shows the option; without Extended the same text is taken as it is.
    InPairEditor([&] {
        EXPECT_EQ(Check("checkExtended"), static_cast<WPARAM>(BST_CHECKED));
        Press(Get("checkExtended"));
        TypeInto(Get("comboReplace"), L"\\q");
        Press(Get("btnOK"));
    }, ModalResult::OK);
    PressKey(VK_F2);
    EXPECT_EQ(Rows()[1], (TableRow{u"\\r\\n", u"\\q", u""}));
    EXPECT_EQ(prompter_.Beeps(), 1);
}

TEST_F(PairEditorRegressions, TheCaseBoxReadCaseSensitivie) {
    StartShown();
    InPairEditor([&] { EXPECT_EQ(TextOf(Get("checkCase")), L"&Case sensitive"); }, ModalResult::Cancel);
    Choose(Table(), "actionAdd");
}

// The boxes stopped at 30,000 units and dropped a longer paste without a word.
TEST_F(PairEditorRegressions, ALongPasteWasDroppedSilently) {
    StartShown();
    InPairEditor([&] {
        PutClipboardUnicode(std::wstring(40000, L'x'));
        SetFocus(EditOf("comboSearch"));
        SendMessageW(EditOf("comboSearch"), WM_PASTE, 0, 0);
        EXPECT_EQ(TextOf(Get("labelSearch2")), L"(40000 chars)");
        Press(Get("btnOK"));
    }, ModalResult::OK);
    PressKey('N', kCtrl);
    EXPECT_EQ(Table().Table().Cell(kSearchColumn, 2), std::u16string(40000, u'x'));
}

}  // namespace
}  // namespace palimp
