// Fuzzes Paste All: any clipboard text gives rows by the pair line rules, Copy All of those rows
// pastes back to the same rows, and a text without lines leaves the table alone.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/replacement_table.h"
#include "core/table_file.h"
#include "core/text_codec.h"

#include "fuzz_check.h"

namespace {

// The clipboard offers UTF-16 text, or 8-bit text in the ANSI code page; the first byte picks.
std::u16string ClipboardText(std::string_view bytes) {
    if (bytes.empty()) return {};
    const std::string_view rest = bytes.substr(1);
    if (bytes[0] & 1) return palimp::DefaultAnsiCodePage().ToUtf16(rest);
    std::u16string text;
    for (size_t i = 0; i + 1 < rest.size(); i += 2)
        text += static_cast<char16_t>(static_cast<unsigned char>(rest[i]) |
                                      static_cast<unsigned char>(rest[i + 1]) << 8);
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::u16string text =
        ClipboardText(std::string_view(reinterpret_cast<const char*>(data), size));
    const auto rows = palimp::ParsePastedTable(text);
    FUZZ_CHECK(rows.size() == palimp::SplitLines(text).size());
    for (const auto& row : rows)
        for (const auto& cell : row)
            FUZZ_CHECK(cell.find_first_of(u"\t\r\n\u2028") == std::u16string::npos &&
                       cell.find(u'\0') == std::u16string::npos);

    const std::u16string copied = palimp::CopyAllText(rows);
    FUZZ_CHECK(palimp::ParsePastedTable(copied) == rows);
    FUZZ_CHECK(palimp::CopyAllText(palimp::ParsePastedTable(copied)) == copied);

    palimp::ReplacementTable table;
    table.SetPreamble(u"kept");
    table.AppendRow(u"before", u"", u"");
    const auto before = palimp::TableContentOf(table);
    const bool pasted = palimp::PasteAllText(table, text);
    FUZZ_CHECK(pasted == !rows.empty());
    if (pasted) {
        FUZZ_CHECK(palimp::TableContentOf(table) == (palimp::TableFileContent{u"kept", rows}));
        FUZZ_CHECK(table.Row() == 1 && table.Top() == 1 && table.Bottom() == 1);
    } else {
        FUZZ_CHECK(palimp::TableContentOf(table) == before);
    }
    return 0;
}
