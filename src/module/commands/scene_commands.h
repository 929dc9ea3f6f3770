// The window's scene commands (pick camera/source, prepare, update, reset, bake) over the module's
// host and preparation record.
#pragma once

#include "pyhost/py_compat.h"
#include "ui/window_context.h"

namespace trembla::ext {

// Fills the scene commands of `context`. `module` is borrowed: the module outlives every window.
void install_scene_commands(WindowContext& context, PyObject* module);

}  // namespace trembla::ext
