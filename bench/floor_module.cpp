// trembla_floor: the least any implementation of the module's computations must do from Python.
// Each function takes the same arguments as its trembla_tool namesake, reads every number of them
// into C arrays (exact types only: anything else is a TypeError) and builds a result of the same
// shape, with the same number of new objects, the cheapest way we know: input key objects
// reused, dicts presized, tuples of floats left untracked by the collector, kept lists returned
// as they came. It computes nothing, so module time / floor time is what the computation and the
// module's checks cost on top of the unavoidable conversion.
#include <algorithm>
#include <cstring>
#include <vector>

#include "pyhost/py_compat.h"

namespace {

PyObject* type_error(const char* what) {
    PyErr_SetString(PyExc_TypeError, what);
    return nullptr;
}

bool is_exact_int(PyObject* obj) {
#if TREMBLA_PY3
    return PyLong_CheckExact(obj);
#else
    return PyInt_CheckExact(obj) || PyLong_CheckExact(obj);
#endif
}

bool read_frame(PyObject* obj, long long& out) {
    if (!is_exact_int(obj)) {
        return false;
    }
#if !TREMBLA_PY3
    if (PyInt_CheckExact(obj)) {
        out = PyInt_AS_LONG(obj);
        return true;
    }
#endif
    out = PyLong_AsLongLong(obj);
    return !(out == -1 && PyErr_Occurred());
}

bool read_number(PyObject* obj, double& out) {
    if (PyFloat_CheckExact(obj)) {
        out = PyFloat_AS_DOUBLE(obj);
        return true;
    }
    if (!is_exact_int(obj)) {
        return false;
    }
    out = PyFloat_AsDouble(obj);
    return !(out == -1.0 && PyErr_Occurred());
}

// Items of an exact list or tuple (borrowed; nothing here runs Python code).
bool items_of(PyObject* seq, PyObject**& items, Py_ssize_t& count) {
    if (PyList_CheckExact(seq)) {
        items = &PyList_GET_ITEM(seq, 0);
        count = PyList_GET_SIZE(seq);
        return true;
    }
    if (PyTuple_CheckExact(seq)) {
        items = &PyTuple_GET_ITEM(seq, 0);
        count = PyTuple_GET_SIZE(seq);
        return true;
    }
    return false;
}

bool read_numbers(PyObject* seq, std::vector<double>& out) {
    PyObject** items = nullptr;
    Py_ssize_t count = 0;
    if (!items_of(seq, items, count)) {
        return false;
    }
    out.resize(static_cast<std::size_t>(count));
    for (Py_ssize_t i = 0; i < count; ++i) {
        if (!read_number(items[i], out[static_cast<std::size_t>(i)])) {
            return false;
        }
    }
    return true;
}

bool read_frames(PyObject* seq, std::vector<long long>& frames, std::vector<PyObject*>& keys) {
    PyObject** items = nullptr;
    Py_ssize_t count = 0;
    if (!items_of(seq, items, count)) {
        return false;
    }
    frames.resize(static_cast<std::size_t>(count));
    keys.assign(items, items + count);
    for (Py_ssize_t i = 0; i < count; ++i) {
        if (!read_frame(items[i], frames[static_cast<std::size_t>(i)])) {
            return false;
        }
    }
    return true;
}

// dict int -> 6 numbers, in dict order; keys borrowed from the dict.
bool read_frame_record(PyObject* dict, std::vector<long long>& frames, std::vector<double>& samples,
                       std::vector<PyObject*>& keys) {
    if (!PyDict_CheckExact(dict)) {
        return false;
    }
    const Py_ssize_t size = PyDict_Size(dict);
    frames.resize(static_cast<std::size_t>(size));
    samples.resize(static_cast<std::size_t>(size) * 6);
    keys.resize(static_cast<std::size_t>(size));
    Py_ssize_t pos = 0;
    PyObject* key = nullptr;
    PyObject* value = nullptr;
    std::size_t i = 0;
    while (PyDict_Next(dict, &pos, &key, &value)) {
        PyObject** items = nullptr;
        Py_ssize_t count = 0;
        if (!read_frame(key, frames[i]) || !items_of(value, items, count) || count != 6) {
            return false;
        }
        for (std::size_t k = 0; k < 6; ++k) {
            if (!read_number(items[k], samples[i * 6 + k])) {
                return false;
            }
        }
        keys[i++] = key;
    }
    return true;
}

struct Channel {
    PyObject* name;
    PyObject* list;
    std::vector<double> values;
};

bool read_channel_anim(PyObject* dict, std::vector<Channel>& out) {
    if (!PyDict_CheckExact(dict)) {
        return false;
    }
    Py_ssize_t pos = 0;
    PyObject* key = nullptr;
    PyObject* value = nullptr;
    while (PyDict_Next(dict, &pos, &key, &value)) {
        Channel channel{key, value, {}};
#if TREMBLA_PY3
        if (!PyUnicode_CheckExact(key) || PyUnicode_AsUTF8(key) == nullptr) {
            return false;
        }
#else
        if (!PyString_CheckExact(key)) {
            return false;
        }
#endif
        if (!read_numbers(value, channel.values)) {
            return false;
        }
        out.push_back(std::move(channel));
    }
    return true;
}

PyObject* float_list(const double* values, std::size_t count) {
    PyObject* list = PyList_New(static_cast<Py_ssize_t>(count));
    if (list == nullptr) {
        return nullptr;
    }
    for (std::size_t i = 0; i < count; ++i) {
        PyObject* item = PyFloat_FromDouble(values[i]);
        if (item == nullptr) {
            Py_DECREF(list);
            return nullptr;
        }
        PyList_SET_ITEM(list, static_cast<Py_ssize_t>(i), item);
    }
    return list;
}

PyObject* float_tuple(const double* values) {
    PyObject* tuple = PyTuple_New(6);
    if (tuple == nullptr) {
        return nullptr;
    }
    for (Py_ssize_t k = 0; k < 6; ++k) {
        PyObject* item = PyFloat_FromDouble(values[k]);
        if (item == nullptr) {
            Py_DECREF(tuple);
            return nullptr;
        }
        PyTuple_SET_ITEM(tuple, k, item);
    }
    PyObject_GC_UnTrack(tuple);
    return tuple;
}

PyObject* new_dict(std::size_t size) { return _PyDict_NewPresized(static_cast<Py_ssize_t>(size)); }

// dict keys[i] -> six floats from samples (cycling through them when keys outnumber samples).
PyObject* frame_record(const std::vector<PyObject*>& keys, const std::vector<double>& samples) {
    static const double kZero[6] = {};
    PyObject* dict = new_dict(keys.size());
    if (dict == nullptr) {
        return nullptr;
    }
    const std::size_t sample_count = samples.size() / 6;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        PyObject* value = float_tuple(sample_count != 0 ? &samples[(i % sample_count) * 6] : kZero);
        if (value == nullptr || PyDict_SetItem(dict, keys[i], value) < 0) {
            Py_XDECREF(value);
            Py_DECREF(dict);
            return nullptr;
        }
        Py_DECREF(value);
    }
    return dict;
}

