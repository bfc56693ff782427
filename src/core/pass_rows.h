// What each row of a table does in the replace pass once its X and E options are read: for
// the checks of rows that never win, for Count, for Copy All, and for telling the user about a
// bad escape.
#pragma once

#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "core/escapes.h"
#include "core/replace_many.h"
#include "core/replacement_table.h"
#include "core/table_check.h"

namespace palimp {

// The row as the engine sees it: a switched-off row, and an extended row with an invalid
// escape, have no phrase (they never match); an extended row's phrase and replacement are
// expanded. The option cell keeps only C and W.
TableRow PassRowOf(const TableRow& row);
std::vector<TableRow> PassRowsOf(std::span<const TableRow> rows);

// The first invalid escape of an extended row that is not switched off: in its phrase
// (column 0) or else in its replacement (column 1).
struct RowEscapeError {
    int column = kSearchColumn;
    EscapeError error;
};
std::optional<RowEscapeError> FindRowEscapeError(const TableRow& row);
// "phrase: " or "replacement: " and EscapeErrorText for the cell.
std::u16string RowEscapeErrorText(const TableRow& row, const RowEscapeError& error);

// The rows Copy All puts on the clipboard: those not switched off, in order.
std::vector<TableRow> RowsSwitchedOn(std::span<const TableRow> rows);

// Count: the replace pass run over a text without using its output. rowHits are the wins of
// each row in the one pass, reach says which rows can never win whatever the text (an empty
// phrase, a switched-off row or a bad escape count as never winning, with no blockers).
struct TableCount {
    std::vector<int> rowHits;
    int found = 0;
    std::vector<RowReach> reach;
    bool cancelled = false;
};
TableCount CountTable(std::span<const TableRow> rows, std::u16string_view text,
                      const ProgressMonitor& monitor = {});

// Why row r (0-based) of rows never wins, for its tooltip: "Switched off", "No search phrase",
// the bad escape, or "Never wins: row 2 ("a") matches first wherever this phrase does" with the
// rows counted from 1 as the grid shows them. Empty for a row that can win.
std::u16string NeverWinsReason(std::span<const TableRow> rows, std::size_t r, const RowReach& reach);

// Space in the grid: switches the rows top..bottom off when any of them is on, else on again.
// Each row's other options stay. Returns whether a row changed.
bool SwitchRows(ReplacementTable& table, int top, int bottom);

}  // namespace palimp
