// The table editor's files and clipboard: Open and Save As with their dialogs, loading and the
// atomic save of table files, the table folder's menu under the arrow button, and Copy All and
// Paste All. A file or clipboard that cannot be used is an ordinary event: a message says so
// and the table, the file on disk and the title stay as they were. An edited table is never
// replaced without the question whether to save it.
#include <windows.h>

#include "core/errors.h"
#include "core/pass_rows.h"
#include "core/table_editing.h"
#include "core/table_file.h"
#include "core/wide_string.h"
#include "win/form_table.h"
#include "win/system/ansi_code_page.h"
#include "win/system/clipboard.h"
#include "win/system/document_file.h"
#include "win/system/wide.h"
#include "win/ui/busy_cursor.h"
#include "win/ui/wait.h"

namespace palimp {

namespace {

constexpr wchar_t kTableFilter[] = L"Palimp Table (*.palimp)|*.palimp|All Files (*.*)|*.*";
constexpr wchar_t kNewTableTitle[] = L"What to replace";
constexpr wchar_t kPastedTableTitle[] = L"Pasted table";
constexpr int kClipboardPauseMs = 200;

bool FolderExists(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

FileDialogRequest TFormTable::DialogRequest(std::wstring title, DWORD flags) const {
    // A missing table folder leaves the start of the dialogs to the system.
    return {.title = std::move(title),
            .filter = kTableFilter,
            .defaultExt = std::wstring(WideView(kTableExtension)),
            .initialFolder = FolderExists(tableFolder_) ? tableFolder_ : std::wstring(),
            .fileName = fileName_,
            .flags = flags | OFN_HIDEREADONLY};
}

void TFormTable::NewTable() {
    table_.NewTable();
    fileName_.clear();
    modified_ = false;
    history_.Clear();
    ClearCount();
    ShowTitle(kNewTableTitle);
    TableChanged();
}

bool TFormTable::QuerySaveTable() {
    if (!modified_) return true;
    const std::wstring name = !fileName_.empty()                ? titleName_
                              : titleName_ == kPastedTableTitle ? std::wstring(L"the pasted table")
                                                                : std::wstring(L"the new table");
    const std::wstring question = L"Save changes to " + name + L"?";
    // At the program's end the table window is hidden: the question belongs to the main window.
    HWND owner = IsWindowVisible(Handle()) ? Handle() : Owner();
    const int answer = Host().GetPrompter().ShowMessageBox(owner, question, L"Palimp",
                                                          MB_YESNOCANCEL | MB_ICONWARNING | MB_DEFBUTTON1);
    if (answer == IDNO) return true;
    if (answer != IDYES) return false;
    // Yes goes on only once the table is safe on disk: a new table asks for its name first.
    if (!fileName_.empty()) return SaveTable(fileName_, false);
    auto path = Host().GetPrompter().SaveFile(Handle(), DialogRequest(L"Save As", OFN_PATHMUSTEXIST));
    return path && SaveTable(*path);
}

void TFormTable::stbnOpenClick() {
    if (!QuerySaveTable()) return;
    auto path = Host().GetPrompter().OpenFile(Handle(), DialogRequest(L"Open", OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST));
    if (path) LoadTable(*path);
}

void TFormTable::sbtnSaveClick() {
    // No overwrite question of the dialog's own: SaveTable asks.
    auto path = Host().GetPrompter().SaveFile(Handle(), DialogRequest(L"Save As", OFN_PATHMUSTEXIST));
    if (path) SaveTable(*path);
}

void TFormTable::LoadTable(const std::wstring& path) {
    if (!FileExists(path)) return;
    try {
        BusyCursor busy;
        LoadTableContent(table_, ReadTableFile(ReadFileShared(path), SystemAnsiCodePage()));
    } catch (const EFOpenError& failure) {
        ShowError(failure.Message());
        return;
    }
    fileName_ = path;
    modified_ = false;
    history_.Clear();
    ClearCount();
    ShowTitle(ToWide(StripExtension(U16View(path))));
    TableChanged();
}

bool TFormTable::SaveTable(const std::wstring& path, bool askToReplace) {
    if (path.empty()) {
        Host().GetPrompter().Beep();
        return false;
    }
    if (askToReplace && FileExists(path) &&
        Host().GetPrompter().ShowMessageBox(Handle(), L"File exists.\r\nDo you want to replace it?", L"Palimp",
                                            MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) != IDYES) {
        return false;
    }
    try {
        BusyCursor busy;
        WriteFileReplacing(path, WriteTableFile(TableContentOf(table_)));
    } catch (const EFCreateError& failure) {
        ShowError(failure.Message());
        return false;
    }
    fileName_ = path;
    modified_ = false;
    ShowTitle(ToWide(StripExtension(U16View(path))));
    return true;
}

void TFormTable::ShowError(const std::u16string& message) {
    Host().GetPrompter().ShowMessageBox(Handle(), WideView(message), L"Error", MB_OK | MB_ICONERROR);
}

std::vector<std::wstring> TFormTable::BuildOpenMenu() {
    std::vector<std::wstring> captions = {L"(new)"};
    WIN32_FIND_DATAW found;
    HANDLE search = tableFolder_.empty() ? INVALID_HANDLE_VALUE
                                         : FindFirstFileW((tableFolder_ + L"*." + std::wstring(WideView(kTableExtension))).c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
            captions.push_back(ToWide(TableMenuCaption(U16View(found.cFileName))));
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    // Made afresh at every showing, in the file system's order, with '&' shown as it is.
    while (GetMenuItemCount(popupMenuOpen) > 0) DeleteMenu(popupMenuOpen, 0, MF_BYPOSITION);
    for (size_t i = 0; i < captions.size(); ++i) {
        AppendMenuW(popupMenuOpen, MF_STRING, i + 1, ToWide(MenuTextOf(U16View(captions[i]))).c_str());
    }
    return captions;
}

void TFormTable::sbtnOpenLastClick() {
    std::vector<std::wstring> captions = BuildOpenMenu();
    int command = DropDown(popupMenuOpen, sbtnOpenLast.Handle());
    if (command >= 1 && !QuerySaveTable()) return;
    if (command == 1) {
        NewTable();
    } else if (command > 1 && static_cast<size_t>(command) <= captions.size()) {
        // A file gone since the listing is not loaded, silently.
        LoadTable(ToWide(TableFileOfCaption(U16View(tableFolder_), U16View(captions[command - 1]))));
    }
}

void TFormTable::actionCopyAllExecute() {
    bool copied = false;
    {
        BusyCursor busy;
        // Switched-off rows stay behind: the clipboard gets the pairs that take part.
        copied = PutClipboardText(Handle(), CopyAllText(RowsSwitchedOn(table_.Items())));
        WaitMs(kClipboardPauseMs, Host());
    }
    if (!copied) ShowError(u"Cannot open clipboard");
}

void TFormTable::actionPasteAllExecute() {
    std::optional<std::u16string> text;
    {
        BusyCursor busy;
        text = ReadClipboardText(Handle());
    }
    if (!text) {
        ShowError(u"Cannot open clipboard");
        return;
    }
    // A clipboard without text (a picture, say) leaves the table as it was.
    if (ParsePastedTable(*text).empty()) {
        Say(L"No text on the clipboard");
        return;
    }
    if (!QuerySaveTable()) return;
    RecordUndo();
    {
        BusyCursor busy;
        PasteAllText(table_, *text);
        table_.SetRow(1);
        sgTable.TableChanged();  // the wait repaints the new rows
        WaitMs(kClipboardPauseMs, Host());
    }
    // The pasted table belongs to no file until it is saved: Save As proposes no name.
    fileName_.clear();
    titleName_ = kPastedTableTitle;
    table_.SetRow(1);
    TableEdited();
}

}  // namespace palimp
