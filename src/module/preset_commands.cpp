#include "module/preset_commands.h"

#include "scene/py_compat.h"

namespace trembla::ext {

void install_preset_commands(WindowContext& /*context*/, PyObject* /*module*/) {}

py::PyRef current_settings(TremblaToolWindow& /*window*/) { return py::PyRef::steal(PyDict_New()); }

void apply_settings(PyObject* /*module*/, TremblaToolWindow& /*window*/, PyObject* /*preset_data*/) {}

}  // namespace trembla::ext
