// Rows as the pass sees them, and Count.
#include "core/pass_rows.h"

namespace palimp {

TableRow PassRowOf(const TableRow& row) {
    const std::u16string& options = row[kOptionsColumn];
    TableRow seen{row[kSearchColumn], row[kReplaceColumn], ComposeOptions(u"", true, HasOption(options, kOptionCase),
                                                                         true, HasOption(options, kOptionWord))};
    if (IsRowOff(row)) {
        seen[kSearchColumn].clear();
    } else if (HasOption(options, kOptionExtended)) {
        std::optional<std::u16string> search = ExpandEscapes(row[kSearchColumn]);
        std::optional<std::u16string> replace = ExpandEscapes(row[kReplaceColumn]);
        if (search && replace) {
            seen[kSearchColumn] = std::move(*search);
            seen[kReplaceColumn] = std::move(*replace);
        } else {
            seen[kSearchColumn].clear();
        }
    }
    return seen;
}

std::vector<TableRow> PassRowsOf(std::span<const TableRow> rows) {
    std::vector<TableRow> seen;
    seen.reserve(rows.size());
    for (const TableRow& row : rows) seen.push_back(PassRowOf(row));
    return seen;
}

std::optional<RowEscapeError> FindRowEscapeError(const TableRow& row) {
    if (IsRowOff(row) || !HasOption(row[kOptionsColumn], kOptionExtended)) return std::nullopt;
    for (int column : {kSearchColumn, kReplaceColumn}) {
        EscapeError error;
        if (!ExpandEscapes(row[column], &error)) return RowEscapeError{column, error};
    }
    return std::nullopt;
}

std::u16string RowEscapeErrorText(const TableRow& row, const RowEscapeError& error) {
    std::u16string text = error.column == kSearchColumn ? u"phrase: " : u"replacement: ";
    return text + EscapeErrorText(row[error.column], error.error);
}

std::vector<TableRow> RowsSwitchedOn(std::span<const TableRow> rows) {
    std::vector<TableRow> on;
    for (const TableRow& row : rows) {
        if (!IsRowOff(row)) on.push_back(row);
    }
    return on;
}

TableCount CountTable(std::span<const TableRow> rows, std::u16string_view text, const ProgressMonitor& monitor) {
    TableCount count;
    const ReplaceManyEngine engine(rows);
    ReplaceResult result = engine.Run(text, monitor);
    count.rowHits = std::move(result.rowHits);
    count.rowHits.resize(rows.size());
    count.found = result.found;
    count.cancelled = result.cancelled;
    count.reach = FindRowsThatNeverWin(PassRowsOf(rows));
    return count;
}

}  // namespace palimp
