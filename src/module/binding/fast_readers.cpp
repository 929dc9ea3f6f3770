#include "module/binding/fast_readers.h"

#include <algorithm>
#include <utility>

#include "pyhost/python_error.h"

namespace trembla::ext {

using py::PyRef;

namespace {

bool exact_int(PyObject* obj) {
#if TREMBLA_PY3
    return PyLong_CheckExact(obj);
#else
    return PyInt_CheckExact(obj) || PyLong_CheckExact(obj);
#endif
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

}  // namespace

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

}  // namespace trembla::ext
