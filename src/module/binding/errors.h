// The single place where C++ exceptions become Python exceptions. Every function Python can call
// runs its body through guarded(), so no C++ exception ever reaches the interpreter.
#pragma once

#include <stdexcept>

#include "pyhost/py_compat.h"

namespace trembla::ext {

// An argument of the wrong type (or shape) for a module function; raised in Python as TypeError.
// Bad values of the right type are std::invalid_argument (ValueError).
class ArgumentTypeError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Sets the Python error indicator from the exception being handled; call only inside a catch.
//   PythonError              -> the original Python exception, unchanged
//   ArgumentTypeError        -> TypeError
//   std::invalid_argument    -> ValueError
//   std::bad_alloc           -> MemoryError
//   other std::exception     -> RuntimeError
//   anything else            -> RuntimeError
void raise_current_exception() noexcept;

// Runs `body` (returning a new reference) and turns any exception into a Python error and nullptr.
template <class Body>
PyObject* guarded(Body&& body) noexcept {
    try {
        return body();
    } catch (...) {
        raise_current_exception();
        return nullptr;
    }
}

}  // namespace trembla::ext
