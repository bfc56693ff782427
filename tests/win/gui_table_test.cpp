// The table editor window and its grid: layout and frame, the counter through keys, mouse and
// row commands, scrolling a long table, the look of the selection, the grid font limits, the
// column rule on resizing, "Replace All", and the state kept between showings.
#include <windows.h>

#include <string>

#include "gui_table_support.h"
#include "core/local_info.h"
#include "win/ui/dpi.h"
#include "win/ui/fonts.h"

namespace palimp {
namespace {

TEST(GridGeometry, RowsAndCellsStandWhereTheArithmeticSays) {
    const GridGeometry g{.rowHeight = 20, .columnWidths = {100, 100, 50}, .clientWidth = 300, .clientHeight = 210,
                         .rowCount = 101, .topRow = 1};
    EXPECT_EQ(g.VisibleRows(), 9);  // (210 - 21) / 21
    EXPECT_EQ(g.LastShownRow(), 9);
    EXPECT_EQ(g.MaxTopRow(), 92);
    const struct { int y, row; } rows[] = {{0, 0}, {20, 0}, {21, 1}, {41, 1}, {42, 2}, {209, 9}, {210, -1}, {-1, -1}};
    for (const auto& r : rows) EXPECT_EQ(g.RowAt(r.y), r.row) << "y " << r.y;
    const struct { int x, column; } columns[] = {{0, 0}, {100, 0}, {101, 1}, {202, 2}, {252, 2}, {253, -1}};
    for (const auto& c : columns) EXPECT_EQ(g.ColumnAt(c.x), c.column) << "x " << c.x;
    EXPECT_EQ(g.CellRect(1, 2), (RECT{101, 42, 201, 62}));
    EXPECT_EQ(g.CellRect(2, 0), (RECT{202, 0, 252, 20}));
    EXPECT_EQ(g.CellRect(0, 10), (RECT{}));  // below the client area

    GridGeometry scrolled = g;
    scrolled.topRow = 42;
    EXPECT_EQ(scrolled.RowAt(21), 42);
    EXPECT_EQ(scrolled.CellRect(0, 41), (RECT{}));  // above the first row shown
    EXPECT_EQ(scrolled.TopShowing(1), 1);
    EXPECT_EQ(scrolled.TopShowing(45), 42);  // already shown
    EXPECT_EQ(g.TopShowing(50), 42);         // the row at the bottom
    EXPECT_EQ(g.TopShowing(100), 92);
    EXPECT_EQ(g.ClampTop(500), 92);
}

TEST_F(TableTest, TheWindowAsItOpens) {
    StartShown();
    RECT window = ScreenRectOf(Table().Handle());
    EXPECT_EQ(window.right - window.left, Table().Scale(571));
    EXPECT_EQ(window.bottom - window.top, Table().Scale(401));
    LONG style = GetWindowLongW(Table().Handle(), GWL_STYLE);
    EXPECT_TRUE(style & WS_MAXIMIZEBOX);
    EXPECT_TRUE(style & WS_THICKFRAME);
    EXPECT_FALSE(style & WS_MINIMIZEBOX);
    MINMAXINFO limits = {};
    SendMessageW(Table().Handle(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
    EXPECT_EQ(limits.ptMinTrackSize.x, Table().Scale(400));
    EXPECT_EQ(limits.ptMinTrackSize.y, Table().Scale(300));
    EXPECT_EQ(Table().Caption(), L"Palimp");
    EXPECT_EQ(Table().HelpContext(), 4);
    EXPECT_EQ(GetFocus(), TableControl("sgTable"));

    ExpectLayout(Table(), {{"sgTable", 8, 41, 0, 0},
                           {"labelCount", 8, 2, 96, 16},
                           {"btnAdd", 8, 22, 96, 25},
                           {"btnEdit", 8, 53, 96, 25},
                           {"btnDelete", 8, 84, 96, 25},
                           {"btnMoveUp", 8, 115, 96, 25},
                           {"btnMoveDown", 8, 146, 96, 25},
                           {"btnCount", 8, 177, 96, 25},
                           {"sbtnMore", 8, 216, 96, 25}});
    // The bottom row's buttons and the title row's stand at the right edge, 8 pixels in.
    RECT bottom, cancel = PlaceOf(TableControl("btnCancel")), ok = PlaceOf(TableControl("btnOK"));
    bottom = ClientOf(TableControl("panelOKCancel"));
    EXPECT_EQ(cancel.right, bottom.right - Table().Scale(8));
    EXPECT_EQ(ok.right, cancel.left - Table().Scale(6));
    EXPECT_EQ(cancel.top, Table().Scale(8));
    RECT title, save = PlaceOf(TableControl("sbtnSave"));
    title = ClientOf(TableControl("panelTitle"));
    EXPECT_EQ(save.right, title.right - Table().Scale(8));
    EXPECT_EQ(title.bottom, Table().Scale(41));
    const struct { const char* name; std::wstring text; } texts[] = {
        {"labelTitle", L"What to replace"}, {"labelCount", L"Item: 1 / 1"}, {"stbnOpen", L"Open"},
        {"sbtnSave", L"Save As"}, {"btnAdd", L"Add"}, {"btnEdit", L"Edit"}, {"btnDelete", L"Delete"},
        {"btnMoveUp", L"Move Up"}, {"btnMoveDown", L"Move Down"}, {"btnCount", L"Count"}, {"sbtnMore", L"More"},
        {"btnOK", L"Replace All"}, {"btnCancel", L"Cancel"},
    };
    for (const auto& t : texts) EXPECT_EQ(TextOf(TableControl(t.name)), t.text) << t.name;
    for (const char* name : {"btnAdd", "btnEdit", "btnDelete", "btnMoveUp", "btnMoveDown"}) {
        EXPECT_EQ(Table().HintOf(TableControl(name)), TextOf(TableControl(name))) << name;
    }
    // The header row and the grid font.
    EXPECT_EQ(Table().Table().Rows()[0], (TableRow{u"Search for", u"Replace with", u"Options"}));
    EXPECT_EQ(std::wstring(FontOf(TableControl("sgTable")).lfFaceName), Fonts::ResolveFace(L"Lucida Sans Unicode"));
    EXPECT_EQ(TheGrid().RowHeight(), Table().Scale(20));
    LOGFONTW titleFont = FontOf(TableControl("labelTitle"));
    EXPECT_EQ(titleFont.lfWeight, FW_BOLD);
    EXPECT_EQ(titleFont.lfHeight, -Table().Scale(16));
}

TEST_F(TableTest, TheCounterFollowsKeysAndRowCommands) {
    StartShown();
    LoadLetters(u"ABCDEFGHIJ");
    const struct {
        const char* what;
        UINT key;
        unsigned modifiers;
        std::wstring counter;
        std::u16string letters;
    } steps[] = {
        {"Down", VK_DOWN, 0, L"Item: 2 / 10", u"ABCDEFGHIJ"},
        {"Shift+Down", VK_DOWN, kShift, L"Items: 2..3/10", u"ABCDEFGHIJ"},
        {"Shift+Down", VK_DOWN, kShift, L"Items: 2..4/10", u"ABCDEFGHIJ"},
        {"Move Up", VK_UP, kCtrl | kAlt, L"Items: 1..3/10", u"BCDAEFGHIJ"},
        {"Move Up at the top", VK_UP, kCtrl | kAlt, L"Items: 1..3/10", u"BCDAEFGHIJ"},
        {"Move Down", VK_DOWN, kCtrl | kAlt, L"Items: 2..4/10", u"ABCDEFGHIJ"},
        {"Shift+Up shrinks from the anchor", VK_UP, kShift, L"Items: 2..3/10", u"ABCDEFGHIJ"},
        {"End", VK_END, 0, L"Item: 10 / 10", u"ABCDEFGHIJ"},
        {"Move Down at the bottom", VK_DOWN, kCtrl | kAlt, L"Item: 10 / 10", u"ABCDEFGHIJ"},
        {"Shift+Ctrl+Home", VK_HOME, kCtrl | kShift, L"Items: 1..10/10", u"ABCDEFGHIJ"},
        {"Del with every row selected says why", VK_DELETE, 0, L"Every row is selected: not deleted", u"ABCDEFGHIJ"},
        {"Ctrl+End", VK_END, kCtrl, L"Item: 10 / 10", u"ABCDEFGHIJ"},
        {"Up", VK_UP, 0, L"Item: 9 / 10", u"ABCDEFGHIJ"},
        {"Shift+Up", VK_UP, kShift, L"Items: 8..9/10", u"ABCDEFGHIJ"},
        {"Del keeps the current row's place", VK_DELETE, 0, L"Item: 8 / 8", u"ABCDEFGJ"},
        {"Ctrl+A", 'A', kCtrl, L"Items: 1..8/8", u"ABCDEFGJ"},
        {"Home", VK_HOME, 0, L"Item: 1 / 8", u"ABCDEFGJ"},
        {"Shift+PgDn", VK_NEXT, kShift, L"Items: 1..8/8", u"ABCDEFGJ"},
        {"PgUp", VK_PRIOR, 0, L"Item: 1 / 8", u"ABCDEFGJ"},
        {"Up at the top", VK_UP, 0, L"Item: 1 / 8", u"ABCDEFGJ"},
    };
    EXPECT_EQ(Counter(), L"Item: 1 / 10");
    for (const auto& step : steps) {
        PressKey(step.key, step.modifiers);
        EXPECT_EQ(Counter(), step.counter) << step.what;
        EXPECT_EQ(Letters(), step.letters) << step.what;
    }
    // Swap Columns from the More menu, twice: the table as it was.
    for (int i = 0; i < 2; ++i) {
        prompter_.ChooseInMenu(L"Swap Columns");
        ClickCentre(TableControl("sbtnMore"));
        Pump();
        EXPECT_EQ(Table().Table().Cell(kSearchColumn, 1), i == 0 ? u"a" : u"A");
    }
    ASSERT_EQ(prompter_.Popups().size(), 2u);
    EXPECT_EQ(prompter_.Popups()[0].items, (std::vector<std::wstring>{L"Copy All", L"Paste All", L"-", L"Swap Columns",
                                                                      L"Switch On/Off (Space)", L"-", L"Undo\tCtrl+Z"}));
    RECT more = ScreenRectOf(TableControl("sbtnMore"));
    EXPECT_EQ(prompter_.Popups()[0].at.x, more.right);  // dropped down under the button, right-aligned
    EXPECT_EQ(prompter_.Popups()[0].at.y, more.bottom);
    EXPECT_TRUE(prompter_.Popups()[0].flags & TPM_RIGHTALIGN);
}

TEST_F(TableTest, TheMouseSelectsRowsAndRangesAndDoubleClickEdits) {
    StartShown();
    LoadLetters(u"ABCDEFGHIJ");
    HWND grid = TableControl("sgTable");
    auto yOf = [&](int row) { RECT cell = TheGrid().Geometry().CellRect(0, row); return (cell.top + cell.bottom) / 2; };
    const int x = TheGrid().Geometry().CellRect(0, 0).left + 10;  // in the phrases, right of the check boxes
    ClickAt(grid, x, yOf(3));
    Pump();
    EXPECT_EQ(Counter(), L"Item: 3 / 10");
    ClickAt(grid, x, yOf(6), MK_SHIFT);
    Pump();
    EXPECT_EQ(Counter(), L"Items: 3..6/10");
    ClickAt(grid, x, yOf(0));  // the header selects nothing
    Pump();
    EXPECT_EQ(Counter(), L"Items: 3..6/10");

    // A drag upwards from row 5 to row 2: the counter shows the range once the button is up.
    SendMessageW(grid, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, yOf(5)));
    SendMessageW(grid, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x, yOf(3)));
    SendMessageW(grid, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x, yOf(2)));
    EXPECT_EQ(Table().Table().Top(), 2);
    SendMessageW(grid, WM_LBUTTONUP, 0, MAKELPARAM(x, yOf(2)));
    Pump();
    EXPECT_EQ(Counter(), L"Items: 2..5/10");
    EXPECT_EQ(Table().Table().Row(), 2);

