#include "module/convert.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <stdexcept>
#include <utility>

#include "core/whole_numbers.h"
#include "module/errors.h"
#include "module/value_path.h"
#include "pyhost/python_error.h"

namespace trembla::ext {

using py::checked;
using py::PyRef;

namespace {

std::string type_name(PyObject* obj) { return Py_TYPE(obj)->tp_name; }

// ---- Fast paths ----------------------------------------------------------------------------
// Reading the exact built-in types runs no Python code, so while every object read is one of them
// the argument cannot change under us and borrowed items are safe. A fast path that meets anything
// else (a subclass, a __float__, a bad value) gives up before it has run any code of the caller's,
// and the general path then reads the argument from the start: same results, same errors.

bool exact_int(PyObject* obj) {
#if TREMBLA_PY3
    return PyLong_CheckExact(obj);
#else
    return PyInt_CheckExact(obj) || PyLong_CheckExact(obj);
#endif
}

bool fast_number(PyObject* obj, double& out) {
    if (PyFloat_CheckExact(obj)) {
        out = PyFloat_AS_DOUBLE(obj);
        return true;
    }
#if !TREMBLA_PY3
    if (PyInt_CheckExact(obj)) {
        out = static_cast<double>(PyInt_AS_LONG(obj));
        return true;
    }
#endif
    if (!PyLong_CheckExact(obj)) {
        return false;
    }
    // int.__float__ is exactly this conversion.
    out = PyLong_AsDouble(obj);
    if (out == -1.0 && PyErr_Occurred()) {
        PyErr_Clear();
        return false;
    }
    return true;
}

bool fast_frame(PyObject* obj, Frame& out) {
    if (!exact_int(obj)) {
        return false;
    }
    std::int64_t value = 0;
    bool overflow = false;
    if (!py::int_to_i64(obj, value, overflow)) {
        PyErr_Clear();
        return false;
    }
    out = value;
    return true;
}

// An int object a result may use as a key for its frame: on 2 only a plain int, since a result
// builds a plain int for every frame that fits one.
bool reusable_frame_key(PyObject* obj) {
#if TREMBLA_PY3
    return PyLong_CheckExact(obj);
#else
    return PyInt_CheckExact(obj);
#endif
}

// The items of an exact list or tuple, borrowed.
bool fast_items(PyObject* obj, PyObject**& items, Py_ssize_t& count) {
    if (PyList_CheckExact(obj)) {
        items = reinterpret_cast<PyListObject*>(obj)->ob_item;
        count = PyList_GET_SIZE(obj);
        return true;
    }
    if (PyTuple_CheckExact(obj)) {
        items = &PyTuple_GET_ITEM(obj, 0);
        count = PyTuple_GET_SIZE(obj);
        return true;
    }
    return false;
}

bool fast_numbers(PyObject* obj, double* out, Py_ssize_t count) {
    PyObject** items = nullptr;
    Py_ssize_t held = 0;
    if (!fast_items(obj, items, held) || held != count) {
        return false;
    }
    for (Py_ssize_t i = 0; i < count; ++i) {
        if (!fast_number(items[i], out[i])) {
            return false;
        }
    }
    return true;
}

bool fast_number_list(PyObject* obj, std::vector<double>& out) {
    PyObject** items = nullptr;
    Py_ssize_t count = 0;
    if (!fast_items(obj, items, count)) {
        return false;
    }
    out.resize(static_cast<std::size_t>(count));
    return fast_numbers(obj, out.data(), count);
}

// A channel name; `reusable` tells whether a result may use the object itself as its key (a result
// builds its keys with py::text, which gives back an equal object of the same type only for these).
bool fast_text(PyObject* obj, std::string& out, bool& reusable) {
#if TREMBLA_PY3
    if (!PyUnicode_CheckExact(obj)) {
        return false;
    }
    Py_ssize_t size = 0;
    const char* data = PyUnicode_AsUTF8AndSize(obj, &size);
    if (data == nullptr) {
        PyErr_Clear();
        return false;
    }
    out.assign(data, static_cast<std::size_t>(size));
    reusable = true;
    return true;
#else
    if (PyString_CheckExact(obj)) {
        out.assign(PyString_AS_STRING(obj), static_cast<std::size_t>(PyString_GET_SIZE(obj)));
        reusable = true;
        for (unsigned char c : out) {
            reusable = reusable && c < 0x80;
        }
        return true;
    }
    if (!PyUnicode_CheckExact(obj)) {
        return false;
    }
    PyObject* bytes = PyUnicode_AsUTF8String(obj);
    if (bytes == nullptr) {
        PyErr_Clear();
        return false;
    }
    out.assign(PyString_AS_STRING(bytes), static_cast<std::size_t>(PyString_GET_SIZE(bytes)));
    Py_DECREF(bytes);
    reusable = false;
    return true;
#endif
}

bool fast_frames(PyObject* obj, std::vector<Frame>& out, ObjectRefs* keys) {
    PyObject** items = nullptr;
    Py_ssize_t count = 0;
    if (!fast_items(obj, items, count)) {
        return false;
    }
    out.resize(static_cast<std::size_t>(count));
    bool reusable = keys != nullptr;
    for (Py_ssize_t i = 0; i < count; ++i) {
        if (!fast_frame(items[i], out[static_cast<std::size_t>(i)])) {
            return false;
        }
        reusable = reusable && reusable_frame_key(items[i]);
    }
    if (reusable) {
        keys->reserve(static_cast<std::size_t>(count));
        for (Py_ssize_t i = 0; i < count; ++i) {
            keys->push_back(PyRef::borrow(items[i]));
        }
    }
    return true;
}

bool fast_frame_record(PyObject* obj, FrameRecord& out, ObjectRefs* keys) {
    if (!PyDict_CheckExact(obj)) {
        return false;
    }
    const auto count = static_cast<std::size_t>(PyDict_Size(obj));
    out.frames.resize(count);
    out.samples.resize(count);
    Py_ssize_t pos = 0;
    PyObject* key = nullptr;
    PyObject* value = nullptr;
    std::size_t i = 0;
    bool ascending = true;
    bool reusable = keys != nullptr;
    while (PyDict_Next(obj, &pos, &key, &value)) {
        if (!fast_frame(key, out.frames[i]) || !fast_numbers(value, out.samples[i].data(), kChannelCount)) {
            return false;
        }
        ascending = ascending && (i == 0 || out.frames[i - 1] < out.frames[i]);
        reusable = reusable && reusable_frame_key(key);
        ++i;
    }
    std::vector<PyObject*> key_objects;
    if (reusable) {
        key_objects.reserve(count);
        pos = 0;
        while (PyDict_Next(obj, &pos, &key, &value)) {
            key_objects.push_back(key);
        }
    }
    if (!ascending) {
        // Distinct ints are distinct frames, so ordering them is all a record needs (on Python 2 a
        // dict of frames is hardly ever in order).
        std::vector<std::size_t> order(count);
        for (std::size_t j = 0; j < count; ++j) {
            order[j] = j;
        }
        std::sort(order.begin(), order.end(),
                  [&out](std::size_t a, std::size_t b) { return out.frames[a] < out.frames[b]; });
        FrameRecord sorted;
        sorted.frames.reserve(count);
        sorted.samples.reserve(count);
        std::vector<PyObject*> sorted_keys;
        sorted_keys.reserve(key_objects.size());
        for (const std::size_t j : order) {
            sorted.frames.push_back(out.frames[j]);
            sorted.samples.push_back(out.samples[j]);
            if (reusable) {
                sorted_keys.push_back(key_objects[j]);
            }
        }
        out = std::move(sorted);
        key_objects = std::move(sorted_keys);
    }
    if (reusable) {
        keys->reserve(count);
        for (PyObject* k : key_objects) {
            keys->push_back(PyRef::borrow(k));
        }
    }
    return true;
}

bool fast_channel_anim(PyObject* obj, ChannelAnim& out, ChannelObjects* objects) {
    if (!PyDict_CheckExact(obj)) {
        return false;
    }
    out.reserve(static_cast<std::size_t>(PyDict_Size(obj)));
    Py_ssize_t pos = 0;
    PyObject* key = nullptr;
    PyObject* value = nullptr;
    bool reusable = objects != nullptr;
    while (PyDict_Next(obj, &pos, &key, &value)) {
        ChannelSeries series;
        bool reusable_name = false;
        if (!fast_text(key, series.name, reusable_name) || !fast_number_list(value, series.values)) {
            return false;
        }
        reusable = reusable && reusable_name;
        out.push_back(std::move(series));
    }
    if (reusable) {
        pos = 0;
        while (PyDict_Next(obj, &pos, &key, &value)) {
            objects->names.push_back(PyRef::borrow(key));
            objects->lists.push_back(PyRef::borrow(value));
        }
    }
    return true;
}

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
    const bool numeric = py::is_int(obj) || (PyNumber_Check(obj) && !PyComplex_Check(obj) && !py::is_text_or_bytes(obj));
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
            throw std::invalid_argument(where.str() + " is beyond the 64-bit frame range: " + py::repr_for_message(obj));
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
        throw std::invalid_argument(std::string(name) + " must be a whole frame number, not " + py::repr_for_message(obj));
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
            throw ArgumentTypeError(std::string(name) + " keys must be whole frame numbers (int), not " + type_name(key) + " " +
                                    py::repr_for_message(key));
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
            throw ArgumentTypeError(std::string(name) + " keys must be channel names (str), not " + type_name(key) + " " +
                                    py::repr_for_message(key));
        }
        ChannelSeries series;
        series.name = text_at(key, where.with(" key"));
        series.values = numbers_at(PyTuple_GET_ITEM(pair, 1), where.key(key));
        out.push_back(std::move(series));
    }
    return out;
}

