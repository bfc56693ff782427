// Docking and anchoring of child controls, scaled from 96-DPI design sizes.
#include "win/ui/layout.h"

#include <algorithm>

#include "core/errors.h"
#include "win/ui/dpi.h"
#include "win/ui/window.h"

namespace palimp {

void Layout::SetDesignSize(int width, int height) {
    designWidth_ = width;
    designHeight_ = height;
}

void Layout::SetPadding(int left, int top, int right, int bottom) { padding_ = {left, top, right, bottom}; }

HWND Layout::Create(HWND parent, const ControlParams& params, int dpi) {
    DWORD style = params.style | WS_CHILD | (params.hidden ? 0 : WS_VISIBLE);
    HWND control = CreateWindowExW(params.exStyle, params.className, params.text.c_str(), style, dpi::Scale(params.bounds.x, dpi),
                                   dpi::Scale(params.bounds.y, dpi), dpi::Scale(params.bounds.width, dpi),
                                   dpi::Scale(params.bounds.height, dpi), parent,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(params.id)),
                                   reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE)), nullptr);
    if (!control) throw EAssertionFailed(u"Cannot create a control");
    if (!params.name.empty()) NameControl(control, params.name);
    if (params.font) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(params.font), FALSE);
    Add(control, params.bounds, params.dock, params.anchors);
    return control;
}

void Layout::Add(HWND control, Bounds bounds, Dock dock, unsigned anchors) {
    items_.push_back({control, bounds, dock, anchors});
}

void Layout::Replace(HWND oldControl, HWND newControl) {
    for (Item& item : items_)
        if (item.control == oldControl) item.control = newControl;
}

void Layout::Remove(HWND control) {
    std::erase_if(items_, [control](const Item& item) { return item.control == control; });
}

void Layout::SetBounds(HWND control, Bounds bounds) {
    for (Item& item : items_)
        if (item.control == control) item.bounds = bounds;
}

Bounds Layout::GetBounds(HWND control) const {
    for (const Item& item : items_)
        if (item.control == control) return item.bounds;
    return {};
}

RECT Layout::PlaceAnchored(const Item& item, const RECT& client, int dpi) const {
    const Bounds& b = item.bounds;
    int width = client.right - client.left;
    int height = client.bottom - client.top;
    // Distances to the right and bottom edges in the design, kept when the parent grows.
    int rightGap = dpi::Scale(designWidth_ - b.x - b.width, dpi);
    int bottomGap = dpi::Scale(designHeight_ - b.y - b.height, dpi);

    RECT r;
    r.left = dpi::Scale(b.x, dpi);
    r.right = r.left + dpi::Scale(b.width, dpi);
    if ((item.anchors & kAnchorRight) && (item.anchors & kAnchorLeft)) {
        r.right = std::max<LONG>(r.left, width - rightGap);
    } else if (item.anchors & kAnchorRight) {
        r.right = width - rightGap;
        r.left = r.right - dpi::Scale(b.width, dpi);
    }
    r.top = dpi::Scale(b.y, dpi);
    r.bottom = r.top + dpi::Scale(b.height, dpi);
    if ((item.anchors & kAnchorBottom) && (item.anchors & kAnchorTop)) {
        r.bottom = std::max<LONG>(r.top, height - bottomGap);
    } else if (item.anchors & kAnchorBottom) {
        r.bottom = height - bottomGap;
        r.top = r.bottom - dpi::Scale(b.height, dpi);
    }
    return r;
}

void Layout::Arrange(HWND parent, int dpi) const {
    RECT client;
    GetClientRect(parent, &client);
    RECT free = {client.left + dpi::Scale(padding_.left, dpi), client.top + dpi::Scale(padding_.top, dpi),
                 client.right - dpi::Scale(padding_.right, dpi), client.bottom - dpi::Scale(padding_.bottom, dpi)};

    HDWP batch = BeginDeferWindowPos(static_cast<int>(items_.size()));
    for (const Item& item : items_) {
        // Invisible docked controls take no room, so showing a panel pushes its neighbours.
        bool visible = (GetWindowLongW(item.control, GWL_STYLE) & WS_VISIBLE) != 0;
        if (item.dock != Dock::None && !visible) continue;
        RECT r = free;
        switch (item.dock) {
            case Dock::Top:
                r.bottom = std::min(free.bottom, free.top + dpi::Scale(item.bounds.height, dpi));
                free.top = r.bottom;
                break;
            case Dock::Bottom:
                r.top = std::max(free.top, free.bottom - dpi::Scale(item.bounds.height, dpi));
                free.bottom = r.top;
                break;
            case Dock::Left:
                r.right = std::min(free.right, free.left + dpi::Scale(item.bounds.width, dpi));
                free.left = r.right;
                break;
            case Dock::Right:
                r.left = std::max(free.left, free.right - dpi::Scale(item.bounds.width, dpi));
                free.right = r.left;
                break;
            case Dock::Fill:
                free.right = free.left;
                break;
            case Dock::None:
                r = PlaceAnchored(item, client, dpi);
                break;
        }
        UINT flags = SWP_NOZORDER | SWP_NOACTIVATE;
        if (batch) {
            batch = DeferWindowPos(batch, item.control, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, flags);
        } else {
            SetWindowPos(item.control, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, flags);
        }
    }
    if (batch) EndDeferWindowPos(batch);
}

}  // namespace palimp
