// When a long command shows its progress, as module attributes a script (or a test) can set:
// `_progress_delay`, seconds a command runs before the host's progress bar appears, and
// `_progress_interval`, the least seconds between two updates of the bar. Each command reads them
// when it starts.
#pragma once

#include "pyhost/py_compat.h"
#include "scene/host_progress.h"

namespace trembla::ext {

// Loading step: `_progress_delay` = 0.5, `_progress_interval` = 0.1.
void register_progress_timing(PyObject* module);

// The two attributes as they are now; one that is missing, or is not a finite number of seconds
// of at least 0, counts as its default.
ProgressTiming progress_timing(PyObject* module);

}  // namespace trembla::ext
