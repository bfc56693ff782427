// Rows as the pass sees them, and Count.
#include "core/pass_rows.h"

#include <string>

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

namespace {

std::u16string Number(std::size_t n) {
    std::u16string digits;
    for (char c : std::to_string(n)) digits += static_cast<char16_t>(c);
    return digits;
}

}  // namespace

std::u16string NeverWinsReason(std::span<const TableRow> rows, std::size_t r, const RowReach& reach) {
    if (reach.canWin || r >= rows.size()) return {};
    const TableRow& row = rows[r];
    if (IsRowOff(row)) return u"Switched off";
    if (row[kSearchColumn].empty()) return u"No search phrase";
    if (const std::optional<RowEscapeError> error = FindRowEscapeError(row)) {
        return u"Never matches: " + RowEscapeErrorText(row, *error);
    }
    constexpr std::size_t kNamed = 3;
    std::u16string text = u"Never wins: ";
    text += reach.blockers.size() == 1 ? u"row " : u"rows ";
    for (std::size_t i = 0; i < reach.blockers.size() && i < kNamed; ++i) {
        if (i > 0) text += u", ";
        const std::size_t b = reach.blockers[i];
        text += Number(b + 1) + u" (\"" + rows[b][kSearchColumn] + u"\")";
    }
    if (reach.blockers.size() > kNamed) text += u" and " + Number(reach.blockers.size() - kNamed) + u" more";
    text += reach.blockers.size() == 1 ? u" matches" : u" match";
    text += u" first wherever this phrase does";
    return text;
}

bool SwitchRows(ReplacementTable& table, int top, int bottom) {
    if (top < 1 || bottom > table.ItemCount() || top > bottom) return false;
    bool anyOn = false;
    for (int r = top; r <= bottom; ++r) anyOn = anyOn || !HasOption(table.Cell(kOptionsColumn, r), kOptionOff);
    for (int r = top; r <= bottom; ++r) {
        table.SetCell(kOptionsColumn, r, WithOption(table.Cell(kOptionsColumn, r), kOptionOff, anyOn));
    }
    return true;
}

}  // namespace palimp
