// The edit, view and format commands: standard edit commands and their enabling, font sizes and
// the font dialog, word wrap, Maximize, and the hidden division-by-zero command.
#include "gui_support.h"

#include <functional>

#include "core/errors.h"
#include "core/replacement_table.h"
#include "win/ui/dpi.h"
#include "win/ui/fonts.h"
#include "win/form_table.h"

namespace palimp {
namespace {

class ViewTest : public GuiTest {
protected:
    void SetUp() override { Start(); }
    // The editor's lines are as high as the font's at size points.
    void ExpectEditorFont(const std::wstring& face, int size, const std::string& what) {
        EXPECT_NEAR(Main().Editor().LineHeight(), LineHeightOf(Fonts::Points(face, size, 96)), 1) << what;
        EXPECT_EQ(Main().Editor().FontFace(), Fonts::ResolveFace(face)) << what;
    }
    // The size item that carries a mark, or 0.
    int MarkedSize() {
        int marked = 0;
        for (int size : {6, 8, 10, 14, 20, 30}) {
            std::string name = "miFontSize" + std::to_string(size);
            if (MenuChecked(name.c_str())) {
                EXPECT_EQ(marked, 0) << "two size items marked";
                marked = size;
            }
        }
        return marked;
    }
    struct FontStep {
        const char* command;  // an action, a size item, or else a key with Ctrl (and these)
        UINT key;
        unsigned modifiers;
        int size;
        int marked;
    };
    // Each step from size 10, with the size it leads to, its mark, and nothing typed.
    void ExpectFontSteps(const std::vector<FontStep>& steps) {
        SetFocus(Memo());
        EXPECT_EQ(MarkedSize(), 10);
        for (const FontStep& step : steps) {
            if (step.command) {
                Choose(step.command);
            } else {
                PressKey(step.key, kCtrl | step.modifiers);
            }
            std::string what = step.command ? step.command : "key " + std::to_string(step.key);
            EXPECT_EQ(Main().EditorFontSize(), step.size) << what;
            EXPECT_EQ(MarkedSize(), step.marked) << what;
            ExpectEditorFont(L"Lucida Console", step.size, what);
            EXPECT_EQ(Text(), L"") << what;  // no key reached the document
        }
    }
};
using ViewRegressions = ViewTest;

TEST_F(ViewTest, TheTextRuleEnablesReplaceManyAndFind) {
    Type(L"x");
    for (const char* name : {"actionSave", "actionReplaceMany", "actionFind", "actionFindNext", "actionFindBack"}) {
        EXPECT_TRUE(ActionNamed(name).Enabled()) << name;
        EXPECT_TRUE(MenuEnabled(name)) << name;
    }
    PressKey(VK_BACK);
    EXPECT_EQ(Text(), L"");
    EXPECT_FALSE(MenuEnabled("actionReplaceMany"));
    EXPECT_TRUE(MenuEnabled("actionSave"));  // still modified
}

TEST_F(ViewTest, StandardEditCommandsFollowTheFocusedField) {
    SetFocus(Memo());
    Pump();
    EXPECT_FALSE(MenuEnabled("actionEditUndo"));
    EXPECT_FALSE(MenuEnabled("actionEditSelectAll"));
    EXPECT_TRUE(MenuEnabled("actionEditDelete"));
    Type(L"one two");
    EXPECT_TRUE(MenuEnabled("actionEditUndo"));
    EXPECT_TRUE(MenuEnabled("actionEditSelectAll"));
    EXPECT_FALSE(MenuEnabled("actionEditCopy"));
    EXPECT_FALSE(MenuEnabled("actionEditCut"));
    EXPECT_FALSE(MenuEnabled("actionEditRedo"));
    Choose("actionEditUndo");
    EXPECT_EQ(Text(), L"");
    EXPECT_TRUE(MenuEnabled("actionEditRedo"));
    PressKey('Y', kCtrl);
    EXPECT_EQ(Text(), L"one two");

    PressKey('A', kCtrl);
    EXPECT_EQ(Selection(), (std::pair<DWORD, DWORD>{0, 7}));
    EXPECT_TRUE(MenuEnabled("actionEditCopy"));
    EXPECT_TRUE(MenuEnabled("actionEditCut"));
    Choose("actionEditCopy");
    EXPECT_TRUE(MenuEnabled("actionEditPaste"));
    Select(0, 0);
    PressKey('V', kCtrl);
    EXPECT_EQ(Text(), L"one twoone two");

    // Delete: the selection, or the character after the caret (a line end as a whole).
    Select(0, 11);
    Choose("actionEditDelete");
    EXPECT_EQ(Text(), L"two");
    Type(L"\r");
    EXPECT_EQ(Text(), L"\r\ntwo");
    Select(0, 0);
    Choose("actionEditDelete");
    EXPECT_EQ(Text(), L"two");
    // The Del key itself belongs to the editor (it is not taken as the menu command).
    PressKey(VK_DELETE);
    EXPECT_EQ(Text(), L"wo");
}

TEST_F(ViewTest, TabInsertsATabCharacter) {
    SetFocus(Memo());
    PressKey(VK_TAB);
    Pump();
    EXPECT_EQ(Text(), L"\t");
    EXPECT_EQ(GetFocus(), Memo());
}

TEST_F(ViewTest, FontSizeStepsAndItemsKeepOneMarkAtMost) {
    ExpectFontSteps({
        {"actionFontLarger", 0, 0, 11, 0},
        {nullptr, VK_OEM_PLUS, 0, 12, 0},
        {"actionFontLarger", 0, 0, 13, 0},
        {"actionFontLarger", 0, 0, 14, 14},
        {"miFontSize6", 0, 0, 6, 6},
        {nullptr, VK_OEM_MINUS, 0, 6, 6},
        {"miFontSize30", 0, 0, 30, 30},
        {"actionFontLarger", 0, 0, 30, 30},
        {"actionFontSmaller", 0, 0, 29, 0},
        {"miFontSize8", 0, 0, 8, 8},
    });
    // The menus show the first key only.
    EXPECT_EQ(Main().Actions().MenuText(ActionNamed("actionFontLarger").Id()), L"&Larger\tCtrl+=");
    EXPECT_EQ(Main().Actions().MenuText(ActionNamed("actionFontSmaller").Id()), L"&Smaller\tCtrl+-");
}

// The second keys of Larger and Smaller: Ctrl+NumPad+ typed "+" into the document, and
// Ctrl+Shift+=, Ctrl++ on most keyboards, did nothing.
TEST_F(ViewRegressions, TheSecondKeysOfLargerAndSmallerTypedOrDidNothing) {
    ExpectFontSteps({
        {nullptr, VK_SUBTRACT, 0, 9, 0},
        {nullptr, VK_OEM_PLUS, kShift, 10, 10},
        {nullptr, VK_ADD, 0, 11, 0},
    });
}

TEST_F(ViewTest, TheFontDialogSetsFaceAndSizeAndReachesTheTableGrid) {
    Choose("actionFontLarger");  // 11 points
    prompter_.CancelFontDialog();
    Choose("actionFont");
    ASSERT_EQ(prompter_.FontRequests().size(), 1u);
    // The editor's face where it is installed (see the regression below for where it is not).
    if (Fonts::IsInstalled(L"Lucida Console")) {
        EXPECT_EQ(prompter_.FontRequests()[0].face, L"Lucida Console");
    }
    EXPECT_EQ(prompter_.FontRequests()[0].size, 11);
    EXPECT_EQ(prompter_.FontRequests()[0].minSize, 6);
    EXPECT_EQ(prompter_.FontRequests()[0].maxSize, 30);
    EXPECT_EQ(Main().EditorFontSize(), 11);

    prompter_.ChooseInFontDialog(L"Courier New", 12);
    Choose("actionFont");
    EXPECT_EQ(Main().EditorFontFace(), L"Courier New");
    EXPECT_EQ(Main().EditorFontSize(), 12);
    EXPECT_EQ(MarkedSize(), 0);
    ExpectEditorFont(L"Courier New", 12, "the font dialog");
    EXPECT_EQ(App().FormTable().GridFontFace(), L"Courier New");

    prompter_.ChooseInFontDialog(L"Courier New", 14);
    Choose("actionFont");
    EXPECT_EQ(MarkedSize(), 14);
}

TEST_F(ViewTest, WordWrapChangesOnlyTheDisplay) {
    EXPECT_TRUE(Main().Editor().WordWrap());
    SetFocus(Memo());
    Type(L"a long line\rsecond");
    Select(2, 6);
    Choose("miFontSize14");
    for (bool wrap : {false, true}) {
        Choose("actionWordWrap");
        EXPECT_EQ(MenuChecked("actionWordWrap"), wrap);
        EXPECT_EQ(Main().Editor().WordWrap(), wrap);
        EXPECT_EQ(Text(), L"a long line\r\nsecond");
        EXPECT_EQ(Selection(), (std::pair<DWORD, DWORD>{2, 6}));
        EXPECT_TRUE(Modified());
        EXPECT_EQ(GetFocus(), Memo());
        ExpectEditorFont(L"Lucida Console", 14, wrap ? "wrapped" : "not wrapped");
        RECT memo = ClientOf(Memo());
        EXPECT_GT(memo.bottom, 300);  // it fills the window below the toolbar
    }
    Type(L"x");
    EXPECT_EQ(Text(), L"a x line\r\nsecond");
}

TEST_F(ViewTest, AHorizontalScrollBarOnlyWhileNotWrapped) {
    SetDocument(std::wstring(400, L'w') + L"\r\nshort");
    for (bool wrap : {false, true}) {
        Choose("actionWordWrap");
        RedrawWindow(Memo(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        Pump();
        LONG style = GetWindowLongW(Memo(), GWL_STYLE);
        EXPECT_EQ((style & WS_HSCROLL) != 0, !wrap) << (wrap ? "wrapped" : "not wrapped");
        EXPECT_TRUE(style & WS_VSCROLL);
    }
}


// With the editor's face not installed, the font dialog opened at the first face it lists
// ("DejaVu Math TeX Gyre, 6") instead of the face the editor really shows.
TEST_F(ViewRegressions, TheFontDialogOpenedAtAFaceTheEditorDoesNotShow) {
    prompter_.ChooseInFontDialog(L"No Such Face Anywhere", 12);
    Choose("actionFont");
    prompter_.CancelFontDialog();
    Choose("actionFont");
    ASSERT_EQ(prompter_.FontRequests().size(), 2u);
    const FontRequest& request = prompter_.FontRequests().back();
    EXPECT_TRUE(Fonts::IsInstalled(request.face)) << ToUtf8(ToU16(request.face));
    // What the system draws for the face the editor was given.
    EXPECT_EQ(request.face, Fonts::RenderedFace(Fonts::Points(Main().Editor().FontFace(), 12, Main().Dpi())));
    EXPECT_EQ(request.size, 12);
}

// Only the display changes with word wrap, so Undo still takes back the edits and Redo puts them
// back. The history was lost when the editor was made anew for a word wrap change.
TEST_F(ViewRegressions, UndoAndRedoKeepTheHistoryAcrossWordWrapChanges) {
    struct Row {
        const char* name;
        std::string file;                // the document as opened (nothing to undo yet)
        std::function<void()> edit;
        std::wstring edited;
        std::wstring undone;
    };
    const Row rows[] = {
        {"typing at the end", "one two", [this] { Select(7, 7); Type(L" three"); }, L"one two three", L"one two"},
        {"deleting a selection", "one two three", [this] { Select(3, 7); Choose("actionEditDelete"); }, L"one three",
         L"one two three"},
        {"a new line typed", "ab", [this] { Select(1, 1); Type(L"\r"); }, L"a\r\nb", L"ab"},
        {"a selection across lines replaced", "one\r\ntwo\r\nthree", [this] { Select(2, 8); Type(L"X"); },
         L"onX\r\nthree", L"one\r\ntwo\r\nthree"},
        {"a Replace Many result", "one two one",
         [this] {
             ReplacementTable table;
             table.SetItems({{u"one", u"1", u""}});
             Main().ReplaceManyPass(table);
         },
         L"1 two 1", L"one two one"},
    };
    SetFocus(Memo());
    for (int changes : {1, 2}) {
        for (const Row& row : rows) {
            SCOPED_TRACE(std::string(row.name) + ", word wrap changed " + std::to_string(changes) + " times");
            OpenFileHolding(row.file);
            row.edit();
            ASSERT_EQ(Text(), row.edited);
            for (int i = 0; i < changes; ++i) Choose("actionWordWrap");
            EXPECT_EQ(Text(), row.edited);
            EXPECT_TRUE(Modified());
            EXPECT_TRUE(MenuEnabled("actionEditUndo"));
            PressKey('Z', kCtrl);
            EXPECT_EQ(Text(), row.undone);
            EXPECT_FALSE(Modified());  // back at the text as saved
            PressKey('Y', kCtrl);
            EXPECT_EQ(Text(), row.edited);
            prompter_.AnswerMessage(L"Save changes?", IDNO);
            Choose("actionNew");
        }
    }
    // A document with nothing to undo has nothing to undo after the change either.
    OpenFileHolding("fresh");
    Choose("actionWordWrap");
    EXPECT_FALSE(MenuEnabled("actionEditUndo"));
    EXPECT_FALSE(Modified());
    EXPECT_EQ(Text(), L"fresh");
}

TEST_F(ViewTest, MaximizeTwiceRestoresTheWindow) {
    RECT before = ScreenRectOf(MainHandle());
    PressKey(VK_F11);
    EXPECT_TRUE(IsZoomed(MainHandle()));
    PressKey(VK_F11);
    EXPECT_FALSE(IsZoomed(MainHandle()));
    RECT after = ScreenRectOf(MainHandle());
    EXPECT_EQ(after, before);
}

TEST_F(ViewTest, WebCommandsOpenTheMakersPages) {
    Choose("actionOnlineHelp");
    Choose("actionWebPage");
    ASSERT_EQ(prompter_.ShellOpens().size(), 2u);
    EXPECT_EQ(prompter_.ShellOpens()[0].find(L"/Palimp/help/") != std::wstring::npos, true);
    EXPECT_EQ(prompter_.ShellOpens()[1].substr(prompter_.ShellOpens()[1].size() - 16), L"/Palimp/?ver=1.2");
}

}  // namespace
}  // namespace palimp
