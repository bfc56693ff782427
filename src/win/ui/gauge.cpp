// The percentage bar.
#include "win/ui/gauge.h"

#include <algorithm>

namespace palimp {

void Gauge::Create(HWND parent, const std::string& name, HFONT font) {
    CreateControl(parent, {.className = L"PalimpGauge", .name = name, .style = WS_CHILD | WS_VISIBLE,
                           .exStyle = WS_EX_STATICEDGE, .background = GetSysColorBrush(COLOR_WINDOW), .font = font});
}

void Gauge::SetProgress(int percent) {
    percent = std::clamp(percent, 0, 100);
    if (percent == percent_) return;
    percent_ = percent;
    InvalidateRect(Handle(), nullptr, FALSE);
    UpdateWindow(Handle());
}

bool Gauge::OnEraseBackground(HDC) { return true; }  // OnPaint covers everything

bool Gauge::OnPaint(HDC dc, const RECT&) {
    RECT client;
    GetClientRect(Handle(), &client);
    // Drawn into a bitmap first and copied at once: no flicker between fill and text.
    HDC memory = CreateCompatibleDC(dc);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, std::max<LONG>(client.right, 1), std::max<LONG>(client.bottom, 1));
    HGDIOBJ oldBitmap = SelectObject(memory, bitmap);
    FillRect(memory, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    std::wstring text = std::to_wstring(percent_) + L"%";
    HGDIOBJ oldFont = SelectObject(memory, DrawingFont());
    SetBkMode(memory, TRANSPARENT);
    SetTextColor(memory, RGB(0, 0, 0));
    DrawTextW(memory, text.c_str(), -1, &client, DT_SINGLELINE | DT_CENTER | DT_VCENTER | DT_NOPREFIX);
    SelectObject(memory, oldFont);
    // Inverting the filled part turns its white black and the text on it white.
    RECT filled = client;
    filled.right = client.left + MulDiv(client.right - client.left, percent_, 100);
    InvertRect(memory, &filled);
    BitBlt(dc, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
    SelectObject(memory, oldBitmap);
    DeleteObject(bitmap);
    DeleteDC(memory);
    return true;
}

}  // namespace palimp