PyObject* channel_record(const std::vector<Channel>& channels, std::size_t length,
                         const std::vector<bool>* kept = nullptr) {
    PyObject* dict = PyDict_New();
    if (dict == nullptr) {
        return nullptr;
    }
    for (std::size_t c = 0; c < channels.size(); ++c) {
        const Channel& channel = channels[c];
        PyObject* value = nullptr;
        if (kept != nullptr && (*kept)[c]) {
            value = channel.list;
            Py_INCREF(value);
        } else {
            value = float_list(channel.values.data(), std::min(length, channel.values.size()));
        }
        if (value == nullptr || PyDict_SetItem(dict, channel.name, value) < 0) {
            Py_XDECREF(value);
            Py_DECREF(dict);
            return nullptr;
        }
        Py_DECREF(value);
    }
    return dict;
}

PyObject* floor_calculate_deltas(PyObject*, PyObject* args) {
    PyObject* source_data = nullptr;
    PyObject* start_frame = nullptr;
    if (!PyArg_UnpackTuple(args, "calculate_deltas", 2, 2, &source_data, &start_frame)) {
        return nullptr;
    }
    std::vector<long long> frames;
    std::vector<double> samples;
    std::vector<PyObject*> keys;
    long long start = 0;
    if (!read_frame_record(source_data, frames, samples, keys) || !read_frame(start_frame, start)) {
        return type_error("calculate_deltas: exact dict of int -> six numbers, and an int");
    }
    return frame_record(keys, samples);
}

