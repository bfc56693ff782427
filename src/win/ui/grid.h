// A grid of text rows (the table window's pairs): a fixed header row over the item rows, three
// columns with grid lines, a whole-row selection of one contiguous range in the system's
// highlight colours (dimmed while the grid has no focus) and the current row framed by the focus
// rectangle. The grid is a thin view: its GridModel keeps rows, current row and selection; the grid draws only
// the rows on screen (double-buffered, so nothing flickers) and turns keys and the mouse into
// selection changes of the model.
//
// Keyboard: Up, Down, PgUp, PgDn, Home and End (with or without Ctrl: first and last row) move
// the current row; with Shift they extend the range from its anchor. Mouse: a click selects a
// row, Shift+click extends, dragging selects a range and scrolls when the mouse leaves the rows
// above or below; the wheel scrolls; a double click on a row is reported. A click on a row's
// check box and Space are reported to the parent, which switches rows; switched-off rows are
// drawn dimmed. A row's tooltip (set by Count) shows while the mouse rests on it. The vertical scroll
// bar works with 32-bit positions, so tables of any length scroll.
//
// Use:
//   sgTable.Create(Handle(), gridModel_, {.name = "sgTable", .id = kGridId});
//   OnNotification(sgTable.Handle(), Grid::kSelectionChanged, [this] { sgTableClick(); });
//   OnNotification(sgTable.Handle(), Grid::kRowDoubleClicked, [this] { sgTableDblClick(); });
//   table_.MoveRowsUp(table_.Top(), table_.Bottom());
//   sgTable.TableChanged();                       // the current row in view, repainted
#pragma once

#include <windows.h>

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "win/ui/window.h"

namespace palimp {

// The text columns of a grid.
inline constexpr int kGridColumns = 3;

// What a grid shows and where its selection lives: the header (row 0) over item rows
// 1..RowCount()-1 of kGridColumns text cells each, a current row and one contiguous range
// Top()..Bottom() of item rows with its anchor. The grid reads it to paint and moves the
// selection through it; whoever changes it otherwise calls Grid::TableChanged.
class GridModel {
public:
    // The rows, the header included.
    virtual int RowCount() const = 0;
    virtual std::u16string_view Cell(int column, int row) const = 0;
    // A switched-off row: drawn dimmed, its check box clear.
    virtual bool RowOff(int row) const = 0;
    virtual int Row() const = 0;
    virtual int Top() const = 0;
    virtual int Bottom() const = 0;
    // The end of the range that stays put when Shift extends it.
    virtual int Anchor() const = 0;
    // Makes row current, alone in the range.
    virtual void SetRow(int row) = 0;
    // Selects anchor..current (either way round) and makes current the current row.
    virtual void SelectRange(int anchor, int current) = 0;

protected:
    ~GridModel() = default;
};

// Where rows and cells stand in the grid's client area, as pure arithmetic. Every row, the
// header included, is rowHeight pixels high with a grid line of lineWidth under it; columns
// likewise have a line at their right. topRow is the first item row shown under the header.
inline constexpr int kHitsColumn = kGridColumns;

struct GridGeometry {
    int rowHeight = 20;
    int lineWidth = 1;
    std::array<int, kGridColumns> columnWidths{};
    int clientWidth = 0;
    int clientHeight = 0;
    int rowCount = 2;  // the header included
    int topRow = 1;
    // The check boxes that switch rows on and off, left of the text columns, and the hits of
    // Count right of them; a width of 0 leaves the column out.
    int switchWidth = 0;
    int hitsWidth = 0;

    int Pitch() const { return rowHeight + lineWidth; }
    // Item rows that fit completely under the header (at least 1, so paging always moves).
    int VisibleRows() const;
    // The last item row at least partly on screen.
    int LastShownRow() const;
    // The largest top row: the last row then stands at the bottom.
    int MaxTopRow() const;
    int ClampTop(int top) const;
    // The top row that shows row completely, scrolling as little as possible from topRow.
    int TopShowing(int row) const;
    // The row at client height y: 0 for the header, an item row, or -1 where there is none.
    int RowAt(int y) const;
    // The column at client x, or -1 right of the last one.
    int ColumnAt(int x) const;
    // The cell's rectangle without its grid lines; empty for a row that is not on screen.
    // Column kHitsColumn is the hits column.
    RECT CellRect(int column, int row) const;
    // The check box cell of a row, like CellRect.
    RECT SwitchRect(int row) const;
    // Whether client x is in the check box column.
    bool InSwitchColumn(int x) const { return x >= 0 && x < switchWidth; }
    // Right edge of the last column's grid line.
    int RowsWidth() const;
};

class Grid : public Control {
public:
    // Notification codes of WM_COMMAND to the parent, for OnNotification: the current row or
    // the range changed by key or mouse (also once when a drag ends), an item row was double
    // clicked.
    static constexpr WORD kSelectionChanged = 1;
    static constexpr WORD kRowDoubleClicked = 2;
    // A row's check box was clicked (the row is SwitchClickedRow()), or Space was pressed.
    static constexpr WORD kSwitchClicked = 3;
    static constexpr WORD kSpacePressed = 4;

