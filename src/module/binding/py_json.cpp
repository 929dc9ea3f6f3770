#include "module/binding/py_json.h"

#include <cstdint>
#include <stdexcept>
#include <unordered_map>
#include <vector>

#include "module/binding/errors.h"
#include "module/binding/value_path.h"
#include "pyhost/python_error.h"

namespace trembla::ext {

using py::checked;
using py::PyRef;

namespace {

// Text that cannot become UTF-8 (a lone surrogate on Python 3, bytes that are not UTF-8 in a
// Python 2 str) is the caller's bad value; any other failure is passed on as it is.
[[noreturn]] void throw_text_error(const ValuePath& place) {
    py::PythonError error = py::PythonError::fetch();
    if (error.matches(PyExc_UnicodeError)) {
        throw std::invalid_argument(place.str() + ": text is not valid Unicode (" + error.what() + ")");
    }
    throw error;
}

std::string utf8_of_text(PyObject* obj, const ValuePath& place) {
#if TREMBLA_PY3
    std::string out;
    if (!py::text_to_utf8(obj, out)) {
        throw_text_error(place);
    }
    return out;
#else
    if (PyString_Check(obj)) {
        // Python 2's json reads a byte string as UTF-8, so one that is not UTF-8 is refused here.
        std::string bytes(PyString_AS_STRING(obj), static_cast<std::size_t>(PyString_GET_SIZE(obj)));
        for (unsigned char c : bytes) {
            if (c >= 0x80) {
                if (!PyRef::steal(
                        PyUnicode_DecodeUTF8(bytes.data(), static_cast<Py_ssize_t>(bytes.size()), "strict"))) {
                    throw_text_error(place);
                }
                break;
            }
        }
        return bytes;
    }
    std::string out;
    if (!py::text_to_utf8(obj, out)) {
        throw_text_error(place);
    }
    return out;
#endif
}

PresetJson integer_json(PyObject* obj, const ValuePath& place) {
    std::int64_t value = 0;
    bool overflow = false;
    if (!py::int_to_i64(obj, value, overflow)) {
        if (overflow) {
            throw std::invalid_argument(place.str() + ": " + py::repr_for_message(obj) +
                                        " is outside the 64-bit integer range");
        }
        py::throw_python_error();
    }
    return PresetJson(value);
}

PresetJson value_json(PyObject* obj, const ValuePath& place, int depth);

void check_nesting(const ValuePath& place, int depth) {
    if (depth > kMaxPresetNesting) {
        throw std::invalid_argument(place.str() + ": nested deeper than " + std::to_string(kMaxPresetNesting) +
                                    " levels (or holds itself)");
    }
}

// The (key, value) pairs of a dict as a list we own, which keeps them alive whatever the
// conversion runs. As in Python's json, a subclass is asked for its items(), so an OrderedDict
// is written in its own order.
PyRef dict_items(PyObject* obj, const ValuePath& place) {
    if (PyDict_CheckExact(obj)) {
        return checked(PyDict_Items(obj));
    }
    PyRef items = checked(PyObject_CallMethod(obj, const_cast<char*>("items"), nullptr));
    PyRef pairs = checked(PySequence_List(items.get()));
    require_key_value_pairs(pairs.get(), place);
    return pairs;
}

PresetJson object_json(PyObject* obj, const ValuePath& place, int depth) {
    check_nesting(place, depth);
    PyRef items = dict_items(obj, place);
    PresetJson object = PresetJson::object();
    ObjectMembers members(object);
    const Py_ssize_t count = PyList_GET_SIZE(items.get());
    for (Py_ssize_t i = 0; i < count; ++i) {
        PyObject* pair = PyList_GET_ITEM(items.get(), i);
        PyObject* key = PyTuple_GET_ITEM(pair, 0);
        const ValuePath member = place.key(key);
        if (!py::is_text(key)) {
            throw ArgumentTypeError(member.str() + ": a key of type '" + Py_TYPE(key)->tp_name +
                                    "' cannot be stored as JSON (keys must be text)");
        }
        members.slot(utf8_of_text(key, member)) = value_json(PyTuple_GET_ITEM(pair, 1), member, depth);
    }
    return object;
}

PresetJson array_json(PyObject* obj, const ValuePath& place, int depth) {
    check_nesting(place, depth);
    PyRef items = checked(PySequence_Tuple(obj));
    PresetJson array = PresetJson::array();
    const Py_ssize_t count = PyTuple_GET_SIZE(items.get());
    for (Py_ssize_t i = 0; i < count; ++i) {
        array.push_back(value_json(PyTuple_GET_ITEM(items.get(), i), place.index(i), depth));
    }
    return array;
}

// `depth` counts the containers around obj.
PresetJson value_json(PyObject* obj, const ValuePath& place, int depth) {
    if (obj == Py_None) {
        return PresetJson();
    }
    if (PyBool_Check(obj)) {  // before int: bool is an int in Python
        return PresetJson(obj == Py_True);
    }
    if (py::is_int(obj)) {
        return integer_json(obj, place);
    }
    if (PyFloat_Check(obj)) {
        return PresetJson(PyFloat_AS_DOUBLE(obj));
    }
    if (py::is_text(obj)) {
        return PresetJson(utf8_of_text(obj, place));
    }
    if (PyDict_Check(obj)) {
        return object_json(obj, place, depth + 1);
    }
    if (PyList_Check(obj) || PyTuple_Check(obj)) {
        return array_json(obj, place, depth + 1);
    }
    throw ArgumentTypeError(place.str() + ": a value of type '" + Py_TYPE(obj)->tp_name + "' cannot be stored as JSON");
}

PyRef python_unsigned(std::uint64_t number) {
    // The parser reads every non-negative integer as unsigned; on Python 2 small ones must still
    // come back as int, not long.
    if (number <= static_cast<std::uint64_t>(INT64_MAX)) {
        return checked(py::integer(static_cast<std::int64_t>(number)));
    }
    return checked(PyLong_FromUnsignedLongLong(static_cast<unsigned long long>(number)));
}

// Builds dicts and lists as the parser reports values. Only the Python C API is called, on text
// keys and built-in containers, so no Python code runs and the containers being filled, owned by
// their parents, stay where they are.
class PythonValueBuilder {
public:
    using string_t = PresetJson::string_t;

