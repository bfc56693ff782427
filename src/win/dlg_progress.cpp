// The progress dialog: a fixed dialog frame, a 16-pixel border round 265 x 77 pixels of
// controls.
#include "win/dlg_progress.h"

#include <commctrl.h>

#include <algorithm>
#include <string>

#include "win/ui/dpi.h"
#include "win/ui/fonts.h"

namespace palimp {

bool CancelRequested = false;

namespace {

constexpr int kBorder = 16;
constexpr int kContentWidth = 265;
constexpr int kLabelGap = 4;

// The width of text in font, in 96-DPI pixels.
int TextWidth96(std::wstring_view text, HFONT font, int dpi) { return dpi::Unscale(TextSize(font, text).cx, dpi) + 1; }

}  // namespace

void TdlgProgress::CreateForm() {
    // The controls are 265 pixels wide unless the labels need more: the dialog fits itself to
    // "Replacing..." and the widest count it may show beside it.
    const int dpi = dpi::System();
    HFONT font = Fonts::Pixels(L"Tahoma", 13, dpi);
    const int replacingWidth = TextWidth96(L"Replacing...", font, dpi);
    const int countWidth = TextWidth96(L"Found: 99999999 (99999999/s)", font, dpi);
    const int width = std::max(kContentWidth, replacingWidth + kLabelGap + countWidth);
    CreateWindowHandle({.className = L"TdlgProgress",
                        .caption = L"Palimp",
                        .style = kDialogFrameStyle,
                        .exStyle = kDialogFrameExStyle,
                        .clientWidth = width + 2 * kBorder,
                        .clientHeight = 77 + 2 * kBorder,
                        .parent = Owner()});
    layout_.SetDesignSize(width + 2 * kBorder, 77 + 2 * kBorder);
    labelReplacing = layout_.Create(Handle(), {.className = WC_STATICW, .name = "labelReplacing", .text = L"Replacing...",
                                               .style = SS_LEFT | SS_NOPREFIX,
                                               .bounds = {kBorder, kBorder, replacingWidth, 16}, .font = font},
                                    Dpi());
    const int countLeft = kBorder + replacingWidth + kLabelGap;
    labelCount = layout_.Create(Handle(), {.className = WC_STATICW, .name = "labelCount",
                                           .style = SS_RIGHT | SS_NOPREFIX,
                                           .bounds = {countLeft, kBorder, kBorder + width - countLeft, 16},
                                           .anchors = kAnchorTop | kAnchorRight, .font = font},
                                Dpi());
    gauge.Create(Handle(), "gauge", font);
    layout_.Add(gauge.Handle(), {kBorder, kBorder + 20, width, 17});
    CancelBtn = layout_.Create(Handle(), {.className = WC_BUTTONW, .name = "CancelBtn", .text = L"Cancel",
                                          .style = WS_TABSTOP | BS_PUSHBUTTON,
                                          .bounds = {kBorder + width - 90, kBorder + 52, 90, 25},
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
    // Painted before the pass starts, which may not let messages be handled for a while.
    RedrawWindow(Handle(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

void TdlgProgress::ShowApplying() {
    gauge.SetProgress(100);
    EnableWindow(CancelBtn, FALSE);
    RedrawWindow(Handle(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

void TdlgProgress::HideProgress() {
    if (!IsVisible()) return;
    FormHide();
    Hide();
}

void TdlgProgress::SetCount(std::wstring_view text) { SetWindowTextW(labelCount, std::wstring(text).c_str()); }

void TdlgProgress::FormShow() {
    EnableWindow(Owner(), FALSE);
    EnableWindow(CancelBtn, TRUE);
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
