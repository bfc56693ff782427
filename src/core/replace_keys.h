// What the replace-many engine's two finders share: the rows as they see them, the key mode,
// the packing of a row and its options into one term, and the table's keys gathered and sorted
// once, from which each finder builds its trie.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "core/unicode_lookup.h"

namespace palimp::replace_detail {

// No node, state, edge or row.
inline constexpr std::uint32_t kNone = 0xFFFFFFFFu;

// A row's term: row << 2 | flags, so that terms compare as their rows do, and the flags say
// which checks a key occurrence still needs before the row matches there.
inline constexpr std::uint32_t kCaseFlag = 1;
inline constexpr std::uint32_t kWordFlag = 2;
inline constexpr std::uint32_t kFlagBits = kCaseFlag | kWordFlag;
// Rows a term can name.
inline constexpr std::size_t kMaxRows = std::size_t{1} << 30;

inline constexpr std::uint32_t TermOf(std::uint32_t row, bool caseSensitive, bool wholeWord) {
    return row << 2 | (caseSensitive ? kCaseFlag : 0u) | (wholeWord ? kWordFlag : 0u);
}
inline constexpr std::uint32_t RowOf(std::uint32_t term) { return term >> 2; }

// One table row as the finders see it; the view must outlive them. A row with an empty phrase
// takes no part in matching.
struct TrieRow {
    std::u16string_view phrase;
    bool caseSensitive = false;
    bool wholeWord = false;
};

// The row that wins at a text position and the length of its phrase.
struct TrieHit {
    std::uint32_t row = 0;
    std::size_t length = 0;
};

// Exact keys compare units as they stand and may serve only tables whose every row is case
// sensitive; folded keys compare FoldCase of each unit and serve any table.
enum class Keys { kExact, kFolded };

inline char16_t KeyUnit(char16_t unit, Keys keys) {
    return keys == Keys::kFolded ? FoldUnit(unit) : unit;
}

// The raw text units that match the key unit: itself for exact keys, every unit that folds to
// it for folded ones. The span may point at key.
std::span<const char16_t> RawUnitsOf(const char16_t& key, Keys keys);

// Where key stands among the sorted labels[begin, end), or kNone when it is not there: a scan
// for a few labels, a binary search for more.
inline std::uint32_t FindSortedLabel(const char16_t* labels, std::uint32_t begin,
                                     std::uint32_t end, char16_t key) {
    if (end - begin <= 8) {
        for (std::uint32_t c = begin; c < end; ++c) {
            if (labels[c] == key) return c;
        }
        return kNone;
    }
    std::uint32_t low = begin, high = end;
    while (low < high) {
        const std::uint32_t mid = low + (high - low) / 2;
        if (labels[mid] < key) {
            low = mid + 1;
        } else {
            high = mid;
        }
    }
    return low < end && labels[low] == key ? low : kNone;
}

// The phrases by row, for the exact comparison that folded hits of case-sensitive rows need.
std::vector<std::u16string_view> PhrasesOf(std::span<const TrieRow> rows);

// The key of every row with a phrase, in key units (folded or exact), read forwards or, for
// the backward automaton, backwards; sorted by their units, equal keys in table order, and
// stored back to back in that order, so that building a trie reads them front to back and the
// rows that end at one node come out lowest first.
//
// The rows "ab" (C), "B" and "a" with folded keys give, forwards, "a" (row 2), "ab" (row 0,
// kCaseFlag) and "b" (row 1); backwards, "a" (row 2), "b" (row 1) and "ba" (row 0).
class SortedKeys {
public:
    enum class Direction { kForward, kReversed };

    // Throws std::length_error when a term cannot name every row or the keys' units cannot
    // all be numbered with 32 bits.
    SortedKeys(std::span<const TrieRow> rows, Keys keys, Direction direction);

    std::uint32_t Count() const { return static_cast<std::uint32_t>(terms_.size()); }
    bool Empty() const { return terms_.empty(); }
    // The key at place in sorted order and its row's term.
    std::u16string_view Key(std::uint32_t place) const {
        return {units_.data() + begin_[place], begin_[place + 1] - begin_[place]};
    }
    std::uint32_t Term(std::uint32_t place) const { return terms_[place]; }
    // All keys' units together, and the longest key's.
    std::size_t TotalUnits() const { return units_.size(); }
    std::size_t Longest() const { return longest_; }

private:
    std::vector<char16_t> units_;
    std::vector<std::uint32_t> begin_;  // by place, and one past the last key
    std::vector<std::uint32_t> terms_;
    std::size_t longest_ = 0;
};

}  // namespace palimp::replace_detail
