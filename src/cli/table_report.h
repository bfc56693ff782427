// What palimp-replace says about its table: reading it (refusing a table it would misread),
// its warnings, the rows that never win and the hits of each row, all by table line.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "cli/arguments.h"
#include "cli/code_pages.h"
#include "cli/transcode.h"
#include "core/table_check.h"

namespace palimp::cli {

// Rows given by --pair have no table line: the k-th (from 1) stands as line kFirstPairLine + k - 1,
// behind every table line.
inline constexpr int kFirstPairLine = 1 << 30;

// "line 3", or "--pair 2" for a row given on the command line.
std::string RowName(int line);
// Where messages about a row begin: "TABLE:3", or "--pair 2".
std::string RowPlace(std::string_view tableName, int line);

struct TableRead {
    LinedTable table;
    std::string refusal;  // non-empty: why the table is not used, one line
};

// The table of a file's bytes: decoded as the editor decodes table files, in codePage for a
// file without a mark (refused in a UTF-8 code page when it is not UTF-8, naming the first bad
// byte; refused in any when it looks like UTF-16 without its mark or binary), then read as a
// table file, which must have a "##" line, or with tsv as TAB-separated lines, which must have
// none.
TableRead ReadTable(std::string_view bytes, const CodePageInfo& codePage, bool tsv);

// Appends the pairs of the command line to the table, as lines kFirstPairLine on. Returns
// the name of the first pair with a word that is not UTF-8 ("--pair 2"), or empty.
std::string AddPairs(std::span<const CommandLinePair> pairs, LinedTable& table);

// "line 4", "lines 4, 6-8 and 10": line numbers, ascending, runs shortened; rows of --pair
// after them ("line 4 and --pair 1", "--pairs 1 and 2").
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

// Why an input without a mark that is not UTF-8 was refused: "has no byte order mark and is
// not UTF-8: byte 0xE9 at offset 12, line 3", or that it looks like UTF-16 or binary; and the
// advice that fits, " (--ansi 1252 reads it as Windows-1252)" for 8-bit text, none for binary.
std::string NotUtf8Text(const PassOutcome& outcome);
std::string NotUtf8Advice(const PassOutcome& outcome);

// The text in quotes, as UTF-8.
std::string Quoted(std::u16string_view text);

}  // namespace palimp::cli
