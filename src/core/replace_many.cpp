// The replace-many pass. The result is the one the table's rows give when tried one by one at
// every position, but an automaton or a filtered trie walk (large tables of short phrases)
// finds the winning row in time independent of the table's size and of the phrases' lengths,
// and unchanged text is copied in whole runs.
#include "core/replace_many.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <cstring>
#include <mutex>
#include <stdexcept>
#include <string>

#include "core/errors.h"
#include "core/escapes.h"
#include "core/replace_automaton.h"
#include "core/replace_trie.h"
#include "core/replacement_table.h"

namespace palimp {

using replace_detail::Keys;
using replace_detail::PhraseAutomaton;
using replace_detail::PhraseTrie;
using replace_detail::TrieHit;
using replace_detail::TrieRow;

namespace {

// The progress display refreshes when strictly more than this has passed since the last time.
constexpr std::uint32_t kRefreshIntervalMs = 200;

// The automaton's dense table serves tables whose transitions fit in this many entries
// (16 MB); larger tables get the sparse automaton, or the trie when their phrases are short.
constexpr std::size_t kAutomatonMaxEntries = std::size_t{1} << 22;
// The trie walks a phrase unit by unit from each candidate position, which stays cheap only
// for phrases up to this long.
constexpr std::size_t kTrieLongestPhrase = 64;

// A stream's output buffer starts this large and grows with the pieces it is given.
constexpr int kStreamOutputStart = 1 << 16;

std::u16string Decimal(long long value) {
    std::u16string digits;
    for (char c : std::to_string(value)) digits += static_cast<char16_t>(c);
    return digits;
}

// The figures of a refresh at position pos: the rate since the last refresh and the share of
// the text passed, both from 64-bit products and rounded half away from zero.
ReplaceProgress RefreshFigures(int found, int foundAtLastRefresh, std::uint32_t elapsed,
                               std::size_t pos, std::size_t textLength) {
    ReplaceProgress progress;
    progress.found = found;
    const std::int64_t rate =
        RoundedQuotient(std::int64_t{found - foundAtLastRefresh} * 1000, elapsed);
    progress.rate = static_cast<int>(std::min<std::int64_t>(rate, INT_MAX));
    progress.percent = static_cast<int>(RoundedQuotient(static_cast<std::int64_t>(pos) * 100,
                                                        static_cast<std::int64_t>(textLength)));
    return progress;
}

std::vector<ReplacePair> PairsOf(std::span<const std::array<std::u16string, 3>> rows) {
    std::vector<ReplacePair> pairs;
    pairs.reserve(rows.size());
    for (const auto& row : rows) pairs.push_back({row[0], row[1], row[2]});
    return pairs;
}

// Copies n units. Most pieces of a replace-many output are a few units long, which fixed-size
// copies (overlapping when n is not a multiple of their size) handle without a library call.
void CopyUnits(char16_t* to, const char16_t* from, std::size_t n) {
    if (n > 32) {
        std::memcpy(to, from, n * sizeof(char16_t));
    } else if (n >= 8) {
        for (std::size_t k = 0; k + 8 < n; k += 8) std::memcpy(to + k, from + k, 16);
        std::memcpy(to + n - 8, from + n - 8, 16);
    } else if (n >= 4) {
        std::memcpy(to, from, 8);
        std::memcpy(to + n - 4, from + n - 4, 8);
    } else if (n >= 2) {
        std::memcpy(to, from, 4);
        std::memcpy(to + n - 2, from + n - 2, 4);
    } else if (n == 1) {
        *to = *from;
    }
}

}  // namespace

void OutputBuffer::AppendOutput(std::u16string_view text) {
    if (text.size() > buffer_.size() - used_) Grow(text.size());
    CopyUnits(buffer_.data() + used_, text.data(), text.size());
    used_ += text.size();
}

void OutputBuffer::StartOutput(int capacity) {
    Check(capacity >= 1, unit::kGlowny, 286);
    buffer_.clear();
    buffer_.resize(static_cast<std::size_t>(capacity));
    used_ = 0;
}

void OutputBuffer::Grow(std::size_t needed) {
    // Doubling keeps appending amortised constant time. A buffer that was never started has
    // no capacity to double, so it begins at one unit.
    std::size_t capacity = std::max<std::size_t>(buffer_.size(), 1);
    while (capacity - used_ < needed) {
        if (capacity > buffer_.max_size() / 2) throw std::length_error("output too long");
        capacity *= 2;
    }
    buffer_.resize(capacity);
}

std::u16string OutputBuffer::FinishOutput() {
    buffer_.resize(used_);
    std::u16string output = std::move(buffer_);
    buffer_.clear();
    used_ = 0;
    return output;
}

std::u16string ProgressLabel(const ReplaceProgress& progress) {
    return u"Found: " + Decimal(progress.found) + u" (" + Decimal(progress.rate) + u"/s)";
}

std::int64_t RoundedQuotient(std::int64_t num, std::int64_t den) {
    const std::int64_t magnitude = ((num < 0 ? -num : num) * 2 + den) / (den * 2);
    return num < 0 ? -magnitude : magnitude;
}

// The state of one pass: the output, the counts, and where the text not yet copied begins. It
// sees the text through a window t[0, n): the whole text for Run, the part a stream holds.
class ReplaceManyEngine::Scan {
public:
    Scan(const ReplaceManyEngine& engine, OutputBuffer& out, int& found, std::vector<int>& rowHits)
        : engine_(engine), out_(out), found_(found), rowHits_(rowHits) {}

