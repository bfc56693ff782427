// The table editor's files and clipboard: Open and Save As with the replace question, files
// that cannot be read or written, the table folder's menu, Copy All and Paste All through the
// real clipboard, and the wait after them.
#include <windows.h>

#include <filesystem>
#include <thread>

#include "core/errors.h"
#include "core/local_info.h"
#include "core/table_file.h"
#include "gui_table_support.h"
#include "win/ui/wait.h"

namespace palimp {
namespace {

class TableFilesTest : public TableTest {
protected:
    void Click(const char* name) {
        ClickCentre(TableControl(name));
        Pump();
    }
    std::wstring Title() { return TextOf(TableControl("labelTitle")); }
    const std::wstring kReplaceQuestion = L"File exists.\r\nDo you want to replace it?";
};
using TableFileRegressions = TableFilesTest;

TEST_F(TableFilesTest, OpenAndSaveAsAskBeforeReplacingAFile) {
    StartShown();
    const std::wstring list = temp_.Path(L"list.old.palimp");
    const TableFileContent content{u"first line\r\nsecond line", {{u"a", u"b", u"C"}, {}}};
    WriteBytes(list, WriteTableFile(content));
    prompter_.ChooseInOpen(list);
    Click("stbnOpen");
    const FileDialogRequest& open = prompter_.OpenRequests().at(0);
    EXPECT_EQ(open.title, L"Open");
    EXPECT_EQ(open.filter, L"Palimp Table (*.palimp)|*.palimp|All Files (*.*)|*.*");
    EXPECT_EQ(open.defaultExt, L"palimp");
    EXPECT_EQ(open.initialFolder, Table().TableFolder());
    EXPECT_EQ(open.fileName, L"");
    EXPECT_TRUE(open.flags & OFN_FILEMUSTEXIST);
    EXPECT_EQ(Rows(), content.rows);
    EXPECT_EQ(Title(), L"list.old");
    EXPECT_EQ(Counter(), L"Item: 1 / 2");

    // Save As proposes the open file and writes the table with its preamble.
    const std::wstring copy = temp_.Path(L"copy.palimp");
    prompter_.ChooseInSave(copy);
    Click("sbtnSave");
    const FileDialogRequest& save = prompter_.SaveRequests().at(0);
    EXPECT_EQ(save.title, L"Save As");
    EXPECT_EQ(save.fileName, list);
    EXPECT_FALSE(save.flags & OFN_OVERWRITEPROMPT);  // the table window asks itself
    EXPECT_EQ(ReadBytes(copy), WriteTableFile(content));
    EXPECT_EQ(Title(), L"copy");

    // Onto an existing file: No leaves it alone, Yes replaces it.
    LoadLetters(u"XY");
    for (int answer : {IDNO, IDYES}) {
        prompter_.ChooseInSave(list);
        prompter_.AnswerMessage(kReplaceQuestion, answer);
        Click("sbtnSave");
        EXPECT_EQ(prompter_.Messages().back().caption, L"Palimp");
        EXPECT_EQ(prompter_.Messages().back().flags, static_cast<UINT>(MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2));
        EXPECT_EQ(ReadTableFile(ReadBytes(list)).rows, answer == IDYES ? Rows() : content.rows);
        EXPECT_EQ(Title(), answer == IDYES ? L"list.old" : L"rows");
    }
    prompter_.CancelOpen();
    Click("stbnOpen");
    EXPECT_EQ(Letters(), u"XY");
    Table().SaveTable(L"");
    EXPECT_EQ(prompter_.Beeps(), 1);
    Table().LoadTable(temp_.Path(L"gone.palimp"));  // no file: nothing happens, nothing is said
    EXPECT_EQ(Letters(), u"XY");
}

// A locked table file and a clipboard held by another program ended the program through the
// error report; now they are messages and nothing changes.
TEST_F(TableFileRegressions, ALockedFileEndedTheProgramNowAMessageLeavesTableAndFile) {
    StartShown();
    LoadLetters(u"AB");
    const std::wstring locked = temp_.Path(L"locked.palimp");
    const std::string bytes = WriteTableFile({u"", {{u"x", u"y", u""}}});
    WriteBytes(locked, bytes);
    HANDLE lock = CreateFileW(locked.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    prompter_.ChooseInOpen(locked);
    prompter_.AnswerMessage(L"Cannot open file " + locked, IDOK);
    Click("stbnOpen");
    EXPECT_EQ(prompter_.Messages().back().caption, L"Error");
    EXPECT_EQ(prompter_.Messages().back().flags, static_cast<UINT>(MB_OK | MB_ICONERROR));
    EXPECT_EQ(Letters(), u"AB");
    EXPECT_EQ(Title(), L"rows");

    prompter_.ChooseInSave(locked);
    prompter_.AnswerMessage(kReplaceQuestion, IDYES);
    prompter_.AnswerMessage(L"Cannot create file " + locked, IDOK);
    Click("sbtnSave");
    EXPECT_EQ(Title(), L"rows");
    EXPECT_EQ(Table().FileName(), temp_.Path(L"rows.palimp"));
    CloseHandle(lock);
    EXPECT_EQ(ReadBytes(locked), bytes);
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(temp_.Root())) files += entry.is_regular_file();
    EXPECT_EQ(files, 2) << "a temporary file was left behind";
}

TEST_F(TableFilesTest, TheFolderMenuListsTheTableFilesAndNewEmptiesTheTable) {
    Start();
    // Beside the program: the starter tables.
    EXPECT_EQ(Table().TableFolder(), ToWide(LocalInfo.ProgramFolder) + L"replace\\");
    prompter_.CloseMenu();
    Click("sbtnOpenLast");
    std::vector<std::wstring> starters = prompter_.Popups().back().items;
    EXPECT_EQ(starters.front(), L"(new)");
    EXPECT_NE(std::find(starters.begin(), starters.end(), L"Typographic quotes"), starters.end());

    const std::wstring folder = temp_.Path(L"tables\\");
    std::filesystem::create_directories(folder + L"folder.palimp");
    for (const wchar_t* name : {L"b.palimp", L"a.palimp", L"notes.txt", L"Tom & Jerry.v2.palimp"}) {
        WriteBytes(folder + name, WriteTableFile({u"", {{u"from", std::u16string(AsU16(name)), u""}}}));
    }
    std::vector<std::wstring> expected = {L"(new)"};  // in the order the file system lists them
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.is_regular_file() && entry.path().extension() == L".palimp") {
            std::wstring caption = entry.path().stem().wstring();
            if (caption == L"Tom & Jerry.v2") caption = L"Tom && Jerry.v2";
            expected.push_back(caption);
        }
    }
    ASSERT_EQ(expected.size(), 4u);
    Table().SetTableFolder(folder);
    prompter_.ChooseInMenu(L"Tom && Jerry.v2");
    Click("sbtnOpenLast");
    EXPECT_EQ(prompter_.Popups().back().items, expected);
    RECT arrow = ScreenRectOf(TableControl("sbtnOpenLast"));
    EXPECT_EQ(prompter_.Popups().back().at.x, arrow.right);
    EXPECT_EQ(prompter_.Popups().back().at.y, arrow.bottom);
    EXPECT_EQ(Rows(), (std::vector<TableRow>{{u"from", u"Tom & Jerry.v2.palimp", u""}}));
    EXPECT_EQ(Title(), L"Tom & Jerry.v2");

