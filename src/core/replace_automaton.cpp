// Building and running the backward automaton. Reading the text from right to left, the state
// after the unit at i is the longest key suffix that the text from i begins with, and its
// failure chain holds exactly the keys that occur at i: one step per unit finds every position
// where the trie walk would find something, and no step looks further than one unit.
#include "core/replace_automaton.h"

#include <algorithm>
#include <stdexcept>

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

char16_t KeyUnit(char16_t unit, PhraseTrie::Keys keys) {
    return keys == PhraseTrie::Keys::kFolded ? FoldUnit(unit) : unit;
}

// Each text unit gets the class of its key unit: the unit itself, or what it folds to; every
// other unit class 0.
template <class ClassT>
void FillClasses(std::vector<ClassT>& classes, const std::vector<std::uint32_t>& keyClass,
                 PhraseTrie::Keys keys) {
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
std::vector<std::uint32_t> KeyClasses(std::span<const TrieRow> rows, PhraseTrie::Keys keys,
                                      std::uint32_t& count) {
    std::vector<std::uint32_t> keyClass(0x10000, 0);
    count = 1;
    for (const TrieRow& row : rows) {
        for (char16_t unit : row.phrase) {
            std::uint32_t& c = keyClass[KeyUnit(unit, keys)];
            if (c == 0) c = count++;
        }
    }
    return keyClass;
}

}  // namespace

std::size_t PhraseAutomaton::ClassCount(std::span<const TrieRow> rows, PhraseTrie::Keys keys) {
    std::uint32_t count = 0;
    KeyClasses(rows, keys, count);
    return count;
}

std::size_t PhraseAutomaton::Block() const {
    return std::max(std::clamp(kKeysPerBlock * longest_, kMinBlock, kMaxBlock), 2 * longest_);
}

