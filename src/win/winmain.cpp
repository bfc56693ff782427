// Program entry: runs the start-up sequence and the message loop.
#include <windows.h>

#include "core/errors.h"
#include "core/matching.h"
#include "core/product.h"

namespace {

LRESULT CALLBACK MainWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

void ShowPlainError(const palimp::Exception& e) {
    MessageBoxW(nullptr, reinterpret_cast<const wchar_t*>(e.Message().c_str()), L"Palimp", MB_OK | MB_ICONERROR);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    try {
        palimp::MatchingSelfTest();
    } catch (const palimp::Exception& e) {
        ShowPlainError(e);
    }

    WNDCLASSEXW wc = {sizeof(wc)};
    wc.lpfnWndProc = MainWindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = L"TFormMain";
    RegisterClassExW(&wc);

    HWND hwnd = CreateWindowExW(0, L"TFormMain", L"Untitled - Palimp 1.2 Free", WS_OVERLAPPEDWINDOW,
                                CW_USEDEFAULT, CW_USEDEFAULT, 625, 450, nullptr, nullptr, instance, nullptr);
    ShowWindow(hwnd, showCommand);

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}
