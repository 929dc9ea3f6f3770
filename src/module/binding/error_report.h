// How an error inside a window handler reaches the user. Qt calls the handlers, so there is no
// Python caller to raise to: the error is shown the way the host shows an error in a tool's
// handler, and the window carries on.
#pragma once

#include <exception>
#include <string>

#include "core/error_text.h"
#include "pyhost/py_compat.h"

namespace trembla::ext {

// Holds the GIL for a scope. Qt may call into the module from the host's event loop, where the
// host need not hold the GIL on our behalf.
class GilHold {
public:
    GilHold() noexcept : state_(PyGILState_Ensure()) {}
    ~GilHold() { PyGILState_Release(state_); }
    GilHold(const GilHold&) = delete;
    GilHold& operator=(const GilHold&) = delete;

private:
    PyGILState_STATE state_;
};

// error_text (core/error_text.h) gives the text a user is shown for an error.

// A host warning with the error's text and, for a Python error, its traceback on sys.stderr (the
// host's script output). Leaves a pending Python error of the caller as it was; never throws.
void report_handler_error(PyObject* module, const std::exception_ptr& error) noexcept;

}  // namespace trembla::ext
