// Building and running the backward automaton. Reading the text from right to left, the state
// after the unit at i is the longest key suffix that the text from i begins with, and its
// suffix chain holds exactly the keys that occur at i: one table step per unit finds every
// position where the trie walk would find something, with no branch on what it finds.
#include "core/replace_automaton.h"

#include <algorithm>

namespace palimp::replace_detail {

namespace {

// Each text unit gets the class of its key unit: the unit itself, or what it folds to; every
// other unit class 0.
template <class ClassT>
void FillClasses(std::vector<ClassT>& classes, const std::vector<char16_t>& keyUnits,
                 const std::vector<std::uint16_t>& keyClass, PhraseTrie::Keys keys) {
    classes.assign(0x10000, 0);
    for (const char16_t& key : keyUnits) {
        for (char16_t raw : RawUnitsOf(key, keys)) {
            classes[raw] = static_cast<ClassT>(keyClass[key]);
        }
    }
}

}  // namespace

std::unique_ptr<PhraseAutomaton> PhraseAutomaton::Build(std::span<const TrieRow> rows,
                                                        PhraseTrie::Keys keys,
                                                        std::size_t maxEntries,
                                                        std::size_t expectedNodes) {
    std::unique_ptr<PhraseAutomaton> automaton(new PhraseAutomaton());
    PhraseAutomaton& a = *automaton;
    a.keys_ = keys;
    a.verifyFlags_ = kWordFlag | (keys == PhraseTrie::Keys::kFolded ? kCaseFlag : 0u);
    const auto keyUnit = [keys](char16_t unit) {
        return keys == PhraseTrie::Keys::kFolded ? FoldUnit(unit) : unit;
    };

    // Classes: one per distinct key unit, and class 0 for every unit that no key holds.
    std::vector<std::uint16_t> keyClass(0x10000, 0);
    std::vector<char16_t> keyUnits;
    std::uint32_t classes = 1;
    bool anyKey = false;
    for (const TrieRow& row : rows) {
        anyKey = anyKey || !row.phrase.empty();
        for (char16_t unit : row.phrase) {
            std::uint16_t& c = keyClass[keyUnit(unit)];
            if (c != 0) continue;
            c = static_cast<std::uint16_t>(classes++);
            keyUnits.push_back(keyUnit(unit));
            if (classes > 0xFFFF) return nullptr;
        }
        a.longest_ = std::max(a.longest_, row.phrase.size());
    }
    if (!anyKey || expectedNodes > maxEntries / classes) return nullptr;
    a.classCount_ = classes;
    a.classReciprocal_ = ((std::uint64_t{1} << 32) + classes - 1) / classes;
    const std::size_t k = classes;

    // The trie of reversed keys, one row of transitions per node, rows inserted in table order
    // so that each node's terms come out sorted.
    std::vector<std::uint32_t> next(k, kNone);
    std::vector<std::uint32_t> depth(1, 0);
    struct End {
        std::uint32_t node, term;
    };
    std::vector<End> ends;  // in table order
    a.phrases_.resize(rows.size());
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const TrieRow& row = rows[r];
        a.phrases_[r] = row.phrase;
        if (row.phrase.empty()) continue;
        std::uint32_t node = 0;
        for (std::size_t u = row.phrase.size(); u-- > 0;) {
            const std::size_t slot = node * k + keyClass[keyUnit(row.phrase[u])];
            if (next[slot] == kNone) {
                if (next.size() + k > maxEntries) return nullptr;
                next[slot] = static_cast<std::uint32_t>(depth.size());
                next.resize(next.size() + k, kNone);
                depth.push_back(depth[node] + 1);
            }
            node = next[slot];
        }
        ends.push_back({node, static_cast<std::uint32_t>(r) << 2 |
                                  (row.caseSensitive ? kCaseFlag : 0u) |
                                  (row.wholeWord ? kWordFlag : 0u)});
    }
    const std::size_t nodes = depth.size();
    if (nodes * k > 0x7FFFFFFFu) return nullptr;
    // Each node's terms, still in table order: node u's are termList[termBegin[u], [u + 1]).
    std::vector<std::uint32_t> termBegin(nodes + 1, 0);
    for (const End& end : ends) ++termBegin[end.node + 1];
    for (std::size_t u = 0; u < nodes; ++u) termBegin[u + 1] += termBegin[u];
    std::vector<std::uint32_t> termList(ends.size());
    {
        std::vector<std::uint32_t> fill(termBegin.begin(), termBegin.end() - 1);
        for (const End& end : ends) termList[fill[end.node]++] = end.term;
    }
    const auto hasTerms = [&](std::uint32_t u) { return termBegin[u] != termBegin[u + 1]; };

