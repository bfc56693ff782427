// The document's life cycle as the user meets it: New, Open, Save, Save As with every answer,
// the file encodings, dropped files, failed reads and writes, and big files.
#include "gui_support.h"

#include <algorithm>
#include <filesystem>

#include "os/system_error_text.h"
#include "win/system/document_file.h"

namespace palimp {
namespace {

class DocumentTest : public GuiTest {
protected:
    // What the Open and Save As dialogs propose now: each is shown once and cancelled.
    FileDialogRequest OpenDialogNow() {
        prompter_.CancelOpen();
        Choose("actionOpen");
        return prompter_.OpenRequests().empty() ? FileDialogRequest{} : prompter_.OpenRequests().back();
    }
    FileDialogRequest SaveDialogNow() {
        prompter_.CancelSave();
        Choose("actionSaveAs");
        return prompter_.SaveRequests().empty() ? FileDialogRequest{} : prompter_.SaveRequests().back();
    }
    // A modified untitled document holding text.
    void StartModified(const std::wstring& text) {
        Start();
        Type(text);
        ASSERT_TRUE(Modified());
    }
    // The files in the test folder: a failed save must leave no temporary file behind.
    std::vector<std::wstring> FolderContents() {
        std::vector<std::wstring> names;
        for (const auto& entry : std::filesystem::directory_iterator(temp_.Root())) names.push_back(entry.path().filename());
        std::sort(names.begin(), names.end());
        return names;
    }
};

TEST_F(DocumentTest, EveryEncodingOpensAndSavesAsUtf16LittleEndianNulCharactersIncluded) {
    // The ANSI code page is the system's: the expected text comes from the system too.
    wchar_t ansi[8] = {};
    MultiByteToWideChar(CP_ACP, 0, "caf\xE9", 4, ansi, 8);
    struct Row {
        const char* name;
        std::string bytes;
        std::wstring text;
    };
    const Row rows[] = {
        {"UTF-16 LE", std::string("\xFF\xFE" "a\0\x05\x01\r\0\n\0b\0", 12), L"a\u0105\r\nb"},
        {"UTF-16 BE", std::string("\xFE\xFF\0a\x01\x05\0\n\0b", 10), L"a\u0105\r\nb"},
        {"UTF-8 with mark", "\xEF\xBB\xBFZa\xC5\xBC\xC3\xB3\xC5\x82\xC4\x87", L"Za\u017C\u00F3\u0142\u0107"},
        {"UTF-8 without mark", "na\xC3\xAFve", L"na\u00EFve"},
        {"ANSI", "caf\xE9", ansi},
        {"LF, CR and U+2028 line breaks", "a\nb\rc\r\nd", L"a\r\nb\r\nc\r\nd"},
        {"line separator", "\xEF\xBB\xBF" "a\xE2\x80\xA8" "b", L"a\r\nb"},
        {"NULs in 8-bit", std::string("ab\0cd\0", 6), std::wstring(L"ab\0cd\0", 6)},
        {"NULs in UTF-16", std::string("\xFF\xFE" "a\0\0\0b\0", 8), std::wstring(L"a\0b", 3)},
        {"NULs around a pair in UTF-8", std::string("\xEF\xBB\xBF\0\xF0\x9F\x98\x80\0", 9),
         std::wstring(L"\0\xD83D\xDE00\0", 4)},
    };
    Start();
    int index = 0;
    for (const Row& row : rows) {
        std::wstring path = temp_.Path(L"file" + std::to_wstring(index++) + L".txt");
        WriteBytes(path, row.bytes);
        OpenThroughDialog(path);
        EXPECT_EQ(Text(), row.text) << row.name;
        EXPECT_FALSE(Modified()) << row.name;
        Type(L"!");  // at the caret, which a loaded file puts at its start
        PressKey('S', kCtrl);  // bound to the file: saved without a question
        EXPECT_EQ(ReadBytes(path), Utf16LeFile(L"!" + row.text)) << row.name;
        EXPECT_FALSE(ActionNamed("actionSave").Enabled()) << row.name;
        EXPECT_FALSE(Modified()) << row.name;
    }
}

TEST_F(DocumentTest, OpenRemembersTheFileForBothDialogs) {
    Start();
    const FileDialogRequest open = OpenDialogNow();
    EXPECT_EQ(open.title, L"Open");
    EXPECT_EQ(open.filter, L"Text Documents (*.txt)|*.txt|All Files (*.*)|*.*");
    EXPECT_EQ(open.defaultExt, L"txt");
    // The user's documents folder, as the shell names it.
    wchar_t documents[MAX_PATH] = {};
    DWORD size = sizeof documents;
    ASSERT_EQ(RegGetValueW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
                           L"Personal", RRF_RT_REG_SZ, nullptr, documents, &size), ERROR_SUCCESS);
    EXPECT_EQ(open.initialFolder, std::wstring(documents) + L"\\");
    EXPECT_EQ(SaveDialogNow().initialFolder, open.initialFolder);
    EXPECT_EQ(Caption(), L"Untitled - Palimp 1.2 Free");

