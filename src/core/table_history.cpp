// Snapshots of the table before each row command.
#include "core/table_history.h"

namespace palimp {

void TableHistory::Record(const ReplacementTable& table) {
    steps_.push_back({std::vector<TableRow>(table.Items().begin(), table.Items().end()), table.Preamble(),
                      table.Top(), table.Bottom(), table.Row()});
    rowsKept_ += steps_.back().rows.size();
    // A 32-bit program keeps few copies of a large table: the newest step always stays.
    while (steps_.size() > 1 && (steps_.size() > kMostSteps || rowsKept_ > kMostRows)) {
        rowsKept_ -= steps_.front().rows.size();
        steps_.erase(steps_.begin());
    }
}

bool TableHistory::Undo(ReplacementTable& table) {
    if (steps_.empty()) return false;
    Step step = std::move(steps_.back());
    steps_.pop_back();
    rowsKept_ -= step.rows.size();
    table.SetItems(std::move(step.rows));
    table.SetPreamble(std::move(step.preamble));
    // The selection as it was, its current row at the same end.
    table.SelectRange(step.row == step.top ? step.bottom : step.top, step.row);
    return true;
}

}  // namespace palimp
