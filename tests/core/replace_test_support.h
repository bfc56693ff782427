// Shared by the replace-many tests: the pass written out literally (every kept row tried with
// MatchAt at every position), the engine configurations each behaviour is run against, a fake
// clock, and readable printing of cases.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <ostream>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/matching.h"
#include "core/replace_many.h"
#include "core/replacement_table.h"

namespace palimp {

// Reaches the engine's tuning switches, which only tests need.
class ReplaceManyTestAccess {
public:
    static ReplaceManyEngine Make(std::span<const ReplacePair> rows, bool exactKeys,
                                  bool skipInsideWords) {
        return ReplaceManyEngine(rows, ReplaceManyEngine::Tuning{exactKeys, skipInsideWords});
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
    for (std::size_t r = 0; r < rows.size(); ++r) {
        if (PosForwardNoCase(rows[r].search, text, 1) > 0) {
            kept.push_back({rows[r].search, rows[r].replace, HasOption(rows[r].options, u'C'),
                            HasOption(rows[r].options, u'W'), r});
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
    int pollUnits;         // 0: no progress monitor
};

// Names the configuration in test listings.
inline void PrintTo(const EngineConfig& config, std::ostream* out) { *out << config.name; }

inline const EngineConfig kEngineConfigs[] = {
    {"Default", true, true, 0},
    {"FoldedKeys", false, false, 0},
    {"PollEveryUnit", true, true, 1},
    {"FoldedPollEvery3", false, true, 3},
};

// Runs rows over text in config, with a clock that triggers refreshes but never cancels.
inline ReplaceResult RunEngine(const EngineConfig& config, std::span<const ReplacePair> rows,
                               std::u16string_view text) {
    const ReplaceManyEngine engine =
        ReplaceManyTestAccess::Make(rows, config.exactKeys, config.skipInsideWords);
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

}  // namespace replace_test
}  // namespace palimp
