// Where a value sits inside an argument: "frames[3]", "shake_data[12][4]",
// "presets['shot']['settings']". Built on the stack as a conversion descends and turned into text
// only when a message needs it.
#pragma once

#include <string>
#include <string_view>

#include "pyhost/py_compat.h"

namespace trembla::ext {

class ValuePath {
public:
    // `name` must outlive the path (a literal, or the caller's own argument name).
    explicit ValuePath(std::string_view name) : name_(name) {}
    ValuePath index(Py_ssize_t position) const { return ValuePath(this, nullptr, position, nullptr); }
    ValuePath key(PyObject* mapping_key) const { return ValuePath(this, mapping_key, 0, nullptr); }
    ValuePath with(const char* suffix) const { return ValuePath(this, nullptr, 0, suffix); }

    // Deep paths (a container that holds itself) keep their first and last steps only.
    std::string str() const;

private:
    ValuePath(const ValuePath* parent, PyObject* key, Py_ssize_t index, const char* suffix)
        : parent_(parent), key_(key), index_(index), suffix_(suffix) {}

    std::string step() const;

    const ValuePath* parent_ = nullptr;
    std::string_view name_;
    PyObject* key_ = nullptr;  // borrowed; the caller's loop holds the mapping's items
    Py_ssize_t index_ = 0;
    const char* suffix_ = nullptr;
};

// `pairs` is the list made from a mapping's items(): every entry must be a (key, value) 2-tuple,
// else ArgumentTypeError naming the path.
void require_key_value_pairs(PyObject* pairs, const ValuePath& path);

}  // namespace trembla::ext
