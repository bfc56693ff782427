// Routing of uncaught failures to the installed handler.
#include "win/ui/failure.h"

#include <windows.h>

#include "core/errors.h"
#include "win/system/wide.h"

namespace palimp {

namespace {

FailureHandler& Installed() {
    static FailureHandler handler;
    return handler;
}

void Report(const Exception& failure) noexcept {
    try {
        if (Installed()) {
            // A copy: the handler may install another one while it runs.
            FailureHandler handler = Installed();
            handler(failure);
            return;
        }
        if (dynamic_cast<const EAbort*>(&failure)) return;
        MessageBoxW(nullptr, AsWide(failure.Message().c_str()), L"Palimp", MB_OK | MB_ICONERROR);
    } catch (...) {
        // The handler itself failed; there is nobody left to tell.
    }
}

}  // namespace

FailureHandler SetFailureHandler(FailureHandler handler) {
    FailureHandler previous = std::move(Installed());
    Installed() = std::move(handler);
    return previous;
}

void HandleFailure(const std::exception& failure) noexcept {
    if (auto* own = dynamic_cast<const Exception*>(&failure)) {
        Report(*own);
        return;
    }
    try {
        // A library failure (bad_alloc, out_of_range...) reaches the user with its text.
        Report(Exception(FromUtf8(failure.what())));
    } catch (...) {
    }
}

void HandleUnknownFailure() noexcept {
    try {
        Report(Exception(u"Unknown failure"));
    } catch (...) {
    }
}

}  // namespace palimp
