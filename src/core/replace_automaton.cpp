// Building and running the backward automaton. Reading the text from right to left, the state
// after the unit at i is the longest key suffix that the text from i begins with, and its
// failure chain holds exactly the keys that occur at i: one step per unit finds every position
// where the trie walk would find something, and no step looks further than one unit.
#include "core/replace_automaton.h"

#include <algorithm>
#include <string_view>

namespace palimp::replace_detail {

namespace {

// Walks restart every block, reading up to the longest key ahead of it, so a block is many
// keys long: at least kMinBlock units, kKeysPerBlock longest keys where that stays below
// kMaxBlock, and never shorter than twice the longest key, so that a restart never costs more
// than half the block whatever the keys' lengths.
constexpr std::size_t kMinBlock = 8192;
constexpr std::size_t kMaxBlock = std::size_t{1} << 22;
constexpr std::size_t kKeysPerBlock = 16;
// Four walks side by side each restart; they pay where their parts are this many keys long.
constexpr std::size_t kKeysPerLane = 4;

// Dense states are compared as signed 32-bit numbers (CandidateFlags), so they stay below 2^31.
constexpr std::size_t kMaxDenseStates = 0x7FFFFFFFu;

// Each text unit gets the class of its key unit: the unit itself, or what it folds to; every
// other unit class 0.
template <class ClassT>
void FillClasses(std::vector<ClassT>& classes, const std::vector<std::uint32_t>& keyClass,
                 Keys keys) {
    classes.assign(0x10000, 0);
    for (unsigned key = 0; key < 0x10000; ++key) {
        if (keyClass[key] == 0) continue;
        const auto unit = static_cast<char16_t>(key);
        for (char16_t raw : RawUnitsOf(unit, keys)) {
            classes[raw] = static_cast<ClassT>(keyClass[key]);
        }
    }
}

// Gives a vector's memory back (assigning {} would keep its capacity).
template <class T>
void Release(std::vector<T>& v) {
    std::vector<T>().swap(v);
}

// Key unit -> class from 1 up, 0 for units no key holds.
std::vector<std::uint32_t> KeyClasses(std::span<const TrieRow> rows, Keys keys,
                                      std::uint32_t& count) {
    std::vector<std::uint32_t> keyClass(0x10000, 0);
    count = 1;
    for (const TrieRow& row : rows) {
        for (char16_t unit : row.phrase) {
            std::uint32_t& unitClass = keyClass[KeyUnit(unit, keys)];
            if (unitClass == 0) unitClass = count++;
        }
    }
    return keyClass;
}

// Sorts items into groups by their node (of nodes), keeping their order within a group:
// returns the groups' offsets, node's items going to [offsets[node], offsets[node + 1]), and
// calls place(item, at) with each item's place.
template <class Item, class NodeOf, class Place>
std::vector<std::uint32_t> GroupByNode(const std::vector<Item>& items, std::size_t nodes,
                                       const NodeOf& nodeOf, const Place& place) {
    std::vector<std::uint32_t> offsets(nodes + 1, 0);
    for (const Item& item : items) ++offsets[nodeOf(item) + 1];
    for (std::size_t node = 0; node < nodes; ++node) offsets[node + 1] += offsets[node];
    std::vector<std::uint32_t> fill(offsets.begin(), offsets.end() - 1);
    for (const Item& item : items) place(item, fill[nodeOf(item)]++);
    return offsets;
}

}  // namespace

std::size_t PhraseAutomaton::ClassCount(std::span<const TrieRow> rows, Keys keys) {
    std::uint32_t count = 0;
    KeyClasses(rows, keys, count);
    return count;
}

std::size_t PhraseAutomaton::Block() const {
    return std::max(std::clamp(kKeysPerBlock * longest_, kMinBlock, kMaxBlock), 2 * longest_);
}

// The trie of the reversed keys with one unit per edge, its nodes numbered in the order the
// sorted keys reach them (the root 0): node's edges are labels and targets[edgeBegin[node],
// edgeBegin[node + 1]), sorted by label, and the terms of the keys that end there, lowest row
// first, terms[termBegin[node], termBegin[node + 1]).
struct PhraseAutomaton::UnitTrie {
    std::vector<std::uint32_t> depth;  // by node
    std::vector<std::uint32_t> edgeBegin;
    std::vector<char16_t> labels;
    std::vector<std::uint32_t> targets;
    std::vector<std::uint32_t> termBegin;
    std::vector<std::uint32_t> terms;

