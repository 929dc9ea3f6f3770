// Module functions of the preset file: get_script_directory, get_preset_file_path,
// validate_preset_data, load_presets, save_presets.
#pragma once

#include "scene/py_compat.h"

namespace trembla::ext {

void register_preset_functions(PyObject* module);

}  // namespace trembla::ext
