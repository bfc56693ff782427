// Shared by the replace-many tests and fuzzer: the pass written out literally (every kept row
// tried with MatchAt at every position), the engine configurations each behaviour is run
// against, a fake clock, one run of either described as text, the units and option cells that
// random tables are made of, and readable printing of cases.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <sstream>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/escapes.h"
#include "core/matching.h"
#include "core/replace_automaton.h"
#include "core/replace_trie.h"
#include "core/replace_many.h"
#include "core/replacement_table.h"

namespace palimp {

// Reaches the engine's tuning switches, which only tests need.
class ReplaceManyTestAccess {
public:
    using Finder = ReplaceManyEngine::Finder;
    // caseRowsApart: the case-sensitive rows of a mixed table get their own automaton whatever
    // their phrases' lengths.
    static ReplaceManyEngine Make(std::span<const ReplacePair> rows, bool exactKeys,
                                  bool skipInsideWords, Finder finder = Finder::kAuto,
                                  bool caseRowsApart = false) {
        ReplaceManyEngine::Tuning tuning;
        tuning.exactKeys = exactKeys;
        tuning.skipInsideWords = skipInsideWords;
        tuning.finder = finder;
        if (caseRowsApart) tuning.caseCheckReach = 0;
        return ReplaceManyEngine(rows, tuning);
    }
    // The finders an engine scans with: "trie", "dense", "sparse", "dense+dense" (case-
    // sensitive rows apart), ..., or "none".
    static std::string FindersOf(const ReplaceManyEngine& engine) {
        const auto layout = [](const auto& automaton) {
            return std::string(automaton->Dense() ? "dense" : "sparse");
        };
        if (engine.trie_) return "trie";
        if (!engine.automaton_) return "none";
        if (!engine.exactAutomaton_) return layout(engine.automaton_);
        return layout(engine.automaton_) + "+" + layout(engine.exactAutomaton_);
    }
};

namespace replace_test {

// num / den for num >= 0, den > 0, rounded half up: written apart from the engine's helper so
// that a rounding fault there cannot hide here.
inline int RoundHalfUp(std::int64_t num, std::int64_t den) {
    std::int64_t q = num / den;
    if ((num % den) * 2 >= den) ++q;
    return static_cast<int>(q);
}

// The pass as its rules read: the pre-filter with PosForwardNoCase per row, then at each
// position every kept row in order with MatchAt, one unit copied where none matches, the
// output built in an OutputBuffer, and a progress refresh at every position.
inline ReplaceResult LiteralReplaceMany(std::span<const ReplacePair> rows, std::u16string_view text,
                                        const ProgressMonitor& monitor = {}) {
    ReplaceResult result;
    result.rowHits.assign(rows.size(), 0);
    const bool watched = monitor.clock && monitor.refresh;
    std::uint32_t lastRefreshTick = 0;
    if (watched) lastRefreshTick = monitor.startTick ? *monitor.startTick : monitor.clock();

    struct Kept {
        std::u16string_view phrase, replace;
        bool caseSensitive, wholeWord;
        std::size_t row;
    };
    std::vector<Kept> kept;
    // Extended rows' cells, expanded; reserved so that the views into them stay valid.
    std::vector<std::u16string> expanded;
    expanded.reserve(2 * rows.size());
    for (std::size_t r = 0; r < rows.size(); ++r) {
        if (HasOption(rows[r].options, u'X')) continue;  // switched off
        std::u16string_view search = rows[r].search, replace = rows[r].replace;
        if (HasOption(rows[r].options, u'E')) {
            std::optional<std::u16string> s = ExpandEscapes(search), t = ExpandEscapes(replace);
            if (!s || !t) continue;  // a bad escape: the row takes no part
            search = expanded.emplace_back(std::move(*s));
            replace = expanded.emplace_back(std::move(*t));
        }
        if (PosForwardNoCase(search, text, 1) > 0) {
            kept.push_back({search, replace, HasOption(rows[r].options, u'C'), HasOption(rows[r].options, u'W'), r});
        }
    }
    if (kept.empty()) return result;
    result.anyPairKept = true;

    const int textLength = static_cast<int>(text.size());
    OutputBuffer out;
    out.StartOutput(textLength);
    int found = 0;
    int foundAtLastRefresh = 0;
    int pos = 1;
    bool cancel = false;
    do {
        if (watched) {
            const std::uint32_t now = monitor.clock();
            const std::uint32_t elapsed = now - lastRefreshTick;
            if (elapsed > 200) {
                ReplaceProgress progress;
                progress.found = found;
                progress.rate =
                    RoundHalfUp(std::int64_t{found - foundAtLastRefresh} * 1000, elapsed);
                progress.percent = RoundHalfUp(std::int64_t{pos} * 100, textLength);
                lastRefreshTick = now;
                foundAtLastRefresh = found;
                cancel = monitor.refresh(progress);
            }
        }
        bool matched = false;
        for (const Kept& pair : kept) {
            if (cancel) break;
            const int len = static_cast<int>(pair.phrase.size());
            if (len > 0 && len <= textLength - pos + 1 &&
                MatchAt(pair.phrase, 1, text, pos, len, pair.caseSensitive, pair.wholeWord)) {
                ++found;
                ++result.rowHits[pair.row];
                out.AppendOutput(pair.replace);
                pos += len;
                matched = true;
                break;
            }
        }
        if (!matched) {
            out.AppendOutput(text.substr(static_cast<std::size_t>(pos) - 1, 1));
            ++pos;
        }
    } while (!cancel && pos <= textLength);
    result.found = found;
    if (cancel) {
        result.cancelled = true;
        return result;
    }
    result.output = out.FinishOutput();
    return result;
}

// A table row of the tests' cases and samples, and the pairs that view its cells.
struct Row {
    std::u16string search, replace, options;
};

inline std::vector<ReplacePair> PairsOf(const std::vector<Row>& rows) {
    std::vector<ReplacePair> pairs;
    for (const Row& row : rows) pairs.push_back({row.search, row.replace, row.options});
    return pairs;
}

// Units chosen for their corners: letters in both cases, fold-only equivalents (Kelvin, Ohm,
// capital I with dot, sigma forms), non-word units (space, hyphen, digit, low line, CR, LF, an
// ordinary combining mark, surrogate halves), word units beyond ASCII.
inline constexpr char16_t kCornerUnits[] = {
    u'a',   u'b',   u'A',   u'B',   u' ',   u'-',   u'1',   u'_',   u'\r',  u'\n',
    0x03A3, 0x03C3, 0x03C2, 0x0130, u'i',   u'I',   0x0131, 0x212A, u'k',   u'K',
    0x2126, 0x03C9, 0x03A9, 0x0301, 0x05B0, 0xD83D, 0xDE00, 0x00E9, 0x00C9, 0x4E00,
};

// Option cells as people type them: both letters in either order, lower case (no option),
// letters among other text.
inline constexpr std::u16string_view kOptionCells[] = {
    u"", u"C", u"W", u"C,W", u"W,C", u"c", u"w", u"cw", u"c,W", u"xCx", u" W ", u"CW",
    u"E", u"C,E", u"W,E", u"C,W,E", u"e", u"X", u"C,X", u"E,X",
};

// text written with escapes, as a user of an extended row would write it: every backslash
// doubled, and the units that pick(unit) chooses written as \uXXXX, \xHH or a named escape.
// ExpandEscapes gives text back.
inline std::u16string EscapedForm(std::u16string_view text, const std::function<std::uint32_t()>& pick) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::u16string out;
    for (char16_t unit : text) {
        const std::uint32_t how = pick() % 4;
        const auto hex = [&](int digits) {
            for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4) out += static_cast<char16_t>(kHex[(unit >> shift) & 15]);
        };
        if (unit == u'\\') {
            out += u"\\\\";
        } else if (how == 1) {
            out += u"\\u";
            hex(4);
        } else if (how == 2 && unit < 0x100) {
            out += u"\\x";
            hex(2);
        } else if (how == 3 && (unit == u'\t' || unit == u'\n' || unit == u'\r' || unit == 0)) {
            out += u'\\';
            out += unit == u'\t' ? u't' : unit == u'\n' ? u'n' : unit == u'\r' ? u'r' : u'0';
        } else {
            out += unit;
        }
    }
    return out;
}

