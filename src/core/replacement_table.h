// The replacement table: the ordered pairs that Replace Many applies, with the selection the
// table editor's grid shows. A plain value type with no UI, drawn by the grid directly.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace palimp {

// One row of the table: search phrase, replacement, option string.
using TableRow = std::array<std::u16string, 3>;

inline constexpr int kColumnCount = 3;
inline constexpr int kSearchColumn = 0;
inline constexpr int kReplaceColumn = 1;
inline constexpr int kOptionsColumn = 2;

// The option letters: case sensitive and whole words only; extended (the phrase and the
// replacement hold escapes, see escapes.h) and switched off (the row is kept but takes no part
// in the pass). Readers that know only C and W ignore the other two, so a table with them stays
// readable everywhere.
inline constexpr char16_t kOptionCase = u'C';
inline constexpr char16_t kOptionWord = u'W';
inline constexpr char16_t kOptionExtended = u'E';
inline constexpr char16_t kOptionOff = u'X';

// Whether the option string holds the capital letter (exact, case-sensitive containment; a
// lower-case letter is no option, other characters are ignored).
bool HasOption(std::u16string_view options, char16_t letter);

// The option string as the table writes it: "", "C", "W" or "C,W", followed by ",E" and ",X"
// for extended and switched-off rows (without the leading comma when alone). Each option keeps
// its value in oldOptions unless its change flag is set, in which case it takes the new value;
// E and X always keep theirs.
std::u16string ComposeOptions(std::u16string_view oldOptions, bool changeCase, bool newCase,
                              bool changeWord, bool newWord);
// The option string in the written form with one letter (C, W, E or X) set or cleared.
std::u16string WithOption(std::u16string_view options, char16_t letter, bool on);
// Whether the row is switched off (its option cell holds X).
bool IsRowOff(const TableRow& row);

// Header row 0 holds the captions, item rows are 1..RowCount()-1, and there is always at least
// one item row. The selection is one contiguous range Top()..Bottom() of item rows; the current
// row Row() is one of its two ends. Every operation whose arguments do not qualify does nothing.
class ReplacementTable {
public:
    // A new table: one empty item row, current and selected; empty preamble.
    ReplacementTable();

    // Rows including the header row; at least 2.
    int RowCount() const { return static_cast<int>(rows_.size()); }
    // Raising appends empty rows, lowering drops rows from the end; below 2 does nothing. Any
    // change collapses the selection to the current row, or to the last row when the current
    // row no longer exists.
    void SetRowCount(int count);
    // Item rows: RowCount() - 1.
    int ItemCount() const { return RowCount() - 1; }

    // Cell text of column 0..2, row 0..RowCount()-1; empty outside that range.
    const std::u16string& Cell(int column, int row) const;
    // Writes a cell; outside the range nothing happens.
    void SetCell(int column, int row, std::u16string text);

    // All rows, the header first, so that Rows()[r] is row r.
    std::span<const TableRow> Rows() const { return rows_; }
    // The item rows 1..RowCount()-1 in order.
    std::span<const TableRow> Items() const { return std::span<const TableRow>(rows_).subspan(1); }
    // Replaces every item row by rows (the header and the preamble stay) and makes row 1 current
    // and selected. An empty list leaves one empty item row.
    void SetItems(std::vector<TableRow> rows);

    // Text that travels with the table from a loaded file to the saved one; never shown.
    const std::u16string& Preamble() const { return preamble_; }
    void SetPreamble(std::u16string preamble);

    // The current row. Setting it (to an item row) also selects that row alone.
    int Row() const { return row_; }
    void SetRow(int row);
    int Top() const { return top_; }
    int Bottom() const { return bottom_; }
    // The end of the selection that is not the current row (the current row itself when the
    // selection is one row): where a Shift+arrow or Shift+click range starts.
    int Anchor() const { return row_ == top_ ? bottom_ : top_; }
    // Selects top..bottom (1 <= top <= bottom <= ItemCount()) and makes bottom current.
    void SetSelection(int top, int bottom);
    // Selects the range between two item rows in either order and makes current the current
    // row, as a Shift+click or a mouse drag does.
    void SelectRange(int anchor, int current);

    // Grows or changes with every change of a cell, the row count, the preamble or the
    // selection, so a view can tell whether to repaint.
    std::uint64_t Revision() const { return revision_; }

    // One empty item row, row 1 current, empty preamble.
    void NewTable();
    // A new last row holding the three cells; it becomes the current row.
    void AppendRow(std::u16string search, std::u16string replace, std::u16string options);
    // Deletes rows top..bottom, unless that range covers every item row.
    void DeleteRows(int top, int bottom);
    // Moves rows top..bottom (top >= 2) up by one and selects them at their new place.
    void MoveRowsUp(int top, int bottom);
    // Moves rows top..bottom (bottom < ItemCount()) down by one and selects them there.
    void MoveRowsDown(int top, int bottom);
    // Exchanges search phrase and replacement in every item row.
    void SwapSearchReplace();
    // Selects every item row.
    void SelectAllRows();

private:
    bool IsItemRow(int row) const { return row >= 1 && row < RowCount(); }
    void Select(int top, int bottom, int current);
    void Changed() { ++revision_; }

    std::vector<TableRow> rows_;
    std::u16string preamble_;
    int row_ = 1;
    int top_ = 1;
    int bottom_ = 1;
    std::uint64_t revision_ = 0;
};

}  // namespace palimp
