// The search side of the replace-many engine: a path-compressed trie over the table's phrases,
// keyed by folded or exact units and stored depth first in flat arrays, with two- and three-unit
// filters that let the scan skip text where no phrase can begin.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "core/replace_keys.h"

namespace palimp::replace_detail {

// A hint to start loading memory that will soon be read.
inline void Prefetch(const void* address) {
#if defined(__GNUC__) || defined(__clang__)
    __builtin_prefetch(address);
#else
    (void)address;
#endif
}

class PhraseTrie {
public:
    PhraseTrie(std::span<const TrieRow> rows, Keys keys);

    Keys KeyMode() const { return keys_; }
    // The nodes the trie would have with one unit per edge: one more than the distinct
    // non-empty key prefixes.
    std::size_t UnitNodes() const { return 1 + nodes_.size() + tails_.size(); }
    bool Empty() const { return empty_; }
    // Every row with a phrase is whole-words-only: no match can begin right after a word unit.
    bool AllWholeWord() const { return allWholeWord_; }

    // The first i in [from, to) at which some key may begin, or to. Never passes over a
    // position where a key occurs; with kWordStartsOnly it also passes over every position
    // right after a word unit. Requires 1 <= n and to <= n.
    template <bool kWordStartsOnly>
    std::size_t NextCandidate(const char16_t* t, std::size_t n, std::size_t from,
                              std::size_t to) const;

    // The lowest row whose phrase matches at i under that row's own options (exact or folded
    // comparison; whole words judged by the units of t just outside the run). False when no
    // row matches. K must be the trie's key mode.
    template <Keys K>
    bool BestAt(const char16_t* t, std::size_t n, std::size_t i, TrieHit& hit) const;

    // Whether some row's key occurs at a position in [from, to) of t[0, n), options ignored:
    // with folded keys, whether some phrase occurs there when case is ignored.
    bool AnyKeyIn(const char16_t* t, std::size_t n, std::size_t from, std::size_t to) const;

private:
    // A node with the edge that leads to it: the root has no record, and every other node has
    // exactly one incoming edge. Nodes exist only where a key ends or keys part; a run of units
    // that every key below shares sits on one edge: its first unit in labels_, the rest in
    // tails_. Everything a walk needs at a node is in its one record: minRow, the lowest row
    // ending in the subtree, lets the walk stop once it cannot improve on what it has. A
    // node's children are consecutive records (with their labels sorted), and a run of
    // single children follows its parent, so a chain is read in order.
    struct Node {
        std::uint32_t tailBegin;
        std::uint32_t tailLength;
        std::uint32_t minRow;
        std::uint32_t firstTerm;  // the lowest row ending here, or kNone
        std::uint32_t moreTerms;  // further rows ending here: terms_ from here to a kNone; or kNone
        std::uint32_t childBegin;
        std::uint32_t childCount;
        std::uint32_t
            asciiTable;  // a wide node's child by ASCII key: asciiChildren_ offset, or kNone
    };

    // The building steps, in the order the constructor takes them.
    // Marks the first units of key in the filters.
    void AddToFilters(std::u16string_view key);
    // Lays the nodes out depth first from the sorted keys.
    void BuildNodes(const SortedKeys& keys);
    // Gives node the terms of the keys among [first, end) that end at depth, which come first;
    // returns the first key that goes on.
    std::uint32_t AddTerms(std::uint32_t node, const SortedKeys& keys, std::uint32_t first,
                           std::uint32_t end, std::uint32_t depth);
    // Adds one record per group of the keys [first, end) that share their unit at depth, with
    // the run the whole group shares after it on the edge, and notes at which depth each edge
    // ends in edgeDepths; returns the first record's number.
    std::uint32_t AddChildren(const SortedKeys& keys, std::uint32_t first, std::uint32_t end,
                              std::uint32_t depth, std::vector<std::uint32_t>& edgeDepths);
    void FillMinRows();
    void BuildAsciiTables();
    void BuildRootTable();
    // The child of node reached by key, or kNone.
    std::uint32_t FindChild(const Node& node, char16_t key) const;
    // Matches the edge units of node after its first against t from j; false when they differ
    // or the text ends first.
    template <Keys K>
    bool MatchTail(const Node& node, const char16_t* t, std::size_t n, std::size_t j) const;
    template <Keys K>
    bool Verify(std::uint32_t term, const char16_t* t, std::size_t n, std::size_t i,
                std::size_t length) const;
    template <Keys K>
    bool AnyKeyAt(const char16_t* t, std::size_t n, std::size_t i) const;
    // The filters hash two and three units to 16 bits each: the pair by the low bytes, the
    // triple by the low 6, 5 and 5 bits (which keep ASCII letters apart and put both cases of
    // a letter together).
    static unsigned PairIndex(unsigned first, unsigned second) {
        return ((first & 0xFFu) << 8) | (second & 0xFFu);
    }
    static unsigned TripleIndex(unsigned first, unsigned second, unsigned third) {
        return ((first & 0x3Fu) << 10) | ((second & 0x1Fu) << 5) | (third & 0x1Fu);
    }
    static bool Bit(const std::vector<std::uint64_t>& bits, unsigned index) {
        return (bits[index >> 6] >> (index & 63)) & 1u;
    }

