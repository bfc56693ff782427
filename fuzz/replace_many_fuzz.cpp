// Fuzzes the replace-many engine against the literal pass of the tests (every kept row tried at
// every position) with tables as people write them and as they go wrong: phrases cut from the
// text with their case changed, long runs of one unit and phrases across the finders' 64-unit
// thresholds, phrases that extend earlier ones, empty cells, option cells of every spelling.
// Each input runs in one engine configuration it picks (finder, key mode, polling, stream
// pieces, cancel) and in the default one; output, counts, row hits, the kept-pair answer and,
// where the clock is read at every unit, the progress figures must equal the literal pass's.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include <fuzzer/FuzzedDataProvider.h>

#include "core/replace_many.h"
#include "replace_test_support.h"

#include "fuzz_check.h"

namespace {

using palimp::ReplacePair;
using namespace palimp::replace_test;

template <class T>
const T& Pick(FuzzedDataProvider& input, std::span<const T> items) {
    return items[input.ConsumeIntegralInRange<std::size_t>(0, items.size() - 1)];
}

// unit or a unit that folds like it ('K' or U+212A for 'k').
char16_t OtherSpelling(FuzzedDataProvider& input, char16_t unit) {
    const std::u16string_view spellings = SpellingsOf(unit);
    return spellings.empty() ? unit : Pick(input, std::span<const char16_t>(spellings));
}

// A unit of the table's alphabet, now and then another spelling of it.
char16_t Unit(FuzzedDataProvider& input, std::u16string_view alphabet) {
    const char16_t unit = Pick(input, std::span<const char16_t>(alphabet));
    return input.ConsumeIntegralInRange(0, 7) == 0 ? OtherSpelling(input, unit) : unit;
}

// Most runs are short, some cross the finders' thresholds, a few are hundreds of units long.
std::size_t RunLength(FuzzedDataProvider& input) {
    switch (input.ConsumeIntegralInRange(0, 7)) {
    case 0: return input.ConsumeIntegralInRange<std::size_t>(60, 70);
    case 1: return input.ConsumeIntegralInRange<std::size_t>(70, 700);
    default: return input.ConsumeIntegralInRange<std::size_t>(1, 8);
    }
}

std::u16string Phrase(FuzzedDataProvider& input, std::u16string_view alphabet,
                      std::u16string_view text, std::span<const std::u16string> earlier) {
    std::u16string phrase;
    const int kind = input.ConsumeIntegralInRange(0, 5);
    if (kind == 0) return phrase;  // empty: never matches
    if (kind <= 2 && !text.empty()) {
        const auto at = input.ConsumeIntegralInRange<std::size_t>(0, text.size() - 1);
        phrase = text.substr(at, RunLength(input));
    } else if (kind <= 3) {
        phrase.assign(RunLength(input), Unit(input, alphabet));
        if (input.ConsumeBool()) phrase += Unit(input, alphabet);
    } else {
        // Random units, or an earlier phrase with more behind it.
        if (kind == 4 && !earlier.empty()) phrase = Pick(input, earlier);
        for (std::size_t n = input.ConsumeIntegralInRange(1, 4); n > 0; --n) {
            phrase += Unit(input, alphabet);
        }
    }
    // Another case here and there, which only rows that ignore case still match.
    for (std::size_t n = phrase.empty() ? 0 : input.ConsumeIntegralInRange(0, 2); n > 0; --n) {
        char16_t& unit = phrase[input.ConsumeIntegralInRange<std::size_t>(0, phrase.size() - 1)];
        unit = OtherSpelling(input, unit);
    }
    return phrase;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const EngineConfig& config = Pick(input, std::span<const EngineConfig>(kEngineConfigs));
    const Trial trial{input.ConsumeIntegral<std::uint32_t>(), input.ConsumeIntegralInRange(0, 3)};

    std::u16string alphabet;
    for (std::size_t n = input.ConsumeIntegralInRange(2, 6); n > 0; --n) {
        alphabet += Pick(input, std::span<const char16_t>(kCornerUnits));
    }
    std::u16string text;
    while (text.size() < 3000 && input.ConsumeIntegralInRange(0, 15) != 0) {
        text.append(RunLength(input), Unit(input, alphabet));
    }
    // Three cells a row: the phrase, a short replacement, an option cell.
    std::vector<std::u16string> phrases, cells;
    for (std::size_t r = input.ConsumeIntegralInRange(0, 10); r > 0; --r) {
        phrases.push_back(Phrase(input, alphabet, text, phrases));
        std::u16string replace;
        for (std::size_t n = input.ConsumeIntegralInRange(0, 3); n > 0; --n) {
            replace += Unit(input, alphabet + u"#");
        }
        cells.push_back(replace);
        cells.emplace_back(Pick(input, std::span<const std::u16string_view>(kOptionCells)));
    }
    std::vector<ReplacePair> rows;
    for (std::size_t r = 0; r < phrases.size(); ++r) {
        // Extended rows hold their cells as escapes, or whatever the input gives (bad ones too).
        if (palimp::HasOption(cells[2 * r + 1], palimp::kOptionExtended) && input.ConsumeBool()) {
            const auto pick = [&input] { return input.ConsumeIntegral<std::uint32_t>(); };
            phrases[r] = EscapedForm(phrases[r], pick);
            cells[2 * r] = EscapedForm(cells[2 * r], pick);
        }
        rows.push_back({phrases[r], cells[2 * r], cells[2 * r + 1]});
    }

    for (const EngineConfig* c : {&config, &kEngineConfigs[0]}) {
        FUZZ_CHECK(trial.Run(rows, text, *c, false) == trial.Run(rows, text, *c, true));
    }
    return 0;
}
