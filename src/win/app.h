// The application object: the start-up sequence (title, the seven windows in their fixed order,
// each with its creation handler), the message loop and the failure handler. It can be created
// and destroyed several times in one process (each GUI test starts a fresh one).
//
// Use (the program's entry):
//   Win32Prompter prompter;
//   Application app(prompter, GetCommandLineW());
//   app.Initialize();          // creates the windows and shows the main one
//   return app.Run();          // until the main window has closed
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "core/settings.h"
#include "win/ui/failure.h"
#include "win/ui/window.h"

namespace palimp {

class Prompter;
class Exception;
class TFormMain;
class TFormTable;
class TdlgAbout;
class TdlgProgress;
class TFormFromTo;
class TDialogException;
class TFormNotepad;

class Application final : public FormHost {
public:
    // commandLine is the whole command line, program name first (as GetCommandLineW gives it).
    Application(Prompter& prompter, std::wstring commandLine);
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // The application that is running on this thread, or null.
    static Application* Current();

    // Start-up: sets the title "Palimp", creates the seven windows in order (each runs its
    // creation handler; a failure there is reported and start-up goes on), shows the main window.
    void Initialize();
    // The message loop; returns when the main window has closed.
    int Run();
    // Handles every message waiting in the queue through the same path as Run (hook,
    // accelerators, dialog keys) and returns; the editor's background work waits for Run.
    void ProcessMessages();
    // One message through the application's path: the hook, the target form's
    // PreTranslateMessage, then translate and dispatch.
    void ProcessMessage(MSG& msg) override;
    // Brings the commands' states up to date when the queue has run dry.
    void Idle() override;
    // Ends the message loop (the main window has closed).
    void Terminate();
    bool Terminated() const override { return terminated_; }

    Prompter& GetPrompter() const override { return prompter_; }
    HWND MainWindowHandle() const override;
    HINSTANCE Instance() const;
    const std::wstring& CommandLine() const { return commandLine_; }

    // The text of the taskbar button: the main window's caption as the ANSI code page gives it.
    const std::wstring& Title() const { return title_; }
    void SetTitle(std::wstring_view title);

    // The windows, each one instance for the whole run.
    TFormMain& FormMain() const { return *formMain_; }
    TFormTable& FormTable() const { return *formTable_; }
    TdlgAbout& dlgAbout() const { return *dlgAbout_; }
    TdlgProgress& dlgProgress() const { return *dlgProgress_; }
    TFormFromTo& FormFromTo() const { return *formFromTo_; }
    TDialogException& DialogException() const { return *dialogException_; }
    TFormNotepad& FormNotepad() const { return *formNotepad_; }

    // The settings kept for the user under HKEY_CURRENT_USER\<key> (Software\Palimp unless
    // set before Initialize: each test has a key of its own). Read at start-up before the
    // windows are made, which take their values from here; written when the main window closes.
    void SetSettingsKey(std::wstring key) { settingsKey_ = std::move(key); }
    const Settings& KeptSettings() const { return settings_; }
    // Gathers the settings from the windows that still exist and writes them.
    void SaveSettings();

    // The handler of uncaught failures. Until one is installed, EAbort is dropped silently and
    // every other failure shows a plain error message box.
    using ExceptionHandler = std::function<void(const Exception&)>;
    void SetExceptionHandler(ExceptionHandler handler) { exceptionHandler_ = std::move(handler); }
    void HandleException(const Exception& failure);

    // The application-wide hook: sees every message taken from the queue before any window
    // does; returning true swallows it.
    using MessageHook = std::function<bool(MSG&)>;
    void SetMessageHook(MessageHook hook) { messageHook_ = std::move(hook); }

private:
    void ShowPlainError(const Exception& failure);

    Prompter& prompter_;
    std::wstring commandLine_;
    std::wstring title_;
    std::wstring settingsKey_;
    Settings settings_;
    bool terminated_ = false;
    ExceptionHandler exceptionHandler_;
    MessageHook messageHook_;
    std::unique_ptr<TFormMain> formMain_;
    std::unique_ptr<TFormTable> formTable_;
    std::unique_ptr<TdlgAbout> dlgAbout_;
    std::unique_ptr<TdlgProgress> dlgProgress_;
    std::unique_ptr<TFormFromTo> formFromTo_;
    std::unique_ptr<TDialogException> dialogException_;
    std::unique_ptr<TFormNotepad> formNotepad_;
    Application* previous_ = nullptr;
    FailureHandler previousFailureHandler_;
};

}  // namespace palimp
