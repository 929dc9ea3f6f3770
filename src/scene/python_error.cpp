#include "scene/python_error.h"

#include <utility>

namespace trembla::py {

namespace {

// str(value) as the C++ message. On Python 2 str() of a unicode message can fail to encode, so
// unicode() is tried next; the type's name is the last resort.
std::string describe(PyObject* type, PyObject* value) {
    std::string text;
    if (value != nullptr) {
        PyRef str = PyRef::steal(PyObject_Str(value));
        if (str && text_to_utf8(str.get(), text)) {
            return text;
        }
        PyErr_Clear();
#if !TREMBLA_PY3
        PyRef uni = PyRef::steal(PyObject_Unicode(value));
        if (uni && text_to_utf8(uni.get(), text)) {
            return text;
        }
        PyErr_Clear();
#endif
    }
    if (type != nullptr && PyType_Check(type)) {
        return reinterpret_cast<PyTypeObject*>(type)->tp_name;
    }
    return "Python error";
}

}  // namespace

PythonError::PythonError(const std::string& message, PyRef type, PyRef value, PyRef traceback)
    : HostError(message), type_(std::move(type)), value_(std::move(value)), traceback_(std::move(traceback)) {}

PythonError PythonError::fetch() {
    if (!PyErr_Occurred()) {
        PyErr_SetString(PyExc_SystemError, "a host call failed without setting an exception");
    }
    PyObject* type = nullptr;
    PyObject* value = nullptr;
    PyObject* traceback = nullptr;
    PyErr_Fetch(&type, &value, &traceback);
    PyErr_NormalizeException(&type, &value, &traceback);
#if TREMBLA_PY3
    if (traceback != nullptr && value != nullptr && PyExceptionInstance_Check(value)) {
        PyException_SetTraceback(value, traceback);
    }
#endif
    PyRef type_ref = PyRef::steal(type);
    PyRef value_ref = PyRef::steal(value);
    PyRef traceback_ref = PyRef::steal(traceback);
    std::string message = describe(type, value);
    return PythonError(message, std::move(type_ref), std::move(value_ref), std::move(traceback_ref));
}

void PythonError::restore() noexcept {
    if (!type_) {
        PyErr_SetString(PyExc_SystemError, "a Python exception was handed back twice");
        return;
    }
    PyErr_Restore(type_.release(), value_.release(), traceback_.release());
}

bool PythonError::matches(PyObject* exception_type) const noexcept {
    return type_ && PyErr_GivenExceptionMatches(type_.get(), exception_type) != 0;
}

void throw_python_error() { throw PythonError::fetch(); }

}  // namespace trembla::py