    std::wstring path = temp_.Path(L"notes.txt");
    WriteBytes(path, "hello");
    OpenThroughDialog(path);
    EXPECT_EQ(Caption(), L"notes.txt - Palimp 1.2 Free");
    EXPECT_EQ(App().Title(), L"notes.txt - Palimp 1.2 Free");
    EXPECT_EQ(Text(), L"hello");
    for (const FileDialogRequest& dialog : {OpenDialogNow(), SaveDialogNow()}) {
        EXPECT_EQ(dialog.fileName, path);
        EXPECT_EQ(dialog.initialFolder, temp_.Root());
    }
    // New forgets the save name only.
    Choose("actionNew");
    EXPECT_EQ(Caption(), L"Untitled - Palimp 1.2 Free");
    EXPECT_EQ(SaveDialogNow().fileName, L"");
    EXPECT_EQ(OpenDialogNow().fileName, path);
}

// The editor showed none of the file: Save goes through Save As, whose overwrite question
// protects the file, until a save succeeded. (Regression: Ctrl+S used to replace the locked file
// without a word.)
// Regressions: a failed open used to leave the file bound, so a later Save replaced it without a
// question; a dropped folder used to become a document without a name.
using DocumentRegressions = DocumentTest;

TEST_F(DocumentRegressions, AFailedOpenNeverReplacesTheFileWithoutAQuestion) {
    const std::wstring kOverwrite = L"File exists.\r\nDo you want to replace it?";
    struct Row {
        const char* name;
        std::wstring file;
        std::string bytes;
        bool locked;
        std::wstring message;
        std::wstring caption;
        UINT flags;
        std::wstring text;
    };
    const Row rows[] = {
        {"a locked file", L"locked.txt", "secret", true, L"Error #4020. Problem during loading file.", L"Error",
         MB_OK | MB_ICONERROR, L""},
    };
    Start();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::wstring path = temp_.Path(row.file);
        WriteBytes(path, row.bytes);
        HANDLE lock = row.locked ? CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0,
                                               nullptr)
                                 : INVALID_HANDLE_VALUE;
        ASSERT_EQ(lock != INVALID_HANDLE_VALUE, row.locked);
        size_t messagesBefore = prompter_.Messages().size();
        prompter_.ChooseInOpen(path);
        prompter_.AnswerMessage(row.message, IDOK);
        Choose("actionOpen");
        // Told once, with the name still in the title and the text read so far in the editor.
        ASSERT_EQ(prompter_.Messages().size(), messagesBefore + 1);
        EXPECT_EQ(prompter_.Messages().back().caption, row.caption);
        EXPECT_EQ(prompter_.Messages().back().flags, row.flags);
        EXPECT_EQ(Caption(), row.file + L" - Palimp 1.2 Free");
        EXPECT_EQ(Text(), row.text);
        EXPECT_FALSE(Modified());
        if (lock != INVALID_HANDLE_VALUE) CloseHandle(lock);

