// Termination on POSIX systems: a handler that only calls async-signal-safe functions.
#include <signal.h>

#include "os/file_replace.h"
#include "os/termination.h"

namespace palimp::os {

namespace {

void EndBySignal(int signal) {
    RemoveUnfinishedFiles();
    // Ended by the signal itself, so that a shell running us in a loop stops too.
    struct sigaction fallback = {};
    fallback.sa_handler = SIG_DFL;
    sigemptyset(&fallback.sa_mask);
    sigaction(signal, &fallback, nullptr);
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, signal);
    sigprocmask(SIG_UNBLOCK, &only, nullptr);
    raise(signal);
}

}  // namespace

void RemoveUnfinishedFilesOnTermination() {
    // Beyond the file size limit a write then fails with EFBIG, which the writer reports and
    // cleans up after like a full disk, instead of the process ending with its files left.
    struct sigaction ignore = {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    sigaction(SIGXFSZ, &ignore, nullptr);
    for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) {
        struct sigaction previous;
        if (sigaction(signal, nullptr, &previous) != 0 || previous.sa_handler == SIG_IGN) continue;
        struct sigaction action = {};
        action.sa_handler = EndBySignal;
        sigemptyset(&action.sa_mask);
        // The other termination signals wait while one handler cleans up.
        for (int other : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) sigaddset(&action.sa_mask, other);
        sigaction(signal, &action, nullptr);
    }
}

}  // namespace palimp::os
