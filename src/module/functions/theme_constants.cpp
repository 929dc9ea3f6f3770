#include "module/functions/theme_constants.h"

#include "module/registry.h"
#include "pyhost/python_error.h"
#include "ui/theme.h"

namespace trembla::ext {

using py::checked;
using py::PyRef;

namespace {

PyRef text_of(std::string_view utf8) { return checked(py::text(utf8)); }

// Python 2's dict has no order; an OrderedDict (still a dict) keeps the palette's.
PyRef new_ordered_dict() {
#if TREMBLA_PY3
    return checked(PyDict_New());
#else
    PyRef collections = checked(PyImport_ImportModule("collections"));
    PyRef ordered_dict = checked(PyObject_GetAttrString(collections.get(), "OrderedDict"));
    return checked(PyObject_CallFunctionObjArgs(ordered_dict.get(), nullptr));
#endif
}

}  // namespace

void register_theme_constants(PyObject* module) {
    PyRef colors = new_ordered_dict();
    for (const auto& [key, value] : COLORS) {
        if (PyObject_SetItem(colors.get(), text_of(key).get(), text_of(value).get()) < 0) {
            py::throw_python_error();
        }
    }
    set_module_attr(module, "COLORS", colors.get());
    set_module_attr(module, "STYLESHEET", text_of(STYLESHEET()).get());
}

}  // namespace trembla::ext
