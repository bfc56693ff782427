// Building the phrase trie: keys sorted once, then laid out depth first with shared runs on
// single edges, so that building costs one sort and one pass over the key units.
#include "core/replace_trie.h"

#include <algorithm>
#include <stdexcept>

namespace palimp::replace_detail {

namespace {

// For every folded unit, the units that fold to it ('k': 'k', 'K', U+212A), so that the
// filters, which look at raw text units, can be filled from folded keys.
struct FoldPreimages {
    std::vector<std::uint32_t> begin;  // units of k are units[begin[k], begin[k + 1])
    std::vector<char16_t> units;

    FoldPreimages() : begin(0x10001, 0), units(0x10000) {
        for (unsigned u = 0; u < 0x10000; ++u) ++begin[FoldUnit(static_cast<char16_t>(u)) + 1];
        for (unsigned k = 0; k < 0x10000; ++k) begin[k + 1] += begin[k];
        std::vector<std::uint32_t> fill(begin.begin(), begin.end() - 1);
        for (unsigned u = 0; u < 0x10000; ++u) {
            units[fill[FoldUnit(static_cast<char16_t>(u))]++] = static_cast<char16_t>(u);
        }
    }
};

const FoldPreimages& Preimages() {
    static const FoldPreimages preimages;
    return preimages;
}

}  // namespace

std::span<const char16_t> RawUnitsOf(const char16_t& key, PhraseTrie::Keys keys) {
    if (keys == PhraseTrie::Keys::kExact) return std::span<const char16_t>(&key, 1);
    const FoldPreimages& pre = Preimages();
    return std::span<const char16_t>(pre.units.data() + pre.begin[key],
                                     pre.begin[key + 1] - pre.begin[key]);
}

PhraseTrie::PhraseTrie(std::span<const TrieRow> rows, Keys keys)
    : keys_(keys), pairBits_(0x10000 / 64, 0), tripleBits_(0x10000 / 64, 0) {
    Build(rows);
    BuildRootTable();
}

void PhraseTrie::Build(std::span<const TrieRow> rows) {
    if (rows.size() >= kMaxRows) throw std::length_error("too many table rows");

    // The keys of all rows with a phrase, back to back.
    std::size_t totalUnits = 0;
    for (const TrieRow& row : rows) totalUnits += row.phrase.size();
    if (totalUnits >= kNone - 2) throw std::length_error("table phrases too long");
    std::vector<char16_t> keyText;
    keyText.reserve(totalUnits);
    std::vector<std::uint32_t> keyBegin(rows.size() + 1, 0);
    std::vector<std::uint32_t> order;
    order.reserve(rows.size());
    phrases_.resize(rows.size());
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const std::u16string_view phrase = rows[r].phrase;
        phrases_[r] = phrase;
        keyBegin[r] = static_cast<std::uint32_t>(keyText.size());
        if (phrase.empty()) continue;
        order.push_back(static_cast<std::uint32_t>(r));
        if (!rows[r].wholeWord) allWholeWord_ = false;
        for (char16_t unit : phrase) {
            keyText.push_back(keys_ == Keys::kFolded ? FoldUnit(unit) : unit);
        }
        AddToFilters(std::u16string_view(keyText.data() + keyBegin[r], phrase.size()));
    }
    keyBegin[rows.size()] = static_cast<std::uint32_t>(keyText.size());
    empty_ = order.empty();
    if (empty_) allWholeWord_ = false;

