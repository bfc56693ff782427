// Text on the system clipboard, in the two formats other programs read: Unicode text and 8-bit
// text in the ANSI code page. Another program may hold the clipboard for a moment; both calls
// try a few times over about a tenth of a second before they give up.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

namespace palimp {

// Replaces the clipboard's content by text, as CF_UNICODETEXT and as CF_TEXT (through the ANSI
// code page). False when the clipboard cannot be opened or takes nothing.
bool PutClipboardText(HWND owner, std::u16string_view text);

// The clipboard's Unicode text when it holds a non-empty one, else its 8-bit text read in the
// ANSI code page, else the empty text. Nothing when the clipboard cannot be opened.
std::optional<std::u16string> ReadClipboardText(HWND owner);

}  // namespace palimp
