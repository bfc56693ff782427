// The document view: UTF-16 positions against the editor's own, undo and redo around Replace
// Many, the keys of the editor component that the program's commands keep, and the progress
// dialog while the result goes in.
#include "gui_support.h"

#include <commctrl.h>

#include <algorithm>

#include <Scintilla.h>

#include "core/replacement_table.h"
#include "win/dlg_progress.h"
#include "win/system/wide.h"
#include "win/ui/gauge.h"

namespace palimp {
namespace {

class EditorTest : public GuiTest {
protected:
    void SetUp() override {
        Start();
        SetFocus(Memo());
    }
    EditorView& View() { return Main().Editor(); }
    void Pass(std::u16string search, std::u16string replacement) {
        ReplacementTable table;
        table.SetItems({{std::move(search), std::move(replacement), u""}});
        Main().ReplaceManyPass(table);
    }
    // "é" is two bytes in the editor, "€" three, U+1F600 four bytes and two units.
    const std::wstring mixed_ = L"a\u00e9\r\n\u20ac\xD83D\xDE00z\r\n\r\n\xD83D\xDE00";
};
using EditorRegressions = EditorTest;

TEST_F(EditorTest, PositionsCountUtf16UnitsWithCrLfAsTwo) {
    SetDocument(mixed_);
    ASSERT_EQ(View().Length(), static_cast<int>(mixed_.size()));
    struct Row {
        int start;
        int length;
    };
    const Row rows[] = {
        {0, 0}, {1, 1}, {2, 2},  // a line break as two units
        {3, 2},                  // from the line break's LF across the next line's start
        {4, 3},                  // "€" and the pair
        {5, 2},                  // exactly the pair
        {1, 8},                  // across a line break and a pair
        {8, 4},                  // two empty lines
        {12, 2},                 // the pair that ends the text
        {0, 14},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE("selection " + std::to_string(row.start) + "+" + std::to_string(row.length));
        View().Select(row.start, row.length);
        EXPECT_EQ(View().Selection(), (std::pair<int, int>{row.start, row.length}));
        // The editor's own idea of the selection: cutting it leaves exactly the rest.
        View().Cut();
        EXPECT_EQ(Text(), mixed_.substr(0, row.start) + mixed_.substr(row.start + row.length));
        View().Undo();
        ASSERT_EQ(Text(), mixed_);
    }
}

// Every position maps to a character boundary and back; inside a pair it means the pair.
TEST_F(EditorRegressions, AfterACutThatJoinedTwoLinesAndItsUndoLaterPositionsWereOneUnitOff) {
    SetDocument(mixed_);
    View().Select(3, 2);
    View().Cut();
    View().Undo();
    for (int unit = 0; unit <= static_cast<int>(mixed_.size()); ++unit) {
        bool insidePair = unit > 0 && unit < static_cast<int>(mixed_.size()) && mixed_[unit] >= 0xDC00 && mixed_[unit] <= 0xDFFF;
        EXPECT_EQ(View().UnitPosition(View().BytePosition(unit)), insidePair ? unit - 1 : unit) << unit;
    }
}

TEST_F(EditorTest, WholeTextsKeepEveryUnit) {
    const std::wstring texts[] = {
        std::wstring(L"nul\0inside\0", 11),
        L"lone \xD800 and \xDC00 surrogates",
        L"pairs \xD83D\xDE00\xD83D\xDE01 and \xFFFF end",
        L"\u4E2D\u6587 first, longer in UTF-8 from its first character",
        L"ab\u4E2D\u6587\u4E2D\u6587\u00E9 longer in UTF-8 once its first letters are used up",
    };
    for (const std::wstring& text : texts) {
        SetDocument(text);
        EXPECT_EQ(Text(), text);
        EXPECT_FALSE(Modified());
        EXPECT_FALSE(View().CanUndo());
    }
}

TEST_F(EditorTest, UndoAndRedoStepThroughEditsAndReplaceManyAsOneStep) {
    SetDocument(L"x");
    Select(1, 1);
    Type(L" one");
    Select(0, 0);
    Type(L"two ");
    Pass(u"one", u"1");
    const std::wstring steps[] = {L"two x 1", L"two x one", L"x one", L"x"};
    for (const std::wstring& step : steps) {
        EXPECT_EQ(Text(), step);
        PressKey('Z', kCtrl);
    }
    EXPECT_EQ(Text(), L"x");
    EXPECT_FALSE(Modified());
    EXPECT_FALSE(MenuEnabled("actionEditUndo"));
    for (int i = 2; i >= 0; --i) {
        Choose("actionEditRedo");
        EXPECT_EQ(Text(), steps[i]);
    }
    EXPECT_FALSE(MenuEnabled("actionEditRedo"));
    EXPECT_TRUE(Modified());
    // A new edit after an undo leaves nothing to redo.
    PressKey('Z', kCtrl);
    Type(L"!");
    EXPECT_FALSE(MenuEnabled("actionEditRedo"));
}

TEST_F(EditorTest, TheEditorComponentsOwnKeysAreLeftToTheProgram) {
    SetDocument(L"Line one\r\nline two");
    Select(2, 2);
    struct Key {
        const char* what;
        UINT key;
        unsigned modifiers;
    };
    const Key keys[] = {
        {"Ctrl+L", 'L', kCtrl},           {"Ctrl+Shift+L", 'L', kCtrl | kShift}, {"Ctrl+T", 'T', kCtrl},
        {"Ctrl+Shift+T", 'T', kCtrl | kShift}, {"Ctrl+D", 'D', kCtrl},           {"Ctrl+U", 'U', kCtrl},
        {"Ctrl+Shift+U", 'U', kCtrl | kShift}, {"Ctrl+[", VK_OEM_4, kCtrl},
    };
    for (const Key& key : keys) {
        PressKey(key.key, key.modifiers);
        EXPECT_EQ(Text(), L"Line one\r\nline two") << key.what;
        EXPECT_EQ(Main().EditorFontSize(), 10) << key.what;
    }
    // Ctrl+= and Ctrl + the wheel size the font by the program's rule, never by zooming.
    PressKey(VK_OEM_PLUS, kCtrl);
    EXPECT_EQ(Main().EditorFontSize(), 11);
    SendMessageW(Memo(), WM_MOUSEWHEEL, MAKEWPARAM(MK_CONTROL, WHEEL_DELTA), 0);
    EXPECT_EQ(Main().EditorFontSize(), 12);
    SendMessageW(Memo(), WM_MOUSEWHEEL, MAKEWPARAM(MK_CONTROL, -WHEEL_DELTA), 0);
    SendMessageW(Memo(), WM_MOUSEWHEEL, MAKEWPARAM(MK_CONTROL, -WHEEL_DELTA), 0);
    EXPECT_EQ(Main().EditorFontSize(), 10);
    EXPECT_EQ(SendMessageW(Memo(), SCI_GETZOOM, 0, 0), 0);
    EXPECT_EQ(Text(), L"Line one\r\nline two");
}

TEST_F(EditorTest, ThePlainLookOfAnEditControl) {
    for (int margin = 0; margin < 5; ++margin) EXPECT_EQ(SendMessageW(Memo(), SCI_GETMARGINWIDTHN, margin, 0), 0);
    EXPECT_EQ(SendMessageW(Memo(), SCI_STYLEGETBACK, STYLE_DEFAULT, 0), static_cast<LRESULT>(GetSysColor(COLOR_WINDOW)));
    EXPECT_EQ(SendMessageW(Memo(), SCI_STYLEGETFORE, STYLE_DEFAULT, 0),
              static_cast<LRESULT>(GetSysColor(COLOR_WINDOWTEXT)));
    EXPECT_EQ(SendMessageW(Memo(), SCI_GETEOLMODE, 0, 0), SC_EOL_CRLF);
    // Pasted line breaks become CR LF, like the rest of the document.
    PutClipboardUnicode(L"a\nb\rc");
    PressKey('V', kCtrl);
    EXPECT_EQ(Text(), L"a\r\nb\r\nc");
}

// The screen, not only a rendering into a bitmap: the editor paints the text it is given. Ink is
// any pixel of the first lines that is not the window's background.
TEST_F(EditorTest, TheScreenShowsTheTextOfTheDocument) {
    auto ink = [&] {
        RedrawWindow(MainHandle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        Pump();
        const Rendering shown(Memo(), RenderingSource::Screen);
        int pixels = 0;
        for (int y = 0; y < std::min(shown.Height(), 2 * View().LineHeight()); ++y) {
            for (int x = 0; x < std::min(shown.Width(), 300); ++x) pixels += shown.At(x, y) != GetSysColor(COLOR_WINDOW);
        }
        return pixels;
    };
    SetDocument(L"");
    const int empty = ink();  // the caret at most
    SetDocument(L"The quick brown fox\r\njumps over the lazy dog");
    EXPECT_GT(ink(), empty + 100) << "the editor's text is not on the screen";
}

// The pass's message pump ran the editor's background wrapping of the whole document, which
// posts itself step after step: seconds before the pass began on 10 MB.
TEST_F(EditorRegressions, ABusyCommandsPumpRanTheBackgroundWrapping) {
    std::wstring line;
    while (line.size() < 400) line += L"word ";
    std::wstring text;
    const int lines = 3000;
    for (int i = 0; i < lines; ++i) text += line + L"\r\n";
    View().SetWordWrap(true);
    View().Load(std::u16string(U16View(text)));
    auto displayLines = [&] { return SendMessageW(Memo(), SCI_VISIBLEFROMDOCLINE, lines, 0); };
    App().ProcessMessages();
    EXPECT_LT(displayLines(), 2 * lines) << "the pump wrapped every line";
    // The idle loop still wraps them all, in its own time.
    const DWORD start = GetTickCount();
    while (displayLines() < 2 * lines && GetTickCount() - start < 30000) {
        MSG msg;
        if (MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT) != WAIT_OBJECT_0) continue;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) App().ProcessMessage(msg);
    }
    EXPECT_GE(displayLines(), 2 * lines);
}

// After the pass the progress dialog stood frozen at its last refresh, with Cancel live but
// ignored, while the editor took the result.
TEST_F(EditorRegressions, TheProgressDialogFrozeWithCancelLiveWhileTheResultWentIn) {
    SetDocument(L"one two one");
    TdlgProgress& progress = App().dlgProgress();
    HWND cancel = Named(progress, "CancelBtn");
    struct Seen {
        bool changed = false;
        int percent = -1;
        bool cancelEnabled = true;
        bool visible = false;
        TdlgProgress* progress;
        HWND cancel;
    } seen{.progress = &progress, .cancel = cancel};
    auto watch = [](HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) -> LRESULT {
        auto* state = reinterpret_cast<Seen*>(data);
        if (message == WM_COMMAND && HIWORD(wParam) == EN_CHANGE && !state->changed) {
            state->changed = true;
            state->percent = state->progress->Percent();
            state->cancelEnabled = IsWindowEnabled(state->cancel) != FALSE;
            state->visible = state->progress->IsVisible();
        }
        return DefSubclassProc(hwnd, message, wParam, lParam);
    };
    SetWindowSubclass(MainHandle(), watch, 1, reinterpret_cast<DWORD_PTR>(&seen));
    Pass(u"one", u"1");
    RemoveWindowSubclass(MainHandle(), watch, 1);
    EXPECT_TRUE(seen.changed);
    EXPECT_TRUE(seen.visible);
    EXPECT_EQ(seen.percent, 100);
    EXPECT_FALSE(seen.cancelEnabled);
    EXPECT_EQ(TextOf(Named(progress, "labelCount")).rfind(L"Found: 2 (", 0), 0u);
    // The next pass starts with Cancel usable again.
    progress.ShowProgress();
    EXPECT_TRUE(IsWindowEnabled(cancel));
    progress.HideProgress();
}

}  // namespace
}  // namespace palimp
