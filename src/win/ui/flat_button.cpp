// The flat button: hot tracking, pressing and a click sent to the parent.
#include "win/ui/flat_button.h"

#include <windows.h>

namespace palimp {

void FlatButton::Create(HWND parent, const Params& params) {
    params_ = params;
    CreateControl(parent, {.className = L"PalimpFlatButton",
                           .name = params.name,
                           .style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS,
                           .id = params.id,
                           .classStyle = CS_DBLCLKS});
    SetWindowTextW(Handle(), params.caption.c_str());
}

bool FlatButton::Inside(const MouseEvent& mouse) const {
    RECT client;
    GetClientRect(Handle(), &client);
    POINT at = {mouse.x, mouse.y};
    return PtInRect(&client, at) != FALSE;
}

void FlatButton::SetState(bool hot, bool pressed) {
    if (hot == hot_ && pressed == pressed_) return;
    hot_ = hot;
    pressed_ = pressed;
    InvalidateRect(Handle(), nullptr, TRUE);
}

void FlatButton::OnMouseDown(MouseButton button, const MouseEvent&) {
    if (button != MouseButton::Left || !IsWindowEnabled(Handle())) return;
    SetCapture(Handle());
    SetState(true, true);
}

void FlatButton::OnDoubleClick(MouseButton button, const MouseEvent& mouse) { OnMouseDown(button, mouse); }

void FlatButton::OnMouseUp(MouseButton button, const MouseEvent& mouse) {
    if (button != MouseButton::Left || !pressed_) return;
    bool inside = Inside(mouse);
    SetState(inside, false);
    if (GetCapture() == Handle()) ReleaseCapture();
    if (inside) {
        SendMessageW(GetParent(Handle()), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(Handle()), BN_CLICKED),
                     reinterpret_cast<LPARAM>(Handle()));
    }
}

void FlatButton::OnMouseMove(const MouseEvent& mouse) {
    if (!tracking_) {
        TRACKMOUSEEVENT track = {sizeof(track), TME_LEAVE, Handle(), 0};
        tracking_ = TrackMouseEvent(&track) != FALSE;
    }
    bool inside = Inside(mouse);
    // While pressed, the button looks pressed only with the mouse over it, as push buttons do.
    SetState(inside, GetCapture() == Handle() && inside);
}

void FlatButton::OnCaptureLost() { SetState(hot_, false); }

bool FlatButton::OnMessage(UINT message, WPARAM, LPARAM, LRESULT& result) {
    if (message == WM_MOUSELEAVE) {
        tracking_ = false;
        if (GetCapture() != Handle()) SetState(false, false);
        result = 0;
        return true;
    }
    if (message == WM_ENABLE) {
        if (!IsWindowEnabled(Handle())) SetState(false, false);
        InvalidateRect(Handle(), nullptr, TRUE);
    }
    return false;
}

bool FlatButton::OnEraseBackground(HDC) { return true; }  // OnPaint fills everything

bool FlatButton::OnPaint(HDC dc, const RECT&) {
    RECT client;
    GetClientRect(Handle(), &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    bool enabled = IsWindowEnabled(Handle()) != FALSE;
    if (enabled && (hot_ || pressed_)) {
        RECT frame = client;
        DrawEdge(dc, &frame, pressed_ ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
    }
    RECT content = client;
    if (pressed_) OffsetRect(&content, 1, 1);
    COLORREF colour = GetSysColor(enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT);

    int glyphWidth = params_.glyph == Glyph::None ? 0 : Scale(params_.caption.empty() ? 7 : 9);
    HGDIOBJ oldFont = SelectObject(dc, params_.font ? params_.font : GetStockObject(DEFAULT_GUI_FONT));
    SIZE text = {};
    GetTextExtentPoint32W(dc, params_.caption.c_str(), static_cast<int>(params_.caption.size()), &text);
    int gap = params_.caption.empty() || !glyphWidth ? 0 : Scale(4);
    int left = content.left + ((content.right - content.left) - (glyphWidth + gap + text.cx)) / 2;
    if (glyphWidth) {
        RECT glyph = {left, content.top, left + glyphWidth, content.bottom};
        DrawGlyph(dc, glyph, colour);
    }
    if (!params_.caption.empty()) {
        RECT caption = {left + glyphWidth + gap, content.top, content.right, content.bottom};
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, colour);
        DrawTextW(dc, params_.caption.c_str(), -1, &caption, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_LEFT);
    }
    SelectObject(dc, oldFont);
    return true;
}

void FlatButton::DrawGlyph(HDC dc, const RECT& place, COLORREF colour) const {
    // A small filled triangle, centred in its place.
    int cx = (place.left + place.right) / 2;
    int cy = (place.top + place.bottom) / 2;
    int half = Scale(params_.glyph == Glyph::DropDown ? 3 : 4);
    POINT points[3];
    if (params_.glyph == Glyph::ArrowUp) {
        points[0] = {cx - half, cy + half / 2};
        points[1] = {cx + half, cy + half / 2};
        points[2] = {cx, cy - half / 2 - 1};
    } else {
        points[0] = {cx - half, cy - half / 2};
        points[1] = {cx + half, cy - half / 2};
        points[2] = {cx, cy + half / 2 + 1};
    }
    HBRUSH brush = CreateSolidBrush(colour);
    HPEN pen = CreatePen(PS_SOLID, 1, colour);
    HGDIOBJ oldBrush = SelectObject(dc, brush);
    HGDIOBJ oldPen = SelectObject(dc, pen);
    Polygon(dc, points, 3);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(brush);
    DeleteObject(pen);
}

}  // namespace palimp
