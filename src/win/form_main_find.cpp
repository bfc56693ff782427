// The find panel (a search box docked left of the logo, with its options menu, "Next" and
// "Back") and the "Search for" special-character searches. The rules of the searches live in
// core (search_commands.h); this file connects them to the editor's selection.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cmath>

#include "core/search_commands.h"
#include "win/app.h"
#include "win/form_main.h"
#include "win/ui/busy_cursor.h"
#include "win/ui/fonts.h"
#include "win/ui/prompter.h"

namespace palimp {

namespace {

constexpr int kFindHelpContext = 6;

// The main window stays disabled while a search runs. Disabling takes the focus away from the
// find box, so it goes back where it was afterwards: the user keeps pressing Enter there.
class DisabledWhileSearching {
public:
    explicit DisabledWhileSearching(HWND window) : window_(window), focus_(GetFocus()) { EnableWindow(window_, FALSE); }
    ~DisabledWhileSearching() {
        EnableWindow(window_, TRUE);
        if (focus_ && IsWindow(focus_) && GetFocus() != focus_) SetFocus(focus_);
    }
    DisabledWhileSearching(const DisabledWhileSearching&) = delete;
    DisabledWhileSearching& operator=(const DisabledWhileSearching&) = delete;

private:
    HWND window_;
    HWND focus_;
};


}  // namespace

void TFormMain::CreateFindPanel() {
    // Docked right after the logo, so it stands immediately left of it.
    panelFind.Create(panelTop.Handle(), {.name = "panelFind", .visible = false});
    panelTop.GetLayout().Add(panelFind.Handle(), {0, 0, 236, 36}, Dock::Right);
    Layout& layout = panelFind.GetLayout();
    HWND parent = panelFind.Handle();
    int dpi = panelFind.Dpi();
    HFONT font = Fonts::Pixels(L"Tahoma", 11, dpi);

    // The frame around the box is the frame panel's own colour showing round the white panel.
    shapeFindEdit.Create(parent, {.name = "shapeFindEdit", .background = findFrameBrush_});
    layout.Add(shapeFindEdit.Handle(), {0, 6, 104, 24});
    panelFindEdit.Create(shapeFindEdit.Handle(),
                         {.name = "panelFindEdit", .borderWidth = 3, .background = GetSysColorBrush(COLOR_WINDOW)});
    shapeFindEdit.GetLayout().Add(panelFindEdit.Handle(), {1, 1, 102, 22});
    imageFind = panelFindEdit.GetLayout().Create(
        panelFindEdit.Handle(), {.className = WC_STATICW, .name = "imageFind", .style = SS_OWNERDRAW, .bounds = {3, 3, 13, 16}},
        dpi);
    edFind = panelFindEdit.GetLayout().Create(panelFindEdit.Handle(),
                                              {.className = WC_EDITW,
                                               .name = "edFind",
                                               .style = WS_TABSTOP | ES_AUTOHSCROLL,
                                               .bounds = {18, 4, 80, 15},
                                               .font = Fonts::Pixels(L"Tahoma", 13, dpi)},
                                              dpi);
    SendMessageW(edFind, EM_LIMITTEXT, 100, 0);
    SetControlHelpContext(edFind, kFindHelpContext);

    sbtnFindOptions.Create(parent, {.name = "sbtnFindOptions", .glyph = FlatButton::Glyph::DropDown});
    layout.Add(sbtnFindOptions.Handle(), {104, 6, 17, 24});
    OnClick(sbtnFindOptions.Handle(), [this] { sbtnFindOptionsClick(); });
    sbtnFindNext.Create(parent, {.name = "sbtnFindNext", .caption = L"Next", .glyph = FlatButton::Glyph::ArrowDown,
                                 .id = actionFindNext->Id(), .font = font});
    layout.Add(sbtnFindNext.Handle(), {121, 6, 56, 24});
    sbtnFindBack.Create(parent, {.name = "sbtnFindBack", .caption = L"Back", .glyph = FlatButton::Glyph::ArrowUp,
                                 .id = actionFindBack->Id(), .font = font});
    layout.Add(sbtnFindBack.Handle(), {176, 6, 56, 24});
    for (auto [button, action] : {std::pair{&sbtnFindNext, actionFindNext}, std::pair{&sbtnFindBack, actionFindBack}}) {
        Actions().BindButton(button->Handle());
        SetHint(button->Handle(), action->Hint());
    }
    bevelFind = layout.Create(parent, {.className = WC_STATICW, .name = "bevelFind", .style = SS_OWNERDRAW,
                                       .bounds = {232, 0, 4, 36}},
                              dpi);
}

bool TFormMain::OnDrawItem(const DRAWITEMSTRUCT& item) {
    if (item.hwndItem != imageFind && item.hwndItem != bevelFind) return false;
    DrawFindPanelPart(item);
    return true;
}

void TFormMain::DrawFindPanelPart(const DRAWITEMSTRUCT& item) {
    HDC dc = item.hDC;
    RECT r = item.rcItem;
    if (item.hwndItem == imageFind) {
        // A magnifier, a lens and its handle drawn on a 13 x 16 grid scaled to the picture's
        // place at any DPI and centred in it, so it stands level with the box's text.
        FillRect(dc, &r, GetSysColorBrush(COLOR_WINDOW));
        const double unit = std::max(1.0, std::min((r.right - r.left) / 13.0, (r.bottom - r.top) / 16.0));
        const double left = r.left + ((r.right - r.left) - 13 * unit) / 2;
        const double top = r.top + ((r.bottom - r.top) - 16 * unit) / 2;
        auto x = [&](double at) { return static_cast<int>(std::lround(left + at * unit)); };
        auto y = [&](double at) { return static_cast<int>(std::lround(top + at * unit)); };
        HPEN pen = CreatePen(PS_SOLID, static_cast<int>(std::lround(2 * unit)), RGB(0x50, 0x60, 0x70));
        HGDIOBJ oldPen = SelectObject(dc, pen);
        HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
        Ellipse(dc, x(1), y(2), x(10), y(11));
        MoveToEx(dc, x(9), y(10), nullptr);
        LineTo(dc, x(12), y(14));
        SelectObject(dc, oldBrush);
        SelectObject(dc, oldPen);
        DeleteObject(pen);
    } else {
        // A vertical etched line at the right edge of the panel.
        FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
        RECT line = {r.left + (r.right - r.left) / 2 - 1, r.top + 2, r.left + (r.right - r.left) / 2 + 1, r.bottom - 2};
        DrawEdge(dc, &line, EDGE_ETCHED, BF_LEFT);
    }
}

void TFormMain::actionShowHideFindPanelExecute() {
    actionShowHideFindPanel->SetChecked(!actionShowHideFindPanel->Checked());
    bool shown = actionShowHideFindPanel->Checked();
    ShowWindow(panelFind.Handle(), shown ? SW_SHOW : SW_HIDE);
    ArrangeTopPanel();
    // While the panel is up, Tab in the editor moves on to the panel instead of typing a tab.
    wantTabs = !shown;
    if (shown) {
        FocusFindBox();
    } else if (IsWindowEnabled(memo.Handle()) && IsWindowVisible(memo.Handle())) {
        SetFocus(memo.Handle());
    }
}

void TFormMain::ArrangeTopPanel() {
    constexpr int kRowHeight = 40;
    constexpr int kFindRowHeight = 36;
    constexpr int kBevels = 2;  // the top panel's two bevels, on each side
    if (!toolBar || !imageLogo || !panelFind.Handle()) {  // while the window is being made
        layout_.Arrange(Handle(), Dpi());
        return;
    }
    Layout& row = panelTop.GetLayout();
    RECT client;
    GetClientRect(Handle(), &client);
    const int free = client.right - 2 * Scale(kBevels);
    const int toolbar = Scale(row.GetBounds(toolBar).width);
    const int logo = Scale(row.GetBounds(imageLogo).width);
    const int find = Scale(row.GetBounds(panelFind.Handle()).width);
    const bool findShown = (GetWindowLongW(panelFind.Handle(), GWL_STYLE) & WS_VISIBLE) != 0;
    const bool secondRow = findShown && toolbar + find > free;
    const bool logoShown = !findShown || secondRow || toolbar + find + logo <= free;

    ShowWindow(imageLogo, logoShown ? SW_SHOWNA : SW_HIDE);
    // Docked in this order: on one row the toolbar at the left, the logo at the right and the
    // find panel left of it; on two rows the find panel takes the bottom row first.
    const Bounds findBounds = row.GetBounds(panelFind.Handle());
    const Bounds toolbarBounds = row.GetBounds(toolBar);
    const Bounds logoBounds = row.GetBounds(imageLogo);
    for (HWND control : {toolBar, imageLogo, panelFind.Handle()}) row.Remove(control);
    if (secondRow) row.Add(panelFind.Handle(), {0, 0, findBounds.width, kFindRowHeight}, Dock::Bottom);
    row.Add(toolBar, toolbarBounds, Dock::Left);
    row.Add(imageLogo, logoBounds, Dock::Right);
    if (!secondRow) row.Add(panelFind.Handle(), findBounds, Dock::Right);

    Bounds top = layout_.GetBounds(panelTop.Handle());
    top.height = kRowHeight + (secondRow ? kFindRowHeight : 0);
    layout_.SetBounds(panelTop.Handle(), top);
    layout_.Arrange(Handle(), Dpi());
    row.Arrange(panelTop.Handle(), Dpi());
}

void TFormMain::FocusFindBox() {
    SendMessageW(edFind, EM_SETSEL, 0, -1);
    if (IsWindowEnabled(edFind) && IsWindowVisible(edFind)) SetFocus(edFind);
}

void TFormMain::actionFindExecute() {
    if (IsWindowVisible(panelFind.Handle())) {
        FocusFindBox();
    } else {
        actionShowHideFindPanel->Execute();
    }
}

void TFormMain::miHideFindPanelClick() { actionShowHideFindPanel->Execute(); }

bool TFormMain::edFindKeyPress(const MSG& msg) {
    if (msg.hwnd != edFind) return false;
    // Alt+Down drops the options down, as it opens a combo box's list.
    if (msg.message == WM_SYSKEYDOWN && msg.wParam == VK_DOWN) {
        sbtnFindOptionsClick();
        return true;
    }
    if (msg.message != WM_KEYDOWN) return false;
    if (msg.wParam == VK_RETURN) {
        actionFindNext->Execute();
        return true;
    }
    if (msg.wParam == VK_ESCAPE) {
        actionShowHideFindPanel->Execute();
        return true;
    }
    return false;
}

void TFormMain::sbtnFindOptionsClick() {
    RECT shape;
    RECT button;
    GetWindowRect(shapeFindEdit.Handle(), &shape);
    GetWindowRect(sbtnFindOptions.Handle(), &button);
    POINT at = {shape.left, button.bottom + 1};
    int command = DropMenu(pmFind, at, TPM_LEFTALIGN | TPM_TOPALIGN);
    if (command) Actions().Dispatch(command);
}

std::pair<int, int> TFormMain::MemoSelection() const { return memo.Selection(); }

void TFormMain::ShowSearchOutcome(const SearchOutcome& outcome) {
    if (outcome.Found()) {
        // The caret ends at the end of the hit, and the editor scrolls it into view.
        memo.Select(outcome.start, outcome.length);
    }
    if (outcome.beep) App().GetPrompter().Beep();
}

void TFormMain::actionFindNextExecute() {
    DisabledWhileSearching disabled(Handle());
    BusyCursor wait;
    auto [start, length] = MemoSelection();
    ShowSearchOutcome(FindNextOutcome(WindowText(edFind), DocumentText(), miCaseSensitive->Checked(),
                                      miWholeWordsOnly->Checked(), start, length));
}

void TFormMain::actionFindBackExecute() {
    DisabledWhileSearching disabled(Handle());
    BusyCursor wait;
    auto [start, length] = MemoSelection();
    ShowSearchOutcome(FindBackOutcome(WindowText(edFind), DocumentText(), miCaseSensitive->Checked(),
                                      miWholeWordsOnly->Checked(), start, length));
}

void TFormMain::SearchForSpecial(MenuItem& sender) {
    DisabledWhileSearching disabled(Handle());
    BusyCursor wait;
    if (&sender != miSearchFor) {
        // One of the six classes: it becomes the remembered one, with the radio mark.
        miSearchFor->SetTag(sender.Tag());
        for (MenuItem* item : miSearchItems) item->SetChecked(item == &sender);
    }
    auto [start, length] = MemoSelection();
    ShowSearchOutcome(SpecialSearchOutcome(sender.Tag(), DocumentText(), start, length));
}

void TFormMain::actionRepeatSpecialSearchExecute() { SearchForSpecial(*miSearchFor); }

}  // namespace palimp
