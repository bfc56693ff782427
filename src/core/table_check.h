// Checks of a replacement table for people who keep tables in files: every row with the line
// it came from, the mistakes that a table file otherwise hides (warnings), and the rows that
// can never make a replacement, whatever the text.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/replacement_table.h"

namespace palimp {

// A table's rows with the line of its text that each one came from.
struct LinedTable {
    std::vector<TableRow> rows;
    std::vector<int> lines;            // 1-based line of rows[i]
    std::vector<int> fields;           // TAB-separated fields on the line of rows[i]
    int markerLine = 0;                // the "##" line; 0 when there is none
    std::vector<int> blankedMarkers;   // lines that are "##" with blanks around them
    int nulLine = 0;                   // the line where a U+0000 ends the text with more after it
};

// The rows of a table file's decoded text, as ReadTableFile reads them, with two differences:
// a text without a "##" line has no rows (ReadTableFile makes up an empty one), and so has a
// marker with nothing after it. A U+0000 ends the text, as for ReadTableFile; nulLine tells
// where when anything but U+0000 follows it. With tsv the text is plain TAB-separated lines, as Copy All
// writes them: every line is a row and no line is a marker.
LinedTable ReadLinedTable(std::u16string_view text, bool tsv);

// Whether the row came from a line with text but without a TAB, so that its whole text is a
// phrase replaced by nothing. Rows without a line (fields 0) never are.
bool HasNoTab(const LinedTable& table, std::size_t row);

// A row without any text in its three cells: a blank line between pairs, or the empty row a
// new table starts with. It is no pair and no mistake.
bool IsBlankRow(const TableRow& row);

enum class TableWarningKind {
    kUnknownOptionLetters,  // detail: the letters other than C and W, each once, in order
    kBlankedMarker,         // the line is "##" with blanks; before the marker or as a pair
    kDuplicatePhrase,       // otherLine: the first line with the same phrase
    kReplacesByItself,      // the replacement is the phrase and the row can change nothing
    kEmptyPhrase,           // a row with a replacement or options but no phrase
    kNoPairs,               // no row has a phrase; line: the marker line, 0 for TSV
    kNoTab,                 // a line with text but no TAB: a phrase replaced by nothing
    kExtraFields,           // count: the fields on the line, more than three
    kNulEndsTable,          // a U+0000 on the line ends the table; what follows is ignored
};

struct TableWarning {
    TableWarningKind kind;
    int line = 0;
    int otherLine = 0;
    std::u16string detail;
    int count = 0;

    bool operator==(const TableWarning&) const = default;
};

// The warnings for a table, in line order.
std::vector<TableWarning> FindTableWarnings(const LinedTable& table);

// Whether a row can make a replacement in some text, and if not, why not.
struct RowReach {
    bool canWin = false;
    // When the row never wins: earlier rows (0-based, ascending) that between them match first
    // at every position where this row matches. Empty for a row without a phrase.
    std::vector<std::size_t> blockers;
};

// For each row, whether some text gives it a hit in the replace pass. A row never wins when
// its phrase is empty, or when wherever it would match, an earlier row matches first: an
// earlier row whose phrase begins this one's with the same or broader options ("a" before
// "ab"), a case-insensitive row before a case-sensitive one ("cat" before "Cat" with C), a
// duplicate, or several case-sensitive rows that together cover every spelling of a
// case-insensitive one. Whole words are weighed exactly: "a" with W does not stop "ab", but
// does stop "a b" with W. The answer is exact, not a guess: every other row wins somewhere.
std::vector<RowReach> FindRowsThatNeverWin(std::span<const TableRow> rows);

}  // namespace palimp
