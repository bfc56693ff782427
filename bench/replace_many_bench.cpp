// Throughput of the replace-many engine on English-like text (bytes/s of the UTF-8 input) for
// tables of 10, 1,000 and 100,000 pairs, case-sensitive, case-insensitive and whole-word, on the
// whole text and in pieces as palimp-replace gives it; and the time to build each table.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "core/replace_many.h"
#include "corpus.h"

namespace {

using palimp::ReplaceManyEngine;
using palimp::ReplacePair;
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

Table MakeTable(std::size_t size, TableKind kind) {
    Table table;
    const auto rows = palimp::bench::ReplacementTable(size, kind);
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

}  // namespace