    prompter_.ChooseInMenu(L"(new)");
    Click("sbtnOpenLast");
    EXPECT_EQ(Rows(), std::vector<TableRow>(1));
    EXPECT_EQ(Title(), L"What to replace");
    EXPECT_EQ(Counter(), L"Item: 1 / 1");
    prompter_.CancelSave();
    Click("sbtnSave");
    EXPECT_EQ(prompter_.SaveRequests().back().fileName, L"");
    EXPECT_EQ(prompter_.SaveRequests().back().initialFolder, folder);

    // No folder: "(new)" alone, and the dialogs start where the system puts them.
    Table().SetTableFolder(temp_.Path(L"missing\\"));
    prompter_.CloseMenu();
    Click("sbtnOpenLast");
    EXPECT_EQ(prompter_.Popups().back().items, std::vector<std::wstring>{L"(new)"});
    prompter_.CancelOpen();
    Click("stbnOpen");
    EXPECT_EQ(prompter_.OpenRequests().back().initialFolder, L"");
}

TEST_F(TableFilesTest, TheTitleButtonsAndTheMoreMenuHaveKeys) {
    // The flat buttons take no focus: their keys are the keyboard's way to them.
    StartShown();
    const struct {
        const char* what;
        UINT key;
        unsigned modifiers;
        std::function<void()> answer;
        std::function<size_t()> shown;
    } cases[] = {
        {"Ctrl+O opens", 'O', kCtrl, [&] { prompter_.CancelOpen(); }, [&] { return prompter_.OpenRequests().size(); }},
        {"Ctrl+S saves as", 'S', kCtrl, [&] { prompter_.CancelSave(); }, [&] { return prompter_.SaveRequests().size(); }},
        {"Ctrl+Shift+O lists the folder", 'O', kCtrl | kShift, [&] { prompter_.CloseMenu(); },
         [&] { return prompter_.Popups().size(); }},
        {"Shift+F10 drops More down", VK_F10, kShift, [&] { prompter_.CloseMenu(); },
         [&] { return prompter_.Popups().size(); }},
        {"the menu key too", VK_APPS, kNoModifier, [&] { prompter_.CloseMenu(); },
         [&] { return prompter_.Popups().size(); }},
    };
    for (const auto& c : cases) {
        const size_t before = c.shown();
        c.answer();
        PressKey(c.key, c.modifiers);
        EXPECT_EQ(c.shown(), before + 1) << c.what;
    }
    EXPECT_EQ(prompter_.Popups()[0].items.front(), L"(new)");
    EXPECT_EQ(prompter_.Popups()[1].items.front(), L"Copy All");
    EXPECT_EQ(Table().HintOf(TableControl("stbnOpen")), L"Open a table (Ctrl+O)");
}

