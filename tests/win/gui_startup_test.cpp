// Start-up and shutdown of the program: the command line, the first look of the main window,
// its menu and toolbar, the other windows, a 150 % screen, and closing.
#include "gui_support.h"

#include "win/ui/fonts.h"

#include <commctrl.h>

#include "win/dialog_exception.h"
#include "win/dlg_progress.h"
#include "win/dlg_about.h"
#include "win/form_from_to.h"
#include "win/form_notepad.h"
#include "win/form_table.h"

namespace palimp {
namespace {

class StartupTest : public GuiTest {
protected:
    // The main window at 150 %: its top panel, the toolbar's buttons and the editor's 10 points.
    void ExpectMainWindowAt144Dpi() {
        EXPECT_EQ(Main().Dpi(), 144);
        RECT panel = ScreenRectOf(Named(Main(), "panelTop"));
        EXPECT_EQ(panel.bottom - panel.top, 60);
        RECT button = {};
        SendMessageW(Named(Main(), "toolBar"), TB_GETRECT, ActionNamed("actionOpen").Id(), reinterpret_cast<LPARAM>(&button));
        EXPECT_EQ(button.bottom - button.top, 54);
        EXPECT_GE(button.right - button.left, 108);
        EXPECT_NEAR(Main().Editor().LineHeight(), LineHeightOf(Fonts::Points(L"Lucida Console", 10, 144)), 1);
    }
};

TEST_F(StartupTest, WithoutArgumentsShowsAnEmptyUntitledDocument) {
    Start();
    EXPECT_EQ(Caption(), L"Untitled - Palimp 1.2 Free");
    EXPECT_EQ(App().Title(), L"Untitled - Palimp 1.2 Free");
    EXPECT_EQ(Text(), L"");
    EXPECT_TRUE(Main().IsVisible());
    for (const char* name : {"actionSave", "actionReplaceMany", "actionFind", "actionFindNext", "actionFindBack"}) {
        EXPECT_FALSE(ActionNamed(name).Enabled()) << name;
        EXPECT_FALSE(MenuEnabled(name)) << name;
    }
    for (const char* name : {"actionNew", "actionOpen", "actionSaveAs", "actionShowHideFindPanel", "actionEditDelete"}) {
        EXPECT_TRUE(MenuEnabled(name)) << name;
    }
    RECT client = ClientOf(MainHandle());
    EXPECT_EQ(client, (RECT{0, 0, 617, 396}));
    MINMAXINFO limits = {};
    SendMessageW(MainHandle(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
    EXPECT_EQ(limits.ptMinTrackSize.x, 350);
    EXPECT_EQ(limits.ptMinTrackSize.y, 150);
}

TEST_F(StartupTest, TheFirstArgumentOpensAnExistingFileOnly) {
    CreateDirectoryW(temp_.Path(L"with blanks").c_str(), nullptr);
    WriteBytes(temp_.Path(L"plain.txt"), "plain text");
    WriteBytes(temp_.Path(L"with blanks\\my notes.txt"), "noted");
    struct Row {
        std::wstring arguments;
        std::wstring caption;
        std::wstring text;
    };
    const Row rows[] = {
        {temp_.Path(L"plain.txt") + L" ignored.txt", L"plain.txt - Palimp 1.2 Free", L"plain text"},
        {L"\"" + temp_.Path(L"with blanks\\my notes.txt") + L"\"", L"my notes.txt - Palimp 1.2 Free", L"noted"},
        {L"\"" + temp_.Path(L"with blanks") + L"\"", L"Untitled - Palimp 1.2 Free", L""},
        {temp_.Path(L"missing.txt"), L"Untitled - Palimp 1.2 Free", L""},
    };
    for (const Row& row : rows) {
        Start(row.arguments);  // any message box would fail the test
        EXPECT_EQ(Caption(), row.caption);
        EXPECT_EQ(Text(), row.text);
        EXPECT_FALSE(Modified());
        EXPECT_EQ(ActionNamed("actionReplaceMany").Enabled(), !row.text.empty());
        Stop();
    }
}

// The menu bar as lines "File > New\tCtrl+N", separators as "-", submenus nested with " > ".
void Outline(HMENU menu, const std::wstring& path, std::vector<std::wstring>& lines) {
    for (const MenuRow& entry : MenuRows(menu)) {
        lines.push_back(path + entry.caption);
        if (entry.submenu) Outline(entry.submenu, lines.back() + L" > ", lines);
    }
}

TEST_F(StartupTest, TheMenuBarListsEveryCommandWithItsShortcut) {
    Start();
    std::vector<std::wstring> lines;
    Outline(GetMenu(MainHandle()), L"", lines);
    const std::vector<std::wstring> expected = {
        L"File", L"File > New\tCtrl+N", L"File > Open...\tCtrl+O", L"File > Save\tCtrl+S", L"File > Save As...",
        L"File > -", L"File > E&xit",
        L"&Edit", L"&Edit > &Undo\tCtrl+Z", L"&Edit > &Redo\tCtrl+Y", L"&Edit > -", L"&Edit > Cu&t\tCtrl+X", L"&Edit > &Copy\tCtrl+C",
        L"&Edit > &Paste\tCtrl+V", L"&Edit > &Delete\tDel", L"&Edit > -", L"&Edit > Find\tCtrl+F",
        L"&Edit > Find Next\tF3", L"&Edit > Find Back\tShift+F3", L"&Edit > Replace Many...\tF6", L"&Edit > -",
        L"&Edit > Search for", L"&Edit > Search for > Non-ASCII Character",
        L"&Edit > Search for > Non-Alphabetic (&& non white) Character",
        L"&Edit > Search for > Non-Numeric (&& non white) Character",
        L"&Edit > Search for > Non-Alphanumeric (&& non white) Character", L"&Edit > Search for > Punctuation",
        L"&Edit > Search for > White Character", L"&Edit > Search for > -",
        L"&Edit > Search for > Repeat above search\tF4", L"&Edit > -", L"&Edit > Select &All\tCtrl+A",
        L"F&ormat", L"F&ormat > &Word Wrap", L"F&ormat > -", L"F&ormat > Font Size",
        L"F&ormat > Font Size > &Smaller\tCtrl+-", L"F&ormat > Font Size > &Larger\tCtrl+=",
        L"F&ormat > Font Size > -", L"F&ormat > Font Size > 6", L"F&ormat > Font Size > 8",
        L"F&ormat > Font Size > 10", L"F&ormat > Font Size > 14", L"F&ormat > Font Size > 20",
        L"F&ormat > Font Size > 30", L"F&ormat > Font...",
        L"&View", L"&View > Maximize\tF11", L"&View > -", L"&View > Show Find Panel", L"&View > Status Bar",
        L"&Help", L"&Help > Help\tF1", L"&Help > -", L"&Help > Online Help", L"&Help > Palimp Web Page",
        L"&Help > -", L"&Help > &About...",
    };
    EXPECT_EQ(lines, expected);
}

TEST_F(StartupTest, MarksAndDefaultItemAtStart) {
    Start();
    auto info = [&](const char* name) {
        MenuItem& item = ItemNamed(name);
        MENUITEMINFOW mii = {sizeof(mii)};
        mii.fMask = MIIM_FTYPE | MIIM_STATE;
        GetMenuItemInfoW(item.ParentMenu(), static_cast<UINT>(item.Id()), FALSE, &mii);
        return mii;
    };
    for (const char* name : {"miFontSize6", "miFontSize8", "miFontSize10", "miFontSize14", "miFontSize20", "miFontSize30"}) {
        MENUITEMINFOW mii = info(name);
        EXPECT_TRUE(mii.fType & MFT_RADIOCHECK) << name;
        bool ten = std::string(name) == "miFontSize10";
        EXPECT_EQ((mii.fState & MFS_CHECKED) != 0, ten) << name;
        EXPECT_EQ((mii.fState & MFS_DEFAULT) != 0, ten) << name;
    }
    EXPECT_TRUE(info("miNonASCIICharacter1").fState & MFS_CHECKED);
    EXPECT_FALSE(info("miPunctuation1").fState & MFS_CHECKED);
    EXPECT_EQ(ItemNamed("miSearchFor").Tag(), 1);
    EXPECT_TRUE(MenuChecked("actionWordWrap"));
    EXPECT_FALSE(MenuChecked("actionShowHideFindPanel"));
    EXPECT_TRUE(MenuChecked("actionStatusBar"));
    EXPECT_EQ(ActionNamed("actionXXX").Caption(), L"actionXXX");
    EXPECT_EQ(Main().Actions().MenuState(ActionNamed("actionXXX").Id()), -1);  // in no menu
}

TEST_F(StartupTest, ToolbarAndLogo) {
    Start();
    HWND toolbar = Named(Main(), "toolBar");
    struct Row {
        const char* action;
        const wchar_t* caption;
        int minWidth;
    };
    const Row rows[] = {{"actionOpen", L"Open", 72}, {"actionSaveAs", L"Save As", 72}, {"actionReplaceMany", L"Replace Many", 96}};
    for (const Row& row : rows) {
        int id = ActionNamed(row.action).Id();
        wchar_t caption[32] = {};
        SendMessageW(toolbar, TB_GETBUTTONTEXTW, id, reinterpret_cast<LPARAM>(caption));
        EXPECT_STREQ(caption, row.caption);
        RECT r = {};
        SendMessageW(toolbar, TB_GETRECT, id, reinterpret_cast<LPARAM>(&r));
        EXPECT_GE(r.right - r.left, row.minWidth) << row.action;
        EXPECT_EQ(r.bottom - r.top, 36) << row.action;
    }
    EXPECT_FALSE(SendMessageW(toolbar, TB_ISBUTTONENABLED, ActionNamed("actionReplaceMany").Id(), 0));
    // The pictures of Open and Save As, 16 pixels square at 96 DPI.
    HIMAGELIST images = reinterpret_cast<HIMAGELIST>(SendMessageW(toolbar, TB_GETIMAGELIST, 0, 0));
    ASSERT_NE(images, nullptr) << "the toolbar has no pictures";
    EXPECT_EQ(ImageList_GetImageCount(images), 2);
    int cx = 0, cy = 0;
    EXPECT_TRUE(ImageList_GetIconSize(images, &cx, &cy));
    EXPECT_EQ(cx, 16);
    EXPECT_EQ(cy, 16);

    HWND logo = Named(Main(), "imageLogo");
    EXPECT_EQ(Main().HintOf(Named(Main(), "imageLogo")), L"About Palimp");
    RECT logoRect = ClientOf(logo);
    EXPECT_EQ(logoRect, (RECT{0, 0, 49, 36}));
    // A click on the logo opens the about box modally.
    bool shown = false;
    prompter_.WhenShownModally(App().dlgAbout(), [&] { shown = true; }, ModalResult::OK);
    SendMessageW(GetParent(logo), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(logo), STN_CLICKED), reinterpret_cast<LPARAM>(logo));
    EXPECT_TRUE(shown);
}

TEST_F(StartupTest, TheOtherWindowsExistHiddenOwnedByTheMainWindow) {
    Start();
    struct Row {
        Window* window;
        const wchar_t* caption;
    };
    const Row rows[] = {{&App().FormTable(), L"Palimp"}, {&App().dlgProgress(), L"Palimp"},
                        {&App().FormFromTo(), L"Palimp"}, {&App().DialogException(), L"Palimp"},
                        {&App().FormNotepad(), L"Palimp - Error Report"}};
    for (const Row& row : rows) {
        ASSERT_NE(row.window->Handle(), nullptr);
        EXPECT_EQ(row.window->Caption(), row.caption);
        EXPECT_FALSE(row.window->IsVisible());
        EXPECT_EQ(GetWindow(row.window->Handle(), GW_OWNER), MainHandle());
    }
    EXPECT_NE(App().dlgAbout().Handle(), nullptr);
}

TEST_F(StartupTest, AForcedDpiOf144ScalesTheLayoutByHalf) {
    SetEnvironmentVariableW(L"PALIMP_FORCE_DPI", L"144");
    Start();
    SetEnvironmentVariableW(L"PALIMP_FORCE_DPI", nullptr);
    ExpectMainWindowAt144Dpi();
    RECT client = ClientOf(MainHandle());
    EXPECT_EQ(client, (RECT{0, 0, 926, 594}));
    // The error report is laid out in fixed pixels whatever the screen.
    client = ClientOf(App().DialogException().Handle());
    EXPECT_EQ(client, (RECT{0, 0, 442, 394}));
}

TEST_F(StartupTest, MovingToA150PercentScreenTakesTheSuggestedPlaceAndRescales) {
    Start();
    RECT suggested = {10, 20, 950, 720};
    SendMessageW(MainHandle(), WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
    Pump();
    ExpectMainWindowAt144Dpi();
    RECT window = ScreenRectOf(MainHandle());
    EXPECT_EQ(window, suggested);
}

TEST_F(StartupTest, ClosingAsksAboutUnsavedChanges) {
    Start();
    Type(L"draft");
    prompter_.AnswerMessage(L"Save changes?", IDCANCEL);
    Main().Close();
    Pump();
    ASSERT_TRUE(IsWindow(MainHandle()));
    EXPECT_FALSE(App().Terminated());
    EXPECT_EQ(Text(), L"draft");
    EXPECT_EQ(prompter_.Messages().back().flags, static_cast<UINT>(MB_YESNOCANCEL | MB_ICONWARNING));

    prompter_.AnswerMessage(L"Save changes?", IDNO);
    Choose("miExit");
    EXPECT_TRUE(App().Terminated());
    EXPECT_EQ(Main().Handle(), nullptr);
}

TEST_F(StartupTest, ClosingAnUnchangedDocumentAsksNothing) {
    Start();
    Main().Close();
    EXPECT_TRUE(App().Terminated());
}

// A "Personal" value of the wrong type fails the system probe. The failure is shown, and the
// rest of start-up still runs: the file named on the command line opens.
TEST_F(StartupTest, ABadDocumentsFolderValueIsReportedAndStartUpGoesOn) {
    const wchar_t* key = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
    HKEY folders = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &folders, nullptr),
              ERROR_SUCCESS);
    std::vector<BYTE> saved(4096);
    DWORD savedType = 0;
    DWORD savedSize = static_cast<DWORD>(saved.size());
    bool hadValue = RegQueryValueExW(folders, L"Personal", nullptr, &savedType, saved.data(), &savedSize) == ERROR_SUCCESS;
    DWORD number = 7;
    RegSetValueExW(folders, L"Personal", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof(number));

    WriteBytes(temp_.Path(L"notes.txt"), "still opens");
    prompter_.AnswerMessage(L"Invalid data type for 'Personal'", IDOK);
    Start(temp_.Path(L"notes.txt"));

    if (hadValue) {
        RegSetValueExW(folders, L"Personal", 0, savedType, saved.data(), savedSize);
    } else {
        RegDeleteValueW(folders, L"Personal");
    }
    RegCloseKey(folders);

    EXPECT_EQ(Caption(), L"notes.txt - Palimp 1.2 Free");
    EXPECT_EQ(Text(), L"still opens");
    EXPECT_TRUE(ActionNamed("actionReplaceMany").Enabled());
}

}  // namespace
}  // namespace palimp
