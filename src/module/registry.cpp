#include "module/registry.h"

#include "scene/python_error.h"

namespace trembla::ext {

void add_functions(PyObject* module, PyMethodDef* functions) {
    py::PyRef module_name = module_attr(module, "__name__");
    for (PyMethodDef* def = functions; def->ml_name != nullptr; ++def) {
        py::PyRef function = py::checked(PyCFunction_NewEx(def, module, module_name.get()));
        set_module_attr(module, def->ml_name, function.get());
    }
}

void set_module_attr(PyObject* module, const char* name, PyObject* value) {
    if (PyObject_SetAttrString(module, name, value) < 0) {
        py::throw_python_error();
    }
}

py::PyRef module_attr(PyObject* module, const char* name) {
    return py::checked(PyObject_GetAttrString(module, name));
}

}  // namespace trembla::ext
