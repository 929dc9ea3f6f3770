// A Python exception carried through C++ code: raised by a host command (or by reading its
// answer), it travels as a HostError and is handed back to Python unchanged at the module edge.
#pragma once

#include <string>

#include "scene/host.h"
#include "scene/py_ref.h"

namespace trembla::py {

class PythonError : public HostError {
public:
    // Takes the pending Python exception (normalised, traceback attached); the error indicator is
    // clear afterwards. Without a pending exception a SystemError stands in.
    static PythonError fetch();

    // Sets the Python error indicator to the carried exception. The object is empty afterwards.
    void restore() noexcept;

    // True when the carried exception is an instance of `exception_type` (or a subclass).
    bool matches(PyObject* exception_type) const noexcept;

    PyObject* type() const noexcept { return type_.get(); }
    PyObject* value() const noexcept { return value_.get(); }
    PyObject* traceback() const noexcept { return traceback_.get(); }

private:
    PythonError(const std::string& message, PyRef type, PyRef value, PyRef traceback);

    PyRef type_;
    PyRef value_;
    PyRef traceback_;
};

// Throws the pending Python exception as PythonError.
[[noreturn]] void throw_python_error();

// For C API calls answering a new reference: the reference, or the pending exception thrown.
inline PyRef checked(PyObject* result) {
    if (result == nullptr) {
        throw_python_error();
    }
    return PyRef::steal(result);
}

}  // namespace trembla::py
