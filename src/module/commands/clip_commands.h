// The window's clip commands: the clip list on SETUP filled from the clip files and the built-in
// profiles, a clip chosen and shown in the preview before anything is prepared, and the prepared
// shake saved as a clip.
#pragma once

#include <optional>
#include <string>

#include "pyhost/py_compat.h"
#include "ui/window_context.h"

namespace trembla::ext {

class WindowCommand;

// Fills the clip commands of `context`. `module` is borrowed: the module outlives every window.
void install_clip_commands(WindowContext& context, PyObject* module);

// The preview of the window's chosen clip while nothing is prepared (the live shake's preview
// stays otherwise); cleared when the object is chosen. Runs host calls, inside a command.
void show_clip_before_prepare(PyObject* module, WindowCommand& command);

// The clip list again, the window's choice (_source_clip) selected, as module.list_clips offers
// it. Runs Python, inside a command.
void fill_clip_list(PyObject* module, WindowCommand& command);

}  // namespace trembla::ext