    explicit UnitTrie(const SortedKeys& keys);
    std::uint32_t NodeCount() const { return static_cast<std::uint32_t>(edgeBegin.size() - 1); }
    bool HasTerms(std::uint32_t node) const { return termBegin[node] != termBegin[node + 1]; }
    // node's child by label, or kNone.
    std::uint32_t Child(std::uint32_t node, char16_t label) const {
        const std::uint32_t at = FindSortedLabel(labels.data(), edgeBegin[node],
                                                 edgeBegin[node + 1], label);
        return at == kNone ? kNone : targets[at];
    }
    // What only the outputs need: long keys make these as long as the key units.
    void ReleaseDepthsAndTerms() {
        Release(depth);
        Release(termBegin);
        Release(terms);
    }
};

// By node: the failure link, the node of the longest proper suffix of node's key prefix, and
// the dictionary link, the nearest node down the failure chain where keys end (kNone if none);
// and the nodes in breadth-first order, the root first, which has every node's failure ahead
// of it.
struct PhraseAutomaton::Failures {
    std::vector<std::uint32_t> breadthFirst;
    std::vector<std::uint32_t> failure;
    std::vector<std::uint32_t> dictionary;

    explicit Failures(const UnitTrie& trie);
};

// The automaton's number of each node: the states without outputs first, then those with
// outputs, each part in breadth-first order, so that one comparison tells a candidate.
struct PhraseAutomaton::Numbering {
    std::vector<std::uint32_t> stateOf;  // by node
    std::uint32_t plainCount = 0;        // states without outputs

