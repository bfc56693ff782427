// The shared window procedure with its typed dispatch, controls, forms with their modal
// showing and dialog keys, and control names.
#include "win/ui/window.h"

#include <windows.h>
#include <windowsx.h>
#include <commctrl.h>

#include <algorithm>
#include <deque>
#include <vector>

#include "core/errors.h"
#include "win/resources/resource_ids.h"
#include "win/ui/busy_cursor.h"
#include "win/ui/dpi.h"
#include "win/ui/failure.h"
#include "win/ui/prompter.h"

namespace palimp {

namespace {

// The window property that marks a window as one of ours and points at its object.
constexpr wchar_t kObjectProperty[] = L"PalimpWindow";
// The window property that holds a control's name (a pointer into the name pool).
constexpr wchar_t kNameProperty[] = L"PalimpName";
// The window property that holds a control's help context.
constexpr wchar_t kHelpProperty[] = L"PalimpHelpContext";

void RegisterWindowClass(const WindowParams& params, WNDPROC procedure) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW existing = {sizeof(existing)};
    if (GetClassInfoExW(instance, params.className, &existing)) return;
    WNDCLASSEXW wc = {sizeof(wc)};
    wc.style = params.classStyle;
    wc.lpfnWndProc = procedure;
    wc.hInstance = instance;
    wc.hCursor = params.cursor ? params.cursor : LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = params.background;
    wc.lpszClassName = params.className;
    // A missing icon resource leaves the default icon; nothing else depends on it.
    wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_PALIMP));
    wc.hIconSm = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_PALIMP), IMAGE_ICON,
                                               GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
    if (!RegisterClassExW(&wc)) throw EAssertionFailed(u"Cannot register a window class");
}

bool HasClass(HWND hwnd, const wchar_t* className) {
    wchar_t name[32] = {};
    return hwnd && GetClassNameW(hwnd, name, 32) && lstrcmpiW(name, className) == 0;
}

// Whether the focused control takes Enter itself (a multi-line edit that wants returns).
bool WantsEnter(HWND focus, MSG& msg) {
    if (!focus) return false;
    if (HasClass(focus, L"Edit")) {
        LONG style = GetWindowLongW(focus, GWL_STYLE);
        return (style & ES_MULTILINE) && (style & ES_WANTRETURN);
    }
    LRESULT code = SendMessageW(focus, WM_GETDLGCODE, VK_RETURN, reinterpret_cast<LPARAM>(&msg));
    return (code & (DLGC_WANTALLKEYS | DLGC_WANTMESSAGE)) != 0;
}

bool IsPushButton(HWND hwnd) {
    if (!HasClass(hwnd, L"Button")) return false;
    LONG type = GetWindowLongW(hwnd, GWL_STYLE) & BS_TYPEMASK;
    return type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON;
}

// Esc closes an open drop-down list instead of the window.
bool IsDroppedCombo(HWND focus) {
    for (HWND w = focus; w; w = GetParent(w)) {
        if (HasClass(w, L"ComboBox")) return SendMessageW(w, CB_GETDROPPEDSTATE, 0, 0) != 0;
        if (!(GetWindowLongW(w, GWL_STYLE) & WS_CHILD)) break;
    }
    return false;
}

BOOL CALLBACK CollectEnabledWindows(HWND hwnd, LPARAM lParam) {
    auto* windows = reinterpret_cast<std::vector<HWND>*>(lParam);
    if (IsWindowVisible(hwnd) && IsWindowEnabled(hwnd)) windows->push_back(hwnd);
    return TRUE;
}

BOOL CALLBACK CollectChildObjects(HWND hwnd, LPARAM lParam) {
    if (Window* window = Window::FromHandle(hwnd)) reinterpret_cast<std::vector<Window*>*>(lParam)->push_back(window);
    return TRUE;
}

MouseEvent MouseAt(WPARAM wParam, LPARAM lParam) {
    return {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam), static_cast<UINT>(GET_KEYSTATE_WPARAM(wParam))};
}