    bool edited = false;
    InPairEditor([&] {
        edited = true;
        EXPECT_EQ(Editor().Caption(), L"Palimp - Edit");
        EXPECT_EQ(TextOf(EditorControl("comboSearch")), L"G");
    }, ModalResult::Cancel);
    SendMessageW(grid, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, yOf(7)));
    SendMessageW(grid, WM_LBUTTONUP, 0, MAKELPARAM(x, yOf(7)));
    SendMessageW(grid, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(x, yOf(7)));
    Pump();
    EXPECT_TRUE(edited);
    EXPECT_EQ(Letters(), u"ABCDEFGHIJ");  // Cancel changed nothing
}

TEST_F(TableTest, ALongTableScrollsByKeysWheelBarAndDrag) {
    StartShown();
    std::vector<TableRow> rows(100000, TableRow{u"x", u"y", u""});
    LoadRows(rows);
    Grid& grid = TheGrid();
    const int page = grid.Geometry().VisibleRows();
    PressKey(VK_END, kCtrl);
    EXPECT_EQ(Counter(), L"Item: 100000 / 100000");
    EXPECT_EQ(grid.TopRow(), 100000 - page + 1);
    // The bar counts all rows: positions beyond 16 bits.
    SCROLLINFO bar = {sizeof(bar), SIF_ALL};
    GetScrollInfo(grid.Handle(), SB_VERT, &bar);
    EXPECT_EQ(bar.nMax, 99999);
    EXPECT_EQ(bar.nPos, grid.TopRow() - 1);
    EXPECT_EQ(static_cast<int>(bar.nPage), page);

    grid.ScrollTo(50000);
    SendMessageW(grid.Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), 0);
    EXPECT_EQ(grid.TopRow(), 50003);
    SendMessageW(grid.Handle(), WM_VSCROLL, SB_PAGEUP, 0);
    EXPECT_EQ(grid.TopRow(), 50003 - page);
    SendMessageW(grid.Handle(), WM_VSCROLL, SB_LINEDOWN, 0);
    EXPECT_EQ(grid.TopRow(), 50004 - page);

    // Dragging past the top edge scrolls up and extends the range to the first row shown.
    const int top = grid.TopRow();
    RECT cell = grid.Geometry().CellRect(0, top + 3);
    const int x = cell.left + 10;  // in the phrases, right of the check boxes
    SendMessageW(grid.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, cell.top + 2));
    POINT above = {x, -40};
    ClientToScreen(grid.Handle(), &above);
    SetCursorPos(above.x, above.y);
    SendMessageW(grid.Handle(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x, -40));
    for (DWORD start = GetTickCount(); GetTickCount() - start < 400; Sleep(10)) Pump();
    SendMessageW(grid.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(x, -40));
    Pump();
    EXPECT_LT(grid.TopRow(), top);
    EXPECT_EQ(Table().Table().Top(), grid.TopRow());
    EXPECT_EQ(Table().Table().Bottom(), top + 3);
    EXPECT_EQ(Counter(), L"Items: " + std::to_wstring(grid.TopRow()) + L".." + std::to_wstring(top + 3) + L"/100000");
}