    Numbering(const UnitTrie& trie, const Failures& failures);
    // The Output record of a node with outputs.
    std::uint32_t OutputOf(std::uint32_t node) const { return stateOf[node] - plainCount; }
};

PhraseAutomaton::UnitTrie::UnitTrie(const SortedKeys& keys) {
    // Each key shares the path of its common prefix with the key before it and adds nodes for
    // the rest. Edges come out in key order, so every node's edges are sorted by unit, and
    // each node's terms by row.
    struct Edge {
        std::uint32_t parent;
        char16_t label;
        std::uint32_t child;
    };
    struct End {
        std::uint32_t node, term;
    };
    std::vector<Edge> edges;
    std::vector<End> ends;
    std::vector<std::uint32_t> path(1, 0);  // the previous key's nodes by depth
    // At most one node per key unit: reserved, since doubling would hold up to three times
    // the room while the vectors grow.
    depth.reserve(keys.TotalUnits() + 1);
    depth.push_back(0);
    edges.reserve(keys.TotalUnits());
    path.reserve(keys.Longest() + 1);
    ends.reserve(keys.Count());
    std::u16string_view previous;
    for (std::uint32_t place = 0; place < keys.Count(); ++place) {
        const std::u16string_view key = keys.Key(place);
        std::size_t common = 0;
        const std::size_t most = std::min(previous.size(), key.size());
        while (common < most && previous[common] == key[common]) ++common;
        path.resize(common + 1);
        for (std::size_t at = common; at < key.size(); ++at) {
            const auto node = static_cast<std::uint32_t>(depth.size());
            depth.push_back(static_cast<std::uint32_t>(at + 1));
            edges.push_back({path[at], key[at], node});
            path.push_back(node);
        }
        ends.push_back({path[key.size()], keys.Term(place)});
        previous = key;
    }
    labels.resize(edges.size());
    targets.resize(edges.size());
    edgeBegin = GroupByNode(
        edges, depth.size(), [](const Edge& edge) { return edge.parent; },
        [&](const Edge& edge, std::uint32_t at) {
            labels[at] = edge.label;
            targets[at] = edge.child;
        });
    Release(edges);
    terms.resize(ends.size());
    termBegin = GroupByNode(
        ends, depth.size(), [](const End& end) { return end.node; },
        [&](const End& end, std::uint32_t at) { terms[at] = end.term; });
}

PhraseAutomaton::Failures::Failures(const UnitTrie& trie)
    : failure(trie.NodeCount(), 0), dictionary(trie.NodeCount(), kNone) {
    // The failure of parent's child by label: the first node down parent's failure chain
    // with an edge by label, that edge's target; the root if none has one.
    const auto failureOf = [&](std::uint32_t parent, char16_t label) -> std::uint32_t {
        if (parent == 0) return 0;
        for (std::uint32_t suffix = failure[parent];; suffix = failure[suffix]) {
            const std::uint32_t child = trie.Child(suffix, label);
            if (child != kNone) return child;
            if (suffix == 0) return 0;
        }
    };
    breadthFirst.reserve(trie.NodeCount());
    breadthFirst.push_back(0);
    for (std::size_t next = 0; next < breadthFirst.size(); ++next) {
        const std::uint32_t parent = breadthFirst[next];
        for (std::uint32_t edge = trie.edgeBegin[parent]; edge < trie.edgeBegin[parent + 1];
             ++edge) {
            const std::uint32_t node = trie.targets[edge];
            const std::uint32_t link = failureOf(parent, trie.labels[edge]);
            failure[node] = link;
            dictionary[node] = trie.HasTerms(link) ? link : dictionary[link];
            breadthFirst.push_back(node);
        }
    }
}

PhraseAutomaton::Numbering::Numbering(const UnitTrie& trie, const Failures& failures)
    : stateOf(trie.NodeCount()) {
    const auto hasOutput = [&](std::uint32_t node) {
        return trie.HasTerms(node) || failures.dictionary[node] != kNone;
    };
    for (std::uint32_t node : failures.breadthFirst) {
        if (!hasOutput(node)) stateOf[node] = plainCount++;
    }
    std::uint32_t state = plainCount;
    for (std::uint32_t node : failures.breadthFirst) {
        if (hasOutput(node)) stateOf[node] = state++;
    }
}

void PhraseAutomaton::FillOutputs(const UnitTrie& trie, const Failures& failures,
                                  const Numbering& numbering) {
    // The records follow breadth-first order, so a record's chain points to records already
    // filled.
    outputs_.resize(trie.NodeCount() - numbering.plainCount);
    for (std::uint32_t node : failures.breadthFirst) {
        if (numbering.stateOf[node] < numbering.plainCount) continue;
        Output& out = outputs_[numbering.OutputOf(node)];
        out.termsBegin = static_cast<std::uint32_t>(terms_.size());
        terms_.insert(terms_.end(), trie.terms.begin() + trie.termBegin[node],
                      trie.terms.begin() + trie.termBegin[node + 1]);
        out.termsEnd = static_cast<std::uint32_t>(terms_.size());
        out.depth = trie.depth[node];
        const std::uint32_t below = failures.dictionary[node];
        out.next = below == kNone ? kNone : numbering.OutputOf(below);
        out.lowest = kNone;
        if (trie.HasTerms(node)) {
            out.lowest = trie.terms[trie.termBegin[node]];
            out.lowestLength = trie.depth[node];
        }
        if (out.next != kNone) {
            const Output& next = outputs_[out.next];
            if (RowOf(next.lowest) < RowOf(out.lowest) || out.lowest == kNone) {
                out.lowest = next.lowest;
                out.lowestLength = next.lowestLength;
            }
        }
    }
}

void PhraseAutomaton::FillDenseRows(const UnitTrie& trie, const Failures& failures,
                                    const Numbering& numbering,
                                    const std::vector<std::uint32_t>& keyClass,
                                    std::uint32_t classCount) {
    // A state's row is its failure's row with its own edges written over it; breadth-first
    // order fills every failure's row first. States are premultiplied by the row width.
    const std::size_t width = classCount;
    classCount_ = classCount;
    classReciprocal_ = ((std::uint64_t{1} << 32) + width - 1) / width;
    firstOutput_ = static_cast<std::uint32_t>(numbering.plainCount * width);
    next_.assign(trie.NodeCount() * width, 0);
    for (std::uint32_t node : failures.breadthFirst) {
        std::uint32_t* row = next_.data() + numbering.stateOf[node] * width;
        if (node != 0) {
            std::copy_n(next_.data() + numbering.stateOf[failures.failure[node]] * width, width,
                        row);
        }
        for (std::uint32_t edge = trie.edgeBegin[node]; edge < trie.edgeBegin[node + 1]; ++edge) {
            row[keyClass[trie.labels[edge]]] =
                static_cast<std::uint32_t>(numbering.stateOf[trie.targets[edge]] * width);
        }
    }
    if (width <= 0x100) {
        FillClasses(narrowClasses_, keyClass, keys_);
    } else {
        FillClasses(wideClasses_, keyClass, keys_);
    }
}

void PhraseAutomaton::FillSparseRows(const UnitTrie& trie, const Failures& failures,
                                     const Numbering& numbering) {
    // The same states and outputs, with the edges and failure links renumbered.
    const std::uint32_t states = trie.NodeCount();
    firstOutput_ = numbering.plainCount;
    std::vector<std::uint32_t> nodeOf(states);
    for (std::uint32_t node = 0; node < states; ++node) nodeOf[numbering.stateOf[node]] = node;
    fail_.resize(states);
    edgeBegin_.resize(states + 1);
    edgeLabels_.reserve(trie.labels.size());
    edgeTargets_.reserve(trie.targets.size());
    for (std::uint32_t state = 0; state < states; ++state) {
        const std::uint32_t node = nodeOf[state];
        fail_[state] = numbering.stateOf[failures.failure[node]];
        edgeBegin_[state] = static_cast<std::uint32_t>(edgeLabels_.size());
        for (std::uint32_t edge = trie.edgeBegin[node]; edge < trie.edgeBegin[node + 1]; ++edge) {
            edgeLabels_.push_back(trie.labels[edge]);
            edgeTargets_.push_back(numbering.stateOf[trie.targets[edge]]);
        }
    }
    edgeBegin_[states] = static_cast<std::uint32_t>(edgeLabels_.size());
    rootNext_.assign(0x10000, 0);
    for (std::uint32_t edge = trie.edgeBegin[0]; edge < trie.edgeBegin[1]; ++edge) {
        rootNext_[trie.labels[edge]] = numbering.stateOf[trie.targets[edge]];
    }
}

// Building takes the steps above in turn: the sorted keys, their trie, its failure links, the
// states' numbers, the outputs, then the dense or the sparse transitions.
std::unique_ptr<PhraseAutomaton> PhraseAutomaton::Build(std::span<const TrieRow> rows,
                                                        Keys keys, Layout layout,
                                                        std::size_t maxDenseEntries) {
    const SortedKeys sorted(rows, keys, SortedKeys::Direction::kReversed);
    if (sorted.Empty()) return nullptr;
    std::unique_ptr<PhraseAutomaton> automaton(new PhraseAutomaton());
    automaton->keys_ = keys;
    automaton->verifyFlags_ = kWordFlag | (keys == Keys::kFolded ? kCaseFlag : 0u);
    automaton->longest_ = sorted.Longest();
    automaton->phrases_ = PhrasesOf(rows);

    UnitTrie trie(sorted);
    Failures failures(trie);
    const Numbering numbering(trie, failures);
    automaton->FillOutputs(trie, failures, numbering);
    trie.ReleaseDepthsAndTerms();
    Release(failures.dictionary);

    // Dense where the table fits (or the caller asks for it and it can be numbered).
    std::uint32_t classCount = 0;
    const std::vector<std::uint32_t> keyClass = KeyClasses(rows, keys, classCount);
    const std::size_t nodes = trie.NodeCount();
    const bool fits = nodes <= kMaxDenseStates / classCount && classCount <= 0xFFFF;
    automaton->dense_ =
        fits && (layout == Layout::kDense ||
                 (layout == Layout::kAuto && nodes <= maxDenseEntries / classCount));
    if (automaton->dense_) {
        automaton->FillDenseRows(trie, failures, numbering, keyClass, classCount);
    } else {
        automaton->FillSparseRows(trie, failures, numbering);
    }
    return automaton;
}

inline std::uint32_t PhraseAutomaton::SparseChild(std::uint32_t state, char16_t key) const {
    const std::uint32_t at =
        FindSortedLabel(edgeLabels_.data(), edgeBegin_[state], edgeBegin_[state + 1], key);
    return at == kNone ? kNone : edgeTargets_[at];
}

template <Keys K>
inline std::uint32_t PhraseAutomaton::SparseStep(std::uint32_t state, char16_t unit) const {
    const char16_t key = K == Keys::kFolded ? FoldUnit(unit) : unit;
    for (std::uint32_t s = state; s != 0; s = fail_[s]) {
        const std::uint32_t next = SparseChild(s, key);
        if (next != kNone) return next;
    }
    return rootNext_[key];
}

template <class Body>
void PhraseAutomaton::WithStep(Body&& body) const {
    if (dense_) {
        const std::uint32_t* next = next_.data();
        if (!narrowClasses_.empty()) {
            const std::uint8_t* classes = narrowClasses_.data();
            body([next, classes](std::uint32_t s, char16_t u) { return next[s + classes[u]]; });
        } else {
            const std::uint16_t* classes = wideClasses_.data();
            body([next, classes](std::uint32_t s, char16_t u) { return next[s + classes[u]]; });
        }
    } else if (keys_ == Keys::kFolded) {
        body([this](std::uint32_t s, char16_t u) {
            return SparseStep<Keys::kFolded>(s, u);
        });
    } else {
        body([this](std::uint32_t s, char16_t u) {
            return SparseStep<Keys::kExact>(s, u);
        });
    }
}

template <class Step>
void PhraseAutomaton::Walk(const Step& step, const char16_t* t, std::size_t n, std::size_t from,
                           std::size_t to, std::uint32_t* states) const {
    // Each step waits for the one before it, so the range is cut into kLanes parts walked side
    // by side, which lets the processor overlap their steps. The state at a position depends
    // on the next Longest() units only, so each walk starts that far to the right of its part,
    // in the start state. The last part takes the remainder first, alone.
    constexpr std::size_t kLanes = 4;
    static_assert(kLanes == 4, "the main loop below walks four parts");
    if (to - from < kLanes * kKeysPerLane * longest_) {
        // Parts this short would spend more on their restarts than the lanes save: one walk.
        std::size_t j = std::min(n, to + longest_ - 1);
        std::uint32_t s = 0;
        while (j > to) s = step(s, t[--j]);
        while (j > from) {
            s = step(s, t[--j]);
            states[j - from] = s;
        }
        return;
    }
    const std::size_t part = (to - from) / kLanes;
    const std::size_t rest = (to - from) % kLanes;
    const char16_t* text[kLanes];  // the unit just after the part's unwalked units
    std::uint32_t* out[kLanes];    // likewise in states
    std::uint32_t state[kLanes];
    for (std::size_t l = 0; l < kLanes; ++l) {
        const std::size_t end = l + 1 < kLanes ? from + (l + 1) * part : to;
        std::size_t j = std::min(n, end + longest_ - 1);
        std::uint32_t s = 0;
        while (j > end) s = step(s, t[--j]);
        state[l] = s;
        text[l] = t + end;
        out[l] = states + (end - from);
    }
    for (std::size_t r = 0; r < rest; ++r) {
        std::uint32_t& s = state[kLanes - 1];
        s = step(s, *--text[kLanes - 1]);
        *--out[kLanes - 1] = s;
    }
    const char16_t* t0 = text[0];
    const char16_t* t1 = text[1];
    const char16_t* t2 = text[2];
    const char16_t* t3 = text[3];
    std::uint32_t* o0 = out[0];
    std::uint32_t* o1 = out[1];
    std::uint32_t* o2 = out[2];
    std::uint32_t* o3 = out[3];
    std::uint32_t s0 = state[0], s1 = state[1], s2 = state[2], s3 = state[3];
    for (std::size_t k = 1; k <= part; ++k) {
        const auto back = -static_cast<std::ptrdiff_t>(k);
        s0 = step(s0, t0[back]);
        s1 = step(s1, t1[back]);
        s2 = step(s2, t2[back]);
        s3 = step(s3, t3[back]);
        o0[back] = s0;
        o1[back] = s1;
        o2[back] = s2;
        o3[back] = s3;
    }
}

void PhraseAutomaton::States(const char16_t* t, std::size_t n, std::size_t from, std::size_t to,
                             std::uint32_t* states) const {
    WithStep([&](const auto& step) { Walk(step, t, n, from, to, states); });
}

bool PhraseAutomaton::AnyKeyIn(const char16_t* t, std::size_t n, std::size_t from,
                               std::size_t to) const {
    // Block by block from the left, so that an early occurrence ends the search early; one
    // walk per block, which starts as far right of the block as States' walks do.
    bool found = false;
    WithStep([&](const auto& step) {
        for (std::size_t begin = from; begin < to && !found;) {
            const std::size_t end = std::min(to, begin + Block());
            std::size_t j = std::min(n, end + longest_ - 1);
            std::uint32_t s = 0;
            while (j > end) s = step(s, t[--j]);
            while (j > begin) {
                s = step(s, t[--j]);
                if (s >= firstOutput_) {
                    found = true;
                    break;
                }
            }
            begin = end;
        }
    });
    return found;
}

void PhraseAutomaton::CandidateFlags(const std::uint32_t* states, std::size_t count,
                                     std::uint8_t* flags, bool accumulate) const {
    // One comparison per position and no branch, which compilers turn into vector compares;
    // states stay below 2^31, so a signed comparison, the one processors have, does.
    const auto first = static_cast<std::int32_t>(firstOutput_);
    if (accumulate) {
        for (std::size_t k = 0; k < count; ++k) {
            flags[k] |= static_cast<std::uint8_t>(static_cast<std::int32_t>(states[k]) >= first);
        }
    } else {
        for (std::size_t k = 0; k < count; ++k) {
            flags[k] = static_cast<std::int32_t>(states[k]) >= first;
        }
    }
}

bool PhraseAutomaton::Verify(std::uint32_t term, const char16_t* t, std::size_t n, std::size_t i,
                             std::size_t length) const {
    if (term & kWordFlag) {
        if (i > 0 && IsWordUnit(t[i - 1])) return false;
        if (i + length < n && IsWordUnit(t[i + length])) return false;
    }
    if (keys_ == Keys::kFolded && (term & kCaseFlag)) {
        const char16_t* phrase = phrases_[RowOf(term)].data();
        for (std::size_t at = 0; at < length; ++at) {
            if (phrase[at] != t[i + at]) return false;
        }
    }
    return true;
}

bool PhraseAutomaton::Resolve(const char16_t* t, std::size_t n, std::size_t i,
                              std::uint32_t state, TrieHit& hit) const {
    // Dense states are multiples of classCount_: a multiplication by its reciprocal divides
    // exactly.
    const std::uint32_t offset = state - firstOutput_;
    const auto index =
        dense_ ? static_cast<std::size_t>((std::uint64_t{offset} * classReciprocal_) >> 32)
               : std::size_t{offset};
    const Output* out = &outputs_[index];
    if ((out->lowest & verifyFlags_) == 0) {
        hit.row = RowOf(out->lowest);
        hit.length = out->lowestLength;
        return true;
    }
    // Some row needs a look at the text: try each key down the chain, lowest rows first, and
    // keep the lowest row that passes.
    std::uint32_t best = kNone;
    for (;;) {
        for (std::uint32_t k = out->termsBegin; k < out->termsEnd; ++k) {
            const std::uint32_t term = terms_[k];
            if (RowOf(term) >= best) break;
            if ((term & verifyFlags_) == 0 || Verify(term, t, n, i, out->depth)) {
                best = RowOf(term);
                hit.length = out->depth;
                break;
            }
        }
        if (out->next == kNone) break;
        out = &outputs_[out->next];
        if (RowOf(out->lowest) >= best) break;
    }
    if (best == kNone) return false;
    hit.row = best;
    return true;
}

}  // namespace palimp::replace_detail
