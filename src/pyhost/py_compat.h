// One C++ source for Python 2.7 and 3.x: the module entry point and the few text and integer
// operations whose C API differs between the two. Include this instead of <Python.h>.
#pragma once

#define PY_SSIZE_T_CLEAN
#if defined(__GNUC__)
#pragma GCC diagnostic push
// Python 2.7's headers still declare `register` parameters, which C++17 rejects.
#pragma GCC diagnostic ignored "-Wregister"
#endif
#include <Python.h>
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

#include <cstdint>
#include <string>
#include <string_view>

#if PY_MAJOR_VERSION >= 3
#define TREMBLA_PY3 1
#else
#define TREMBLA_PY3 0
#endif

#if defined(_WIN32)
#define TREMBLA_PY_EXPORT __declspec(dllexport)
#else
// The project builds with hidden visibility, and Python 2.7's PyMODINIT_FUNC does not export.
#define TREMBLA_PY_EXPORT __attribute__((visibility("default")))
#endif

// Defines the interpreter's entry point for module `name` around one body returning the new
// module (a new reference) or nullptr with a Python error set:
//   TREMBLA_MODULE_INIT(trembla_tool) { ...; return module; }
// gives PyInit_trembla_tool on Python 3 and inittrembla_tool on Python 2.
#if TREMBLA_PY3
#define TREMBLA_MODULE_INIT(name)                                                                   \
    static PyObject* trembla_module_body_##name();                                                  \
    extern "C" TREMBLA_PY_EXPORT PyObject* PyInit_##name() { return trembla_module_body_##name(); } \
    static PyObject* trembla_module_body_##name()
#else
#define TREMBLA_MODULE_INIT(name)                                                            \
    static PyObject* trembla_module_body_##name();                                           \
    extern "C" TREMBLA_PY_EXPORT void init##name() {                                         \
        /* Python 2 keeps the module in sys.modules itself; the body's reference is ours. */ \
        PyObject* created = trembla_module_body_##name();                                    \
        Py_XDECREF(created);                                                                 \
    }                                                                                        \
    static PyObject* trembla_module_body_##name()
#endif

namespace trembla::py {

// Text as Python's native `str`: unicode on 3; on 2 a byte string when pure ASCII (what Maya's
// Python 2 commands expect for node names), otherwise unicode. New reference or nullptr.
inline PyObject* text(std::string_view utf8) {
#if TREMBLA_PY3
    return PyUnicode_DecodeUTF8(utf8.data(), static_cast<Py_ssize_t>(utf8.size()), "surrogateescape");
#else
    for (unsigned char c : utf8) {
        if (c >= 0x80) {
            return PyUnicode_DecodeUTF8(utf8.data(), static_cast<Py_ssize_t>(utf8.size()), "replace");
        }
    }
    return PyString_FromStringAndSize(utf8.data(), static_cast<Py_ssize_t>(utf8.size()));
#endif
}

// Text for a file-like object's write(): on 2 always bytes (UTF-8), which every Python 2 stream
// accepts; on 3 unicode.
inline PyObject* stream_text(std::string_view utf8) {
#if TREMBLA_PY3
    return text(utf8);
#else
    return PyString_FromStringAndSize(utf8.data(), static_cast<Py_ssize_t>(utf8.size()));
#endif
}

// An interned native str for names used again and again (keyword names, attribute names).
inline PyObject* interned(const char* name) {
#if TREMBLA_PY3
    return PyUnicode_InternFromString(name);
#else
    return PyString_InternFromString(name);
#endif
}

// True for Python text: str on 3; str or unicode on 2.
inline bool is_text(PyObject* obj) {
#if TREMBLA_PY3
    return PyUnicode_Check(obj);
#else
    return PyString_Check(obj) || PyUnicode_Check(obj);
#endif
}

// True for bytes-like objects that must not be taken as sequences of numbers.
inline bool is_text_or_bytes(PyObject* obj) {
#if TREMBLA_PY3
    return PyUnicode_Check(obj) || PyBytes_Check(obj) || PyByteArray_Check(obj);
#else
    return PyString_Check(obj) || PyUnicode_Check(obj) || PyByteArray_Check(obj);
#endif
}

// UTF-8 of a text object (see is_text). False with a Python error set when `obj` is not text or
// cannot be encoded.
inline bool text_to_utf8(PyObject* obj, std::string& out) {
#if TREMBLA_PY3
    if (!PyUnicode_Check(obj)) {
        PyErr_Format(PyExc_TypeError, "expected str, got %.200s", Py_TYPE(obj)->tp_name);
        return false;
    }
    Py_ssize_t size = 0;
    const char* data = PyUnicode_AsUTF8AndSize(obj, &size);
    if (data == nullptr) {
        return false;
    }
    out.assign(data, static_cast<std::size_t>(size));
    return true;
#else
    if (PyString_Check(obj)) {
        out.assign(PyString_AS_STRING(obj), static_cast<std::size_t>(PyString_GET_SIZE(obj)));
        return true;
    }
    if (PyUnicode_Check(obj)) {
        PyObject* bytes = PyUnicode_AsUTF8String(obj);
        if (bytes == nullptr) {
            return false;
        }
        out.assign(PyString_AS_STRING(bytes), static_cast<std::size_t>(PyString_GET_SIZE(bytes)));
        Py_DECREF(bytes);
        return true;
    }
    PyErr_Format(PyExc_TypeError, "expected str or unicode, got %.200s", Py_TYPE(obj)->tp_name);
    return false;
#endif
}

// True for Python integers (bool included, as in Python): int on 3; int or long on 2.
inline bool is_int(PyObject* obj) {
#if TREMBLA_PY3
    return PyLong_Check(obj);
#else
    return PyInt_Check(obj) || PyLong_Check(obj);
#endif
}

// A Python integer; on 2 an int when it fits a C long, else a long. New reference or nullptr.
inline PyObject* integer(std::int64_t value) {
#if TREMBLA_PY3
    return PyLong_FromLongLong(static_cast<long long>(value));
#else
    if (value >= LONG_MIN && value <= LONG_MAX) {
        return PyInt_FromLong(static_cast<long>(value));
    }
    return PyLong_FromLongLong(static_cast<long long>(value));
#endif
}

// The value of a Python integer (see is_int). `overflow` is set, with no Python error, when it
// lies beyond int64; false with a Python error set on any other failure.
inline bool int_to_i64(PyObject* obj, std::int64_t& out, bool& overflow) {
    overflow = false;
#if !TREMBLA_PY3
    if (PyInt_Check(obj)) {
        out = PyInt_AS_LONG(obj);
        return true;
    }
#endif
    int over = 0;
    const long long value = PyLong_AsLongLongAndOverflow(obj, &over);
    if (over != 0) {
        overflow = true;
        return false;
    }
    if (value == -1 && PyErr_Occurred()) {
        return false;
    }
    out = static_cast<std::int64_t>(value);
    return true;
}

// repr() of an object as UTF-8 for messages; never fails (a placeholder stands in).
inline std::string repr_for_message(PyObject* obj) {
    std::string out = "<unprintable>";
    PyObject* r = PyObject_Repr(obj);
    if (r == nullptr || !text_to_utf8(r, out)) {
        PyErr_Clear();
        out = "<unprintable>";
    }
    Py_XDECREF(r);
    constexpr std::size_t kMax = 80;
    if (out.size() > kMax) {
        out.resize(kMax - 3);
        out += "...";
    }
    return out;
}

}  // namespace trembla::py
