// The replace-many engine: one left-to-right pass that applies an ordered table of replacement
// pairs to a text, with the figures of the progress display and cancel. No user interface.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace palimp {

namespace replace_detail {
class PhraseTrie;
struct TrieRow;
}  // namespace replace_detail

// The result under construction: a buffer that starts at a given capacity, doubles its
// capacity while an append does not fit, and is cut to its filled part at the end.
class OutputBuffer {
public:
    // Makes the buffer capacity units long and empty. Requires capacity >= 1 (assertion
    // "units\glowny", line 286).
    void StartOutput(int capacity);
    // Copies text in behind what is filled; an empty text changes nothing.
    void AppendOutput(std::u16string_view text) {
        if (text.size() > buffer_.size() - used_) Grow(text.size());
        text.copy(buffer_.data() + used_, text.size());
        used_ += text.size();
    }
    // The filled part; the buffer is left empty.
    std::u16string FinishOutput();

    std::size_t Capacity() const { return buffer_.size(); }
    std::size_t Used() const { return used_; }

private:
    void Grow(std::size_t needed);

    std::u16string buffer_;
    std::size_t used_ = 0;
};

// One item row of the replacement table, cells exactly as stored. The option cell makes the
// pair case sensitive when it contains the capital C and whole-words-only when it contains the
// capital W; lower-case letters and everything else are ignored.
struct ReplacePair {
    std::u16string_view search;
    std::u16string_view replace;
    std::u16string_view options;
};

// What the progress display shows at one refresh.
struct ReplaceProgress {
    int found = 0;    // replacements so far
    int rate = 0;     // replacements per second since the previous refresh
    int percent = 0;  // share of the text passed, 0 to 100
};

// "Found: %d (%d/s)" for the progress display's count label.
std::u16string ProgressLabel(const ReplaceProgress& progress);

// num / den rounded to the nearest integer, halves away from zero. Requires den > 0.
std::int64_t RoundedQuotient(std::int64_t num, std::int64_t den);

// How a run reports progress and learns of cancel. Without a clock or a refresh function the
// run reports nothing and cannot be cancelled.
struct ProgressMonitor {
    // A millisecond tick counter (it may wrap around).
    std::function<std::uint32_t()> clock;
    // The tick at which the command started; read from the clock when the run starts if unset.
    std::optional<std::uint32_t> startTick;
    // Called at most once per more than 200 ms of the clock, with the figures to show; returns
    // true to cancel the run.
    std::function<bool(const ReplaceProgress&)> refresh;
    // Text units scanned between two readings of the clock.
    int pollUnits = 8192;
};

struct ReplaceResult {
    std::u16string output;  // the new text when Delivered(), else empty
    int found = 0;          // replacements made (until the cancel, if cancelled)
    // Whether some row's phrase occurs in the text when case is ignored. Without such a row
    // the text is not scanned and nothing is delivered; with one, the output is delivered even
    // when no replacement was made.
    bool anyPairKept = false;
    bool cancelled = false;
    std::vector<int> rowHits;  // replacements made by each table row, in table order
    bool Delivered() const { return anyPairKept && !cancelled; }
};

// Applies a replacement table to texts. The match rule: leftmost, non-overlapping, the earlier
// table row wins at a position, replacements are never rescanned; an empty phrase never
// matches. Case-insensitive comparison folds each unit with FoldCase; whole words need
// non-word units (IsWordChar) just outside the match in the source text.
//
// Building costs one sort of the phrases; a run's cost per text position does not grow with
// the number of rows. The engine keeps copies of the cells and is immutable once built.
class ReplaceManyEngine {
public:
    explicit ReplaceManyEngine(std::span<const ReplacePair> rows);
    // Rows as the table file holds them: search phrase, replacement, option cell.
    explicit ReplaceManyEngine(std::span<const std::array<std::u16string, 3>> rows);
    ReplaceManyEngine(ReplaceManyEngine&&) noexcept;
    ReplaceManyEngine& operator=(ReplaceManyEngine&&) noexcept;
    ~ReplaceManyEngine();

    std::size_t RowCount() const { return rows_.size(); }

    // One pass over text (at most INT_MAX units; longer throws std::length_error). An empty
    // text keeps no pair.
    ReplaceResult Run(std::u16string_view text, const ProgressMonitor& monitor = {}) const;

private:
    friend class ReplaceManyTestAccess;

    // Choices the tests switch to reach every path; the defaults are the fastest.
    struct Tuning {
        bool exactKeysWhenAllCaseSensitive = true;
        bool skipInsideWords = true;
    };
    ReplaceManyEngine(std::span<const ReplacePair> rows, Tuning tuning);

    struct Cell {
        std::uint32_t begin = 0;
        std::uint32_t length = 0;
    };
    struct Row {
        Cell search;
        bool caseSensitive = false;
        bool wholeWord = false;
    };
    class Scan;

    std::u16string_view Text(Cell cell) const {
        return {cellText_.data() + cell.begin, cell.length};
    }
    std::vector<replace_detail::TrieRow> TrieRows() const;
    bool AnyPairKept(std::u16string_view text) const;

    // Every search and replacement cell, back to back; the trie holds views into it (a vector
    // keeps its buffer when the engine is moved).
    std::vector<char16_t> cellText_;
    std::vector<Row> rows_;
    std::vector<Cell> replacements_;  // by row; apart from rows_, as only matches read them
    std::unique_ptr<replace_detail::PhraseTrie> trie_;
    bool skipInsideWords_ = false;
};

// Builds an engine for rows and runs it once over text.
ReplaceResult ReplaceMany(std::span<const ReplacePair> rows, std::u16string_view text,
                          const ProgressMonitor& monitor = {});

}  // namespace palimp
