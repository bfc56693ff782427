// Context help: F1 is taken by an application-wide hook before any window sees it, and the Help
// command opens the page of the focused field or of the active window from the help folder
// beside the program.
#include <windows.h>

#include "core/help_pages.h"
#include "core/local_info.h"
#include "win/app.h"
#include "win/form_main.h"
#include "win/system/wide.h"
#include "win/ui/prompter.h"

namespace palimp {

bool TFormMain::applicationEventsMessage(MSG& msg) {
    if (msg.message != WM_KEYDOWN || msg.wParam != VK_F1 || Shortcut::HeldModifiers() != kNoModifier) return false;
    // Handled here: no window gets this key press. A Help started by F1 that is still running
    // (the shell may pump messages) is not started again.
    if (helpMarker_ == 0) {
        helpMarker_ = 1;
        try {
            actionHelp->Execute();
        } catch (...) {
            helpMarker_ = 0;
            throw;
        }
        helpMarker_ = 0;
    }
    return true;
}

void TFormMain::actionHelpExecute() {
    int context = 0;
    HWND focus = GetFocus();
    if (focus) context = ControlHelpContext(focus);
    if (context < 1) {
        if (auto* form = dynamic_cast<Form*>(Window::FromHandle(GetActiveWindow()))) context = form->HelpContext();
    }
    const std::wstring folder = ToWide(LocalInfo.ProgramFolder) + L"help\\";
    auto exists = [&folder](const std::u16string& page) {
        DWORD attributes = GetFileAttributesW((folder + ToWide(page)).c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
    };
    std::u16string page = ChooseHelpPage(context, helpMarker_ == 1, exists);
    if (!page.empty()) App().GetPrompter().ShellOpen(Handle(), folder + ToWide(page));
}

}  // namespace palimp
