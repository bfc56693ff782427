// The container control: bevels, cursors, and notifications passed to the parent.
#include "win/ui/panel.h"

#include <windows.h>
#include <commctrl.h>

#include <algorithm>

namespace palimp {

void Panel::Create(HWND parent, const Params& params) {
    params_ = params;
    CreateControl(parent, {.className = L"PalimpPanel",
                           .name = params.name,
                           .style = static_cast<DWORD>(WS_CLIPCHILDREN | WS_CLIPSIBLINGS | (params.visible ? WS_VISIBLE : 0)),
                           .exStyle = WS_EX_CONTROLPARENT,
                           .id = params.id,
                           .background = params.background});
    int inset = BevelWidth() + params.borderWidth;
    layout_.SetPadding(inset, inset, inset, inset);
}

int Panel::BevelWidth() const {
    return (params_.outer != Bevel::None ? 1 : 0) + (params_.inner != Bevel::None ? 1 : 0);
}

void Panel::SetCursorFor(HWND control, LPCWSTR systemCursor) { cursors_[control] = systemCursor; }

void Panel::OnSize(int width, int height) {
    // Resizing repaints only what it uncovers (no CS_HREDRAW/CS_VREDRAW, for flicker-free
    // resizing), but the bevels stand at the edges: the strips where the old and the new right
    // and bottom edges run are painted again, or the old bevel lines would stay inside.
    int bevel = BevelWidth();
    if (bevel > 0 && (size_.cx > 0 || size_.cy > 0)) {
        if (width != size_.cx) {
            RECT strip = {std::min<LONG>(width, size_.cx) - bevel, 0, std::max<LONG>(width, size_.cx), height};
            InvalidateRect(Handle(), &strip, TRUE);
        }
        if (height != size_.cy) {
            RECT strip = {0, std::min<LONG>(height, size_.cy) - bevel, width, std::max<LONG>(height, size_.cy)};
            InvalidateRect(Handle(), &strip, TRUE);
        }
    }
    size_ = {width, height};
    layout_.Arrange(Handle(), Dpi());
}

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

bool Panel::OnEraseBackground(HDC dc) {
    // Also asked for by transparent children (the toolbar) with their own device context
    // shifted to our coordinates, so the fill covers the whole client area.
    RECT client;
    GetClientRect(Handle(), &client);
    FillRect(dc, &client, params_.background);
    return true;
}

bool Panel::OnSetCursor(HWND target, int) {
    auto it = cursors_.find(target);
    if (it == cursors_.end()) return false;
    SetCursor(LoadCursorW(nullptr, it->second));
    return true;
}

bool Panel::RouteCommand(int id, int code, HWND control) {
    SendMessageW(GetParent(Handle()), WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(control));
    return true;
}

bool Panel::OnNotify(NMHDR& header, LRESULT& result) {
    // The parent handles its controls' notifications, including those of the panel's controls.
    result = SendMessageW(GetParent(Handle()), WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
    return true;
}

HBRUSH Panel::OnControlColour(UINT message, HWND control, HDC dc) {
    // The parent colours the panel's controls as its own.
    auto brush = SendMessageW(GetParent(Handle()), message, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control));
    return reinterpret_cast<HBRUSH>(brush);
}

bool Panel::OnDrawItem(const DRAWITEMSTRUCT& item) {
    return SendMessageW(GetParent(Handle()), WM_DRAWITEM, item.CtlID, reinterpret_cast<LPARAM>(&item)) != 0;
}

}  // namespace palimp