namespace {

bool fast_ranges(PyObject* obj, Ranges& out) {
    PyObject** items = nullptr;
    Py_ssize_t count = 0;
    if (!fast_items(obj, items, count)) {
        return false;
    }
    out.resize(static_cast<std::size_t>(count));
    for (Py_ssize_t i = 0; i < count; ++i) {
        PyObject** pair = nullptr;
        Py_ssize_t size = 0;
        FrameRange& range = out[static_cast<std::size_t>(i)];
        if (!fast_items(items[i], pair, size) || size != 2 || !fast_frame(pair[0], range.start) ||
            !fast_frame(pair[1], range.end)) {
            return false;
        }
    }
    return true;
}

}  // namespace

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

PyRef text_to_python(const std::string& text) { return checked(py::text(text)); }

PyRef numbers_to_python(const std::vector<double>& values) {
    PyRef list = checked(PyList_New(static_cast<Py_ssize_t>(values.size())));
    for (std::size_t i = 0; i < values.size(); ++i) {
        PyList_SET_ITEM(list.get(), static_cast<Py_ssize_t>(i), checked(PyFloat_FromDouble(values[i])).release());
    }
    return list;
}

namespace {

// A tuple of floats can never be part of a reference cycle. The collector finds that out itself and
// stops tracking such a tuple, but only when it next examines it; until then every result tuple is
// work for it, and a record of many of them pushes it into full collections. Untracked from the
// start, the tuples also leave the dict that holds them untracked.
PyRef float_tuple(const double* values, std::size_t count) {
    PyRef tuple = checked(PyTuple_New(static_cast<Py_ssize_t>(count)));
    for (std::size_t i = 0; i < count; ++i) {
        PyTuple_SET_ITEM(tuple.get(), static_cast<Py_ssize_t>(i), checked(PyFloat_FromDouble(values[i])).release());
    }
    PyObject_GC_UnTrack(tuple.get());
    return tuple;
}

// A dict about to receive `count` entries, sized for them at once where the interpreter offers that:
// CPython 2.7 and 3.7 to 3.13 keep _PyDict_NewPresized, private but unchanged (3.13 restored it
// after removing it); elsewhere the dict grows as usual.
PyRef dict_for(std::size_t count) {
#if !defined(PYPY_VERSION) && PY_VERSION_HEX < 0x030E0000
    return checked(_PyDict_NewPresized(static_cast<Py_ssize_t>(count)));
#else
    (void)count;
    return checked(PyDict_New());
#endif
}

void set_item(PyObject* dict, PyObject* key, PyObject* value) {
    if (PyDict_SetItem(dict, key, value) < 0) {
        py::throw_python_error();
    }
}

// `list` is an exact list holding exactly `values`, bit for bit, as exact floats.
bool list_holds(PyObject* list, const std::vector<double>& values) {
    if (!PyList_CheckExact(list) || PyList_GET_SIZE(list) != static_cast<Py_ssize_t>(values.size())) {
        return false;
    }
    for (std::size_t i = 0; i < values.size(); ++i) {
        PyObject* item = PyList_GET_ITEM(list, static_cast<Py_ssize_t>(i));
        if (!PyFloat_CheckExact(item)) {
            return false;
        }
        const double held = PyFloat_AS_DOUBLE(item);
        if (std::memcmp(&held, &values[i], sizeof held) != 0) {
            return false;
        }
    }
    return true;
}

}  // namespace