PyObject* floor_unwrap_angles(PyObject*, PyObject* args) {
    PyObject* values = nullptr;
    if (!PyArg_UnpackTuple(args, "unwrap_angles", 1, 1, &values)) {
        return nullptr;
    }
    std::vector<double> numbers;
    if (!read_numbers(values, numbers)) {
        return type_error("unwrap_angles: exact list of numbers");
    }
    return float_list(numbers.data(), numbers.size());
}

PyObject* floor_smooth_camera_anim(PyObject*, PyObject* args) {
    PyObject* anim = nullptr;
    PyObject* frames_obj = nullptr;
    PyObject* smoothing_obj = nullptr;
    if (!PyArg_UnpackTuple(args, "smooth_camera_anim", 3, 3, &anim, &frames_obj, &smoothing_obj)) {
        return nullptr;
    }
    std::vector<Channel> channels;
    std::vector<long long> frames;
    std::vector<PyObject*> keys;
    double smoothing = 0;
    if (!read_channel_anim(anim, channels) || !read_frames(frames_obj, frames, keys) ||
        !read_number(smoothing_obj, smoothing)) {
        return type_error("smooth_camera_anim: exact types");
    }
    return channel_record(channels, frames.size());
}

PyObject* floor_smooth_camera_anim_per_axis(PyObject*, PyObject* args) {
    PyObject* original = nullptr;
    PyObject* base = nullptr;
    PyObject* frames_obj = nullptr;
    PyObject* smoothing_obj = nullptr;
    PyObject* trans_obj = nullptr;
    PyObject* rot_obj = nullptr;
    if (!PyArg_UnpackTuple(args, "smooth_camera_anim_per_axis", 6, 6, &original, &base, &frames_obj, &smoothing_obj,
                           &trans_obj, &rot_obj)) {
        return nullptr;
    }
    std::vector<Channel> original_channels;
    std::vector<Channel> base_channels;
    std::vector<long long> frames;
    std::vector<PyObject*> keys;
    double smoothing = 0;
    std::vector<double> trans;
    std::vector<double> rot;
    if (!read_channel_anim(original, original_channels) || !read_channel_anim(base, base_channels) ||
        !read_frames(frames_obj, frames, keys) || !read_number(smoothing_obj, smoothing) ||
        !read_numbers(trans_obj, trans) || !read_numbers(rot_obj, rot) || trans.size() != 3 || rot.size() != 3) {
        return type_error("smooth_camera_anim_per_axis: exact types");
    }
    // The one decision the result's shape depends on: which channels keep their base list.
    static const char* const kNames[6] = {"translateX", "translateY", "translateZ", "rotateX", "rotateY", "rotateZ"};
    std::vector<bool> kept(base_channels.size(), true);
    for (std::size_t c = 0; c < base_channels.size(); ++c) {
#if TREMBLA_PY3
        const char* name = PyUnicode_AsUTF8(base_channels[c].name);
#else
        const char* name = PyString_AS_STRING(base_channels[c].name);
#endif
        for (int k = 0; k < 6; ++k) {
            if (name != nullptr && std::strcmp(name, kNames[k]) == 0) {
                kept[c] = (k < 3 ? trans[k] : rot[k - 3]) >= 100.0;
            }
        }
    }
    return channel_record(base_channels, frames.size(), &kept);
}

