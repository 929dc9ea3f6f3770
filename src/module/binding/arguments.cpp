#include "module/binding/arguments.h"

#include <string>

#include "module/binding/errors.h"
#include "pyhost/python_error.h"

namespace trembla::ext {

void bind_arguments(const char* function, PyObject* args, PyObject* kwargs, const char* const* names, std::size_t count,
                    std::size_t required, py::PyRef* out) {
    // Built only for a message: most calls bind without one.
    const auto prefix = [function] { return std::string(function) + "() "; };
    const Py_ssize_t given = args != nullptr ? PyTuple_GET_SIZE(args) : 0;
    if (given > static_cast<Py_ssize_t>(count)) {
        const std::string takes = required < count ? "from " + std::to_string(required) + " to " + std::to_string(count)
                                                   : std::to_string(count);
        throw ArgumentTypeError(prefix() + "takes " + takes + " positional argument" + (count == 1 ? "" : "s") +
                                " but " + std::to_string(given) + (given == 1 ? " was" : " were") + " given");
    }
    for (Py_ssize_t i = 0; i < given; ++i) {
        out[i] = py::PyRef::borrow(PyTuple_GET_ITEM(args, i));
    }
    if (kwargs != nullptr) {
        PyObject* key = nullptr;
        PyObject* value = nullptr;
        Py_ssize_t pos = 0;
        while (PyDict_Next(kwargs, &pos, &key, &value)) {
            std::string key_name;
            if (!py::is_text(key) || !py::text_to_utf8(key, key_name)) {
                PyErr_Clear();
                throw ArgumentTypeError(prefix() + "keywords must be strings");
            }
            std::size_t index = 0;
            while (index < count && key_name != names[index]) {
                ++index;
            }
            if (index == count) {
                throw ArgumentTypeError(prefix() + "got an unexpected keyword argument '" + key_name + "'");
            }
            if (out[index]) {
                throw ArgumentTypeError(prefix() + "got multiple values for argument '" + key_name + "'");
            }
            out[index] = py::PyRef::borrow(value);
        }
    }
    for (std::size_t i = 0; i < required; ++i) {
        if (!out[i]) {
            throw ArgumentTypeError(prefix() + "missing required argument '" + names[i] + "'");
        }
    }
}

}  // namespace trembla::ext