        Type(L"!");
        prompter_.ChooseInSave(path);
        prompter_.AnswerMessage(kOverwrite, IDNO);
        PressKey('S', kCtrl);
        EXPECT_EQ(prompter_.SaveRequests().back().fileName, path);  // proposed in the dialog
        EXPECT_EQ(ReadBytes(path), row.bytes);
        EXPECT_TRUE(Modified());
        // "Save changes?" saves the same way.
        prompter_.AnswerMessage(L"Save changes?", IDYES);
        prompter_.ChooseInSave(path);
        prompter_.AnswerMessage(kOverwrite, IDNO);
        Choose("actionNew");
        EXPECT_EQ(ReadBytes(path), row.bytes);
        EXPECT_EQ(Text(), L"!" + row.text);

        prompter_.ChooseInSave(path);
        prompter_.AnswerMessage(kOverwrite, IDYES);
        PressKey('S', kCtrl);
        EXPECT_EQ(ReadBytes(path), Utf16LeFile(L"!" + row.text));
        // The file holds the editor's text now: Save writes without a question again.
        Type(L"?");
        PressKey('S', kCtrl);
        EXPECT_EQ(ReadBytes(path), Utf16LeFile(L"!?" + row.text));
        Choose("actionNew");
    }
}

// A folder is no document: the load error, then an empty Untitled document whose Save asks for
// a name. (Regression: a dropped folder left the title " - Palimp 1.2 Free" and a Save bound
// to the folder.)
TEST_F(DocumentRegressions, ADroppedFolderGivesTheLoadErrorAndAnUntitledDocument) {
    std::wstring folder = temp_.Root();  // ends with "\"
    std::wstring file = temp_.Path(L"notes.txt");
    WriteBytes(file, "notes");
    Start();
    for (const std::wstring& dropped : {folder, folder.substr(0, folder.size() - 1)}) {
        SCOPED_TRACE(dropped.back() == L'\\' ? "with a final backslash" : "without a final backslash");
        OpenThroughDialog(file);
        ASSERT_EQ(Caption(), L"notes.txt - Palimp 1.2 Free");
        prompter_.AnswerMessage(L"Error #4020. Problem during loading file.", IDOK);
        SendMessageW(MainHandle(), WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop({dropped})), 0);
        Pump();
        EXPECT_EQ(Caption(), L"Untitled - Palimp 1.2 Free");
        EXPECT_EQ(Text(), L"");
        Type(L"x");
        prompter_.CancelSave();
        PressKey('S', kCtrl);
        EXPECT_EQ(prompter_.SaveRequests().back().fileName, L"");
        EXPECT_EQ(ReadBytes(file), "notes");
        prompter_.AnswerMessage(L"Save changes?", IDNO);
        Choose("actionNew");
    }
}

