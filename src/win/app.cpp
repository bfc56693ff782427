// The start-up sequence, the message loop and the handling of uncaught failures.
#include "win/app.h"

#include <windows.h>
#include <commctrl.h>

#include "core/errors.h"
#include "win/app_form.h"
#include "win/system/ansi_code_page.h"
#include "win/system/registry_settings.h"
#include "win/dialog_exception.h"
#include "win/dlg_progress.h"
#include "win/ui/editor_view.h"
#include "win/ui/failure.h"
#include "win/dlg_about.h"
#include "win/form_from_to.h"
#include "win/form_main.h"
#include "win/form_notepad.h"
#include "win/form_table.h"
#include "win/ui/prompter.h"
#include "win/system/wide.h"

namespace palimp {

namespace {

Application* current = nullptr;

// Creates one window and runs its creation handler. A failure in either is reported (there is
// no error report dialog yet during most of start-up) and start-up goes on.
template <typename FormClass>
void CreateForm(std::unique_ptr<FormClass>& slot, Application& app) {
    slot = std::make_unique<FormClass>(app);
    FormClass& form = *slot;
    RunGuarded([&form] { form.CreateForm(); });
    if (form.Handle()) RunGuarded([&form] { form.FormCreate(); });
}

}  // namespace

Application::Application(Prompter& prompter, std::wstring commandLine)
    : prompter_(prompter), commandLine_(std::move(commandLine)), settingsKey_(kSettingsKey), previous_(current) {
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_BAR_CLASSES | ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    current = this;
    previousFailureHandler_ = SetFailureHandler([this](const Exception& failure) { HandleException(failure); });
}

Application::~Application() {
    // The other windows first: they are owned by the main window.
    formNotepad_.reset();
    dialogException_.reset();
    formFromTo_.reset();
    dlgProgress_.reset();
    dlgAbout_.reset();
    formTable_.reset();
    formMain_.reset();
    SetFailureHandler(std::move(previousFailureHandler_));
    current = previous_;
}

Application* Application::Current() { return current; }

// The forms of the program belong to the application, their host.
Application& AppForm::App() const { return static_cast<Application&>(Host()); }

HWND Application::MainWindowHandle() const { return formMain_ ? formMain_->Handle() : nullptr; }

HINSTANCE Application::Instance() const { return GetModuleHandleW(nullptr); }

void Application::SetTitle(std::wstring_view title) { title_ = ThroughAnsiCodePage(title); }

void Application::Initialize() {
    SetTitle(L"Palimp");
    settings_ = ReadSettings(RegistrySettingsStore(settingsKey_));
    CreateForm(formMain_, *this);
    if (!formMain_->Handle()) throw EAssertionFailed(u"Cannot create the main window");
    CreateForm(formTable_, *this);
    CreateForm(dlgAbout_, *this);
    CreateForm(dlgProgress_, *this);
    CreateForm(formFromTo_, *this);
    CreateForm(dialogException_, *this);
    CreateForm(formNotepad_, *this);
    formMain_->ShowAtStart();
    SetForegroundWindow(formMain_->Handle());
    SetFocus(formMain_->Memo());
}

void Application::SaveSettings() {
    if (formMain_ && formMain_->Handle()) formMain_->KeepSettings(settings_);
    if (formTable_ && formTable_->Handle()) formTable_->KeepSettings(settings_);
    RegistrySettingsStore store(settingsKey_);
    WriteSettings(settings_, store);
}

void Application::ProcessMessage(MSG& msg) {
    try {
        if (messageHook_ && messageHook_(msg)) return;
        // Keys go first to the window they are meant for: its shortcuts, its dialog keys.
        // A disabled window (behind a modal one) runs no shortcuts.
        HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
        auto* form = dynamic_cast<Form*>(Window::FromHandle(root));
        if (form && IsWindowEnabled(root) && form->PreTranslateMessage(msg)) return;
    } catch (const std::exception& failure) {
        HandleFailure(failure);
        return;
    } catch (...) {
        HandleUnknownFailure();
        return;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
}

void Application::Idle() {
    if (formMain_) RunGuarded([this] { formMain_->Actions().Update(); });
}

int Application::Run() {
    while (!terminated_) {
        MSG msg;
        if (!PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) Idle();
        if (GetMessageW(&msg, nullptr, 0, 0) <= 0) break;
        ProcessMessage(msg);
    }
    return 0;
}

void Application::ProcessMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        // The editor's background work posts itself step after step: run here, wrapping a
        // large document would hold the command for seconds. Its timer resumes it later.
        if (EditorView::IsBackgroundWork(msg)) continue;
        ProcessMessage(msg);
    }
    Idle();
}

void Application::Terminate() {
    terminated_ = true;
    // Wakes a GetMessage that waits in Run or in a modal loop.
    PostThreadMessageW(GetCurrentThreadId(), WM_NULL, 0, 0);
}

void Application::HandleException(const Exception& failure) {
    if (exceptionHandler_) {
        exceptionHandler_(failure);
        return;
    }
    if (dynamic_cast<const EAbort*>(&failure)) return;  // the silent abort
    ShowPlainError(failure);
}

void Application::ShowPlainError(const Exception& failure) {
    HWND owner = formMain_ ? formMain_->Handle() : nullptr;
    prompter_.ShowMessageBox(owner, WideView(failure.Message()), title_, MB_OK | MB_ICONERROR);
}

}  // namespace palimp
