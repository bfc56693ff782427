// Fuzzes the table model with random command sequences: the table stays valid (header, at least
// one item row, a contiguous selection around the current row), refused commands change
// nothing, moves only reorder rows, and every visible change shows in the revision so the grid
// never misses a repaint.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "core/replacement_table.h"

#include "fuzz_check.h"

namespace {

using palimp::ReplacementTable;
using palimp::TableRow;

struct Snapshot {
    std::vector<TableRow> rows;
    std::u16string preamble;
    int top, bottom, row;
    bool operator==(const Snapshot&) const = default;
};

Snapshot Take(const ReplacementTable& t) {
    return {{t.Rows().begin(), t.Rows().end()}, t.Preamble(), t.Top(), t.Bottom(), t.Row()};
}

void CheckValid(const ReplacementTable& t) {
    FUZZ_CHECK(t.RowCount() >= 2 && t.ItemCount() == t.RowCount() - 1);
    FUZZ_CHECK(1 <= t.Top() && t.Top() <= t.Bottom() && t.Bottom() <= t.ItemCount());
    FUZZ_CHECK(t.Row() == t.Top() || t.Row() == t.Bottom());
    FUZZ_CHECK(t.Cell(0, 0) == u"Search for" && t.Cell(1, 0) == u"Replace with" &&
               t.Cell(2, 0) == u"Options");
}

std::vector<TableRow> Sorted(std::span<const TableRow> rows) {
    std::vector<TableRow> out(rows.begin(), rows.end());
    std::sort(out.begin(), out.end());
    return out;
}

class Commands {
public:
    Commands(const std::uint8_t* data, std::size_t size) : p_(data), end_(data + size) {}
    bool More() const { return p_ < end_; }
    int Byte() { return p_ < end_ ? *p_++ : 0; }
    // A row number around the item range, out-of-range values included.
    int RowArg(const ReplacementTable& t) { return Byte() % (t.RowCount() + 2) - 1; }

private:
    const std::uint8_t* p_;
    const std::uint8_t* end_;
};

void Step(ReplacementTable& t, Commands& in, int& serial) {
    const std::u16string id(1, static_cast<char16_t>(u'0' + ++serial % 64));
    const Snapshot before = Take(t);
    const auto revision = t.Revision();
    const int items = t.ItemCount();
    const int a = in.RowArg(t);
    const int b = in.RowArg(t);
    const bool isItem = 1 <= a && a <= items;
    const bool isRange = isItem && a <= b && b <= items;
    bool refused = false;  // a command whose arguments do not qualify must change nothing
    switch (in.Byte() % 14) {
    case 0: {
        const int count = in.Byte() % 40;
        refused = count < 2;
        t.SetRowCount(count);
        break;
    }
    case 1:  // item cells only: the window writes the captions once
        if (a != 0) t.SetCell(in.Byte() % 4, a, id);
        break;
    case 2: refused = !isItem; t.SetRow(a); break;
    case 3: refused = !isRange; t.SetSelection(a, b); break;
    case 4: refused = !isItem || b < 1 || b > items; t.SelectRange(a, b); break;
    case 5: t.AppendRow(id, u"x", u"C"); break;
    case 6: t.NewTable(); break;
    case 7:
        refused = !isRange || (a == 1 && b == items);
        t.DeleteRows(a, b);
        FUZZ_CHECK(t.ItemCount() == items - (refused ? 0 : b - a + 1));
        break;
    case 8:
        refused = !isRange || a == 1;
        t.MoveRowsUp(a, b);
        FUZZ_CHECK(Sorted(t.Rows()) == Sorted(before.rows));
        break;
    case 9:
        refused = !isRange || b == items;
        t.MoveRowsDown(a, b);
        FUZZ_CHECK(Sorted(t.Rows()) == Sorted(before.rows));
        break;
    case 10:
        t.SwapSearchReplace();
        t.SwapSearchReplace();
        FUZZ_CHECK(Take(t) == before);
        break;
    case 11: t.SelectAllRows(); break;
    case 12: t.SetPreamble(id); break;
    case 13:
        t.SetItems(std::vector<TableRow>(static_cast<size_t>(in.Byte() % 5), TableRow{id}));
        break;
    }
    if (refused) FUZZ_CHECK(Take(t) == before && t.Revision() == revision);
    if (!(Take(t) == before)) FUZZ_CHECK(t.Revision() != revision);
    CheckValid(t);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ReplacementTable table;
    CheckValid(table);
    Commands in(data, size);
    int serial = 0;
    while (in.More()) Step(table, in, serial);
    return 0;
}
