// Creating controls in code and placing them. Sizes are written in 96-DPI pixels, as the window
// designs give them, and scaled when arranged. Docked controls fill the parent's edges in the
// order they were added (invisible ones take no room); anchored controls keep their distances to
// the parent's edges, measured against the design size.
//
// Use:
//   Layout layout_;
//   layout_.SetDesignSize(442, 394);                 // the parent's client size the bounds assume
//   HWND ok = layout_.Create(Handle(), {.className = WC_BUTTONW, .name = "btnOK", .text = L"OK",
//                            .style = WS_TABSTOP | BS_DEFPUSHBUTTON, .bounds = {248, 8, 90, 25},
//                            .anchors = kAnchorRight | kAnchorBottom, .font = font}, Dpi());
//   RowCursor row{8, 12, 6};                         // left to right, 6 pixels apart
//   layout_.Create(Handle(), {.className = WC_STATICW, .name = "labelName", .text = L"Name",
//                             .bounds = row.Next(60, 16)}, Dpi());
//   void OnSize(int, int) override { layout_.Arrange(Handle(), Dpi()); }
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace palimp {

// A rectangle in 96-DPI pixels: left, top, width, height.
struct Bounds {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

enum Anchor : unsigned {
    kAnchorLeft = 1,
    kAnchorTop = 2,
    kAnchorRight = 4,
    kAnchorBottom = 8,
    kAnchorTopLeft = kAnchorLeft | kAnchorTop,
    kAnchorAll = kAnchorLeft | kAnchorTop | kAnchorRight | kAnchorBottom,
};

// VCL-style alignment: Top/Bottom take the bounds' height across the free width, Left/Right the
// bounds' width down the free height, Fill what is left.
enum class Dock { None, Top, Bottom, Left, Right, Fill };

struct ControlParams {
    const wchar_t* className = nullptr;
    std::string name;   // the control's name, by which Form::Control finds it ("btnOK")
    std::wstring text;
    DWORD style = 0;    // WS_CHILD and WS_VISIBLE are added, unless hidden is set
    DWORD exStyle = 0;
    Bounds bounds;
    Dock dock = Dock::None;
    unsigned anchors = kAnchorTopLeft;
    int id = 0;
    HFONT font = nullptr;
    bool hidden = false;
};

// Places a run of controls left to right (RowCursor) or top to bottom (ColumnCursor).
struct RowCursor {
    int x = 0;
    int y = 0;
    int gap = 0;
    Bounds Next(int width, int height) {
        Bounds b{x, y, width, height};
        x += width + gap;
        return b;
    }
};

struct ColumnCursor {
    int x = 0;
    int y = 0;
    int gap = 0;
    Bounds Next(int width, int height) {
        Bounds b{x, y, width, height};
        y += height + gap;
        return b;
    }
};

class Layout {
public:
    // The parent's client size (96 DPI) that right and bottom anchors are measured against.
    void SetDesignSize(int width, int height);
    // Room kept free at the parent's edges for docked controls (96 DPI).
    void SetPadding(int left, int top, int right, int bottom);

    // Creates a child control of parent, adds it, and places it at once. Throws
    // EAssertionFailed when the system refuses to create it.
    HWND Create(HWND parent, const ControlParams& params, int dpi);
    void Add(HWND control, Bounds bounds, Dock dock = Dock::None, unsigned anchors = kAnchorTopLeft);
    // Puts a new control in the place (bounds, dock, order) of an old one.
    void Replace(HWND oldControl, HWND newControl);
    void Remove(HWND control);
    void SetBounds(HWND control, Bounds bounds);
    Bounds GetBounds(HWND control) const;

    // Moves every control to its place for parent's current client size.
    void Arrange(HWND parent, int dpi) const;

private:
    struct Item {
        HWND control;
        Bounds bounds;
        Dock dock;
        unsigned anchors;
    };
    RECT PlaceAnchored(const Item& item, const RECT& client, int dpi) const;

    std::vector<Item> items_;
    int designWidth_ = 0;
    int designHeight_ = 0;
    RECT padding_ = {0, 0, 0, 0};
};

}  // namespace palimp
