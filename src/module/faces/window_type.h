// `TremblaToolWindow` as Python sees it: an object that holds a QPointer to the C++ window and
// offers the window's commands, a few QDialog calls and its controls (control_proxy.h) as
// attributes. It never owns the window: the window lives until Qt deletes it (its parent goes, or
// the next window replaces it); a call after that raises RuntimeError("The window has been
// deleted.").
// window_type.cpp keeps the one type whole, past 400 lines: most of it is the type's two tables
// (methods with their docstrings, the controls as attributes), each entry next to the call it makes.
#pragma once

#include "pyhost/py_ref.h"

class QWidget;

namespace trembla {
class TremblaToolWindow;
}

namespace trembla::ext {

// Loading step: binds the type as `TremblaToolWindow`, with its class constants WINDOW_TITLE and
// WINDOW_OBJECT. Calling the type builds a window (not shown), as show() does.
void register_window_type(PyObject* module);

// A new window under `parent` (nullptr: the host main window, or none), not shown, as its Python
// object. Makes the QApplication first when there is none. Any earlier window of the tool is closed
// and scheduled for deletion by the window itself.
py::PyRef create_window(PyObject* module, QWidget* parent = nullptr);

// The C++ window behind a window object; RuntimeError when Qt has deleted it.
TremblaToolWindow& live_window(PyObject* window_object);

}  // namespace trembla::ext