std::unique_ptr<PhraseAutomaton> PhraseAutomaton::Build(std::span<const TrieRow> rows,
                                                        PhraseTrie::Keys keys, Layout layout,
                                                        std::size_t maxDenseEntries) {
    std::unique_ptr<PhraseAutomaton> automaton(new PhraseAutomaton());
    PhraseAutomaton& a = *automaton;
    a.keys_ = keys;
    a.verifyFlags_ = kWordFlag | (keys == PhraseTrie::Keys::kFolded ? kCaseFlag : 0u);

    // The reversed keys back to back, and the rows with a phrase sorted by them (equal keys in
    // table order, so that each node's terms come out sorted).
    std::size_t totalUnits = 0;
    for (const TrieRow& row : rows) totalUnits += row.phrase.size();
    if (totalUnits >= kNone - 1) throw std::length_error("table phrases too long");
    std::vector<char16_t> reversed;
    reversed.reserve(totalUnits);
    std::vector<std::uint32_t> keyBegin(rows.size() + 1, 0);
    std::vector<std::uint32_t> sorted;
    a.phrases_.resize(rows.size());
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const std::u16string_view phrase = rows[r].phrase;
        a.phrases_[r] = phrase;
        keyBegin[r] = static_cast<std::uint32_t>(reversed.size());
        if (phrase.empty()) continue;
        sorted.push_back(static_cast<std::uint32_t>(r));
        for (std::size_t u = phrase.size(); u-- > 0;) reversed.push_back(KeyUnit(phrase[u], keys));
        a.longest_ = std::max(a.longest_, phrase.size());
    }
    keyBegin[rows.size()] = static_cast<std::uint32_t>(reversed.size());
    if (sorted.empty()) return nullptr;
    const auto keyOf = [&](std::uint32_t row) {
        return std::u16string_view(reversed.data() + keyBegin[row],
                                   keyBegin[row + 1] - keyBegin[row]);
    };
    std::stable_sort(sorted.begin(), sorted.end(),
                     [&](std::uint32_t x, std::uint32_t y) { return keyOf(x) < keyOf(y); });

    // The trie of the sorted keys: each key shares the path of its common prefix with the key
    // before it and adds nodes for the rest. Edges come out in key order, so every node's
    // edges are sorted by unit.
    std::vector<std::uint32_t> depth(1, 0);
    struct Edge {
        std::uint32_t parent;
        char16_t label;
        std::uint32_t child;
    };
    std::vector<Edge> edges;
    struct End {
        std::uint32_t node, term;
    };
    std::vector<End> ends;  // sorted by node, then by row
    std::vector<std::uint32_t> path(1, 0);  // the previous key's nodes by depth
    // At most one node per key unit: reserved, since doubling would hold up to three times
    // the room while the vectors grow.
    depth.reserve(totalUnits + 1);
    edges.reserve(totalUnits);
    path.reserve(a.longest_ + 1);
    ends.reserve(sorted.size());
    std::u16string_view previous;
    for (std::uint32_t r : sorted) {
        const std::u16string_view key = keyOf(r);
        std::size_t common = 0;
        const std::size_t most = std::min(previous.size(), key.size());
        while (common < most && previous[common] == key[common]) ++common;
        path.resize(common + 1);
        for (std::size_t d = common; d < key.size(); ++d) {
            const auto node = static_cast<std::uint32_t>(depth.size());
            depth.push_back(static_cast<std::uint32_t>(d + 1));
            edges.push_back({path[d], key[d], node});
            path.push_back(node);
        }
        ends.push_back({path[key.size()], r << 2 | (rows[r].caseSensitive ? kCaseFlag : 0u) |
                                              (rows[r].wholeWord ? kWordFlag : 0u)});
        previous = key;
    }
    const std::size_t nodes = depth.size();
    std::vector<std::uint32_t> edgeBegin(nodes + 1, 0);
    for (const Edge& e : edges) ++edgeBegin[e.parent + 1];
    for (std::size_t u = 0; u < nodes; ++u) edgeBegin[u + 1] += edgeBegin[u];
    std::vector<char16_t> labels(edges.size());
    std::vector<std::uint32_t> targets(edges.size());
    {
        std::vector<std::uint32_t> fill(edgeBegin.begin(), edgeBegin.end() - 1);
        for (const Edge& e : edges) {
            labels[fill[e.parent]] = e.label;
            targets[fill[e.parent]++] = e.child;
        }
    }
    Release(edges);
    const auto child = [&](std::uint32_t u, char16_t label) {
        const auto first = labels.begin() + edgeBegin[u];
        const auto last = labels.begin() + edgeBegin[u + 1];
        const auto at = std::lower_bound(first, last, label);
        return at != last && *at == label ? targets[at - labels.begin()] : kNone;
    };
    // Each node's terms: node u's are termList[termBegin[u], termBegin[u + 1]).
    std::vector<std::uint32_t> termBegin(nodes + 1, 0);
    for (const End& end : ends) ++termBegin[end.node + 1];
    for (std::size_t u = 0; u < nodes; ++u) termBegin[u + 1] += termBegin[u];
    std::vector<std::uint32_t> termList(ends.size());
    {
        std::vector<std::uint32_t> fill(termBegin.begin(), termBegin.end() - 1);
        for (const End& end : ends) termList[fill[end.node]++] = end.term;
    }
    const auto hasTerms = [&](std::uint32_t u) { return termBegin[u] != termBegin[u + 1]; };

    // Breadth first: each node's failure is the longest proper suffix that is a node, found
    // from its parent's failure; dictionary links skip to the nearest suffix with terms.
    std::vector<std::uint32_t> fail(nodes, 0);
    std::vector<std::uint32_t> dict(nodes, kNone);
    std::vector<std::uint32_t> order;  // the root first
    order.reserve(nodes);
    order.push_back(0);
    for (std::size_t q = 0; q < order.size(); ++q) {
        const std::uint32_t u = order[q];
        for (std::uint32_t e = edgeBegin[u]; e < edgeBegin[u + 1]; ++e) {
            const std::uint32_t v = targets[e];
            std::uint32_t f = 0;
            if (u != 0) {
                for (std::uint32_t s = fail[u];; s = fail[s]) {
                    const std::uint32_t w = child(s, labels[e]);
                    if (w != kNone) {
                        f = w;
                        break;
                    }
                    if (s == 0) break;
                }
            }
            fail[v] = f;
            dict[v] = hasTerms(f) ? f : dict[f];
            order.push_back(v);
        }
    }

    // States with outputs go last; their Output records follow breadth-first order, so a
    // record's chain points to records already filled.
    std::vector<std::uint32_t> renumber(nodes);
    std::vector<std::uint32_t> outputIndex(nodes, kNone);
    std::uint32_t plain = 0;
    std::uint32_t outputs = 0;
    for (std::uint32_t u : order) {
        if (!hasTerms(u) && dict[u] == kNone) {
            renumber[u] = plain++;
        } else {
            outputIndex[u] = outputs++;
        }
    }
    for (std::uint32_t u : order) {
        if (outputIndex[u] != kNone) renumber[u] = plain + outputIndex[u];
    }
    a.outputs_.resize(outputs);
    for (std::uint32_t u : order) {
        if (outputIndex[u] == kNone) continue;
        Output& out = a.outputs_[outputIndex[u]];
        out.termsBegin = static_cast<std::uint32_t>(a.terms_.size());
        a.terms_.insert(a.terms_.end(), termList.begin() + termBegin[u],
                        termList.begin() + termBegin[u + 1]);
        out.termsEnd = static_cast<std::uint32_t>(a.terms_.size());
        out.depth = depth[u];
        out.next = dict[u] == kNone ? kNone : outputIndex[dict[u]];
        out.lowest = kNone;
        if (hasTerms(u)) {
            out.lowest = termList[termBegin[u]];
            out.lowestLength = depth[u];
        }
        if (out.next != kNone) {
            const Output& below = a.outputs_[out.next];
            if ((below.lowest >> 2) < (out.lowest >> 2) || out.lowest == kNone) {
                out.lowest = below.lowest;
                out.lowestLength = below.lowestLength;
            }
        }
    }

    // What only the outputs needed goes now: long keys make these as long as the key units.
    Release(depth);
    Release(dict);
    Release(outputIndex);
    Release(termBegin);
    Release(termList);

    std::uint32_t classCount = 0;
    const std::vector<std::uint32_t> keyClass = KeyClasses(rows, keys, classCount);
    const std::size_t k = classCount;
    const bool fits = nodes <= kMaxDenseStates / k && classCount <= 0xFFFF;
    a.dense_ = fits && (layout == Layout::kDense ||
                        (layout == Layout::kAuto && nodes <= maxDenseEntries / k));
    if (a.dense_) {
        // A state's row is its failure's row with its own edges written over it; breadth-first
        // order fills every failure's row first.
        a.classCount_ = classCount;
        a.classReciprocal_ = ((std::uint64_t{1} << 32) + k - 1) / k;
        a.firstOutput_ = static_cast<std::uint32_t>(plain * k);
        a.next_.assign(nodes * k, 0);
        for (std::uint32_t u : order) {
            std::uint32_t* row = a.next_.data() + renumber[u] * k;
            if (u != 0) std::copy_n(a.next_.data() + renumber[fail[u]] * k, k, row);
            for (std::uint32_t e = edgeBegin[u]; e < edgeBegin[u + 1]; ++e) {
                row[keyClass[labels[e]]] = static_cast<std::uint32_t>(renumber[targets[e]] * k);
            }
        }
        if (k <= 0x100) {
            FillClasses(a.narrowClasses_, keyClass, keys);
        } else {
            FillClasses(a.wideClasses_, keyClass, keys);
        }
        return automaton;
    }

    // Sparse: the same states and outputs, with the edges and failure links renumbered.
    a.firstOutput_ = plain;
    std::vector<std::uint32_t> byNumber(nodes);
    for (std::uint32_t u = 0; u < nodes; ++u) byNumber[renumber[u]] = u;
    a.fail_.resize(nodes);
    a.edgeBegin_.resize(nodes + 1);
    a.edgeLabels_.reserve(labels.size());
    a.edgeTargets_.reserve(targets.size());
    for (std::uint32_t s = 0; s < nodes; ++s) {
        const std::uint32_t u = byNumber[s];
        a.fail_[s] = renumber[fail[u]];
        a.edgeBegin_[s] = static_cast<std::uint32_t>(a.edgeLabels_.size());
        for (std::uint32_t e = edgeBegin[u]; e < edgeBegin[u + 1]; ++e) {
            a.edgeLabels_.push_back(labels[e]);
            a.edgeTargets_.push_back(renumber[targets[e]]);
        }
    }
    a.edgeBegin_[nodes] = static_cast<std::uint32_t>(a.edgeLabels_.size());
    a.rootNext_.assign(0x10000, 0);
    for (std::uint32_t e = edgeBegin[0]; e < edgeBegin[1]; ++e) {
        a.rootNext_[labels[e]] = renumber[targets[e]];
    }
    return automaton;
}

