// Start positions, hits and wrap-around of the main window's searches.
#include "core/search_commands.h"

#include "core/char_classes.h"
#include "core/matching.h"

namespace palimp {

namespace {

// A hit at 1-based position p of length n as the editor's selection; 0 is no hit.
SearchOutcome Hit(int p, int n, bool beep) {
    if (p < 1) return {.beep = beep};
    return {.start = p - 1, .length = n, .beep = beep};
}

// The units of the line break that begins at 0-based index i: CR LF, or a lone CR or LF.
int LineBreakLength(std::u16string_view text, int i) {
    return text[static_cast<size_t>(i)] == u'\r' && static_cast<size_t>(i) + 1 < text.size() &&
                   text[static_cast<size_t>(i) + 1] == u'\n'
               ? 2
               : 1;
}

}  // namespace

SearchOutcome FindNextOutcome(std::u16string_view phrase, std::u16string_view text, bool caseSensitive,
                              bool wholeWord, int selStart, int selLength) {
    int n = static_cast<int>(phrase.size());
    int p = FindPhrase(phrase, text, caseSensitive, wholeWord, selStart + IntSign(selLength) + 1);
    if (p >= 1) return Hit(p, n, false);
    return Hit(FindPhrase(phrase, text, caseSensitive, wholeWord, 1), n, true);
}

SearchOutcome FindBackOutcome(std::u16string_view phrase, std::u16string_view text, bool caseSensitive,
                              bool wholeWord, int selStart, int) {
    int n = static_cast<int>(phrase.size());
    int p = FindPhraseBack(phrase, text, caseSensitive, wholeWord, selStart);
    if (p >= 1) return Hit(p, n, false);
    return Hit(FindPhraseBack(phrase, text, caseSensitive, wholeWord, static_cast<int>(text.size())), n, true);
}

SearchOutcome SpecialSearchOutcome(int kind, std::u16string_view text, int selStart, int selLength) {
    int length = 1;
    int start = selStart + selLength + 1;
    int p = FindSpecialChar(kind, text, start, length);
    if (p >= 1 && length == 0 && selLength == 0 && p - 1 == selStart) {
        // The line end the caret stands before: on behind its whole line break.
        p = FindSpecialChar(kind, text, p + LineBreakLength(text, p - 1), length);
    }
    if (p >= 1) return Hit(p, length, false);
    p = FindSpecialChar(kind, text, 1, length);
    return Hit(p, length, true);
}

}  // namespace palimp
