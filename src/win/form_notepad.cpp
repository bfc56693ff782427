// The viewer: an ordinary resizable window, 580 x 423 outside, filled by a read-only editor.
#include "win/form_notepad.h"

#include <commctrl.h>

#include <string>

#include "win/ui/fonts.h"

namespace palimp {

void TFormNotepad::CreateForm() {
    CreateWindowHandle({.className = L"TFormNotepad",
                        .caption = L"Palimp - Error Report",
                        .outerWidth = 580,
                        .outerHeight = 423,
                        .parent = Owner()});
    memoNotepad = layout_.Create(Handle(),
                                 {.className = WC_EDITW,
                                  .name = "memoNotepad",
                                  .style = WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_AUTOVSCROLL |
                                           ES_AUTOHSCROLL | ES_READONLY | ES_NOHIDESEL,
                                  .dock = Dock::Fill,
                                  .font = Fonts::Pixels(L"Tahoma", 13, Dpi())},
                                 Dpi());
    layout_.Arrange(Handle(), Dpi());
    // A viewer shown modally: Esc closes it.
    Actions().Add({.name = "actionClose", .caption = L"Close", .shortcut = {VK_ESCAPE, kNoModifier}}, [this] { Close(); });
}

void TFormNotepad::SetText(std::wstring_view text) { SetWindowTextW(memoNotepad, std::wstring(text).c_str()); }

void TFormNotepad::OnSize(int, int) { layout_.Arrange(Handle(), Dpi()); }

}  // namespace palimp
