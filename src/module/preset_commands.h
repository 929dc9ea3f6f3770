// The window's preset commands (save, load, delete, refresh the list) and the settings snapshot as
// Python sees it.
#pragma once

#include "scene/py_ref.h"
#include "ui/window_context.h"

namespace trembla::ext {

// Fills the preset commands of `context`. `module` is borrowed: the module outlives every window.
void install_preset_commands(WindowContext& context, PyObject* module);

// The settings snapshot of the window's controls, as a new Python dict.
py::PyRef current_settings(TremblaToolWindow& window);

// Sets the window's controls from a preset record (a Python mapping) through their ordinary
// setters, so their own signals re-apply a prepared shake.
void apply_settings(PyObject* module, TremblaToolWindow& window, PyObject* preset_data);

}  // namespace trembla::ext
