// Qt calls our slots and event handlers from its event loop, which must never see a C++ exception:
// inside the host application an exception crossing the loop terminates the whole host. Every
// entry point from Qt therefore runs its body through run_guarded.
#pragma once

#include <exception>
#include <functional>
#include <utility>

namespace trembla {

// Receives an exception caught at a Qt entry point. Called from inside the catch block.
using ErrorReporter = std::function<void(const std::exception_ptr&)>;

// Runs body; any exception it throws goes to report (if set), otherwise it is dropped. Nothing leaves,
// not even a failure of the reporter itself.
template <class Body>
void run_guarded(const ErrorReporter& report, Body&& body) noexcept {
    try {
        std::forward<Body>(body)();
    } catch (...) {
        if (report) {
            try {
                report(std::current_exception());
            } catch (...) {
                // The reporter is the last resort; a failure there has nowhere left to go.
            }
        }
    }
}

}  // namespace trembla
