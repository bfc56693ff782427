// The base of every window of the program. One static window procedure finds the C++ object
// (stored at WM_NCCREATE), unpacks WPARAM/LPARAM once and calls a typed virtual handler. No C++
// exception ever unwinds through Win32 code: a failure in a handler goes to the application's
// failure handler (win/failure.h) and the message counts as handled.
//
// How to write a window of the program (a Form: created hidden at start-up, lives to the end):
//
//   class TdlgAbout : public Form {
//   public:
//       explicit TdlgAbout(Application& app) : Form(app) {}
//       void CreateForm() override {                 // the window and its controls, hidden
//           CreateWindowHandle({.className = L"TdlgAbout", .caption = L"About",
//                               .style = kDialogFrameStyle, .clientWidth = 300,
//                               .clientHeight = 200, .scaleWithDpi = false});
//           btnOK = layout_.Create(Handle(), {.className = WC_BUTTONW, .text = L"OK", ...}, Dpi());
//           SetDefaultButton(btnOK);
//           SetButtonResult(btnOK, ModalResult::OK);  // a click closes the modal show with OK
//       }
//       void FormCreate() override {}                // the creation handler
//   protected:
//       void OnSize(int width, int height) override { layout_.Arrange(Handle(), Dpi()); }
//       bool OnCommand(int id, int code, HWND control) override;
//   private:
//       Layout layout_;
//       HWND btnOK = nullptr;
//   };
//
// Show it modally through the prompter (app.GetPrompter().ShowModal(dlg)), never with
// ShowModal() directly, so that the tests can script it. Closing a window hides it (its state
// stays for the next showing); only the main window is destroyed by closing.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <map>
#include <string>
#include <string_view>

namespace palimp {

class Application;
class ActionList;

// How a modal showing ended (VCL's ModalResult): None while the window is still up.
enum class ModalResult { None = 0, OK = 1, Cancel = 2, Abort = 3, Retry = 4, Ignore = 5, Yes = 6, No = 7 };

// A fixed-size dialog frame: caption, close box, no minimise or maximise box, no resizing.
inline constexpr DWORD kDialogFrameStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN | DS_MODALFRAME;
inline constexpr DWORD kDialogFrameExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;

struct WindowParams {
    const wchar_t* className = nullptr;  // registered on first use with the shared procedure
    std::wstring caption;
    DWORD style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
    DWORD exStyle = WS_EX_CONTROLPARENT;
    // Client size in 96-DPI pixels; the outer size follows from the style and the menu. Zero
    // leaves the size to a layout (child windows).
    int clientWidth = 0;
    int clientHeight = 0;
    // Or the outer size (96 DPI), for windows whose design gives that instead.
    int outerWidth = 0;
    int outerHeight = 0;
    HWND parent = nullptr;  // the owner of a top-level window, the parent of a child window
    HMENU menu = nullptr;   // the menu bar of a top-level window, the id of a child window
    HBRUSH background = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    HCURSOR cursor = nullptr;  // the arrow when null
    UINT classStyle = 0;       // no CS_HREDRAW/CS_VREDRAW: resizing must not repaint everything
    bool centerOnScreen = true;
    // False for windows laid out in fixed pixels whatever the screen (about box, error report).
    bool scaleWithDpi = true;
};

class Window {
public:
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
    virtual ~Window();

    HWND Handle() const { return hwnd_; }
    // The object behind a window of the program, or null for any other window.
    static Window* FromHandle(HWND hwnd);

    // The DPI this window's sizes are scaled to (96 for windows created with scaleWithDpi off).
    int Dpi() const { return dpi_; }
    // A 96-DPI length at this window's DPI.
    int Scale(int length96) const;

    void Show();
    void Hide();
    bool IsVisible() const;
    std::wstring Caption() const;
    void SetCaption(std::wstring_view caption);
    // Asks the window to close, exactly as its close box does.
    void Close();
    void CenterOnScreen();