TEST_F(TableTest, TheSelectionIsHighlightedAndDimmedWithoutFocusAndCellsStayInTheirColumns) {
    StartShown();
    LoadRows({{std::u16string(300, u'W'), u"", u""}, {u"b", u"", u""}, {u"c", u"", u""}});
    PressKey(VK_DOWN, kShift);
    HWND grid = TableControl("sgTable");
    GridGeometry geometry = TheGrid().Geometry();
    auto colourIn = [&](const Rendering& r, int column, int row) {
        RECT cell = geometry.CellRect(column, row);
        return r.At(cell.right - 2, cell.bottom - 2);
    };
    {
        Rendering focused(grid);
        EXPECT_EQ(colourIn(focused, 1, 1), GetSysColor(COLOR_HIGHLIGHT));
        EXPECT_EQ(colourIn(focused, 2, 2), GetSysColor(COLOR_HIGHLIGHT));
        EXPECT_EQ(colourIn(focused, 1, 3), GetSysColor(COLOR_WINDOW));
        EXPECT_EQ(colourIn(focused, 0, 0), GetSysColor(COLOR_BTNFACE));  // the header
    }
    SetFocus(TableControl("btnCancel"));
    Pump();
    Rendering unfocused(grid);
    EXPECT_EQ(colourIn(unfocused, 1, 1), GetSysColor(COLOR_BTNFACE));
    // The long text of row 1 ends in its own column (with an ellipsis): row 1's second cell
    // holds only the selection colour.
    RECT second = geometry.CellRect(1, 1);
    for (int x = second.left; x < second.right; x += 3) {
        EXPECT_EQ(unfocused.At(x, (second.top + second.bottom) / 2), GetSysColor(COLOR_BTNFACE)) << "x " << x;
    }
}

