// The three levels of every window of the program:
//  - Window: the handle, the one static window procedure (it finds the C++ object stored at
//    WM_NCCREATE, unpacks each message once and calls a typed virtual handler), handlers bound
//    per control, and the DPI. No C++ exception ever unwinds through Win32 code: a failure in a
//    handler goes to the failure handler (ui/failure.h) and the message counts as handled.
//  - Control: a child control of our own (the panel, the grid). It has no modal state and no
//    dialog keys.
//  - Form: a top-level window of the program, one instance created hidden at start-up and kept
//    to the end. It owns the modal result, the dialog keys (Enter, Esc, Tab), its action list
//    and its hints, and it finds its owner and the message loop through its FormHost (the
//    application): no form needs another form's header for those. (Where one window uses
//    another's commands, as the main window and the table window do, its .cpp includes that
//    header; the headers never include each other.)
//
// How to write a form: the about box (dlg_about.h, dlg_about.cpp) is the worked example. Its
// CreateForm, as it stands:
//
//   void TdlgAbout::CreateForm() {
//       CreateWindowHandle({.className = L"TdlgAbout", .caption = L"About Palimp",
//                           .style = kDialogFrameStyle, .exStyle = kDialogFrameExStyle,
//                           .clientWidth = 416, .clientHeight = 252, .parent = Owner(),
//                           .scaleWithDpi = false});
//       bannerPicture_ = LoadAlphaPicture(IDB_ABOUT_BANNER);
//       logoPicture_ = LoadAlphaPicture(IDB_ABOUT_LOGO);
//       CreateControls();            // layout_.Create(...) per control: labelWww, OKBtn, ...
//       Actions().Add({.name = "actionExit", .caption = L"Exit", .shortcut = {VK_ESCAPE, kNoModifier}},
//                     [this] { actionExitExecute(); });
//       SetDefaultButton(OKBtn);
//       SetButtonResult(OKBtn, ModalResult::OK);  // a click ends the modal showing with OK
//       OnClick(labelWww, [this] { labelWwwClick(); });
//   }
//
// Three ways to bind a button, each for its case:
//  - SetButtonResult(button, result): the button only ends the modal showing (OK, Cancel).
//  - Actions().BindButton(button): the button runs a command of the action list, which also
//    has a shortcut, a menu item or a hint; its caption and enabled state follow the action.
//  - OnClick(control, handler): any other click, on a button or a notifying static.
//
// Show a form modally through the prompter (Host().GetPrompter().ShowModal(form)), never with
// ShowModal() directly, so that the tests can script it. Closing a form hides it (its state
// stays for the next showing); only the main window is destroyed by closing. Tests find
// controls by name: Form::Control("OKBtn").
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "win/ui/actions.h"

namespace palimp {

class Prompter;

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
    // No CS_HREDRAW/CS_VREDRAW: resizing must not repaint everything. Controls that take double
    // clicks add CS_DBLCLKS.
    UINT classStyle = 0;
    bool centerOnScreen = true;
    // False for windows laid out in fixed pixels whatever the screen (about box, error report).
    bool scaleWithDpi = true;
};

// The mouse at a mouse message: where it is in client pixels and the MK_* keys held down.
struct MouseEvent {
    int x = 0;
    int y = 0;
    UINT keys = 0;
    bool Shift() const { return (keys & MK_SHIFT) != 0; }
    bool Ctrl() const { return (keys & MK_CONTROL) != 0; }
};

enum class MouseButton { Left, Right, Middle };

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