// The units of kCornerUnits and beyond that fold alike with unit, unit among them; empty when
// no other unit folds like it.
inline std::u16string_view SpellingsOf(char16_t unit) {
    static constexpr std::u16string_view kFoldGroups[] = {
        u"aA",     u"bB",     u"\u03C3\u03A3", u"iI\u0130", u"kK\u212A", u"\u03C9\u03A9\u2126",
        u"\u00E9\u00C9",
    };
    for (std::u16string_view group : kFoldGroups) {
        if (group.find(unit) != std::u16string_view::npos) return group;
    }
    return {};
}

// A millisecond clock for tests: each reading advances by the next step of a fixed pseudo-random
// sequence (0 to maxStep ms), so two clocks with the same seed read the same.
inline std::function<std::uint32_t()> FakeClock(std::uint32_t seed, std::uint32_t start,
                                                std::uint32_t maxStep) {
    auto state = std::make_shared<std::uint64_t>(seed * 0x9E3779B97F4A7C15ull + 1);
    auto now = std::make_shared<std::uint32_t>(start);
    return [state, now, maxStep] {
        *state = *state * 6364136223846793005ull + 1442695040888963407ull;
        *now += static_cast<std::uint32_t>((*state >> 33) % (maxStep + 1));
        return *now;
    };
}