TEST_F(TableFilesTest, CopyAllAndPasteAllGoThroughTheRealClipboard) {
    StartShown();
    const std::vector<TableRow> rows = {{u"\u03A9", u"\u6F22\u5B57", u"C"}, {u"\U0001F600", u"", u""}, {u"caf\u00E9", u"x", u"W"}};
    WriteBytes(temp_.Path(L"kept.palimp"), WriteTableFile({u"kept preamble", rows}));
    Table().LoadTable(temp_.Path(L"kept.palimp"));
    Choose(Table(), "actionCopyAll");
    EXPECT_EQ(ClipboardUnicode(), ToWide(CopyAllText(rows)));
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_TEXT));

    Choose(Table(), "actionSwapColumns");
    PressKey(VK_END);
    ASSERT_NE(Rows(), rows);
    prompter_.AnswerMessage(L"Save changes to kept?", IDNO);
    Choose(Table(), "actionPasteAll");
    EXPECT_EQ(Rows(), rows);
    EXPECT_EQ(Counter(), L"Item: 1 / 3");

    // Only 8-bit text: read in the ANSI code page. Spreadsheet lines: two columns, no options.
    PutClipboardAnsi("caf\xE9\tcafe\r\nplain line\r\n");
    prompter_.AnswerMessage(L"Save changes to the pasted table?", IDNO);
    Choose(Table(), "actionPasteAll");
    EXPECT_EQ(Rows(), (std::vector<TableRow>{{u"caf\u00E9", u"cafe", u""}, {u"plain line", u"", u""}}));
    // No text at all: the table stays.
    PutClipboardAnsi("");
    Choose(Table(), "actionPasteAll");
    EXPECT_EQ(Table().Table().ItemCount(), 2);
}

TEST_F(TableFileRegressions, APastedTableKeptTheFilesNameAndSaveAsProposedThatFile) {
    StartShown();
    WriteBytes(temp_.Path(L"kept.palimp"), WriteTableFile({u"kept preamble", {{u"a", u"b", u""}}}));
    Table().LoadTable(temp_.Path(L"kept.palimp"));
    PutClipboardUnicode(L"c\td\t\r\n");
    Choose(Table(), "actionPasteAll");
    EXPECT_EQ(Rows(), (std::vector<TableRow>{{u"c", u"d", u""}}));
    EXPECT_EQ(Title(), L"Pasted table *");
    EXPECT_EQ(Table().FileName(), L"");
    EXPECT_EQ(Table().Table().Preamble(), u"kept preamble");  // the preamble stays
}

TEST_F(TableFileRegressions, AClipboardHeldByAnotherProgramEndedTheProgramNowAMessage) {
    StartShown();
    LoadLetters(u"AB");
    PressKey(VK_DOWN);
    HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE holding = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::thread holder([&] {
        OpenClipboard(nullptr);
        SetEvent(holding);
        WaitForSingleObject(release, 10000);
        CloseClipboard();
    });
    WaitForSingleObject(holding, 10000);
    for (const char* command : {"actionPasteAll", "actionCopyAll"}) {
        prompter_.AnswerMessage(L"Cannot open clipboard", IDOK);
        Choose(Table(), command);
        EXPECT_EQ(prompter_.Messages().back().caption, L"Error") << command;
        EXPECT_EQ(Letters(), u"AB") << command;
        EXPECT_EQ(Counter(), L"Item: 2 / 2") << command;
    }
    SetEvent(release);
    holder.join();
    CloseHandle(release);
    CloseHandle(holding);
}

TEST_F(TableFilesTest, TheWaitKeepsTheProgramAliveUnderTheHourglassWithoutSpinning) {
    Start();
    const HCURSOR before = GetCursor();
    bool hourglass = false;
    TimedSteps during({[&] { hourglass = GetCursor() == LoadCursorW(nullptr, IDC_WAIT); }}, 20);
    FILETIME created, ended, kernel0, user0, kernel1, user1;
    GetThreadTimes(GetCurrentThread(), &created, &ended, &kernel0, &user0);
    const DWORD start = GetTickCount();
    Choose(Table(), "actionCopyAll");
    const DWORD elapsed = GetTickCount() - start;
    GetThreadTimes(GetCurrentThread(), &created, &ended, &kernel1, &user1);
    auto ms = [](const FILETIME& t) { return ((static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 10000; };
    EXPECT_GE(elapsed, 200u);
    EXPECT_TRUE(hourglass) << "a timer ran inside the wait, under the hourglass";
    EXPECT_LT(ms(kernel1) + ms(user1) - ms(kernel0) - ms(user0), 50u) << "the wait spins";
    EXPECT_EQ(GetCursor(), before);

    const struct { int ms; const char* message; } wrong[] = {
        {0, "Assertion failure (units\\uuFunctions, line 117)"},
        {60001, "Assertion failure (units\\uuFunctions, line 118)"},
    };
    for (const auto& w : wrong) {
        try {
            WaitMs(w.ms, App());
            ADD_FAILURE() << "no check for " << w.ms;
        } catch (const EAssertionFailed& failure) {
            EXPECT_STREQ(failure.what(), w.message);
        }
    }
}

}  // namespace
}  // namespace palimp
