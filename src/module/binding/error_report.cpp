#include "module/binding/error_report.h"

#include "module/state.h"
#include "pyhost/python_error.h"

namespace trembla::ext {

namespace {

void warn(PyObject* module, const std::string& text) noexcept {
    try {
        host_for(module).warning(text);
    } catch (...) {
        // The host cannot even warn: stderr is the last place left to say it.
        PyErr_Clear();
        PySys_WriteStderr("Warning: %.900s\n", text.c_str());
    }
}

void print_traceback(const std::exception_ptr& error) noexcept {
    try {
        std::rethrow_exception(error);
    } catch (const py::PythonError& python_error) {
        if (python_error.type() != nullptr) {
            PyErr_Display(python_error.type(), python_error.value(), python_error.traceback());
            PyErr_Clear();
        }
    } catch (...) {
        // A C++ error has no traceback worth showing a user; the warning says it all.
    }
}

}  // namespace

void report_handler_error(PyObject* module, const std::exception_ptr& error) noexcept {
    if (!Py_IsInitialized() || !error) {
        return;
    }
    GilHold gil;
    py::PendingErrorSaver saved;
    std::string text;
    try {
        text = error_text(error);
    } catch (...) {
        text = "unknown error";
    }
    warn(module, text);
    print_traceback(error);
}

}  // namespace trembla::ext