// The scroll position a thumb drag has reached, with all 32 bits (the message carries 16).
int TrackPosition(HWND hwnd, int bar, HWND control) {
    SCROLLINFO info = {sizeof(info), SIF_TRACKPOS};
    if (control) {
        GetScrollInfo(control, SB_CTL, &info);
    } else {
        GetScrollInfo(hwnd, bar, &info);
    }
    return info.nTrackPos;
}

// Names live as long as the process: windows point at them.
const std::string* PooledName(std::string_view name) {
    static std::deque<std::string> pool;
    for (const std::string& existing : pool)
        if (existing == name) return &existing;
    return &pool.emplace_back(name);
}

struct NameSearch {
    std::string_view name;
    HWND found = nullptr;
};

BOOL CALLBACK FindNamed(HWND hwnd, LPARAM lParam) {
    auto* search = reinterpret_cast<NameSearch*>(lParam);
    if (ControlName(hwnd) != search->name) return TRUE;
    search->found = hwnd;
    return FALSE;
}

}  // namespace

// ---- Window ----------------------------------------------------------------------------

Window::Window() = default;

Window::~Window() {
    if (hwnd_) {
        // The derived object is gone: let the default procedure see the last messages.
        RemovePropW(hwnd_, kObjectProperty);
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        DestroyWindow(hwnd_);
    }
}

Window* Window::FromHandle(HWND hwnd) {
    return hwnd ? static_cast<Window*>(GetPropW(hwnd, kObjectProperty)) : nullptr;
}

int Window::Scale(int length96) const { return dpi::Scale(length96, dpi_); }

void Window::CreateWindowHandle(const WindowParams& params) {
    RegisterWindowClass(params, StaticWndProc);
    scaleWithDpi_ = params.scaleWithDpi;
    bool child = (params.style & WS_CHILD) != 0;
    if (!scaleWithDpi_) {
        dpi_ = dpi::kDesign;
    } else if (child && FromHandle(params.parent)) {
        dpi_ = FromHandle(params.parent)->Dpi();
    } else {
        dpi_ = dpi::System();
    }
    bool clientSized = params.clientWidth > 0 && params.clientHeight > 0;
    RECT outer = {0, 0, Scale(params.outerWidth), Scale(params.outerHeight)};
    if (clientSized) {
        outer = {0, 0, Scale(params.clientWidth), Scale(params.clientHeight)};
        if (!child) AdjustWindowRectEx(&outer, params.style, params.menu != nullptr, params.exStyle);
    }
    HWND created = CreateWindowExW(params.exStyle, params.className, params.caption.c_str(), params.style & ~WS_VISIBLE,
                                   child ? 0 : CW_USEDEFAULT, child ? 0 : CW_USEDEFAULT, outer.right - outer.left,
                                   outer.bottom - outer.top, params.parent, params.menu, GetModuleHandleW(nullptr), this);
    if (!created) throw EAssertionFailed(u"Cannot create a window");
    if (child) return;
    if (!clientSized) {
        if (params.centerOnScreen) CenterOnScreen();
        return;
    }

    // The frame and the menu bar are not the same size everywhere (Wine draws its own): make
    // the client area exactly the designed size.
    RECT client;
    GetClientRect(hwnd_, &client);
    RECT window;
    GetWindowRect(hwnd_, &window);
    int width = (window.right - window.left) + Scale(params.clientWidth) - client.right;
    int height = (window.bottom - window.top) + Scale(params.clientHeight) - client.bottom;
    SetWindowPos(hwnd_, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (params.centerOnScreen) CenterOnScreen();
}

void Window::Show() { ShowWindow(hwnd_, SW_SHOW); }

void Window::Hide() { ShowWindow(hwnd_, SW_HIDE); }

bool Window::IsVisible() const { return hwnd_ && IsWindowVisible(hwnd_); }

std::wstring Window::Caption() const {
    int length = GetWindowTextLengthW(hwnd_);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(hwnd_, text.data(), length + 1)));
    return text;
}

void Window::SetCaption(std::wstring_view caption) { SetWindowTextW(hwnd_, std::wstring(caption).c_str()); }

