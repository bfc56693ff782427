// The table editor window: resizable, never minimised, 571 x 401 at start.
#include "win/form_table.h"


namespace palimp {

void TFormTable::CreateForm() {
    CreateWindowHandle({.className = L"TFormTable",
                        .caption = L"Palimp",
                        .style = (WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN) & ~WS_MINIMIZEBOX,
                        .outerWidth = 571,
                        .outerHeight = 401,
                        .parent = Owner()});
}

void TFormTable::FormCreate() { SetCaption(L"Palimp"); }

void TFormTable::SetGridFontFace(const std::wstring& face) { gridFontFace_ = face; }

void TFormTable::OnGetMinMaxInfo(MINMAXINFO& info) {
    info.ptMinTrackSize = {Scale(400), Scale(300)};
}

}  // namespace palimp
