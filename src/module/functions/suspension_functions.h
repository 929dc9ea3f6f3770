// Module functions suspend() and unsuspend(): the quiet viewport around long scene edits, with
// the saved evaluation mode kept in the module attribute `_original_eval_mode`.
#pragma once

#include "pyhost/py_compat.h"

namespace trembla::ext {

void register_suspension_functions(PyObject* module);

}  // namespace trembla::ext
