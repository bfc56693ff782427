// What palimp-replace says about its table: reading it (refusing a table it would misread),
// its warnings, the rows that never win and the hits of each row, all by table line.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "cli/code_pages.h"
#include "core/table_check.h"

namespace palimp::cli {

struct TableRead {
    LinedTable table;
    std::string refusal;  // non-empty: why the table is not used, one line
};

// The table of a file's bytes: decoded as the editor decodes table files, in codePage for a
// file without a mark (refused in a UTF-8 code page when it is not UTF-8), then read as a
// table file, which must have a "##" line, or with tsv as TAB-separated lines.
TableRead ReadTable(std::string_view bytes, const CodePageInfo& codePage, bool tsv);

// "line 4", "lines 4, 6-8 and 10": line numbers, ascending, runs shortened.
std::string LineList(std::span<const int> lines);

// The warnings of the table as lines "NAME:LINE: warning: ...", each ending in a line break.
std::string WarningLines(std::string_view name, const LinedTable& table);

// For each extended row with an invalid escape, a line "PROGRAM: NAME:LINE: warning: ..."
// saying where and that the row is skipped.
std::string EscapeWarningLines(std::string_view program, std::string_view name, const LinedTable& table);

// Why a row never wins, after "NAME:LINE: ": "never matches: it has no phrase", or "never
// wins: line 2 ("a") matches first wherever "ab" does".
std::string NeverWinsText(const LinedTable& table, std::size_t row, const RowReach& reach);

// The hits of the table's pairs, one line each for those with hits ("line 3: 2"), then one
// for those without ("0 hits: lines 4, 6-8"); each line starts with prefix. Rows without a
// phrase, switched-off rows and rows with an invalid escape are no pairs and are left out.
std::string HitLines(const LinedTable& table, std::span<const int> rowHits, std::string_view prefix);

// The text in quotes, as UTF-8.
std::string Quoted(std::u16string_view text);

}  // namespace palimp::cli