// One way of building and running the engine; every behaviour must come out the same in all.
struct EngineConfig {
    const char* name;
    bool exactKeys;        // exact keys when every row is case sensitive
    bool skipInsideWords;  // skip positions after a word unit when every row is whole-word
    ReplaceManyTestAccess::Finder finder;
    int pollUnits;  // 0: no progress monitor
    // Non-zero: the text goes through a ReplaceStream in pieces of this many units; -1: in
    // pieces of pseudo-random sizes from 1 unit up, many of 1 and 2 units.
    int streamPiece = 0;
    bool caseRowsApart = false;  // see ReplaceManyTestAccess::Make
};

// Names the configuration in test listings.
inline void PrintTo(const EngineConfig& config, std::ostream* out) { *out << config.name; }

using Finder = ReplaceManyTestAccess::Finder;
inline const EngineConfig kEngineConfigs[] = {
    {"Default", true, true, Finder::kAuto, 0},
    {"Trie", true, true, Finder::kTrie, 0},
    {"TrieFoldedKeys", false, false, Finder::kTrie, 0},
    {"Automaton", true, true, Finder::kAutomaton, 0},
    {"AutomatonFoldedKeys", false, false, Finder::kAutomaton, 0},
    {"PollEveryUnit", true, true, Finder::kAuto, 1},
    {"TriePollEvery3", false, true, Finder::kTrie, 3},
    {"AutomatonPollEvery3", false, true, Finder::kAutomaton, 3},
    {"StreamTrieByUnit", true, true, Finder::kTrie, 0, 1},
    {"StreamAutomatonByTwo", false, true, Finder::kAutomaton, 0, 2},
    {"StreamTrieRandomPieces", false, false, Finder::kTrie, 0, -1},
    {"StreamAutomatonRandomPieces", true, true, Finder::kAutomaton, 0, -1},
    {"SparseAutomaton", true, true, Finder::kSparseAutomaton, 0},
    {"SparseAutomatonFoldedKeys", false, false, Finder::kSparseAutomaton, 0},
    {"CaseRowsApart", true, true, Finder::kAutomaton, 0, 0, true},
    {"SparseCaseRowsApartPollEvery3", true, false, Finder::kSparseAutomaton, 3, 0, true},
    {"StreamSparseRandomPieces", false, true, Finder::kSparseAutomaton, 0, -1},
    {"StreamCaseRowsApartByUnit", true, true, Finder::kAutomaton, 0, 1, true},
};

// Sizes of the pieces a stream is given: a fixed size, or a fixed pseudo-random sequence.
class PieceSizes {
public:
    explicit PieceSizes(int piece, std::uint64_t seed = 1) : piece_(piece), state_(seed) {}
    std::size_t Next() {
        if (piece_ > 0) return static_cast<std::size_t>(piece_);
        state_ = state_ * 6364136223846793005ull + 1442695040888963407ull;
        const auto r = static_cast<std::size_t>(state_ >> 33);
        return r % 3 == 0 ? 1 : r % 3 == 1 ? 2 : r % 29;  // 0 too: an empty piece
    }

private:
    int piece_;
    std::uint64_t state_;
};

