// Screen scaling: the forced DPI of the tests, per-monitor DPI where the system has it.
#include "win/ui/dpi.h"

#include <cwchar>

namespace palimp::dpi {

int Forced() {
    wchar_t value[16] = {};
    DWORD length = GetEnvironmentVariableW(L"PALIMP_FORCE_DPI", value, 16);
    if (length == 0 || length >= 16) return 0;
    long dpi = std::wcstol(value, nullptr, 10);
    // Below 100 % or beyond 400 % is a typo, not a screen.
    return (dpi >= 96 && dpi <= 384) ? static_cast<int>(dpi) : 0;
}

int System() {
    if (int forced = Forced()) return forced;
    HDC screen = GetDC(nullptr);
    int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : kDesign;
    if (screen) ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : kDesign;
}

int ForWindow(HWND hwnd) {
    if (int forced = Forced()) return forced;
    // GetDpiForWindow exists from Windows 10 1607 on; looked up at run time so that the program
    // still starts on older systems.
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = reinterpret_cast<GetDpiForWindowFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    if (getDpiForWindow && hwnd) {
        UINT dpi = getDpiForWindow(hwnd);
        if (dpi > 0) return static_cast<int>(dpi);
    }
    return System();
}

int Scale(int length96, int dpi) { return MulDiv(length96, dpi, kDesign); }

int Unscale(int length, int dpi) { return MulDiv(length, kDesign, dpi > 0 ? dpi : kDesign); }

int PointsToHeight(int points, int dpi) { return -MulDiv(points, dpi, 72); }

}  // namespace palimp::dpi
