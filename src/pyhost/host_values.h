// Python values for host calls and numbers read from host answers, shared by the files of
// PythonHost. Every failure is a Python exception, thrown like a failing call.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "pyhost/py_compat.h"
#include "pyhost/python_error.h"

namespace trembla::py {

inline PyRef make_text(std::string_view utf8) { return checked(text(utf8)); }
inline PyRef make_int(std::int64_t value) { return checked(integer(value)); }
inline PyRef make_float(double value) { return checked(PyFloat_FromDouble(value)); }

inline double answer_number(PyObject* answer) {
    const double value = PyFloat_AsDouble(answer);
    if (value == -1.0 && PyErr_Occurred()) {
        throw_python_error();
    }
    return value;
}

// A Python list of `count` new references made by `make(i)`.
template <typename Make>
inline PyRef build_list(std::size_t count, Make make) {
    PyRef list = checked(PyList_New(static_cast<Py_ssize_t>(count)));
    for (std::size_t i = 0; i < count; ++i) {
        PyList_SET_ITEM(list.get(), static_cast<Py_ssize_t>(i), make(i).release());
    }
    return list;
}

}  // namespace trembla::py
