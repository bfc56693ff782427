// The table grid: geometry, painting, keyboard, mouse and scrolling.
#include "win/ui/grid.h"

#include <commctrl.h>

#include <algorithm>
#include <numeric>
#include <vector>

#include "core/table_editing.h"
#include "win/system/wide.h"
#include "win/ui/actions.h"

namespace palimp {

namespace {

constexpr UINT_PTR kDragScrollTimer = 1;
constexpr UINT kDragScrollInterval = 50;
// A cell shows one line; no screen holds more of it than this.
constexpr size_t kMostUnitsShown = 1024;

int Clamp(int value, int low, int high) { return std::max(low, std::min(value, high)); }

// What a cell shows: its text up to kMostUnitsShown units, never ending inside a surrogate pair.
std::wstring_view ShownPart(std::u16string_view text) {
    if (text.size() > kMostUnitsShown) {
        size_t cut = kMostUnitsShown;
        if (text[cut - 1] >= 0xD800 && text[cut - 1] <= 0xDBFF) --cut;
        text = text.substr(0, cut);
    }
    return WideView(text);
}

void FillColour(HDC dc, const RECT& r, int colour) { FillRect(dc, &r, GetSysColorBrush(colour)); }

COLORREF Blend(COLORREF a, COLORREF b) {
    return RGB((GetRValue(a) + GetRValue(b)) / 2, (GetGValue(a) + GetGValue(b)) / 2, (GetBValue(a) + GetBValue(b)) / 2);
}

// A dot in the middle of each space of the text as DrawText put it in place (left-aligned,
// centred vertically, cut with an ellipsis): faint between words, stronger for leading and
// trailing blanks. The cell's text itself is not touched.
void PaintSpaceMarks(HDC dc, const RECT& place, std::wstring_view text, bool highlighted) {
    const std::vector<SpaceMark> marks = SpaceMarks(U16View(text));
    if (std::none_of(marks.begin(), marks.end(), [](SpaceMark m) { return m != SpaceMark::kNone; })) return;
    std::vector<int> ends(text.size());
    SIZE whole = {};
    if (!GetTextExtentExPointW(dc, text.data(), static_cast<int>(text.size()), 0, nullptr, ends.data(), &whole)) return;
    // Where the ellipsis begins when the text is too wide; no dot is drawn under it.
    int limit = place.right;
    if (whole.cx > place.right - place.left) {
        SIZE dots = {};
        GetTextExtentPoint32W(dc, L"...", 3, &dots);
        limit = place.right - dots.cx;
    }
    TEXTMETRICW metrics = {};
    GetTextMetricsW(dc, &metrics);
    const int size = std::max(2, static_cast<int>(metrics.tmHeight) / 8);
    const int y = (place.top + place.bottom) / 2 - size / 2;
    const COLORREF background = GetSysColor(highlighted ? COLOR_HIGHLIGHT : COLOR_WINDOW);
    const COLORREF foreground = GetSysColor(highlighted ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT);
    const COLORREF inner = Blend(Blend(foreground, background), background);
    const COLORREF edge = highlighted ? foreground : RGB(0xE0, 0x70, 0x00);
    for (size_t i = 0; i < marks.size(); ++i) {
        if (marks[i] == SpaceMark::kNone) continue;
        const int left = place.left + (i == 0 ? 0 : ends[i - 1]);
        const int right = place.left + ends[i];
        if (right > limit) break;
        const int x = (left + right) / 2 - size / 2;
        RECT dot = {x, y, x + size, y + size};
        SetBkColor(dc, marks[i] == SpaceMark::kEdge ? edge : inner);
        ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &dot, nullptr, 0, nullptr);
    }
}

}  // namespace

// ---- Geometry ----------------------------------------------------------------------------

int GridGeometry::VisibleRows() const { return std::max(1, (clientHeight - Pitch()) / Pitch()); }

int GridGeometry::LastShownRow() const {
    // Rows under the header, the last one perhaps cut by the bottom edge.
    int rows = std::max(1, (clientHeight - 1) / Pitch());
    return std::min(rowCount - 1, topRow + rows - 1);
}

