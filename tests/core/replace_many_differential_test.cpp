// The engine against the literal pass on random tables and texts: small alphabets full of
// overlaps, case and word corners, surrogate halves, line breaks, empty cells, duplicate phrases
// with other options. A mismatch is shrunk to a minimal case and printed.
#include <cstdint>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/replace_many.h"
#include "replace_test_support.h"

namespace palimp {
namespace {

using replace_test::EngineConfig;
using replace_test::Escaped;
using replace_test::FakeClock;
using replace_test::LiteralReplaceMany;

struct Row {
    std::u16string search, replace, options;
};

struct Sample {
    std::vector<Row> rows;
    std::u16string text;
};

// A small deterministic generator (the standard distributions differ between libraries).
class Random {
public:
    explicit Random(std::uint64_t seed)
        : state_(seed * 0x9E3779B97F4A7C15ull + 0x2545F4914F6CDD1Dull) {}
    std::uint32_t Below(std::size_t bound) {
        state_ ^= state_ >> 12;
        state_ ^= state_ << 25;
        state_ ^= state_ >> 27;
        return static_cast<std::uint32_t>(((state_ * 0x2545F4914F6CDD1Dull) >> 32) % bound);
    }
    bool Chance(std::uint32_t percent) { return Below(100) < percent; }

private:
    std::uint64_t state_;
};

// Units chosen for their corners: letters in both cases, fold-only equivalents (Kelvin, Ohm,
// capital I with dot, sigma forms), non-word units (space, hyphen, digit, low line, CR, LF, an
// ordinary combining mark, surrogate halves), word units beyond ASCII.
const char16_t kPool[] = {
    u'a',   u'b',   u'A',   u'B',   u' ',   u'-',   u'1',   u'_',   u'\r',  u'\n',
    0x03A3, 0x03C3, 0x03C2, 0x0130, u'i',   u'I',   0x0131, 0x212A, u'k',   u'K',
    0x2126, 0x03C9, 0x03A9, 0x0301, 0x05B0, 0xD83D, 0xDE00, 0x00E9, 0x00C9, 0x4E00,
};

// Groups of units that fold alike: a phrase unit may be swapped for another of its group.
const std::u16string_view kFoldGroups[] = {
    u"aA", u"bB", u"\u03C3\u03A3", u"iI\u0130", u"kK\u212A", u"\u03C9\u03A9\u2126", u"\u00E9\u00C9",
};

const std::u16string_view kOptionCells[] = {
    u"", u"C", u"W", u"C,W", u"W,C", u"c", u"w", u"cw", u"c,W", u"xCx", u" W ", u"CW",
};

char16_t OtherCase(char16_t unit, Random& random) {
    for (std::u16string_view group : kFoldGroups) {
        if (group.find(unit) != std::u16string_view::npos) return group[random.Below(group.size())];
    }
    return unit;
}

std::u16string RandomString(std::u16string_view alphabet, std::size_t length, Random& random) {
    std::u16string s;
    for (std::size_t k = 0; k < length; ++k) s += alphabet[random.Below(alphabet.size())];
    return s;
}

std::u16string RandomPhrase(const std::u16string& alphabet, const std::u16string& text,
                            const std::vector<Row>& rows, std::size_t maxPhrase, Random& random) {
    const std::uint32_t kind = random.Below(100);
    if (kind < 8) return u"";
    if (kind < 18 && !rows.empty()) return rows[random.Below(rows.size())].search;
    if (kind < 22) return RandomString(alphabet, text.size() + 1 + random.Below(3), random);
    if (kind < 65 && !text.empty()) {
        const std::size_t start = random.Below(text.size());
        const std::size_t length = 1 + random.Below(std::min(maxPhrase, text.size() - start));
        std::u16string phrase = text.substr(start, length);
        for (char16_t& unit : phrase) {
            if (random.Chance(30)) unit = OtherCase(unit, random);
        }
        return phrase;
    }
    return RandomString(alphabet, 1 + random.Below(maxPhrase + 1), random);
}

struct Shape {
    std::size_t maxRows, maxText, alphabetSize, maxPhrase;
    // Draw the alphabet from kPool, or from U+4E00 up and the ASCII letters: more distinct
    // units than an automaton can number in a byte.
    bool wide = false;
};

char16_t PoolUnit(Random& random, bool wide) {
    if (!wide) return kPool[random.Below(std::size(kPool))];
    return random.Chance(10) ? static_cast<char16_t>(u'A' + random.Below(58))
                             : static_cast<char16_t>(0x4E00 + random.Below(700));
}

Sample RandomSample(Random& random, const Shape& shape) {
    std::u16string alphabet;
    const std::size_t size = 2 + random.Below(shape.alphabetSize - 1);
    for (std::size_t k = 0; k < size; ++k) alphabet += PoolUnit(random, shape.wide);
    Sample sample;
    sample.text = RandomString(alphabet, random.Below(shape.maxText + 1), random);
    const std::size_t rowCount = random.Below(shape.maxRows + 1);
    for (std::size_t r = 0; r < rowCount; ++r) {
        Row row;
        row.search = RandomPhrase(alphabet, sample.text, sample.rows, shape.maxPhrase, random);
        row.replace =
            random.Chance(25) ? u"" : RandomString(alphabet + u"xy#", random.Below(4), random);
        row.options = kOptionCells[random.Below(std::size(kOptionCells))];
        sample.rows.push_back(row);
    }
    if (shape.wide) {
        // Units that no phrase holds, among the rest: the automaton's class of strangers.
        for (std::size_t k = sample.text.size() / 8; k > 0; --k) {
            sample.text.insert(random.Below(sample.text.size() + 1), 1,
                               static_cast<char16_t>(0x3041 + random.Below(50)));
        }
    }
    return sample;
}

std::vector<ReplacePair> PairsOf(const std::vector<Row>& rows) {
    std::vector<ReplacePair> pairs;
    for (const Row& row : rows) pairs.push_back({row.search, row.replace, row.options});
    return pairs;
}

// Everything a run reports, as text: equal descriptions mean equal runs.
std::string Describe(const ReplaceResult& r, const std::vector<ReplaceProgress>& refreshes) {
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

// One run of the sample, by the literal pass or by the engine in config. A configuration that
// polls on every unit reads the clock exactly where the literal pass does, so both get the same
// clock and cancel and their refreshes are compared too; other polling configurations read the
// clock elsewhere and are compared on results only.
struct Trial {
    std::uint32_t clockSeed;
    int cancelAt;  // refresh (1-based) that cancels; 0: none

    std::string Run(const Sample& sample, const EngineConfig& config, bool literal) const {
        const std::vector<ReplacePair> pairs = PairsOf(sample.rows);
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
        if (literal) return Describe(LiteralReplaceMany(pairs, sample.text, monitor), refreshes);
        const ReplaceManyEngine engine = ReplaceManyTestAccess::Make(
            pairs, config.exactKeys, config.skipInsideWords, config.finder);
        if (config.streamPiece != 0) {
            // A stream cannot be cancelled: it is compared with an uncancelled literal pass.
            const replace_test::PieceSizes sizes(config.streamPiece, clockSeed);
            return Describe(replace_test::RunStream(engine, sample.text, sizes), refreshes);
        }
        return Describe(engine.Run(sample.text, monitor), refreshes);
    }
};

// Removes rows, text units and cell units one at a time for as long as the runs still differ.
Sample Shrink(Sample sample, const std::function<bool(const Sample&)>& differs) {
    const auto cellOf = [](Sample& s, std::size_t r, int which) -> std::u16string& {
        return which == 0 ? s.rows[r].search : which == 1 ? s.rows[r].replace : s.rows[r].options;
    };
    for (bool shrunk = true; shrunk;) {
        shrunk = false;
        const auto attempt = [&](Sample candidate) {
            if (!differs(candidate)) return false;
            sample = std::move(candidate);
            shrunk = true;
            return true;
        };
        for (std::size_t r = 0; r < sample.rows.size();) {
            Sample c = sample;
            c.rows.erase(c.rows.begin() + static_cast<std::ptrdiff_t>(r));
            if (!attempt(std::move(c))) ++r;
        }
        for (std::size_t k = 0; k < sample.text.size();) {
            Sample c = sample;
            c.text.erase(k, 1);
            if (!attempt(std::move(c))) ++k;
        }
        for (std::size_t r = 0; r < sample.rows.size(); ++r) {
            for (int which = 0; which < 3; ++which) {
                for (std::size_t k = 0; k < cellOf(sample, r, which).size();) {
                    Sample c = sample;
                    cellOf(c, r, which).erase(k, 1);
                    if (!attempt(std::move(c))) ++k;
                }
            }
        }
    }
    return sample;
}

std::string Print(const Sample& sample) {
    std::string out = "text \"" + Escaped(sample.text) + "\", rows:";
    for (const Row& row : sample.rows) {
        out += " {\"" + Escaped(row.search) + "\", \"" + Escaped(row.replace) + "\", \"" +
               Escaped(row.options) + "\"}";
    }
    return out;
}

// Runs count random samples through every configuration; stops at the first difference and
// reports it shrunk.
void Differential(std::uint64_t seed, int count, const Shape& shape) {
    Random random(seed);
    for (int n = 0; n < count; ++n) {
        const Sample sample = RandomSample(random, shape);
        const Trial trial{random.Below(1000000),
                          random.Chance(20) ? 1 + static_cast<int>(random.Below(3)) : 0};
        for (const EngineConfig& config : replace_test::kEngineConfigs) {
            const auto differs = [&](const Sample& s) {
                return trial.Run(s, config, false) != trial.Run(s, config, true);
            };
            if (!differs(sample)) continue;
            const Sample minimal = Shrink(sample, differs);
            FAIL() << "seed " << seed << " sample " << n << ", configuration " << config.name
                   << ", cancel at refresh " << trial.cancelAt
                   << "\nminimal case: " << Print(minimal)
                   << "\nengine:  " << trial.Run(minimal, config, false)
                   << "\nliteral: " << trial.Run(minimal, config, true);
        }
    }
}

TEST(ReplaceManyDifferential, SmallTablesOnShortTexts) {
    Differential(1, 12000, {8, 30, 8, 4});
}

TEST(ReplaceManyDifferential, TightAlphabetsForceOverlaps) {
    Differential(2, 3000, {10, 40, 3, 5});
}

TEST(ReplaceManyDifferential, MoreDistinctUnitsThanAByteHolds) {
    Differential(4, 40, {600, 800, 700, 3, true});
}

TEST(ReplaceManyDifferential, LargerTablesOnLongerTexts) {
    // Wide nodes (more children than a linear scan takes), long shared runs, phrases that run
    // past the end of the text.
    Differential(3, 120, {400, 1500, 30, 16});
}

}  // namespace
}  // namespace palimp
