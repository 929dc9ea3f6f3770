// Binding a call's arguments to parameter names the way a Python def does (the first `required`
// parameters required, the rest optional, each positional or keyword), with Python's own wording
// in the TypeError.
#pragma once

#include <array>
#include <cstddef>

#include "pyhost/py_ref.h"

namespace trembla::ext {

// Writes one reference per name into `out` (count entries), an empty one for an optional
// parameter not given; throws ArgumentTypeError otherwise.
void bind_arguments(const char* function, PyObject* args, PyObject* kwargs, const char* const* names, std::size_t count,
                    std::size_t required, py::PyRef* out);

template <std::size_t N>
std::array<py::PyRef, N> bind_arguments(const char* function, PyObject* args, PyObject* kwargs,
                                        const std::array<const char*, N>& names, std::size_t required = N) {
    std::array<py::PyRef, N> out;
    bind_arguments(function, args, kwargs, names.data(), N, required, out.data());
    return out;
}

}  // namespace trembla::ext
