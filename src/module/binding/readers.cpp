#include "module/binding/readers.h"

#include <cmath>
#include <stdexcept>
#include <utility>

#include "core/whole_numbers.h"
#include "module/binding/errors.h"
#include "module/binding/fast_readers.h"
#include "module/binding/value_path.h"
#include "pyhost/python_error.h"

namespace trembla::ext {

using py::checked;
using py::PyRef;

namespace {

std::string type_name(PyObject* obj) { return Py_TYPE(obj)->tp_name; }

// A failed conversion of the caller's object: point the usual conversion errors at the argument,
// leave anything else (KeyboardInterrupt, MemoryError, the caller's own exceptions) as it was.
[[noreturn]] void throw_conversion_error(const ValuePath& where) {
    py::PythonError error = py::PythonError::fetch();
    if (error.matches(PyExc_TypeError)) {
        throw ArgumentTypeError(where.str() + ": " + error.what());
    }
    if (error.matches(PyExc_ValueError) || error.matches(PyExc_OverflowError)) {
        throw std::invalid_argument(where.str() + ": " + error.what());
    }
    throw error;
}

// The items of a sequence argument, held by a tuple we own, so that the caller's code run during
// conversion (a __float__) cannot free them under us.
PyRef sequence_items(PyObject* obj, const ValuePath& where, const char* of_what) {
    if (py::is_text_or_bytes(obj) || !PySequence_Check(obj)) {
        throw ArgumentTypeError(where.str() + " must be a sequence of " + of_what + ", not " + type_name(obj));
    }
    PyRef items = PyRef::steal(PySequence_Tuple(obj));
    if (!items) {
        throw_conversion_error(where);
    }
    return items;
}

// The (key, value) pairs of a mapping argument, as a list of 2-tuples we own.
PyRef mapping_items(PyObject* obj, const ValuePath& where, const char* of_what) {
    if (PyDict_Check(obj)) {
        return checked(PyDict_Items(obj));
    }
    const bool has_items = !PySequence_Check(obj) && PyObject_HasAttrString(obj, "items");
    if (!has_items) {
        throw ArgumentTypeError(where.str() + " must be a mapping of " + of_what + ", not " + type_name(obj));
    }
    PyRef items = PyRef::steal(PyObject_CallMethod(obj, const_cast<char*>("items"), nullptr));
    if (!items) {
        throw_conversion_error(where);
    }
    PyRef pairs = PyRef::steal(PySequence_List(items.get()));
    if (!pairs) {
        throw_conversion_error(where);
    }
    require_key_value_pairs(pairs.get(), where);
    return pairs;
}

double number_at(PyObject* obj, const ValuePath& where) {
    double fast = 0;
    if (fast_number(obj, fast)) {
        return fast;
    }
    if (PyFloat_Check(obj)) {
        return PyFloat_AS_DOUBLE(obj);
    }
    const bool numeric =
        py::is_int(obj) || (PyNumber_Check(obj) && !PyComplex_Check(obj) && !py::is_text_or_bytes(obj));
    if (!numeric) {
        throw ArgumentTypeError(where.str() + " must be a number, not " + type_name(obj));
    }
    const double value = PyFloat_AsDouble(obj);
    if (value == -1.0 && PyErr_Occurred()) {
        throw_conversion_error(where);
    }
    return value;
}

Frame frame_at(PyObject* obj, const ValuePath& where) {
    if (!py::is_int(obj)) {
        throw ArgumentTypeError(where.str() + " must be a whole frame number (int), not " + type_name(obj));
    }
    std::int64_t value = 0;
    bool overflow = false;
    if (!py::int_to_i64(obj, value, overflow)) {
        if (overflow) {
            throw std::invalid_argument(where.str() +
                                        " is beyond the 64-bit frame range: " + py::repr_for_message(obj));
        }
        throw_conversion_error(where);
    }
    return value;
}

// Whole and inside int64 (2^63 itself is just outside).
bool whole_frame_value(double value) { return is_whole_frame(value); }

template <std::size_t N>
std::array<double, N> fixed_numbers_at(PyObject* obj, const ValuePath& where, const char* what) {
    std::array<double, N> fast{};
    if (fast_numbers(obj, fast.data(), static_cast<Py_ssize_t>(N))) {
        return fast;
    }
    PyRef items = sequence_items(obj, where, what);
    const Py_ssize_t count = PyTuple_GET_SIZE(items.get());
    if (count != static_cast<Py_ssize_t>(N)) {
        throw std::invalid_argument(where.str() + " must hold " + what + ", not " + std::to_string(count) + " values");
    }
    std::array<double, N> out{};
    for (Py_ssize_t i = 0; i < count; ++i) {
        out[static_cast<std::size_t>(i)] = number_at(PyTuple_GET_ITEM(items.get(), i), where.index(i));
    }
    return out;
}

Sample sample_at(PyObject* obj, const ValuePath& where) {
    return fixed_numbers_at<kChannelCount>(obj, where, "six numbers (tx, ty, tz, rx, ry, rz)");
}

// Every item of the sequence `obj` through `item_at`, each named by its index.
template <typename T>
std::vector<T> items_at(PyObject* obj, const ValuePath& where, const char* of_what,
                        T (*item_at)(PyObject*, const ValuePath&)) {
    PyRef items = sequence_items(obj, where, of_what);
    const Py_ssize_t count = PyTuple_GET_SIZE(items.get());
    std::vector<T> out;
    out.reserve(static_cast<std::size_t>(count));
    for (Py_ssize_t i = 0; i < count; ++i) {
        out.push_back(item_at(PyTuple_GET_ITEM(items.get(), i), where.index(i)));
    }
    return out;
}

std::vector<double> numbers_at(PyObject* obj, const ValuePath& where) {
    std::vector<double> out;
    if (fast_number_list(obj, out)) {
        return out;
    }
    return items_at(obj, where, "numbers", number_at);
}

std::string text_at(PyObject* obj, const ValuePath& where) {
    if (!py::is_text(obj)) {
        throw ArgumentTypeError(where.str() + " must be a str, not " + type_name(obj));
    }
    std::string out;
    if (!py::text_to_utf8(obj, out)) {
        throw_conversion_error(where);
    }
    return out;
}

}  // namespace

std::string text_arg(PyObject* obj, std::string_view name) { return text_at(obj, ValuePath(name)); }

double number_arg(PyObject* obj, std::string_view name) { return number_at(obj, ValuePath(name)); }

bool truth_arg(PyObject* obj) {
    const int truth = PyObject_IsTrue(obj);
    if (truth < 0) {
        py::throw_python_error();
    }
    return truth != 0;
}

Frame whole_frame_arg(PyObject* obj, std::string_view name) {
    const ValuePath where(name);
    if (py::is_int(obj)) {
        return frame_at(obj, where);
    }
    const double value = number_at(obj, where);
    if (!whole_frame_value(value)) {
        throw std::invalid_argument(std::string(name) + " must be a whole frame number, not " +
                                    py::repr_for_message(obj));
    }
    return static_cast<Frame>(value);
}

std::optional<Frame> frame_key_arg(PyObject* obj, std::string_view name) {
    const ValuePath where(name);
    if (py::is_int(obj)) {
        std::int64_t value = 0;
        bool overflow = false;
        if (py::int_to_i64(obj, value, overflow)) {
            return value;
        }
        if (overflow) {
            return std::nullopt;
        }
        throw_conversion_error(where);
    }
    const double value = number_at(obj, where);
    if (!whole_frame_value(value)) {
        return std::nullopt;
    }
    return static_cast<Frame>(value);
}

std::vector<double> numbers_arg(PyObject* obj, std::string_view name) { return numbers_at(obj, ValuePath(name)); }

std::vector<Frame> frames_arg(PyObject* obj, std::string_view name, ObjectRefs* keys) {
    std::vector<Frame> fast;
    if (fast_frames(obj, fast, keys)) {
        return fast;
    }
    if (keys != nullptr) {
        keys->clear();
    }
    return items_at(obj, ValuePath(name), "whole frame numbers", frame_at);
}

Sample sample_arg(PyObject* obj, std::string_view name) { return sample_at(obj, ValuePath(name)); }

AxisTriple axis_triple_arg(PyObject* obj, std::string_view name) {
    return fixed_numbers_at<3>(obj, ValuePath(name), "three numbers (X, Y, Z)");
}

FrameRecord frame_record_arg(PyObject* obj, std::string_view name, ObjectRefs* keys) {
    FrameRecord fast;
    if (fast_frame_record(obj, fast, keys)) {
        return fast;
    }
    if (keys != nullptr) {
        keys->clear();
    }
    const ValuePath where(name);
    PyRef pairs = mapping_items(obj, where, "whole frames to six numbers");
    const Py_ssize_t count = PyList_GET_SIZE(pairs.get());
    std::vector<std::pair<Frame, Sample>> entries;
    entries.reserve(static_cast<std::size_t>(count));
    for (Py_ssize_t i = 0; i < count; ++i) {
        PyObject* pair = PyList_GET_ITEM(pairs.get(), i);
        PyObject* key = PyTuple_GET_ITEM(pair, 0);
        if (!py::is_int(key)) {
            throw ArgumentTypeError(std::string(name) + " keys must be whole frame numbers (int), not " +
                                    type_name(key) + " " + py::repr_for_message(key));
        }
        const Frame frame = frame_at(key, where.with(" key"));
        entries.emplace_back(frame, sample_at(PyTuple_GET_ITEM(pair, 1), where.key(key)));
    }
    return make_frame_record(std::move(entries));
}

ChannelAnim channel_anim_arg(PyObject* obj, std::string_view name, ChannelObjects* objects) {
    ChannelAnim fast;
    if (fast_channel_anim(obj, fast, objects)) {
        return fast;
    }
    if (objects != nullptr) {
        objects->names.clear();
        objects->lists.clear();
    }
    const ValuePath where(name);
    PyRef pairs = mapping_items(obj, where, "channel names to lists of numbers");
    const Py_ssize_t count = PyList_GET_SIZE(pairs.get());
    ChannelAnim out;
    out.reserve(static_cast<std::size_t>(count));
    for (Py_ssize_t i = 0; i < count; ++i) {
        PyObject* pair = PyList_GET_ITEM(pairs.get(), i);
        PyObject* key = PyTuple_GET_ITEM(pair, 0);
        if (!py::is_text(key)) {
            throw ArgumentTypeError(std::string(name) + " keys must be channel names (str), not " + type_name(key) +
                                    " " + py::repr_for_message(key));
        }
        ChannelSeries series;
        series.name = text_at(key, where.with(" key"));
        series.values = numbers_at(PyTuple_GET_ITEM(pair, 1), where.key(key));
        out.push_back(std::move(series));
    }
    return out;
}

Ranges ranges_arg(PyObject* obj, std::string_view name) {
    Ranges fast;
    if (fast_ranges(obj, fast)) {
        return fast;
    }
    const ValuePath where(name);
    PyRef items = sequence_items(obj, where, "(start, end) pairs");
    const Py_ssize_t count = PyTuple_GET_SIZE(items.get());
    Ranges out;
    out.reserve(static_cast<std::size_t>(count));
    for (Py_ssize_t i = 0; i < count; ++i) {
        const ValuePath item = where.index(i);
        PyRef pair = sequence_items(PyTuple_GET_ITEM(items.get(), i), item, "two whole frame numbers");
        if (PyTuple_GET_SIZE(pair.get()) != 2) {
            throw std::invalid_argument(item.str() + " must be a (start, end) pair, not " +
                                        std::to_string(PyTuple_GET_SIZE(pair.get())) + " values");
        }
        FrameRange range;
        range.start = frame_at(PyTuple_GET_ITEM(pair.get(), 0), item.index(0));
        range.end = frame_at(PyTuple_GET_ITEM(pair.get(), 1), item.index(1));
        out.push_back(range);
    }
    return out;
}

}  // namespace trembla::ext
