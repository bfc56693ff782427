// The progress dialog: a fixed dialog frame, a 16-pixel border round 265 x 77 pixels of
// controls.
#include "win/dlg_progress.h"

#include <commctrl.h>

#include <string>

#include "win/ui/fonts.h"

namespace palimp {

bool CancelRequested = false;

namespace {
constexpr int kBorder = 16;
}  // namespace

void TdlgProgress::CreateForm() {
    CreateWindowHandle({.className = L"TdlgProgress",
                        .caption = L"Palimp",
                        .style = kDialogFrameStyle,
                        .exStyle = kDialogFrameExStyle,
                        .clientWidth = 265 + 2 * kBorder,
                        .clientHeight = 77 + 2 * kBorder,
                        .parent = Owner()});
    HFONT font = Fonts::Pixels(L"Tahoma", 13, Dpi());
    layout_.SetDesignSize(265 + 2 * kBorder, 77 + 2 * kBorder);
    labelReplacing = layout_.Create(Handle(), {.className = WC_STATICW, .name = "labelReplacing", .text = L"Replacing...",
                                               .style = SS_LEFT | SS_NOPREFIX, .bounds = {kBorder, kBorder, 76, 16},
                                               .font = font},
                                    Dpi());
    labelCount = layout_.Create(Handle(), {.className = WC_STATICW, .name = "labelCount",
                                           .style = SS_RIGHT | SS_NOPREFIX, .bounds = {kBorder + 76, kBorder, 189, 16},
                                           .anchors = kAnchorTop | kAnchorRight, .font = font},
                                Dpi());
    gauge.Create(Handle(), "gauge", font);
    layout_.Add(gauge.Handle(), {kBorder, kBorder + 20, 265, 17});
    CancelBtn = layout_.Create(Handle(), {.className = WC_BUTTONW, .name = "CancelBtn", .text = L"Cancel",
                                          .style = WS_TABSTOP | BS_PUSHBUTTON, .bounds = {kBorder + 175, kBorder + 52, 90, 25},
                                          .anchors = kAnchorRight | kAnchorBottom, .id = IDCANCEL, .font = font},
                               Dpi());
    layout_.Arrange(Handle(), Dpi());
    // No modal loop of its own, so Esc needs the dialog keys.
    SetDialogKeys(true);
    SetCancelButton(CancelBtn);
    OnClick(CancelBtn, [this] { CancelBtnClick(); });
}

void TdlgProgress::FormCreate() { SetCaption(L"Palimp"); }

void TdlgProgress::OnSize(int, int) { layout_.Arrange(Handle(), Dpi()); }

void TdlgProgress::ShowProgress() {
    FormShow();
    Show();
    SetForegroundWindow(Handle());
    SetFocus(CancelBtn);
}

void TdlgProgress::HideProgress() {
    if (!IsVisible()) return;
    FormHide();
    Hide();
}

void TdlgProgress::SetCount(std::wstring_view text) { SetWindowTextW(labelCount, std::wstring(text).c_str()); }

void TdlgProgress::FormShow() {
    EnableWindow(Owner(), FALSE);
    SetCount(L"");
    gauge.SetProgress(0);
}

void TdlgProgress::FormHide() {
    // The main window first, so that activation goes back to it when the dialog disappears.
    EnableWindow(Owner(), TRUE);
}

void TdlgProgress::OnClose() {
    FormClose();
    HideProgress();
}

void TdlgProgress::FormClose() { CancelRequested = true; }

void TdlgProgress::CancelBtnClick() { Close(); }

}  // namespace palimp
