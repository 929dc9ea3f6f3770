// The user's entry points: show() opens the tool window, reset_state() forgets the module state.
#pragma once

#include "pyhost/py_compat.h"

namespace trembla::ext {

// Loading step (the last): reset_state and show.
void register_entry_functions(PyObject* module);

}  // namespace trembla::ext
