// A plain container control: groups child controls so that they show, hide and move together,
// draws an optional bevel, shows hints for its controls, and passes their notifications
// (WM_COMMAND, WM_NOTIFY, colours) on to its parent, so the window class handles them all.
//
// Use:
//   panelTop_.Create(Handle(), {.outer = Panel::Bevel::Lowered, .inner = Panel::Bevel::Raised});
//   layout_.Add(panelTop_.Handle(), {0, 0, 0, 40}, Dock::Top);
//   HWND logo = panelTop_.GetLayout().Create(panelTop_.Handle(), {...}, panelTop_.Dpi());
//   panelTop_.SetHint(logo, L"About Palimp");
//   panelTop_.SetCursorFor(logo, IDC_HAND);
#pragma once

#include <windows.h>

#include <map>
#include <string>

#include "win/layout.h"
#include "win/window.h"

namespace palimp {

class Panel : public Window {
public:
    enum class Bevel { None, Raised, Lowered };
    struct Params {
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
    // A tooltip for control, shown when the mouse rests on it.
    void SetHint(HWND control, const std::wstring& hint);
    std::wstring HintOf(HWND control) const;
    // The cursor shown over control (a system cursor such as IDC_HAND).
    void SetCursorFor(HWND control, LPCWSTR systemCursor);

protected:
    void OnSize(int width, int height) override;
    bool OnPaint(HDC dc, const RECT& dirty) override;
    bool OnSetCursor(HWND target, int hitTest) override;
    void OnDpiChanged(int dpi) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    bool OnCommand(int id, int code, HWND control) override;
    bool OnNotify(NMHDR& header, LRESULT& result) override;

private:
    int BevelWidth() const;

    Params params_;
    Layout layout_;
    HWND tooltip_ = nullptr;
    std::map<HWND, std::wstring> hints_;
    std::map<HWND, LPCWSTR> cursors_;
};

}  // namespace palimp