    // The window t[0, n), in which the positions before decidable have the text up to the
    // longest phrase past them (or up to the end of the text).
    void View(const char16_t* t, std::size_t n, std::size_t decidable) {
        t_ = t;
        n_ = n;
        decidable_ = decidable;
        blockFrom_ = blockEnd_ = 0;
    }

    // Decides the positions from i (0-based) on until one at or past end is reached, and
    // returns it; a match may run past end. Requires end <= decidable.
    std::size_t Segment(std::size_t i, std::size_t end) {
        if (engine_.automaton_) {
            const bool pair = engine_.exactAutomaton_ != nullptr;
            if (engine_.skipInsideWords_) {
                return pair ? AutomatonSegment<true, true>(i, end)
                            : AutomatonSegment<true, false>(i, end);
            }
            return pair ? AutomatonSegment<false, true>(i, end)
                        : AutomatonSegment<false, false>(i, end);
        }
        const bool exact = engine_.trie_->KeyMode() == Keys::kExact;
        if (engine_.skipInsideWords_) {
            return exact ? TrieSegment<Keys::kExact, true>(i, end)
                         : TrieSegment<Keys::kFolded, true>(i, end);
        }
        return exact ? TrieSegment<Keys::kExact, false>(i, end)
                     : TrieSegment<Keys::kFolded, false>(i, end);
    }

    // The text before i that no match replaced goes out unchanged, in one piece.
    void CopyThrough(std::size_t i) {
        out_.AppendOutput(std::u16string_view(t_ + copyFrom_, i - copyFrom_));
        copyFrom_ = i;
    }

    // The window lost its first units units.
    void Shift(std::size_t units) { copyFrom_ -= units; }

private:
    template <Keys K, bool kWordStartsOnly>
    std::size_t TrieSegment(std::size_t i, std::size_t end) {
        const PhraseTrie& trie = *engine_.trie_;
        TrieHit hit;
        while (i < end) {
            i = trie.NextCandidate<kWordStartsOnly>(t_, n_, i, end);
            if (i >= end) break;
            if (trie.BestAt<K>(t_, n_, i, hit)) {
                Replace(i, hit);
                i += hit.length;
            } else {
                ++i;
            }
        }
        return i;
    }

    // Block by block: the automata give the state at every position, which tells where keys
    // begin; the first of those not inside an earlier match is resolved, and so on. A block
    // serves the segments that follow it until they leave it.
    template <bool kWordStartsOnly, bool kPair>
    std::size_t AutomatonSegment(std::size_t i, std::size_t end) {
        TrieHit hit;
        while (i < end) {
            if (i < blockFrom_ || i >= blockEnd_) ComputeBlock<kPair>(i);
            const std::size_t stop = std::min(end, blockEnd_);
            const std::size_t kStop = stop - blockFrom_;
            const std::uint8_t* flags = flags_.data();
            std::size_t resume = stop;  // behind the last match, if that runs past stop
            // Eight flags at a time; a match moves k past its end.
            for (std::size_t k = i - blockFrom_; k < kStop;) {
                std::uint64_t word;
                std::memcpy(&word, flags + k, sizeof word);
                if (word == 0) {
                    k += 8;
                    continue;
                }
                k += static_cast<std::size_t>(std::countr_zero(word)) / 8;
                if (k >= kStop) break;
                const std::size_t at = blockFrom_ + k;
                if (kWordStartsOnly && at > 0 && IsWordUnit(t_[at - 1])) {
                    ++k;
                } else if (ResolveAt<kPair>(at, k, hit)) {
                    Replace(at, hit);
                    k += hit.length;
                    resume = std::max(stop, at + hit.length);
                } else {
                    ++k;
                }
            }
            i = resume;
        }
        return i;
    }

