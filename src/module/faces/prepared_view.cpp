#include "module/faces/prepared_view.h"

#include <memory>
#include <stdexcept>
#include <string>

#include "module/binding/errors.h"
#include "module/binding/results.h"
#include "module/registry.h"
#include "pyhost/python_error.h"

namespace trembla::ext {

using py::checked;
using py::PyRef;

namespace {

struct PreparedViewObject {
    PyObject_HEAD
        // Owned; a pointer keeps the C layout trivial. The record it points to is never changed: a
        // writer installs a new one (replace_prepared_of), so whoever still holds the old one, a
        // command half-way through or a conversion below, keeps reading a consistent record.
        std::shared_ptr<const Prepared>* record;
};

// The members in the order scripts have always seen them.
constexpr const char* kMembers[] = {"ready",       "camera",      "source",    "source_data", "delta_data",
                                    "camera_base", "start_frame", "end_frame", "camera_mode", "camera_original_anim"};
constexpr Py_ssize_t kMemberCount = static_cast<Py_ssize_t>(sizeof(kMembers) / sizeof(kMembers[0]));

// The record the view shows now; the conversions below may run Python code that installs another.
std::shared_ptr<const Prepared> record_of(PyObject* self) {
    return *reinterpret_cast<PreparedViewObject*>(self)->record;
}

PyRef optional_text(const std::optional<std::string>& text) {
    return text ? text_to_python(*text) : PyRef::borrow(Py_None);
}

PyRef member_value(const Prepared& record, Py_ssize_t index) {
    switch (index) {
        case 0:
            return PyRef::borrow(record.ready ? Py_True : Py_False);
        case 1:
            return optional_text(record.camera);
        case 2:
            return optional_text(record.source);
        case 3:
            return frame_record_to_python(record.source_data);
        case 4:
            return frame_record_to_python(record.delta_data);
        case 5:
            return record.camera_base ? sample_to_python(*record.camera_base) : PyRef::borrow(Py_None);
        case 6:
            return checked(py::integer(record.start_frame));
        case 7:
            return checked(py::integer(record.end_frame));
        case 8:
            return text_to_python(camera_mode_text(record.camera_mode));
        case 9:
            return channel_anim_to_python(record.camera_original_anim);
        default:
            break;
    }
    throw std::logic_error("no such member of the preparation record");
}

// The member index of `key`, or -1 when the key names no member (any non-text key included).
Py_ssize_t member_index(PyObject* key) {
    if (!py::is_text(key)) {
        return -1;
    }
    std::string name;
    if (!py::text_to_utf8(key, name)) {
        PyErr_Clear();
        return -1;
    }
    for (Py_ssize_t i = 0; i < kMemberCount; ++i) {
        if (name == kMembers[i]) {
            return i;
        }
    }
    return -1;
}

PyRef member_names() {
    PyRef list = checked(PyList_New(kMemberCount));
    for (Py_ssize_t i = 0; i < kMemberCount; ++i) {
        PyList_SET_ITEM(list.get(), i, text_to_python(kMembers[i]).release());
    }
    return list;
}

PyObject* view_subscript(PyObject* self, PyObject* key) {
    return guarded([&]() -> PyObject* {
        const Py_ssize_t index = member_index(key);
        if (index < 0) {
            // Wrapped in a tuple, as dict does, so that a tuple key is not taken as the arguments.
            PyRef args = checked(PyTuple_Pack(1, key));
            PyErr_SetObject(PyExc_KeyError, args.get());
            py::throw_python_error();
        }
        return member_value(*record_of(self), index).release();
    });
}

Py_ssize_t view_length(PyObject*) { return kMemberCount; }

int view_contains(PyObject*, PyObject* key) { return member_index(key) >= 0 ? 1 : 0; }

PyObject* view_iter(PyObject*) {
    return guarded([&] { return checked(PyObject_GetIter(member_names().get())).release(); });
}

PyObject* view_keys(PyObject*, PyObject*) {
    return guarded([&] { return member_names().release(); });
}

PyObject* view_values(PyObject* self, PyObject*) {
    return guarded([&] {
        PyRef list = checked(PyList_New(kMemberCount));
        for (Py_ssize_t i = 0; i < kMemberCount; ++i) {
            PyList_SET_ITEM(list.get(), i, member_value(*record_of(self), i).release());
        }
        return list.release();
    });
}

PyObject* view_items(PyObject* self, PyObject*) {
    return guarded([&] {
        PyRef list = checked(PyList_New(kMemberCount));
        for (Py_ssize_t i = 0; i < kMemberCount; ++i) {
            PyRef key = text_to_python(kMembers[i]);
            PyRef value = member_value(*record_of(self), i);
            PyList_SET_ITEM(list.get(), i, checked(PyTuple_Pack(2, key.get(), value.get())).release());
        }
        return list.release();
    });
}

PyObject* view_get(PyObject* self, PyObject* args) {
    return guarded([&]() -> PyObject* {
        PyObject* key = nullptr;
        PyObject* fallback = Py_None;
        if (!PyArg_UnpackTuple(args, "get", 1, 2, &key, &fallback)) {
            py::throw_python_error();
        }
        const Py_ssize_t index = member_index(key);
        if (index < 0) {
            Py_INCREF(fallback);
            return fallback;
        }
        return member_value(*record_of(self), index).release();
    });
}

// Reads like the dict it stands for.
PyObject* view_repr(PyObject* self) {
    return guarded([&] {
        std::string text = "{";
        for (Py_ssize_t i = 0; i < kMemberCount; ++i) {
            PyRef key_repr = checked(PyObject_Repr(text_to_python(kMembers[i]).get()));
            PyRef value_repr = checked(PyObject_Repr(member_value(*record_of(self), i).get()));
            std::string key_text;
            std::string value_text;
            if (!py::text_to_utf8(key_repr.get(), key_text) || !py::text_to_utf8(value_repr.get(), value_text)) {
                py::throw_python_error();
            }
            text += (i == 0 ? "" : ", ") + key_text + ": " + value_text;
        }
        text += "}";
        return text_to_python(text).release();
    });
}

void view_dealloc(PyObject* self) {
    delete reinterpret_cast<PreparedViewObject*>(self)->record;
    Py_TYPE(self)->tp_free(self);
}

PyMethodDef kViewMethods[] = {
    {"keys", view_keys, METH_NOARGS, "The member names, in record order."},
    {"values", view_values, METH_NOARGS, "The member values, in record order."},
    {"items", view_items, METH_NOARGS, "(name, value) pairs, in record order."},
    {"get", view_get, METH_VARARGS, "get(key, default=None): the member's value, or default."},
    {nullptr, nullptr, 0, nullptr},
};

PyMappingMethods view_mapping_methods() {
    PyMappingMethods methods{};
    methods.mp_length = view_length;
    methods.mp_subscript = view_subscript;
    return methods;
}

PySequenceMethods view_sequence_methods() {
    PySequenceMethods methods{};
    methods.sq_contains = view_contains;
    return methods;
}

PyMappingMethods g_mapping_methods = view_mapping_methods();
PySequenceMethods g_sequence_methods = view_sequence_methods();

PyTypeObject make_view_type() {
    PyTypeObject type = static_type("trembla_tool.PreparedView", sizeof(PreparedViewObject));
    type.tp_dealloc = view_dealloc;
    type.tp_repr = view_repr;
    type.tp_as_sequence = &g_sequence_methods;
    type.tp_as_mapping = &g_mapping_methods;
    type.tp_flags = Py_TPFLAGS_DEFAULT;
    type.tp_doc =
        "Read-only view of the prepared-shake record (ready, camera, source, samples, deltas, "
        "camera pose, frame range, camera mode and recorded camera animation).";
    type.tp_iter = view_iter;
    type.tp_methods = kViewMethods;
    return type;
}

PyTypeObject g_view_type = make_view_type();

}  // namespace

void register_prepared_view(PyObject*) {
    if (PyType_Ready(&g_view_type) < 0) {
        py::throw_python_error();
    }
}

PyRef make_prepared_view(std::shared_ptr<const Prepared> record) {
    auto owned = std::make_unique<std::shared_ptr<const Prepared>>(std::move(record));
    PyRef view = checked(g_view_type.tp_alloc(&g_view_type, 0));
    reinterpret_cast<PreparedViewObject*>(view.get())->record = owned.release();
    return view;
}

std::shared_ptr<const Prepared> prepared_of(PyObject* obj) {
    if (obj == nullptr || Py_TYPE(obj) != &g_view_type) {
        return nullptr;
    }
    return *reinterpret_cast<PreparedViewObject*>(obj)->record;
}

bool replace_prepared_of(PyObject* view, const std::shared_ptr<const Prepared>& expected,
                         std::shared_ptr<const Prepared> next) {
    if (view == nullptr || Py_TYPE(view) != &g_view_type) {
        return false;
    }
    std::shared_ptr<const Prepared>& held = *reinterpret_cast<PreparedViewObject*>(view)->record;
    if (held != expected) {
        return false;
    }
    held = std::move(next);
    return true;
}

}  // namespace trembla::ext
