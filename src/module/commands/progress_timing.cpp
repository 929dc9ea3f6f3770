#include "module/commands/progress_timing.h"

#include <chrono>
#include <cmath>

#include "module/registry.h"
#include "pyhost/python_error.h"

namespace trembla::ext {

namespace {

constexpr const char* kDelay = "_progress_delay";
constexpr const char* kInterval = "_progress_interval";

// A long day is plenty: anything longer would overflow the clock's duration.
constexpr double kLongestSeconds = 86400.0;

std::chrono::steady_clock::duration seconds(double value) {
    return std::chrono::duration_cast<std::chrono::steady_clock::duration>(std::chrono::duration<double>(value));
}

void set_seconds(PyObject* module, const char* name, std::chrono::steady_clock::duration value) {
    py::PyRef number = py::checked(PyFloat_FromDouble(std::chrono::duration<double>(value).count()));
    set_module_attr(module, name, number.get());
}

// Only plain float and int count (not bool, not subclasses that convert themselves): reading the
// setting runs no script.
bool is_plain_number(PyObject* value) {
#if TREMBLA_PY3
    return PyFloat_CheckExact(value) || PyLong_CheckExact(value);
#else
    return PyFloat_CheckExact(value) || PyInt_CheckExact(value) || PyLong_CheckExact(value);
#endif
}

std::chrono::steady_clock::duration read_seconds(PyObject* module, const char* name,
                                                 std::chrono::steady_clock::duration fallback) {
    py::PyRef value = py::PyRef::steal(PyObject_GetAttrString(module, name));
    if (!value) {
        PyErr_Clear();
        return fallback;
    }
    if (!is_plain_number(value.get())) return fallback;
    const double number = PyFloat_AsDouble(value.get());
    if (number == -1.0 && PyErr_Occurred()) {
        PyErr_Clear();
        return fallback;
    }
    if (!std::isfinite(number) || number < 0.0 || number > kLongestSeconds) return fallback;
    return seconds(number);
}

}  // namespace

void register_progress_timing(PyObject* module) {
    const ProgressTiming defaults;
    set_seconds(module, kDelay, defaults.delay);
    set_seconds(module, kInterval, defaults.interval);
}

ProgressTiming progress_timing(PyObject* module) {
    const ProgressTiming defaults;
    ProgressTiming timing;
    timing.delay = read_seconds(module, kDelay, defaults.delay);
    timing.interval = read_seconds(module, kInterval, defaults.interval);
    return timing;
}

}  // namespace trembla::ext
