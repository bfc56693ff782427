// Undo of the table editor's row commands: each command records the table as it was before it,
// and Undo brings those states back one by one, the newest first.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "core/replacement_table.h"

namespace palimp {

class TableHistory {
public:
    // At most this many steps, holding at most this many rows between them, are kept (the
    // newest step always); the oldest go first.
    static constexpr std::size_t kMostSteps = 100;
    static constexpr std::size_t kMostRows = 1'000'000;

    // Before a command changes the table: its rows, preamble and selection as they are now.
    void Record(const ReplacementTable& table);
    // Puts back the table as it was before the newest recorded command; false (and no change)
    // when there is nothing to undo.
    bool Undo(ReplacementTable& table);
    bool CanUndo() const { return !steps_.empty(); }
    std::size_t Steps() const { return steps_.size(); }
    // Forgets every step, as when a table is opened or a new one is started.
    void Clear() {
        steps_.clear();
        rowsKept_ = 0;
    }

private:
    struct Step {
        std::vector<TableRow> rows;
        std::u16string preamble;
        int top, bottom, row;
    };
    std::vector<Step> steps_;
    std::size_t rowsKept_ = 0;
};

}  // namespace palimp