int GridGeometry::MaxTopRow() const { return std::max(1, rowCount - VisibleRows()); }

int GridGeometry::ClampTop(int top) const { return Clamp(top, 1, MaxTopRow()); }

int GridGeometry::TopShowing(int row) const {
    if (row < topRow) return ClampTop(row);
    if (row >= topRow + VisibleRows()) return ClampTop(row - VisibleRows() + 1);
    return ClampTop(topRow);
}

int GridGeometry::RowAt(int y) const {
    if (y < 0 || y >= clientHeight) return -1;
    int index = y / Pitch();
    if (index == 0) return 0;
    int row = topRow + index - 1;
    return row < rowCount ? row : -1;
}

int GridGeometry::ColumnAt(int x) const {
    if (x < 0 || InSwitchColumn(x)) return -1;
    int right = switchWidth > 0 ? switchWidth + lineWidth : 0;
    for (int column = 0; column < kGridColumns; ++column) {
        right += columnWidths[column] + lineWidth;
        if (x < right) return column;
    }
    return -1;
}

RECT GridGeometry::CellRect(int column, int row) const {
    if (column < 0 || column > kHitsColumn || (column == kHitsColumn && hitsWidth == 0)) return {};
    if (row < 0 || row >= rowCount) return {};
    int index = row == 0 ? 0 : row - topRow + 1;
    if (index < 0 || (row > 0 && index == 0)) return {};
    int top = index * Pitch();
    if (top >= clientHeight) return {};
    int left = switchWidth > 0 ? switchWidth + lineWidth : 0;
    for (int c = 0; c < column; ++c) left += columnWidths[c] + lineWidth;
    const int width = column == kHitsColumn ? hitsWidth : columnWidths[column];
    return {left, top, left + width, top + rowHeight};
}

RECT GridGeometry::SwitchRect(int row) const {
    if (switchWidth == 0) return {};
    RECT cell = CellRect(0, row);
    if (cell.bottom == 0) return {};
    return {0, cell.top, switchWidth, cell.bottom};
}

int GridGeometry::RowsWidth() const {
    int width = std::accumulate(columnWidths.begin(), columnWidths.end(), 0) + kGridColumns * lineWidth;
    if (switchWidth > 0) width += switchWidth + lineWidth;
    if (hitsWidth > 0) width += hitsWidth + lineWidth;
    return width;
}

// ---- The control ---------------------------------------------------------------------------

void Grid::Create(HWND parent, GridModel& model, const Params& params) {
    model_ = &model;
    CreateControl(parent, {.className = L"PalimpGrid",
                           .name = params.name,
                           .style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL,
                           .exStyle = WS_EX_CLIENTEDGE,
                           .id = params.id,
                           .background = nullptr,
                           .classStyle = CS_DBLCLKS});
    // One tool over the whole grid; its text follows the row under the mouse.
    tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, Handle(), nullptr,
                               GetModuleHandleW(nullptr), nullptr);
    if (tooltip_) {
        TTTOOLINFOW tool = {sizeof(tool)};
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.hwnd = Handle();
        tool.uId = reinterpret_cast<UINT_PTR>(Handle());
        tool.lpszText = tipText_.data();
        SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
        SendMessageW(tooltip_, TTM_SETMAXTIPWIDTH, 0, 480);
    }
    UpdateScrollBar();
}

void Grid::SetExtraWidths(int switchPixels, int hitsPixels) {
    switchWidth_ = std::max(0, switchPixels);
    hitsWidth_ = std::max(0, hitsPixels);
    Repaint();
}

void Grid::SetHits(std::vector<std::wstring> hits, std::vector<std::wstring> tips) {
    hits_ = std::move(hits);
    tips_ = std::move(tips);
    tipRow_ = -1;  // the next mouse move sets the tip afresh
    Repaint();
}

std::wstring Grid::RowTip(int row) const {
    if (row < 1 || static_cast<size_t>(row) > tips_.size()) return {};
    return tips_[static_cast<size_t>(row) - 1];
}