// The result of the text given to a stream in pieces, as Run would report it.
inline ReplaceResult RunStream(const ReplaceManyEngine& engine, std::u16string_view text,
                               PieceSizes sizes) {
    ReplaceStream stream(engine);
    std::u16string output;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t piece = std::min(sizes.Next(), text.size() - at);
        // Half the pieces are written through Room with spare room left over.
        if (piece % 2 == 0) {
            const std::span<char16_t> room = stream.Room(piece + 3);
            std::copy_n(text.data() + at, piece, room.data());
            stream.Commit(piece);
        } else {
            stream.Write(text.substr(at, piece));
        }
        at += piece;
        output += stream.Output();
        stream.ClearOutput();
    }
    stream.Finish();
    output += stream.Output();
    ReplaceResult result;
    result.anyPairKept = stream.AnyPairKept();
    result.found = stream.Found();
    result.rowHits = stream.RowHits();
    // A stream hands out the text itself where Run delivers nothing.
    if (result.anyPairKept) {
        result.output = output;
    } else if (output != text) {
        result.output = u"<stream changed a text without kept pairs>";
    }
    return result;
}

inline ReplaceManyEngine MakeEngine(const EngineConfig& config, std::span<const ReplacePair> rows) {
    return ReplaceManyTestAccess::Make(rows, config.exactKeys, config.skipInsideWords,
                                       config.finder, config.caseRowsApart);
}

// Runs rows over text in config, with a clock that triggers refreshes but never cancels.
inline ReplaceResult RunEngine(const EngineConfig& config, std::span<const ReplacePair> rows,
                               std::u16string_view text) {
    const ReplaceManyEngine engine = MakeEngine(config, rows);
    if (config.streamPiece != 0) return RunStream(engine, text, PieceSizes(config.streamPiece));
    if (config.pollUnits == 0) return engine.Run(text);
    ProgressMonitor monitor;
    monitor.clock = FakeClock(7, 0, 120);
    monitor.refresh = [](const ReplaceProgress&) { return false; };
    monitor.pollUnits = config.pollUnits;
    return engine.Run(text, monitor);
}

// Text with every unit outside printable ASCII written as \uXXXX, for failure messages.
inline std::string Escaped(std::u16string_view text) {
    std::string out;
    for (char16_t unit : text) {
        if (unit >= 0x20 && unit < 0x7F && unit != u'\\') {
            out += static_cast<char>(unit);
        } else {
            char buffer[8];
            std::snprintf(buffer, sizeof buffer, "\\u%04X", static_cast<unsigned>(unit));
            out += buffer;
        }
    }
    return out;
}

// Everything a run reports, as text: equal descriptions mean equal runs.
inline std::string Describe(const ReplaceResult& r, const std::vector<ReplaceProgress>& refreshes) {
    std::ostringstream out;
    out << "kept=" << r.anyPairKept << " cancelled=" << r.cancelled << " found=" << r.found
        << " output=\"" << Escaped(r.output) << "\" hits=";
    for (int h : r.rowHits) out << h << ',';
    out << " refreshes=";
    for (const ReplaceProgress& p : refreshes) {
        out << '{' << p.found << ',' << p.rate << ',' << p.percent << '}';
    }
    return out.str();
}

// One run of a table over a text, by the literal pass or by the engine in config. A
// configuration that polls on every unit reads the clock exactly where the literal pass does,
// so both get the same clock and cancel and their refreshes are compared too; other polling
// configurations read the clock elsewhere and are compared on results only.
struct Trial {
    std::uint32_t clockSeed;
    int cancelAt;  // refresh (1-based) that cancels; 0: none

    std::string Run(std::span<const ReplacePair> pairs, std::u16string_view text,
                    const EngineConfig& config, bool literal) const {
        std::vector<ReplaceProgress> refreshes;
        const bool compared = config.pollUnits == 1;
        ProgressMonitor monitor;
        if (literal ? compared : config.pollUnits > 0 && config.streamPiece == 0) {
            monitor.clock = FakeClock(clockSeed, 0, 150);
            monitor.pollUnits = config.pollUnits;
            monitor.refresh = [&](const ReplaceProgress& p) {
                if (!compared) return false;
                refreshes.push_back(p);
                return static_cast<int>(refreshes.size()) == cancelAt;
            };
        }
        if (literal) return Describe(LiteralReplaceMany(pairs, text, monitor), refreshes);
        const ReplaceManyEngine engine = MakeEngine(config, pairs);
        if (config.streamPiece != 0) {
            // A stream cannot be cancelled: it is compared with an uncancelled literal pass.
            return Describe(RunStream(engine, text, PieceSizes(config.streamPiece, clockSeed)),
                            refreshes);
        }
        return Describe(engine.Run(text, monitor), refreshes);
    }
};

}  // namespace replace_test
}  // namespace palimp
