// The shared window procedure, modal showing and dialog keys.
#include "win/window.h"

#include <windows.h>
#include <commctrl.h>

#include <vector>

#include "core/errors.h"
#include "win/actions.h"
#include "win/app.h"
#include "win/dpi.h"
#include "win/failure.h"
#include "win/resources/resource_ids.h"

namespace palimp {

namespace {

// The window property that marks a window as one of ours and points at its object.
constexpr wchar_t kObjectProperty[] = L"PalimpWindow";

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

}  // namespace

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

ModalResult Window::ShowModal() {
    if (modal_ || IsVisible()) throw Exception(u"Cannot make a visible window modal");
    HWND previousActive = GetActiveWindow();
    // Every other window of the program is disabled while this one is up.
    std::vector<HWND> disabled;
    EnumThreadWindows(GetCurrentThreadId(), CollectEnabledWindows, reinterpret_cast<LPARAM>(&disabled));
    std::erase(disabled, hwnd_);
    for (HWND hwnd : disabled) EnableWindow(hwnd, FALSE);

    modal_ = true;
    modalResult_ = ModalResult::None;
    ShowWindow(hwnd_, SW_SHOW);
    SetForegroundWindow(hwnd_);
    SetActiveWindow(hwnd_);
    // The keyboard starts in the window: at the control that had the focus last time, or else
    // at the first one in the Tab order.
    if (!IsChild(hwnd_, GetFocus())) {
        if (HWND first = GetNextDlgTabItem(hwnd_, nullptr, FALSE)) SetFocus(first);
    }
    Application* app = Application::Current();
    while (modalResult_ == ModalResult::None && hwnd_ && !(app && app->Terminated())) {
        MSG msg;
        if (app && !PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) app->Idle();
        BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got <= 0) {
            PostQuitMessage(static_cast<int>(msg.wParam));  // the outer loop must see it too
            break;
        }
        if (app) {
            app->ProcessMessage(msg);
        } else if (!PreTranslateMessage(msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    ModalResult result = modalResult_ == ModalResult::None ? ModalResult::Cancel : modalResult_;

    // Enable the others before hiding, so that activation goes back to the program.
    for (HWND hwnd : disabled)
        if (IsWindow(hwnd)) EnableWindow(hwnd, TRUE);
    if (previousActive && IsWindow(previousActive)) SetActiveWindow(previousActive);
    if (hwnd_) ShowWindow(hwnd_, SW_HIDE);
    modal_ = false;
    return result;
}

void Window::SetDefaultButton(HWND button) { defaultButton_ = button; }

void Window::SetCancelButton(HWND button) { cancelButton_ = button; }

void Window::SetButtonResult(HWND button, ModalResult result) { buttonResults_[button] = result; }

bool Window::PreTranslateMessage(MSG& msg) {
    if (actions_ && actions_->HandleShortcut(msg)) return true;
    if (modal_ || dialogKeys_) return HandleDialogKey(msg);
    return false;
}

void Window::ClickButton(HWND button) {
    // WM_COMMAND straight to the button's parent: BM_CLICK would fake mouse input, which fails
    // for a window that is not in the foreground.
    SendMessageW(GetParent(button), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
                 reinterpret_cast<LPARAM>(button));
}

bool Window::HandleDialogKey(MSG& msg) {
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_RETURN) {
        HWND focus = GetFocus();
        if (WantsEnter(focus, msg)) return false;
        if (IsPushButton(focus) && IsChild(hwnd_, focus)) {
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
    return IsDialogMessageW(hwnd_, &msg) != FALSE;
}

bool Window::OnCommand(int, int, HWND) { return false; }

bool Window::OnNotify(NMHDR&, LRESULT&) { return false; }

void Window::OnSize(int, int) {}

void Window::OnClose() {
    if (modal_) {
        SetModalResult(ModalResult::Cancel);
    } else {
        Hide();
    }
}

void Window::OnDpiChanged(int) {}

void Window::OnActivate(bool) {}

void Window::OnTimer(UINT_PTR) {}

bool Window::OnSetCursor(HWND, int) { return false; }

bool Window::OnPaint(HDC, const RECT&) { return false; }

void Window::OnGetMinMaxInfo(MINMAXINFO&) {}

void Window::OnDropFiles(HDROP) {}

bool Window::OnMessage(UINT, WPARAM, LPARAM, LRESULT&) { return false; }

LRESULT Window::DefaultProc(UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(hwnd_, message, wParam, lParam);
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
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    // Exceptions must not unwind into the system's frames (MinGW's DWARF unwinder cannot cross
    // them): every failure ends here and goes to the application's handler.
    try {
        return self->Dispatch(message, wParam, lParam);
    } catch (const std::exception& failure) {
        HandleFailure(failure);
    } catch (...) {
        HandleUnknownFailure();
    }
    return message == WM_NCCREATE ? TRUE : 0;
}

LRESULT Window::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            OnCreate();
            return 0;
        case WM_COMMAND: {
            int id = LOWORD(wParam);
            int code = HIWORD(wParam);
            HWND control = reinterpret_cast<HWND>(lParam);
            // Menus (no control), accelerators and toolbar buttons carry command ids.
            bool command = !control || code == BN_CLICKED;
            if (command && actions_ && actions_->Dispatch(id)) return 0;
            bool handled = OnCommand(id, code, control);
            auto result = buttonResults_.find(control);
            if (code == BN_CLICKED && control && result != buttonResults_.end()) {
                SetModalResult(result->second);
                handled = true;
            }
            return handled ? 0 : DefaultProc(message, wParam, lParam);
        }
        case WM_NOTIFY: {
            LRESULT result = 0;
            if (OnNotify(*reinterpret_cast<NMHDR*>(lParam), result)) return result;
            return DefaultProc(message, wParam, lParam);
        }
        case WM_SIZE:
            OnSize(LOWORD(lParam), HIWORD(lParam));
            return 0;
        case WM_CLOSE:
            if (OnCloseQuery()) OnClose();
            return 0;
        case WM_DESTROY:
            OnDestroy();
            return 0;
        case WM_DPICHANGED: {
            if (!scaleWithDpi_ || dpi::Forced()) return 0;
            int newDpi = HIWORD(wParam);
            std::vector<Window*> children;
            EnumChildWindows(hwnd_, CollectChildObjects, reinterpret_cast<LPARAM>(&children));
            dpi_ = newDpi;
            for (Window* child : children) child->dpi_ = newDpi;
            OnDpiChanged(newDpi);
            for (Window* child : children) child->OnDpiChanged(newDpi);
            const RECT& suggested = *reinterpret_cast<RECT*>(lParam);
            SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                         suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
            return 0;
        }
        case WM_ACTIVATE: {
            bool active = LOWORD(wParam) != WA_INACTIVE;
            OnActivate(active);
            // The control that had the focus gets it back when the window is active again
            // (after a dialog, a message box, another program); DefWindowProc would give it
            // to the window itself.
            if (!active) {
                HWND focus = GetFocus();
                if (focus && IsChild(hwnd_, focus)) lastFocus_ = focus;
                return DefaultProc(message, wParam, lParam);
            }
            if (!HIWORD(wParam) && lastFocus_ && IsWindow(lastFocus_) && IsChild(hwnd_, lastFocus_) &&
                IsWindowVisible(lastFocus_) && IsWindowEnabled(lastFocus_)) {
                SetFocus(lastFocus_);
                return 0;
            }
            return DefaultProc(message, wParam, lParam);
        }
        case WM_TIMER:
            OnTimer(wParam);
            return 0;
        case WM_SETCURSOR:
            if (OnSetCursor(reinterpret_cast<HWND>(wParam), static_cast<short>(LOWORD(lParam)))) return TRUE;
            return DefaultProc(message, wParam, lParam);
        case WM_PAINT: {
            PAINTSTRUCT paint;
            HDC dc = BeginPaint(hwnd_, &paint);
            OnPaint(dc, paint.rcPaint);
            EndPaint(hwnd_, &paint);
            return 0;
        }
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
        default: {
            LRESULT result = 0;
            if (OnMessage(message, wParam, lParam, result)) return result;
            return DefaultProc(message, wParam, lParam);
        }
    }
}

}  // namespace palimp
