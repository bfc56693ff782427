// Throughput of the replace-many engine on English-like text (bytes/s of the UTF-8 input) for
// tables of 10, 1,000 and 100,000 pairs, case-sensitive, case-insensitive and whole-word, on the
// whole text and in pieces as palimp-replace gives it; the time to build each table; and tables
// of long phrases over 1 and 8 MB of long runs of one letter, where the throughput must not
// fall as the text grows.
#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

#include "core/replace_many.h"
#include "corpus.h"

namespace {

using palimp::ReplaceManyEngine;
using palimp::ReplacePair;
using palimp::bench::LongTableKind;
using palimp::bench::TableKind;

constexpr std::size_t kCorpusBytes = 8 << 20;

struct Corpus {
    std::string utf8;
    std::u16string text;
};

const Corpus& SharedCorpus() {
    static const Corpus corpus = [] {
        Corpus c;
        c.utf8 = palimp::bench::EnglishLikeText(kCorpusBytes);
        c.text = palimp::bench::Utf16(c.utf8);
        return c;
    }();
    return corpus;
}

// A table's cells in UTF-16, kept alive for the pairs that view them.
struct Table {
    std::vector<std::u16string> cells;
    std::vector<ReplacePair> pairs;
};

Table MakeTable(const std::vector<palimp::bench::BenchPair>& rows) {
    Table table;
    table.cells.reserve(rows.size() * 3);
    for (const auto& row : rows) {
        table.cells.push_back(palimp::bench::Utf16(row.search));
        table.cells.push_back(palimp::bench::Utf16(row.replace));
        table.cells.push_back(palimp::bench::Utf16(row.options));
    }
    for (std::size_t k = 0; k < table.cells.size(); k += 3) {
        table.pairs.push_back({table.cells[k], table.cells[k + 1], table.cells[k + 2]});
    }
    return table;
}

Table MakeTable(std::size_t size, TableKind kind) {
    return MakeTable(palimp::bench::ReplacementTable(size, kind));
}

void SetLabel(benchmark::State& state, TableKind kind) {
    state.SetLabel(std::string(palimp::bench::NameOf(kind)));
}

void BM_ReplaceMany(benchmark::State& state) {
    const auto kind = static_cast<TableKind>(state.range(0));
    const Table table = MakeTable(static_cast<std::size_t>(state.range(1)), kind);
    const Corpus& corpus = SharedCorpus();
    const ReplaceManyEngine engine(table.pairs);
    int found = 0;
    for (auto _ : state) {
        const palimp::ReplaceResult result = engine.Run(corpus.text);
        found = result.found;
        benchmark::DoNotOptimize(result.output.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * corpus.utf8.size()));
    state.counters["found"] = found;
    SetLabel(state, kind);
}

// The same pass as palimp-replace makes it: the text in pieces through a stream, the output
// taken piece by piece, so that no buffer grows with the text.
void BM_ReplaceStream(benchmark::State& state) {
    const auto kind = static_cast<TableKind>(state.range(0));
    const Table table = MakeTable(static_cast<std::size_t>(state.range(1)), kind);
    const Corpus& corpus = SharedCorpus();
    const ReplaceManyEngine engine(table.pairs);
    constexpr std::size_t kPiece = 1 << 16;
    const std::u16string_view text = corpus.text;
    int found = 0;
    for (auto _ : state) {
        palimp::ReplaceStream stream(engine);
        for (std::size_t at = 0; at < text.size(); at += kPiece) {
            stream.Write(text.substr(at, kPiece));
            benchmark::DoNotOptimize(stream.Output().data());
            stream.ClearOutput();
        }
        stream.Finish();
        found = stream.Found();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * corpus.utf8.size()));
    state.counters["found"] = found;
    SetLabel(state, kind);
}

void BM_BuildTable(benchmark::State& state) {
    const auto kind = static_cast<TableKind>(state.range(0));
    const Table table = MakeTable(static_cast<std::size_t>(state.range(1)), kind);
    for (auto _ : state) {
        const ReplaceManyEngine engine(table.pairs);
        benchmark::DoNotOptimize(&engine);
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * table.pairs.size()));
    SetLabel(state, kind);
}

void BM_LongPhrases(benchmark::State& state) {
    const auto kind = static_cast<LongTableKind>(state.range(0));
    const Table table = MakeTable(palimp::bench::LongPhraseTable(kind));
    static std::map<std::int64_t, std::u16string> texts;
    std::u16string& text = texts[state.range(1)];
    if (text.empty()) {
        text = palimp::bench::Utf16(
            palimp::bench::LongRunText(static_cast<std::size_t>(state.range(1)) << 20));
    }
    const ReplaceManyEngine engine(table.pairs);
    int found = 0;
    for (auto _ : state) {
        const palimp::ReplaceResult result = engine.Run(text);
        found = result.found;
        benchmark::DoNotOptimize(result.output.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
    state.counters["found"] = found;
    state.SetLabel(std::string(palimp::bench::NameOf(kind)));
}

// kind: 0 case-sensitive, 1 case-insensitive, 2 whole-word.
BENCHMARK(BM_ReplaceMany)
    ->ArgNames({"kind", "pairs"})
    ->ArgsProduct({{0, 1, 2}, {10, 1000, 100000}})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReplaceStream)
    ->ArgNames({"kind", "pairs"})
    ->ArgsProduct({{0, 1, 2}, {10, 1000, 100000}})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BuildTable)
    ->ArgNames({"kind", "pairs"})
    ->ArgsProduct({{0, 1, 2}, {10, 1000, 100000}})
    ->Unit(benchmark::kMillisecond);

// table: 0 one phrase, 1 shared prefixes, 2 mixed options, 3 whole-word; MB: text size.
BENCHMARK(BM_LongPhrases)
    ->ArgNames({"table", "MB"})
    ->ArgsProduct({{0, 1, 2, 3}, {1, 8}})
    ->Unit(benchmark::kMillisecond);

}  // namespace
