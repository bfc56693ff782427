// The two text forms of a replacement table: the table file (mark, preamble lines, the "##"
// marker, one TAB-separated line per pair) and the clipboard's TAB-separated lines.
#pragma once

#include <array>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/replacement_table.h"
#include "core/text_codec.h"

namespace palimp {

// What a table file holds: the preamble (its lines joined by CR LF) and the item rows.
struct TableFileContent {
    std::u16string preamble;
    std::vector<std::array<std::u16string, 3>> rows;

    bool operator==(const TableFileContent&) const = default;
};

// The lines of a text. A line ends at CR, LF or U+2028; the break after it is at most one CR,
// then at most one LF, then at most one U+2028 (so LF CR is two breaks). U+0000 ends the text.
// A final break adds no empty line; an empty text has no lines.
std::vector<std::u16string> SplitLines(std::u16string_view text);

// The three cells of a pair line: the fields between TABs, untrimmed; missing fields are empty
// and text after a third TAB is dropped.
TableRow ParsePairLine(std::u16string_view line);
std::vector<TableRow> ParsePairLines(std::span<const std::u16string> lines);

// Reads a table file's bytes (any encoding DecodeTextFile reads). The lines before the first
// line that is exactly "##" form the preamble; each line after it is a row, a later "##"
// included. A file with no pair line (no marker, or nothing after it) gives one empty row, and
// its lines before the marker, or all of its lines, are the preamble: saving it again writes
// them back before a new marker. The result always has at least one row. Never fails.
TableFileContent ReadTableFile(std::string_view bytes, const AnsiCodePage& codePage);
TableFileContent ReadTableFile(std::string_view bytes);

// The exact bytes of a table file: FF FE, then as UTF-16 little-endian the preamble as one
// line, "##", and one line "search TAB replace TAB options" per row, every line ending in
// CR LF. Cells are written verbatim.
std::string WriteTableFile(const TableFileContent& content);

// The clipboard text of Copy All: one line per row, cells joined by TAB, each line ending in
// CR LF (the last one too).
std::u16string CopyAllText(std::span<const TableRow> rows);

// The rows of a pasted text: every line a row by the pair line rules; no header, no marker.
// A text without any line (empty, or starting with U+0000) gives no rows.
std::vector<TableRow> ParsePastedTable(std::u16string_view text);

// Paste All: replaces the table's rows by those of text and makes row 1 current; the preamble
// stays. A text without any line leaves the table unchanged (nothing is lost) and returns
// false.
bool PasteAllText(ReplacementTable& table, std::u16string_view text);

// What saving the table writes: its preamble and its item rows.
TableFileContent TableContentOf(const ReplacementTable& table);

// Loading a file: replaces the preamble and all item rows, row 1 current. Content without rows
// leaves one empty item row.
void LoadTableContent(ReplacementTable& table, TableFileContent content);

}  // namespace palimp
