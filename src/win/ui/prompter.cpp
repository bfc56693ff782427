// The real prompter: Win32 message boxes, the common dialogs and the shell.
#include "win/ui/prompter.h"

#include <commdlg.h>
#include <shellapi.h>

#include <algorithm>
#include <vector>

namespace palimp {

namespace {

// "Text (*.txt)|*.txt|All (*.*)|*.*" -> the NUL-separated, doubly terminated list Win32 wants.
std::vector<wchar_t> FilterList(const std::wstring& filter) {
    std::vector<wchar_t> list(filter.begin(), filter.end());
    std::replace(list.begin(), list.end(), L'|', L'\0');
    list.push_back(L'\0');
    list.push_back(L'\0');
    return list;
}

std::optional<std::wstring> RunFileDialog(HWND owner, const FileDialogRequest& request, bool save) {
    std::vector<wchar_t> filter = FilterList(request.filter);
    std::vector<wchar_t> file(32768, L'\0');  // room for any long path
    std::copy_n(request.fileName.begin(), std::min(request.fileName.size(), file.size() - 1), file.begin());
    OPENFILENAMEW ofn = {sizeof(ofn)};
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = request.filter.empty() ? nullptr : filter.data();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.lpstrInitialDir = request.initialFolder.empty() ? nullptr : request.initialFolder.c_str();
    ofn.lpstrTitle = request.title.empty() ? nullptr : request.title.c_str();
    ofn.lpstrDefExt = request.defaultExt.empty() ? nullptr : request.defaultExt.c_str();
    // The program never relies on the current folder, so the dialog must not move it.
    ofn.Flags = request.flags | OFN_EXPLORER | OFN_NOCHANGEDIR;
    BOOL chosen = save ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn);
    if (!chosen) return std::nullopt;
    return std::wstring(file.data());
}

}  // namespace

int Win32Prompter::ShowMessageBox(HWND owner, std::wstring_view text, std::wstring_view caption, UINT flags) {
    return ::MessageBoxW(owner, std::wstring(text).c_str(), std::wstring(caption).c_str(), flags);
}

std::optional<std::wstring> Win32Prompter::OpenFile(HWND owner, const FileDialogRequest& request) {
    return RunFileDialog(owner, request, false);
}

std::optional<std::wstring> Win32Prompter::SaveFile(HWND owner, const FileDialogRequest& request) {
    return RunFileDialog(owner, request, true);
}

bool Win32Prompter::ShowFontDialog(HWND owner, FontRequest& font) {
    HDC screen = GetDC(nullptr);
    int logPixels = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    LOGFONTW lf = {};
    lf.lfHeight = -MulDiv(font.size, logPixels, 72);
    lf.lfWeight = FW_NORMAL;
    lf.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(lf.lfFaceName, font.face.c_str(), LF_FACESIZE);
    CHOOSEFONTW cf = {sizeof(cf)};
    cf.hwndOwner = owner;
    cf.lpLogFont = &lf;
    // Face and size only: no effects, no colour; sizes within the limits.
    cf.Flags = CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT | CF_LIMITSIZE;
    cf.nSizeMin = font.minSize;
    cf.nSizeMax = font.maxSize;
    if (!::ChooseFontW(&cf)) return false;
    font.face = lf.lfFaceName;
    font.size = cf.iPointSize / 10;
    return true;
}

void Win32Prompter::ShellOpen(HWND owner, std::wstring_view target) {
    ShellExecuteW(owner, L"open", std::wstring(target).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void Win32Prompter::Beep() { MessageBeep(MB_OK); }

ModalResult Win32Prompter::ShowModal(Form& form) { return form.ShowModal(); }

int Win32Prompter::ShowPopupMenu(HWND owner, HMENU menu, POINT at, UINT flags) {
    // The owner must be the foreground window, or the menu does not close on a click elsewhere.
    SetForegroundWindow(owner);
    int command = static_cast<int>(TrackPopupMenu(menu, flags | TPM_RETURNCMD | TPM_NONOTIFY, at.x, at.y, 0, owner, nullptr));
    PostMessageW(owner, WM_NULL, 0, 0);
    return command;
}

}  // namespace palimp