    // Sorting compares the first four units packed in one integer and looks at the keys
    // themselves only when those agree; equal keys keep table order, so each node's rows come
    // out sorted by row.
    const auto keyOf = [&](std::uint32_t row) {
        return std::u16string_view(keyText.data() + keyBegin[row],
                                   keyBegin[row + 1] - keyBegin[row]);
    };
    struct SortItem {
        std::uint64_t prefix;
        std::uint32_t row;
    };
    std::vector<SortItem> items;
    items.reserve(order.size());
    for (std::uint32_t row : order) {
        const std::u16string_view k = keyOf(row);
        std::uint64_t prefix = 0;
        for (std::size_t u = 0; u < 4; ++u) prefix = prefix << 16 | (u < k.size() ? k[u] : 0u);
        items.push_back({prefix, row});
    }
    std::sort(items.begin(), items.end(), [&](const SortItem& a, const SortItem& b) {
        if (a.prefix != b.prefix) return a.prefix < b.prefix;
        const int c = keyOf(a.row).compare(keyOf(b.row));
        return c != 0 ? c < 0 : a.row < b.row;
    });
    // The keys again, now in sorted order, so that building reads them front to back.
    std::vector<char16_t> sortedText;
    sortedText.reserve(keyText.size());
    std::vector<std::uint32_t> sortedBegin;
    sortedBegin.reserve(order.size() + 1);
    for (std::size_t k = 0; k < items.size(); ++k) {
        order[k] = items[k].row;
        sortedBegin.push_back(static_cast<std::uint32_t>(sortedText.size()));
        const std::u16string_view k16 = keyOf(items[k].row);
        sortedText.insert(sortedText.end(), k16.begin(), k16.end());
    }
    sortedBegin.push_back(static_cast<std::uint32_t>(sortedText.size()));
    const auto key = [&](std::uint32_t k) {  // k-th key in sorted order
        return std::u16string_view(sortedText.data() + sortedBegin[k],
                                   sortedBegin[k + 1] - sortedBegin[k]);
    };
    const auto unitAt = [&](std::uint32_t k, std::uint32_t depth) { return key(k)[depth]; };
    const auto termOf = [&](std::uint32_t row) {
        return row << 2 | (rows[row].caseSensitive ? kCaseFlag : 0u) |
               (rows[row].wholeWord ? kWordFlag : 0u);
    };

    // Depth first: a node covers the sorted keys order[lo, hi) that share its prefix of length
    // depth. Keys that end there come first in sorted order and become its rows; the rest split
    // into groups by their next unit, one child per group, and the edge into the child takes
    // on every further unit its whole group shares. A node's children get their records when
    // the node is opened, so they are consecutive.
    struct Frame {
        std::uint32_t next;  // first key of the next group still to visit
        std::uint32_t hi;
        std::uint32_t depth;
        std::uint32_t child;  // record of that group
    };
    std::vector<Frame> stack;
    std::vector<std::uint32_t> depthAt;  // by node: the prefix length its edge ends at
    nodes_.reserve(order.size() * 2);
    labels_.reserve(order.size() * 2);
    depthAt.reserve(order.size() * 2);
    // Records node's rows (kNone: the root, which has none), then its children.
    const auto open = [&](std::uint32_t node, std::uint32_t lo, std::uint32_t hi,
                          std::uint32_t depth) {
        std::uint32_t k = lo;
        if (node != kNone && k < hi && key(k).size() == depth) {
            nodes_[node].firstTerm = termOf(order[k++]);
            if (k < hi && key(k).size() == depth) {
                nodes_[node].moreTerms = static_cast<std::uint32_t>(terms_.size());
                for (; k < hi && key(k).size() == depth; ++k) terms_.push_back(termOf(order[k]));
                terms_.push_back(kNone);
            }
        }
        const auto childBegin = static_cast<std::uint32_t>(nodes_.size());
        for (std::uint32_t g = k; g < hi;) {
            const char16_t unit = unitAt(g, depth);
            std::uint32_t end = g + 1;
            while (end < hi && unitAt(end, depth) == unit) ++end;
            // Sorted keys with a common prefix share the next unit when the first and the last
            // do; the shortest comes first, so none ends on the way while the first goes on.
            const auto tailBegin = static_cast<std::uint32_t>(tails_.size());
            std::uint32_t d = depth + 1;
            while (key(g).size() > d && unitAt(g, d) == unitAt(end - 1, d)) {
                tails_.push_back(unitAt(g, d++));
            }
            nodes_.push_back({tailBegin, d - depth - 1, kNone, kNone, kNone, 0, 0, kNone});
            labels_.push_back(unit);
            depthAt.push_back(d);
            g = end;
        }
        if (node != kNone) {
            nodes_[node].childBegin = childBegin;
            nodes_[node].childCount = static_cast<std::uint32_t>(nodes_.size()) - childBegin;
        }
        stack.push_back({k, hi, depth, childBegin});
    };
    open(kNone, 0, static_cast<std::uint32_t>(order.size()), 0);
    rootCount_ = static_cast<std::uint32_t>(nodes_.size());
    while (!stack.empty()) {
        Frame& frame = stack.back();
        if (frame.next >= frame.hi) {
            stack.pop_back();
            continue;
        }
        const std::uint32_t lo = frame.next;
        const char16_t unit = unitAt(lo, frame.depth);
        std::uint32_t end = lo + 1;
        while (end < frame.hi && unitAt(end, frame.depth) == unit) ++end;
        frame.next = end;
        const std::uint32_t child = frame.child++;
        open(child, lo, end, depthAt[child]);  // pushes onto the stack: frame is dead
    }