TEST_F(TableTest, FontCommandsStopAtTheirLimitsAndSetTheRowHeight) {
    StartShown();
    HWND grid = TableControl("sgTable");
    auto points = [&] { return MulDiv(-FontOf(grid).lfHeight, 72, Table().Dpi()); };
    for (int i = 0; i < 25; ++i) PressKey(VK_OEM_PLUS, kCtrl);
    EXPECT_EQ(Table().GridFontSize(), 30);
    EXPECT_EQ(points(), 30);
    EXPECT_EQ(TheGrid().RowHeight(), Table().Scale(60));
    EXPECT_EQ(FontOf(EditorControl("comboSearch")).lfHeight, FontOf(grid).lfHeight);
    for (int i = 0; i < 30; ++i) PressKey(VK_OEM_MINUS, kCtrl);
    EXPECT_EQ(Table().GridFontSize(), 6);
    EXPECT_EQ(TheGrid().RowHeight(), Table().Scale(16));
    // The second keys: Ctrl+NumPad- and Ctrl+NumPad+, Ctrl+Shift+= (Ctrl++ on most keyboards).
    const struct {
        UINT key;
        unsigned modifiers;
        int size;
    } secondKeys[] = {{VK_ADD, kCtrl, 7}, {VK_SUBTRACT, kCtrl, 6}, {VK_OEM_PLUS, kCtrl | kShift, 7}};
    for (auto [key, modifiers, size] : secondKeys) {
        PressKey(key, modifiers);
        EXPECT_EQ(Table().GridFontSize(), size) << key;
    }
    EXPECT_EQ(TheGrid().RowHeight(), Table().Scale(16));  // 7 points: still the least height
    EXPECT_EQ(FontOf(EditorControl("comboReplace")).lfHeight, FontOf(grid).lfHeight);

    // The main window's font dialog gives the grid its face at the grid's size, and the pair
    // editor's boxes the grid font.
    SetFocus(Memo());
    prompter_.ChooseInFontDialog(L"Courier New", 20);
    Choose("actionFont");
    EXPECT_EQ(std::wstring(FontOf(grid).lfFaceName), Fonts::ResolveFace(L"Courier New"));
    EXPECT_EQ(points(), 7);
    EXPECT_EQ(std::wstring(FontOf(EditorControl("comboSearch")).lfFaceName), Fonts::ResolveFace(L"Courier New"));
}

