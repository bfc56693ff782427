// The viewer: an ordinary resizable window, 580 x 423 outside.
#include "win/form_notepad.h"

#include "win/app.h"
#include "win/form_main.h"

namespace palimp {

void TFormNotepad::CreateForm() {
    CreateWindowHandle({.className = L"TFormNotepad",
                        .caption = L"Palimp - Error Report",
                        .outerWidth = 580,
                        .outerHeight = 423,
                        .parent = App().FormMain().Handle()});
}

}  // namespace palimp
