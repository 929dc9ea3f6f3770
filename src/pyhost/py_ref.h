// Owning references to Python objects. Every PyRef is created, copied and destroyed with the GIL
// held; the tool never releases it, so that holds for everything reachable from module functions.
// Never keep a PyRef in static storage: it would be released after the interpreter is gone.
#pragma once

#include <utility>

#include "pyhost/py_compat.h"

namespace trembla::py {

class PyRef {
public:
    PyRef() noexcept = default;

    // Takes over a new reference (as returned by most of the C API); nullptr gives an empty PyRef.
    static PyRef steal(PyObject* obj) noexcept { return PyRef(obj); }
    // Adds a reference to a borrowed object.
    static PyRef borrow(PyObject* obj) noexcept {
        Py_XINCREF(obj);
        return PyRef(obj);
    }

    PyRef(const PyRef& other) noexcept : obj_(other.obj_) { Py_XINCREF(obj_); }
    PyRef(PyRef&& other) noexcept : obj_(std::exchange(other.obj_, nullptr)) {}
    PyRef& operator=(PyRef other) noexcept {
        std::swap(obj_, other.obj_);
        return *this;
    }
    ~PyRef() { Py_XDECREF(obj_); }

    PyObject* get() const noexcept { return obj_; }
    explicit operator bool() const noexcept { return obj_ != nullptr; }

    // Gives up ownership: the caller now holds the reference.
    PyObject* release() noexcept { return std::exchange(obj_, nullptr); }
    // A new reference for the caller; the PyRef keeps its own.
    PyObject* new_ref() const noexcept {
        Py_XINCREF(obj_);
        return obj_;
    }

private:
    explicit PyRef(PyObject* obj) noexcept : obj_(obj) {}
    PyObject* obj_ = nullptr;
};

}  // namespace trembla::py
