// The status line under the editor: the caret's line and column, the selection's length and the
// encoding a save writes. It looks at the editor on a 50 ms timer and changes only when the
// caret, the selection or the text did, so typing in a big document never waits for it.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <string>

#include "core/status_line.h"
#include "win/form_main.h"
#include "win/system/wide.h"
#include "win/ui/fonts.h"

namespace palimp {

namespace {

constexpr int kStatusBarId = 104;
constexpr UINT_PTR kStatusTimer = 1;
constexpr UINT kStatusInterval = 50;  // ms: the most often it changes
constexpr int kStatusHeight = 22;     // at 96 DPI
constexpr int kPartPadding = 16;      // room beside a part's text (its borders and margins)
constexpr wchar_t kRightAligned[] = L"\t\t";

int TextWidth(HWND control, const std::wstring& text) {
    HDC dc = GetDC(control);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
    SIZE size = {};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    return size.cx;
}

}  // namespace

void TFormMain::CreateStatusBar() {
    statusBar = CreateWindowExW(0, STATUSCLASSNAMEW, nullptr,
                                WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | CCS_NORESIZE | CCS_NOPARENTALIGN | CCS_NODIVIDER,
                                0, 0, 0, 0, Handle(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(kStatusBarId)),
                                GetModuleHandleW(nullptr), nullptr);
    NameControl(statusBar, "statusBar");
    // Docked before the editor, which fills what is left between the top panel and this line.
    layout_.Add(statusBar, {0, 0, 0, kStatusHeight}, Dock::Bottom);
    SetTimer(Handle(), kStatusTimer, kStatusInterval, nullptr);
}

void TFormMain::OnTimer(UINT_PTR id) {
    if (id == kStatusTimer) UpdateStatusLine(false);
}

void TFormMain::actionStatusBarExecute() {
    const bool shown = !actionStatusBar->Checked();
    actionStatusBar->SetChecked(shown);
    ShowWindow(statusBar, shown ? SW_SHOWNA : SW_HIDE);
    layout_.Arrange(Handle(), Dpi());
    if (shown) UpdateStatusLine(true);
}

void TFormMain::UpdateStatusLine(bool always) {
    if (!statusBar || !IsWindowVisible(statusBar)) return;
    const auto stamp = memo.CaretStamp();
    if (!always && !statusStale_ && stamp == statusStamp_) return;
    statusStamp_ = stamp;
    statusStale_ = false;
    const EditorView::CaretPlace place = memo.Place();
    statusTexts_[0] = ToWide(CaretPlaceText(place.line, place.column));
    statusTexts_[1] = ToWide(SelectionText(place.selected));
    statusTexts_[2] = kRightAligned + ToWide(kSaveEncodingText);
    ShowStatusTexts();
}

void TFormMain::ShowStatusTexts() {
    if (!statusBar || !IsWindowVisible(statusBar)) return;
    // The caret's place first, the selection after it, the encoding right in what is left; the
    // caret's part keeps a width that suits most documents, so the parts seldom move. In a narrow
    // window the selection gives way, so that the caret's place and the encoding stay whole.
    const int padding = Scale(kPartPadding);
    const int caret = std::max(TextWidth(statusBar, statusTexts_[0]), TextWidth(statusBar, L"Ln 88,888, Col 888")) + padding;
    const int selection = statusTexts_[1].empty() ? 0 : TextWidth(statusBar, statusTexts_[1]) + padding;
    const int encoding = TextWidth(statusBar, ToWide(kSaveEncodingText)) + padding;
    RECT client;
    GetClientRect(statusBar, &client);
    int edges[3] = {caret, std::max<int>(caret, std::min<int>(caret + selection, client.right - encoding)), -1};
    SendMessageW(statusBar, SB_SETPARTS, 3, reinterpret_cast<LPARAM>(edges));
    for (int part = 0; part < 3; ++part) {
        const int length = LOWORD(SendMessageW(statusBar, SB_GETTEXTLENGTHW, part, 0));
        std::wstring shown(static_cast<size_t>(length) + 1, L'\0');
        SendMessageW(statusBar, SB_GETTEXTW, part, reinterpret_cast<LPARAM>(shown.data()));
        shown.resize(static_cast<size_t>(length));
        if (statusTexts_[part] != shown) {
            SendMessageW(statusBar, SB_SETTEXTW, part, reinterpret_cast<LPARAM>(statusTexts_[part].c_str()));
        }
    }
}

void TFormMain::ApplyStatusFont() {
    if (!statusBar) return;
    SendMessageW(statusBar, WM_SETFONT, reinterpret_cast<WPARAM>(Fonts::Pixels(L"Tahoma", 13, Dpi())), TRUE);
    UpdateStatusLine(true);
}

}  // namespace palimp
