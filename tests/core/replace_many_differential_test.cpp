// The engine against the literal pass on random tables and texts: small alphabets full of
// overlaps, case and word corners, surrogate halves, line breaks, empty cells, duplicate phrases
// with other options. A mismatch is shrunk to a minimal case and printed.
#include <chrono>
#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/replace_many.h"
#include "replace_test_support.h"

namespace palimp {
namespace {

using replace_test::EngineConfig;
using replace_test::PairsOf;
using replace_test::Row;
using replace_test::Escaped;
using replace_test::EscapedForm;
using replace_test::kCornerUnits;
using replace_test::kOptionCells;
using replace_test::SpellingsOf;
using replace_test::Trial;

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

char16_t OtherCase(char16_t unit, Random& random) {
    const std::u16string_view spellings = SpellingsOf(unit);
    return spellings.empty() ? unit : spellings[random.Below(spellings.size())];
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
    // Draw the alphabet from kCornerUnits, or from U+4E00 up and the ASCII letters: more distinct
    // units than an automaton can number in a byte.
    bool wide = false;
};

char16_t PoolUnit(Random& random, bool wide) {
    if (!wide) return kCornerUnits[random.Below(std::size(kCornerUnits))];
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
        if (HasOption(row.options, kOptionExtended)) {
            // The cells as escapes that expand to what the text holds, now and then a bad one.
            const auto pick = [&random] { return random.Below(4); };
            row.search = EscapedForm(row.search, pick);
            row.replace = EscapedForm(row.replace, pick);
            if (random.Chance(5)) row.search.insert(random.Below(row.search.size() + 1), u"\\q");
        }
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

// Removes runs of rows, of text units and of cell units (halving the run down to one) for as
// long as the runs still differ. A fault that needs a table too large for the automaton keeps
// the table large, so shrinking gives up after half a minute.
Sample Shrink(Sample sample, const std::function<bool(const Sample&)>& differs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    const auto cellOf = [](Sample& s, std::size_t r, int which) -> std::u16string& {
        return which == 0 ? s.rows[r].search : which == 1 ? s.rows[r].replace : s.rows[r].options;
    };
    const auto inTime = [&] { return std::chrono::steady_clock::now() < deadline; };
    for (bool shrunk = true; shrunk;) {
        shrunk = false;
        // Shortens the sequence that part(sample) names, a string or the rows.
        const auto shorten = [&](const auto& part) {
            for (std::size_t run = std::max<std::size_t>(part(sample).size() / 2, 1); run > 0;
                 run /= 2) {
                for (std::size_t k = 0; k + run <= part(sample).size() && inTime();) {
                    Sample c = sample;
                    const auto from = part(c).begin() + static_cast<std::ptrdiff_t>(k);
                    part(c).erase(from, from + static_cast<std::ptrdiff_t>(run));
                    if (!differs(c)) {
                        k += run;
                        continue;
                    }
                    sample = std::move(c);
                    shrunk = true;
                }
            }
        };
        shorten([](Sample& s) -> std::vector<Row>& { return s.rows; });
        shorten([](Sample& s) -> std::u16string& { return s.text; });
        for (std::size_t r = 0; r < sample.rows.size(); ++r) {
            for (int which = 0; which < 3; ++which) {
                shorten([&](Sample& s) -> std::u16string& { return cellOf(s, r, which); });
            }
        }
    }
    return sample;
}

// The sample as text, its first 50 rows at most.
std::string Print(const Sample& sample) {
    std::string out = "text \"" + Escaped(sample.text) + "\", " +
                      std::to_string(sample.rows.size()) + " rows:";
    for (std::size_t r = 0; r < std::min<std::size_t>(sample.rows.size(), 50); ++r) {
        const Row& row = sample.rows[r];
        out += " {\"" + Escaped(row.search) + "\", \"" + Escaped(row.replace) + "\", \"" +
               Escaped(row.options) + "\"}";
    }
    return out;
}

// Long phrases: texts of long runs of one unit with rare others, where a long phrase almost
// occurs at every position (the shape that made the trie's walk and the kept-pair check
// quadratic), and tables of long phrases cut from them, sharing prefixes, with a unit or the
// case changed, with every option cell. Lengths cross the finders' threshold of 64 units.
Sample LongPhraseSample(Random& random, std::size_t maxText, std::size_t maxRows,
                        std::size_t maxPhrase) {
    std::u16string alphabet;
    for (std::size_t k = 2 + random.Below(3); k > 0; --k) {
        alphabet += kCornerUnits[random.Below(std::size(kCornerUnits))];
    }
    const char16_t run = alphabet[0];
    const std::uint32_t rare = 1 + random.Below(5);  // percent of units outside the run
    Sample sample;
    for (std::size_t k = random.Below(maxText + 1); k > 0; --k) {
        sample.text += random.Chance(rare)  ? alphabet[random.Below(alphabet.size())]
                       : random.Chance(2) ? OtherCase(run, random)
                                          : run;
    }
    const auto length = [&]() -> std::size_t {
        const std::uint32_t kind = random.Below(4);
        if (kind == 0) return 1 + random.Below(8);
        if (kind == 1) return 60 + random.Below(10);
        return 70 + random.Below(maxPhrase - 69);
    };
    const auto cut = [&](std::size_t size) {
        if (sample.text.empty()) return std::u16string(size, run);
        const std::size_t start = random.Below(sample.text.size());
        return sample.text.substr(start, size);
    };
    for (std::size_t r = random.Below(maxRows) + 1; r > 0; --r) {
        const std::uint32_t kind = random.Below(100);
        const std::u16string* earlier =
            sample.rows.empty() ? nullptr : &sample.rows[random.Below(sample.rows.size())].search;
        std::u16string phrase;
        if (kind < 5) {
            // empty
        } else if (kind < 20 && earlier && !earlier->empty()) {
            // The same beginning, another end.
            phrase = earlier->substr(0, 1 + random.Below(earlier->size()));
            phrase += RandomString(alphabet, random.Below(4), random);
        } else if (kind < 32 && earlier) {
            phrase = *earlier + cut(length());
        } else if (kind < 48) {
            phrase = std::u16string(length(), run) + alphabet[random.Below(alphabet.size())];
        } else {
            phrase = cut(length());
            if (!phrase.empty() && random.Chance(30)) {
                phrase[random.Below(phrase.size())] = alphabet[random.Below(alphabet.size())];
            }
        }
        if (random.Chance(20)) {
            for (char16_t& unit : phrase) {
                if (random.Chance(3)) unit = OtherCase(unit, random);
            }
        }
        sample.rows.push_back({phrase, RandomString(alphabet + u"xy", random.Below(4), random),
                               std::u16string(kOptionCells[random.Below(std::size(kOptionCells))])});
    }
    return sample;
}

// A table too large for the automaton's dense table: 60,000 short phrases over 40 units, few
// of them case sensitive, and then a few long ones cut from the text, case sensitive or not.
// Left to choose, the engine serves the short phrases alone with the trie, and with the long
// ones a sparse automaton, beside a dense one of the exact keys where a long row is case
// sensitive.
enum class LongRows { kNone, kIgnoringCase, kSomeCaseSensitive };

Sample LargeTableSample(Random& random, LongRows longRows) {
    const std::u16string letters = u"abcdefghijklmnopqrstuvwxyzABCDEFG -\u00E9\u00C9\u212A.,";
    const std::u16string_view mostCells[] = {u"", u"W", u"c", u"w"};
    Sample sample;
    sample.text = RandomString(letters, 3000, random);
    for (int r = 0; r < 60000; ++r) {
        const std::u16string_view options =
            random.Chance(10) ? kOptionCells[random.Below(std::size(kOptionCells))]
                              : mostCells[random.Below(std::size(mostCells))];
        sample.rows.push_back(
            {RandomString(letters, 3 + random.Below(7), random), u"#", std::u16string(options)});
    }
    if (longRows == LongRows::kNone) return sample;
    for (std::size_t k = 1 + random.Below(4); k > 0; --k) {
        Row& row = sample.rows[random.Below(sample.rows.size())];
        const std::size_t start = random.Below(sample.text.size() - 200);
        row.search = sample.text.substr(start, 65 + random.Below(140));
        row.options = random.Chance(50) ? u"W" : u"";
        if (k == 1 && longRows == LongRows::kSomeCaseSensitive) row.options = u"C";
    }
    return sample;
}

// Runs count random samples through every configuration; stops at the first difference and
// reports it shrunk. Returns the finders the engine chose for the samples on its own, so that
// a test can tell that its samples reach the thresholds it is meant to cross.
std::set<std::string> Differential(std::uint64_t seed, int count,
                                   const std::function<Sample(Random&, int)>& make) {
    Random random(seed);
    std::set<std::string> chosen;
    for (int n = 0; n < count; ++n) {
        const Sample sample = make(random, n);
        chosen.insert(ReplaceManyTestAccess::FindersOf(ReplaceManyEngine(PairsOf(sample.rows))));
        const Trial trial{random.Below(1000000),
                          random.Chance(20) ? 1 + static_cast<int>(random.Below(3)) : 0};
        // The literal pass comes out the same for every configuration that does not compare
        // refreshes, and for every one that does.
        std::string literal[2];
        for (const EngineConfig& config : replace_test::kEngineConfigs) {
            std::string& expected = literal[config.pollUnits == 1];
            const auto run = [&](const Sample& s, bool literal) {
                return trial.Run(PairsOf(s.rows), s.text, config, literal);
            };
            if (expected.empty()) expected = run(sample, true);
            if (run(sample, false) == expected) continue;
            const auto differs = [&](const Sample& s) { return run(s, false) != run(s, true); };
            const Sample minimal = Shrink(sample, differs);
            ADD_FAILURE() << "seed " << seed << " sample " << n << ", configuration " << config.name
                   << ", cancel at refresh " << trial.cancelAt
                   << "\nminimal case: " << Print(minimal)
                   << "\nengine:  " << run(minimal, false)
                   << "\nliteral: " << run(minimal, true);
            return chosen;
        }
    }
    return chosen;
}

void Differential(std::uint64_t seed, int count, const Shape& shape) {
    Differential(seed, count, [&](Random& random, int) { return RandomSample(random, shape); });
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

TEST(ReplaceManyDifferential, LongPhrasesOnRunsOfOneUnit) {
    const std::set<std::string> chosen = Differential(5, 600, [](Random& random, int) {
        return LongPhraseSample(random, 2500, 6, 600);
    });
    // Short and long phrases alone, and long case-sensitive rows among rows that ignore case.
    EXPECT_EQ(chosen, (std::set<std::string>{"dense", "dense+dense", "none"}));
}

TEST(ReplaceManyDifferential, LongPhrasesAcrossStreamRounds) {
    // Texts several automaton blocks long, so that streams decide them in rounds.
    Differential(6, 30, [](Random& random, int) { return LongPhraseSample(random, 40000, 4, 2000); });
}

TEST(ReplaceManyDifferential, LargeTablesAtTheFinderThresholds) {
    const std::set<std::string> chosen = Differential(7, 3, [](Random& random, int n) {
        return LargeTableSample(random, static_cast<LongRows>(n));
    });
    EXPECT_EQ(chosen, (std::set<std::string>{"trie", "sparse", "sparse+dense"}))
        << "the samples no longer cross the thresholds of the engine's choice";
}

}  // namespace
}  // namespace palimp
