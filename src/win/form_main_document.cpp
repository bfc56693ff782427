// The document's life cycle: new, open, save, save as, the "Save changes?" question, the title
// and the enabling of the commands that depend on the document.
#include <string>

#include "core/errors.h"
#include "core/product.h"
#include "core/text_codec.h"
#include "os/file_replace.h"
#include "core/wide_string.h"
#include "win/system/ansi_code_page.h"
#include "win/app.h"
#include "win/system/document_file.h"
#include "win/form_main.h"
#include "win/system/wide.h"
#include "win/ui/busy_cursor.h"

namespace palimp {

namespace {

constexpr wchar_t kLoadError[] = L"Error #4020. Problem during loading file.";
constexpr wchar_t kSaveError[] = L"Error #4021. Problem during saving file.";
// Posted when the window becomes active and its file has changed, so that the question comes
// after the activation is complete, not inside it.
constexpr UINT kCheckFileOnDisk = WM_APP + 0x180;

// Everything up to and including the last '\' or ':' (empty when there is none).
std::wstring FolderPart(const std::wstring& path) {
    size_t cut = path.find_last_of(L"\\:");
    return cut == std::wstring::npos ? std::wstring() : path.substr(0, cut + 1);
}

// Everything after the last '\' or ':'.
std::wstring NamePart(const std::wstring& path) {
    size_t cut = path.find_last_of(L"\\:");
    return cut == std::wstring::npos ? path : path.substr(cut + 1);
}

bool IsFolder(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The numbered message and, on a second line, the file and the reason: "Error #4020. Problem
// during loading file." alone read the same for a folder, a locked file and a full disk.
std::wstring FileErrorText(const wchar_t* numbered, const std::wstring& path, std::u16string reason) {
    if (reason.empty()) return numbered;
    if (reason.front() >= u'a' && reason.front() <= u'z') reason.front() = static_cast<char16_t>(reason.front() - 32);
    if (reason.back() != u'.') reason += u'.';
    return std::wstring(numbered) + L"\r\n" + path + L": " + ToWide(reason);
}

constexpr char16_t kIsFolder[] = u"It is a folder, not a file";

// Why a save failed, as the writer says it.
std::u16string ReasonOf(const std::exception& failure) {
    if (auto* write = dynamic_cast<const os::FileWriteError*>(&failure)) return FromUtf8(write->Reason());
    if (auto* read = dynamic_cast<const DocumentReadError*>(&failure)) return read->Reason();
    return FromUtf8(failure.what());
}

}  // namespace

std::u16string TFormMain::DocumentText() const { return memo.Text(); }

bool TFormMain::Modified() const { return memo.Modified(); }

void TFormMain::UpdateTitle() {
    std::wstring caption = documentName + L" - " + ToWide(product::kName) + L" " + ToWide(product::kVersionText);
    SetCaption(caption);
    App().SetTitle(caption);
}

void TFormMain::UpdateCommandStates() {
    actionSave->SetEnabled(Modified());
    bool hasText = !memo.Empty();
    for (Action* action : {actionReplaceMany, actionFind, actionFindNext, actionFindBack}) action->SetEnabled(hasText);
}

void TFormMain::memoChange() { UpdateCommandStates(); }

bool TFormMain::QuerySaveChanges() {
    if (!Modified()) return true;
    int answer = App().GetPrompter().ShowMessageBox(Handle(), L"Save changes?", L"Palimp",
                                                MB_YESNOCANCEL | MB_ICONWARNING | MB_DEFBUTTON1);
    if (answer == IDNO) return true;
    // Yes goes on only when the text is safe on disk: a cancelled Save As dialog or a failed
    // write must not let the caller throw the changes away.
    if (answer == IDYES) return SaveCommand();
    return false;
}

void TFormMain::SetDocumentText(std::u16string text) {
    // Setting equal text would clear the modified flag and the undo history for nothing.
    if (text == DocumentText()) return;
    memo.Load(std::move(text));
    memoChange();
}

void TFormMain::ClearDocument() { memo.Load(u""); }

void TFormMain::RememberFile(const std::wstring& path) {
    openDialog.fileName = path;
    openDialog.initialFolder = FolderPart(path);
    saveDialog.fileName = path;
    saveDialog.initialFolder = FolderPart(path);
    documentName = NamePart(path);
    UpdateTitle();
}

void TFormMain::RepaintNow() { RedrawWindow(Handle(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN); }

void TFormMain::OfferToSaveBeforeExit() {
    Prompter& prompter = App().GetPrompter();
    while (Modified()) {
        int answer = prompter.ShowMessageBox(Handle(), L"Save changes?", L"Palimp",
                                             MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON1);
        if (answer != IDYES || SaveCommand()) return;
        // Yes, but the text reached no file: the program ends all the same, so it is kept
        // where the user can find it, or the question comes again.
        std::wstring kept;
        try {
            const std::wstring folder = recoveryFolder_.empty() ? DefaultRecoveryFolder() : recoveryFolder_;
            std::wstring stem = ToWide(StripExtension(ToU16(documentName)));
            if (stem.empty()) stem = L"Untitled";
            if (!folder.empty()) kept = WriteRecoveryFile(folder, stem, EncodeUtf16LeFile(DocumentText()));
        } catch (const std::exception&) {
        }
        if (!kept.empty()) {
            prompter.ShowMessageBox(Handle(), L"The text was not saved. Palimp kept it in\r\n" + kept, L"Palimp",
                                    MB_OK | MB_ICONWARNING);
            return;
        }
    }
}

void TFormMain::MakeUntitled() {
    ClearDocument();
    UpdateCommandStates();
    saveDialog.fileName.clear();
    partialRead_ = false;
    fileStamp_.reset();
    declinedStamp_.reset();
    documentName = L"Untitled";
    UpdateTitle();
}

void TFormMain::actionNewExecute() {
    if (!QuerySaveChanges()) return;
    MakeUntitled();
}

void TFormMain::actionOpenExecute() {
    if (!QuerySaveChanges()) return;
    std::optional<std::wstring> path = App().GetPrompter().OpenFile(Handle(), openDialog);
    if (!path) return;
    OpenDocument(*path);
    // The user goes on in the document just opened, not where the focus was before the dialog.
    if (IsWindowVisible(Memo()) && IsWindowEnabled(Memo())) SetFocus(Memo());
}

void TFormMain::OpenDocument(const std::wstring& path) {
    Prompter& prompter = App().GetPrompter();
    // A folder (dropped onto the window) is no document: bound to it, the title would show no
    // name and Save could never work.
    if (IsFolder(path) || NamePart(path).empty()) {
        prompter.ShowMessageBox(Handle(), FileErrorText(kLoadError, path, kIsFolder), L"Error", MB_OK | MB_ICONERROR);
        MakeUntitled();
        return;
    }
    RememberFile(path);
    // The new title, and whatever the dialog or menu that led here left unpainted, show before
    // the reading starts: a big file takes seconds.
    RepaintNow();
    bool readFailed = false;
    std::u16string reason;
    os::FileStamp stamp;
    {
        BusyCursor busy;
        try {
            // Each step lets the one before go: a big file is held twice at most, never four times.
            std::u16string text = DecodeTextFile(ReadFileShared(path, &stamp), SystemAnsiCodePage());
            SetDocumentText(NormalizeLineBreaks(std::move(text)));
        } catch (const std::exception& failure) {
            readFailed = true;  // missing, locked, unreadable or too large
            reason = ReasonOf(failure);
        }
    }
    // The editor does not hold the file: Save must not replace it without a question.
    partialRead_ = readFailed;
    fileStamp_ = readFailed ? std::nullopt : std::optional(stamp);
    declinedStamp_.reset();
    if (readFailed) {
        // An empty document, still bound to the path for the title and the dialogs.
        prompter.ShowMessageBox(Handle(), FileErrorText(kLoadError, path, reason), L"Error", MB_OK | MB_ICONERROR);
        ClearDocument();
        UpdateCommandStates();
    }
}

void TFormMain::actionSaveExecute() { SaveCommand(); }

void TFormMain::actionSaveAsExecute() { SaveAsCommand(); }

bool TFormMain::SaveCommand() {
    // A file whose reading failed is replaced only through Save As and its overwrite question.
    if (saveDialog.fileName.empty() || partialRead_) return SaveAsCommand();
    // A file another program changed since the editor read or wrote it is replaced only when
    // the user says so, and only as it was when asked.
    std::optional<os::FileStamp> changed = ChangedOnDisk();
    if (changed) {
        int answer = App().GetPrompter().ShowMessageBox(
            Handle(),
            documentName + L" has been changed by another program since it was opened. Replace it with the text in "
                           L"Palimp?",
            L"Palimp", MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2);
        if (answer != IDYES) return false;
    }
    return SaveDocument(saveDialog.fileName, changed ? changed : fileStamp_);
}

bool TFormMain::SaveAsCommand() {
    Prompter& prompter = App().GetPrompter();
    std::optional<std::wstring> path = prompter.SaveFile(Handle(), saveDialog);
    if (!path) return false;
    if (path->empty()) {
        prompter.Beep();
        return false;
    }
    if (FileExists(*path)) {
        int answer = prompter.ShowMessageBox(Handle(), L"File exists.\r\nDo you want to replace it?", L"Palimp",
                                         MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2);
        if (answer != IDYES) return false;
    }
    return SaveDocument(*path);
}

bool TFormMain::SaveDocument(const std::wstring& path, std::optional<os::FileStamp> expected) {
    // Another file: what the editor knew of the bound one says nothing about it.
    if (path != saveDialog.fileName) {
        fileStamp_.reset();
        declinedStamp_.reset();
    }
    RememberFile(path);
    RepaintNow();
    bool written = true;
    std::u16string reason;
    {
        BusyCursor busy;
        try {
            // A file that is gone is simply made again.
            if (expected && !FileStampOf(path)) expected.reset();
            WriteFileReplacing(path, EncodeUtf16LeFile(DocumentText()), expected);
        } catch (const std::exception& failure) {
            written = false;
            reason = ReasonOf(failure);
        }
    }
    if (!written) {
        App().GetPrompter().ShowMessageBox(Handle(), FileErrorText(kSaveError, path, reason), L"Error",
                                           MB_OK | MB_ICONERROR);
        return false;
    }
    partialRead_ = false;  // the file now holds exactly the editor's text
    fileStamp_ = FileStampOf(path);
    declinedStamp_.reset();
    memo.SetSavePoint();
    UpdateCommandStates();
    return true;
}

std::optional<os::FileStamp> TFormMain::ChangedOnDisk() const {
    if (!fileStamp_ || partialRead_ || saveDialog.fileName.empty()) return std::nullopt;
    std::optional<os::FileStamp> now = FileStampOf(saveDialog.fileName);
    if (!now || *now == *fileStamp_) return std::nullopt;
    return now;
}

void TFormMain::OnActivate(bool active) {
    Form::OnActivate(active);
    // The file as it is when the user comes back decides; the question itself waits until the
    // activation is complete.
    if (active && !checkingFile_ && ChangedOnDisk()) PostMessageW(Handle(), kCheckFileOnDisk, 0, 0);
}

bool TFormMain::OnMessage(UINT message, WPARAM, LPARAM, LRESULT& result) {
    if (message != kCheckFileOnDisk) return false;
    CheckFileOnDisk();
    result = 0;
    return true;
}

void TFormMain::CheckFileOnDisk() {
    // Not while a question is up, nor behind a modal window: it comes when that closes.
    if (checkingFile_ || !IsWindowEnabled(Handle()) || GetActiveWindow() != Handle()) return;
    std::optional<os::FileStamp> now = ChangedOnDisk();
    if (!now || now == declinedStamp_) return;
    checkingFile_ = true;
    const bool modified = Modified();
    std::wstring question = documentName + L" has been changed by another program.\r\nReload it?";
    if (modified) question += L" The changes made in Palimp will be lost.";
    int answer = App().GetPrompter().ShowMessageBox(Handle(), question, L"Palimp",
                                                    MB_YESNO | MB_ICONWARNING | (modified ? MB_DEFBUTTON2 : MB_DEFBUTTON1));
    checkingFile_ = false;
    if (answer == IDYES) {
        OpenDocument(saveDialog.fileName);
    } else {
        declinedStamp_ = now;
    }
}

}  // namespace palimp
