// The replace-many pass. The result is the one the table's rows give when tried one by one at
// every position, but a trie finds the winning row in time independent of the table's size, a
// filter skips text where no phrase can begin, and unchanged text is copied in whole runs.
#include "core/replace_many.h"

#include <algorithm>
#include <climits>
#include <stdexcept>
#include <string>

#include "core/errors.h"
#include "core/replace_trie.h"
#include "core/replacement_table.h"

namespace palimp {

using replace_detail::PhraseTrie;
using replace_detail::TrieHit;
using replace_detail::TrieRow;

namespace {

// The progress display refreshes when strictly more than this has passed since the last time.
constexpr std::uint32_t kRefreshIntervalMs = 200;

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

}  // namespace

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

// The state of one pass: the output, the counts, and where the text not yet copied begins.
class ReplaceManyEngine::Scan {
public:
    Scan(const ReplaceManyEngine& engine, std::u16string_view text, ReplaceResult& result)
        : engine_(engine), text_(text), result_(result) {
        out_.StartOutput(static_cast<int>(text.size()));
    }

    // Scans from position i (0-based) until a position at or past end is reached; returns it.
    std::size_t Segment(std::size_t i, std::size_t end) {
        const bool exact = engine_.trie_->KeyMode() == PhraseTrie::Keys::kExact;
        if (engine_.skipInsideWords_) {
            return exact ? SegmentOf<PhraseTrie::Keys::kExact, true>(i, end)
                         : SegmentOf<PhraseTrie::Keys::kFolded, true>(i, end);
        }
        return exact ? SegmentOf<PhraseTrie::Keys::kExact, false>(i, end)
                     : SegmentOf<PhraseTrie::Keys::kFolded, false>(i, end);
    }

    // The whole text in one piece.
    bool Unwatched() {
        Segment(0, text_.size());
        return true;
    }

    // The whole text, with a look at the clock every pollUnits units and a refresh when more
    // than 200 ms have passed since the last one; false when the refresh asks to cancel. The
    // clock is not read at every position, and a match that runs past a segment's end simply
    // moves the next reading further on.
    bool Watched(const ProgressMonitor& monitor, std::uint32_t lastRefreshTick) {
        const std::size_t n = text_.size();
        const auto poll = static_cast<std::size_t>(std::max(monitor.pollUnits, 1));
        int foundAtLastRefresh = 0;
        for (std::size_t i = 0; i < n;) {
            const std::uint32_t now = monitor.clock();
            const std::uint32_t elapsed = now - lastRefreshTick;  // modulo 2^32: the clock may wrap
            if (elapsed > kRefreshIntervalMs) {
                const ReplaceProgress progress =
                    RefreshFigures(result_.found, foundAtLastRefresh, elapsed, i + 1, n);
                lastRefreshTick = now;
                foundAtLastRefresh = result_.found;
                if (monitor.refresh(progress)) return false;
            }
            i = Segment(i, std::min(n, i + poll));
        }
        return true;
    }

    std::u16string Finish() {
        out_.AppendOutput(text_.substr(copyFrom_));
        return out_.FinishOutput();
    }

private:
    template <PhraseTrie::Keys K, bool kWordStartsOnly>
    std::size_t SegmentOf(std::size_t i, std::size_t end) {
        const PhraseTrie& trie = *engine_.trie_;
        const char16_t* t = text_.data();
        const std::size_t n = text_.size();
        TrieHit hit;
        while (i < end) {
            i = trie.NextCandidate<kWordStartsOnly>(t, n, i, end);
            if (i >= end) break;
            if (trie.BestAt<K>(t, n, i, hit)) {
                Replace(i, hit);
                i += hit.length;
            } else {
                ++i;
            }
        }
        return i;
    }

    // The text between the previous match and this one goes out unchanged in one piece.
    void Replace(std::size_t i, const TrieHit& hit) {
        out_.AppendOutput(std::u16string_view(text_.data() + copyFrom_, i - copyFrom_));
        out_.AppendOutput(engine_.Text(engine_.replacements_[hit.row]));
        copyFrom_ = i + hit.length;
        ++result_.found;
        ++result_.rowHits[hit.row];
    }

    const ReplaceManyEngine& engine_;
    std::u16string_view text_;
    ReplaceResult& result_;
    OutputBuffer out_;
    std::size_t copyFrom_ = 0;
};

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
        rows_.push_back(row);
        replacements_.push_back(store(pair.replace));
    }

    // Exact keys spare the scan folding every unit, but they can serve only case-sensitive rows.
    const auto keys = tuning.exactKeysWhenAllCaseSensitive && allCaseSensitive
                          ? PhraseTrie::Keys::kExact
                          : PhraseTrie::Keys::kFolded;
    trie_ = std::make_unique<PhraseTrie>(TrieRows(), keys);
    skipInsideWords_ = tuning.skipInsideWords && trie_->AllWholeWord();
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
    if (trie_->AnyKeyIn(text)) return true;
    if (trie_->KeyMode() == PhraseTrie::Keys::kFolded) return false;
    // Exact keys found no phrase as written; ask again with case ignored.
    return PhraseTrie(TrieRows(), PhraseTrie::Keys::kFolded).AnyKeyIn(text);
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

    Scan scan(*this, text, result);
    const bool completed = watched ? scan.Watched(monitor, lastRefreshTick) : scan.Unwatched();
    if (!completed) {
        result.cancelled = true;
        return result;
    }
    result.output = scan.Finish();
    return result;
}

ReplaceResult ReplaceMany(std::span<const ReplacePair> rows, std::u16string_view text,
                          const ProgressMonitor& monitor) {
    return ReplaceManyEngine(rows).Run(text, monitor);
}

}  // namespace palimp
