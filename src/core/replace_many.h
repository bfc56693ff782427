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
class PhraseAutomaton;
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
    void AppendOutput(std::u16string_view text);
    // The filled part; the buffer is left empty.
    std::u16string FinishOutput();

    std::size_t Capacity() const { return buffer_.size(); }
    std::size_t Used() const { return used_; }
    // The filled part, valid until the next append.
    std::u16string_view Filled() const { return {buffer_.data(), used_}; }
    // Empties the buffer and keeps its capacity.
    void Clear() { used_ = 0; }

private:
    void Grow(std::size_t needed);

    std::u16string buffer_;
    std::size_t used_ = 0;
};

// One item row of the replacement table, cells exactly as stored. The option cell makes the
// pair case sensitive when it contains the capital C and whole-words-only when it contains the
// capital W; with the capital X the row is switched off and never matches; with the capital E
// its phrase and replacement are read with their escapes expanded (ExpandEscapes), and an
// invalid escape makes the row never match. Lower-case letters and everything else are ignored.
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
// Building costs one sort of the phrases (and, unless the table is large and its phrases short,
// one breadth-first pass over an automaton). A run takes time linear in the text: its cost per
// position grows neither with the number of rows nor with the phrases' lengths (only with the
// number of rows whose phrases occur at one position and fail their word test there). The
// engine keeps copies of the cells and is immutable once built, so several runs and streams may
// use it at once.
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
    friend class ReplaceStream;

    // How the scan finds the winning row at a position; the tests force each one. Which one
    // kAuto picks, and why, is in docs/engine.md.
    enum class Finder {
        kAuto,             // the fastest for the table
        kTrie,             // filters, then a walk down the phrase trie at each candidate position
        kAutomaton,        // one backward automaton pass (a dense table) names every phrase
                           // that starts at a position
        kSparseAutomaton,  // the same automaton with edge lists and failure links
    };
    // Choices the tests switch to reach every path; the defaults are the fastest.
    struct Tuning {
        // Exact keys spare the scan folding every unit where every row is case sensitive, and
        // in a table that mixes both kinds they spare long case checks: the case-sensitive
        // rows get an automaton of their own when one of their phrases is longer than
        // caseCheckReach.
        bool exactKeys = true;
        bool skipInsideWords = true;
        Finder finder = Finder::kAuto;
        std::size_t caseCheckReach = 64;
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
    class FoldedFinder;

    std::vector<replace_detail::TrieRow> TrieRows() const;
    void BuildAutomata(std::span<const replace_detail::TrieRow> rows, bool exactKeys,
                       bool caseRowsApart, Finder finder);
    // Whether some row's phrase occurs at a position in [from, to) of t[0, n) when case is
    // ignored. Reads t as the finders do; folded_ answers when the finders compare exactly.
    bool AnyOccurrence(const char16_t* t, std::size_t n, std::size_t from, std::size_t to) const;

    // Every search and replacement cell, back to back; the trie holds views into it (a vector
    // keeps its buffer when the engine is moved).
    std::vector<char16_t> cellText_;
    std::vector<Row> rows_;
    std::vector<Cell> replacements_;  // by row; apart from rows_, as only matches read them
    // The finders: the trie, or the automaton of every row, or the automaton of the rows that
    // ignore case together with exactAutomaton_ of the case-sensitive ones.
    std::unique_ptr<replace_detail::PhraseTrie> trie_;
    std::unique_ptr<replace_detail::PhraseAutomaton> automaton_;
    std::unique_ptr<replace_detail::PhraseAutomaton> exactAutomaton_;
    // Folded keys for the kept-pair question where the finders' keys are exact; made with the
    // engine, built on first use, then shared by every run and stream.
    std::unique_ptr<FoldedFinder> folded_;
    bool skipInsideWords_ = false;
    std::size_t longestPhrase_ = 0;
    // A stream scans at least this many units at a time (automaton walks restart each round).
    std::size_t streamRound_ = 0;
};

// The pass over a text that arrives in pieces, as a command-line tool reads a large file: the
// output, the count, the row hits and the kept-pair answer are those Run gives for the whole
// text, without progress or cancel. Output is handed out as soon as it is decided, which is
// once the text reaches one unit beyond the longest phrase; with phrases of over 64 units
// output comes in rounds of a few thousand units or eight times the longest phrase, whichever
// is more. So only that much text and the undelivered output are held, whatever the length of
// the text. The engine must outlive the stream.
class ReplaceStream {
public:
    explicit ReplaceStream(const ReplaceManyEngine& engine);
    ReplaceStream(const ReplaceStream&) = delete;
    ReplaceStream& operator=(const ReplaceStream&) = delete;
    ~ReplaceStream();

    // Space for a further `units` units of text, valid until the next call: the caller writes
    // text into a prefix of it and passes the number written to Commit.
    std::span<char16_t> Room(std::size_t units);
    // Takes the units written into Room and scans as far as the text decides. Throws
    // std::length_error when the text passes INT_MAX units in all.
    void Commit(std::size_t units);
    // Room, a copy and Commit in one.
    void Write(std::u16string_view text);
    // The text has ended: the rest is scanned and its output is ready.
    void Finish();

    // The output decided and not yet cleared.
    std::u16string_view Output() const { return out_.Filled(); }
    void ClearOutput() { out_.Clear(); }

    int Found() const { return found_; }
    const std::vector<int>& RowHits() const { return rowHits_; }
    // Units of text committed so far.
    std::uint64_t Length() const { return length_; }
    // After Finish: whether some row's phrase occurs in the text when case is ignored (Run's
    // anyPairKept). Without such a row the output is the text itself.
    bool AnyPairKept() const { return found_ > 0 || occurrenceSeen_; }

private:
    void Advance(bool final);
    void NoteOccurrences(std::size_t from, std::size_t to);
    void Compact();

    const ReplaceManyEngine& engine_;
    std::unique_ptr<char16_t[]> text_;  // the undecided text, after the unit before it
    std::size_t capacity_ = 0;
    std::size_t size_ = 0;   // units held
    std::size_t pos_ = 0;    // the first undecided position; text_[pos_ - 1] is the unit before
    OutputBuffer out_;
    int found_ = 0;
    std::vector<int> rowHits_;
    std::uint64_t length_ = 0;
    bool occurrenceSeen_ = false;
    std::unique_ptr<ReplaceManyEngine::Scan> scan_;
};

// Builds an engine for rows and runs it once over text.
ReplaceResult ReplaceMany(std::span<const ReplacePair> rows, std::u16string_view text,
                          const ProgressMonitor& monitor = {});

}  // namespace palimp
