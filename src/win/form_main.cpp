// The main window: creation (FormCreate), closing, dropped files and message routing.
#include "win/form_main.h"

#include <shellapi.h>

#include <memory>

#include "core/local_info.h"
#include "core/matching.h"
#include "win/app.h"
#include "win/form_table.h"
#include "win/system/command_line.h"
#include "win/ui/dpi.h"
#include "win/ui/failure.h"
#include "win/system/system_info.h"
#include "win/system/wide.h"

namespace palimp {

namespace {

constexpr wchar_t kTextFilter[] = L"Text Documents (*.txt)|*.txt|All Files (*.*)|*.*";

std::wstring DroppedFilesMessage(UINT count) {
    return L"Palimp opens one file at a time, and " + std::to_wstring(count) +
           L" files were dropped: none of them was opened.\r\nDrop a single file to open it.";
}

}  // namespace

TFormMain::TFormMain(FormHost& host) : AppForm(host) {
    openDialog = {.title = L"Open",
                  .defaultExt = L"txt",
                  .flags = OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY | OFN_ENABLESIZING};
    saveDialog = {.title = L"Save As", .defaultExt = L"txt", .flags = OFN_HIDEREADONLY | OFN_ENABLESIZING};
}

TFormMain::~TFormMain() {
    // The controls go with the window; the pictures they showed are ours to free afterwards.
    if (Handle()) DestroyWindow(Handle());
    if (toolbarImages_) ImageList_Destroy(toolbarImages_);
    if (logoIcon_) DestroyIcon(logoIcon_);
    DeleteObject(findFrameBrush_);
}

void TFormMain::CreateForm() {
    CreateActions();
    CreateMenus();
    CreateWindowHandle({.className = L"TFormMain",
                        .caption = L"Palimp",
                        .style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                        .exStyle = WS_EX_CONTROLPARENT,
                        .clientWidth = 617,
                        .clientHeight = 396,
                        .menu = mainMenu});
    Actions().ReleaseMenuBar(mainMenu);  // the window destroys its menu bar
    CreateControls();
    // The application-wide message hook: F1 for context help in every window of the program.
    App().SetMessageHook([this](MSG& msg) { return applicationEventsMessage(msg); });
}

void TFormMain::FormCreate() {
    MatchingSelfTest();
    DragAcceptFiles(Handle(), TRUE);
    documentName = L"Untitled";
    UpdateTitle();
    SizeToolbar();
    SendMessageW(imageLogo, STM_SETICON, reinterpret_cast<WPARAM>(logoIcon_), 0);
    SetHint(imageLogo, L"About Palimp");
    openDialog.filter = kTextFilter;
    saveDialog.filter = kTextFilter;
    // A registry value of the wrong type fails the probe; it is reported, and start-up goes on,
    // so that the file named on the command line still opens and the commands are up to date.
    RunGuarded([] { ReadLocalInfo(); });
    openDialog.initialFolder = ToWide(LocalInfo.DocumentsFolder);
    saveDialog.initialFolder = ToWide(LocalInfo.DocumentsFolder);
    ApplyKeptSettings(App().KeptSettings());
    OpenCommandLineFile();
    UpdateCommandStates();
}

void TFormMain::OpenCommandLineFile() {
    std::vector<std::wstring> arguments = SplitCommandLine(App().CommandLine());
    if (arguments.size() < 2) return;
    // Only an existing file counts; a folder or a missing name is ignored without a word.
    DWORD attributes = GetFileAttributesW(arguments[1].c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return;
    OpenDocument(arguments[1]);
}

bool TFormMain::PreTranslateMessage(MSG& msg) {
    if (edFindKeyPress(msg)) return true;
    if (Form::PreTranslateMessage(msg)) return true;
    if (msg.message != WM_KEYDOWN || msg.wParam != VK_TAB) return false;
    if (Shortcut::HeldModifiers() & (kCtrl | kAlt)) return false;
    HWND focus = GetFocus();
    if (focus == memo.Handle() && wantTabs) return false;  // the editor inserts a tab character
    if (!focus || !IsChild(Handle(), focus)) return false;
    HWND next = GetNextDlgTabItem(Handle(), focus, (Shortcut::HeldModifiers() & kShift) != 0);
    if (next) SetFocus(next);
    // As in any dialog, Tab into the find box selects its text, ready to be typed over.
    if (next == edFind) SendMessageW(edFind, EM_SETSEL, 0, -1);
    return true;
}

bool TFormMain::OnNotify(NMHDR& header, LRESULT& result) {
    if (header.hwndFrom == toolBar && header.code == NM_CUSTOMDRAW) {
        result = DrawToolButton(reinterpret_cast<NMTBCUSTOMDRAW&>(header));
        return true;
    }
    // Tooltips of the toolbar buttons: the hint of their action, else the button's caption.
    if (header.code != TTN_GETDISPINFOW) return false;
    auto& info = reinterpret_cast<NMTTDISPINFOW&>(header);
    static std::wstring text;  // must outlive this call; one tooltip shows at a time
    text.clear();
    if (Action* action = Actions().FindById(static_cast<int>(header.idFrom))) {
        text = action->Hint();
        if (text.empty()) {
            wchar_t caption[64] = {};
            SendMessageW(toolBar, TB_GETBUTTONTEXTW, header.idFrom, reinterpret_cast<LPARAM>(caption));
            text = caption;
        }
    }
    info.lpszText = text.data();
    result = 0;
    return true;
}

void TFormMain::OnSize(int, int) {
    ArrangeTopPanel();
    ShowStatusTexts();
    // The status control repaints only what a resize uncovers: the encoding, right-aligned in
    // the last part, would stay where the old edge was.
    if (statusBar) InvalidateRect(statusBar, nullptr, TRUE);
}

void TFormMain::OnGetMinMaxInfo(MINMAXINFO& info) { info.ptMinTrackSize = {Scale(350), Scale(150)}; }

void TFormMain::OnDpiChanged(int) {
    LoadPictures();
    ApplyFonts();
    ArrangeTopPanel();
}

bool TFormMain::OnCloseQuery() { return FormCloseQuery(); }

// The document first, then an edited table: either question can keep the program open.
bool TFormMain::FormCloseQuery() { return QuerySaveChanges() && App().FormTable().QuerySaveTable(); }

void TFormMain::OnClose() {
    // Unlike the other windows, closing the main window ends the program. The settings are
    // gathered first: destroying this window destroys the windows it owns before it.
    App().SaveSettings();
    DestroyWindow(Handle());
}

void TFormMain::OnDestroy() {
    FormClose();
    App().Terminate();
}

void TFormMain::FormClose() {
    DragAcceptFiles(Handle(), FALSE);
    App().SaveSettings();  // the main window's part again, should it close some other way
}

void TFormMain::miExitClick() { Close(); }

void TFormMain::OnDropFiles(HDROP drop) { WMDropFiles(drop); }

void TFormMain::WMDropFiles(HDROP drop) {
    // The shell's drop data is freed however the handling ends.
    std::unique_ptr<std::remove_pointer_t<HDROP>, decltype(&DragFinish)> guard(drop, &DragFinish);
    // Several files at once open nothing, and say so: the editor holds one document, and which of
    // them the user meant is not for the program to guess (the shell's order is no choice).
    // Nothing is discarded then, so there is no "Save changes?" question first.
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    if (count > 1) {
        App().GetPrompter().ShowMessageBox(Handle(), DroppedFilesMessage(count), L"Palimp", MB_OK | MB_ICONINFORMATION);
        return;
    }
    if (count == 0 || !QuerySaveChanges()) return;
    UINT length = DragQueryFileW(drop, 0, nullptr, 0);
    std::wstring path(length + 1, L'\0');
    path.resize(DragQueryFileW(drop, 0, path.data(), length + 1));
    OpenDocument(path);
}

}  // namespace palimp