void Window::Close() { SendMessageW(hwnd_, WM_CLOSE, 0, 0); }

void Window::CenterOnScreen() {
    RECT window;
    GetWindowRect(hwnd_, &window);
    MONITORINFO monitor = {sizeof(monitor)};
    GetMonitorInfoW(MonitorFromWindow(hwnd_, MONITOR_DEFAULTTOPRIMARY), &monitor);
    const RECT& work = monitor.rcWork;
    int width = window.right - window.left;
    int height = window.bottom - window.top;
    int x = work.left + ((work.right - work.left) - width) / 2;
    int y = work.top + ((work.bottom - work.top) - height) / 2;
    SetWindowPos(hwnd_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Window::OnClick(HWND control, std::function<void()> handler) { OnNotification(control, BN_CLICKED, std::move(handler)); }

void Window::OnNotification(HWND control, WORD code, std::function<void()> handler) {
    handlers_[{control, code}] = std::move(handler);
}

void Window::UnbindControl(HWND control) {
    std::erase_if(handlers_, [control](const auto& entry) { return entry.first.first == control; });
}

void Window::OnSize(int, int) {}
void Window::OnClose() { Hide(); }
void Window::OnDpiChanged(int) {}
void Window::OnActivate(bool) {}
void Window::OnTimer(UINT_PTR) {}
bool Window::OnSetCursor(HWND, int) { return false; }
bool Window::OnPaint(HDC, const RECT&) { return false; }
bool Window::OnEraseBackground(HDC) { return false; }
HBRUSH Window::OnControlColour(UINT, HWND, HDC) { return nullptr; }
bool Window::OnDrawItem(const DRAWITEMSTRUCT&) { return false; }
void Window::OnGetMinMaxInfo(MINMAXINFO&) {}
void Window::OnDropFiles(HDROP) {}
void Window::OnMouseDown(MouseButton, const MouseEvent&) {}
void Window::OnMouseUp(MouseButton, const MouseEvent&) {}
void Window::OnMouseMove(const MouseEvent&) {}
void Window::OnDoubleClick(MouseButton, const MouseEvent&) {}
bool Window::OnMouseWheel(int, const MouseEvent&) { return false; }
bool Window::OnKeyDown(UINT, unsigned) { return false; }
bool Window::OnChar(wchar_t) { return false; }
void Window::OnVScroll(int, int, HWND) {}
void Window::OnHScroll(int, int, HWND) {}
std::optional<LRESULT> Window::OnGetDlgCode(const MSG*) { return std::nullopt; }
void Window::OnSetFocus(HWND) {}
void Window::OnKillFocus(HWND) {}
void Window::OnCaptureLost() {}
bool Window::OnNotify(NMHDR&, LRESULT&) { return false; }
bool Window::OnCommand(int, int, HWND) { return false; }
bool Window::OnMessage(UINT, WPARAM, LPARAM, LRESULT&) { return false; }

LRESULT Window::DefaultProc(UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(hwnd_, message, wParam, lParam);
}

bool Window::RouteCommand(int id, int code, HWND control) {
    if (control) {
        auto handler = handlers_.find({control, static_cast<WORD>(code)});
        if (handler != handlers_.end()) {
            // A copy: the handler may rebind itself.
            std::function<void()> run = handler->second;
            if (run) run();
            return true;
        }
    }
    return OnCommand(id, code, control);
}

LRESULT CALLBACK Window::StaticWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Window* self = nullptr;
    if (message == WM_NCCREATE) {
        self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        SetPropW(hwnd, kObjectProperty, self);
    } else {
        self = reinterpret_cast<Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    }
    if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);

    if (message == WM_NCDESTROY) {
        RemovePropW(hwnd, kObjectProperty);
        RemovePropW(hwnd, kNameProperty);
        RemovePropW(hwnd, kHelpProperty);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    // Exceptions must not unwind into the system's frames (MinGW's DWARF unwinder cannot cross
    // them): every failure ends here and goes to the failure handler.
    try {
        return self->Dispatch(message, wParam, lParam);
    } catch (const std::exception& failure) {
        HandleFailure(failure);
    } catch (...) {
        HandleUnknownFailure();
    }
    return message == WM_NCCREATE ? TRUE : 0;
}

bool Window::DispatchInput(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    result = 0;
    switch (message) {
        case WM_LBUTTONDOWN: OnMouseDown(MouseButton::Left, MouseAt(wParam, lParam)); return true;
        case WM_RBUTTONDOWN: OnMouseDown(MouseButton::Right, MouseAt(wParam, lParam)); return true;
        case WM_MBUTTONDOWN: OnMouseDown(MouseButton::Middle, MouseAt(wParam, lParam)); return true;
        case WM_LBUTTONUP: OnMouseUp(MouseButton::Left, MouseAt(wParam, lParam)); return true;
        case WM_RBUTTONUP: OnMouseUp(MouseButton::Right, MouseAt(wParam, lParam)); break;  // the context menu
        case WM_MBUTTONUP: OnMouseUp(MouseButton::Middle, MouseAt(wParam, lParam)); return true;
        case WM_LBUTTONDBLCLK: OnDoubleClick(MouseButton::Left, MouseAt(wParam, lParam)); return true;
        case WM_RBUTTONDBLCLK: OnDoubleClick(MouseButton::Right, MouseAt(wParam, lParam)); return true;
        case WM_MBUTTONDBLCLK: OnDoubleClick(MouseButton::Middle, MouseAt(wParam, lParam)); return true;
        case WM_MOUSEMOVE: OnMouseMove(MouseAt(wParam, lParam)); return true;
        case WM_MOUSEWHEEL: {
            // The wheel's position comes in screen coordinates.
            POINT at = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            ScreenToClient(hwnd_, &at);
            MouseEvent mouse = {at.x, at.y, static_cast<UINT>(GET_KEYSTATE_WPARAM(wParam))};
            return OnMouseWheel(GET_WHEEL_DELTA_WPARAM(wParam), mouse);
        }
        case WM_KEYDOWN: return OnKeyDown(static_cast<UINT>(wParam), Shortcut::HeldModifiers());
        case WM_CHAR: return OnChar(static_cast<wchar_t>(wParam));
        case WM_VSCROLL:
        case WM_HSCROLL: {
            HWND bar = reinterpret_cast<HWND>(lParam);
            int code = LOWORD(wParam);
            bool vertical = message == WM_VSCROLL;
            int track = TrackPosition(hwnd_, vertical ? SB_VERT : SB_HORZ, bar);
            if (vertical) {
                OnVScroll(code, track, bar);
            } else {
                OnHScroll(code, track, bar);
            }
            return true;
        }
        case WM_GETDLGCODE: {
            std::optional<LRESULT> code = OnGetDlgCode(reinterpret_cast<const MSG*>(lParam));
            if (!code) return false;
            result = *code;
            return true;
        }
        case WM_SETFOCUS: OnSetFocus(reinterpret_cast<HWND>(wParam)); return true;
        case WM_KILLFOCUS: OnKillFocus(reinterpret_cast<HWND>(wParam)); return true;
        case WM_CAPTURECHANGED: OnCaptureLost(); return true;
        default: return false;
    }
    return false;
}

LRESULT Window::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (DispatchInput(message, wParam, lParam, result)) return result;
    switch (message) {
        case WM_CREATE:
            OnCreate();
            return 0;
        case WM_COMMAND: {
            bool handled = RouteCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
            return handled ? 0 : DefaultProc(message, wParam, lParam);
        }
        case WM_NOTIFY:
            if (OnNotify(*reinterpret_cast<NMHDR*>(lParam), result)) return result;
            return DefaultProc(message, wParam, lParam);
        case WM_SIZE:
            OnSize(LOWORD(lParam), HIWORD(lParam));
            return 0;
        case WM_CLOSE:
            if (OnCloseQuery()) OnClose();
            return 0;
        case WM_DESTROY:
            OnDestroy();
            return 0;
        case WM_DPICHANGED:
            if (scaleWithDpi_ && !dpi::Forced()) ChangeDpi(HIWORD(wParam), *reinterpret_cast<RECT*>(lParam));
            return 0;
        case WM_ACTIVATE: {
            // After the default handling, which puts the focus on the window itself, so that a
            // form can hand it on to the control that had it.
            result = DefaultProc(message, wParam, lParam);
            OnActivate(LOWORD(wParam) != WA_INACTIVE);
            return result;
        }
        case WM_TIMER:
            OnTimer(wParam);
            return 0;
        case WM_SETCURSOR:
            // While the program works (a busy scope is open), the hourglass over all of it.
            if (BusyCursor::Active()) {
                BusyCursor::Show();
                return TRUE;
            }
            if (OnSetCursor(reinterpret_cast<HWND>(wParam), static_cast<short>(LOWORD(lParam)))) return TRUE;
            return DefaultProc(message, wParam, lParam);
        case WM_PAINT: {
            PAINTSTRUCT paint;
            HDC dc = BeginPaint(hwnd_, &paint);
            OnPaint(dc, paint.rcPaint);
            EndPaint(hwnd_, &paint);
            return 0;
        }
        case WM_PRINTCLIENT: {
            RECT client;
            GetClientRect(hwnd_, &client);
            // The ground first when asked for, as the screen gets it from WM_ERASEBKGND.
            if (lParam & PRF_ERASEBKGND) SendMessageW(hwnd_, WM_ERASEBKGND, wParam, 0);
            if (OnPaint(reinterpret_cast<HDC>(wParam), client)) return 0;
            return DefaultProc(message, wParam, lParam);
        }
        case WM_ERASEBKGND:
            if (OnEraseBackground(reinterpret_cast<HDC>(wParam))) return 1;
            return DefaultProc(message, wParam, lParam);
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORLISTBOX:
            if (HBRUSH brush = OnControlColour(message, reinterpret_cast<HWND>(lParam), reinterpret_cast<HDC>(wParam)))
                return reinterpret_cast<LRESULT>(brush);
            return DefaultProc(message, wParam, lParam);
        case WM_DRAWITEM:
            return OnDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)) ? TRUE : FALSE;
        case WM_GETMINMAXINFO:
            OnGetMinMaxInfo(*reinterpret_cast<MINMAXINFO*>(lParam));
            return 0;
        case WM_NEXTDLGCTL: {
            // Sent by multi-line edits for Tab in dialog mode; DefWindowProc ignores it, and
            // the focus order is the whole window's, panels included.
            HWND root = GetAncestor(hwnd_, GA_ROOT);
            HWND target = LOWORD(lParam) ? reinterpret_cast<HWND>(wParam)
                                         : GetNextDlgTabItem(root, GetFocus(), wParam != 0);
            if (target) SetFocus(target);
            return 0;
        }
        case WM_DROPFILES:
            OnDropFiles(reinterpret_cast<HDROP>(wParam));
            return 0;
        default:
            if (OnMessage(message, wParam, lParam, result)) return result;
            return DefaultProc(message, wParam, lParam);
    }
}

