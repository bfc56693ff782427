// The replace-many engine's finder for tables of up to a few thousand phrases: an Aho-Corasick
// automaton over the reversed keys, run backwards over the text, which names in one table step
// per unit every key that begins at a position. The scan then only resolves those positions.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "core/replace_trie.h"

namespace palimp::replace_detail {

class PhraseAutomaton {
public:
    // The automaton of the rows' keys (folded or exact, as for the trie), or null when it would
    // have more than maxEntries transitions or the table has no phrase. When the automaton
    // can be expected to have expectedNodes nodes, a table that would clearly be too large is
    // refused before any is built. Rows must outlive it.
    static std::unique_ptr<PhraseAutomaton> Build(std::span<const TrieRow> rows,
                                                  PhraseTrie::Keys keys, std::size_t maxEntries,
                                                  std::size_t expectedNodes = 0);

    // The longest key, in units.
    std::size_t Longest() const { return longest_; }

    // Writes the state at each position in [from, to) of t[0, n) to states[0, to - from).
    // Reads t up to to + Longest() - 1 or up to n, whichever comes first.
    void States(const char16_t* t, std::size_t n, std::size_t from, std::size_t to,
                std::uint32_t* states) const;

    // Sets flags[k] to 1 when states[k] says that some key begins at its position, else to 0,
    // for k below count.
    void CandidateFlags(const std::uint32_t* states, std::size_t count, std::uint8_t* flags) const;

    // The lowest row whose phrase matches at i under its own options, among the keys that the
    // state at i (a candidate's) names; false when none does.
    bool Resolve(const char16_t* t, std::size_t n, std::size_t i, std::uint32_t state,
                 TrieHit& hit) const;

private:
    static constexpr std::uint32_t kNone = 0xFFFFFFFFu;
    static constexpr std::uint32_t kCaseFlag = 1;
    static constexpr std::uint32_t kWordFlag = 2;

    // A state at which keys begin: the keys that end exactly at its node (terms, rows in
    // order) and the next state down its suffix chain that has keys of its own.
    struct Output {
        std::uint32_t lowest;        // the lowest term of the whole chain
        std::uint32_t lowestLength;  // its key's length
        std::uint32_t termsBegin;
        std::uint32_t termsEnd;
        std::uint32_t depth;  // length of the keys ending here
        std::uint32_t next;   // Output index further down the chain, or kNone
    };

    PhraseAutomaton() = default;
    template <class ClassT>
    void StatesOf(const ClassT* classes, const char16_t* t, std::size_t n, std::size_t from,
                  std::size_t to, std::uint32_t* states) const;
    bool Verify(std::uint32_t term, const char16_t* t, std::size_t n, std::size_t i,
                std::size_t length) const;

    PhraseTrie::Keys keys_ = PhraseTrie::Keys::kExact;
    std::uint32_t classCount_ = 0;
    std::uint64_t classReciprocal_ = 0;  // 2^32 / classCount_, rounded up
    std::size_t longest_ = 0;
    // Text unit -> class; one of the two is filled (narrow when there are at most 256 classes).
    std::vector<std::uint8_t> narrowClasses_;
    std::vector<std::uint16_t> wideClasses_;
    // Transitions, state * classCount_ + class -> next state * classCount_. The states with
    // outputs are numbered last, from firstOutput_ on, so one comparison tells a candidate.
    std::vector<std::uint32_t> next_;
    std::uint32_t firstOutput_ = 0;  // premultiplied like the states
    std::vector<Output> outputs_;
    std::vector<std::uint32_t> terms_;  // row << 2 | flags
    std::uint32_t verifyFlags_ = 0;     // term flags that call for a check against the text
    std::vector<std::u16string_view> phrases_;  // by row, for the exact comparison
};

}  // namespace palimp::replace_detail