protected:
    Window();

    // Creates the window (hidden) with the shared window procedure; Handle() is set from
    // WM_NCCREATE on. Throws EAssertionFailed when the system refuses.
    void CreateWindowHandle(const WindowParams& params);

    // Handlers bound per control: a click of a button (or of a static with SS_NOTIFY), and any
    // other WM_COMMAND notification of a control (EN_CHANGE, CBN_EDITCHANGE, ...). Controls in
    // panels count too: panels pass their controls' notifications up.
    void OnClick(HWND control, std::function<void()> handler);
    void OnNotification(HWND control, WORD code, std::function<void()> handler);
    // Drops the handlers of a control that is about to be destroyed.
    void UnbindControl(HWND control);

    // Typed handlers, each called from the dispatch with the message unpacked.
    virtual void OnCreate() {}
    virtual void OnSize(int width, int height);
    // Asked before the window closes; false keeps it open.
    virtual bool OnCloseQuery() { return true; }
    // The window closes: hides it by default.
    virtual void OnClose();
    virtual void OnDestroy() {}
    // The DPI changed (already in Dpi()); rebuild fonts and layout. The suggested rectangle is
    // applied afterwards.
    virtual void OnDpiChanged(int dpi);
    virtual void OnActivate(bool active);
    virtual void OnTimer(UINT_PTR id);
    virtual bool OnSetCursor(HWND target, int hitTest);
    // One routine for WM_PAINT (dc from BeginPaint) and WM_PRINTCLIENT (the caller's dc, the
    // whole client area), so a test can render the window into a bitmap. False leaves the
    // painting to the default procedure.
    virtual bool OnPaint(HDC dc, const RECT& dirty);
    // True when the background was filled (WM_ERASEBKGND).
    virtual bool OnEraseBackground(HDC dc);
    // The brush (and, in dc, the colours) of a child control; message is the WM_CTLCOLOR* kind
    // it asked with. Null for the default.
    virtual HBRUSH OnControlColour(UINT message, HWND control, HDC dc);
    // An owner-drawn child (WM_DRAWITEM); true when drawn.
    virtual bool OnDrawItem(const DRAWITEMSTRUCT& item);
    virtual void OnGetMinMaxInfo(MINMAXINFO& info);
    virtual void OnDropFiles(HDROP drop);
    virtual void OnMouseDown(MouseButton button, const MouseEvent& mouse);
    virtual void OnMouseUp(MouseButton button, const MouseEvent& mouse);
    virtual void OnMouseMove(const MouseEvent& mouse);
    virtual void OnDoubleClick(MouseButton button, const MouseEvent& mouse);
    // delta in WHEEL_DELTA units (120 a notch), the mouse in client pixels; false passes the
    // wheel on (to the parent, as DefWindowProc does).
    virtual bool OnMouseWheel(int delta, const MouseEvent& mouse);
    // A key press (WM_KEYDOWN) with the modifiers held (kCtrl, kShift, kAlt); false leaves it
    // to the default procedure.
    virtual bool OnKeyDown(UINT key, unsigned modifiers);
    // A typed character (WM_CHAR); false leaves it to the default procedure.
    virtual bool OnChar(wchar_t ch);
    // Scroll bar messages. trackPosition is the 32-bit SIF_TRACKPOS of the window's own bar
    // (or of bar, a scroll bar control) while the thumb is dragged.
    virtual void OnVScroll(int code, int trackPosition, HWND bar);
    virtual void OnHScroll(int code, int trackPosition, HWND bar);
    // WM_GETDLGCODE: the keys this window wants from a dialog; nothing for the default.
    virtual std::optional<LRESULT> OnGetDlgCode(const MSG* message);
    virtual void OnSetFocus(HWND previous);
    virtual void OnKillFocus(HWND next);
    // The mouse capture was taken away (WM_CAPTURECHANGED), by ReleaseCapture or by others.
    virtual void OnCaptureLost();
    virtual bool OnNotify(NMHDR& header, LRESULT& result);
    // A WM_COMMAND not taken by a handler bound with OnClick or OnNotification; true when
    // handled.
    virtual bool OnCommand(int id, int code, HWND control);
    // Everything without a typed handler; false passes it to DefWindowProc.
    virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

    LRESULT DefaultProc(UINT message, WPARAM wParam, LPARAM lParam);

    // The whole WM_COMMAND path: bound handlers, then OnCommand. Forms put their actions and
    // button results around it.
    virtual bool RouteCommand(int id, int code, HWND control);

private:
    static LRESULT CALLBACK StaticWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
    bool DispatchInput(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    void ChangeDpi(int dpi, const RECT& suggested);

    HWND hwnd_ = nullptr;
    int dpi_ = 96;
    bool scaleWithDpi_ = true;
    std::map<std::pair<HWND, WORD>, std::function<void()>> handlers_;
};

// A child control of our own: created in a parent window at the parent's DPI, placed by the
// parent's layout. It never has modal or dialog-key state. It keeps the font it draws with,
// which WM_SETFONT and WM_GETFONT set and tell as for the system's controls.
class Control : public Window {
public:
    // Null for the system's default GUI font.
    HFONT Font() const { return font_; }
    // Repaints with the new font.
    void SetFont(HFONT font);

protected:
    Control() = default;
    // The font to select into a dc for drawing: Font(), or the default GUI font.
    HGDIOBJ DrawingFont() const;
    // WM_SETFONT and WM_GETFONT; a control that handles more messages passes the rest on here.
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    struct Params {
        const wchar_t* className = nullptr;
        std::string name;  // the name Form::Control finds it by
        DWORD style = WS_CHILD | WS_VISIBLE;
        DWORD exStyle = 0;
        int id = 0;
        HBRUSH background = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        HCURSOR cursor = nullptr;
        UINT classStyle = 0;
        HFONT font = nullptr;
    };
    void CreateControl(HWND parent, const Params& params);

private:
    HFONT font_ = nullptr;
};

