#include "module/binding/qt_binding.h"

#include "module/registry.h"
#include "pyhost/python_error.h"
#include "ui/qt_generation.h"

namespace trembla::ext {

using py::checked;
using py::PyRef;

namespace {

static_assert(PYSIDE_VERSION == 2 || PYSIDE_VERSION == 6, "a binding exists for Qt 5 and Qt 6 only");
constexpr const char* kQtCore = PYSIDE_VERSION == 6 ? "PySide6.QtCore" : "PySide2.QtCore";
constexpr const char* kQtGui = PYSIDE_VERSION == 6 ? "PySide6.QtGui" : "PySide2.QtGui";
constexpr const char* kQtWidgets = PYSIDE_VERSION == 6 ? "PySide6.QtWidgets" : "PySide2.QtWidgets";
constexpr const char* kShiboken = PYSIDE_VERSION == 6 ? "shiboken6" : "shiboken2";

// The imported module, or None when it cannot be imported. Only an ImportError means "not here";
// a binding that is present but broken fails the load with its own error.
PyRef import_or_none(const char* name) {
    PyRef imported = PyRef::steal(PyImport_ImportModule(name));
    if (imported) {
        return imported;
    }
    py::PythonError error = py::PythonError::fetch();
    if (!error.matches(PyExc_ImportError)) {
        throw error;
    }
    return PyRef::borrow(Py_None);
}

PyRef shiboken_function_or_none(const char* function) {
    PyRef shiboken = import_or_none(kShiboken);
    if (shiboken.get() == Py_None) {
        return shiboken;
    }
    return checked(PyObject_GetAttrString(shiboken.get(), function));
}

}  // namespace

void register_qt_binding(PyObject* module) {
    set_module_attr(module, "QtCore", import_or_none(kQtCore).get());
    set_module_attr(module, "QtGui", import_or_none(kQtGui).get());
    set_module_attr(module, "QtWidgets", import_or_none(kQtWidgets).get());
    set_module_attr(module, "wrapInstance", shiboken_function_or_none("wrapInstance").get());
    PyRef version = checked(py::integer(PYSIDE_VERSION));
    set_module_attr(module, "PYSIDE_VERSION", version.get());
}

std::uintptr_t address_from_python(PyObject* obj) {
    PyRef number = checked(PyNumber_Long(obj));
#if !TREMBLA_PY3
    if (PyInt_Check(number.get())) {  // long() of an int-like object may stay a plain int on Python 2
        number = checked(PyLong_FromLong(PyInt_AS_LONG(number.get())));
    }
#endif
    const unsigned long long value = PyLong_AsUnsignedLongLong(number.get());
    if (value == static_cast<unsigned long long>(-1) && PyErr_Occurred()) {
        py::throw_python_error();
    }
    return static_cast<std::uintptr_t>(value);
}

PyRef address_to_python(std::uintptr_t address) {
    static_assert(sizeof(unsigned long long) >= sizeof(std::uintptr_t), "an address must fit");
    return checked(PyLong_FromUnsignedLongLong(static_cast<unsigned long long>(address)));
}

PyRef wrap_address(PyObject* module, std::uintptr_t address, const char* qt_class) {
    PyRef wrap_instance = module_attr(module, "wrapInstance");
    PyRef qt_widgets = module_attr(module, "QtWidgets");
    if (wrap_instance.get() == Py_None || qt_widgets.get() == Py_None) {
        return PyRef();
    }
    PyRef cls = checked(PyObject_GetAttrString(qt_widgets.get(), qt_class));
    PyRef address_obj = address_to_python(address);
    return checked(PyObject_CallFunctionObjArgs(wrap_instance.get(), address_obj.get(), cls.get(), nullptr));
}

std::optional<std::uintptr_t> widget_address(PyObject* module, PyObject* obj) {
    PyRef qt_widgets = module_attr(module, "QtWidgets");
    if (qt_widgets.get() == Py_None) {
        return std::nullopt;
    }
    PyRef widget_class = checked(PyObject_GetAttrString(qt_widgets.get(), "QWidget"));
    const int is_widget = PyObject_IsInstance(obj, widget_class.get());
    if (is_widget < 0) {
        py::throw_python_error();
    }
    PyRef get_cpp_pointer = shiboken_function_or_none("getCppPointer");
    if (is_widget == 0 || get_cpp_pointer.get() == Py_None) {
        return std::nullopt;
    }
    PyRef pointers = checked(PyObject_CallFunctionObjArgs(get_cpp_pointer.get(), obj, nullptr));
    PyRef first = checked(PySequence_GetItem(pointers.get(), 0));
    return address_from_python(first.get());
}

}  // namespace trembla::ext
