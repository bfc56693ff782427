// Program entry: runs the start-up sequence and the message loop.
#include <windows.h>

#include "core/errors.h"
#include "win/app.h"
#include "win/ui/prompter.h"
#include "win/system/wide.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    palimp::Win32Prompter prompter;
    try {
        palimp::Application app(prompter, GetCommandLineW());
        app.Initialize();
        return app.Run();
    } catch (const palimp::Exception& failure) {
        // Only a main window that cannot be created ends up here.
        MessageBoxW(nullptr, palimp::AsWide(failure.Message().c_str()), L"Palimp", MB_OK | MB_ICONERROR);
        return 1;
    }
}
