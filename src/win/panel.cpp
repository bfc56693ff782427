// The container control: bevels, hints, cursors, and notifications passed to the parent.
#include "win/panel.h"

#include <windows.h>
#include <commctrl.h>

namespace palimp {

void Panel::Create(HWND parent, const Params& params) {
    params_ = params;
    CreateWindowHandle({.className = L"PalimpPanel",
                        .style = static_cast<DWORD>(WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | (params.visible ? WS_VISIBLE : 0)),
                        .exStyle = WS_EX_CONTROLPARENT,
                        .parent = parent,
                        .menu = reinterpret_cast<HMENU>(static_cast<INT_PTR>(params.id)),
                        .background = params.background});
    // CreateWindowHandle leaves windows hidden; a visible panel is shown at once.
    if (params.visible) ShowWindow(Handle(), SW_SHOWNA);
    int inset = BevelWidth() + params.borderWidth;
    layout_.SetPadding(inset, inset, inset, inset);
}

int Panel::BevelWidth() const {
    return (params_.outer != Bevel::None ? 1 : 0) + (params_.inner != Bevel::None ? 1 : 0);
}

void Panel::SetHint(HWND control, const std::wstring& hint) {
    if (!tooltip_) {
        tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                                   CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, Handle(), nullptr,
                                   GetModuleHandleW(nullptr), nullptr);
    }
    hints_[control] = hint;
    if (!tooltip_) return;  // hints are a nicety; the program works without them
    TTTOOLINFOW tool = {sizeof(tool)};
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = Handle();
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = hints_[control].data();
    SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

std::wstring Panel::HintOf(HWND control) const {
    auto it = hints_.find(control);
    return it == hints_.end() ? std::wstring() : it->second;
}

void Panel::SetCursorFor(HWND control, LPCWSTR systemCursor) { cursors_[control] = systemCursor; }

void Panel::OnSize(int, int) { layout_.Arrange(Handle(), Dpi()); }

void Panel::OnDpiChanged(int) { layout_.Arrange(Handle(), Dpi()); }

bool Panel::OnPaint(HDC dc, const RECT&) {
    RECT client;
    GetClientRect(Handle(), &client);
    // Outer edge first, then the inner one inside it, as VCL's panel bevels are drawn.
    if (params_.outer != Bevel::None) {
        DrawEdge(dc, &client, params_.outer == Bevel::Raised ? BDR_RAISEDOUTER : BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
    }
    if (params_.inner != Bevel::None) {
        DrawEdge(dc, &client, params_.inner == Bevel::Raised ? BDR_RAISEDINNER : BDR_SUNKENINNER, BF_RECT | BF_ADJUST);
    }
    return true;
}

bool Panel::OnSetCursor(HWND target, int) {
    auto it = cursors_.find(target);
    if (it == cursors_.end()) return false;
    SetCursor(LoadCursorW(nullptr, it->second));
    return true;
}

bool Panel::OnCommand(int id, int code, HWND control) {
    SendMessageW(GetParent(Handle()), WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(control));
    return true;
}

bool Panel::OnNotify(NMHDR& header, LRESULT& result) {
    // The parent handles its controls' notifications, including those of the panel's controls.
    result = SendMessageW(GetParent(Handle()), WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
    return true;
}

bool Panel::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
        case WM_ERASEBKGND: {
            // Also asked for by transparent children (the toolbar) with their own device
            // context shifted to our coordinates, so the fill covers the whole client area.
            RECT client;
            GetClientRect(Handle(), &client);
            FillRect(reinterpret_cast<HDC>(wParam), &client, params_.background);
            result = 1;
            return true;
        }
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORBTN:
        case WM_DRAWITEM:
        case WM_MEASUREITEM:
            result = SendMessageW(GetParent(Handle()), message, wParam, lParam);
            return true;
        default:
            return false;
    }
}

}  // namespace palimp
