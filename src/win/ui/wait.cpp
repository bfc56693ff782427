// The responsive wait.
#include "win/ui/wait.h"

#include "core/errors.h"
#include "win/ui/window.h"

namespace palimp {

void WaitMs(int ms, FormHost& host) {
    Check(ms >= 1, unit::kUuFunctions, 117);
    Check(ms <= 60000, unit::kUuFunctions, 118);
    const DWORD start = GetTickCount();
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(msg.wParam));  // the outer loop must see it too
                return;
            }
            host.ProcessMessage(msg);
        }
        if (host.Terminated()) return;
        const DWORD now = GetTickCount();
        if (now < start) return;  // the counter wrapped around
        const DWORD elapsed = now - start;
        if (elapsed >= static_cast<DWORD>(ms)) return;
        // Asleep until a message arrives or the time is up.
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(ms) - elapsed, QS_ALLINPUT);
    }
}

}  // namespace palimp
