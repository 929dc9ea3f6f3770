// What every face of a window control is made of: the proxy object, the way a method reaches its
// live control, and each family's method table. control_proxy.cpp holds the types themselves and
// the faces of every control (Control, WidgetControl, StackControl); each family of controls has
// a file of its own: text_controls (LineEditControl, LabelControl), button_controls (ButtonControl,
// ButtonGroupControl), list_controls (ListControl, ListItem), slider_controls (SliderControl,
// SliderRow), choice_controls (ComboControl, SpinControl), shake_preview_control (ShakePreviewControl). Internal to the control faces.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

#include <QObject>
#include <QPointer>

#include "module/binding/errors.h"
#include "module/binding/qt_values.h"
#include "pyhost/py_ref.h"

namespace trembla::ext::controls {

struct ControlObject {
    PyObject_HEAD QPointer<QObject>* target;  // owned by the proxy; the control itself is not
};

py::PyRef none();

#if TREMBLA_PY3
using HashValue = Py_hash_t;
#else
using HashValue = long;  // Python 2 hashes to a C long
#endif

// Addresses hashed the way CPython hashes object identities; -1 is reserved for errors.
HashValue address_hash(std::uintptr_t address);

PyObject* not_implemented();

// "<type detail>" as a native str.
py::PyRef repr_text(PyObject* self, const std::string& detail);

// The control behind a proxy, as the class its proxy type stands for.
template <class Target>
Target& live(PyObject* self) {
    QObject* control = reinterpret_cast<ControlObject*>(self)->target->data();
    if (control == nullptr) {
        throw std::runtime_error("The control has been deleted.");
    }
    auto* target = qobject_cast<Target*>(control);
    if (target == nullptr) {
        throw ArgumentTypeError(std::string("the control is a ") + control->metaObject()->className());
    }
    return *target;
}

// Runs one proxy method: resolves the control, then body(control) -> PyRef.
template <class Target, class Body>
PyObject* on(PyObject* self, Body&& body) {
    return guarded([&] { return body(live<Target>(self)).release(); });
}

// The same for a method with an argument: convert() runs first, since converting runs the
// argument's own Python code (__bool__, __index__), which may delete the control or its window.
template <class Target, class Convert, class Body>
PyObject* on_converted(PyObject* self, Convert&& convert, Body&& body) {
    return guarded([&] {
        auto value = convert();
        return body(live<Target>(self), value).release();
    });
}

// The text of labels, text fields and buttons alike.
template <class Widget>
PyObject* widget_text(PyObject* self, PyObject*) {
    return on<Widget>(self, [](Widget& widget) { return qstring_to_python(widget.text()); });
}

template <class Widget>
PyObject* widget_set_text(PyObject* self, PyObject* text) {
    return on_converted<Widget>(
        self, [&] { return qstring_arg(text, "text"); },
        [](Widget& widget, const QString& value) {
            widget.setText(value);
            return none();
        });
}

// A proxy type deriving from `base` (nullptr: object), with the slots every control shares.
PyTypeObject make_type(const char* name, const char* doc, PyMethodDef* methods, PyTypeObject* base,
                       PyGetSetDef* getset = nullptr);

// The families' tables, each ended by an entry with a null name.
extern PyMethodDef kLineEditMethods[];
extern PyMethodDef kLabelMethods[];
extern PyMethodDef kButtonMethods[];
extern PyMethodDef kButtonGroupMethods[];
extern PyMethodDef kListMethods[];
extern PyMethodDef kSliderMethods[];
extern PyMethodDef kSliderRowMethods[];
extern PyGetSetDef kSliderRowParts[];
extern PyMethodDef kShakePreviewMethods[];
extern PyMethodDef kComboMethods[];
extern PyMethodDef kSpinMethods[];

// ListItem stands for a list entry, not a control: its own object, made by make_list_item_type.
extern PyTypeObject g_list_item_type;
PyTypeObject make_list_item_type();

}  // namespace trembla::ext::controls
