// The replace-many engine's automaton finder: an Aho-Corasick automaton over the reversed keys,
// run backwards over the text, which names in one step per unit every key that begins at a
// position, whatever the keys' lengths. The scan then only resolves those positions.
//
// The keys "ab", "b" and "cab" reversed are "ba", "b" and "bac"; their trie has four nodes:
// the root, "b" (key b ends there), "ba" (ab) and "bac" (cab). Reading "cabb" from the right,
// the state after each unit is the longest node that the text from that unit begins with,
// reversed: "b" at 3 and again at 2 (from "b", a "b" has no edge, so the walk falls back to
// the root and takes its edge), "ba" at 1, "bac" at 0. A state's failure chain ("ba" falls
// back to the root, as no key ends in "a") lists every key that begins at its position.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

#include "core/replace_keys.h"

namespace palimp::replace_detail {

class PhraseAutomaton {
public:
    // Dense: one table row of next states per state, one column per class of key units; a
    // step is one read. Sparse: each state's edges and a failure link; a step follows failure
    // links until an edge fits, which on average costs a few reads (each unit read moves at most
    // one edge deeper, so the walk falls back at most as often as it went down), and memory
    // grows with the key units only.
    enum class Layout { kAuto, kDense, kSparse };

    // The automaton of the rows' keys (folded or exact, as for the trie), or null when no row
    // has a phrase. kAuto is dense when its table holds at most maxDenseEntries entries, else
    // sparse. Rows must outlive it.
    static std::unique_ptr<PhraseAutomaton> Build(std::span<const TrieRow> rows,
                                                  Keys keys, Layout layout,
                                                  std::size_t maxDenseEntries);

    // The columns a dense table of these rows' keys would have: one per distinct key unit and
    // one for every other unit. Times the trie's UnitNodes, about the dense table's size.
    static std::size_t ClassCount(std::span<const TrieRow> rows, Keys keys);

    Keys KeyMode() const { return keys_; }
    bool Dense() const { return dense_; }
    // The longest key, in units.
    std::size_t Longest() const { return longest_; }
    // Positions to compute at a time: long beside the longest key (at least twice as long),
    // so that the restart of each walk, which reads that far ahead, stays cheap.
    std::size_t Block() const;

    // Writes the state at each position in [from, to) of t[0, n) to states[0, to - from).
    // Reads t up to to + Longest() - 1 or up to n, whichever comes first.
    void States(const char16_t* t, std::size_t n, std::size_t from, std::size_t to,
                std::uint32_t* states) const;

    // Sets flags[k] to 1 when states[k] says that some key begins at its position, else to 0
    // (with accumulate, leaves the flags already set), for k below count.
    void CandidateFlags(const std::uint32_t* states, std::size_t count, std::uint8_t* flags,
                        bool accumulate = false) const;
    bool IsCandidate(std::uint32_t state) const { return state >= firstOutput_; }

    // The lowest row whose phrase matches at i under its own options, among the keys that the
    // state at i (a candidate's) names; false when none does.
    bool Resolve(const char16_t* t, std::size_t n, std::size_t i, std::uint32_t state,
                 TrieHit& hit) const;

    // Whether some key begins at a position in [from, to) of t[0, n), options ignored. Reads t
    // as States does.
    bool AnyKeyIn(const char16_t* t, std::size_t n, std::size_t from, std::size_t to) const;

private:
    // A state at which keys begin: the keys that end exactly at its node (terms, rows in
    // order) and the next state down its failure chain that has keys of its own.
    struct Output {
        std::uint32_t lowest;        // the lowest term of the whole chain
        std::uint32_t lowestLength;  // its key's length
        std::uint32_t termsBegin;
        std::uint32_t termsEnd;
        std::uint32_t depth;  // length of the keys ending here
        std::uint32_t next;   // Output index further down the chain, or kNone
    };

    // What building passes from step to step (replace_automaton.cpp).
    struct UnitTrie;
    struct Failures;
    struct Numbering;

    PhraseAutomaton() = default;
    // The building steps after the trie, its failure links and the states' numbers: the
    // outputs of the states that have them, then the dense or the sparse transitions.
    void FillOutputs(const UnitTrie& trie, const Failures& failures, const Numbering& numbering);
    void FillDenseRows(const UnitTrie& trie, const Failures& failures, const Numbering& numbering,
                       const std::vector<std::uint32_t>& keyClass, std::uint32_t classCount);
    void FillSparseRows(const UnitTrie& trie, const Failures& failures,
                        const Numbering& numbering);
    // Calls body with the step function of this automaton's layout: (state, unit) -> state.
    template <class Body>
    void WithStep(Body&& body) const;
    template <class Step>
    void Walk(const Step& step, const char16_t* t, std::size_t n, std::size_t from,
              std::size_t to, std::uint32_t* states) const;
    template <Keys K>
    std::uint32_t SparseStep(std::uint32_t state, char16_t unit) const;
    std::uint32_t SparseChild(std::uint32_t state, char16_t key) const;
    bool Verify(std::uint32_t term, const char16_t* t, std::size_t n, std::size_t i,
                std::size_t length) const;

    Keys keys_ = Keys::kExact;
    bool dense_ = true;
    std::size_t longest_ = 0;
    // States with outputs are numbered last, from firstOutput_ on, so one comparison tells a
    // candidate. Dense states are premultiplied by the number of classes.
    std::uint32_t firstOutput_ = 0;

    // Dense: text unit -> class (narrow when there are at most 256 classes, else wide), and
    // transitions, state + class -> next state.
    std::uint32_t classCount_ = 0;
    std::uint64_t classReciprocal_ = 0;  // 2^32 / classCount_, rounded up
    std::vector<std::uint8_t> narrowClasses_;
    std::vector<std::uint16_t> wideClasses_;
    std::vector<std::uint32_t> next_;

    // Sparse: the root's edges by key unit (every unit has one, to the root if no key starts
    // with it), then for every other state its failure link and its edges, sorted by key unit:
    // those of state s are edgeLabels_/edgeTargets_[edgeBegin_[s], edgeBegin_[s + 1]).
    std::vector<std::uint32_t> rootNext_;
    std::vector<std::uint32_t> fail_;
    std::vector<std::uint32_t> edgeBegin_;
    std::vector<char16_t> edgeLabels_;
    std::vector<std::uint32_t> edgeTargets_;

    std::vector<Output> outputs_;
    std::vector<std::uint32_t> terms_;  // TermOf each row
    std::uint32_t verifyFlags_ = 0;     // term flags that call for a check against the text
    std::vector<std::u16string_view> phrases_;  // by row, for the exact comparison
};

}  // namespace palimp::replace_detail
