// Inline forms of FoldCase and IsWordChar for the hot loops of the searches and the replace
// pass: units below 128 by a range test, the rest by one read of the generated tables.
#pragma once

#include "core/unicode_tables.h"

namespace palimp {

inline char16_t FoldUnit(char16_t ch) {
    if (ch < 0x80) {
        return static_cast<unsigned>(ch - u'A') < 26u ? static_cast<char16_t>(ch + 0x20) : ch;
    }
    return static_cast<char16_t>(ch + FoldDeltas[FoldBlockIndex[ch >> 8]][ch & 0xFF]);
}

inline bool IsWordUnit(char16_t ch) {
    if (ch < 0x80) return static_cast<unsigned>((ch | 0x20) - u'a') < 26u;
    return (WordBits[ch >> 5] >> (ch & 31)) & 1u;
}

}  // namespace palimp
