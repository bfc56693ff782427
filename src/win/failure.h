// Where failures caught at the border of Win32 code go: window procedures, the message loop and
// the start-up sequence hand them to the running application's failure handler.
#pragma once

#include <exception>

namespace palimp {

// Reports a failure to the application's handler (a plain error box when none is running).
// Never throws.
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
