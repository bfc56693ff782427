// Gathering and sorting the table's keys once for whichever finder the engine builds: one sort
// that compares the first four units packed in one integer, then one copy in sorted order.
#include "core/replace_keys.h"

#include <algorithm>
#include <stdexcept>

namespace palimp::replace_detail {

namespace {

// For every folded unit, the units that fold to it ('k': 'k', 'K', U+212A), so that tables of
// raw text units can be filled from folded keys.
struct FoldPreimages {
    std::vector<std::uint32_t> begin;  // units of key are units[begin[key], begin[key + 1])
    std::vector<char16_t> units;

    FoldPreimages() : begin(0x10001, 0), units(0x10000) {
        for (unsigned unit = 0; unit < 0x10000; ++unit) {
            ++begin[FoldUnit(static_cast<char16_t>(unit)) + 1];
        }
        for (unsigned key = 0; key < 0x10000; ++key) begin[key + 1] += begin[key];
        std::vector<std::uint32_t> fill(begin.begin(), begin.end() - 1);
        for (unsigned unit = 0; unit < 0x10000; ++unit) {
            units[fill[FoldUnit(static_cast<char16_t>(unit))]++] = static_cast<char16_t>(unit);
        }
    }
};

const FoldPreimages& Preimages() {
    static const FoldPreimages preimages;
    return preimages;
}

}  // namespace

std::span<const char16_t> RawUnitsOf(const char16_t& key, Keys keys) {
    if (keys == Keys::kExact) return std::span<const char16_t>(&key, 1);
    const FoldPreimages& pre = Preimages();
    return std::span<const char16_t>(pre.units.data() + pre.begin[key],
                                     pre.begin[key + 1] - pre.begin[key]);
}

std::vector<std::u16string_view> PhrasesOf(std::span<const TrieRow> rows) {
    std::vector<std::u16string_view> phrases;
    phrases.reserve(rows.size());
    for (const TrieRow& row : rows) phrases.push_back(row.phrase);
    return phrases;
}

namespace {

// The keys in table order: row r's is units[begin[r], begin[r + 1]), empty for a row without
// a phrase.
struct TableKeys {
    std::vector<char16_t> units;
    std::vector<std::uint32_t> begin;

    std::u16string_view Of(std::uint32_t row) const {
        return {units.data() + begin[row], begin[row + 1] - begin[row]};
    }
};

TableKeys GatherKeys(std::span<const TrieRow> rows, Keys keys, SortedKeys::Direction direction,
                     std::size_t totalUnits) {
    TableKeys table;
    table.units.reserve(totalUnits);
    table.begin.reserve(rows.size() + 1);
    for (const TrieRow& row : rows) {
        table.begin.push_back(static_cast<std::uint32_t>(table.units.size()));
        if (direction == SortedKeys::Direction::kForward) {
            for (char16_t unit : row.phrase) table.units.push_back(KeyUnit(unit, keys));
        } else {
            for (auto unit = row.phrase.rbegin(); unit != row.phrase.rend(); ++unit) {
                table.units.push_back(KeyUnit(*unit, keys));
            }
        }
    }
    table.begin.push_back(static_cast<std::uint32_t>(table.units.size()));
    return table;
}

// The rows with a phrase, sorted by key and equal keys by row. Sorting compares the first four
// units packed in one integer and looks at the keys themselves only when those agree.
std::vector<std::uint32_t> SortedRows(const TableKeys& table) {
    struct SortItem {
        std::uint64_t prefix;
        std::uint32_t row;
    };
    std::vector<SortItem> items;
    const auto rowCount = static_cast<std::uint32_t>(table.begin.size() - 1);
    items.reserve(rowCount);
    for (std::uint32_t row = 0; row < rowCount; ++row) {
        const std::u16string_view key = table.Of(row);
        if (key.empty()) continue;
        std::uint64_t prefix = 0;
        for (std::size_t place = 0; place < 4; ++place) {
            prefix = prefix << 16 | (place < key.size() ? key[place] : 0u);
        }
        items.push_back({prefix, row});
    }
    std::sort(items.begin(), items.end(), [&](const SortItem& x, const SortItem& y) {
        if (x.prefix != y.prefix) return x.prefix < y.prefix;
        const int order = table.Of(x.row).compare(table.Of(y.row));
        return order != 0 ? order < 0 : x.row < y.row;
    });
    std::vector<std::uint32_t> sorted;
    sorted.reserve(items.size());
    for (const SortItem& item : items) sorted.push_back(item.row);
    return sorted;
}

}  // namespace

SortedKeys::SortedKeys(std::span<const TrieRow> rows, Keys keys, Direction direction) {
    if (rows.size() >= kMaxRows) throw std::length_error("too many table rows");
    std::size_t totalUnits = 0;
    for (const TrieRow& row : rows) {
        totalUnits += row.phrase.size();
        longest_ = std::max(longest_, row.phrase.size());
    }
    if (totalUnits >= kNone - 2) throw std::length_error("table phrases too long");

    const TableKeys table = GatherKeys(rows, keys, direction, totalUnits);
    const std::vector<std::uint32_t> sortedRows = SortedRows(table);
    units_.reserve(table.units.size());
    begin_.reserve(sortedRows.size() + 1);
    terms_.reserve(sortedRows.size());
    for (std::uint32_t row : sortedRows) {
        begin_.push_back(static_cast<std::uint32_t>(units_.size()));
        const std::u16string_view key = table.Of(row);
        units_.insert(units_.end(), key.begin(), key.end());
        terms_.push_back(TermOf(row, rows[row].caseSensitive, rows[row].wholeWord));
    }
    begin_.push_back(static_cast<std::uint32_t>(units_.size()));
}

}  // namespace palimp::replace_detail
