// A plain container control: groups child controls so that they show, hide and move together,
// draws an optional bevel, shows a chosen cursor over its controls, and passes their
// notifications (WM_COMMAND, WM_NOTIFY, colours, owner drawing) on to its parent, so the form
// handles them all, with handlers bound per control.
//
// Use:
//   panelTop_.Create(Handle(), {.name = "panelTop", .outer = Panel::Bevel::Lowered,
//                               .inner = Panel::Bevel::Raised});
//   layout_.Add(panelTop_.Handle(), {0, 0, 0, 40}, Dock::Top);
//   HWND logo = panelTop_.GetLayout().Create(panelTop_.Handle(), {...}, panelTop_.Dpi());
//   panelTop_.SetCursorFor(logo, IDC_HAND);
#pragma once

#include <windows.h>

#include <map>
#include <string>

#include "win/ui/layout.h"
#include "win/ui/window.h"

namespace palimp {

class Panel : public Control {
public:
    enum class Bevel { None, Raised, Lowered };
    struct Params {
        std::string name;
        Bevel outer = Bevel::None;
        Bevel inner = Bevel::None;
        int borderWidth = 0;  // free room inside the bevels (96 DPI)
        HBRUSH background = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        int id = 0;
        bool visible = true;
    };

    Panel() = default;
    // Creates the panel as a child of parent (size 0: the parent's layout places it).
    void Create(HWND parent, const Params& params);
    // The layout of the panel's own controls; padding already keeps the bevels free.
    Layout& GetLayout() { return layout_; }
    // The cursor shown over control (a system cursor such as IDC_HAND).
    void SetCursorFor(HWND control, LPCWSTR systemCursor);

protected:
    void OnSize(int width, int height) override;
    bool OnPaint(HDC dc, const RECT& dirty) override;
    bool OnEraseBackground(HDC dc) override;
    bool OnSetCursor(HWND target, int hitTest) override;
    void OnDpiChanged(int dpi) override;
    HBRUSH OnControlColour(UINT message, HWND control, HDC dc) override;
    bool OnDrawItem(const DRAWITEMSTRUCT& item) override;
    bool RouteCommand(int id, int code, HWND control) override;
    bool OnNotify(NMHDR& header, LRESULT& result) override;

private:
    int BevelWidth() const;

    Params params_;
    Layout layout_;
    SIZE size_ = {0, 0};  // the client size at the last WM_SIZE
    std::map<HWND, LPCWSTR> cursors_;
};

}  // namespace palimp
