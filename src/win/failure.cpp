// Routing of uncaught failures to the application's handler.
#include "win/failure.h"

#include <windows.h>

#include "core/errors.h"
#include "win/app.h"
#include "win/wide.h"

namespace palimp {

namespace {

void Report(const Exception& failure) noexcept {
    try {
        if (Application* app = Application::Current()) {
            app->HandleException(failure);
            return;
        }
        if (dynamic_cast<const EAbort*>(&failure)) return;
        MessageBoxW(nullptr, AsWide(failure.Message().c_str()), L"Palimp", MB_OK | MB_ICONERROR);
    } catch (...) {
        // The handler itself failed; there is nobody left to tell.
    }
}

}  // namespace

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
