// Where failures caught at the border of Win32 code go: window procedures, the message loop and
// the start-up sequence hand them to the failure handler that the application installs.
#pragma once

#include <exception>
#include <functional>

namespace palimp {

class Exception;

// The handler of uncaught failures; returns the one it replaces. Without a handler, the silent
// abort is dropped and every other failure shows a plain error message box.
using FailureHandler = std::function<void(const Exception&)>;
FailureHandler SetFailureHandler(FailureHandler handler);

// Reports a failure to the handler (a plain error box when none is installed). Never throws.
void HandleFailure(const std::exception& failure) noexcept;
// The same for a failure that is not a std::exception.
void HandleUnknownFailure() noexcept;

// Runs action; a failure in it is reported and swallowed.
template <typename Action>
void RunGuarded(Action&& action) noexcept {
    try {
        action();
    } catch (const std::exception& failure) {
        HandleFailure(failure);
    } catch (...) {
        HandleUnknownFailure();
    }
}

}  // namespace palimp
