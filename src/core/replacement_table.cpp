// The replacement table's row operations and its selection rules.
#include "core/replacement_table.h"

#include <algorithm>
#include <iterator>
#include <utility>

#include "core/wide_string.h"

namespace palimp {

namespace {

TableRow HeaderRow() { return {u"Search for", u"Replace with", u"Options"}; }

const std::u16string kNoCell;

}  // namespace

bool HasOption(std::u16string_view options, char16_t letter) {
    return PosText(std::u16string_view(&letter, 1), options, 1) > 0;
}

std::u16string ComposeOptions(std::u16string_view oldOptions, bool changeCase, bool newCase,
                              bool changeWord, bool newWord) {
    const bool on[] = {changeCase ? newCase : HasOption(oldOptions, kOptionCase),
                       changeWord ? newWord : HasOption(oldOptions, kOptionWord),
                       HasOption(oldOptions, kOptionExtended), HasOption(oldOptions, kOptionOff)};
    const char16_t letters[] = {kOptionCase, kOptionWord, kOptionExtended, kOptionOff};
    std::u16string result;
    for (int i = 0; i < 4; ++i) {
        if (!on[i]) continue;
        if (!result.empty()) result += u',';
        result += letters[i];
    }
    return result;
}

std::u16string WithOption(std::u16string_view options, char16_t letter, bool on) {
    std::u16string written = ComposeOptions(options, false, false, false, false);
    if (HasOption(written, letter) == on) return written;
    if (letter == kOptionCase || letter == kOptionWord) {
        return ComposeOptions(written, letter == kOptionCase, on, letter == kOptionWord, on);
    }
    // E and X: rebuild from the flags with the letter changed.
    std::u16string flags;
    for (char16_t l : {kOptionCase, kOptionWord, kOptionExtended, kOptionOff}) {
        if (l == letter ? on : HasOption(written, l)) flags += l;
    }
    return ComposeOptions(flags, false, false, false, false);
}

bool IsRowOff(const TableRow& row) { return HasOption(row[kOptionsColumn], kOptionOff); }

ReplacementTable::ReplacementTable() : rows_{HeaderRow(), TableRow{}} {}

void ReplacementTable::SetRowCount(int count) {
    if (count < 2 || count == RowCount()) return;
    rows_.resize(static_cast<size_t>(count));
    // Resizing keeps only the current row selected; it falls back to the last row when the
    // current one was dropped.
    const int current = std::min(row_, RowCount() - 1);
    Select(current, current, current);
}

const std::u16string& ReplacementTable::Cell(int column, int row) const {
    if (column < 0 || column >= kColumnCount || row < 0 || row >= RowCount()) return kNoCell;
    return rows_[row][column];
}

void ReplacementTable::SetCell(int column, int row, std::u16string text) {
    if (column < 0 || column >= kColumnCount || row < 0 || row >= RowCount()) return;
    rows_[row][column] = std::move(text);
    Changed();
}

void ReplacementTable::SetItems(std::vector<TableRow> rows) {
    rows_.resize(1);
    if (rows.empty()) {
        rows_.emplace_back();
    } else {
        rows_.reserve(rows.size() + 1);
        std::move(rows.begin(), rows.end(), std::back_inserter(rows_));
    }
    Select(1, 1, 1);
}

void ReplacementTable::SetPreamble(std::u16string preamble) {
    preamble_ = std::move(preamble);
    Changed();
}

void ReplacementTable::SetRow(int row) {
    if (IsItemRow(row)) Select(row, row, row);
}

void ReplacementTable::SetSelection(int top, int bottom) {
    if (IsItemRow(top) && IsItemRow(bottom) && top <= bottom) Select(top, bottom, bottom);
}

void ReplacementTable::SelectRange(int anchor, int current) {
    if (IsItemRow(anchor) && IsItemRow(current))
        Select(std::min(anchor, current), std::max(anchor, current), current);
}

void ReplacementTable::Select(int top, int bottom, int current) {
    top_ = top;
    bottom_ = bottom;
    row_ = current;
    Changed();
}

void ReplacementTable::NewTable() {
    rows_.resize(1);
    rows_.emplace_back();
    preamble_.clear();
    Select(1, 1, 1);
}

void ReplacementTable::AppendRow(std::u16string search, std::u16string replace,
                                 std::u16string options) {
    rows_.push_back(TableRow{std::move(search), std::move(replace), std::move(options)});
    const int last = RowCount() - 1;
    Select(last, last, last);
}

void ReplacementTable::DeleteRows(int top, int bottom) {
    if (!(1 <= top && top <= bottom && bottom <= ItemCount())) return;
    // The last item row never goes: emptying the table is NewTable's job.
    if (top == 1 && bottom == ItemCount()) return;
    rows_.erase(rows_.begin() + top, rows_.begin() + bottom + 1);
    const int current = std::min(row_, RowCount() - 1);
    Select(current, current, current);
}

void ReplacementTable::MoveRowsUp(int top, int bottom) {
    if (!(2 <= top && top <= bottom && bottom <= ItemCount())) return;
    // Rotating the row above the block to its end moves the block up by one.
    std::rotate(rows_.begin() + top - 1, rows_.begin() + top, rows_.begin() + bottom + 1);
    Select(top - 1, bottom - 1, bottom - 1);
}

void ReplacementTable::MoveRowsDown(int top, int bottom) {
    if (!(1 <= top && top <= bottom && bottom + 1 <= ItemCount())) return;
    std::rotate(rows_.begin() + top, rows_.begin() + bottom + 1, rows_.begin() + bottom + 2);
    Select(top + 1, bottom + 1, bottom + 1);
}

void ReplacementTable::SwapSearchReplace() {
    for (size_t r = 1; r < rows_.size(); ++r)
        std::swap(rows_[r][kSearchColumn], rows_[r][kReplaceColumn]);
    Changed();
}

void ReplacementTable::SelectAllRows() { Select(1, ItemCount(), ItemCount()); }

}  // namespace palimp
