#include "pyhost/python_error.h"

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

PythonError::Exception::~Exception() {
    if (type == nullptr && value == nullptr && traceback == nullptr) {
        return;
    }
    // After the interpreter is gone there is nothing left to release them to.
    if (!Py_IsInitialized()) {
        return;
    }
    const PyGILState_STATE gil = PyGILState_Ensure();
    Py_XDECREF(type);
    Py_XDECREF(value);
    Py_XDECREF(traceback);
    PyGILState_Release(gil);
}

PythonError::PythonError(const std::string& message, std::shared_ptr<Exception> carried)
    : HostError(message), exception_(std::move(carried)) {}

PythonError PythonError::fetch() {
    auto exception = std::make_shared<Exception>();  // before taking the references it will own
    if (!PyErr_Occurred()) {
        PyErr_SetString(PyExc_SystemError, "a host call failed without setting an exception");
    }
    PyErr_Fetch(&exception->type, &exception->value, &exception->traceback);
    PyErr_NormalizeException(&exception->type, &exception->value, &exception->traceback);
#if TREMBLA_PY3
    if (exception->traceback != nullptr && exception->value != nullptr && PyExceptionInstance_Check(exception->value)) {
        PyException_SetTraceback(exception->value, exception->traceback);
    }
#endif
    std::string message = describe(exception->type, exception->value);
    return PythonError(message, std::move(exception));
}

void PythonError::restore() noexcept {
    if (exception_->type == nullptr) {
        PyErr_SetString(PyExc_SystemError, "a Python exception was handed back twice");
        return;
    }
    PyErr_Restore(std::exchange(exception_->type, nullptr), std::exchange(exception_->value, nullptr),
                  std::exchange(exception_->traceback, nullptr));
}

bool PythonError::matches(PyObject* exception_type) const noexcept {
    return exception_->type != nullptr && PyErr_GivenExceptionMatches(exception_->type, exception_type) != 0;
}

void throw_python_error() { throw PythonError::fetch(); }

}  // namespace trembla::py
