// The texts of the main window's status line: where the caret stands, how much is selected and
// the encoding a save writes. Lines and columns are counted from 1 for the user, columns and
// lengths in characters (a surrogate pair is one character).
//
// Use: CaretPlaceText(0, 4) == u"Ln 1, Col 5";  SelectionText(1234) == u"1,234 characters selected"
#pragma once

#include <string>

namespace palimp {

// line and column from 0, as the editor counts them.
std::u16string CaretPlaceText(int line, int column);
// Empty without a selection.
std::u16string SelectionText(int characters);
// Documents are always written as UTF-16 little-endian with its byte order mark.
inline constexpr char16_t kSaveEncodingText[] = u"Saves as UTF-16 LE";
// The widest selection text the status line makes room for.
std::u16string WidestSelectionText();

}  // namespace palimp
