// How the parts of the module add themselves while it loads. module.cpp runs one ModulePart per
// unit in loading order; a unit adds its functions with add_functions and its values with
// set_module_attr. Parts report failure by throwing (see errors.h); the import then fails.
#pragma once

#include "pyhost/py_ref.h"

namespace trembla::ext {

using ModulePart = void (*)(PyObject* module);

// Adds each entry of `functions` (ended by an entry with a null name) as a module function whose
// `self` is the module. The table must outlive the module (static storage).
void add_functions(PyObject* module, PyMethodDef* functions);

// module.<name> = value (a new binding replaces the old one).
void set_module_attr(PyObject* module, const char* name, PyObject* value);

// module.<name>, a new reference; AttributeError (as PythonError) when missing.
py::PyRef module_attr(PyObject* module, const char* name);

// A static type named `name` whose objects take `basicsize` bytes, with the head
// PyVarObject_HEAD_INIT would give it; the caller fills in the slots before PyType_Ready.
PyTypeObject static_type(const char* name, Py_ssize_t basicsize);

}  // namespace trembla::ext

// PyMethodDef wants every function as PyCFunction; one taking keywords is cast through void(*)()
// (the documented way to store a PyCFunctionWithKeywords there, without a cast warning).
#define TREMBLA_KEYWORDS_FUNCTION(function) reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(function))