PyRef sample_to_python(const Sample& sample) { return float_tuple(sample.data(), sample.size()); }

PyRef frame_record_to_python(const FrameRecord& record, const ObjectRefs* keys) {
    PyRef dict = dict_for(record.size());
    const bool reuse_keys = keys != nullptr && keys->size() == record.size();
    for (std::size_t i = 0; i < record.size(); ++i) {
        PyRef value = sample_to_python(record.samples[i]);
        if (reuse_keys) {
            set_item(dict.get(), (*keys)[i].get(), value.get());
        } else {
            PyRef key = checked(py::integer(record.frames[i]));
            set_item(dict.get(), key.get(), value.get());
        }
    }
    return dict;
}

PyRef channel_anim_to_python(const ChannelAnim& anim, const ChannelObjects* source, bool keep_lists) {
    PyRef dict = checked(PyDict_New());
    const bool aligned = source != nullptr && source->names.size() == anim.size();
    for (std::size_t i = 0; i < anim.size(); ++i) {
        const ChannelSeries& series = anim[i];
        std::string source_name;
        bool same_name = false;
        if (aligned) {
            same_name = py::text_to_utf8(source->names[i].get(), source_name) && source_name == series.name;
            PyErr_Clear();  // a name read once reads again; should it not, the result builds its own key
        }
        PyRef key = same_name ? source->names[i] : text_to_python(series.name);
        PyRef value = same_name && keep_lists && list_holds(source->lists[i].get(), series.values)
                          ? source->lists[i]
                          : numbers_to_python(series.values);
        set_item(dict.get(), key.get(), value.get());
    }
    return dict;
}

PyRef ranges_to_python(const Ranges& ranges) {
    PyRef list = checked(PyList_New(static_cast<Py_ssize_t>(ranges.size())));
    for (std::size_t i = 0; i < ranges.size(); ++i) {
        PyRef start = checked(py::integer(ranges[i].start));
        PyRef end = checked(py::integer(ranges[i].end));
        PyList_SET_ITEM(list.get(), static_cast<Py_ssize_t>(i), checked(PyTuple_Pack(2, start.get(), end.get())).release());
    }
    return list;
}

}  // namespace trembla::ext