    template <bool kPair>
    void ComputeBlock(std::size_t from) {
        const PhraseAutomaton& folded = *engine_.automaton_;
        const PhraseAutomaton* exact = engine_.exactAutomaton_.get();
        const std::size_t block =
            std::max(folded.Block(), kPair ? exact->Block() : std::size_t{0});
        // A block of long keys is long; a short text needs no more than itself.
        const std::size_t count = std::min(decidable_ - from, block);
        if (states_.size() < count) {
            states_.resize(count);
            if (kPair) exactStates_.resize(count);
            flags_.assign(count + 8, 0);  // eight zeros beyond the block end the last word
        }
        folded.States(t_, n_, from, from + count, states_.data());
        folded.CandidateFlags(states_.data(), count, flags_.data());
        if (kPair) {
            exact->States(t_, n_, from, from + count, exactStates_.data());
            exact->CandidateFlags(exactStates_.data(), count, flags_.data(), true);
        }
        std::fill_n(flags_.data() + count, 8, 0);
        blockFrom_ = from;
        blockEnd_ = from + count;
    }

    // The winning row at a candidate position, the k-th of the block: with two automata, the
    // lower of their answers.
    template <bool kPair>
    bool ResolveAt(std::size_t at, std::size_t k, TrieHit& hit) const {
        const PhraseAutomaton& folded = *engine_.automaton_;
        if (!kPair) return folded.Resolve(t_, n_, at, states_[k], hit);
        const PhraseAutomaton& exact = *engine_.exactAutomaton_;
        const bool any = folded.IsCandidate(states_[k]) && folded.Resolve(t_, n_, at, states_[k], hit);
        TrieHit other;
        if (exact.IsCandidate(exactStates_[k]) &&
            exact.Resolve(t_, n_, at, exactStates_[k], other) && (!any || other.row < hit.row)) {
            hit = other;
            return true;
        }
        return any;
    }

    void Replace(std::size_t i, const TrieHit& hit) {
        CopyThrough(i);
        out_.AppendOutput(engine_.Text(engine_.replacements_[hit.row]));
        copyFrom_ = i + hit.length;
        ++found_;
        ++rowHits_[hit.row];
    }

