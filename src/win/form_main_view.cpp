// The standard edit commands, the font size and face, word wrap, Maximize, the hidden
// division-by-zero command and the simple Help menu entries.
#include <optional>

#include "core/errors.h"
#include "core/product.h"
#include "core/text_change.h"
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

// Where a control stands in its parent's client area.
RECT PlaceInParent(HWND control) {
    RECT place = {};
    GetWindowRect(control, &place);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&place), 2);
    return place;
}

}  // namespace

HWND TFormMain::TextTarget() const {
    // The edit commands act on the focused text field of this window (the editor or the find
    // box); when the focus is elsewhere (the toolbar, the menu), on the editor.
    HWND focus = GetFocus();
    if (IsEditControl(focus) && IsChild(Handle(), focus)) return focus;
    return memo;
}

void TFormMain::UpdateEditCommand(Action& action) {
    HWND target = TextTarget();
    bool enabled = false;
    if (&action == actionEditUndo) {
        enabled = SendMessageW(target, EM_CANUNDO, 0, 0) != 0;
    } else if (&action == actionEditCut || &action == actionEditCopy) {
        enabled = HasSelection(target);
    } else if (&action == actionEditPaste) {
        enabled = IsClipboardFormatAvailable(CF_UNICODETEXT) || IsClipboardFormatAvailable(CF_TEXT);
    } else if (&action == actionEditSelectAll) {
        enabled = GetWindowTextLengthW(target) > 0;
    }
    if (enabled != action.Enabled()) action.SetEnabled(enabled);
}

void TFormMain::actionEditUndoExecute() { SendMessageW(TextTarget(), WM_UNDO, 0, 0); }

void TFormMain::actionEditCutExecute() { SendMessageW(TextTarget(), WM_CUT, 0, 0); }

void TFormMain::actionEditCopyExecute() { SendMessageW(TextTarget(), WM_COPY, 0, 0); }

void TFormMain::actionEditPasteExecute() { SendMessageW(TextTarget(), WM_PASTE, 0, 0); }

void TFormMain::actionEditDeleteExecute() {
    HWND target = TextTarget();
    if (HasSelection(target)) {
        SendMessageW(target, WM_CLEAR, 0, 0);
    } else {
        // The character after the caret, as the Del key takes it (a CR LF line end as a whole).
        SendMessageW(target, WM_KEYDOWN, VK_DELETE, 0);
        SendMessageW(target, WM_KEYUP, VK_DELETE, 0xC0000001);
    }
}

void TFormMain::actionEditSelectAllExecute() { SendMessageW(TextTarget(), EM_SETSEL, 0, -1); }

void TFormMain::ApplyEditorFont() {
    BusyCursor busy;  // a big text is laid out again
    SendMessageW(memo, WM_SETFONT, reinterpret_cast<WPARAM>(Fonts::Points(editorFontFace, editorFontSize, Dpi())), TRUE);
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
    const std::wstring shown = Fonts::RenderedFace(Fonts::Points(editorFontFace, editorFontSize, Dpi()));
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
    if (RecreateMemo(wordWrap)) actionWordWrap->SetChecked(wordWrap);
}

bool TFormMain::RecreateMemo(bool wordWrap) {
    // An edit control cannot change its wrapping once created: a new one takes over the text,
    // selection, modified flag, font, focus and place in the text of the old one, and its last
    // edit, so that Undo still takes that edit back.
    RepaintNow();
    BusyCursor busy;
    HWND old = memo;
    // Hidden until it holds everything; should the system refuse it, the old one stays as it is.
    HWND fresh = CreateMemo(wordWrap);
    if (!fresh) return false;
    ShowWindow(fresh, SW_HIDE);
    UnbindControl(old);  // what happens to it from here on is no edit of the document
    std::u16string text = DocumentText();
    DWORD start = 0;
    DWORD end = 0;
    SendMessageW(old, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    bool modified = Modified();
    bool focused = GetFocus() == old;
    LRESULT topCharacter = SendMessageW(old, EM_LINEINDEX, SendMessageW(old, EM_GETFIRSTVISIBLELINE, 0, 0), 0);
    // The control keeps one edit to undo and has no way to hand it over. Its undo swaps the
    // edit out, which shows the text before it; the new control then gets that text and the
    // edit replayed as its own undoable replacement.
    std::optional<std::u16string> beforeLastEdit;
    if (SendMessageW(old, EM_CANUNDO, 0, 0)) {
        SendMessageW(old, WM_SETREDRAW, FALSE, 0);
        SendMessageW(old, WM_UNDO, 0, 0);
        beforeLastEdit = EditText(old);
    }

    // The new control gets its final size first: an edit control given its text and caret while
    // it has no size keeps a horizontal offset that its scroll bar does not show.
    RECT place = PlaceInParent(old);
    SetWindowPos(fresh, old, place.left, place.top, place.right - place.left, place.bottom - place.top, SWP_NOACTIVATE);
    memo = fresh;
    if (beforeLastEdit) {
        SendMessageW(fresh, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(AsWide(beforeLastEdit->c_str())));
        TextChange change = FindTextChange(*beforeLastEdit, text);
        std::u16string inserted = text.substr(change.start, change.inserted);
        SendMessageW(fresh, EM_SETSEL, change.start, change.start + change.removed);
        SendMessageW(fresh, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(AsWide(inserted.c_str())));
    } else {
        SendMessageW(fresh, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(AsWide(text.c_str())));
    }
    SendMessageW(fresh, EM_SETMODIFY, modified ? TRUE : FALSE, 0);
    SendMessageW(fresh, EM_SETSEL, start, end);
    // The line that held the first character shown comes to the top, then the caret into view.
    LRESULT topLine = SendMessageW(fresh, EM_LINEFROMCHAR, topCharacter, 0);
    SendMessageW(fresh, EM_LINESCROLL, 0, topLine - SendMessageW(fresh, EM_GETFIRSTVISIBLELINE, 0, 0));
    SendMessageW(fresh, EM_SCROLLCARET, 0, 0);

    layout_.Replace(old, fresh);
    ShowWindow(fresh, SW_SHOWNA);
    if (focused) SetFocus(fresh);
    DestroyWindow(old);
    layout_.Arrange(Handle(), Dpi());
    UpdateCommandStates();
    return true;
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
