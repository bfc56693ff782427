// The about box. Its labels size themselves to their texts, so that the web address can follow
// the copyright line on the same row whatever the font turns out to be.
#include "win/dlg_about.h"

#include <commctrl.h>

#include <cstdint>
#include <cstdlib>
#include <initializer_list>
#include <string>

#include "core/product.h"
#include "win/ui/fonts.h"
#include "win/ui/pictures.h"
#include "win/ui/prompter.h"
#include "win/resources/resource_ids.h"
#include "win/system/wide.h"

namespace palimp {

namespace {

constexpr COLORREF kProgramNameColour = RGB(0x3E, 0x3E, 0x86);
constexpr COLORREF kSloganColour = RGB(0x00, 0x40, 0x00);
constexpr COLORREF kLinkColour = RGB(0x00, 0x00, 0xFF);

}  // namespace

TdlgAbout::~TdlgAbout() {
    if (bannerPicture_) DeleteObject(bannerPicture_);
    if (logoPicture_) DeleteObject(logoPicture_);
}

void TdlgAbout::CreateForm() {
    CreateWindowHandle({.className = L"TdlgAbout",
                        .caption = L"About Palimp",
                        .style = kDialogFrameStyle,
                        .exStyle = kDialogFrameExStyle,
                        .clientWidth = 416,
                        .clientHeight = 252,
                        .parent = Owner(),
                        .scaleWithDpi = false});
    bannerPicture_ = LoadAlphaPicture(IDB_ABOUT_BANNER);
    logoPicture_ = LoadAlphaPicture(IDB_ABOUT_LOGO);
    CreateControls();

    Actions().Add({.name = "actionExit", .caption = L"Exit", .shortcut = {VK_ESCAPE, kNoModifier}},
                  [this] { actionExitExecute(); });
    SetDefaultButton(OKBtn);
    SetButtonResult(OKBtn, ModalResult::OK);
    OnClick(labelWww, [this] { labelWwwClick(); });
}

void TdlgAbout::CreateControls() {
    HFONT windowFont = Fonts::Pixels(L"Tahoma", 11, Dpi());
    layout_.SetDesignSize(416, 252);
    // The pictures are owner-drawn statics so that their alpha shows the dialog behind them.
    auto picture = [this](const char* name, Bounds place) {
        return layout_.Create(Handle(), {.className = WC_STATICW, .name = name, .style = SS_OWNERDRAW, .bounds = place},
                              Dpi());
    };
    imageTop = picture("imageTop", {0, 0, 416, 91});
    imageLogo40 = picture("imageLogo40", {20, 99, 40, 40});
    labelProgramName = CreateLabel("labelProgramName", {68, 98, 0, 0}, Fonts::Pixels(L"Verdana", 19, Dpi()));
    labelSlogan = CreateLabel("labelSlogan", {68, 122, 0, 0}, Fonts::Pixels(L"Verdana", 13, Dpi(), FW_NORMAL, kItalic));
    Bevel1 = picture("Bevel1", {184, 193, 232, 8});
    labelVersion = CreateLabel("labelVersion", {8, 216, 0, 0}, windowFont);
    labelCopyright = CreateLabel("labelCopyright", {8, 232, 0, 0}, windowFont);
    labelWww = CreateLabel("labelWww", {8, 232, 0, 0}, Fonts::Pixels(L"Tahoma", 11, Dpi(), FW_NORMAL, kUnderline),
                           SS_NOTIFY);
    SetHint(labelWww, L"Open");
    OKBtn = layout_.Create(Handle(),
                           {.className = WC_BUTTONW,
                            .name = "OKBtn",
                            .text = L"OK",
                            .style = WS_TABSTOP | BS_DEFPUSHBUTTON,
                            .bounds = {294, 213, 90, 30},
                            .anchors = kAnchorRight | kAnchorBottom,
                            .id = IDOK,
                            .font = windowFont},
                           Dpi());
}

HWND TdlgAbout::CreateLabel(const char* name, Bounds place, HFONT font, DWORD extraStyle) {
    return layout_.Create(Handle(),
                          {.className = WC_STATICW,
                           .name = name,
                           .style = SS_LEFT | SS_NOPREFIX | extraStyle,
                           .bounds = place,
                           .font = font},
                          Dpi());
}

void TdlgAbout::SetLabelText(HWND label, std::wstring_view text) {
    SetWindowTextW(label, std::wstring(text).c_str());
    const SIZE size = TextSize(label);
    Bounds place = layout_.GetBounds(label);
    place.width = size.cx;
    place.height = size.cy;
    layout_.SetBounds(label, place);
}

void TdlgAbout::FormCreate() {
    SetCaption(L"About Palimp");
    SetLabelText(labelProgramName, WideView(u"" PALIMP_PRODUCT_NAME u" " PALIMP_VERSION_TEXT));
    SetLabelText(labelVersion, WideView(u"Version: " PALIMP_VERSION_TEXT));
    SetLabelText(labelSlogan, WideView(product::kSlogan));
    SetLabelText(labelCopyright, WideView(u"" PALIMP_COPYRIGHT u" "));
    // The domain name continues the copyright line: its left edge at the copyright's right edge.
    Bounds copyright = layout_.GetBounds(labelCopyright);
    layout_.SetBounds(labelWww, {copyright.x + copyright.width, copyright.y, 0, 0});
    SetLabelText(labelWww, WideView(product::kMakerDomain));
    layout_.Arrange(Handle(), Dpi());
}

void TdlgAbout::labelWwwClick() { Host().GetPrompter().ShellOpen(Handle(), WideView(product::kMakerUrl)); }

void TdlgAbout::actionExitExecute() { SetModalResult(ModalResult::Cancel); }

bool TdlgAbout::OnSetCursor(HWND target, int) {
    if (target != labelWww) return false;
    SetCursor(LoadCursorW(nullptr, IDC_HAND));
    return true;
}

// Activation gives the focus to the box itself; it goes on to its only control.
void TdlgAbout::OnSetFocus(HWND) { SetFocus(OKBtn); }

HBRUSH TdlgAbout::OnControlColour(UINT, HWND label, HDC dc) {
    COLORREF colour = GetSysColor(COLOR_WINDOWTEXT);
    if (label == labelProgramName) colour = kProgramNameColour;
    if (label == labelSlogan) colour = kSloganColour;
    if (label == labelWww) colour = kLinkColour;
    SetTextColor(dc, colour);
    SetBkMode(dc, TRANSPARENT);
    return GetSysColorBrush(COLOR_BTNFACE);
}

bool TdlgAbout::OnDrawItem(const DRAWITEMSTRUCT& item) {
    FillRect(item.hDC, &item.rcItem, GetSysColorBrush(COLOR_BTNFACE));
    if (item.hwndItem == imageTop) {
        DrawPicture(item.hDC, item.rcItem, bannerPicture_);
    } else if (item.hwndItem == imageLogo40) {
        DrawPicture(item.hDC, item.rcItem, logoPicture_);
    } else if (item.hwndItem == Bevel1) {
        // A lowered line along the bottom edge.
        RECT line = item.rcItem;
        DrawEdge(item.hDC, &line, EDGE_ETCHED, BF_BOTTOM);
    } else {
        return false;
    }
    return true;
}

}  // namespace palimp