// A mend: "Error #4020" and "Error #4021" said neither which file nor why, so a folder, a locked
// file and a missing folder all read the same. The numbered text stays; a second line names the
// file and gives the system's reason.
TEST_F(DocumentRegressions, LoadAndSaveErrorsSaidNeitherWhichFileNorWhy) {
    const std::wstring locked = temp_.Path(L"locked.txt");
    const std::wstring readOnly = temp_.Path(L"read-only.txt");
    WriteBytes(locked, "x");
    WriteBytes(readOnly, "old");
    SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_READONLY);
    HANDLE lock = CreateFileW(locked.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    auto system = [](DWORD error) { return ToWide(FromUtf8(os::detail::SystemErrorText(static_cast<int>(error)))) + L"."; };
    const struct {
        const char* what;
        bool save;
        std::wstring path;
        std::wstring reason;
    } cases[] = {
        {"a missing file", false, temp_.Path(L"missing.txt"), system(ERROR_FILE_NOT_FOUND)},
        {"a file another program holds", false, locked, system(ERROR_SHARING_VIOLATION)},
        {"a folder", false, temp_.Root(), L"It is a folder, not a file."},
        {"a read-only file", true, readOnly, L"The file is read-only."},
        {"a missing folder", true, temp_.Path(L"no such folder\\new.txt"), system(ERROR_PATH_NOT_FOUND)},
    };
    Start();
    for (const auto& c : cases) {
        if (c.save) {
            Type(L"new");
            prompter_.ChooseInSave(c.path);
            if (FileExists(c.path)) prompter_.AnswerMessage(L"File exists.\r\nDo you want to replace it?", IDYES);
            prompter_.AnswerMessage(L"Error #4021. Problem during saving file.", IDOK);
            Choose("actionSaveAs");
        } else {
            prompter_.ChooseInOpen(c.path);
            prompter_.AnswerMessage(L"Error #4020. Problem during loading file.", IDOK);
            Choose("actionOpen");
        }
        ASSERT_FALSE(prompter_.Messages().empty());
        const std::wstring first = c.save ? L"Error #4021. Problem during saving file." : L"Error #4020. Problem during loading file.";
        EXPECT_EQ(ToUtf8(ToU16(prompter_.Messages().back().text)), ToUtf8(ToU16(first + L"\r\n" + c.path + L": " + c.reason)))
            << c.what;
        if (Modified()) {
            prompter_.AnswerMessage(L"Save changes?", IDNO);
            Choose("actionNew");
        }
    }
    CloseHandle(lock);
    EXPECT_EQ(ReadBytes(readOnly), "old");
}

// Everything that would throw the text away asks first, and goes on only when the text is safe.
TEST_F(DocumentTest, SaveChangesAnswersDecideWhetherNewDiscardsTheText) {
    std::wstring saved = temp_.Path(L"saved.txt");
    std::wstring readOnly = temp_.Path(L"read-only.txt");
    WriteBytes(readOnly, "old");
    SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_READONLY);
    enum class Then { Nothing, SaveAs, CancelSaveAs, SaveFails };
    struct Row {
        const char* name;
        int answer;
        Then then;
        bool proceeds;
    };
    const Row rows[] = {
        {"No discards", IDNO, Then::Nothing, true},
        {"Cancel keeps the text", IDCANCEL, Then::Nothing, false},
        {"Yes saves, then discards", IDYES, Then::SaveAs, true},
        // Going on here would lose the text that the user asked to keep.
        {"Yes with a cancelled Save As keeps the text", IDYES, Then::CancelSaveAs, false},
        {"Yes with a failed write keeps the text", IDYES, Then::SaveFails, false},
    };
    Start();
    for (const Row& row : rows) {
        Type(L"draft");
        prompter_.AnswerMessage(L"Save changes?", row.answer);
        if (row.then == Then::SaveAs) prompter_.ChooseInSave(saved);
        if (row.then == Then::CancelSaveAs) prompter_.CancelSave();
        if (row.then == Then::SaveFails) {
            prompter_.ChooseInSave(readOnly);
            prompter_.AnswerMessage(L"File exists.\r\nDo you want to replace it?", IDYES);
            prompter_.AnswerMessage(L"Error #4021. Problem during saving file.", IDOK);
        }
        Choose("actionNew");
        EXPECT_EQ(Text(), row.proceeds ? L"" : L"draft") << row.name;
        if (row.then == Then::SaveAs) {
            EXPECT_EQ(ReadBytes(saved), Utf16LeFile(L"draft")) << row.name;
        }
        EXPECT_EQ(ReadBytes(readOnly), "old") << row.name;
        // Back to an empty untitled document for the next row.
        if (Modified()) prompter_.AnswerMessage(L"Save changes?", IDNO);
        Choose("actionNew");
        EXPECT_EQ(Caption(), L"Untitled - Palimp 1.2 Free");
    }
}

