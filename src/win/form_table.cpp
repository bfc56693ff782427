// The table editor window: its controls and layout, the grid font, the counter and the row
// commands. The table itself is the core ReplacementTable; every command changes it and then
// lets the grid and the counter catch up.
#include "win/form_table.h"

#include <algorithm>
#include <array>
#include <functional>

#include "core/local_info.h"
#include "core/pass_rows.h"
#include "core/table_editing.h"
#include "win/app.h"
#include "win/form_from_to.h"
#include "win/form_main.h"
#include "win/resources/resource_ids.h"
#include "win/system/wide.h"
#include "win/ui/busy_cursor.h"
#include "win/ui/dpi.h"
#include "win/ui/fonts.h"

namespace palimp {

namespace {

constexpr int kGridId = 100;
constexpr int kHelpContext = 4;
// Heights of the title row and of the OK/Cancel row, the width of the tools column (96 DPI).
constexpr int kTitleHeight = 41;
constexpr int kBottomHeight = 41;
constexpr int kToolsWidth = 112;
constexpr int kOptionsColumnWidth = 84;
constexpr int kSwitchColumnWidth = 20;
constexpr int kHitsColumnWidth = 56;
constexpr int kScrollBarRoom = 32;
static_assert(kGridColumns == kColumnCount, "the grid shows the table's columns");
constexpr std::array<int, kColumnCount> kInitialColumnWidths = {197, 206, kOptionsColumnWidth};
constexpr COLORREF kTitleColour = RGB(0x80, 0x80, 0x80);

}  // namespace

TFormTable::~TFormTable() {
    if (popupMenuOpen) DestroyMenu(popupMenuOpen);
    if (pictures_) ImageList_Destroy(pictures_);
}

void TFormTable::CreateForm() {
    CreateWindowHandle({.className = L"TFormTable",
                        .caption = L"Palimp",
                        .style = (WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN) & ~WS_MINIMIZEBOX,
                        .outerWidth = 571,
                        .outerHeight = 401,
                        .parent = Owner()});
    SetHelpContext(kHelpContext);
    LoadPictures();
    CreateActions();
    CreateControls();
    ApplyFonts();
    popupMenuOpen = CreatePopupMenu();
}

void TFormTable::CreateActions() {
    auto add = [this](ActionParams params, void (TFormTable::*handler)()) {
        return &Actions().Add(std::move(params), [this, handler] { (this->*handler)(); });
    };
    using F = TFormTable;
    actionAdd = add({.name = "actionAdd", .caption = L"Add", .hint = L"Add", .shortcut = {'N', kCtrl}},
                    &F::actionAddExecute);
    actionEdit = add({.name = "actionEdit", .caption = L"Edit", .hint = L"Edit", .shortcut = {VK_F2, 0}},
                     &F::actionEditExecute);
    actionDelete = add({.name = "actionDelete", .caption = L"Delete", .hint = L"Delete",
                        .shortcut = {VK_DELETE, kNoModifier}},
                       &F::actionDeleteExecute);
    actionMoveUp = add({.name = "actionMoveUp", .caption = L"Move Up", .hint = L"Move Up",
                        .shortcut = {VK_UP, kCtrl | kAlt}},
                       &F::actionMoveUpExecute);
    actionMoveDown = add({.name = "actionMoveDown", .caption = L"Move Down", .hint = L"Move Down",
                          .shortcut = {VK_DOWN, kCtrl | kAlt}},
                         &F::actionMoveDownExecute);
    actionSelectAll = add({.name = "actionSelectAll", .caption = L"Select All", .shortcut = {'A', kCtrl}},
                          &F::actionSelectAllExecute);
    actionSwapColumns = add({.name = "actionSwapColumns", .caption = L"Swap Columns"}, &F::actionSwapColumnsExecute);
    actionCopyAll = add({.name = "actionCopyAll", .caption = L"Copy All"}, &F::actionCopyAllExecute);
    actionPasteAll = add({.name = "actionPasteAll", .caption = L"Paste All"}, &F::actionPasteAllExecute);
    actionCount = add({.name = "actionCount", .caption = L"Count", .hint = L"Count the hits of each row (F9)",
                       .shortcut = {VK_F9, 0}},
                      &F::actionCountExecute);
    actionSwitch = add({.name = "actionSwitch", .caption = L"Switch On/Off (Space)"}, &F::actionSwitchExecute);
    actionUndo = add({.name = "actionUndo", .caption = L"Undo", .shortcut = {'Z', kCtrl}}, &F::actionUndoExecute);
    actionFullScreen = add({.name = "actionFullScreen", .caption = L"Full Screen", .shortcut = {VK_F11, 0}},
                           &F::actionFullScreenExecute);
    actionFontLarger = add({.name = "actionFontLarger", .shortcut = {VK_OEM_PLUS, kCtrl},
                            .secondaryShortcuts = kFontLargerSecondaryShortcuts},
                           &F::actionFontLargerExecute);
    actionFontSmaller = add({.name = "actionFontSmaller", .shortcut = {VK_OEM_MINUS, kCtrl},
                             .secondaryShortcuts = kFontSmallerSecondaryShortcuts},
                            &F::actionFontSmallerExecute);
    actionOpen = add({.name = "actionOpen", .caption = L"Open", .shortcut = {'O', kCtrl}}, &F::stbnOpenClick);
    actionOpenLast = add({.name = "actionOpenLast", .shortcut = {'O', kCtrl | kShift}}, &F::sbtnOpenLastClick);
    actionSaveAs = add({.name = "actionSaveAs", .caption = L"Save As", .shortcut = {'S', kCtrl}}, &F::sbtnSaveClick);
    actionMore = add({.name = "actionMore", .shortcut = {VK_F10, kShift}, .secondaryShortcuts = {{VK_APPS, 0}}},
                     &F::sbtnMoreClick);

    using E = MenuEntry;
    popupMenuMore = Actions().BuildPopup({E::Of(*actionCopyAll), E::Of(*actionPasteAll), E::Separator(),
                                          E::Of(*actionSwapColumns), E::Of(*actionSwitch), E::Separator(),
                                          E::Of(*actionUndo)});
}

void TFormTable::CreateControls() {
    // The design is the client area the frame leaves of the 571 x 401 window.
    RECT client;
    GetClientRect(Handle(), &client);
    const int width = dpi::Unscale(client.right, Dpi());
    const int height = dpi::Unscale(client.bottom, Dpi());
    layout_.SetDesignSize(width, height);

    // The grid first: it comes first in the Tab order.
    sgTable.Create(Handle(), gridModel_, {.name = "sgTable", .id = kGridId});
    layout_.Add(sgTable.Handle(), {8, kTitleHeight, width - 8 - kToolsWidth, height - kTitleHeight - kBottomHeight},
                Dock::None, kAnchorAll);
    OnNotification(sgTable.Handle(), Grid::kSelectionChanged, [this] { sgTableClick(); });
    OnNotification(sgTable.Handle(), Grid::kRowDoubleClicked, [this] { sgTableDblClick(); });
    OnNotification(sgTable.Handle(), Grid::kSwitchClicked, [this] { sgTableSwitchClick(); });
    OnNotification(sgTable.Handle(), Grid::kSpacePressed, [this] { actionSwitch->Execute(); });

    panelTitle.Create(Handle(), {.name = "panelTitle", .borderWidth = 8});
    layout_.Add(panelTitle.Handle(), {0, 0, width, kTitleHeight}, Dock::Top);
    CreateTitleRow();
    panelOKCancel.Create(Handle(), {.name = "panelOKCancel", .borderWidth = 8});
    layout_.Add(panelOKCancel.Handle(), {0, 0, width, kBottomHeight}, Dock::Bottom);
    panelTools.Create(Handle(), {.name = "panelTools"});
    layout_.Add(panelTools.Handle(), {0, 0, kToolsWidth, 0}, Dock::Right);
    CreateTools();
    CreateOKCancel(width);
    layout_.Arrange(Handle(), Dpi());
}

void TFormTable::CreateTitleRow() {
    // Right to left along the row: Save As, the separator, the arrow, Open; the title fills the rest.
    Layout& row = panelTitle.GetLayout();
    HWND parent = panelTitle.Handle();
    sbtnSave.Create(parent, {.name = "sbtnSave", .caption = L"Save As", .pictures = pictures_, .picture = 1});
    row.Add(sbtnSave.Handle(), {0, 0, 80, 0}, Dock::Right);
    OnClick(sbtnSave.Handle(), [this] { sbtnSaveClick(); });
    bevelFind = row.Create(parent, {.className = WC_STATICW, .name = "bevelFind", .style = SS_OWNERDRAW,
                                    .bounds = {0, 0, 10, 0}, .dock = Dock::Right},
                           Dpi());
    sbtnOpenLast.Create(parent, {.name = "sbtnOpenLast", .glyph = FlatButton::Glyph::DropDown});
    row.Add(sbtnOpenLast.Handle(), {0, 0, 15, 0}, Dock::Right);
    OnClick(sbtnOpenLast.Handle(), [this] { sbtnOpenLastClick(); });
    stbnOpen.Create(parent, {.name = "stbnOpen", .caption = L"Open", .pictures = pictures_, .picture = 0});
    row.Add(stbnOpen.Handle(), {0, 0, 66, 0}, Dock::Right);
    OnClick(stbnOpen.Handle(), [this] { stbnOpenClick(); });
    SetHint(stbnOpen.Handle(), L"Open a table (Ctrl+O)");
    SetHint(sbtnOpenLast.Handle(), L"Tables in the table folder (Ctrl+Shift+O)");
    SetHint(sbtnSave.Handle(), L"Save the table under a name (Ctrl+S)");
    labelTitle = row.Create(parent, {.className = WC_STATICW, .name = "labelTitle", .text = L"What to replace",
                                     .style = SS_LEFT | SS_NOPREFIX | SS_CENTERIMAGE | SS_ENDELLIPSIS,
                                     .dock = Dock::Fill},
                            Dpi());
}

HWND TFormTable::CreateButton(HWND parent, Layout& layout, const char* name, const wchar_t* caption, Bounds bounds,
                              unsigned anchors, int id, DWORD style) {
    return layout.Create(parent, {.className = WC_BUTTONW, .name = name, .text = caption,
                                  .style = WS_TABSTOP | style, .bounds = bounds, .anchors = anchors, .id = id},
                         Dpi());
}

void TFormTable::CreateTools() {
    Layout& tools = panelTools.GetLayout();
    HWND parent = panelTools.Handle();
    labelCount = tools.Create(parent, {.className = WC_STATICW, .name = "labelCount",
                                       .style = SS_RIGHT | SS_NOPREFIX, .bounds = {8, 2, 96, 16}},
                              Dpi());
    const struct {
        const char* name;
        Action* action;
    } buttons[] = {{"btnAdd", actionAdd}, {"btnEdit", actionEdit}, {"btnDelete", actionDelete},
                   {"btnMoveUp", actionMoveUp}, {"btnMoveDown", actionMoveDown}, {"btnCount", actionCount}};
    ColumnCursor column{8, 22, 6};
    for (const auto& b : buttons) {
        HWND button = CreateButton(parent, tools, b.name, b.action->Caption().c_str(), column.Next(96, 25),
                                   kAnchorTopLeft, b.action->Id());
        Actions().BindButton(button);
        SetHint(button, b.action->Hint());
        if (b.action == actionCount) btnCount = button;
    }
    sbtnMore.Create(parent, {.name = "sbtnMore", .caption = L"More", .glyph = FlatButton::Glyph::DropDown,
                             .glyphAfterCaption = true, .framed = true});
    tools.Add(sbtnMore.Handle(), {8, column.y + 8, 96, 25});
    OnClick(sbtnMore.Handle(), [this] { sbtnMoreClick(); });
    SetHint(sbtnMore.Handle(), L"More (Shift+F10)");
}

void TFormTable::CreateOKCancel(int width) {
    Layout& row = panelOKCancel.GetLayout();
    row.SetDesignSize(width, kBottomHeight);
    HWND parent = panelOKCancel.Handle();
    // First in the tab order of its row, before Replace All.
    checkInSelection = CreateButton(parent, row, "checkInSelection", L"In &selection", {8, 12, 140, 17},
                                    kAnchorLeft | kAnchorTop, 0, BS_AUTOCHECKBOX);
    EnableWindow(checkInSelection, FALSE);
    // What Count found holds for the text it counted in.
    OnClick(checkInSelection, [this] {
        ClearCount();
        UpdateCountLabel();
    });
    btnCancel = CreateButton(parent, row, "btnCancel", L"Cancel", {width - 8 - 75, 8, 75, 25},
                             kAnchorRight | kAnchorTop, IDCANCEL);
    btnOK = CreateButton(parent, row, "btnOK", L"Replace All", {width - 8 - 75 - 6 - 90, 8, 90, 25},
                         kAnchorRight | kAnchorTop, IDOK, BS_DEFPUSHBUTTON);
    SetDefaultButton(btnOK);
    SetCancelButton(btnCancel);
    SetButtonResult(btnCancel, ModalResult::Cancel);
    OnClick(btnOK, [this] { btnOKClick(); });
}

void TFormTable::LoadPictures() {
    // The pictures of Open and Save As, 24 pixels from 150 % on; none when the resource is missing.
    const bool large = Dpi() >= 144;
    const int cell = large ? 24 : 16;
    if (pictures_) ImageList_Destroy(pictures_);
    pictures_ = nullptr;
    auto strip = static_cast<HBITMAP>(LoadImageW(GetModuleHandleW(nullptr),
                                                 MAKEINTRESOURCEW(large ? IDB_TOOLBAR_24 : IDB_TOOLBAR), IMAGE_BITMAP,
                                                 0, 0, LR_CREATEDIBSECTION));
    if (strip) {
        pictures_ = ImageList_Create(cell, cell, ILC_COLOR32, 2, 0);
        if (pictures_) ImageList_Add(pictures_, strip, nullptr);
        DeleteObject(strip);
    }
    for (FlatButton* button : {&stbnOpen, &sbtnSave}) {
        if (button->Handle()) button->SetPictures(pictures_);
    }
}

void TFormTable::ApplyFonts() {
    HFONT font = Fonts::Pixels(L"Tahoma", 13, Dpi());
    for (HWND panel : {panelTitle.Handle(), panelTools.Handle(), panelOKCancel.Handle()}) {
        for (HWND child = GetWindow(panel, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
        }
    }
    SendMessageW(labelTitle, WM_SETFONT, reinterpret_cast<WPARAM>(Fonts::Pixels(L"Tahoma", 16, Dpi(), FW_BOLD)), TRUE);
}

HFONT TFormTable::GridFont() const { return Fonts::Points(gridFontFace_, gridFontSize_, Dpi()); }

void TFormTable::ApplyGridFont(bool toPairEditor) {
    sgTable.SetFont(GridFont());
    sgTable.SetRowHeight(Scale(GridRowHeight(gridFontSize_)));
    if (toPairEditor) App().FormFromTo().SetInputFont(GridFont());
}

void TFormTable::SetGridFontFace(const std::wstring& face) {
    gridFontFace_ = face;
    if (Handle()) ApplyGridFont(true);
}

void TFormTable::SetTableFolder(std::wstring folder) { tableFolder_ = std::move(folder); }

void TFormTable::FormCreate() {
    SetCaption(L"Palimp");
    table_.SetCell(kSearchColumn, 0, u"Search for");
    table_.SetCell(kReplaceColumn, 0, u"Replace with");
    table_.SetCell(kOptionsColumn, 0, u"Options");
    tableFolder_ = ToWide(LocalInfo.ProgramFolder) + L"replace\\";
    std::array<int, kColumnCount> widths{};
    for (int c = 0; c < kColumnCount; ++c) widths[c] = Scale(kInitialColumnWidths[c]);
    sgTable.SetColumnWidths(widths);
    // The grid font, the window's size and the table of the last run.
    const Settings& kept = App().KeptSettings();
    gridFontFace_ = ToWide(kept.tableFontFace);
    gridFontSize_ = std::clamp(kept.tableFontSize, kGridFontMin, kGridFontMax);
    sgTable.SetExtraWidths(Scale(kSwitchColumnWidth), Scale(kHitsColumnWidth));
    ApplyGridFont(false);  // the pair editor comes later and takes the grid font itself
    if (kept.tableWindow) {
        SetWindowPos(Handle(), nullptr, 0, 0, kept.tableWindow->width, kept.tableWindow->height,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        CenterOnScreen();
    }
    NewTable();
    FormResize();
    const std::wstring last = ToWide(kept.lastTableFile);
    if (!last.empty() && GetFileAttributesW(last.c_str()) != INVALID_FILE_ATTRIBUTES &&
        !(GetFileAttributesW(last.c_str()) & FILE_ATTRIBUTE_DIRECTORY)) {
        LoadTable(last);
    }
}

void TFormTable::KeepSettings(Settings& settings) const {
    WINDOWPLACEMENT placement = {sizeof(placement)};
    if (GetWindowPlacement(Handle(), &placement)) {
        const RECT& r = placement.rcNormalPosition;
        settings.tableWindow = WindowPlace{0, 0, r.right - r.left, r.bottom - r.top};
    }
    settings.tableFontFace = ToU16(gridFontFace_);
    settings.tableFontSize = gridFontSize_;
    settings.lastTableFile = ToU16(fileName_);
}

void TFormTable::FormShow() {
    // A count holds only for the document it was made on.
    if (!countedHits_.empty() &&
        std::hash<std::u16string>{}(App().FormMain().PassText(InSelection())) != countedDocument_) {
        ClearCount();
    }
    UpdateCountLabel();
    sgTable.TableChanged();
    // Activation, which follows, gives the focus back to where it was last: the grid wins.
    focusGridOnActivate_ = true;
    SetFocus(sgTable.Handle());
}

void TFormTable::OnActivate(bool active) {
    Form::OnActivate(active);
    if (active && focusGridOnActivate_) SetFocus(sgTable.Handle());
    if (active) focusGridOnActivate_ = false;
}

bool TFormTable::OnMessage(UINT message, WPARAM wParam, LPARAM, LRESULT&) {
    if (message == WM_SHOWWINDOW && wParam) FormShow();
    return false;
}

void TFormTable::OnSize(int, int) {
    layout_.Arrange(Handle(), Dpi());
    FormResize();
}

void TFormTable::FormResize() {
    // The options column, the check boxes and the hits keep their widths; the two text columns
    // share the rest, leaving room for the scroll bar.
    RECT grid;
    GetWindowRect(sgTable.Handle(), &grid);
    const int options = Scale(kOptionsColumnWidth);
    const int fixed = options + sgTable.SwitchWidth() + sgTable.HitsWidth();
    const int text = TextColumnWidth(grid.right - grid.left, fixed, Scale(kScrollBarRoom));
    sgTable.SetColumnWidths({text, text, options});
}

void TFormTable::OnGetMinMaxInfo(MINMAXINFO& info) { info.ptMinTrackSize = {Scale(400), Scale(300)}; }

void TFormTable::OnDpiChanged(int) {
    sgTable.SetExtraWidths(Scale(kSwitchColumnWidth), Scale(kHitsColumnWidth));
    LoadPictures();
    ApplyFonts();
    FitToolsColumn(ToWide(WindowText(labelCount)));
    ApplyGridFont(true);
    layout_.Arrange(Handle(), Dpi());
    FormResize();
}

HBRUSH TFormTable::OnControlColour(UINT, HWND control, HDC dc) {
    if (control != labelTitle) return nullptr;
    SetTextColor(dc, kTitleColour);
    SetBkMode(dc, TRANSPARENT);
    return GetSysColorBrush(COLOR_BTNFACE);
}

bool TFormTable::OnDrawItem(const DRAWITEMSTRUCT& item) {
    if (item.hwndItem != bevelFind) return false;
    // An etched vertical line in the middle of its place.
    FillRect(item.hDC, &item.rcItem, GetSysColorBrush(COLOR_BTNFACE));
    int middle = (item.rcItem.left + item.rcItem.right) / 2;
    RECT line = {middle - 1, item.rcItem.top + Scale(2), middle + 1, item.rcItem.bottom - Scale(2)};
    DrawEdge(item.hDC, &line, EDGE_ETCHED, BF_LEFT);
    return true;
}

// ---- The counter and the row commands --------------------------------------------------------

void TFormTable::UpdateCountLabel() {
    // After Count the counter line holds its total until the count no longer holds.
    const std::wstring text = countedHits_.empty() ? ToWide(CountLabelText(table_))
                                                   : L"Hits: " + std::to_wstring(countedTotal_);
    FitToolsColumn(text);
    SetWindowTextW(labelCount, text.c_str());
}

void TFormTable::FitToolsColumn(const std::wstring& shown) {
    const std::wstring widest = ToWide(WidestCountLabelText(table_.ItemCount()));
    HDC dc = GetDC(labelCount);
    HGDIOBJ oldFont = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(labelCount, WM_GETFONT, 0, 0)));
    SIZE text = {};
    SIZE now = {};
    GetTextExtentPoint32W(dc, widest.c_str(), static_cast<int>(widest.size()), &text);
    GetTextExtentPoint32W(dc, shown.c_str(), static_cast<int>(shown.size()), &now);
    SelectObject(dc, oldFont);
    ReleaseDC(labelCount, dc);
    // 8 pixels either side, as the buttons have; a pixel more for the rounding to 96 DPI.
    const int width = std::max(kToolsWidth, dpi::Unscale(std::max(text.cx, now.cx), Dpi()) + 1 + 16);
    const int before = toolsWidth_ ? toolsWidth_ : kToolsWidth;
    if (width == toolsWidth_) return;
    toolsWidth_ = width;
    layout_.SetBounds(panelTools.Handle(), {0, 0, width, 0});
    panelTools.GetLayout().SetBounds(labelCount, {8, 2, width - 16, 16});
    Bounds grid = layout_.GetBounds(sgTable.Handle());
    grid.width -= width - before;
    layout_.SetBounds(sgTable.Handle(), grid);
    layout_.Arrange(Handle(), Dpi());
    FormResize();
}

void TFormTable::TableChanged() {
    sgTable.TableChanged();
    UpdateCountLabel();
}

void TFormTable::TableEdited() {
    modified_ = true;
    ShowTitle(titleName_);
    ClearCount();
    TableChanged();
}

void TFormTable::RecordUndo() { history_.Record(table_); }

void TFormTable::ShowTitle(std::wstring name) {
    titleName_ = std::move(name);
    SetWindowTextW(labelTitle, (titleName_ + (modified_ ? L" *" : L"")).c_str());
}

void TFormTable::Say(const std::wstring& why) {
    Host().GetPrompter().Beep();
    FitToolsColumn(why);
    SetWindowTextW(labelCount, why.c_str());
}

void TFormTable::ClearCount() {
    if (countedHits_.empty() && sgTable.Hits().empty()) return;
    countedHits_.clear();
    countedTotal_ = 0;
    sgTable.SetHits({}, {});
    UpdateCountLabel();
}

void TFormTable::actionCountExecute() {
    const std::u16string text = App().FormMain().PassText(InSelection());
    TableCount count;
    {
        BusyCursor busy;
        count = CountTable(table_.Items(), text);
    }
    countedHits_ = count.rowHits;
    countedTotal_ = count.found;
    countedDocument_ = std::hash<std::u16string>{}(text);
    std::vector<std::wstring> hits, tips;
    for (std::size_t r = 0; r < count.rowHits.size(); ++r) {
        const bool never = !count.reach[r].canWin;
        hits.push_back(never ? L"never" : std::to_wstring(count.rowHits[r]));
        tips.push_back(ToWide(NeverWinsReason(table_.Items(), r, count.reach[r])));
    }
    sgTable.SetHits(std::move(hits), std::move(tips));
    UpdateCountLabel();
}

void TFormTable::sgTableSwitchClick() {
    const int row = sgTable.SwitchClickedRow();
    if (row < 1 || row > table_.ItemCount()) return;
    RecordUndo();
    SwitchRows(table_, row, row);
    TableEdited();
}

void TFormTable::actionSwitchExecute() {
    RecordUndo();  // the selection is always a range of item rows: the rows do change
    SwitchRows(table_, table_.Top(), table_.Bottom());
    TableEdited();
}

void TFormTable::actionUndoExecute() {
    if (!history_.Undo(table_)) {
        Say(L"Nothing to undo");
        return;
    }
    TableEdited();
}

void TFormTable::sgTableClick() { UpdateCountLabel(); }

void TFormTable::sgTableDblClick() { actionEdit->Execute(); }

void TFormTable::OfferSelection(bool offered, bool ticked) {
    EnableWindow(checkInSelection, offered);
    SendMessageW(checkInSelection, BM_SETCHECK, offered && ticked ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool TFormTable::InSelection() const {
    return IsWindowEnabled(checkInSelection) && SendMessageW(checkInSelection, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void TFormTable::btnOKClick() {
    if (!HasSearchPhrase(table_)) {
        Say(L"No row has a search phrase");
        return;
    }
    SetModalResult(ModalResult::OK);
}

void TFormTable::sbtnMoreClick() {
    if (int command = DropDown(popupMenuMore, sbtnMore.Handle())) Actions().Dispatch(command);
}

int TFormTable::DropDown(HMENU menu, HWND button) {
    RECT place;
    GetWindowRect(button, &place);
    return DropMenu(menu, {place.right, place.bottom}, TPM_RIGHTALIGN | TPM_TOPALIGN | TPM_LEFTBUTTON);
}

void TFormTable::actionAddExecute() {
    TFormFromTo& editor = App().FormFromTo();
    editor.SetCaption(L"Palimp - Add");
    editor.State() = PairEditStateForAdd();
    if (Host().GetPrompter().ShowModal(editor) != ModalResult::OK) return;
    RecordUndo();
    AddPair(table_, editor.State());
    TableEdited();
}

void TFormTable::actionEditExecute() {
    if (!(1 <= table_.Top() && table_.Top() <= table_.Bottom() && table_.Bottom() <= table_.ItemCount())) return;
    TFormFromTo& editor = App().FormFromTo();
    editor.SetCaption(L"Palimp - Edit");
    editor.State() = PairEditStateForEdit(table_);
    if (Host().GetPrompter().ShowModal(editor) != ModalResult::OK) return;
    RecordUndo();
    ApplyPairEdit(table_, editor.State());
    TableEdited();
}

void TFormTable::actionDeleteExecute() {
    if (table_.Top() == 1 && table_.Bottom() == table_.ItemCount()) {
        Say(table_.ItemCount() == 1 ? L"The last row stays" : L"Every row is selected: not deleted");
        return;
    }
    RecordUndo();
    table_.DeleteRows(table_.Top(), table_.Bottom());
    TableEdited();
}

void TFormTable::actionMoveUpExecute() {
    if (table_.Top() < 2) return;
    RecordUndo();
    table_.MoveRowsUp(table_.Top(), table_.Bottom());
    TableEdited();
}

void TFormTable::actionMoveDownExecute() {
    if (table_.Bottom() >= table_.ItemCount()) return;
    RecordUndo();
    table_.MoveRowsDown(table_.Top(), table_.Bottom());
    TableEdited();
}

void TFormTable::actionSelectAllExecute() {
    table_.SelectAllRows();
    TableChanged();
}

void TFormTable::actionSwapColumnsExecute() {
    RecordUndo();
    table_.SwapSearchReplace();
    TableEdited();
}

void TFormTable::actionFullScreenExecute() { ShowWindow(Handle(), IsZoomed(Handle()) ? SW_RESTORE : SW_MAXIMIZE); }

void TFormTable::actionFontLargerExecute() {
    if (gridFontSize_ >= kGridFontMax) return;
    ++gridFontSize_;
    ApplyGridFont(true);
}

void TFormTable::actionFontSmallerExecute() {
    if (gridFontSize_ <= kGridFontMin) return;
    --gridFontSize_;
    ApplyGridFont(true);
}

}  // namespace palimp
