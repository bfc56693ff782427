// The main window's controls, toolbar, command list and menus.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>

#include "core/errors.h"
#include "win/ui/dpi.h"
#include "win/ui/fonts.h"
#include "win/form_main.h"
#include "win/resources/resource_ids.h"

namespace palimp {

namespace {

constexpr int kMemoId = 100;
constexpr int kToolBarId = 101;
constexpr int kLogoId = 102;
constexpr int kPanelTopId = 103;

// The toolbar: button captions, widths and pictures (index into the toolbar strip).
struct ToolButton {
    const wchar_t* caption;
    int width;
    int image;
};
constexpr ToolButton kOpenButton = {L"Open", 72, 0};
constexpr ToolButton kSaveAsButton = {L"Save As", 72, 1};
constexpr ToolButton kReplaceManyButton = {L"Replace Many", 96, I_IMAGENONE};

constexpr int kFontSizes[6] = {6, 8, 10, 14, 20, 30};

}  // namespace

void TFormMain::CreateActions() {
    auto add = [this](ActionParams params, void (TFormMain::*handler)()) {
        return &Actions().Add(std::move(params), [this, handler] { (this->*handler)(); });
    };
    using F = TFormMain;
    actionNew = add({.name = "actionNew", .caption = L"New", .shortcut = {'N', kCtrl}}, &F::actionNewExecute);
    actionOpen = add({.name = "actionOpen", .caption = L"Open...", .shortcut = {'O', kCtrl}}, &F::actionOpenExecute);
    actionSave = add({.name = "actionSave", .caption = L"Save", .shortcut = {'S', kCtrl}}, &F::actionSaveExecute);
    actionSaveAs = add({.name = "actionSaveAs", .caption = L"Save As..."}, &F::actionSaveAsExecute);
    actionEditUndo = add({.name = "actionEditUndo", .caption = L"&Undo", .shortcut = {'Z', kCtrl}},
                         &F::actionEditUndoExecute);
    actionEditRedo = add({.name = "actionEditRedo", .caption = L"&Redo", .shortcut = {'Y', kCtrl}},
                         &F::actionEditRedoExecute);
    actionEditCut = add({.name = "actionEditCut", .caption = L"Cu&t", .shortcut = {'X', kCtrl}}, &F::actionEditCutExecute);
    actionEditCopy = add({.name = "actionEditCopy", .caption = L"&Copy", .shortcut = {'C', kCtrl}},
                         &F::actionEditCopyExecute);
    actionEditPaste = add({.name = "actionEditPaste", .caption = L"&Paste", .shortcut = {'V', kCtrl}},
                          &F::actionEditPasteExecute);
    // Del belongs to whichever text field has the focus; the command only acts from the menu.
    actionEditDelete = add({.name = "actionEditDelete", .caption = L"&Delete", .shortcut = {VK_DELETE, kNoModifier},
                            .shortcutYieldsToTextField = true},
                           &F::actionEditDeleteExecute);
    actionEditSelectAll = add({.name = "actionEditSelectAll", .caption = L"Select &All", .shortcut = {'A', kCtrl}},
                              &F::actionEditSelectAllExecute);
    actionFind = add({.name = "actionFind", .caption = L"Find", .shortcut = {'F', kCtrl}}, &F::actionFindExecute);
    actionFindNext = add({.name = "actionFindNext", .caption = L"Find Next", .hint = L"Find Next", .shortcut = {VK_F3, 0}},
                         &F::actionFindNextExecute);
    actionFindBack = add({.name = "actionFindBack", .caption = L"Find Back", .hint = L"Find Back",
                          .shortcut = {VK_F3, kShift}},
                         &F::actionFindBackExecute);
    actionShowHideFindPanel = add({.name = "actionShowHideFindPanel", .caption = L"Show Find Panel"},
                                  &F::actionShowHideFindPanelExecute);
    actionStatusBar = add({.name = "actionStatusBar", .caption = L"Status Bar", .checked = true},
                          &F::actionStatusBarExecute);
    actionReplaceMany = add({.name = "actionReplaceMany", .caption = L"Replace Many...", .hint = L"Replace Many",
                             .shortcut = {VK_F6, 0}},
                            &F::actionReplaceManyExecute);
    actionRepeatSpecialSearch = add({.name = "actionRepeatSpecialSearch", .caption = L"Repeat Special Search",
                                     .shortcut = {VK_F4, 0}},
                                    &F::actionRepeatSpecialSearchExecute);
    actionWordWrap = add({.name = "actionWordWrap", .caption = L"&Word Wrap", .checked = true}, &F::actionWordWrapExecute);
    actionFontLarger = add({.name = "actionFontLarger", .caption = L"&Larger", .shortcut = {VK_OEM_PLUS, kCtrl},
                            .secondaryShortcuts = kFontLargerSecondaryShortcuts},
                           &F::actionFontLargerExecute);
    actionFontSmaller = add({.name = "actionFontSmaller", .caption = L"&Smaller", .shortcut = {VK_OEM_MINUS, kCtrl},
                             .secondaryShortcuts = kFontSmallerSecondaryShortcuts},
                            &F::actionFontSmallerExecute);
    actionFont = add({.name = "actionFont", .caption = L"Font..."}, &F::actionFontExecute);
    actionFullScreen = add({.name = "actionFullScreen", .caption = L"Maximize", .shortcut = {VK_F11, 0}},
                           &F::actionFullScreenExecute);
    actionXXX = add({.name = "actionXXX", .caption = L"actionXXX", .shortcut = {'Q', kCtrl | kShift | kAlt}},
                    &F::actionXXXExecute);
    actionHelp = add({.name = "actionHelp", .caption = L"Help", .shortcut = {VK_F1, 0}}, &F::actionHelpExecute);
    actionOnlineHelp = add({.name = "actionOnlineHelp", .caption = L"Online Help"}, &F::actionOnlineHelpExecute);
    actionWebPage = add({.name = "actionWebPage", .caption = L"Palimp Web Page"}, &F::actionWebPageExecute);

    for (Action* action : {actionEditUndo, actionEditRedo, actionEditCut, actionEditCopy, actionEditPaste, actionEditSelectAll}) {
        action->SetUpdateHandler([this](Action& a) { UpdateEditCommand(a); });
    }
}

void TFormMain::CreateMenus() {
    miExit = &Actions().AddItem({.name = "miExit", .caption = L"E&xit"}, [this](MenuItem&) { miExitClick(); });
    miAbout = &Actions().AddItem({.name = "miAbout", .caption = L"&About..."}, [this](MenuItem&) { miAboutClick(); });

    // "Search for": its tag remembers the class of the last special search (1 = non-ASCII).
    miSearchFor = &Actions().AddItem({.name = "miSearchFor", .caption = L"Search for", .tag = 1}, nullptr);
    struct SearchItem {
        const char* name;
        const wchar_t* caption;
    };
    const SearchItem searchItems[] = {
        {"miNonASCIICharacter1", L"Non-ASCII Character"},
        {"miNonAlphabeticnonwhiteCharacter1", L"Non-Alphabetic (&& non white) Character"},
        {"miNonNumericnonwhiteCharacter1", L"Non-Numeric (&& non white) Character"},
        {"miNonAlphanumericnonwhiteCharacter1", L"Non-Alphanumeric (&& non white) Character"},
        {"miPunctuation1", L"Punctuation"},
        {"miWhiteCharacter1", L"White Character"},
    };
    std::vector<MenuEntry> searchMenu;
    int tag = 1;
    for (const SearchItem& entry : searchItems) {
        MenuItem& item = Actions().AddItem(
            {.name = entry.name, .caption = entry.caption, .tag = tag, .checked = tag == 1, .radio = true},
            [this](MenuItem& sender) { SearchForSpecial(sender); });
        searchMenu.push_back(MenuEntry::Of(item));
        miSearchItems[tag - 1] = &item;
        ++tag;
    }
    searchMenu.push_back(MenuEntry::Separator());
    searchMenu.push_back(MenuEntry::Of(*actionRepeatSpecialSearch, L"Repeat above search"));

    std::vector<MenuEntry> sizeMenu = {MenuEntry::Of(*actionFontSmaller), MenuEntry::Of(*actionFontLarger),
                                       MenuEntry::Separator()};
    for (int i = 0; i < 6; ++i) {
        int size = kFontSizes[i];
        miFontSizes[i] = &Actions().AddItem({.name = "miFontSize" + std::to_string(size),
                                              .caption = std::to_wstring(size),
                                              .tag = size,
                                              .checked = size == 10,
                                              .radio = true,
                                              .isDefault = size == 10},
                                             [this](MenuItem& sender) { miFontSizeClick(sender); });
        sizeMenu.push_back(MenuEntry::Of(*miFontSizes[i]));
    }

    using E = MenuEntry;
    mainMenu = Actions().BuildMenuBar({
        E::Sub(L"File", {E::Of(*actionNew), E::Of(*actionOpen), E::Of(*actionSave), E::Of(*actionSaveAs), E::Separator(),
                         E::Of(*miExit)}),
        E::Sub(L"&Edit", {E::Of(*actionEditUndo), E::Of(*actionEditRedo), E::Separator(), E::Of(*actionEditCut), E::Of(*actionEditCopy),
                          E::Of(*actionEditPaste), E::Of(*actionEditDelete), E::Separator(), E::Of(*actionFind),
                          E::Of(*actionFindNext), E::Of(*actionFindBack), E::Of(*actionReplaceMany), E::Separator(),
                          E::Sub(*miSearchFor, searchMenu), E::Separator(), E::Of(*actionEditSelectAll)}),
        E::Sub(L"F&ormat", {E::Of(*actionWordWrap), E::Separator(), E::Sub(L"Font Size", sizeMenu), E::Of(*actionFont)}),
        E::Sub(L"&View", {E::Of(*actionFullScreen), E::Separator(), E::Of(*actionShowHideFindPanel),
                          E::Of(*actionStatusBar)}),
        E::Sub(L"&Help", {E::Of(*actionHelp), E::Separator(), E::Of(*actionOnlineHelp), E::Of(*actionWebPage),
                          E::Separator(), E::Of(*miAbout)}),
    });

    miCaseSensitive = &Actions().AddItem({.name = "miCaseSensitive", .caption = L"Case sensitive"},
                                          [this](MenuItem& sender) { miCaseSensitiveClick(sender); });
    miWholeWordsOnly = &Actions().AddItem({.name = "miWholeWordsOnly", .caption = L"Whole words only"},
                                           [this](MenuItem& sender) { miWholeWordsOnlyClick(sender); });
    miHideFindPanel = &Actions().AddItem({.name = "miHideFindPanel", .caption = L"Hide Find Panel"},
                                          [this](MenuItem&) { miHideFindPanelClick(); });
    pmFind = Actions().BuildPopup({E::Of(*miCaseSensitive), E::Of(*miWholeWordsOnly), E::Separator(),
                                    E::Of(*miHideFindPanel)});
}

void TFormMain::CreateControls() {
    layout_.SetDesignSize(617, 396);
    // Raised inner and lowered outer bevel: the classic etched bar under the menu.
    panelTop.Create(Handle(),
                    {.name = "panelTop", .outer = Panel::Bevel::Lowered, .inner = Panel::Bevel::Raised, .id = kPanelTopId});
    layout_.Add(panelTop.Handle(), {0, 0, 617, 40}, Dock::Top);

    CreateToolbar();
    imageLogo = panelTop.GetLayout().Create(panelTop.Handle(),
                                            {.className = WC_STATICW,
                                             .name = "imageLogo",
                                             .style = SS_ICON | SS_CENTERIMAGE | SS_NOTIFY,
                                             .bounds = {0, 0, 49, 36},
                                             .dock = Dock::Right,
                                             .id = kLogoId},
                                            Dpi());
    panelTop.SetCursorFor(imageLogo, IDC_HAND);
    CreateFindPanel();
    OnClick(imageLogo, [this] { miAboutClick(); });

    CreateStatusBar();
    CreateMemo();
    layout_.Add(memo.Handle(), {}, Dock::Fill);
    ApplyFonts();
    layout_.Arrange(Handle(), Dpi());
}

void TFormMain::CreateToolbar() {
    toolBar = CreateWindowExW(0, TOOLBARCLASSNAMEW, nullptr,
                              WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | TBSTYLE_FLAT | TBSTYLE_LIST | TBSTYLE_TRANSPARENT |
                                  TBSTYLE_TOOLTIPS | CCS_NORESIZE | CCS_NODIVIDER | CCS_NOPARENTALIGN,
                              0, 0, 0, 0, panelTop.Handle(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(kToolBarId)),
                              GetModuleHandleW(nullptr), nullptr);
    NameControl(toolBar, "toolBar");
    SendMessageW(toolBar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    LoadPictures();

    auto makeButton = [](const ToolButton& tool, int command) {
        TBBUTTON b = {};
        b.iBitmap = tool.image;
        b.idCommand = command;
        b.fsState = TBSTATE_ENABLED;
        b.fsStyle = BTNS_BUTTON;
        b.iString = reinterpret_cast<INT_PTR>(tool.caption);
        return b;
    };
    TBBUTTON separator = {};
    separator.fsStyle = BTNS_SEP;
    const TBBUTTON buttons[] = {makeButton(kOpenButton, actionOpen->Id()),     separator,
                                makeButton(kSaveAsButton, actionSaveAs->Id()), separator,
                                makeButton(kReplaceManyButton, actionReplaceMany->Id()), separator};
    SendMessageW(toolBar, TB_ADDBUTTONSW, std::size(buttons), reinterpret_cast<LPARAM>(buttons));
    panelTop.GetLayout().Add(toolBar, {0, 0, 0, 36}, Dock::Left);
    Actions().BindToolbar(toolBar);
}

void TFormMain::SizeToolbar() {
    int cell = Dpi() >= 144 ? 24 : 16;
    SendMessageW(toolBar, TB_SETBUTTONSIZE, 0, MAKELONG(Scale(72), Scale(36)));

    HDC dc = GetDC(toolBar);
    HGDIOBJ oldFont = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(toolBar, WM_GETFONT, 0, 0)));
    for (const auto& [button, command] : {std::pair{kOpenButton, actionOpen->Id()}, std::pair{kSaveAsButton, actionSaveAs->Id()},
                                        std::pair{kReplaceManyButton, actionReplaceMany->Id()}}) {
        // The designed width, unless a substitute font (where Tahoma is missing) needs more room
        // for the caption beside the picture's place.
        SIZE text = {};
        GetTextExtentPoint32W(dc, button.caption, lstrlenW(button.caption), &text);
        TBBUTTONINFOW info = {sizeof(info)};
        info.dwMask = TBIF_SIZE;
        LONG needed = text.cx + (button.image >= 0 ? cell + Scale(14) : Scale(12));
        info.cx = static_cast<WORD>(std::max<LONG>(Scale(button.width), needed));
        SendMessageW(toolBar, TB_SETBUTTONINFOW, command, reinterpret_cast<LPARAM>(&info));
    }
    SelectObject(dc, oldFont);
    ReleaseDC(toolBar, dc);
    SendMessageW(toolBar, TB_AUTOSIZE, 0, 0);
    // The toolbar is as wide as its buttons: the right edge of the last one.
    int count = static_cast<int>(SendMessageW(toolBar, TB_BUTTONCOUNT, 0, 0));
    RECT last = {};
    SendMessageW(toolBar, TB_GETITEMRECT, count - 1, reinterpret_cast<LPARAM>(&last));
    panelTop.GetLayout().SetBounds(toolBar, {0, 0, dpi::Unscale(last.right, Dpi()) + 1, 36});
    panelTop.GetLayout().Arrange(panelTop.Handle(), Dpi());
}