TEST_F(DocumentTest, OpenDropAndCloseKeepTheTextWhenSavingIsCancelled) {
    std::wstring other = temp_.Path(L"other.txt");
    WriteBytes(other, "other");
    StartModified(L"draft");
    for (int round = 0; round < 3; ++round) {
        prompter_.AnswerMessage(L"Save changes?", IDYES);
        prompter_.CancelSave();
        if (round == 0) Choose("actionOpen");  // no Open dialog follows
        if (round == 1) SendMessageW(MainHandle(), WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop({other})), 0);
        if (round == 2) Main().Close();
        Pump();
        EXPECT_EQ(Text(), L"draft") << round;
        EXPECT_TRUE(Modified()) << round;
    }
    EXPECT_FALSE(App().Terminated());
}

// Another program's change is never overwritten or thrown away without a question.
TEST_F(DocumentRegressions, SaveReplacedAFileChangedByAnotherProgramWithoutAWord) {
    struct Row {
        const char* name;
        bool savedFirst;  // the document was saved once before the other program wrote
        int answer;
    };
    const Row rows[] = {
        {"No leaves their text and the document modified", false, IDNO},
        {"Yes replaces it", false, IDYES},
        {"a change after the last save counts too", true, IDNO},
    };
    Start();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        if (Modified()) prompter_.AnswerMessage(L"Save changes?", IDNO);
        const std::wstring path = OpenFileHolding("old", L"shared.txt");
        Type(L"mine ");
        if (row.savedFirst) PressKey('S', kCtrl);  // unchanged since opened: no question
        Type(L"more ");
        WriteBytes(path, "their text");
        prompter_.AnswerMessage(L"shared.txt has been changed by another program since it was opened. Replace it "
                                L"with the text in Palimp?",
                                row.answer);
        const size_t asked = prompter_.Messages().size();
        PressKey('S', kCtrl);
        ASSERT_EQ(prompter_.Messages().size(), asked + 1);
        EXPECT_EQ(prompter_.Messages().back().flags, static_cast<UINT>(MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2));
        const std::wstring mine = L"mine more old";
        EXPECT_EQ(ReadBytes(path), row.answer == IDYES ? Utf16LeFile(mine) : "their text");
        EXPECT_EQ(Modified(), row.answer != IDYES);
        EXPECT_EQ(Text(), mine);
    }
}

// Coming back to the window after another program changed the file offers to reload it, once
// for each change, with No the default when reloading would lose changes made here.
TEST_F(DocumentTest, ActivatingTheWindowOffersToReloadAChangedFile) {
    const std::wstring question = L"shared.txt has been changed by another program.\r\nReload it?";
    struct Row {
        const char* name;
        bool modified;
        int answer;
        UINT flags;
        std::wstring text;  // the editor's afterwards
    };
    const Row rows[] = {
        {"Yes reloads", false, IDYES, MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON1, L"their text"},
        {"No keeps what the editor holds", true, IDNO, MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2, L"mine old"},
        {"Yes throws away the changes made here", true, IDYES, MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2,
         L"their text"},
    };
    Start();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        if (Modified()) prompter_.AnswerMessage(L"Save changes?", IDNO);
        const std::wstring path = OpenFileHolding("old", L"shared.txt");
        if (row.modified) Type(L"mine ");
        ActivateFromAnotherWindow();  // nothing changed: nothing asked
        WriteBytes(path, "their text");
        prompter_.AnswerMessage(row.modified ? question + L" The changes made in Palimp will be lost." : question,
                                row.answer);
        const size_t asked = prompter_.Messages().size();
        ActivateFromAnotherWindow();
        ASSERT_EQ(prompter_.Messages().size(), asked + 1);
        EXPECT_EQ(prompter_.Messages().back().flags, row.flags);
        EXPECT_EQ(Text(), row.text);
        EXPECT_EQ(Modified(), row.answer == IDNO && row.modified);
        ActivateFromAnotherWindow();  // the same change is not asked about again
        EXPECT_EQ(ReadBytes(path), "their text");
    }
}

