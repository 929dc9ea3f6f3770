#include "scene/suspension.h"

#include <exception>

namespace trembla {

namespace {

// Best-effort host calls: the quiet state is a convenience, and a host lacking one of these must
// not stop the work it brackets. The time slider is left alone: with redraw suspended it costs
// nothing, and showing it again afterwards would undo an animator's choice to hide it.
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
    if (mode) ignoring_failure([&] { host.set_evaluation_mode("off"); });
}

void unsuspend(Host& host, const std::optional<std::string>& saved_mode) {
    host.refresh_suspend(false);
    if (saved_mode && !saved_mode->empty()) {
        ignoring_failure([&] { host.set_evaluation_mode(*saved_mode); });
    }
}

}  // namespace trembla
