// The pair editor: the two input boxes with their histories and length counters, the option
// boxes (grayed when the edited rows differ; a click never brings the gray back), the "Change:"
// column of a multi-row edit, the OK rule (an extended pair's escapes must be valid), and the
// code of the character after the caret. TABs
// and line breaks, which a table file cannot hold, never get into the boxes: a typed one is
// refused and a pasted one becomes a space, with a beep and a balloon saying why.
#include "win/form_from_to.h"

#include <commctrl.h>

#include <algorithm>

#include "core/escapes.h"
#include "win/app.h"
#include "win/form_table.h"
#include "win/system/clipboard.h"
#include "win/system/wide.h"
#include "win/ui/dpi.h"
#include "win/ui/failure.h"
#include "win/ui/fonts.h"
#include "win/ui/prompter.h"

namespace palimp {

namespace {

constexpr int kHelpContext = 5;
constexpr int kClientWidth = 412;
constexpr int kClientHeight = 254;
constexpr int kChangeColumnWidth = 76;
constexpr int kBottomRowHeight = 44;
constexpr UINT_PTR kUnicodeTimer = 1;
constexpr UINT kUnicodeInterval = 200;
constexpr int kHistoryRowsShown = 32;
constexpr UINT_PTR kInputSubclass = 1;

HWND EditOf(HWND combo) {
    COMBOBOXINFO info = {sizeof(info)};
    return GetComboBoxInfo(combo, &info) ? info.hwndItem : nullptr;
}

bool IsTicked(HWND box) { return SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED; }
bool IsGrayed(HWND box) { return SendMessageW(box, BM_GETCHECK, 0, 0) == BST_INDETERMINATE; }
void SetCheck(HWND box, WPARAM state) { SendMessageW(box, BM_SETCHECK, state, 0); }

int HeightOf(HWND control) {
    RECT r;
    GetWindowRect(control, &r);
    return r.bottom - r.top;
}

}  // namespace

TFormFromTo::~TFormFromTo() {
    if (Handle()) KillTimer(Handle(), kUnicodeTimer);
}

void TFormFromTo::CreateForm() {
    CreateWindowHandle({.className = L"TFormFromTo",
                        .caption = L"Palimp",
                        .style = kDialogFrameStyle,
                        .exStyle = kDialogFrameExStyle,
                        .clientWidth = kClientWidth,
                        .clientHeight = kClientHeight,
                        .parent = Owner()});
    SetHelpContext(kHelpContext);
    CreateActions();
    CreateControls();
    SetTimer(Handle(), kUnicodeTimer, kUnicodeInterval, nullptr);
}

void TFormFromTo::CreateActions() {
    Actions().Add({.name = "actionEditSelectAll", .caption = L"Select &All", .shortcut = {'A', kCtrl}},
                  [this] { actionEditSelectAllExecute(); });
    // The table window's font commands: its grid and these boxes change together.
    const struct {
        const char* name;
        Shortcut key;
        const std::vector<Shortcut>* secondKeys;
    } fontCommands[] = {{"actionFontLarger", {VK_OEM_PLUS, kCtrl}, &kFontLargerSecondaryShortcuts},
                        {"actionFontSmaller", {VK_OEM_MINUS, kCtrl}, &kFontSmallerSecondaryShortcuts}};
    for (const auto& command : fontCommands) {
        const char* name = command.name;
        Actions().Add({.name = name, .shortcut = command.key, .secondaryShortcuts = *command.secondKeys}, [this, name] {
            if (Action* action = App().FormTable().Actions().Find(name)) action->Execute();
        });
    }
}

HWND TFormFromTo::CreateCheckBox(HWND parent, Layout& layout, const char* name, const wchar_t* caption, DWORD type) {
    return layout.Create(parent, {.className = WC_BUTTONW, .name = name, .text = caption,
                                  .style = WS_TABSTOP | type, .bounds = {8, 0, 64, 20}},
                         Dpi());
}

HWND TFormFromTo::CreateLabel(const char* name, const wchar_t* caption, DWORD align) {
    return layout_.Create(Handle(), {.className = WC_STATICW, .name = name, .text = caption, .style = align}, Dpi());
}

HWND TFormFromTo::CreateCombo(const char* name) {
    HWND combo = layout_.Create(Handle(), {.className = WC_COMBOBOXW, .name = name,
                                           .style = WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL},
                                Dpi());
    SendMessageW(combo, CB_SETMINVISIBLE, kHistoryRowsShown, 0);
    // Any length a cell can hold: the box's own limit of 30,000 units drops longer pastes.
    SendMessageW(combo, CB_LIMITTEXT, 0, 0);
    if (HWND edit = EditOf(combo)) SetWindowSubclass(edit, InputProc, kInputSubclass, reinterpret_cast<DWORD_PTR>(this));
    return combo;
}

void TFormFromTo::CreateControls() {
    // In the Tab order the "Change:" column comes first, then the fields, then the buttons.
    panelChange.Create(Handle(), {.name = "panelChange", .visible = false});
    layout_.Add(panelChange.Handle(), {0, 0, kChangeColumnWidth, kClientHeight - kBottomRowHeight});
    Layout& column = panelChange.GetLayout();
    checkChangeSearch = CreateCheckBox(panelChange.Handle(), column, "checkChangeSearch", L"Change:", BS_AUTOCHECKBOX);
    checkChangeReplace = CreateCheckBox(panelChange.Handle(), column, "checkChangeReplace", L"Change:", BS_AUTOCHECKBOX);
    checkChangeCase = CreateCheckBox(panelChange.Handle(), column, "checkChangeCase", L"Change:", BS_AUTOCHECKBOX);
    checkChangeWord = CreateCheckBox(panelChange.Handle(), column, "checkChangeWord", L"Change:", BS_AUTOCHECKBOX);
    checkChangeExtended =
        CreateCheckBox(panelChange.Handle(), column, "checkChangeExtended", L"Change:", BS_AUTOCHECKBOX);
    for (HWND box : {checkChangeSearch, checkChangeReplace, checkChangeCase, checkChangeWord, checkChangeExtended}) {
        OnClick(box, [this, box] { checkChangeClick(box); });
    }

    labelSearch1 = CreateLabel("labelSearch1", L"&Search for", SS_LEFT);
    labelSearch2 = CreateLabel("labelSearch2", L"", SS_RIGHT | SS_NOPREFIX);
    comboSearch = CreateCombo("comboSearch");
    labelReplace1 = CreateLabel("labelReplace1", L"&Replace with", SS_LEFT);
    labelReplace2 = CreateLabel("labelReplace2", L"", SS_RIGHT | SS_NOPREFIX);
    comboReplace = CreateCombo("comboReplace");
    for (HWND combo : {comboSearch, comboReplace}) {
        auto changed = [this, combo] { combo == comboSearch ? comboSearchChange() : comboReplaceChange(); };
        OnNotification(combo, CBN_EDITCHANGE, changed);
        OnNotification(combo, CBN_SELCHANGE, [this, combo, changed] {
            // The box shows the chosen entry only after this notification: put it there now.
            LRESULT index = SendMessageW(combo, CB_GETCURSEL, 0, 0);
            const std::vector<std::u16string>& history = combo == comboSearch ? searchHistory_ : replaceHistory_;
            if (index >= 0 && static_cast<size_t>(index) < history.size()) {
                SetWindowTextW(combo, ToWide(history[static_cast<size_t>(index)]).c_str());
            }
            changed();
        });
    }
    checkCase = CreateCheckBox(Handle(), layout_, "checkCase", L"&Case sensitive", BS_3STATE);
    checkWord = CreateCheckBox(Handle(), layout_, "checkWord", L"&Whole words only", BS_3STATE);
    checkExtended = CreateCheckBox(Handle(), layout_, "checkExtended", L"&Extended (\\t, \\n, \\\\)", BS_3STATE);
    for (HWND box : {checkCase, checkWord, checkExtended}) OnClick(box, [this, box] { checkOptionClick(box); });
    labelUnicode = CreateLabel("labelUnicode", L"", SS_LEFT | SS_NOPREFIX);

    btnOK = layout_.Create(Handle(), {.className = WC_BUTTONW, .name = "btnOK", .text = L"OK",
                                      .style = WS_TABSTOP | BS_DEFPUSHBUTTON, .id = IDOK},
                           Dpi());
    btnCancel = layout_.Create(Handle(), {.className = WC_BUTTONW, .name = "btnCancel", .text = L"Cancel",
                                          .style = WS_TABSTOP, .id = IDCANCEL},
                               Dpi());
    SetDefaultButton(btnOK);
    SetCancelButton(btnCancel);
    OnClick(btnOK, [this] { btnOKClick(); });  // it closes the dialog unless an escape is wrong
    SetButtonResult(btnCancel, ModalResult::Cancel);

    HFONT font = Fonts::Pixels(L"Tahoma", 13, Dpi());
    for (HWND window = GetWindow(Handle(), GW_CHILD); window; window = GetWindow(window, GW_HWNDNEXT)) {
        SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
    for (HWND box : {checkChangeSearch, checkChangeReplace, checkChangeCase, checkChangeWord, checkChangeExtended}) {
        SendMessageW(box, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
}

void TFormFromTo::FormCreate() {
    state_ = {};
    SetCaption(L"Palimp");
    SetWindowTextW(labelSearch1, L"&Search for");
    SetWindowTextW(labelReplace1, L"&Replace with");
    SetInputFont(App().FormTable().GridFont());
}

void TFormFromTo::SetInputFont(HFONT font) {
    inputFont_ = font;
    for (HWND combo : {comboSearch, comboReplace}) SendMessageW(combo, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    ArrangeFields();
}

void TFormFromTo::OnDpiChanged(int) {
    HFONT font = Fonts::Pixels(L"Tahoma", 13, Dpi());
    for (HWND window : {labelSearch1, labelSearch2, labelReplace1, labelReplace2, checkCase, checkWord, checkExtended,
                        labelUnicode, btnOK, btnCancel, checkChangeSearch, checkChangeReplace, checkChangeCase,
                        checkChangeWord, checkChangeExtended}) {
        SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    }
    SetInputFont(App().FormTable().GridFont());
}

void TFormFromTo::ArrangeFields() {
    // The fields stand under each other as high as the input boxes are in their font, right
    // of the "Change:" column when it shows; each "Change:" box stands level with its field.
    const bool change = (GetWindowLongW(panelChange.Handle(), GWL_STYLE) & WS_VISIBLE) != 0;
    const int left = (change ? kChangeColumnWidth : 0) + 8;
    const int width = kClientWidth - left - 8;
    const int box = std::max(dpi::Unscale(HeightOf(comboSearch), Dpi()), 20);
    const int list = kHistoryRowsShown * dpi::Unscale(static_cast<int>(SendMessageW(comboSearch, CB_GETITEMHEIGHT, 0, 0)), Dpi());
    int y = 8;
    layout_.SetBounds(labelSearch1, {left, y, width / 2, 16});
    layout_.SetBounds(labelSearch2, {left + width / 2, y, width - width / 2, 16});
    y += 18;
    const int searchY = y;
    layout_.SetBounds(comboSearch, {left, y, width, box + list + 2});
    y += box + 10;
    layout_.SetBounds(labelReplace1, {left, y, width / 2, 16});
    layout_.SetBounds(labelReplace2, {left + width / 2, y, width - width / 2, 16});
    y += 18;
    const int replaceY = y;
    layout_.SetBounds(comboReplace, {left, y, width, box + list + 2});
    y += box + 14;
    const int caseY = y;
    layout_.SetBounds(checkCase, {left, y, width, 20});
    y += 24;
    const int wordY = y;
    layout_.SetBounds(checkWord, {left, y, width, 20});
    y += 24;
    const int extendedY = y;
    layout_.SetBounds(checkExtended, {left, y, width, 20});
    y += 20;

    // The dialog keeps its size unless a large font needs more room.
    const int height = std::max(kClientHeight, y + 8 + kBottomRowHeight);
    layout_.SetBounds(panelChange.Handle(), {0, 0, kChangeColumnWidth, height - kBottomRowHeight});
    Layout& column = panelChange.GetLayout();
    column.SetBounds(checkChangeSearch, {6, searchY + (box - 20) / 2, 70, 20});
    column.SetBounds(checkChangeReplace, {6, replaceY + (box - 20) / 2, 70, 20});
    column.SetBounds(checkChangeCase, {6, caseY, 70, 20});
    column.SetBounds(checkChangeWord, {6, wordY, 70, 20});
    column.SetBounds(checkChangeExtended, {6, extendedY, 70, 20});
    layout_.SetBounds(labelUnicode, {8, height - 30, 200, 16});
    layout_.SetBounds(btnOK, {kClientWidth - 8 - 75 - 6 - 75, height - 34, 75, 25});
    layout_.SetBounds(btnCancel, {kClientWidth - 8 - 75, height - 34, 75, 25});

    RECT client, window;
    GetClientRect(Handle(), &client);
    GetWindowRect(Handle(), &window);
    if (client.bottom != Scale(height)) {
        SetWindowPos(Handle(), nullptr, 0, 0, window.right - window.left,
                     window.bottom - window.top + Scale(height) - client.bottom, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    layout_.Arrange(Handle(), Dpi());
    panelChange.GetLayout().Arrange(panelChange.Handle(), Dpi());
}

// ---- Showing -------------------------------------------------------------------------------

bool TFormFromTo::OnMessage(UINT message, WPARAM wParam, LPARAM, LRESULT&) {
    if (message == WM_SHOWWINDOW && wParam) FormShow();
    return false;
}

void TFormFromTo::FormShow() {
    // Every box applies its rule as it is set, then the column shows only for several rows.
    ShowWindow(panelChange.Handle(), SW_SHOWNA);
    const std::pair<HWND, bool> boxes[] = {{checkChangeSearch, state_.changeSearch},
                                           {checkChangeReplace, state_.changeReplace},
                                           {checkChangeCase, state_.changeCase},
                                           {checkChangeWord, state_.changeWord},
                                           {checkChangeExtended, state_.changeExtended}};
    for (const auto& [box, ticked] : boxes) {
        SetCheck(box, ticked ? BST_CHECKED : BST_UNCHECKED);
        checkChangeClick(box);
    }
    ShowWindow(panelChange.Handle(), state_.multiRow ? SW_SHOWNA : SW_HIDE);
    ArrangeFields();

    SetWindowTextW(comboSearch, ToWide(state_.searchText).c_str());
    SetWindowTextW(comboReplace, ToWide(state_.replaceText).c_str());
    SetCheck(checkCase, !state_.changeCase ? BST_INDETERMINATE : state_.caseSensitive ? BST_CHECKED : BST_UNCHECKED);
    SetCheck(checkWord, !state_.changeWord ? BST_INDETERMINATE : state_.wholeWords ? BST_CHECKED : BST_UNCHECKED);
    SetCheck(checkExtended,
             !state_.changeExtended ? BST_INDETERMINATE : state_.extended ? BST_CHECKED : BST_UNCHECKED);

    SetWindowTextW(labelUnicode, L"");
    RefreshLength(comboSearch);
    RefreshLength(comboReplace);
    UpdateOkButton();

    if (state_.multiRow) {
        focusOnShow_ = checkChangeSearch;
    } else {
        SendMessageW(comboSearch, CB_SETEDITSEL, 0, MAKELPARAM(0, -1));
        focusOnShow_ = comboSearch;
    }
    // Activation, which follows, gives the focus back to where it was last: this one wins.
    focusOnActivate_ = true;
    SetFocus(focusOnShow_);
}

void TFormFromTo::OnActivate(bool active) {
    Form::OnActivate(active);
    if (active && focusOnActivate_ && focusOnShow_) SetFocus(focusOnShow_);
    if (active) focusOnActivate_ = false;
}

// ---- Fields --------------------------------------------------------------------------------

std::u16string TFormFromTo::InputText(HWND combo) const { return WindowText(combo); }

void TFormFromTo::RefreshLength(HWND combo) {
    HWND label = combo == comboSearch ? labelSearch2 : labelReplace2;
    SetWindowTextW(label, (L"(" + std::to_wstring(InputText(combo).size()) + L" chars)").c_str());
}

void TFormFromTo::comboSearchChange() {
    RefreshLength(comboSearch);
    UpdateOkButton();
}

void TFormFromTo::comboReplaceChange() { RefreshLength(comboReplace); }

void TFormFromTo::checkChangeClick(HWND box) {
    const bool ticked = IsTicked(box);
    if (box == checkChangeSearch) {
        for (HWND field : {labelSearch1, labelSearch2, comboSearch}) EnableWindow(field, ticked);
    } else if (box == checkChangeReplace) {
        for (HWND field : {labelReplace1, labelReplace2, comboReplace}) EnableWindow(field, ticked);
    } else if (box == checkChangeCase) {
        EnableWindow(checkCase, ticked);
    } else if (box == checkChangeWord) {
        EnableWindow(checkWord, ticked);
    } else if (box == checkChangeExtended) {
        EnableWindow(checkExtended, ticked);
    }
    UpdateOkButton();
}

void TFormFromTo::checkOptionClick(HWND box) {
    // Gray gives way to ticked; from then on ticked and clear alternate.
    SetCheck(box, IsTicked(box) ? BST_UNCHECKED : BST_CHECKED);
}

void TFormFromTo::UpdateOkButton() {
    bool allowed = !state_.multiRow || IsTicked(checkChangeSearch) || IsTicked(checkChangeReplace) ||
                   IsTicked(checkChangeCase) || IsTicked(checkChangeWord) || IsTicked(checkChangeExtended);
    if (IsWindowEnabled(comboSearch) && InputText(comboSearch).empty()) allowed = false;
    EnableWindow(btnOK, allowed);
}

void TFormFromTo::OnTimer(UINT_PTR id) {
    if (id == kUnicodeTimer && IsVisible()) UpdateUnicodeLabel();
}

void TFormFromTo::UpdateUnicodeLabel() {
    HWND focus = GetFocus();
    HWND subject = nullptr;
    for (HWND combo : {comboSearch, comboReplace}) {
        if (!subject && focus && (focus == combo || IsChild(combo, focus))) subject = combo;
    }
    std::u16string label;
    if (subject) {
        DWORD start = 0;
        SendMessageW(subject, CB_GETEDITSEL, reinterpret_cast<WPARAM>(&start), 0);
        label = CharacterCodeText(InputText(subject), static_cast<int>(start));
    }
    // Set only when it changes: the timer asks five times a second.
    if (InputText(labelUnicode) != label) SetWindowTextW(labelUnicode, ToWide(label).c_str());
}

void TFormFromTo::btnOKClick() {
    if (!CheckEscapes()) return;
    SetModalResult(ModalResult::OK);
    state_.changeSearch = IsTicked(checkChangeSearch);
    state_.changeReplace = IsTicked(checkChangeReplace);
    state_.changeCase = IsTicked(checkChangeCase) && !IsGrayed(checkCase);
    state_.changeWord = IsTicked(checkChangeWord) && !IsGrayed(checkWord);
    state_.searchText = KeepOutOfCell(InputText(comboSearch));
    state_.replaceText = KeepOutOfCell(InputText(comboReplace));
    state_.caseSensitive = IsTicked(checkCase);
    state_.wholeWords = IsTicked(checkWord);
    state_.changeExtended = IsTicked(checkChangeExtended) && !IsGrayed(checkExtended);
    state_.extended = IsTicked(checkExtended);
    const std::pair<HWND, const std::u16string*> fields[] = {{comboSearch, &state_.searchText},
                                                             {comboReplace, &state_.replaceText}};
    for (const auto& [combo, text] : fields) {
        std::vector<std::u16string>& history = combo == comboSearch ? searchHistory_ : replaceHistory_;
        if (text->empty() || ComboHasItem(*text, history)) continue;
        history.push_back(*text);
        SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(AsWide(text->c_str())));
    }
}

void TFormFromTo::actionEditSelectAllExecute() {
    HWND focus = GetFocus();
    for (HWND combo : {comboSearch, comboReplace}) {
        if (focus && (focus == combo || IsChild(combo, focus))) SendMessageW(combo, CB_SETEDITSEL, 0, MAKELPARAM(0, -1));
    }
}

// ---- Keeping TABs and line breaks out ----------------------------------------------------------

// The combo box's edit field is a system control, not a window of ours, so the typed dispatch of
// Window never sees its messages: a subclass is the one way in. Each case hands over to the
// form's own handler under RunGuarded, as the typed handlers are called.
LRESULT CALLBACK TFormFromTo::InputProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                        DWORD_PTR self) {
    auto* form = reinterpret_cast<TFormFromTo*>(self);
    bool handled = false;
    switch (message) {
        case WM_CHAR:
            if (IsCellBreak(static_cast<char16_t>(wParam))) {
                RunGuarded([&] { form->TellCellBreaks(edit, false); });
                return 0;
            }
            break;
        case WM_PASTE:
            RunGuarded([&] { handled = form->PasteInto(edit); });
            if (handled) return 0;
            break;
        case WM_KEYUP: {
            LRESULT result = DefSubclassProc(edit, message, wParam, lParam);
            RunGuarded([&] { form->UpdateUnicodeLabel(); });
            return result;
        }
        case WM_NCDESTROY:
            RemoveWindowSubclass(edit, InputProc, kInputSubclass);
            break;
        default:
            break;
    }
    return DefSubclassProc(edit, message, wParam, lParam);
}

bool TFormFromTo::PasteInto(HWND edit) {
    std::optional<std::u16string> text = ReadClipboardText(edit);
    if (!text) return false;
    bool replaced = false;
    std::u16string cell = KeepOutOfCell(*text, &replaced);
    if (!replaced) return false;  // the box pastes it as it is
    SendMessageW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(AsWide(cell.c_str())));
    TellCellBreaks(edit, true);
    return true;
}

void TFormFromTo::TellCellBreaks(HWND edit, bool pasted) {
    Host().GetPrompter().Beep();
    EDITBALLOONTIP tip = {sizeof(tip)};
    tip.pszTitle = L"One line only";
    tip.pszText = pasted ? L"A pair can't hold tabs or line breaks: the pasted ones became spaces."
                         : L"A pair can't hold tabs or line breaks.";
    tip.ttiIcon = TTI_INFO;
    SendMessageW(edit, EM_SHOWBALLOONTIP, 0, reinterpret_cast<LPARAM>(&tip));
}

bool TFormFromTo::CheckEscapes() {
    // A grayed box keeps each row's own option: only a ticked one asks for escapes.
    if (!IsTicked(checkExtended) || !IsWindowEnabled(checkExtended)) return true;
    for (HWND combo : {comboSearch, comboReplace}) {
        if (!IsWindowEnabled(combo)) continue;
        const std::u16string text = KeepOutOfCell(InputText(combo));
        EscapeError error;
        if (ExpandEscapes(text, &error)) continue;
        Host().GetPrompter().Beep();
        SetFocus(combo);
        SendMessageW(combo, CB_SETEDITSEL, 0,
                     MAKELPARAM(error.offset, error.offset + error.length));
        const std::wstring message(WideView(EscapeErrorText(text, error)));
        EDITBALLOONTIP tip = {sizeof(tip)};
        tip.pszTitle = L"Not an escape";
        tip.pszText = message.c_str();
        tip.ttiIcon = TTI_WARNING;
        if (HWND edit = EditOf(combo)) SendMessageW(edit, EM_SHOWBALLOONTIP, 0, reinterpret_cast<LPARAM>(&tip));
        return false;
    }
    return true;
}

}  // namespace palimp