    // Shows the window modally and returns when its ModalResult is set or it closes (Cancel).
    // Meanwhile every other window of the program is disabled; Enter presses the default
    // button, Esc the cancel button, Tab moves the focus. Call it through the prompter.
    ModalResult ShowModal();
    bool IsModal() const { return modal_; }
    ModalResult GetModalResult() const { return modalResult_; }
    // Setting anything but None ends a modal showing.
    void SetModalResult(ModalResult result) { modalResult_ = result; }

    // Seen by the message loop for every message bound for this window or one of its controls,
    // before it is dispatched; true means it was handled (not dispatched).
    virtual bool PreTranslateMessage(MSG& msg);

protected:
    Window();

    // Creates the window (hidden) with the shared window procedure; Handle() is set from
    // WM_NCCREATE on. Throws EAssertionFailed when the system refuses.
    void CreateWindowHandle(const WindowParams& params);

    // The shortcuts of this action list are the accelerators of this window, and WM_COMMAND
    // ids of its actions and menu items run them.
    void SetActionList(ActionList* actions) { actions_ = actions; }

    // Dialog keys: Enter clicks the default button (unless the focused control wants Enter),
    // Esc the cancel button (or cancels the modal showing when there is none).
    void SetDefaultButton(HWND button);
    void SetCancelButton(HWND button);
    // A click on button sets this ModalResult (after OnCommand ran).
    void SetButtonResult(HWND button, ModalResult result);
    // Tab/Enter/Esc handled the dialog way even when not shown modally.
    void SetDialogKeys(bool on) { dialogKeys_ = on; }

    // Typed handlers. Each returns true when it handled the message (when the type allows).
    virtual void OnCreate() {}
    virtual bool OnCommand(int id, int code, HWND control);
    virtual bool OnNotify(NMHDR& header, LRESULT& result);
    virtual void OnSize(int width, int height);
    // Asked before the window closes; false keeps it open.
    virtual bool OnCloseQuery() { return true; }
    // The window closes: hides it by default (or ends the modal showing with Cancel).
    virtual void OnClose();
    virtual void OnDestroy() {}
    // The DPI changed (already in Dpi()); rebuild fonts and layout. The suggested rectangle is
    // applied afterwards.
    virtual void OnDpiChanged(int dpi);
    virtual void OnActivate(bool active);
    virtual void OnTimer(UINT_PTR id);
    virtual bool OnSetCursor(HWND target, int hitTest);
    virtual bool OnPaint(HDC dc, const RECT& dirty);
    virtual void OnGetMinMaxInfo(MINMAXINFO& info);
    virtual void OnDropFiles(HDROP drop);
    // Everything without a typed handler; false passes it to DefWindowProc.
    virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

    LRESULT DefaultProc(UINT message, WPARAM wParam, LPARAM lParam);

private:
    static LRESULT CALLBACK StaticWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
    bool HandleDialogKey(MSG& msg);
    void ClickButton(HWND button);

    HWND hwnd_ = nullptr;
    int dpi_ = 96;
    bool scaleWithDpi_ = true;
    bool modal_ = false;
    bool dialogKeys_ = false;
    ModalResult modalResult_ = ModalResult::None;
    ActionList* actions_ = nullptr;
    HWND defaultButton_ = nullptr;
    HWND cancelButton_ = nullptr;
    HWND lastFocus_ = nullptr;
    std::map<HWND, ModalResult> buttonResults_;
};

// A top-level window of the program: one instance, created hidden at start-up in a fixed order,
// destroyed with the application.
class Form : public Window {
public:
    explicit Form(Application& app) : app_(app) {}
    Application& App() const { return app_; }
    // Creates the window and its controls, hidden. Called once by the start-up sequence.
    virtual void CreateForm() = 0;
    // The creation handler, called right after CreateForm; a failure in it is reported and
    // start-up goes on.
    virtual void FormCreate() {}

private:
    Application& app_;
};

}  // namespace palimp
