#include "module/binding/value_path.h"

#include <algorithm>
#include <vector>

#include "module/binding/errors.h"
#include "pyhost/py_compat.h"

namespace trembla::ext {

std::string ValuePath::str() const {
    std::vector<const ValuePath*> steps;
    for (const ValuePath* p = this; p->parent_ != nullptr; p = p->parent_) {
        steps.push_back(p);
    }
    std::reverse(steps.begin(), steps.end());
    const ValuePath* root = steps.empty() ? this : steps.front()->parent_;
    constexpr std::size_t kHead = 6;
    constexpr std::size_t kTail = 3;
    std::string out(root->name_);
    for (std::size_t i = 0; i < steps.size(); ++i) {
        if (steps.size() > kHead + kTail + 1 && i == kHead) {
            out += "...";
            i = steps.size() - kTail;
        }
        out += steps[i]->step();
    }
    return out;
}

std::string ValuePath::step() const {
    if (suffix_ != nullptr) {
        return suffix_;
    }
    return "[" + (key_ != nullptr ? py::repr_for_message(key_) : std::to_string(index_)) + "]";
}

void require_key_value_pairs(PyObject* pairs, const ValuePath& path) {
    const Py_ssize_t count = PyList_GET_SIZE(pairs);
    for (Py_ssize_t i = 0; i < count; ++i) {
        PyObject* pair = PyList_GET_ITEM(pairs, i);
        if (!PyTuple_Check(pair) || PyTuple_GET_SIZE(pair) != 2) {
            throw ArgumentTypeError(path.str() + ".items() must yield (key, value) pairs");
        }
    }
}

}  // namespace trembla::ext
