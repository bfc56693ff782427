// The one seam through which the program asks the user anything or hands something to the
// shell: message boxes, the Open/Save/Font dialogs, the shell's "open", the beep and every modal
// showing of a window. The real prompter calls Win32; the GUI tests put a scripted one in its
// place and so drive the whole program in-process.
//
// Use: int answer = app.GetPrompter().ShowMessageBox(Handle(), L"Save changes?", L"Palimp",
//                                                MB_YESNOCANCEL | MB_ICONWARNING);
//      if (auto path = app.GetPrompter().SaveFile(Handle(), saveDialog)) ...
//      ModalResult r = app.GetPrompter().ShowModal(app.dlgAbout());
#pragma once

#include <windows.h>
#include <commdlg.h>

#include <optional>
#include <string>
#include <string_view>

#include "win/ui/window.h"

namespace palimp {

// What an Open or Save As dialog shows, and what it remembers between showings.
struct FileDialogRequest {
    std::wstring title;
    // Pairs of description and pattern separated by '|': "Text Documents (*.txt)|*.txt|...".
    std::wstring filter;
    std::wstring defaultExt;     // without the dot: "txt"
    std::wstring initialFolder;
    std::wstring fileName;       // proposed in the dialog; a chosen path comes back separately
    // OFN_* options; OFN_EXPLORER and OFN_NOCHANGEDIR are always added by the real dialog.
    DWORD flags = 0;
};

// The font dialog's selection: face and size in points, sizes limited to minSize..maxSize.
struct FontRequest {
    std::wstring face;
    int size = 10;
    int minSize = 6;
    int maxSize = 30;
};

class Prompter {
public:
    virtual ~Prompter() = default;

    // A message box; returns the id of the pressed button (IDYES, IDNO, IDCANCEL, IDOK...).
    virtual int ShowMessageBox(HWND owner, std::wstring_view text, std::wstring_view caption, UINT flags) = 0;
    // The chosen path, or nothing when the user cancelled.
    virtual std::optional<std::wstring> OpenFile(HWND owner, const FileDialogRequest& request) = 0;
    virtual std::optional<std::wstring> SaveFile(HWND owner, const FileDialogRequest& request) = 0;
    // True when the user chose a font; the choice is written back into font.
    virtual bool ShowFontDialog(HWND owner, FontRequest& font) = 0;
    // The shell's "open" verb on a file or web address, in a normally shown window.
    virtual void ShellOpen(HWND owner, std::wstring_view target) = 0;
    // The default system beep.
    virtual void Beep() = 0;
    // Shows form modally (Form::ShowModal) and returns how it ended.
    virtual ModalResult ShowModal(Form& form) = 0;
    // Drops menu down at a screen point (TPM_* alignment flags) and returns the command id of
    // the chosen item, or 0 when the user closed the menu without choosing. The caller runs
    // the command.
    virtual int ShowPopupMenu(HWND owner, HMENU menu, POINT at, UINT flags) = 0;
};

// The real prompter: Win32 message boxes, common dialogs, ShellExecute, MessageBeep.
class Win32Prompter final : public Prompter {
public:
    int ShowMessageBox(HWND owner, std::wstring_view text, std::wstring_view caption, UINT flags) override;
    std::optional<std::wstring> OpenFile(HWND owner, const FileDialogRequest& request) override;
    std::optional<std::wstring> SaveFile(HWND owner, const FileDialogRequest& request) override;
    bool ShowFontDialog(HWND owner, FontRequest& font) override;
    void ShellOpen(HWND owner, std::wstring_view target) override;
    void Beep() override;
    ModalResult ShowModal(Form& form) override;
    int ShowPopupMenu(HWND owner, HMENU menu, POINT at, UINT flags) override;
};

}  // namespace palimp
