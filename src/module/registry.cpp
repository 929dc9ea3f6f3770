#include "module/registry.h"

#include "pyhost/python_error.h"

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

py::PyRef module_attr(PyObject* module, const char* name) { return py::checked(PyObject_GetAttrString(module, name)); }

PyTypeObject static_type(const char* name, Py_ssize_t basicsize) {
    PyTypeObject type{};
    // A static type must never see its count reach zero.
#if TREMBLA_PY3
    type.ob_base.ob_base.ob_refcnt = 1;
#else
    type.ob_refcnt = 1;
#endif
    type.tp_name = name;
    type.tp_basicsize = basicsize;
    return type;
}

}  // namespace trembla::ext