void Grid::UpdateTip(int y) {
    if (!tooltip_) return;
    const int row = std::max(0, Geometry().RowAt(y));
    if (row == tipRow_) return;
    tipRow_ = row;
    tipText_ = RowTip(row);
    TTTOOLINFOW tool = {sizeof(tool)};
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = Handle();
    tool.uId = reinterpret_cast<UINT_PTR>(Handle());
    tool.lpszText = tipText_.data();
    SendMessageW(tooltip_, TTM_POP, 0, 0);
    SendMessageW(tooltip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
}

GridGeometry Grid::Geometry() const {
    RECT client = {};
    GetClientRect(Handle(), &client);
    GridGeometry geometry{.rowHeight = rowHeight_,
                          .columnWidths = columnWidths_,
                          .clientWidth = client.right,
                          .clientHeight = client.bottom,
                          .rowCount = model_->RowCount(),
                          .topRow = topRow_,
                          .switchWidth = switchWidth_,
                          .hitsWidth = hitsWidth_};
    return geometry;
}

void Grid::SetRowHeight(int pixels) {
    rowHeight_ = std::max(1, pixels);
    TableChanged();
}

void Grid::SetColumnWidths(const std::array<int, kGridColumns>& pixels) {
    for (int c = 0; c < kGridColumns; ++c) columnWidths_[c] = std::max(0, pixels[c]);
    Repaint();
}

void Grid::TableChanged() {
    GridGeometry geometry = Geometry();
    topRow_ = geometry.TopShowing(model_->Row());
    UpdateScrollBar();
    Repaint();
}

void Grid::ScrollTo(int topRow) {
    int top = Geometry().ClampTop(topRow);
    if (top == topRow_) return;
    topRow_ = top;
    UpdateScrollBar();
    Repaint();
}

void Grid::UpdateScrollBar() {
    if (!Handle()) return;
    GridGeometry geometry = Geometry();
    topRow_ = geometry.ClampTop(topRow_);
    // Positions count item rows from 0; SIF_DISABLENOSCROLL keeps the bar (its room is part of
    // the column rule) and only disables it when everything fits.
    SCROLLINFO info = {sizeof(info), SIF_ALL | SIF_DISABLENOSCROLL};
    info.nMin = 0;
    info.nMax = (model_->RowCount() - 1) - 1;
    info.nPage = static_cast<UINT>(geometry.VisibleRows());
    info.nPos = topRow_ - 1;
    SetScrollInfo(Handle(), SB_VERT, &info, TRUE);
}

void Grid::Repaint() {
    if (Handle()) InvalidateRect(Handle(), nullptr, FALSE);
}

void Grid::MoveTo(int row, bool extend) {
    Selection before = CurrentSelection();
    row = Clamp(row, 1, (model_->RowCount() - 1));
    if (extend) {
        model_->SelectRange(model_->Anchor(), row);
    } else {
        model_->SetRow(row);
    }
    ScrollTo(Geometry().TopShowing(row));
    Repaint();
    Notify(before);
}

void Grid::Notify(const Selection& before) {
    if (CurrentSelection() == before) return;
    SendMessageW(GetParent(Handle()), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(Handle()), kSelectionChanged),
                 reinterpret_cast<LPARAM>(Handle()));
}

// ---- Keyboard ------------------------------------------------------------------------------

std::optional<LRESULT> Grid::OnGetDlgCode(const MSG*) { return DLGC_WANTARROWS | DLGC_WANTCHARS; }

bool Grid::OnKeyDown(UINT key, unsigned modifiers) {
    if (modifiers & kAlt) return false;  // Ctrl+Alt+arrows are commands of the window
    const int current = model_->Row();
    const int page = Geometry().VisibleRows();
    int target = current;
    switch (key) {
        case VK_UP: target = current - 1; break;
        case VK_DOWN: target = current + 1; break;
        case VK_PRIOR: target = current - page; break;
        case VK_NEXT: target = current + page; break;
        case VK_HOME: target = 1; break;
        case VK_END: target = (model_->RowCount() - 1); break;
        case VK_SPACE:
            if (modifiers != 0) return false;
            SendMessageW(GetParent(Handle()), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(Handle()), kSpacePressed),
                         reinterpret_cast<LPARAM>(Handle()));
            return true;
        default: return false;
    }
    MoveTo(target, (modifiers & kShift) != 0);
    return true;
}

