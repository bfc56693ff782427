// Small helpers on UTF-16 strings shared across the program. Positions count from 1; 0 means
// not found.
#pragma once

#include <string>
#include <string_view>

namespace palimp {

// First position >= start holding ch, or 0 (also when start is outside 1..length(text)).
int PosChar(char16_t ch, std::u16string_view text, int start);
// First position >= start where sub occurs exactly, or 0 (also for an empty sub).
int PosText(std::u16string_view sub, std::u16string_view text, int start);
// Every occurrence of find replaced by replace, left to right, never rescanning the inserted
// text. An empty find, or find equal to replace, changes nothing.
std::u16string ReplaceAllText(std::u16string_view find, std::u16string_view replace,
                              std::u16string_view source);
// The file name of path without its folder (after the last '\' or ':') and without its last
// extension.
std::u16string StripExtension(std::u16string_view path);
// Field number index (from 0) of text split at delimiter; empty when missing. With trim, the
// field passes through TrimWide. Check "units\uuFunctions" line 405.
std::u16string GetField(int index, std::u16string_view text, char16_t delimiter, bool trim);
// Text without white or control units at either end.
std::u16string TrimWide(std::u16string_view text);

}  // namespace palimp