// What a form needs of the application it belongs to: the owner of its top-level windows, the
// prompter, and the message loop that its modal showings run.
class FormHost {
public:
    // The main window, which owns every other form; null while it is being created.
    virtual HWND MainWindowHandle() const = 0;
    virtual Prompter& GetPrompter() const = 0;
    // One message through the application's path: the hook, the target form's
    // PreTranslateMessage, then translate and dispatch.
    virtual void ProcessMessage(MSG& msg) = 0;
    // The message queue has run dry: commands bring their states up to date.
    virtual void Idle() = 0;
    // The program is ending: modal loops give up.
    virtual bool Terminated() const = 0;

protected:
    ~FormHost() = default;
};

class Form : public Window {
public:
    explicit Form(FormHost& host) : host_(host) {}
    ~Form() override;

    FormHost& Host() const { return host_; }
    // Creates the window and its controls, hidden. Called once by the start-up sequence.
    virtual void CreateForm() = 0;
    // The creation handler, called right after CreateForm; a failure in it is reported and
    // start-up goes on.
    virtual void FormCreate() {}

    // Shows the form modally and returns when its ModalResult is set or it closes (Cancel).
    // Meanwhile every other window of the program is disabled; Enter presses the default
    // button, Esc the cancel button, Tab moves the focus. Call it through the prompter.
    ModalResult ShowModal();
    bool IsModal() const { return modal_; }
    ModalResult GetModalResult() const { return modalResult_; }
    // Setting anything but None ends a modal showing.
    void SetModalResult(ModalResult result) { modalResult_ = result; }

    // Seen by the message loop for every message bound for this form or one of its controls,
    // before it is dispatched; true means it was handled (not dispatched). Runs the shortcuts
    // of the action list and, while modal or with dialog keys on, Enter, Esc and Tab.
    virtual bool PreTranslateMessage(MSG& msg);

    // The form's commands: their shortcuts are its accelerators, and the WM_COMMAND ids of its
    // actions and menu items run them.
    ActionList& Actions() { return actions_; }

    // The control given this name (through the layout or NameControl), anywhere in the form;
    // null when there is none.
    HWND Control(std::string_view name) const;

    // The number of the help page of this form (0: none); F1 shows it.
    int HelpContext() const { return helpContext_; }
    void SetHelpContext(int context) { helpContext_ = context; }

    // A tooltip for control (of this form, in any panel), shown when the mouse rests on it.
    void SetHint(HWND control, std::wstring hint);
    std::wstring HintOf(HWND control) const;

    // Drops a popup menu down through the prompter (Prompter::ShowPopupMenu) and returns the
    // chosen command id, or 0. The hints are put away while it is open: the tooltip of the
    // button that opened it would otherwise stay over the menu.
    int DropMenu(HMENU menu, POINT at, UINT flags);

protected:
    // The owner of this form's window: the main window (null for the main window itself).
    HWND Owner() const { return host_.MainWindowHandle(); }

    // Dialog keys: Enter clicks the default button (unless the focused control wants Enter),
    // Esc the cancel button (or cancels the modal showing when there is none).
    void SetDefaultButton(HWND button) { defaultButton_ = button; }
    void SetCancelButton(HWND button) { cancelButton_ = button; }
    // A click on button sets this ModalResult (after its bound handler ran).
    void SetButtonResult(HWND button, ModalResult result) { buttonResults_[button] = result; }
    // Tab/Enter/Esc handled the dialog way even when not shown modally.
    void SetDialogKeys(bool on) { dialogKeys_ = on; }
    // Where the keyboard starts when a modal showing begins with the focus outside the form;
    // without one, at the first control in the Tab order.
    void SetInitialFocus(HWND control) { initialFocus_ = control; }

    // Closing a modal form ends the showing with Cancel; closing any other form hides it.
    void OnClose() override;
    void OnActivate(bool active) override;
    bool RouteCommand(int id, int code, HWND control) override;

private:
    bool HandleDialogKey(MSG& msg);
    void ClickButton(HWND button);

    FormHost& host_;
    ActionList actions_;
    bool modal_ = false;
    bool dialogKeys_ = false;
    ModalResult modalResult_ = ModalResult::None;
    HWND defaultButton_ = nullptr;
    HWND cancelButton_ = nullptr;
    HWND lastFocus_ = nullptr;
    HWND initialFocus_ = nullptr;
    std::map<HWND, ModalResult> buttonResults_;
    HWND tooltip_ = nullptr;
    std::map<HWND, std::wstring> hints_;
    int helpContext_ = 0;
};

// The whole text of a window or control (an edit's text, a button's caption).
std::u16string WindowText(HWND window);

// Names of controls, kept on the window itself so that a form finds its controls wherever they
// sit (panels included). The names are those of the window designs: "btnOK", "sgTable".
void NameControl(HWND control, std::string_view name);
std::string_view ControlName(HWND control);
// The first window named name among root's descendants (depth first), or null.
HWND FindNamedControl(HWND root, std::string_view name);

// The help page number of a control (0: none, the form's own counts), kept on the window.
void SetControlHelpContext(HWND control, int context);
int ControlHelpContext(HWND control);

}  // namespace palimp
