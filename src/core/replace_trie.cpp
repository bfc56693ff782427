// Building the phrase trie: the sorted keys laid out depth first with shared runs on single
// edges, so that building costs one sort and one pass over the key units; then each node's
// lowest row, the ASCII tables of wide nodes, the root table and the filters.
#include "core/replace_trie.h"

#include <algorithm>

namespace palimp::replace_detail {

PhraseTrie::PhraseTrie(std::span<const TrieRow> rows, Keys keys)
    : keys_(keys), pairBits_(0x10000 / 64, 0), tripleBits_(0x10000 / 64, 0) {
    const SortedKeys sorted(rows, keys, SortedKeys::Direction::kForward);
    phrases_ = PhrasesOf(rows);
    empty_ = sorted.Empty();
    allWholeWord_ = !empty_;
    for (std::uint32_t key = 0; key < sorted.Count(); ++key) {
        if ((sorted.Term(key) & kWordFlag) == 0) allWholeWord_ = false;
        AddToFilters(sorted.Key(key));
    }
    BuildNodes(sorted);
    FillMinRows();
    BuildAsciiTables();
    BuildRootTable();
}

namespace {

// The end of the run of sorted keys from first on, and before end, whose unit at depth is
// first's.
std::uint32_t GroupEnd(const SortedKeys& keys, std::uint32_t first, std::uint32_t end,
                       std::uint32_t depth) {
    const char16_t unit = keys.Key(first)[depth];
    std::uint32_t last = first + 1;
    while (last < end && keys.Key(last)[depth] == unit) ++last;
    return last;
}

}  // namespace

void PhraseTrie::BuildNodes(const SortedKeys& keys) {
    // Depth first: a node covers the sorted keys [first, end) that share its prefix of length
    // depth. Keys that end there come first in sorted order and become its terms; the rest
    // split into groups by their next unit, one child per group. A node's children get their
    // records when the node is opened, so they are consecutive; a frame on the stack is an
    // opened node whose children are still to be opened.
    struct Frame {
        std::uint32_t nextKey;  // first key of the next group still to visit
        std::uint32_t end;
        std::uint32_t depth;
        std::uint32_t nextChild;  // record of that group
    };
    std::vector<Frame> stack;
    std::vector<std::uint32_t> edgeDepths;  // by node: the prefix length its edge ends at
    nodes_.reserve(keys.Count() * 2);
    labels_.reserve(keys.Count() * 2);
    edgeDepths.reserve(keys.Count() * 2);
    // The root (kNone) has no record and no terms: no key is empty.
    const auto open = [&](std::uint32_t node, std::uint32_t first, std::uint32_t end,
                          std::uint32_t depth) {
        const std::uint32_t goesOn = node == kNone ? first : AddTerms(node, keys, first, end, depth);
        const std::uint32_t childBegin = AddChildren(keys, goesOn, end, depth, edgeDepths);
        if (node != kNone) {
            nodes_[node].childBegin = childBegin;
            nodes_[node].childCount = static_cast<std::uint32_t>(nodes_.size()) - childBegin;
        }
        stack.push_back({goesOn, end, depth, childBegin});
    };
    open(kNone, 0, keys.Count(), 0);
    rootCount_ = static_cast<std::uint32_t>(nodes_.size());
    while (!stack.empty()) {
        Frame& frame = stack.back();
        if (frame.nextKey >= frame.end) {
            stack.pop_back();
            continue;
        }
        const std::uint32_t first = frame.nextKey;
        const std::uint32_t end = GroupEnd(keys, first, frame.end, frame.depth);
        frame.nextKey = end;
        const std::uint32_t child = frame.nextChild++;
        open(child, first, end, edgeDepths[child]);  // pushes onto the stack: frame is dead
    }
}

std::uint32_t PhraseTrie::AddTerms(std::uint32_t node, const SortedKeys& keys,
                                   std::uint32_t first, std::uint32_t end, std::uint32_t depth) {
    std::uint32_t key = first;
    const auto endsHere = [&] { return key < end && keys.Key(key).size() == depth; };
    if (endsHere()) {
        nodes_[node].firstTerm = keys.Term(key++);
        if (endsHere()) {
            nodes_[node].moreTerms = static_cast<std::uint32_t>(terms_.size());
            for (; endsHere(); ++key) terms_.push_back(keys.Term(key));
            terms_.push_back(kNone);
        }
    }
    return key;
}

std::uint32_t PhraseTrie::AddChildren(const SortedKeys& keys, std::uint32_t first,
                                      std::uint32_t end, std::uint32_t depth,
                                      std::vector<std::uint32_t>& edgeDepths) {
    const auto childBegin = static_cast<std::uint32_t>(nodes_.size());
    for (std::uint32_t group = first; group < end;) {
        const std::uint32_t groupEnd = GroupEnd(keys, group, end, depth);
        const std::u16string_view lowest = keys.Key(group);
        const std::u16string_view highest = keys.Key(groupEnd - 1);
        // Sorted keys with a common prefix share the next unit when the first and the last
        // do; the shortest comes first, so none ends on the way while the first goes on.
        const auto tailBegin = static_cast<std::uint32_t>(tails_.size());
        std::uint32_t edgeEnd = depth + 1;
        while (lowest.size() > edgeEnd && lowest[edgeEnd] == highest[edgeEnd]) {
            tails_.push_back(lowest[edgeEnd++]);
        }
        nodes_.push_back({tailBegin, edgeEnd - depth - 1, kNone, kNone, kNone, 0, 0, kNone});
        labels_.push_back(lowest[depth]);
        edgeDepths.push_back(edgeEnd);
        group = groupEnd;
    }
    return childBegin;
}

void PhraseTrie::FillMinRows() {
    // Children have higher numbers than their parent, so one backward pass does.
    for (std::uint32_t id = static_cast<std::uint32_t>(nodes_.size()); id-- > 0;) {
        Node& node = nodes_[id];
        std::uint32_t lowest = node.firstTerm == kNone ? kNone : RowOf(node.firstTerm);
        for (std::uint32_t child = node.childBegin; child < node.childBegin + node.childCount;
             ++child) {
            lowest = std::min(lowest, nodes_[child].minRow);
        }
        node.minRow = lowest;
    }
}

void PhraseTrie::BuildAsciiTables() {
    for (std::uint32_t id = static_cast<std::uint32_t>(nodes_.size()); id-- > 0;) {
        Node& node = nodes_[id];
        if (node.childCount <= 8 || node.childCount >= 256) continue;
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
    for (char16_t first : RawUnitsOf(key[0], keys_)) {
        if (key.size() == 1) {
            setRun(pairBits_, PairIndex(first, 0), 256);
            setRun(tripleBits_, TripleIndex(first, 0, 0), 1024);
            continue;
        }
        for (char16_t second : RawUnitsOf(key[1], keys_)) {
            setRun(pairBits_, PairIndex(first, second), 1);
            if (key.size() == 2) {
                setRun(tripleBits_, TripleIndex(first, second, 0), 32);
                continue;
            }
            for (char16_t third : RawUnitsOf(key[2], keys_)) {
                setRun(tripleBits_, TripleIndex(first, second, third), 1);
            }
        }
    }
}

void PhraseTrie::BuildRootTable() {
    rootChild_.assign(0x10000, 0);
    for (std::uint32_t id = 0; id < rootCount_; ++id) {
        for (char16_t raw : RawUnitsOf(labels_[id], keys_)) rootChild_[raw] = id + 1;
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
