// Character classes and the scan behind the "Search for" commands: the first unit of a text,
// from a start position, that is non-ASCII, non-alphabetic, non-numeric, non-alphanumeric,
// punctuation or white.
#pragma once

#include <string_view>

namespace palimp {

// The six kinds of the scan; the same numbers tag the six "Search for" menu items.
enum SpecialCharKind : int {
    kNonAscii = 1,
    kNonAlphabetic = 2,
    kNonNumeric = 3,
    kNonAlphanumeric = 4,
    kPunctuation = 5,
    kWhite = 6,
};

bool IsAsciiChar(char16_t ch);         // at most 127
bool IsWhiteChar(char16_t ch);         // the 24 white units
bool IsDecimalDigitChar(char16_t ch);  // the 20 runs of ten digits (200 units)
bool IsPunctuationChar(char16_t ch);   // the 298 punctuation units
bool IsControlChar(char16_t ch);       // U+0000-U+001F and U+007F-U+009F

// Position (from 1) of the first unit at or after start that belongs to kind, or 0. selLength
// becomes 1 when the unit is to be selected and 0 when the caret goes before it (line ends of
// kind 6, reported once at the CR of a CR LF). A kind outside 1..6 with a valid start fails
// the checks "units\functions" lines 97/98.
int FindSpecialChar(int kind, std::u16string_view text, int start, int& selLength);

}  // namespace palimp
