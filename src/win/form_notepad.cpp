// The viewer: an ordinary resizable window, 580 x 423 outside.
#include "win/form_notepad.h"


namespace palimp {

void TFormNotepad::CreateForm() {
    CreateWindowHandle({.className = L"TFormNotepad",
                        .caption = L"Palimp - Error Report",
                        .outerWidth = 580,
                        .outerHeight = 423,
                        .parent = Owner()});
}

}  // namespace palimp
