// Termination on Windows: the console's control handler runs on a thread of its own.
#include <windows.h>

#include <csignal>

#include "os/file_replace.h"
#include "os/termination.h"

namespace palimp::os {

namespace {

BOOL WINAPI EndByEvent(DWORD event) {
    int signal;
    switch (event) {
    case CTRL_C_EVENT: signal = SIGINT; break;
    case CTRL_BREAK_EVENT: signal = SIGBREAK; break;
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT: signal = 1; break;  // as SIGHUP
    default: return FALSE;
    }
    RemoveUnfinishedFiles();
    ExitProcess(static_cast<UINT>(128 + signal));
}

}  // namespace

void RemoveUnfinishedFilesOnTermination() { SetConsoleCtrlHandler(EndByEvent, TRUE); }

}  // namespace palimp::os