TEST_F(TableTest, ResizingKeepsTheOptionsColumnAndSharesTheRest) {
    StartShown();
    for (SIZE size : {SIZE{700, 500}, SIZE{571, 401}, SIZE{901, 420}, SIZE{300, 200}}) {
        SetWindowPos(Table().Handle(), nullptr, 0, 0, Table().Scale(size.cx), Table().Scale(size.cy),
                     SWP_NOMOVE | SWP_NOZORDER);
        Pump();
        RECT grid = ScreenRectOf(TableControl("sgTable"));
        SCOPED_TRACE(size.cx);
        EXPECT_EQ(TheGrid().ColumnWidth(2), Table().Scale(84));
        const int fixed = Table().Scale(84) + TheGrid().SwitchWidth() + TheGrid().HitsWidth();
        EXPECT_EQ(TheGrid().ColumnWidth(0), (grid.right - grid.left - fixed - Table().Scale(32)) / 2);
        EXPECT_EQ(TheGrid().ColumnWidth(1), TheGrid().ColumnWidth(0));
    }
    RECT window = ScreenRectOf(Table().Handle());
    EXPECT_GE(window.right - window.left, Table().Scale(400));  // never below the least size
}

TEST_F(TableTest, ReplaceAllNeedsASearchPhraseAndTheTableOutlivesEveryShowing) {
    Start();
    HWND ok = TableControl("btnOK");
    ModalResult first = RunModal(Table(), {
        [&] { Press(ok); },
        [&] { EXPECT_TRUE(Table().IsModal()) << "closed without a search phrase"; },
        [&] {
            LoadLetters(u"ABCD");
            SetFocus(TableControl("sgTable"));  // the button took it
            PressKey(VK_DOWN, kShift);
            for (int i = 0; i < 3; ++i) PressKey(VK_OEM_PLUS, kCtrl);
            PressKey(VK_ESCAPE);
        },
    });
    EXPECT_EQ(first, ModalResult::Cancel);
    ModalResult second = RunModal(Table(), {
        [&] {
            EXPECT_EQ(Counter(), L"Items: 1..2/4");
            EXPECT_EQ(Letters(), u"ABCD");
            EXPECT_EQ(TextOf(TableControl("labelTitle")), L"rows");
            EXPECT_EQ(Table().GridFontSize(), 13);
            EXPECT_EQ(GetFocus(), TableControl("sgTable"));
            PressKey(VK_RETURN);  // Enter: the default button
        },
    });
    EXPECT_EQ(second, ModalResult::OK);
    EXPECT_FALSE(Table().IsVisible());
}