    const ReplaceManyEngine& engine_;
    OutputBuffer& out_;
    int& found_;
    std::vector<int>& rowHits_;
    const char16_t* t_ = nullptr;
    std::size_t n_ = 0;
    std::size_t decidable_ = 0;
    std::size_t copyFrom_ = 0;
    // The automata's states and the candidate flags (1 where a key begins) of the positions
    // [blockFrom_, blockEnd_).
    std::size_t blockFrom_ = 0;
    std::size_t blockEnd_ = 0;
    std::vector<std::uint32_t> states_;
    std::vector<std::uint32_t> exactStates_;
    std::vector<std::uint8_t> flags_;
};

namespace {

// The whole text, with a look at the clock every pollUnits units and a refresh when more than
// 200 ms have passed since the last one; false when the refresh asks to cancel. The clock is
// not read at every position, and a match that runs past a segment's end simply moves the next
// reading further on.
template <class Scanner>
bool ScanWatched(Scanner& scan, std::size_t n, const int& found, const ProgressMonitor& monitor,
                 std::uint32_t lastRefreshTick) {
    const auto poll = static_cast<std::size_t>(std::max(monitor.pollUnits, 1));
    int foundAtLastRefresh = 0;
    for (std::size_t i = 0; i < n;) {
        const std::uint32_t now = monitor.clock();
        const std::uint32_t elapsed = now - lastRefreshTick;  // modulo 2^32: the clock may wrap
        if (elapsed > kRefreshIntervalMs) {
            const ReplaceProgress progress =
                RefreshFigures(found, foundAtLastRefresh, elapsed, i + 1, n);
            lastRefreshTick = now;
            foundAtLastRefresh = found;
            if (monitor.refresh(progress)) return false;
        }
        i = scan.Segment(i, std::min(n, i + poll));
    }
    return true;
}

}  // namespace

// Folded keys of every row, for the kept-pair question when the finders compare exactly: the
// trie when the trie is the finder, else an automaton. Built on first use, once for the engine:
// with a large table that costs seconds, which every input of a run would pay again.
class ReplaceManyEngine::FoldedFinder {
public:
    bool AnyKeyIn(const ReplaceManyEngine& engine, const char16_t* t, std::size_t n,
                  std::size_t from, std::size_t to) {
        std::call_once(built_, [&] {
            const std::vector<TrieRow> rows = engine.TrieRows();
            if (engine.trie_) {
                trie_ = std::make_unique<PhraseTrie>(rows, Keys::kFolded);
            } else {
                automaton_ = PhraseAutomaton::Build(rows, Keys::kFolded,
                                                    PhraseAutomaton::Layout::kAuto,
                                                    kAutomatonMaxEntries);
            }
        });
        return trie_ ? trie_->AnyKeyIn(t, n, from, to) : automaton_->AnyKeyIn(t, n, from, to);
    }

private:
    std::once_flag built_;  // runs and streams may ask at once
    std::unique_ptr<PhraseTrie> trie_;
    std::unique_ptr<PhraseAutomaton> automaton_;
};

ReplaceManyEngine::ReplaceManyEngine(std::span<const ReplacePair> rows)
    : ReplaceManyEngine(rows, Tuning{}) {}

ReplaceManyEngine::ReplaceManyEngine(std::span<const std::array<std::u16string, 3>> rows)
    : ReplaceManyEngine(PairsOf(rows), Tuning{}) {}

ReplaceManyEngine::ReplaceManyEngine(ReplaceManyEngine&&) noexcept = default;
ReplaceManyEngine& ReplaceManyEngine::operator=(ReplaceManyEngine&&) noexcept = default;
ReplaceManyEngine::~ReplaceManyEngine() = default;

ReplaceManyEngine::ReplaceManyEngine(std::span<const ReplacePair> cells, Tuning tuning)
    : folded_(std::make_unique<FoldedFinder>()) {
    // The rows as the pass sees them: a switched-off row, or an extended one with an invalid
    // escape, has no phrase; an extended row's cells are expanded (into expanded, reserved so
    // that the views stay valid).
    std::vector<ReplacePair> seen(cells.begin(), cells.end());
    std::vector<std::u16string> expanded;
    expanded.reserve(2 * cells.size());
    for (ReplacePair& pair : seen) {
        if (HasOption(pair.options, kOptionOff)) {
            pair.search = {};
        } else if (HasOption(pair.options, kOptionExtended)) {
            std::optional<std::u16string> search = ExpandEscapes(pair.search);
            std::optional<std::u16string> replace = ExpandEscapes(pair.replace);
            if (!search || !replace) {
                pair.search = {};
                continue;
            }
            pair.search = expanded.emplace_back(std::move(*search));
            pair.replace = expanded.emplace_back(std::move(*replace));
        }
    }
    const std::span<const ReplacePair> rows(seen);
    std::size_t totalUnits = 0;
    for (const ReplacePair& pair : rows) totalUnits += pair.search.size() + pair.replace.size();
    if (totalUnits > UINT32_MAX) throw std::length_error("table cells too long");
    cellText_.reserve(totalUnits);
    rows_.reserve(rows.size());
    replacements_.reserve(rows.size());
    const auto store = [&](std::u16string_view cell) {
        const Cell stored{static_cast<std::uint32_t>(cellText_.size()),
                          static_cast<std::uint32_t>(cell.size())};
        cellText_.insert(cellText_.end(), cell.begin(), cell.end());
        return stored;
    };

    bool allCaseSensitive = true;
    bool allWholeWord = true;
    std::size_t longestCaseSensitive = 0;
    for (const ReplacePair& pair : rows) {
        Row row;
        row.search = store(pair.search);
        row.caseSensitive = HasOption(pair.options, kOptionCase);
        row.wholeWord = HasOption(pair.options, kOptionWord);
        if (!pair.search.empty()) {
            allCaseSensitive = allCaseSensitive && row.caseSensitive;
            allWholeWord = allWholeWord && row.wholeWord;
            if (row.caseSensitive) {
                longestCaseSensitive = std::max(longestCaseSensitive, pair.search.size());
            }
        }
        longestPhrase_ = std::max<std::size_t>(longestPhrase_, pair.search.size());
        rows_.push_back(row);
        replacements_.push_back(store(pair.replace));
    }
    if (longestPhrase_ == 0) return;  // nothing can match: no finder
    skipInsideWords_ = tuning.skipInsideWords && allWholeWord;

    // Exact keys spare the scan folding every unit, but they can serve only case-sensitive rows.
    const auto keys = tuning.exactKeys && allCaseSensitive ? Keys::kExact : Keys::kFolded;
    // With folded keys a case-sensitive row is checked unit by unit where its key occurs;
    // long phrases make that slow, so those rows get exact keys in an automaton of their own.
    const bool caseRowsApart = tuning.exactKeys && !allCaseSensitive &&
                               longestCaseSensitive > tuning.caseCheckReach;
    const std::vector<TrieRow> trieRows = TrieRows();
    if (tuning.finder == Finder::kTrie) {
        trie_ = std::make_unique<PhraseTrie>(trieRows, keys);
    } else if (tuning.finder != Finder::kAuto || longestPhrase_ > kTrieLongestPhrase) {
        BuildAutomata(trieRows, keys == Keys::kExact, caseRowsApart, tuning.finder);
    } else {
        // Short phrases: the automaton pays while its table stays in the processor's caches;
        // beyond that the trie does better. The reversed keys have about as many distinct
        // prefixes as the keys themselves, so the trie tells which tables are too large.
        trie_ = std::make_unique<PhraseTrie>(trieRows, keys);
        if (trie_->UnitNodes() <= kAutomatonMaxEntries / PhraseAutomaton::ClassCount(trieRows, keys)) {
            BuildAutomata(trieRows, keys == Keys::kExact, caseRowsApart, Finder::kAuto);
            if (automaton_->Dense() && (!exactAutomaton_ || exactAutomaton_->Dense())) {
                trie_.reset();
            } else {
                automaton_.reset();
                exactAutomaton_.reset();
            }
        }
    }
    // Automaton walks restart at each round of a stream, reading as far as the longest phrase
    // ahead: rounds of a block keep that cheap.
    if (automaton_ && longestPhrase_ > kTrieLongestPhrase) {
        streamRound_ = std::max(automaton_->Block(), exactAutomaton_ ? exactAutomaton_->Block() : 0);
    }
}

void ReplaceManyEngine::BuildAutomata(std::span<const TrieRow> rows, bool exactKeys,
                                      bool caseRowsApart, Finder finder) {
    using Layout = PhraseAutomaton::Layout;
    const Layout layout = finder == Finder::kAutomaton         ? Layout::kDense
                          : finder == Finder::kSparseAutomaton ? Layout::kSparse
                                                               : Layout::kAuto;
    if (!caseRowsApart) {
        const auto keys = exactKeys ? Keys::kExact : Keys::kFolded;
        automaton_ = PhraseAutomaton::Build(rows, keys, layout, kAutomatonMaxEntries);
        return;
    }
    // Each automaton sees only its own rows; the others have no phrase there.
    std::vector<TrieRow> ignoringCase(rows.begin(), rows.end());
    std::vector<TrieRow> caseSensitive(rows.begin(), rows.end());
    for (std::size_t r = 0; r < rows.size(); ++r) {
        (rows[r].caseSensitive ? ignoringCase : caseSensitive)[r].phrase = {};
    }
    automaton_ = PhraseAutomaton::Build(ignoringCase, Keys::kFolded, layout,
                                        kAutomatonMaxEntries);
    exactAutomaton_ = PhraseAutomaton::Build(caseSensitive, Keys::kExact, layout,
                                             kAutomatonMaxEntries);
}

std::vector<TrieRow> ReplaceManyEngine::TrieRows() const {
    std::vector<TrieRow> trieRows;
    trieRows.reserve(rows_.size());
    for (const Row& row : rows_) {
        trieRows.push_back({Text(row.search), row.caseSensitive, row.wholeWord});
    }
    return trieRows;
}

bool ReplaceManyEngine::AnyOccurrence(const char16_t* t, std::size_t n, std::size_t from,
                                      std::size_t to) const {
    // A row is kept when its phrase occurs somewhere in the text with case ignored; a row
    // that is not kept matches nowhere, so only the yes-or-no answer matters. An occurrence
    // the finders' own keys find, exact or folded, is one with case ignored.
    if (longestPhrase_ == 0 || from >= to) return false;
    bool exactSomewhere = false;
    if (trie_) {
        if (trie_->AnyKeyIn(t, n, from, to)) return true;
        exactSomewhere = trie_->KeyMode() == Keys::kExact;
    } else {
        if (automaton_->AnyKeyIn(t, n, from, to)) return true;
        if (exactAutomaton_ && exactAutomaton_->AnyKeyIn(t, n, from, to)) return true;
        exactSomewhere = exactAutomaton_ || automaton_->KeyMode() == Keys::kExact;
    }
    // Exact keys found no phrase as written; ask again with case ignored.
    return exactSomewhere && folded_->AnyKeyIn(*this, t, n, from, to);
}

ReplaceResult ReplaceManyEngine::Run(std::u16string_view text,
                                     const ProgressMonitor& monitor) const {
    if (text.size() > static_cast<std::size_t>(INT_MAX)) throw std::length_error("text too long");
    ReplaceResult result;
    result.rowHits.assign(rows_.size(), 0);
    const bool watched = monitor.clock && monitor.refresh;
    std::uint32_t lastRefreshTick = 0;
    if (watched) lastRefreshTick = monitor.startTick ? *monitor.startTick : monitor.clock();

    if (!AnyOccurrence(text.data(), text.size(), 0, text.size())) return result;
    result.anyPairKept = true;

    OutputBuffer out;
    out.StartOutput(static_cast<int>(text.size()));
    Scan scan(*this, out, result.found, result.rowHits);
    scan.View(text.data(), text.size(), text.size());
    if (watched) {
        if (!ScanWatched(scan, text.size(), result.found, monitor, lastRefreshTick)) {
            result.cancelled = true;
            return result;
        }
    } else {
        scan.Segment(0, text.size());
    }
    scan.CopyThrough(text.size());
    result.output = out.FinishOutput();
    return result;
}

ReplaceStream::ReplaceStream(const ReplaceManyEngine& engine)
    : engine_(engine), rowHits_(engine.RowCount(), 0) {
    out_.StartOutput(kStreamOutputStart);
    scan_ = std::make_unique<ReplaceManyEngine::Scan>(engine, out_, found_, rowHits_);
}

ReplaceStream::~ReplaceStream() = default;

std::span<char16_t> ReplaceStream::Room(std::size_t units) {
    if (capacity_ - size_ < units) {
        const std::size_t capacity = std::max(capacity_ * 2, size_ + units);
        auto grown = std::make_unique_for_overwrite<char16_t[]>(capacity);
        std::copy(text_.get(), text_.get() + size_, grown.get());
        text_ = std::move(grown);
        capacity_ = capacity;
    }
    return {text_.get() + size_, units};
}

void ReplaceStream::Commit(std::size_t units) {
    if (units > capacity_ - size_) throw std::out_of_range("more units than room");
    length_ += units;
    if (length_ > static_cast<std::uint64_t>(INT_MAX)) throw std::length_error("text too long");
    size_ += units;
    Advance(false);
}

void ReplaceStream::Write(std::u16string_view text) {
    const std::span<char16_t> room = Room(text.size());
    std::copy(text.begin(), text.end(), room.begin());
    Commit(text.size());
}

void ReplaceStream::Finish() { Advance(true); }

void ReplaceStream::Advance(bool final) {
    // A position is decided once the text reaches its longest possible match and the unit
    // after it, which the whole-word test reads.
    const std::size_t lookahead = engine_.longestPhrase_ + 1;
    const std::size_t limit = final ? size_ : (size_ > lookahead ? size_ - lookahead : 0);
    if (pos_ < limit && (final || limit - pos_ >= engine_.streamRound_)) {
        scan_->View(text_.get(), size_, limit);
        const std::size_t from = pos_;
        pos_ = engine_.longestPhrase_ == 0 ? limit : scan_->Segment(pos_, limit);
        if (found_ == 0 && !occurrenceSeen_) NoteOccurrences(from, limit);
        scan_->CopyThrough(pos_);
    }
    if (!final) Compact();
}

void ReplaceStream::NoteOccurrences(std::size_t from, std::size_t to) {
    // Without a replacement so far, a phrase may still occur with other letter case; every
    // position is looked at once, in the round that decides it.
    occurrenceSeen_ = engine_.AnyOccurrence(text_.get(), size_, from, to);
}

void ReplaceStream::Compact() {
    // Keep the undecided text and the unit before it, for the whole-word test.
    const std::size_t keepFrom = pos_ > 0 ? pos_ - 1 : 0;
    if (keepFrom == 0) return;
    std::copy(text_.get() + keepFrom, text_.get() + size_, text_.get());
    size_ -= keepFrom;
    pos_ -= keepFrom;
    scan_->Shift(keepFrom);
}

ReplaceResult ReplaceMany(std::span<const ReplacePair> rows, std::u16string_view text,
                          const ProgressMonitor& monitor) {
    return ReplaceManyEngine(rows).Run(text, monitor);
}

}  // namespace palimp
