// The standard edit commands, the font size and face, word wrap, Maximize, the hidden
// division-by-zero command and the simple Help menu entries.
#include <optional>

#include "core/errors.h"
#include "core/product.h"
#include "win/app.h"
#include "win/ui/fonts.h"
#include "win/dlg_about.h"
#include "win/form_main.h"
#include "win/form_table.h"
#include "win/system/wide.h"
#include "win/ui/busy_cursor.h"

namespace palimp {

namespace {

bool IsEditControl(HWND hwnd) {
    wchar_t name[16] = {};
    return hwnd && GetClassNameW(hwnd, name, 16) && lstrcmpiW(name, L"Edit") == 0;
}

bool HasSelection(HWND edit) {
    DWORD start = 0;
    DWORD end = 0;
    SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return start != end;
}

}  // namespace

HWND TFormMain::FocusedTextBox() const {
    // The edit commands act on the focused text box of this window (the find box); when the
    // focus is anywhere else (the editor, the toolbar, the menu), on the editor.
    HWND focus = GetFocus();
    return IsEditControl(focus) && IsChild(Handle(), focus) ? focus : nullptr;
}

void TFormMain::UpdateEditCommand(Action& action) {
    HWND box = FocusedTextBox();
    bool enabled = false;
    if (&action == actionEditUndo) {
        enabled = box ? SendMessageW(box, EM_CANUNDO, 0, 0) != 0 : memo.CanUndo();
    } else if (&action == actionEditRedo) {
        enabled = !box && memo.CanRedo();  // a text box has no redo
    } else if (&action == actionEditCut || &action == actionEditCopy) {
        enabled = box ? HasSelection(box) : memo.HasSelection();
    } else if (&action == actionEditPaste) {
        enabled = IsClipboardFormatAvailable(CF_UNICODETEXT) || IsClipboardFormatAvailable(CF_TEXT);
    } else if (&action == actionEditSelectAll) {
        enabled = box ? GetWindowTextLengthW(box) > 0 : !memo.Empty();
    }
    if (enabled != action.Enabled()) action.SetEnabled(enabled);
}

void TFormMain::actionEditUndoExecute() {
    if (HWND box = FocusedTextBox()) {
        SendMessageW(box, WM_UNDO, 0, 0);
    } else {
        memo.Undo();
    }
}

void TFormMain::actionEditRedoExecute() {
    if (!FocusedTextBox()) memo.Redo();
}

void TFormMain::actionEditCutExecute() {
    if (HWND box = FocusedTextBox()) {
        SendMessageW(box, WM_CUT, 0, 0);
    } else {
        memo.Cut();
    }
}

void TFormMain::actionEditCopyExecute() {
    if (HWND box = FocusedTextBox()) {
        SendMessageW(box, WM_COPY, 0, 0);
    } else {
        memo.Copy();
    }
}

void TFormMain::actionEditPasteExecute() {
    if (HWND box = FocusedTextBox()) {
        SendMessageW(box, WM_PASTE, 0, 0);
    } else {
        memo.Paste();
    }
}

void TFormMain::actionEditDeleteExecute() {
    HWND box = FocusedTextBox();
    if (!box) {
        memo.Delete();
    } else if (HasSelection(box)) {
        SendMessageW(box, WM_CLEAR, 0, 0);
    } else {
        // The character after the caret, as the Del key takes it.
        SendMessageW(box, WM_KEYDOWN, VK_DELETE, 0);
        SendMessageW(box, WM_KEYUP, VK_DELETE, 0xC0000001);
    }
}

void TFormMain::actionEditSelectAllExecute() {
    if (HWND box = FocusedTextBox()) {
        SendMessageW(box, EM_SETSEL, 0, -1);
    } else {
        memo.SelectAll();
    }
}

void TFormMain::ApplyEditorFont() {
    BusyCursor busy;  // a big text is laid out again
    memo.SetFont(editorFontFace, editorFontSize, Dpi());
}

void TFormMain::SetEditorFontSize(int size) {
    size = std::clamp(size, 6, 30);
    // Sizes without an item of their own (7, 9, 11...) leave every item unmarked.
    for (MenuItem* item : miFontSizes) item->SetChecked(false);
    for (MenuItem* item : miFontSizes)
        if (item->Tag() == size) item->SetChecked(true);
    editorFontSize = size;
    RepaintNow();  // what the menu covered, before a big text is laid out again
    ApplyEditorFont();
}

void TFormMain::miFontSizeClick(MenuItem& sender) {
    sender.SetChecked(true);
    SetEditorFontSize(sender.Tag());
}

void TFormMain::actionFontLargerExecute() { SetEditorFontSize(editorFontSize + 1); }

void TFormMain::actionFontSmallerExecute() { SetEditorFontSize(editorFontSize - 1); }

void TFormMain::actionFontExecute() {
    // The face the editor really shows: one that is not installed would open the dialog at
    // whatever face it lists first.
    const std::wstring shown = Fonts::RenderedFace(Fonts::Points(memo.FontFace(), editorFontSize, Dpi()));
    FontRequest font{.face = shown, .size = editorFontSize, .minSize = 6, .maxSize = 30};
    if (!App().GetPrompter().ShowFontDialog(Handle(), font)) return;
    editorFontFace = font.face;
    SetEditorFontSize(font.size);
    ApplyFontFaceToTableWindows(font.face);
}

void TFormMain::ApplyFontFaceToTableWindows(const std::wstring& face) {
    // The table grid takes the face (its size stays); the pair editor's input boxes follow the
    // grid's font from there.
    App().FormTable().SetGridFontFace(face);
}

void TFormMain::actionWordWrapExecute() {
    bool wordWrap = !actionWordWrap->Checked();
    RepaintNow();  // what the menu covered, before the text is laid out again
    BusyCursor busy;
    memo.SetWordWrap(wordWrap);
    actionWordWrap->SetChecked(wordWrap);
}

void TFormMain::actionFullScreenExecute() { ShowWindow(Handle(), IsZoomed(Handle()) ? SW_RESTORE : SW_MAXIMIZE); }

void TFormMain::actionXXXExecute() {
    // An integer division of 1 by 0: a processor fault, which reaches the error report as
    // EDivByZero with its exception code.
    // Both operands volatile: the compiler turns 1 / x into comparisons, which never fault.
    volatile int one = 1;
    volatile int zero = 0;
    volatile int quotient = one / zero;
    (void)quotient;
}

void TFormMain::miAboutClick() { App().GetPrompter().ShowModal(App().dlgAbout()); }

void TFormMain::actionOnlineHelpExecute() { App().GetPrompter().ShellOpen(Handle(), ToWide(product::kOnlineHelpUrl)); }

void TFormMain::actionWebPageExecute() { App().GetPrompter().ShellOpen(Handle(), ToWide(product::kWebPageUrl)); }

}  // namespace palimp
