// What ties a tool window to this module: the context it is built with.
#pragma once

#include "pyhost/py_compat.h"
#include "ui/window_context.h"

namespace trembla::ext {

// Errors of the window's handlers go to the host as a warning (with a Python error's traceback on
// stderr); its parent is the host main window (main_window_access.h); its commands are the scene and
// preset commands over `module`. `module` is borrowed: the module outlives every window.
WindowContext make_window_context(PyObject* module);

}  // namespace trembla::ext