TEST_F(DocumentTest, SaveAsAsksBeforeReplacingAFile) {
    std::wstring existing = temp_.Path(L"existing.txt");
    WriteBytes(existing, "old");
    StartModified(L"new text");
    const FileDialogRequest* request = nullptr;

    prompter_.ChooseInSave(existing);
    prompter_.AnswerMessage(L"File exists.\r\nDo you want to replace it?", IDNO);
    Choose("actionSaveAs");
    EXPECT_EQ(prompter_.Messages().back().flags, static_cast<UINT>(MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2));
    EXPECT_EQ(ReadBytes(existing), "old");
    EXPECT_TRUE(Modified());
    EXPECT_EQ(Caption(), L"Untitled - Palimp 1.2 Free");
    request = &prompter_.SaveRequests().back();
    EXPECT_EQ(request->title, L"Save As");
    EXPECT_EQ(request->defaultExt, L"txt");
    EXPECT_EQ(request->fileName, L"");

    prompter_.ChooseInSave(L"");  // an empty name only beeps
    Choose("actionSaveAs");
    EXPECT_EQ(prompter_.Beeps(), 1);

    prompter_.ChooseInSave(existing);
    prompter_.AnswerMessage(L"File exists.\r\nDo you want to replace it?", IDYES);
    Choose("actionSaveAs");
    EXPECT_EQ(ReadBytes(existing), Utf16LeFile(L"new text"));
    EXPECT_EQ(Caption(), L"existing.txt - Palimp 1.2 Free");
    EXPECT_FALSE(Modified());
    EXPECT_FALSE(ActionNamed("actionSave").Enabled());
    EXPECT_FALSE(MenuEnabled("actionSave"));
    // The next Save As proposes the file just saved.
    prompter_.CancelSave();
    Choose("actionSaveAs");
    EXPECT_EQ(prompter_.SaveRequests().back().fileName, existing);
    EXPECT_EQ(prompter_.SaveRequests().back().initialFolder, temp_.Root());
}

TEST_F(DocumentTest, AFailedSaveLeavesTheOldFileAndNoTemporaryFile) {
    std::wstring readOnly = temp_.Path(L"read-only.txt");
    std::wstring inUse = temp_.Path(L"in-use.txt");
    WriteBytes(readOnly, "old");
    WriteBytes(inUse, "old");
    SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_READONLY);
    HANDLE user = CreateFileW(inUse.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(user, INVALID_HANDLE_VALUE);
    StartModified(L"new");
    for (const std::wstring& target : {readOnly, inUse, temp_.Root()}) {
        bool folder = target == temp_.Root();
        prompter_.ChooseInSave(target);
        if (!folder) prompter_.AnswerMessage(L"File exists.\r\nDo you want to replace it?", IDYES);
        prompter_.AnswerMessage(L"Error #4021. Problem during saving file.", IDOK);
        Choose("actionSaveAs");
        EXPECT_EQ(prompter_.Messages().back().caption, L"Error");
        EXPECT_TRUE(Modified());
        EXPECT_TRUE(ActionNamed("actionSave").Enabled());
    }
    CloseHandle(user);
    EXPECT_EQ(ReadBytes(readOnly), "old");
    EXPECT_EQ(ReadBytes(inUse), "old");
    EXPECT_EQ(FolderContents(), (std::vector<std::wstring>{L"in-use.txt", L"read-only.txt"}));
    // The document is bound to the failed path anyway.
    EXPECT_EQ(SaveDialogNow().fileName, temp_.Root());
}

