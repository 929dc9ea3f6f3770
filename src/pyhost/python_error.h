// A Python exception carried through C++ code: raised by a host command (or by reading its
// answer), it travels as a HostError and is handed back to Python unchanged at the module edge.
#pragma once

#include <memory>
#include <string>

#include "pyhost/py_ref.h"
#include "scene/host.h"

namespace trembla::py {

// Keeps the caller's pending Python error (if any) out of the way of the calls made meanwhile,
// and sets it again on the way out, whatever those calls left set.
class PendingErrorSaver {
public:
    PendingErrorSaver() noexcept { PyErr_Fetch(&type_, &value_, &traceback_); }
    ~PendingErrorSaver() {
        PyErr_Clear();
        PyErr_Restore(type_, value_, traceback_);
    }
    PendingErrorSaver(const PendingErrorSaver&) = delete;
    PendingErrorSaver& operator=(const PendingErrorSaver&) = delete;

private:
    PyObject* type_ = nullptr;
    PyObject* value_ = nullptr;
    PyObject* traceback_ = nullptr;
};

class PythonError : public HostError {
public:
    // Takes the pending Python exception (normalised, traceback attached); the error indicator is
    // clear afterwards. Without a pending exception a SystemError stands in.
    static PythonError fetch();

    // Sets the Python error indicator to the carried exception. The object is empty afterwards.
    void restore() noexcept;

    // True when the carried exception is an instance of `exception_type` (or a subclass).
    bool matches(PyObject* exception_type) const noexcept;

    PyObject* type() const noexcept { return exception_->type; }
    PyObject* value() const noexcept { return exception_->value; }
    PyObject* traceback() const noexcept { return exception_->traceback; }

private:
    // The exception's three references. Copies of the error share them, so copying or destroying
    // an error (which C++ does behind the scenes, e.g. for an exception_ptr) needs no Python call;
    // the last owner releases them holding the GIL, because a Qt handler may drop the error on the
    // host's event loop where nobody holds it.
    struct Exception {
        PyObject* type = nullptr;
        PyObject* value = nullptr;
        PyObject* traceback = nullptr;
        ~Exception();
    };

    PythonError(const std::string& message, std::shared_ptr<Exception> carried);

    std::shared_ptr<Exception> exception_;
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
