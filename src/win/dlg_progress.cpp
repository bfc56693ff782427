// The progress dialog: a fixed dialog frame around a 265 x 77 client area.
#include "win/dlg_progress.h"


namespace palimp {

void TdlgProgress::CreateForm() {
    CreateWindowHandle({.className = L"TdlgProgress",
                        .caption = L"Palimp",
                        .style = kDialogFrameStyle,
                        .exStyle = kDialogFrameExStyle,
                        .clientWidth = 265,
                        .clientHeight = 77,
                        .parent = Owner()});
}

void TdlgProgress::FormCreate() { SetCaption(L"Palimp"); }

}  // namespace palimp
