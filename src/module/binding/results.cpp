#include "module/binding/results.h"

#include <cstring>

#include "pyhost/python_error.h"

namespace trembla::ext {

using py::checked;
using py::PyRef;

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
        PyList_SET_ITEM(list.get(), static_cast<Py_ssize_t>(i),
                        checked(PyTuple_Pack(2, start.get(), end.get())).release());
    }
    return list;
}

}  // namespace trembla::ext
