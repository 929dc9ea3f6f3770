#include "scene/suspension.h"

#include <exception>

namespace trembla {

namespace {

// Best-effort host calls: the quiet state is a convenience, and a host lacking one of these
// (batch mode has no time slider) must not stop the work it brackets.
template <class Call>
void ignoring_failure(Call&& call) {
    try {
        call();
    } catch (const std::exception&) {
    }
}

}  // namespace

void suspend(Host& host, std::optional<std::string>& saved_mode) {
    // A mode that cannot be read could not be put back: it is then left as it is, not switched off.
    std::optional<std::string> mode;
    try {
        mode = host.evaluation_mode();
    } catch (const std::exception&) {
    }
    if (mode && mode->empty()) mode.reset();
    saved_mode = mode;
    host.refresh_suspend(true);
    ignoring_failure([&] { host.mel_eval("setTimeSliderVisible 0"); });
    if (mode) ignoring_failure([&] { host.set_evaluation_mode("off"); });
}

void unsuspend(Host& host, const std::optional<std::string>& saved_mode) {
    host.refresh_suspend(false);
    ignoring_failure([&] { host.mel_eval("setTimeSliderVisible 1"); });
    if (saved_mode && !saved_mode->empty()) {
        ignoring_failure([&] { host.set_evaluation_mode(*saved_mode); });
    }
}

}  // namespace trembla