void Window::ChangeDpi(int newDpi, const RECT& suggested) {
    std::vector<Window*> children;
    EnumChildWindows(hwnd_, CollectChildObjects, reinterpret_cast<LPARAM>(&children));
    dpi_ = newDpi;
    for (Window* child : children) child->dpi_ = newDpi;
    OnDpiChanged(newDpi);
    for (Window* child : children) child->OnDpiChanged(newDpi);
    SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

// ---- Control ---------------------------------------------------------------------------

void Control::CreateControl(HWND parent, const Params& params) {
    CreateWindowHandle({.className = params.className,
                        .style = params.style | WS_CHILD,
                        .exStyle = params.exStyle,
                        .parent = parent,
                        .menu = reinterpret_cast<HMENU>(static_cast<INT_PTR>(params.id)),
                        .background = params.background,
                        .cursor = params.cursor,
                        .classStyle = params.classStyle});
    font_ = params.font;
    if (!params.name.empty()) NameControl(Handle(), params.name);
    // CreateWindowHandle leaves windows hidden; a visible control is shown at once.
    if (params.style & WS_VISIBLE) ShowWindow(Handle(), SW_SHOWNA);
}

void Control::SetFont(HFONT font) {
    font_ = font;
    if (Handle()) InvalidateRect(Handle(), nullptr, FALSE);
}

HGDIOBJ Control::DrawingFont() const { return font_ ? font_ : GetStockObject(DEFAULT_GUI_FONT); }

bool Control::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
        case WM_SETFONT:
            font_ = reinterpret_cast<HFONT>(wParam);
            if (LOWORD(lParam)) InvalidateRect(Handle(), nullptr, FALSE);
            result = 0;
            return true;
        case WM_GETFONT: result = reinterpret_cast<LRESULT>(font_); return true;
        default: return false;
    }
}

