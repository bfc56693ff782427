// The flat button: hot tracking, pressing and a click sent to the parent.
#include "win/ui/flat_button.h"

#include <windows.h>
#include <commctrl.h>
#include <uxtheme.h>
#include <vssym32.h>

#include <algorithm>

namespace palimp {

void FlatButton::Create(HWND parent, const Params& params) {
    params_ = params;
    CreateControl(parent, {.className = L"PalimpFlatButton",
                           .name = params.name,
                           .style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS,
                           .id = params.id,
                           .classStyle = CS_DBLCLKS,
                           .font = params.font});
    SetWindowTextW(Handle(), params.caption.c_str());
}

void FlatButton::SetPictures(HIMAGELIST pictures) {
    params_.pictures = pictures;
    InvalidateRect(Handle(), nullptr, TRUE);
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

bool FlatButton::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
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
    return Control::OnMessage(message, wParam, lParam, result);
}

bool FlatButton::OnEraseBackground(HDC) { return true; }  // OnPaint fills everything

bool FlatButton::OnPaint(HDC dc, const RECT&) {
    RECT client;
    GetClientRect(Handle(), &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    bool enabled = IsWindowEnabled(Handle()) != FALSE;
    DrawFrame(dc, client, enabled);
    RECT content = client;
    if (pressed_) OffsetRect(&content, 1, 1);
    COLORREF colour = GetSysColor(enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT);

    // The parts side by side, centred: picture, glyph (or after the caption), caption.
    int pictureSize = 0;
    int ignored = 0;
    if (params_.pictures && params_.picture >= 0) ImageList_GetIconSize(params_.pictures, &pictureSize, &ignored);
    int glyphWidth = params_.glyph == Glyph::None ? 0 : Scale(params_.caption.empty() ? 7 : 9);
    HGDIOBJ oldFont = SelectObject(dc, DrawingFont());
    SIZE text = {};
    GetTextExtentPoint32W(dc, params_.caption.c_str(), static_cast<int>(params_.caption.size()), &text);
    int gap = Scale(4);
    int parts = (pictureSize > 0) + (glyphWidth > 0) + !params_.caption.empty();
    int width = pictureSize + glyphWidth + text.cx + std::max(0, parts - 1) * gap;
    int x = content.left + ((content.right - content.left) - width) / 2;
    if (pictureSize > 0) {
        IMAGELISTDRAWPARAMS image = {sizeof(image)};
        image.himl = params_.pictures;
        image.i = params_.picture;
        image.hdcDst = dc;
        image.x = x;
        image.y = content.top + ((content.bottom - content.top) - pictureSize) / 2;
        image.rgbBk = CLR_NONE;
        image.fStyle = ILD_TRANSPARENT;
        image.fState = enabled ? ILS_NORMAL : ILS_SATURATE;
        ImageList_DrawIndirect(&image);
        x += pictureSize + gap;
    }
    auto drawGlyph = [&] {
        if (!glyphWidth) return;
        DrawGlyph(dc, {x, content.top, x + glyphWidth, content.bottom}, colour);
        x += glyphWidth + gap;
    };
    if (!params_.glyphAfterCaption) drawGlyph();
    if (!params_.caption.empty()) {
        RECT caption = {x, content.top, content.right, content.bottom};
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, colour);
        DrawTextW(dc, params_.caption.c_str(), -1, &caption, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_LEFT);
        x += text.cx + gap;
    }
    if (params_.glyphAfterCaption) drawGlyph();
    SelectObject(dc, oldFont);
    return true;
}

void FlatButton::DrawFrame(HDC dc, const RECT& client, bool enabled) const {
    if (params_.framed) {
        // A push button's face, themed where the system draws themed buttons.
        if (HTHEME theme = IsAppThemed() ? OpenThemeData(Handle(), L"BUTTON") : nullptr) {
            int state = !enabled ? PBS_DISABLED : pressed_ ? PBS_PRESSED : hot_ ? PBS_HOT : PBS_NORMAL;
            DrawThemeBackground(theme, dc, BP_PUSHBUTTON, state, &client, nullptr);
            CloseThemeData(theme);
        } else {
            RECT frame = client;
            DrawFrameControl(dc, &frame, DFC_BUTTON, DFCS_BUTTONPUSH | (pressed_ ? DFCS_PUSHED : 0));
        }
        return;
    }
    if (enabled && (hot_ || pressed_)) {
        RECT frame = client;
        DrawEdge(dc, &frame, pressed_ ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
    }
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
