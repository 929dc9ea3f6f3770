// Quiet host state for long scene edits: no viewport redraw, evaluation off; the time slider
// stays as the animator has it.
// Callers pair suspend() with unsuspend() in a clean-up that runs on success and failure alike,
// and call suspend() before their protected block (it can fail without needing unsuspend).
#pragma once

#include <optional>
#include <string>

#include "scene/host.h"

namespace trembla {

// Saves the evaluation mode into `saved_mode` before anything else, so the saved mode is there even
// when suspending redraw then fails; that failure propagates. A mode that cannot be read (or reads
// empty) leaves `saved_mode` empty and the mode unchanged. A failing mode switch is ignored.
void suspend(Host& host, std::optional<std::string>& saved_mode);

// Resumes redraw (a failure propagates) and, when `saved_mode` holds a
// non-empty name, switches the evaluation mode back to it (a failure ignored).
void unsuspend(Host& host, const std::optional<std::string>& saved_mode);

}  // namespace trembla
