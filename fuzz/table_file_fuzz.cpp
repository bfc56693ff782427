// Fuzzes the table file reader: any bytes give a valid table, and a table read, written and
// read again is unchanged, so saving a loaded table never drifts.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/replacement_table.h"
#include "core/table_file.h"

#include "fuzz_check.h"

namespace {

// What the line and field splitting can never leave in a cell.
bool IsCleanCell(std::u16string_view cell) {
    return cell.find_first_of(u"\t\r\n\u2028") == std::u16string_view::npos &&
           cell.find(u'\0') == std::u16string_view::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const palimp::TableFileContent read = palimp::ReadTableFile(bytes);
    FUZZ_CHECK(!read.rows.empty());
    for (const auto& row : read.rows)
        for (const auto& cell : row) FUZZ_CHECK(IsCleanCell(cell));
    FUZZ_CHECK(read.preamble.find(u'\0') == std::u16string::npos);

    const std::string written = palimp::WriteTableFile(read);
    FUZZ_CHECK(written.size() % 2 == 0 && written.substr(0, 2) == "\xFF\xFE");
    const palimp::TableFileContent reread = palimp::ReadTableFile(written);
    FUZZ_CHECK(reread == read);
    FUZZ_CHECK(palimp::WriteTableFile(reread) == written);

    palimp::ReplacementTable table;
    palimp::LoadTableContent(table, read);
    FUZZ_CHECK(palimp::TableContentOf(table) == read);
    FUZZ_CHECK(table.Row() == 1 && table.Top() == 1 && table.Bottom() == 1);
    FUZZ_CHECK(table.Cell(0, 0) == u"Search for");
    return 0;
}