PyObject* floor_extract_source_shake(PyObject*, PyObject* args) {
    PyObject* delta_data = nullptr;
    PyObject* frames_obj = nullptr;
    PyObject* lag_t = nullptr;
    PyObject* lag_r = nullptr;
    if (!PyArg_UnpackTuple(args, "extract_source_shake", 4, 4, &delta_data, &frames_obj, &lag_t, &lag_r)) {
        return nullptr;
    }
    std::vector<long long> record_frames;
    std::vector<double> samples;
    std::vector<PyObject*> record_keys;
    std::vector<long long> frames;
    std::vector<PyObject*> keys;
    double lags[2] = {};
    if (!read_frame_record(delta_data, record_frames, samples, record_keys) || !read_frames(frames_obj, frames, keys) ||
        !read_number(lag_t, lags[0]) || !read_number(lag_r, lags[1])) {
        return type_error("extract_source_shake: exact types");
    }
    return frame_record(keys, samples);
}

PyObject* floor_calculate_fade_multiplier(PyObject*, PyObject* args) {
    PyObject* frame_obj = nullptr;
    PyObject* ranges = nullptr;
    PyObject* fade_in = nullptr;
    PyObject* fade_out = nullptr;
    if (!PyArg_UnpackTuple(args, "calculate_fade_multiplier", 4, 4, &frame_obj, &ranges, &fade_in, &fade_out)) {
        return nullptr;
    }
    long long frame = 0;
    double fades[2] = {};
    PyObject** items = nullptr;
    Py_ssize_t count = 0;
    if (!read_frame(frame_obj, frame) || !items_of(ranges, items, count) || !read_number(fade_in, fades[0]) ||
        !read_number(fade_out, fades[1])) {
        return type_error("calculate_fade_multiplier: exact types");
    }
    for (Py_ssize_t i = 0; i < count; ++i) {
        PyObject** pair = nullptr;
        Py_ssize_t two = 0;
        long long ends[2] = {};
        if (!items_of(items[i], pair, two) || two != 2 || !read_frame(pair[0], ends[0]) ||
            !read_frame(pair[1], ends[1])) {
            return type_error("calculate_fade_multiplier: exact types");
        }
    }
    return PyFloat_FromDouble(1.0);
}

PyMethodDef kFloorFunctions[] = {
    {"calculate_deltas", floor_calculate_deltas, METH_VARARGS, nullptr},
    {"unwrap_angles", floor_unwrap_angles, METH_VARARGS, nullptr},
    {"smooth_camera_anim", floor_smooth_camera_anim, METH_VARARGS, nullptr},
    {"smooth_camera_anim_per_axis", floor_smooth_camera_anim_per_axis, METH_VARARGS, nullptr},
    {"extract_source_shake", floor_extract_source_shake, METH_VARARGS, nullptr},
    {"calculate_fade_multiplier", floor_calculate_fade_multiplier, METH_VARARGS, nullptr},
    {nullptr, nullptr, 0, nullptr},
};

#if TREMBLA_PY3
PyModuleDef kFloorModule = {
    PyModuleDef_HEAD_INIT, "trembla_floor", nullptr, -1, kFloorFunctions, nullptr, nullptr, nullptr, nullptr};
#endif

}  // namespace

TREMBLA_MODULE_INIT(trembla_floor) {
#if TREMBLA_PY3
    return PyModule_Create(&kFloorModule);
#else
    PyObject* module = Py_InitModule("trembla_floor", kFloorFunctions);
    Py_XINCREF(module);
    return module;
#endif
}