    // Breadth first: each node's failure is the longest proper suffix that is a node, and a
    // missing transition is the failure's; dictionary links skip to the nearest suffix with
    // terms of its own.
    std::vector<std::uint32_t> fail(nodes, 0);
    std::vector<std::uint32_t> dict(nodes, kNone);
    std::vector<std::uint32_t> order(nodes, 0);  // the root first
    std::size_t queued = 1;
    for (std::size_t q = 0; q < queued; ++q) {
        const std::uint32_t u = order[q];
        for (std::size_t c = 0; c < k; ++c) {
            std::uint32_t& slot = next[u * k + c];
            const std::uint32_t viaFail = u == 0 ? 0 : next[fail[u] * k + c];
            if (slot == kNone) {
                slot = viaFail;
                continue;
            }
            const std::uint32_t v = slot;
            fail[v] = viaFail;
            dict[v] = hasTerms(viaFail) ? viaFail : dict[viaFail];
            order[queued++] = v;
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
    a.firstOutput_ = static_cast<std::uint32_t>(plain * k);
    a.next_.assign(nodes * k, 0);
    for (std::uint32_t u : order) {
        std::uint32_t* row = a.next_.data() + renumber[u] * k;
        for (std::size_t c = 0; c < k; ++c) {
            row[c] = static_cast<std::uint32_t>(renumber[next[u * k + c]] * k);
        }
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

    if (k <= 0x100) {
        FillClasses(a.narrowClasses_, keyUnits, keyClass, keys);
    } else {
        FillClasses(a.wideClasses_, keyUnits, keyClass, keys);
    }
    return automaton;
}

template <class ClassT>
void PhraseAutomaton::StatesOf(const ClassT* classes, const char16_t* t, std::size_t n,
                               std::size_t from, std::size_t to, std::uint32_t* states) const {
    const std::uint32_t* next = next_.data();
    // Each step waits for the one before it, so the range is cut into kLanes parts walked side
    // by side, which lets the processor overlap their steps. The state at a position depends
    // on the next Longest() units only, so each walk starts that far to the right of its part,
    // in the start state. The last part takes the remainder first, alone.
    constexpr std::size_t kLanes = 4;
    static_assert(kLanes == 4, "the main loop below walks four parts");
    const std::size_t part = (to - from) / kLanes;
    const std::size_t rest = (to - from) % kLanes;
    const char16_t* text[kLanes];  // the unit just after the part's unwalked units
    std::uint32_t* out[kLanes];    // likewise in states
    std::uint32_t state[kLanes];
    for (std::size_t l = 0; l < kLanes; ++l) {
        const std::size_t end = l + 1 < kLanes ? from + (l + 1) * part : to;
        std::size_t j = std::min(n, end + longest_ - 1);
        std::uint32_t s = 0;
        while (j > end) s = next[s + classes[t[--j]]];
        state[l] = s;
        text[l] = t + end;
        out[l] = states + (end - from);
    }
    for (std::size_t r = 0; r < rest; ++r) {
        std::uint32_t& s = state[kLanes - 1];
        s = next[s + classes[*--text[kLanes - 1]]];
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
        s0 = next[s0 + classes[t0[-static_cast<std::ptrdiff_t>(k)]]];
        s1 = next[s1 + classes[t1[-static_cast<std::ptrdiff_t>(k)]]];
        s2 = next[s2 + classes[t2[-static_cast<std::ptrdiff_t>(k)]]];
        s3 = next[s3 + classes[t3[-static_cast<std::ptrdiff_t>(k)]]];
        o0[-static_cast<std::ptrdiff_t>(k)] = s0;
        o1[-static_cast<std::ptrdiff_t>(k)] = s1;
        o2[-static_cast<std::ptrdiff_t>(k)] = s2;
        o3[-static_cast<std::ptrdiff_t>(k)] = s3;
    }
}

void PhraseAutomaton::States(const char16_t* t, std::size_t n, std::size_t from, std::size_t to,
                             std::uint32_t* states) const {
    if (narrowClasses_.empty()) {
        StatesOf(wideClasses_.data(), t, n, from, to, states);
    } else {
        StatesOf(narrowClasses_.data(), t, n, from, to, states);
    }
}

void PhraseAutomaton::CandidateFlags(const std::uint32_t* states, std::size_t count,
                                     std::uint8_t* flags) const {
    // One comparison per position and no branch, which compilers turn into vector compares;
    // states stay below 2^31, so a signed comparison, the one processors have, does.
    const auto first = static_cast<std::int32_t>(firstOutput_);
    for (std::size_t k = 0; k < count; ++k) {
        flags[k] = static_cast<std::int32_t>(states[k]) >= first;
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
    // States are multiples of classCount_: a multiplication by its reciprocal divides exactly.
    const auto index =
        static_cast<std::size_t>((std::uint64_t{state - firstOutput_} * classReciprocal_) >> 32);
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
