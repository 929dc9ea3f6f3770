// The window's preset commands (save, load, delete, refresh the list) and the settings snapshot as
// Python sees it.
#pragma once

#include "presets/preset_json.h"
#include "pyhost/py_ref.h"
#include "ui/window_context.h"

namespace trembla::ext {

// Fills the preset commands of `context`. `module` is borrowed: the module outlives every window.
void install_preset_commands(WindowContext& context, PyObject* module);

// The settings snapshot of the window's controls, as a new Python dict.
py::PyRef current_settings(TremblaToolWindow& window);

// The members of a script's preset record that applying reads, as JSON. Converting runs the
// record's own Python code (a key's __eq__ during lookup), so it comes before the window is used.
PresetJson preset_record_from_python(PyObject* preset_data);

// Sets the window's controls from a preset record through their ordinary setters, so their own
// signals re-apply a prepared shake. WindowGone when the window goes while the controls are set.
void apply_settings(PyObject* module, TremblaToolWindow& window, const PresetJson& preset_record);

}  // namespace trembla::ext
