// The replace-many pass exactly as its rules read (the literal loop the engine's tests compare
// with), as a program: the benchmark's baseline, and a check of palimp-replace on large data.
//
//   palimp_naive_replace TABLE.palimp INPUT OUTPUT
//
// Reads INPUT as the editor does and writes UTF-8 without mark, like palimp-replace
// --encoding utf8.
#include <cstdio>
#include <vector>

#include "core/file_io.h"
#include "os/file_replace.h"
#include "core/table_file.h"
#include "core/text_codec.h"
#include "replace_test_support.h"

namespace {

using namespace palimp;

int Run(const char* tablePath, const char* inputPath, const char* outputPath) {
    const TableFileContent table = ReadTableFile(ReadFileBytes(tablePath));
    std::vector<ReplacePair> rows;
    for (const auto& row : table.rows) rows.push_back({row[0], row[1], row[2]});
    const std::u16string text = DecodeTextFile(ReadFileBytes(inputPath));
    const ReplaceResult result = replace_test::LiteralReplaceMany(rows, text);
    const std::u16string& output = result.anyPairKept ? result.output : text;
    os::ReplaceFileContent(outputPath, EncodeText(output, TextEncoding::kUtf8).bytes);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fputs("usage: palimp_naive_replace TABLE.palimp INPUT OUTPUT\n", stderr);
        return 2;
    }
    try {
        return Run(argv[1], argv[2], argv[3]);
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "palimp_naive_replace: %s\n", failure.what());
        return 1;
    }
}