// ---- Mouse ---------------------------------------------------------------------------------

void Grid::OnMouseDown(MouseButton button, const MouseEvent& mouse) {
    if (GetFocus() != Handle()) SetFocus(Handle());
    if (button != MouseButton::Left) return;
    GridGeometry geometry = Geometry();
    int row = geometry.RowAt(mouse.y);
    if (row < 1) return;  // the header or below the last row
    if (geometry.InSwitchColumn(mouse.x) && !mouse.Shift()) {
        // The check box: that row alone is switched; the selection stays.
        switchClickedRow_ = row;
        SendMessageW(GetParent(Handle()), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(Handle()), kSwitchClicked),
                     reinterpret_cast<LPARAM>(Handle()));
        return;
    }
    dragStart_ = CurrentSelection();
    if (mouse.Shift()) {
        model_->SelectRange(model_->Anchor(), row);
    } else {
        model_->SetRow(row);
    }
    dragAnchor_ = model_->Anchor();
    dragging_ = true;
    SetCapture(Handle());
    ScrollTo(Geometry().TopShowing(row));
    Repaint();
}

void Grid::OnMouseMove(const MouseEvent& mouse) {
    if (dragging_) DragTo(mouse.y);
    UpdateTip(mouse.y);
}

void Grid::DragTo(int y) {
    GridGeometry geometry = Geometry();
    int row;
    if (y < geometry.Pitch() || y >= geometry.clientHeight) {
        // Above the item rows or below the grid: the timer scrolls and extends the range.
        SetTimer(Handle(), kDragScrollTimer, kDragScrollInterval, nullptr);
        row = y < geometry.Pitch() ? geometry.topRow
                                   : std::min(geometry.rowCount - 1, geometry.topRow + geometry.VisibleRows() - 1);
    } else {
        KillTimer(Handle(), kDragScrollTimer);
        row = geometry.RowAt(y);
        if (row < 1) row = geometry.rowCount - 1;  // below the last row
    }
    Selection before = CurrentSelection();
    model_->SelectRange(dragAnchor_, row);
    if (!(CurrentSelection() == before)) Repaint();
}

void Grid::OnTimer(UINT_PTR id) {
    if (id != kDragScrollTimer) return;
    if (!dragging_) {
        KillTimer(Handle(), kDragScrollTimer);
        return;
    }
    POINT at;
    GetCursorPos(&at);
    ScreenToClient(Handle(), &at);
    GridGeometry geometry = Geometry();
    // Farther past the edge, faster: one more row for every row height beyond it.
    int beyond = at.y < geometry.Pitch() ? geometry.Pitch() - at.y : at.y - geometry.clientHeight + 1;
    int step = 1 + std::max(0, beyond) / geometry.Pitch();
    if (at.y < geometry.Pitch()) {
        ScrollTo(topRow_ - step);
        model_->SelectRange(dragAnchor_, topRow_);
    } else if (at.y >= geometry.clientHeight) {
        ScrollTo(topRow_ + step);
        GridGeometry scrolled = Geometry();
        model_->SelectRange(dragAnchor_, std::min(scrolled.rowCount - 1, topRow_ + scrolled.VisibleRows() - 1));
    } else {
        KillTimer(Handle(), kDragScrollTimer);
    }
    Repaint();
}

void Grid::OnMouseUp(MouseButton button, const MouseEvent&) {
    if (button != MouseButton::Left || !dragging_) return;
    StopDragging();
}

void Grid::StopDragging() {
    if (!dragging_) return;
    dragging_ = false;
    KillTimer(Handle(), kDragScrollTimer);
    if (GetCapture() == Handle()) ReleaseCapture();
    // One report for the whole click or drag, when it is over.
    Notify(dragStart_);
}

