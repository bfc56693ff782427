// Micro-benchmarks of the matching primitives on 1 MiB of UTF-16 text (524,288 units): MatchAt
// at every position as the replace pass calls it, the whole-text pre-check PosForwardNoCase,
// and FindPhrase stepping through every whole-word hit as Find Next does.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

#include "core/matching.h"

namespace {

using palimp::FindPhrase;
using palimp::MatchAt;
using palimp::PosForward;
using palimp::PosForwardNoCase;

constexpr std::size_t kTextUnits = 512 * 1024;

// Deterministic mixed text: mostly English-like words, some accented Latin, Greek, Cyrillic and
// CJK words, punctuation and CR LF line ends.
const std::u16string& Corpus() {
    static const std::u16string text = [] {
        static const char16_t* const kWords[] = {
            u"the", u"of", u"and", u"to", u"in", u"is", u"that", u"for", u"The", u"with",
            u"replace", u"many", u"text", u"phrases", u"at", u"once", u"table", u"window",
            u"editor", u"search", u"whole", u"words", u"case", u"other", u"theory", u"there",
            u"caf\u00E9", u"na\u00EFve", u"Stra\u00DFe", u"Z\u00FCrich", u"\u0141\u00F3d\u017A",
            u"\u03BB\u03CC\u03B3\u03BF\u03C2", u"\u03A3\u039F\u03A6\u0399\u0391",
            u"\u0441\u043B\u043E\u0432\u043E", u"\u041C\u043E\u0441\u043A\u0432\u0430",
            u"\u6F22\u5B57", u"\u65E5\u672C\u8A9E",
        };
        static const char16_t* const kSeparators[] = {u" ", u" ", u" ", u", ", u". ", u"\r\n"};
        std::uint32_t state = 2463534242u;  // xorshift32
        auto next = [&state] {
            state ^= state << 13;
            state ^= state >> 17;
            state ^= state << 5;
            return state;
        };
        std::u16string s;
        s.reserve(kTextUnits + 16);
        while (s.size() < kTextUnits) {
            // Latin-script English-like words four times out of five.
            const std::uint32_t r = next();
            const std::size_t word = (r % 5 != 0) ? (r >> 8) % 26 : 26 + (r >> 8) % 11;
            s += kWords[word];
            s += kSeparators[(r >> 20) % 6];
        }
        s.resize(kTextUnits);
        return s;
    }();
    return text;
}

// Every position of the text, one phrase, as the replace pass tries a pair.
void BM_MatchAtEveryPosition(benchmark::State& state) {
    const std::u16string& text = Corpus();
    const std::u16string phrase = u"the";
    const bool caseSensitive = state.range(0) != 0, wholeWord = state.range(1) != 0;
    const int length = static_cast<int>(phrase.size());
    const int last = static_cast<int>(text.size());
    for (auto _ : state) {
        int hits = 0;
        for (int p = 1; p <= last; ++p) {
            hits += MatchAt(phrase, 1, text, p, length, caseSensitive, wholeWord);
        }
        benchmark::DoNotOptimize(hits);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size() * 2));
}
BENCHMARK(BM_MatchAtEveryPosition)
    ->ArgNames({"case", "word"})
    ->Args({1, 0})
    ->Args({0, 0})
    ->Args({1, 1})
    ->Args({0, 1});

// A phrase that does not occur: the pre-check scans the whole text.
void BM_PosForwardNoCaseMiss(benchmark::State& state) {
    const std::u16string& text = Corpus();
    const std::u16string phrase = u"Theorx";
    for (auto _ : state) benchmark::DoNotOptimize(PosForwardNoCase(phrase, text, 1));
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size() * 2));
}
BENCHMARK(BM_PosForwardNoCaseMiss);

void BM_PosForwardNoCaseMissGreek(benchmark::State& state) {
    const std::u16string& text = Corpus();
    const std::u16string phrase = u"\u03C3\u03BF\u03C6\u03B9\u03B1\u03C2";
    for (auto _ : state) benchmark::DoNotOptimize(PosForwardNoCase(phrase, text, 1));
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size() * 2));
}
BENCHMARK(BM_PosForwardNoCaseMissGreek);

void BM_PosForwardMiss(benchmark::State& state) {
    const std::u16string& text = Corpus();
    const std::u16string phrase = u"Theorx";
    for (auto _ : state) benchmark::DoNotOptimize(PosForward(phrase, text, 1));
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size() * 2));
}
BENCHMARK(BM_PosForwardMiss);

// Find Next through the whole text: every whole-word occurrence of "the", without case.
void BM_FindPhraseAllWholeWords(benchmark::State& state) {
    const std::u16string& text = Corpus();
    const std::u16string phrase = u"the";
    std::int64_t found = 0;
    for (auto _ : state) {
        int hits = 0;
        for (int d = FindPhrase(phrase, text, false, true, 1); d != 0;
             d = FindPhrase(phrase, text, false, true, d + 1)) {
            ++hits;
        }
        benchmark::DoNotOptimize(hits);
        found = hits;
    }
    state.counters["hits"] = static_cast<double>(found);
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size() * 2));
}
BENCHMARK(BM_FindPhraseAllWholeWords);

}  // namespace
