#include "module/binding/errors.h"

#include <exception>
#include <new>
#include <string>

#include "pyhost/py_ref.h"
#include "pyhost/python_error.h"

namespace trembla::ext {

namespace {

// Messages are UTF-8; a stray invalid byte must not turn the error into a UnicodeDecodeError.
void set_error(PyObject* type, const char* message) noexcept {
#if TREMBLA_PY3
    PyObject* text =
        PyUnicode_DecodeUTF8(message, static_cast<Py_ssize_t>(std::char_traits<char>::length(message)), "replace");
    if (text == nullptr) {
        return;  // the decode failure itself is now the pending error
    }
    PyErr_SetObject(type, text);
    Py_DECREF(text);
#else
    PyErr_SetString(type, message);
#endif
}

}  // namespace

void raise_current_exception() noexcept {
    try {
        throw;
    } catch (py::PythonError& error) {
        error.restore();
    } catch (const ArgumentTypeError& error) {
        set_error(PyExc_TypeError, error.what());
    } catch (const std::invalid_argument& error) {
        set_error(PyExc_ValueError, error.what());
    } catch (const std::bad_alloc&) {
        PyErr_NoMemory();
    } catch (const std::exception& error) {
        set_error(PyExc_RuntimeError, error.what());
    } catch (...) {
        set_error(PyExc_RuntimeError, "unexpected C++ exception in trembla_tool");
    }
}

}  // namespace trembla::ext
