// The Qt for Python binding of this build's own Qt generation (PySide2 with shiboken2 on Qt 5,
// PySide6 with shiboken6 on Qt 6) as scripts see it: `QtCore`, `QtGui`, `QtWidgets`,
// `wrapInstance` and `PYSIDE_VERSION`. The window is C++, so the binding is optional: a name
// that cannot be imported is None. The other generation's binding is never imported: it would
// load a second Qt into the host.
#pragma once

#include <cstdint>
#include <optional>

#include "pyhost/py_ref.h"

namespace trembla::ext {

// Loading step: binds the four binding names (each None on an ImportError; any other error fails
// the import) and PYSIDE_VERSION (2 or 6, the build's Qt generation).
void register_qt_binding(PyObject* module);

// wrapInstance(address, QtWidgets.<qt_class>) through the module's current `wrapInstance` and
// `QtWidgets`; an empty PyRef when either is None. Errors of the call are thrown.
py::PyRef wrap_address(PyObject* module, std::uintptr_t address, const char* qt_class);

// The C++ address behind a binding object (shiboken's getCppPointer); nothing when the binding
// is not loaded or `obj` is not an instance of QtWidgets.QWidget.
std::optional<std::uintptr_t> widget_address(PyObject* module, PyObject* obj);

// An address handed over by the binding or the host (shiboken answers a long on Python 2 and an
// int on 3) as a number of full pointer width; the Python error is thrown.
std::uintptr_t address_from_python(PyObject* obj);

// An address as a Python integer of full pointer width (a long on Python 2).
py::PyRef address_to_python(std::uintptr_t address);

}  // namespace trembla::ext