void Grid::OnCaptureLost() { StopDragging(); }

void Grid::OnDoubleClick(MouseButton button, const MouseEvent& mouse) {
    if (button != MouseButton::Left) return;
    if (Geometry().RowAt(mouse.y) < 1 || Geometry().InSwitchColumn(mouse.x)) return;
    SendMessageW(GetParent(Handle()), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(Handle()), kRowDoubleClicked),
                 reinterpret_cast<LPARAM>(Handle()));
}

bool Grid::OnMouseWheel(int delta, const MouseEvent&) {
    UINT lines = 3;
    SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
    wheelRest_ += delta;
    int notches = wheelRest_ / WHEEL_DELTA;
    wheelRest_ %= WHEEL_DELTA;
    if (notches == 0) return true;
    int rows = lines == WHEEL_PAGESCROLL ? Geometry().VisibleRows() : static_cast<int>(lines);
    ScrollTo(topRow_ - notches * rows);
    return true;
}

void Grid::OnVScroll(int code, int trackPosition, HWND) {
    GridGeometry geometry = Geometry();
    int top = topRow_;
    switch (code) {
        case SB_LINEUP: --top; break;
        case SB_LINEDOWN: ++top; break;
        case SB_PAGEUP: top -= geometry.VisibleRows(); break;
        case SB_PAGEDOWN: top += geometry.VisibleRows(); break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION: top = trackPosition + 1; break;
        case SB_TOP: top = 1; break;
        case SB_BOTTOM: top = geometry.MaxTopRow(); break;
        default: return;
    }
    ScrollTo(top);
}

// ---- Focus and size ------------------------------------------------------------------------

void Grid::OnSetFocus(HWND) { Repaint(); }

void Grid::OnKillFocus(HWND) { Repaint(); }

void Grid::OnSize(int, int) {
    UpdateScrollBar();
    Repaint();
}

// ---- Painting ------------------------------------------------------------------------------

bool Grid::OnEraseBackground(HDC) { return true; }  // the paint covers everything

bool Grid::OnPaint(HDC dc, const RECT&) {
    RECT client;
    GetClientRect(Handle(), &client);
    if (client.right <= 0 || client.bottom <= 0) return true;
    // Drawn off screen and copied in one go: no flicker.
    HDC buffer = CreateCompatibleDC(dc);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, client.right, client.bottom);
    HGDIOBJ oldBitmap = SelectObject(buffer, bitmap);
    Paint(buffer, client);
    BitBlt(dc, 0, 0, client.right, client.bottom, buffer, 0, 0, SRCCOPY);
    SelectObject(buffer, oldBitmap);
    DeleteObject(bitmap);
    DeleteDC(buffer);
    return true;
}

void Grid::Paint(HDC dc, const RECT& client) const {
    FillColour(dc, client, COLOR_WINDOW);
    HGDIOBJ oldFont = SelectObject(dc, DrawingFont());
    SetBkMode(dc, TRANSPARENT);
    GridGeometry geometry = Geometry();
    const bool focused = GetFocus() == Handle();
    const int width = geometry.RowsWidth();
    const int last = geometry.LastShownRow();
    for (int row = geometry.topRow; row <= last; ++row) PaintRow(dc, geometry, row, focused);

    // Grid lines under every row shown and right of every column, down to the last row.
    int bottom = std::min<int>(client.bottom, (last - geometry.topRow + 2) * geometry.Pitch());
    for (int row = geometry.topRow; row <= last; ++row) {
        RECT cell = geometry.CellRect(0, row);
        FillColour(dc, {0, cell.bottom, width, cell.bottom + geometry.lineWidth}, COLOR_BTNFACE);
    }
    for (int column = 0; column <= kHitsColumn; ++column) {
        RECT cell = geometry.CellRect(column, 0);
        if (cell.right == 0) continue;
        FillColour(dc, {cell.right, geometry.Pitch(), cell.right + geometry.lineWidth, bottom}, COLOR_BTNFACE);
    }
    if (geometry.switchWidth > 0) {
        FillColour(dc, {geometry.switchWidth, geometry.Pitch(), geometry.switchWidth + geometry.lineWidth, bottom},
                   COLOR_BTNFACE);
    }
    PaintHeader(dc, geometry);
    SelectObject(dc, oldFont);
}