// The save replaced the file by a new one, so another name of it (a hard link) kept the old
// text, and the file's attributes were dropped.
TEST_F(DocumentRegressions, SavingLostTheFilesOtherNamesAndAttributes) {
    Start();
    std::wstring path = temp_.Path(L"doc.txt");
    std::wstring alias = temp_.Path(L"alias.txt");
    WriteBytes(path, "old");
    ASSERT_TRUE(CreateHardLinkW(alias.c_str(), path.c_str(), nullptr));
    OpenThroughDialog(path);
    Type(L"new ");
    Choose("actionSave");
    EXPECT_FALSE(Modified());
    EXPECT_EQ(ReadBytes(alias), Utf16LeFile(L"new old"));
    EXPECT_EQ(ReadBytes(path), Utf16LeFile(L"new old"));
    EXPECT_EQ(FolderContents(), (std::vector<std::wstring>{L"alias.txt", L"doc.txt"}));

    std::wstring hidden = temp_.Path(L"hidden.txt");
    WriteBytes(hidden, "old");
    ASSERT_TRUE(SetFileAttributesW(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN));
    OpenThroughDialog(hidden);
    Type(L"new ");
    Choose("actionSave");
    EXPECT_EQ(ReadBytes(hidden), Utf16LeFile(L"new old"));
    EXPECT_TRUE(GetFileAttributesW(hidden.c_str()) & FILE_ATTRIBUTE_HIDDEN);
}

TEST_F(DocumentTest, DroppedFiles) {
    std::wstring first = temp_.Path(L"first.txt");
    std::wstring second = temp_.Path(L"second.txt");
    WriteBytes(first, "first");
    WriteBytes(second, "second");
    auto drop = [&](const std::vector<std::wstring>& paths) {
        SendMessageW(MainHandle(), WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(paths)), 0);
        Pump();
    };
    Start();
    drop({first});
    EXPECT_EQ(Text(), L"first");
    EXPECT_EQ(Caption(), L"first.txt - Palimp 1.2 Free");

    Type(L"!");
    prompter_.AnswerMessage(L"Save changes?", IDCANCEL);
    drop({second});
    EXPECT_EQ(Text(), L"!first");

    // Several files: Palimp says that it opens one at a time, opens none and asks nothing, for
    // nothing is discarded. (A mend: they were dropped without a word, after the question.)
    for (const auto& files : {std::vector<std::wstring>{first, second}, std::vector<std::wstring>{first, second, first}}) {
        const std::wstring message = L"Palimp opens one file at a time, and " + std::to_wstring(files.size()) +
                                     L" files were dropped: none of them was opened.\r\nDrop a single file to open it.";
        prompter_.AnswerMessage(message, IDOK);
        drop(files);
        EXPECT_EQ(prompter_.Messages().back().flags, static_cast<UINT>(MB_OK | MB_ICONINFORMATION));
        EXPECT_EQ(Text(), L"!first");
        EXPECT_TRUE(Modified());
        EXPECT_EQ(Caption(), L"first.txt - Palimp 1.2 Free");
    }

    prompter_.AnswerMessage(L"Save changes?", IDNO);
    drop({second});
    EXPECT_EQ(Text(), L"second");
}

TEST_F(DocumentTest, ATwentyMegabyteFileLoads) {
    std::string line(78, 'x');
    line += "\r\n";
    std::string bytes;
    bytes.reserve(20 << 20);
    while (bytes.size() + line.size() <= (20u << 20)) bytes += line;
    std::wstring path = temp_.Path(L"big.txt");
    WriteBytes(path, bytes);
    // How long it takes is for benchmarks; a busy machine must not fail this test.
    Start(L"\"" + path + L"\"");
    EXPECT_EQ(Main().Editor().Length(), static_cast<int>(bytes.size()));
    // Screen readers and automation still read the text through the window.
    EXPECT_EQ(GetWindowTextLengthW(Memo()), static_cast<int>(bytes.size()));
    EXPECT_EQ(Caption(), L"big.txt - Palimp 1.2 Free");
}

}  // namespace
}  // namespace palimp
