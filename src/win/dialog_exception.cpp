// The error report dialog: a fixed dialog frame around 442 x 394 pixels, never scaled.
#include "win/dialog_exception.h"


namespace palimp {

void TDialogException::CreateForm() {
    CreateWindowHandle({.className = L"TDialogException",
                        .caption = L"Palimp",
                        .style = kDialogFrameStyle,
                        .exStyle = kDialogFrameExStyle,
                        .clientWidth = 442,
                        .clientHeight = 394,
                        .parent = Owner(),
                        .scaleWithDpi = false});
}

void TDialogException::FormCreate() { SetCaption(L"Palimp"); }

}  // namespace palimp