    // Children have higher numbers than their parent, so one backward pass fills minRow.
    for (std::uint32_t id = static_cast<std::uint32_t>(nodes_.size()); id-- > 0;) {
        Node& node = nodes_[id];
        std::uint32_t low = node.firstTerm == kNone ? kNone : node.firstTerm >> 2;
        for (std::uint32_t c = node.childBegin; c < node.childBegin + node.childCount; ++c) {
            low = std::min(low, nodes_[c].minRow);
        }
        node.minRow = low;
        if (node.childCount > 8 && node.childCount < 256) {
            node.asciiTable = static_cast<std::uint32_t>(asciiChildren_.size());
            asciiChildren_.resize(asciiChildren_.size() + 128, 0);
            for (std::uint32_t place = 0; place < node.childCount; ++place) {
                const char16_t label = labels_[node.childBegin + place];
                if (label < 128) {
                    asciiChildren_[node.asciiTable + label] = static_cast<std::uint8_t>(place + 1);
                }
            }
        }
    }
}

void PhraseTrie::AddToFilters(std::u16string_view key) {
    // A key shorter than the filter's reach lets any unit follow; filling all those bits is a
    // run of whole words since the last hashed unit owns the lowest bits.
    const auto setRun = [](std::vector<std::uint64_t>& bits, unsigned first, unsigned count) {
        for (unsigned index = first; index < first + count;) {
            if ((index & 63) == 0 && first + count - index >= 64) {
                bits[index >> 6] = ~std::uint64_t{0};
                index += 64;
            } else {
                bits[index >> 6] |= std::uint64_t{1} << (index & 63);
                ++index;
            }
        }
    };
    for (char16_t a : RawUnitsOf(key[0], keys_)) {
        if (key.size() == 1) {
            setRun(pairBits_, PairIndex(a, 0), 256);
            setRun(tripleBits_, TripleIndex(a, 0, 0), 1024);
            continue;
        }
        for (char16_t b : RawUnitsOf(key[1], keys_)) {
            setRun(pairBits_, PairIndex(a, b), 1);
            if (key.size() == 2) {
                setRun(tripleBits_, TripleIndex(a, b, 0), 32);
                continue;
            }
            for (char16_t c : RawUnitsOf(key[2], keys_)) {
                setRun(tripleBits_, TripleIndex(a, b, c), 1);
            }
        }
    }
}

void PhraseTrie::BuildRootTable() {
    rootChild_.assign(0x10000, 0);
    for (std::uint32_t id = 0; id < rootCount_; ++id) {
        for (char16_t u : RawUnitsOf(labels_[id], keys_)) rootChild_[u] = id + 1;
    }
}

bool PhraseTrie::AnyKeyIn(const char16_t* t, std::size_t n, std::size_t from,
                          std::size_t to) const {
    if (from >= to || Empty()) return false;
    for (std::size_t i = NextCandidate<false>(t, n, from, to); i < to;
         i = NextCandidate<false>(t, n, i + 1, to)) {
        if (keys_ == Keys::kFolded ? AnyKeyAt<Keys::kFolded>(t, n, i)
                                   : AnyKeyAt<Keys::kExact>(t, n, i)) {
            return true;
        }
    }
    return false;
}

}  // namespace palimp::replace_detail