inline std::uint32_t PhraseAutomaton::SparseChild(std::uint32_t state, char16_t key) const {
    const std::uint32_t at =
        FindSortedLabel(edgeLabels_.data(), edgeBegin_[state], edgeBegin_[state + 1], key);
    return at == kNone ? kNone : edgeTargets_[at];
}

template <PhraseTrie::Keys K>
inline std::uint32_t PhraseAutomaton::SparseStep(std::uint32_t state, char16_t unit) const {
    const char16_t key = K == PhraseTrie::Keys::kFolded ? FoldUnit(unit) : unit;
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
    } else if (keys_ == PhraseTrie::Keys::kFolded) {
        body([this](std::uint32_t s, char16_t u) {
            return SparseStep<PhraseTrie::Keys::kFolded>(s, u);
        });
    } else {
        body([this](std::uint32_t s, char16_t u) {
            return SparseStep<PhraseTrie::Keys::kExact>(s, u);
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
    if (keys_ == PhraseTrie::Keys::kFolded && (term & kCaseFlag)) {
        const char16_t* phrase = phrases_[term >> 2].data();
        for (std::size_t u = 0; u < length; ++u) {
            if (phrase[u] != t[i + u]) return false;
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
        hit.row = out->lowest >> 2;
        hit.length = out->lowestLength;
        return true;
    }
    // Some row needs a look at the text: try each key down the chain, lowest rows first, and
    // keep the lowest row that passes.
    std::uint32_t best = kNone;
    for (;;) {
        for (std::uint32_t k = out->termsBegin; k < out->termsEnd; ++k) {
            const std::uint32_t term = terms_[k];
            if ((term >> 2) >= best) break;
            if ((term & verifyFlags_) == 0 || Verify(term, t, n, i, out->depth)) {
                best = term >> 2;
                hit.length = out->depth;
                break;
            }
        }
        if (out->next == kNone) break;
        out = &outputs_[out->next];
        if ((out->lowest >> 2) >= best) break;
    }
    if (best == kNone) return false;
    hit.row = best;
    return true;
}

}  // namespace palimp::replace_detail
