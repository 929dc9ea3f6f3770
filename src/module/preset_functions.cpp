#include "module/preset_functions.h"

namespace trembla::ext {

void register_preset_functions(PyObject* /*module*/) {}

}  // namespace trembla::ext
