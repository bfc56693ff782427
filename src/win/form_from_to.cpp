// The pair editor: a fixed dialog frame around a 412 x 254 client area.
#include "win/form_from_to.h"


namespace palimp {

void TFormFromTo::CreateForm() {
    CreateWindowHandle({.className = L"TFormFromTo",
                        .caption = L"Palimp",
                        .style = kDialogFrameStyle,
                        .exStyle = kDialogFrameExStyle,
                        .clientWidth = 412,
                        .clientHeight = 254,
                        .parent = Owner()});
}

void TFormFromTo::FormCreate() { SetCaption(L"Palimp"); }

}  // namespace palimp