// ---- Form ------------------------------------------------------------------------------

Form::~Form() {
    if (tooltip_) DestroyWindow(tooltip_);
}

ModalResult Form::ShowModal() {
    if (modal_ || IsVisible()) throw Exception(u"Cannot make a visible window modal");
    HWND previousActive = GetActiveWindow();
    // Every other window of the program is disabled while this one is up.
    std::vector<HWND> disabled;
    EnumThreadWindows(GetCurrentThreadId(), CollectEnabledWindows, reinterpret_cast<LPARAM>(&disabled));
    std::erase(disabled, Handle());
    for (HWND hwnd : disabled) EnableWindow(hwnd, FALSE);

    modal_ = true;
    modalResult_ = ModalResult::None;
    ShowWindow(Handle(), SW_SHOW);
    SetForegroundWindow(Handle());
    SetActiveWindow(Handle());
    // The keyboard starts in the window: at the control that had the focus last time, or else
    // at the first one in the Tab order.
    if (!IsChild(Handle(), GetFocus())) {
        HWND first = initialFocus_ ? initialFocus_ : GetNextDlgTabItem(Handle(), nullptr, FALSE);
        if (first) SetFocus(first);
    }
    while (modalResult_ == ModalResult::None && Handle() && !host_.Terminated()) {
        MSG msg;
        if (!PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) host_.Idle();
        BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got <= 0) {
            PostQuitMessage(static_cast<int>(msg.wParam));  // the outer loop must see it too
            break;
        }
        host_.ProcessMessage(msg);
    }
    ModalResult result = modalResult_ == ModalResult::None ? ModalResult::Cancel : modalResult_;

    // Enable the others before hiding, so that activation goes back to the program.
    for (HWND hwnd : disabled)
        if (IsWindow(hwnd)) EnableWindow(hwnd, TRUE);
    if (previousActive && IsWindow(previousActive)) SetActiveWindow(previousActive);
    if (Handle()) ShowWindow(Handle(), SW_HIDE);
    modal_ = false;
    return result;
}

