// Writes the benchmark's data files, so that palimp-replace and the peer programs read exactly
// what the in-process benchmark uses.
//
//   palimp_bench_corpus text BYTES OUT.txt
//   palimp_bench_corpus table PAIRS KIND OUT.palimp [OUT.tsv]
//   palimp_bench_corpus long-text BYTES OUT.txt
//   palimp_bench_corpus long-table LONG_KIND OUT.palimp [OUT.tsv]
//
// KIND is case-sensitive, case-insensitive or whole-word; LONG_KIND is one-phrase,
// shared-prefixes, mixed-options or whole-word; OUT.tsv is the peers' form.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/errors.h"
#include "core/file_io.h"
#include "os/file_replace.h"
#include "core/table_file.h"
#include "corpus.h"

namespace {

using namespace palimp;
using namespace palimp::bench;

int Usage() {
    std::fputs("usage: palimp_bench_corpus text BYTES OUT.txt\n"
               "       palimp_bench_corpus table PAIRS KIND OUT.palimp [OUT.tsv]\n"
               "       palimp_bench_corpus long-text BYTES OUT.txt\n"
               "       palimp_bench_corpus long-table LONG_KIND OUT.palimp [OUT.tsv]\n",
               stderr);
    return 2;
}

bool KindNamed(std::string_view name, TableKind& kind) {
    for (TableKind k :
         {TableKind::kCaseSensitive, TableKind::kCaseInsensitive, TableKind::kWholeWord}) {
        if (NameOf(k) == name) {
            kind = k;
            return true;
        }
    }
    return false;
}

bool LongKindNamed(std::string_view name, LongTableKind& kind) {
    for (LongTableKind k : kLongTableKinds) {
        if (NameOf(k) == name) {
            kind = k;
            return true;
        }
    }
    return false;
}

std::string TableFileOf(const std::vector<BenchPair>& pairs) {
    TableFileContent content;
    for (const BenchPair& pair : pairs) {
        content.rows.push_back({Utf16(pair.search), Utf16(pair.replace), Utf16(pair.options)});
    }
    return WriteTableFile(content);
}

int Run(int argc, char** argv) {
    if (argc < 2) return Usage();
    const std::string_view what = argv[1];
    const auto writeTable = [&](const std::vector<BenchPair>& pairs, int at) {
        os::ReplaceFileContent(argv[at], TableFileOf(pairs));
        if (argc == at + 2) os::ReplaceFileContent(argv[at + 1], TableTsv(pairs));
        return 0;
    };
    if ((what == "text" || what == "long-text") && argc == 4) {
        const std::size_t bytes = std::strtoull(argv[2], nullptr, 10);
        os::ReplaceFileContent(argv[3], what == "text" ? EnglishLikeText(bytes) : LongRunText(bytes));
        return 0;
    }
    TableKind kind;
    if (what == "table" && (argc == 5 || argc == 6) && KindNamed(argv[3], kind)) {
        const std::size_t count = std::strtoull(argv[2], nullptr, 10);
        return writeTable(bench::ReplacementTable(count, kind), 4);
    }
    LongTableKind longKind;
    if (what == "long-table" && (argc == 4 || argc == 5) && LongKindNamed(argv[2], longKind)) {
        return writeTable(LongPhraseTable(longKind), 3);
    }
    return Usage();
}

}  // namespace

int main(int argc, char** argv) {
    try {
        return Run(argc, argv);
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "palimp_bench_corpus: %s\n", failure.what());
        return 1;
    }
}
