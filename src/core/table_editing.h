// The table editor's rules as pure functions: the item counter, the pair editor's exchange
// record built from the selected rows and written back into them, the grid font and column
// rules, the character code label, the captions of the table folder menu, and keeping TABs and
// line breaks (which a table file cannot carry) out of cells.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/replacement_table.h"

namespace palimp {

// "Item: 3 / 10" when one row is selected, "Items: 2..4/10" for a range.
std::u16string CountLabelText(const ReplacementTable& table);
// The longest counter a table of itemCount items can show ("Items: 12..12/12"): the width the
// counter's column is given, so that it never wraps or changes width while the user selects.
std::u16string WidestCountLabelText(int itemCount);

// Whether "Replace All" may close the window: some item row has a search phrase.
bool HasSearchPhrase(const ReplacementTable& table);

// What the pair editor shows and returns. A change flag says whether the field is written
// into the rows; editing several rows, a field starts ticked only when all rows agree on it.
struct PairEditState {
    std::u16string searchText;
    std::u16string replaceText;
    bool caseSensitive = false;
    bool wholeWords = false;
    bool multiRow = false;
    bool changeSearch = false;
    bool changeReplace = false;
    bool changeCase = false;
    bool changeWord = false;
    bool extended = false;  // the texts hold escapes (\t, \n, ...)
    bool changeExtended = false;

    bool operator==(const PairEditState&) const = default;
};

// Add: empty texts, no options, one row, every field to be written.
PairEditState PairEditStateForAdd();
// Edit: the fields of the selection's top row; a field on which the selected rows differ is
// not to be written (and its text starts empty).
PairEditState PairEditStateForEdit(const ReplacementTable& table);
// After Add: a new last row with the pair, current.
void AddPair(ReplacementTable& table, const PairEditState& state);
// After Edit: writes the fields whose change flag is set into every selected row; each row's
// options keep the options that are not changed (a switched-off row stays off). The selection
// stays.
void ApplyPairEdit(ReplacementTable& table, const PairEditState& state);

// Whether text is among items, exactly (unit for unit, case-sensitive).
bool ComboHasItem(std::u16string_view text, std::span<const std::u16string> items);

// The grid font's limits in points and the row height (pixels at 96 DPI) that goes with a size.
inline constexpr int kGridFontMin = 6;
inline constexpr int kGridFontMax = 30;
int GridRowHeight(int points);
// The width of each text column for a grid this wide: the options column and room for the
// scroll bar taken off, the rest shared (truncating).
int TextColumnWidth(int gridWidth, int optionsWidth, int scrollBarRoom);

// The character code label: "U+00E9 (é)" for the unit right after the caret (caret counted in
// units before it); empty when the caret is at the end.
std::u16string CharacterCodeText(std::u16string_view text, int caret);

// The table folder menu: a file's caption is its name without folder and last extension; a
// caption leads back to the file TableFolder + caption + ".palimp". Menu texts show '&'
// literally (the captions get no keyboard accelerators).
inline constexpr std::u16string_view kTableExtension = u"palimp";
std::u16string TableMenuCaption(std::u16string_view fileName);
std::u16string TableFileOfCaption(std::u16string_view folder, std::u16string_view caption);
std::u16string MenuTextOf(std::u16string_view caption);

// TAB, CR, LF, U+2028 (and NUL, which ends a table file's text): what a cell cannot hold.
bool IsCellBreak(char16_t unit);
// text with every run of such units turned into one space; replaced tells whether any was.
std::u16string KeepOutOfCell(std::u16string_view text, bool* replaced = nullptr);

// How the grid marks the spaces of a cell, which would otherwise look empty: every space is
// marked, those at either end of the text (leading or trailing blanks, a cell of spaces only)
// more visibly than those between words. One entry per unit of text.
enum class SpaceMark { kNone, kInner, kEdge };
std::vector<SpaceMark> SpaceMarks(std::u16string_view text);

}  // namespace palimp
