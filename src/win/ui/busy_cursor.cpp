// The shared hourglass of all busy scopes.
#include "win/ui/busy_cursor.h"

namespace palimp {

namespace {

// One GUI thread: the scopes open now, and the cursor shown before the first of them.
int openScopes = 0;
HCURSOR cursorBefore = nullptr;

BOOL CALLBACK PaintNow(HWND window, LPARAM) {
    if (IsWindowVisible(window)) RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    return TRUE;
}

// Before the work, what a closed dialog or menu uncovered is painted, in every window of the
// program, and the window now under the pointer takes the hourglass. The system reports both
// through events still in transit (under Wine, X events: the pointer's crossing into the window
// the dialog covered, the exposed parts); one look at the queue lets them in, removing and
// dispatching nothing but messages other threads send.
void Settle() {
    MSG pending;
    PeekMessageW(&pending, nullptr, 0, 0, PM_NOREMOVE | PM_NOYIELD);
    EnumThreadWindows(GetCurrentThreadId(), PaintNow, 0);
    // The window under the pointer is told as a mouse move would tell it: each of ours answers
    // with the hourglass while a scope is open.
    POINT pointer = {};
    if (!GetCursorPos(&pointer)) return;
    HWND under = WindowFromPoint(pointer);
    if (under && GetWindowThreadProcessId(under, nullptr) == GetCurrentThreadId()) {
        SendMessageW(under, WM_SETCURSOR, reinterpret_cast<WPARAM>(under), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    }
}

}  // namespace

BusyCursor::BusyCursor() {
    HCURSOR shown = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    if (openScopes++ == 0) {
        cursorBefore = shown;
        Settle();
    }
}

BusyCursor::~BusyCursor() {
    if (--openScopes == 0) SetCursor(cursorBefore);
}

bool BusyCursor::Active() { return openScopes > 0; }

void BusyCursor::Show() { SetCursor(LoadCursorW(nullptr, IDC_WAIT)); }

}  // namespace palimp