void Grid::PaintHeader(HDC dc, const GridGeometry& geometry) const {
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    if (geometry.switchWidth > 0) {
        RECT frame = {0, 0, geometry.switchWidth + geometry.lineWidth, geometry.Pitch()};
        FillColour(dc, frame, COLOR_BTNFACE);
        DrawEdge(dc, &frame, BDR_RAISEDINNER, BF_RECT);
    }
    constexpr std::u16string_view kHitsCaption = u"Hits";
    for (int column = 0; column <= kHitsColumn; ++column) {
        RECT cell = geometry.CellRect(column, 0);
        if (cell.right == 0) continue;
        RECT frame = {cell.left, cell.top, cell.right + geometry.lineWidth, cell.bottom + geometry.lineWidth};
        FillColour(dc, frame, COLOR_BTNFACE);
        DrawEdge(dc, &frame, BDR_RAISEDINNER, BF_RECT);
        RECT text = {cell.left + Scale(4), cell.top, cell.right - Scale(2), cell.bottom};
        std::wstring_view caption = ShownPart(column == kHitsColumn ? kHitsCaption : model_->Cell(column, 0));
        DrawTextW(dc, caption.data(), static_cast<int>(caption.size()), &text,
                  DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    }
}

void Grid::PaintRow(HDC dc, const GridGeometry& geometry, int row, bool focused) const {
    const bool selected = row >= model_->Top() && row <= model_->Bottom();
    RECT first = geometry.CellRect(0, row);
    RECT whole = {0, first.top, geometry.RowsWidth() - geometry.lineWidth, first.bottom};
    if (selected) FillColour(dc, whole, focused ? COLOR_HIGHLIGHT : COLOR_BTNFACE);
    // A switched-off row is drawn dimmed, its check box clear.
    const bool off = model_->RowOff(row);
    const int textColour = !selected ? COLOR_WINDOWTEXT : focused ? COLOR_HIGHLIGHTTEXT : COLOR_BTNTEXT;
    SetTextColor(dc, GetSysColor(off && !(selected && focused) ? COLOR_GRAYTEXT : textColour));
    if (geometry.switchWidth > 0) {
        RECT cell = geometry.SwitchRect(row);
        const int side = std::min<int>(cell.bottom - cell.top, cell.right - cell.left) - Scale(4);
        if (side > 0) {
            RECT box = {(cell.left + cell.right - side) / 2, (cell.top + cell.bottom - side) / 2, 0, 0};
            box.right = box.left + side;
            box.bottom = box.top + side;
            DrawFrameControl(dc, &box, DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_FLAT | (off ? 0 : DFCS_CHECKED));
        }
    }
    for (int column = 0; column <= kHitsColumn; ++column) {
        RECT cell = geometry.CellRect(column, row);
        RECT text = {cell.left + Scale(4), cell.top, cell.right - Scale(4), cell.bottom};
        if (text.right <= text.left) continue;
        const bool hits = column == kHitsColumn;
        if (hits && static_cast<size_t>(row) > hits_.size()) continue;
        std::wstring_view shown = hits ? std::wstring_view(hits_[static_cast<size_t>(row) - 1])
                                       : ShownPart(model_->Cell(column, row));
        DrawTextW(dc, shown.data(), static_cast<int>(shown.size()), &text,
                  DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS | (hits ? DT_RIGHT : 0));
        if (!hits) PaintSpaceMarks(dc, text, shown, selected && focused);
    }
    if (focused && row == model_->Row()) {
        SetTextColor(dc, RGB(0, 0, 0));  // DrawFocusRect inverts; these colours make it dotted
        SetBkColor(dc, RGB(255, 255, 255));
        DrawFocusRect(dc, &whole);
    }
}

}  // namespace palimp