void TFormMain::LoadPictures() {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    // 24-pixel pictures from 150 % on; missing pictures leave text-only buttons and no logo.
    bool large = Dpi() >= 144;
    int cell = large ? 24 : 16;
    HIMAGELIST old = toolbarImages_;
    toolbarImages_ = nullptr;
    auto strip = static_cast<HBITMAP>(LoadImageW(instance, MAKEINTRESOURCEW(large ? IDB_TOOLBAR_24 : IDB_TOOLBAR),
                                                 IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (strip) {
        toolbarImages_ = ImageList_Create(cell, cell, ILC_COLOR32, 2, 0);
        if (toolbarImages_) ImageList_Add(toolbarImages_, strip, nullptr);
        DeleteObject(strip);
    }
    SendMessageW(toolBar, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(toolbarImages_));
    if (old) ImageList_Destroy(old);

    HICON oldIcon = logoIcon_;
    int iconSize = Scale(32);
    logoIcon_ = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_PALIMP), IMAGE_ICON, iconSize, iconSize, 0));
    if (imageLogo) SendMessageW(imageLogo, STM_SETICON, reinterpret_cast<WPARAM>(logoIcon_), 0);
    if (oldIcon) DestroyIcon(oldIcon);
}

LRESULT TFormMain::DrawToolButton(NMTBCUSTOMDRAW& draw) {
    // The buttons are drawn here rather than by the toolbar, whose picture and caption places
    // differ between Windows versions (and Wine): picture centred on the left, caption beside
    // it (centred when there is no picture), a thin frame while hot or pressed.
    if (draw.nmcd.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW;
    if (draw.nmcd.dwDrawStage != CDDS_ITEMPREPAINT) return CDRF_DODEFAULT;
    const ToolButton* button = nullptr;
    if (static_cast<int>(draw.nmcd.dwItemSpec) == actionOpen->Id()) button = &kOpenButton;
    if (static_cast<int>(draw.nmcd.dwItemSpec) == actionSaveAs->Id()) button = &kSaveAsButton;
    if (static_cast<int>(draw.nmcd.dwItemSpec) == actionReplaceMany->Id()) button = &kReplaceManyButton;
    if (!button) return CDRF_DODEFAULT;

    HDC dc = draw.nmcd.hdc;
    RECT rc = draw.nmcd.rc;
    UINT state = draw.nmcd.uItemState;
    bool disabled = state & CDIS_DISABLED;
    bool pressed = !disabled && (state & (CDIS_SELECTED | CDIS_CHECKED));
    if (!disabled && (pressed || (state & CDIS_HOT))) {
        DrawEdge(dc, &rc, pressed ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
    }
    if (pressed) OffsetRect(&rc, 1, 1);

    int cell = Dpi() >= 144 ? 24 : 16;
    RECT textRect = rc;
    UINT format = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS;
    if (button->image >= 0 && toolbarImages_) {
        IMAGELISTDRAWPARAMS image = {sizeof(image)};
        image.himl = toolbarImages_;
        image.i = button->image;
        image.hdcDst = dc;
        image.x = rc.left + Scale(5);
        image.y = rc.top + (rc.bottom - rc.top - cell) / 2;
        image.rgbBk = CLR_NONE;
        image.fStyle = ILD_TRANSPARENT;
        image.fState = disabled ? ILS_SATURATE : ILS_NORMAL;
        ImageList_DrawIndirect(&image);
        textRect.left = image.x + cell + Scale(5);
    } else {
        format |= DT_CENTER;
    }
    textRect.right -= Scale(2);
    int oldMode = SetBkMode(dc, TRANSPARENT);
    COLORREF oldColor = SetTextColor(dc, GetSysColor(disabled ? COLOR_GRAYTEXT : COLOR_BTNTEXT));
    HGDIOBJ oldFont = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(toolBar, WM_GETFONT, 0, 0)));
    DrawTextW(dc, button->caption, -1, &textRect, format);
    SelectObject(dc, oldFont);
    SetTextColor(dc, oldColor);
    SetBkMode(dc, oldMode);
    return CDRF_SKIPDEFAULT;
}

void TFormMain::CreateMemo() {
    if (!memo.Create(Handle(), kMemoId)) throw EAssertionFailed(u"Cannot create the editor");
    NameControl(memo.Handle(), "memo");
    OnNotification(memo.Handle(), EN_CHANGE, [this] {
        statusStale_ = true;  // the caret may stand on another line at the same place
        memoChange();
    });
    // Ctrl + wheel changes the font size as Ctrl+= and Ctrl+- do, never Scintilla's own zoom.
    memo.OnZoomWheel([this](int step) { (step > 0 ? actionFontLarger : actionFontSmaller)->Execute(); });
    memo.SetWordWrap(actionWordWrap->Checked());
    ShowWindow(memo.Handle(), SW_SHOWNA);
}

void TFormMain::ApplyFonts() {
    SendMessageW(toolBar, WM_SETFONT, reinterpret_cast<WPARAM>(Fonts::Pixels(L"Tahoma", 11, Dpi())), TRUE);
    SizeToolbar();
    ApplyStatusFont();
    ApplyEditorFont();
}

}  // namespace palimp