    Keys keys_;
    bool allWholeWord_ = true;
    bool empty_ = true;
    std::vector<std::u16string_view> phrases_;  // by row, for exact comparison of folded hits
    std::vector<Node> nodes_;                   // the root's children come first
    std::vector<char16_t> labels_;              // by node: the first unit of its edge
    std::vector<char16_t> tails_;
    std::vector<std::uint32_t> terms_;
    // For nodes with more children than a scan should pass over: 128 entries each, the child's
    // place among its siblings + 1 for every ASCII key (0: no child), so the commonest keys of
    // the busiest nodes need no search.
    std::vector<std::uint8_t> asciiChildren_;
    std::uint32_t rootCount_ = 0;            // the root's children are nodes [0, rootCount_)
    std::vector<std::uint32_t> rootChild_;   // text unit -> root child + 1, 0 = none
    std::vector<std::uint64_t> pairBits_;    // 65,536 bits
    std::vector<std::uint64_t> tripleBits_;  // 65,536 bits
};

template <bool kWordStartsOnly>
inline std::size_t PhraseTrie::NextCandidate(const char16_t* t, std::size_t n, std::size_t from,
                                             std::size_t to) const {
    // Two and three neighbouring units rule out most positions with a bit test each; the last
    // unit of the text has no neighbour and is looked up in the root table instead.
    const std::size_t pairEnd = to < n ? to : n - 1;
    std::size_t i = from;
    for (; i < pairEnd; ++i) {
        if (!Bit(pairBits_, PairIndex(t[i], t[i + 1]))) continue;
        if (i + 2 < n && !Bit(tripleBits_, TripleIndex(t[i], t[i + 1], t[i + 2]))) continue;
        if (kWordStartsOnly && i > 0 && IsWordUnit(t[i - 1])) continue;
        return i;
    }
    if (i < to && rootChild_[t[i]] != 0 && !(kWordStartsOnly && i > 0 && IsWordUnit(t[i - 1]))) {
        return i;
    }
    return to;
}

inline std::uint32_t PhraseTrie::FindChild(const Node& node, char16_t key) const {
    const std::uint32_t begin = node.childBegin;
    const std::uint32_t end = begin + node.childCount;
    if (node.childCount > 8 && key < 128 && node.asciiTable != kNone) {
        const std::uint32_t place = asciiChildren_[node.asciiTable + key];
        return place == 0 ? kNone : begin + place - 1;
    }
    return FindSortedLabel(labels_.data(), begin, end, key);
}

template <Keys K>
inline bool PhraseTrie::MatchTail(const Node& node, const char16_t* t, std::size_t n,
                                  std::size_t j) const {
    const std::size_t length = node.tailLength;
    if (length == 0) return true;
    if (length > n - j) return false;
    const char16_t* tail = tails_.data() + node.tailBegin;
    for (std::size_t k = 0; k < length; ++k) {
        const char16_t unit = K == Keys::kFolded ? FoldUnit(t[j + k]) : t[j + k];
        if (unit != tail[k]) return false;
    }
    return true;
}

template <Keys K>
inline bool PhraseTrie::Verify(std::uint32_t term, const char16_t* t, std::size_t n, std::size_t i,
                               std::size_t length) const {
    if (term & kWordFlag) {
        if (i > 0 && IsWordUnit(t[i - 1])) return false;
        if (i + length < n && IsWordUnit(t[i + length])) return false;
    }
    if (K == Keys::kFolded && (term & kCaseFlag)) {
        const char16_t* phrase = phrases_[RowOf(term)].data();
        for (std::size_t k = 0; k < length; ++k) {
            if (phrase[k] != t[i + k]) return false;
        }
    }
    return true;
}

template <Keys K>
inline bool PhraseTrie::BestAt(const char16_t* t, std::size_t n, std::size_t i,
                               TrieHit& hit) const {
    const std::uint32_t first = rootChild_[t[i]];
    if (first == 0) return false;
    std::uint32_t id = first - 1;
    std::uint32_t best = kNone;  // as a term, flags clear
    std::size_t depth = 0;       // units matched before the edge into node id
    for (;;) {
        // The edge's first unit matches t[i + depth]; the rest of it must match too.
        const Node& node = nodes_[id];
        // The children lie elsewhere in a large table; start loading them while this node's
        // edge and rows are checked.
        Prefetch(nodes_.data() + node.childBegin);
        Prefetch(labels_.data() + node.childBegin);
        if (!MatchTail<K>(node, t, n, i + depth + 1)) break;
        depth += 1 + node.tailLength;
        if (TermOf(node.minRow, false, false) >= best) break;
        // Rows ending here, lowest first: the first one verified wins over all below.
        std::uint32_t term = node.firstTerm;
        const std::uint32_t* more =
            node.moreTerms == kNone ? nullptr : terms_.data() + node.moreTerms;
        while (term != kNone && (term | kFlagBits) < (best | kFlagBits)) {
            if (Verify<K>(term, t, n, i, depth)) {
                best = term & ~kFlagBits;
                hit.length = depth;
                break;
            }
            term = more ? *more++ : kNone;
        }
        if (i + depth >= n) break;
        const char16_t unit = t[i + depth];
        id = FindChild(node, K == Keys::kFolded ? FoldUnit(unit) : unit);
        if (id == kNone) break;
    }
    if (best == kNone) return false;
    hit.row = RowOf(best);
    return true;
}

template <Keys K>
inline bool PhraseTrie::AnyKeyAt(const char16_t* t, std::size_t n, std::size_t i) const {
    const std::uint32_t first = rootChild_[t[i]];
    if (first == 0) return false;
    std::uint32_t id = first - 1;
    std::size_t depth = 0;
    for (;;) {
        const Node& node = nodes_[id];
        if (!MatchTail<K>(node, t, n, i + depth + 1)) return false;
        depth += 1 + node.tailLength;
        if (node.firstTerm != kNone) return true;
        if (i + depth >= n) return false;
        const char16_t unit = t[i + depth];
        id = FindChild(node, K == Keys::kFolded ? FoldUnit(unit) : unit);
        if (id == kNone) return false;
    }
}

}  // namespace palimp::replace_detail