    bool null() { return place(PyRef::borrow(Py_None)); }
    bool boolean(bool value) { return place(PyRef::borrow(value ? Py_True : Py_False)); }
    bool number_integer(PresetJson::number_integer_t value) { return place(checked(py::integer(value))); }
    bool number_unsigned(PresetJson::number_unsigned_t value) { return place(python_unsigned(value)); }
    bool number_float(PresetJson::number_float_t value, const string_t&) {
        return place(checked(PyFloat_FromDouble(value)));
    }
    bool string(string_t& value) { return place(checked(py::text(value))); }
    bool binary(PresetJson::binary_t&) { throw std::invalid_argument("a binary JSON value has no Python form"); }
    bool start_object(std::size_t) { return open(checked(PyDict_New())); }
    // Every preset repeats the same twenty-odd names: one text object each, as Python's json keeps
    // them, spares creating and hashing them again.
    bool key(string_t& name) {
        auto known = keys_.find(name);
        if (known == keys_.end()) {
            known = keys_.emplace(name, checked(py::text(name))).first;
        }
        open_.back().key = known->second;
        return true;
    }
    bool end_object() { return close(); }
    bool start_array(std::size_t) { return open(checked(PyList_New(0))); }
    bool end_array() { return close(); }
    [[noreturn]] bool parse_error(std::size_t, const std::string&, const PresetJson::exception& error) {
        throw_parser_error(error);
    }

    PyRef take() { return std::move(root_); }

private:
    struct Open {
        PyObject* container;  // owned by its parent, or by root_
        PyRef key;            // the member name a dict's next value goes under
    };

    bool place(PyRef value) {
        if (open_.empty()) {
            root_ = std::move(value);
            return true;
        }
        Open& top = open_.back();
        // A repeated name keeps its first place and takes the last value, as in Python's json.
        const int failed = PyDict_Check(top.container) ? PyDict_SetItem(top.container, top.key.get(), value.get())
                                                       : PyList_Append(top.container, value.get());
        if (failed < 0) {
            py::throw_python_error();
        }
        return true;
    }
    bool open(PyRef container) {
        PyObject* raw = container.get();
        place(std::move(container));
        open_.push_back(Open{raw, PyRef()});
        return true;
    }
    bool close() {
        open_.pop_back();
        return true;
    }

    PyRef root_;
    std::vector<Open> open_;
    std::unordered_map<std::string, PyRef> keys_;
};

}  // namespace

PyRef python_from_json_text(const std::string& text) {
    PythonValueBuilder builder;
    PresetJson::sax_parse(text, &builder);
    return builder.take();
}

PresetJson json_from_python(PyObject* obj, const std::string& name) { return value_json(obj, ValuePath(name), 0); }

PyRef python_from_json(const PresetJson& value) {
    switch (value.type()) {
        case PresetJson::value_t::null:
            return PyRef::borrow(Py_None);
        case PresetJson::value_t::boolean:
            return PyRef::borrow(value.get<bool>() ? Py_True : Py_False);
        case PresetJson::value_t::number_integer:
            return checked(py::integer(value.get<std::int64_t>()));
        case PresetJson::value_t::number_unsigned:
            return python_unsigned(value.get<std::uint64_t>());
        case PresetJson::value_t::number_float:
            return checked(PyFloat_FromDouble(value.get<double>()));
        case PresetJson::value_t::string:
            return checked(py::text(value.get_ref<const std::string&>()));
        case PresetJson::value_t::array: {
            PyRef list = checked(PyList_New(static_cast<Py_ssize_t>(value.size())));
            Py_ssize_t i = 0;
            for (const PresetJson& item : value) {
                PyList_SET_ITEM(list.get(), i++, python_from_json(item).release());
            }
            return list;
        }
        case PresetJson::value_t::object: {
            PyRef dict = checked(PyDict_New());
            for (const auto& member : value.items()) {
                PyRef key = checked(py::text(member.key()));
                PyRef item = python_from_json(member.value());
                if (PyDict_SetItem(dict.get(), key.get(), item.get()) < 0) {
                    py::throw_python_error();
                }
            }
            return dict;
        }
        case PresetJson::value_t::binary:
        case PresetJson::value_t::discarded:
            break;
    }
    throw std::invalid_argument("a binary JSON value has no Python form");
}

}  // namespace trembla::ext