bool Form::PreTranslateMessage(MSG& msg) {
    if (actions_.HandleShortcut(msg)) return true;
    if (modal_ || dialogKeys_) return HandleDialogKey(msg);
    return false;
}

HWND Form::Control(std::string_view name) const { return FindNamedControl(Handle(), name); }

void Form::SetHint(HWND control, std::wstring hint) {
    if (!tooltip_) {
        tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                                   CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, Handle(), nullptr,
                                   GetModuleHandleW(nullptr), nullptr);
    }
    std::wstring& text = hints_[control];
    text = std::move(hint);
    if (!tooltip_) return;  // hints are a nicety; the program works without them
    TTTOOLINFOW tool = {sizeof(tool)};
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = GetParent(control);
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = text.data();
    SendMessageW(tooltip_, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

int Form::DropMenu(HMENU menu, POINT at, UINT flags) {
    if (tooltip_) {
        SendMessageW(tooltip_, TTM_POP, 0, 0);
        SendMessageW(tooltip_, TTM_ACTIVATE, FALSE, 0);
    }
    int command = host_.GetPrompter().ShowPopupMenu(Handle(), menu, at, flags);
    if (tooltip_) SendMessageW(tooltip_, TTM_ACTIVATE, TRUE, 0);
    return command;
}

std::wstring Form::HintOf(HWND control) const {
    auto it = hints_.find(control);
    return it == hints_.end() ? std::wstring() : it->second;
}

void Form::OnClose() {
    if (modal_) {
        SetModalResult(ModalResult::Cancel);
    } else {
        Hide();
    }
}

void Form::OnActivate(bool active) {
    // The control that had the focus gets it back when the form is active again (after a
    // dialog, a message box, another program).
    HWND focus = GetFocus();
    if (!active) {
        if (focus && IsChild(Handle(), focus)) lastFocus_ = focus;
        return;
    }
    if (!IsIconic(Handle()) && lastFocus_ && IsWindow(lastFocus_) && IsChild(Handle(), lastFocus_) &&
        IsWindowVisible(lastFocus_) && IsWindowEnabled(lastFocus_)) {
        SetFocus(lastFocus_);
    }
}

bool Form::RouteCommand(int id, int code, HWND control) {
    // Menus (no control), accelerators and toolbar buttons carry command ids.
    bool command = !control || code == BN_CLICKED;
    if (command && actions_.Dispatch(id)) return true;
    bool handled = Window::RouteCommand(id, code, control);
    auto result = buttonResults_.find(control);
    if (code == BN_CLICKED && control && result != buttonResults_.end()) {
        SetModalResult(result->second);
        handled = true;
    }
    return handled;
}

void Form::ClickButton(HWND button) {
    // WM_COMMAND straight to the button's parent: BM_CLICK would fake mouse input, which fails
    // for a window that is not in the foreground.
    SendMessageW(GetParent(button), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
                 reinterpret_cast<LPARAM>(button));
}

bool Form::HandleDialogKey(MSG& msg) {
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_RETURN) {
        HWND focus = GetFocus();
        if (WantsEnter(focus, msg)) return false;
        if (IsPushButton(focus) && IsChild(Handle(), focus)) {
            ClickButton(focus);
        } else if (defaultButton_ && IsWindowEnabled(defaultButton_) && IsWindowVisible(defaultButton_)) {
            ClickButton(defaultButton_);
        }
        return true;
    }
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE) {
        if (IsDroppedCombo(GetFocus())) return false;
        if (cancelButton_ && IsWindowEnabled(cancelButton_)) {
            ClickButton(cancelButton_);
        } else if (modal_) {
            SetModalResult(ModalResult::Cancel);
        }
        return true;
    }
    // Tab, arrows and access keys the dialog way.
    return IsDialogMessageW(Handle(), &msg) != FALSE;
}