    struct Params {
        std::string name;
        int id = 0;
    };

    void Create(HWND parent, GridModel& model, const Params& params);

    // The height of every row, the header's too, in pixels.
    void SetRowHeight(int pixels);
    int RowHeight() const { return rowHeight_; }
    void SetColumnWidths(const std::array<int, kGridColumns>& pixels);
    int ColumnWidth(int column) const { return columnWidths_[column]; }
    // The check box column and the hits column ("Hits" in the header).
    void SetExtraWidths(int switchPixels, int hitsPixels);
    int SwitchWidth() const { return switchWidth_; }
    int HitsWidth() const { return hitsWidth_; }
    // What the hits column shows for each item row (index row - 1), and the tooltip of each
    // row; empty lists clear them.
    void SetHits(std::vector<std::wstring> hits, std::vector<std::wstring> tips);
    const std::vector<std::wstring>& Hits() const { return hits_; }
    // The tooltip of an item row; empty when it has none.
    std::wstring RowTip(int row) const;
    int SwitchClickedRow() const { return switchClickedRow_; }

    // After a command changed the table: brings the current row into view and repaints.
    void TableChanged();
    int TopRow() const { return topRow_; }
    void ScrollTo(int topRow);
    GridGeometry Geometry() const;

protected:
    bool OnPaint(HDC dc, const RECT& dirty) override;
    bool OnEraseBackground(HDC dc) override;
    void OnSize(int width, int height) override;
    bool OnKeyDown(UINT key, unsigned modifiers) override;
    std::optional<LRESULT> OnGetDlgCode(const MSG* message) override;
    void OnMouseDown(MouseButton button, const MouseEvent& mouse) override;
    void OnMouseMove(const MouseEvent& mouse) override;
    void OnMouseUp(MouseButton button, const MouseEvent& mouse) override;
    void OnDoubleClick(MouseButton button, const MouseEvent& mouse) override;
    bool OnMouseWheel(int delta, const MouseEvent& mouse) override;
    void OnVScroll(int code, int trackPosition, HWND bar) override;
    void OnTimer(UINT_PTR id) override;
    void OnSetFocus(HWND previous) override;
    void OnKillFocus(HWND next) override;
    void OnCaptureLost() override;

private:
    struct Selection {
        int top, bottom, row;
        bool operator==(const Selection&) const = default;
    };
    Selection CurrentSelection() const { return {model_->Top(), model_->Bottom(), model_->Row()}; }
    // Moves the current row (extending the range from its anchor) and keeps it in view.
    void MoveTo(int row, bool extend);
    // Tells the parent when the selection differs from before.
    void Notify(const Selection& before);
    void DragTo(int y);
    void StopDragging();
    void UpdateScrollBar();
    void Repaint();
    void Paint(HDC dc, const RECT& client) const;
    void PaintHeader(HDC dc, const GridGeometry& geometry) const;
    void PaintRow(HDC dc, const GridGeometry& geometry, int row, bool focused) const;

    GridModel* model_ = nullptr;
    int rowHeight_ = 20;
    std::array<int, kGridColumns> columnWidths_{};
    int topRow_ = 1;
    bool dragging_ = false;
    int dragAnchor_ = 1;
    Selection dragStart_{1, 1, 1};
    int wheelRest_ = 0;  // wheel movement below one notch, kept for the next message
    int switchWidth_ = 0;
    int hitsWidth_ = 0;
    std::vector<std::wstring> hits_;
    std::vector<std::wstring> tips_;
    int switchClickedRow_ = 0;
    HWND tooltip_ = nullptr;
    int tipRow_ = 0;     // the row whose tip shows, 0 for none
    std::wstring tipText_;
    void UpdateTip(int y);
};

}  // namespace palimp
