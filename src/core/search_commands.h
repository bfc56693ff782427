// The rules of the main window's searches as pure functions of the document text and its
// selection: where Find Next, Find Back and the special-character search start, what they
// select, and when they wrap around. The selection is given as the editor gives it: a 0-based
// start and a length in UTF-16 units (a CR LF line end counts as two).
#pragma once

#include <string_view>

namespace palimp {

// What a search leaves behind: the new selection (start -1: keep the old one) and whether the
// program beeps (a wrap-around, or nothing found at all).
struct SearchOutcome {
    int start = -1;
    int length = 0;
    bool beep = false;
    bool Found() const { return start >= 0; }
    bool operator==(const SearchOutcome&) const = default;
};

// Find Next: from the unit after the caret, or from the second unit of the selection (so
// overlapping occurrences come one after the other); wraps to the top with a beep.
SearchOutcome FindNextOutcome(std::u16string_view phrase, std::u16string_view text, bool caseSensitive,
                              bool wholeWord, int selStart, int selLength);

// Find Back: the latest occurrence that begins before the selection start (it may run into the
// selection); wraps to the end with a beep.
SearchOutcome FindBackOutcome(std::u16string_view phrase, std::u16string_view text, bool caseSensitive,
                              bool wholeWord, int selStart, int selLength);

// "Search for" a character class (1 to 6): from the first unit after the selection. A found
// character is selected; a line end gets the caret before it with nothing selected. A line end
// that the caret already stands before (the one the last search reported) is passed over
// together with its whole line break, so repeating the search moves on. Wraps to the top with a
// beep.
SearchOutcome SpecialSearchOutcome(int kind, std::u16string_view text, int selStart, int selLength);

}  // namespace palimp
