// A flat button, as toolbars have them: no frame until the mouse is over it, a sunken frame
// while pressed, an optional picture, a caption and an optional small glyph drawn in code
// (before the caption, or after it); a framed one looks like a push button all the time. It
// takes no focus (not a Tab stop) and clicks like a push button: WM_COMMAND BN_CLICKED to its
// parent, so handlers bind with OnClick, and an action whose Id() is the button's id runs.
//
// Use:
//   sbtnFindNext.Create(panel, {.name = "sbtnFindNext", .caption = L"Next",
//                               .glyph = FlatButton::Glyph::ArrowDown, .id = actionFindNext->Id(),
//                               .font = font});
//   Actions().BindButton(sbtnFindNext.Handle());   // enabled with the action
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "win/ui/window.h"

namespace palimp {

class FlatButton : public Control {
public:
    enum class Glyph { None, DropDown, ArrowDown, ArrowUp };
    struct Params {
        std::string name;
        std::wstring caption;
        Glyph glyph = Glyph::None;
        int id = 0;
        HFONT font = nullptr;
        HIMAGELIST pictures = nullptr;  // the picture left of the caption: pictures[picture]
        int picture = -1;
        bool glyphAfterCaption = false;
        bool framed = false;
    };

    void Create(HWND parent, const Params& params);
    // Another picture list (the old one may go): after a DPI change.
    void SetPictures(HIMAGELIST pictures);
    bool IsHot() const { return hot_; }
    bool IsPressed() const { return pressed_; }

protected:
    bool OnPaint(HDC dc, const RECT& dirty) override;
    bool OnEraseBackground(HDC dc) override;
    void OnMouseDown(MouseButton button, const MouseEvent& mouse) override;
    void OnMouseUp(MouseButton button, const MouseEvent& mouse) override;
    void OnMouseMove(const MouseEvent& mouse) override;
    void OnDoubleClick(MouseButton button, const MouseEvent& mouse) override;
    void OnCaptureLost() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    bool Inside(const MouseEvent& mouse) const;
    void SetState(bool hot, bool pressed);
    void DrawGlyph(HDC dc, const RECT& place, COLORREF colour) const;
    void DrawFrame(HDC dc, const RECT& client, bool enabled) const;

    Params params_;
    bool hot_ = false;
    bool pressed_ = false;
    bool tracking_ = false;
};

}  // namespace palimp