std::u16string WindowText(HWND window) {
    int length = GetWindowTextLengthW(window);
    std::u16string text(static_cast<size_t>(length), u'\0');
    if (length > 0) {
        int copied = GetWindowTextW(window, reinterpret_cast<wchar_t*>(text.data()), length + 1);
        text.resize(static_cast<size_t>(std::max(copied, 0)));
    }
    return text;
}

// ---- Names -----------------------------------------------------------------------------

void NameControl(HWND control, std::string_view name) {
    SetPropW(control, kNameProperty, const_cast<std::string*>(PooledName(name)));
}

std::string_view ControlName(HWND control) {
    auto* name = static_cast<const std::string*>(GetPropW(control, kNameProperty));
    return name ? std::string_view(*name) : std::string_view();
}

void SetControlHelpContext(HWND control, int context) {
    SetPropW(control, kHelpProperty, reinterpret_cast<HANDLE>(static_cast<INT_PTR>(context)));
}

int ControlHelpContext(HWND control) {
    return static_cast<int>(reinterpret_cast<INT_PTR>(GetPropW(control, kHelpProperty)));
}

HWND FindNamedControl(HWND root, std::string_view name) {
    if (!root || name.empty()) return nullptr;
    NameSearch search{name};
    EnumChildWindows(root, FindNamed, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

}  // namespace palimp