TEST_F(TableTest, SpacesInCellsShowAsMarksAndTheCellsKeepThem) {
    StartShown();
    LoadRows({{u"", u"", u""}, {u"   ", u"a", u"a "}, {u"b c", u"bc", u""}});
    SetFocus(TableControl("btnCancel"));  // row 1 is selected: the others show on the window colour
    Pump();
    GridGeometry geometry = TheGrid().Geometry();
    Rendering r(TableControl("sgTable"));
    // The pixels of a cell, as a string of "is it the window colour" marks.
    auto look = [&](int column, int row) {
        RECT cell = geometry.CellRect(column, row);
        std::string pixels;
        for (int y = cell.top; y < cell.bottom; ++y) {
            for (int x = cell.left; x < cell.right; ++x) pixels += r.At(x, y) == GetSysColor(COLOR_WINDOW) ? '.' : '#';
        }
        return pixels;
    };
    const std::string blank = look(2, 3);
    EXPECT_EQ(blank.find('#'), std::string::npos) << "an empty cell shows nothing";
    EXPECT_NE(look(0, 2), blank) << "a cell of three spaces looks empty";
    EXPECT_NE(look(2, 2), look(1, 2)) << "a trailing blank does not show";
    EXPECT_NE(look(0, 3), look(1, 3)) << "a space between words does not show";
    EXPECT_EQ(Table().Table().Cell(kSearchColumn, 2), u"   ");
    EXPECT_EQ(Table().Table().Cell(kOptionsColumn, 2), u"a ");
}

TEST_F(TableTest, F1OpensTheHelpPagesOfTheTableWindowAndThePairEditor) {
    StartShown();
    CreateDirectoryW(temp_.Path(L"help").c_str(), nullptr);
    for (const wchar_t* page : {L"index.html", L"0004.html", L"0005.html"}) {
        WriteBytes(temp_.Path(L"help\\") + page, "<html></html>");
    }
    LocalInfo.ProgramFolder = ToU16(temp_.Root());
    PressKey(VK_F1);
    InPairEditor([&] { PressKey(VK_F1); }, ModalResult::Cancel);
    Choose(Table(), "actionAdd");
    EXPECT_EQ(prompter_.ShellOpens(), (std::vector<std::wstring>{temp_.Path(L"help\\0004.html"),
                                                                 temp_.Path(L"help\\0005.html")}));
}

// Regressions: the counter's label was 96 pixels wide and wrapped, so long counters showed only
// "Items:" or "Item:".
using TableRegressions = TableTest;

TEST_F(TableRegressions, TheCounterWrappedAndShowedOnlyItsFirstWord) {
    StartShown();
    const struct {
        int items;
        std::vector<std::pair<UINT, unsigned>> keys;
        std::wstring counter;
    } cases[] = {
        {12, {{VK_HOME, 0}, {VK_DOWN, 0}, {VK_DOWN, 0}, {VK_DOWN, 0}, {VK_DOWN, 0}, {VK_DOWN, 0}, {VK_DOWN, 0},
              {VK_DOWN, 0}, {VK_DOWN, kShift}, {VK_DOWN, kShift}},
         L"Items: 8..10/12"},
        {100000, {{'A', kCtrl}}, L"Items: 1..100000/100000"},
        {100000, {{VK_END, 0}}, L"Item: 100000 / 100000"},
    };
    for (const auto& c : cases) {
        if (Table().Table().ItemCount() != c.items) LoadRows(std::vector<TableRow>(c.items, TableRow{u"a", u"b", u""}));
        for (auto [key, modifiers] : c.keys) PressKey(key, modifiers);
        HWND counter = TableControl("labelCount");
        EXPECT_EQ(Counter(), c.counter);
        EXPECT_TRUE(ShowsWholeText(counter));
        // The grid gives up the room: it ends left of the tools column.
        EXPECT_LE(PlaceOf(TableControl("sgTable")).right, PlaceOf(TableControl("panelTools")).left) << c.items << " items";
    }
}

}  // namespace
}  // namespace palimp
