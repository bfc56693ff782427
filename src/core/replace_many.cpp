// The replace-many pass. The result is the one the table's rows give when tried one by one at
// every position, but an automaton (tables of up to some thousands of phrases) or a filtered
// trie walk (larger ones) finds the winning row in time independent of the table's size, and
// unchanged text is copied in whole runs.
#include "core/replace_many.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <cstring>
#include <stdexcept>
#include <string>

#include "core/errors.h"
#include "core/replace_automaton.h"
#include "core/replace_trie.h"
#include "core/replacement_table.h"

namespace palimp {

using replace_detail::PhraseAutomaton;
using replace_detail::PhraseTrie;
using replace_detail::TrieHit;
using replace_detail::TrieRow;

namespace {

// The progress display refreshes when strictly more than this has passed since the last time.
constexpr std::uint32_t kRefreshIntervalMs = 200;

// The automaton serves tables whose transitions fit in this many entries (16 MB) and whose
// phrases are at most this long; it scans blocks of at least this many positions.
constexpr std::size_t kAutomatonMaxEntries = std::size_t{1} << 22;
constexpr std::size_t kAutomatonLongestPhrase = 1024;
constexpr std::size_t kAutomatonMinBlock = 8192;

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

// Blocks long beside the longest phrase keep the automaton's restarts cheap.
std::size_t AutomatonBlock(const PhraseAutomaton& automaton) {
    return std::max(kAutomatonMinBlock, 8 * automaton.Longest());
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

    void View(const char16_t* t, std::size_t n) {
        t_ = t;
        n_ = n;
    }

    // Decides the positions from i (0-based) on until one at or past end is reached, and
    // returns it; a match may run past end. The window must hold the text up to end plus the
    // longest phrase, or up to the end of the text.
    std::size_t Segment(std::size_t i, std::size_t end) {
        if (engine_.automaton_) {
            return engine_.skipInsideWords_ ? AutomatonSegment<true>(i, end)
                                            : AutomatonSegment<false>(i, end);
        }
        const bool exact = engine_.trie_->KeyMode() == PhraseTrie::Keys::kExact;
        if (engine_.skipInsideWords_) {
            return exact ? TrieSegment<PhraseTrie::Keys::kExact, true>(i, end)
                         : TrieSegment<PhraseTrie::Keys::kFolded, true>(i, end);
        }
        return exact ? TrieSegment<PhraseTrie::Keys::kExact, false>(i, end)
                     : TrieSegment<PhraseTrie::Keys::kFolded, false>(i, end);
    }

    // The text before i that no match replaced goes out unchanged, in one piece.
    void CopyThrough(std::size_t i) {
        out_.AppendOutput(std::u16string_view(t_ + copyFrom_, i - copyFrom_));
        copyFrom_ = i;
    }

    // The window lost its first units units.
    void Shift(std::size_t units) { copyFrom_ -= units; }

private:
    template <PhraseTrie::Keys K, bool kWordStartsOnly>
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

    // Block by block: the automaton gives the state at every position, which tells where keys
    // begin; the first of those not inside an earlier match is resolved, and so on.
    template <bool kWordStartsOnly>
    std::size_t AutomatonSegment(std::size_t i, std::size_t end) {
        const PhraseAutomaton& automaton = *engine_.automaton_;
        const std::size_t block = AutomatonBlock(automaton);
        if (states_.size() < block) {
            states_.resize(block);
            flags_.assign(block + 8, 0);  // eight zeros beyond the block end the last word
        }
        const std::uint32_t* states = states_.data();
        const std::uint8_t* flags = flags_.data();
        TrieHit hit;
        while (i < end) {
            const std::size_t from = i;
            const std::size_t count = std::min(end - from, block);
            automaton.States(t_, n_, from, from + count, states_.data());
            automaton.CandidateFlags(states, count, flags_.data());
            std::fill_n(flags_.data() + count, 8, 0);
            // Eight flags at a time; a match moves k past its end.
            for (std::size_t k = 0; k < count;) {
                std::uint64_t word;
                std::memcpy(&word, flags + k, sizeof word);
                if (word == 0) {
                    k += 8;
                    continue;
                }
                k += static_cast<std::size_t>(std::countr_zero(word)) / 8;
                const std::size_t at = from + k;
                if (kWordStartsOnly && at > 0 && IsWordUnit(t_[at - 1])) {
                    ++k;
                } else if (automaton.Resolve(t_, n_, at, states[k], hit)) {
                    Replace(at, hit);
                    i = at + hit.length;
                    k += hit.length;
                } else {
                    ++k;
                }
            }
            i = std::max(i, from + count);
        }
        return i;
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
    std::size_t copyFrom_ = 0;
    std::vector<std::uint32_t> states_;  // the automaton's, for one block
    std::vector<std::uint8_t> flags_;    // 1 where a key begins, for one block
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

ReplaceManyEngine::ReplaceManyEngine(std::span<const ReplacePair> rows)
    : ReplaceManyEngine(rows, Tuning{}) {}

ReplaceManyEngine::ReplaceManyEngine(std::span<const std::array<std::u16string, 3>> rows)
    : ReplaceManyEngine(PairsOf(rows), Tuning{}) {}

ReplaceManyEngine::ReplaceManyEngine(ReplaceManyEngine&&) noexcept = default;
ReplaceManyEngine& ReplaceManyEngine::operator=(ReplaceManyEngine&&) noexcept = default;
ReplaceManyEngine::~ReplaceManyEngine() = default;

ReplaceManyEngine::ReplaceManyEngine(std::span<const ReplacePair> rows, Tuning tuning) {
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
    for (const ReplacePair& pair : rows) {
        Row row;
        row.search = store(pair.search);
        row.caseSensitive = HasOption(pair.options, kOptionCase);
        row.wholeWord = HasOption(pair.options, kOptionWord);
        if (!pair.search.empty() && !row.caseSensitive) allCaseSensitive = false;
        longestPhrase_ = std::max<std::size_t>(longestPhrase_, pair.search.size());
        rows_.push_back(row);
        replacements_.push_back(store(pair.replace));
    }

    // Exact keys spare the scan folding every unit, but they can serve only case-sensitive rows.
    const auto keys = tuning.exactKeysWhenAllCaseSensitive && allCaseSensitive
                          ? PhraseTrie::Keys::kExact
                          : PhraseTrie::Keys::kFolded;
    const std::vector<TrieRow> trieRows = TrieRows();
    trie_ = std::make_unique<PhraseTrie>(trieRows, keys);
    skipInsideWords_ = tuning.skipInsideWords && trie_->AllWholeWord();
    // The automaton pays while its table stays in the processor's caches and its blocks stay
    // long beside the longest phrase; beyond that the trie does better.
    if (tuning.finder == Finder::kAutomaton) {
        automaton_ = PhraseAutomaton::Build(trieRows, keys, SIZE_MAX);
    } else if (tuning.finder == Finder::kAuto && longestPhrase_ <= kAutomatonLongestPhrase) {
        // The reversed keys have about as many distinct prefixes as the keys themselves, so the
        // trie tells which tables are clearly too large to try.
        automaton_ = PhraseAutomaton::Build(trieRows, keys, kAutomatonMaxEntries,
                                            trie_->UnitNodes());
    }
}

std::vector<TrieRow> ReplaceManyEngine::TrieRows() const {
    std::vector<TrieRow> trieRows;
    trieRows.reserve(rows_.size());
    for (const Row& row : rows_) {
        trieRows.push_back({Text(row.search), row.caseSensitive, row.wholeWord});
    }
    return trieRows;
}

bool ReplaceManyEngine::AnyPairKept(std::u16string_view text) const {
    // A row is kept when its phrase occurs somewhere in the text with case ignored; a row
    // that is not kept matches nowhere, so only the yes-or-no answer matters.
    if (trie_->Empty()) return false;
    if (trie_->AnyKeyIn(text.data(), text.size(), 0, text.size())) return true;
    if (trie_->KeyMode() == PhraseTrie::Keys::kFolded) return false;
    // Exact keys found no phrase as written; ask again with case ignored.
    return PhraseTrie(TrieRows(), PhraseTrie::Keys::kFolded)
        .AnyKeyIn(text.data(), text.size(), 0, text.size());
}

ReplaceResult ReplaceManyEngine::Run(std::u16string_view text,
                                     const ProgressMonitor& monitor) const {
    if (text.size() > static_cast<std::size_t>(INT_MAX)) throw std::length_error("text too long");
    ReplaceResult result;
    result.rowHits.assign(rows_.size(), 0);
    const bool watched = monitor.clock && monitor.refresh;
    std::uint32_t lastRefreshTick = 0;
    if (watched) lastRefreshTick = monitor.startTick ? *monitor.startTick : monitor.clock();

    if (text.empty() || !AnyPairKept(text)) return result;
    result.anyPairKept = true;

    OutputBuffer out;
    out.StartOutput(static_cast<int>(text.size()));
    Scan scan(*this, out, result.found, result.rowHits);
    scan.View(text.data(), text.size());
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
    if (pos_ < limit) {
        scan_->View(text_.get(), size_);
        const std::size_t from = pos_;
        pos_ = engine_.trie_->Empty() ? limit : scan_->Segment(pos_, limit);
        if (found_ == 0 && !occurrenceSeen_) NoteOccurrences(from, limit);
        scan_->CopyThrough(pos_);
    }
    if (!final) Compact();
}

void ReplaceStream::NoteOccurrences(std::size_t from, std::size_t to) {
    // Without a replacement so far, a phrase may still occur with other letter case; every
    // position is looked at once, in the round that decides it.
    const PhraseTrie* folded = engine_.trie_.get();
    if (folded->Empty()) return;
    if (folded->KeyMode() != PhraseTrie::Keys::kFolded) {
        if (!foldedTrie_) {
            foldedTrie_ = std::make_unique<PhraseTrie>(engine_.TrieRows(), PhraseTrie::Keys::kFolded);
        }
        folded = foldedTrie_.get();
    }
    occurrenceSeen_ = folded->AnyKeyIn(text_.get(), size_, from, to);
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
