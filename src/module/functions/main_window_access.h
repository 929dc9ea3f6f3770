// The host's main window, the parent of the tool window: as a module function for scripts and
// as a plain QWidget* for the C++ window. Both ask maya.OpenMayaUI.MQtUtil.mainWindow(), keep every
// bit of the pointer, answer nothing in batch mode, and on any failure issue exactly one warning
// "Trembla: Could not get Maya main window: {}" and answer nothing.
#pragma once

#include "pyhost/py_compat.h"

class QWidget;

namespace trembla::ext {

// Loading step: the module function get_maya_main_window().
void register_main_window_access(PyObject* module);

// The host main window as a widget of this process, or nullptr (batch mode, or after the warning).
// A pointer that is not one of the application's widgets counts as a failure rather than being
// trusted. Takes the GIL; never throws.
QWidget* host_main_window_widget(PyObject* module) noexcept;

}  // namespace trembla::ext
