#include "module/control_proxy.h"

#include <cstdint>
#include <sstream>
#include <stdexcept>

#include <QAbstractButton>
#include <QButtonGroup>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPersistentModelIndex>
#include <QPointer>
#include <QSlider>
#include <QStackedWidget>

#include "module/convert.h"
#include "module/errors.h"
#include "module/qt_values.h"
#include "module/registry.h"
#include "pyhost/python_error.h"
#include "core/records.h"
#include "ui/shake_preview.h"
#include "ui/slider_row.h"

namespace trembla::ext {

using py::checked;
using py::PyRef;

namespace {

struct ControlObject {
    PyObject_HEAD
    QPointer<QObject>* target;  // owned by the proxy; the control itself is not
};

// An entry is followed by a persistent model index: Qt invalidates it when the entry leaves the
// list, where a kept item pointer could not tell a freed entry from a new one at the same address.
struct ListItemObject {
    PyObject_HEAD
    QPointer<QListWidget>* list;
    QPersistentModelIndex* index;
    std::uintptr_t address;  // of the entry when the proxy was made; only ever hashed
};

PyRef none() { return PyRef::borrow(Py_None); }

#if TREMBLA_PY3
using HashValue = Py_hash_t;
#else
using HashValue = long;  // Python 2 hashes to a C long
#endif

// Addresses hashed the way CPython hashes object identities; -1 is reserved for errors.
HashValue address_hash(std::uintptr_t address) {
    const auto hash = static_cast<HashValue>(address >> 4);
    return hash == -1 ? -2 : hash;
}

PyObject* not_implemented() {
    Py_INCREF(Py_NotImplemented);
    return Py_NotImplemented;
}

// "<type detail>" as a native str.
PyRef repr_text(PyObject* self, const std::string& detail) {
    return checked(py::text(std::string("<") + Py_TYPE(self)->tp_name + " " + detail + ">"));
}

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

// ---- every control (QObject) -----------------------------------------------------------------

PyObject* control_object_name(PyObject* self, PyObject*) {
    return on<QObject>(self, [](QObject& control) { return qstring_to_python(control.objectName()); });
}

PyObject* control_property(PyObject* self, PyObject* name) {
    return on_converted<QObject>(
        self, [&] { return text_arg(name, "name"); },
        [](QObject& control, const std::string& property_name) {
            return variant_to_python(control.property(property_name.c_str()));
        });
}

PyObject* control_repr(PyObject* self) {
    return guarded([&] {
        QObject* control = reinterpret_cast<ControlObject*>(self)->target->data();
        if (control == nullptr) {
            return repr_text(self, "(deleted)").release();
        }
        std::ostringstream detail;
        detail << "of " << control->metaObject()->className() << " at " << static_cast<void*>(control);
        return repr_text(self, detail.str()).release();
    });
}

void control_dealloc(PyObject* self) {
    delete reinterpret_cast<ControlObject*>(self)->target;
    Py_TYPE(self)->tp_free(self);
}

PyTypeObject g_control_type{};

// Two proxies are equal when they stand for the same live control.
PyObject* control_richcompare(PyObject* self, PyObject* other, int op) {
    if ((op != Py_EQ && op != Py_NE) || !PyObject_TypeCheck(other, &g_control_type)) {
        return not_implemented();
    }
    QObject* mine = reinterpret_cast<ControlObject*>(self)->target->data();
    QObject* theirs = reinterpret_cast<ControlObject*>(other)->target->data();
    const bool equal = mine != nullptr && mine == theirs;
    return bool_to_python(op == Py_EQ ? equal : !equal).release();
}

HashValue control_hash(PyObject* self) {
    return address_hash(reinterpret_cast<std::uintptr_t>(reinterpret_cast<ControlObject*>(self)->target->data()));
}

PyMethodDef kControlMethods[] = {
    {"objectName", control_object_name, METH_NOARGS, "The Qt object name."},
    {"property", control_property, METH_O,
     "property(name): the dynamic or static Qt property (style classes are property 'class'); None "
     "when unset."},
    {nullptr, nullptr, 0, nullptr},
};

// ---- widgets -----------------------------------------------------------------------------------

PyObject* widget_is_visible(PyObject* self, PyObject*) {
    return on<QWidget>(self, [](QWidget& widget) { return bool_to_python(widget.isVisible()); });
}

PyObject* widget_is_hidden(PyObject* self, PyObject*) {
    return on<QWidget>(self, [](QWidget& widget) { return bool_to_python(widget.isHidden()); });
}

PyObject* widget_is_enabled(PyObject* self, PyObject*) {
    return on<QWidget>(self, [](QWidget& widget) { return bool_to_python(widget.isEnabled()); });
}

PyMethodDef kWidgetMethods[] = {
    {"isVisible", widget_is_visible, METH_NOARGS, "True when the widget and all its parents are shown."},
    {"isHidden", widget_is_hidden, METH_NOARGS, "True when the widget itself was hidden."},
    {"isEnabled", widget_is_enabled, METH_NOARGS, "True when the widget takes input."},
    {nullptr, nullptr, 0, nullptr},
};

// ---- text fields and labels --------------------------------------------------------------------

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

PyObject* line_edit_placeholder(PyObject* self, PyObject*) {
    return on<QLineEdit>(self, [](QLineEdit& edit) { return qstring_to_python(edit.placeholderText()); });
}

PyMethodDef kLineEditMethods[] = {
    {"text", widget_text<QLineEdit>, METH_NOARGS, "The field's text, as typed."},
    {"setText", widget_set_text<QLineEdit>, METH_O,
     "setText(text): sets the text (fires no editing-finished handler, as in Qt)."},
    {"placeholderText", line_edit_placeholder, METH_NOARGS, "The grey hint shown while the field is empty."},
    {nullptr, nullptr, 0, nullptr},
};

PyMethodDef kLabelMethods[] = {
    {"text", widget_text<QLabel>, METH_NOARGS, "The label's text."},
    {"setText", widget_set_text<QLabel>, METH_O, "setText(text)"},
    {nullptr, nullptr, 0, nullptr},
};

// ---- buttons, check boxes, radio buttons -------------------------------------------------------

PyObject* button_is_checked(PyObject* self, PyObject*) {
    return on<QAbstractButton>(self, [](QAbstractButton& button) { return bool_to_python(button.isChecked()); });
}

PyObject* button_set_checked(PyObject* self, PyObject* checked_arg) {
    return on_converted<QAbstractButton>(
        self, [&] { return truth_arg(checked_arg); },
        [](QAbstractButton& button, bool checked) {
            button.setChecked(checked);
            return none();
        });
}

PyObject* button_is_checkable(PyObject* self, PyObject*) {
    return on<QAbstractButton>(self, [](QAbstractButton& button) { return bool_to_python(button.isCheckable()); });
}

PyObject* button_click(PyObject* self, PyObject*) {
    return on<QAbstractButton>(self, [](QAbstractButton& button) {
        button.click();
        return none();
    });
}

PyMethodDef kButtonMethods[] = {
    {"text", widget_text<QAbstractButton>, METH_NOARGS, "The caption."},
    {"setText", widget_set_text<QAbstractButton>, METH_O, "setText(text)"},
    {"isChecked", button_is_checked, METH_NOARGS, "The checked state."},
    {"setChecked", button_set_checked, METH_O, "setChecked(checked): toggles as a user's click would."},
    {"isCheckable", button_is_checkable, METH_NOARGS, "True for check boxes, radio and tab buttons."},
    {"click", button_click, METH_NOARGS, "Clicks the button as the user would (press, release, clicked)."},
    {nullptr, nullptr, 0, nullptr},
};

// ---- preset list and its entries ---------------------------------------------------------------

PyTypeObject g_list_item_type{};

PyRef list_item_proxy(QListWidget& list, QListWidgetItem* item) {
    if (item == nullptr) {
        return none();
    }
    PyRef proxy = checked(g_list_item_type.tp_alloc(&g_list_item_type, 0));
    auto* object = reinterpret_cast<ListItemObject*>(proxy.get());
    object->list = new QPointer<QListWidget>(&list);
    object->index = new QPersistentModelIndex(list.model()->index(list.row(item), 0));
    object->address = reinterpret_cast<std::uintptr_t>(item);
    return proxy;
}

PyObject* list_count(PyObject* self, PyObject*) {
    return on<QListWidget>(self, [](QListWidget& list) { return int_to_python(list.count()); });
}

PyObject* list_item(PyObject* self, PyObject* row) {
    return on_converted<QListWidget>(
        self, [&] { return int_arg(row, "row"); },
        [](QListWidget& list, int index) { return list_item_proxy(list, list.item(index)); });
}

PyObject* list_current_item(PyObject* self, PyObject*) {
    return on<QListWidget>(self, [](QListWidget& list) { return list_item_proxy(list, list.currentItem()); });
}

PyObject* list_current_row(PyObject* self, PyObject*) {
    return on<QListWidget>(self, [](QListWidget& list) { return int_to_python(list.currentRow()); });
}

PyObject* list_set_current_row(PyObject* self, PyObject* row) {
    return on_converted<QListWidget>(
        self, [&] { return int_arg(row, "row"); },
        [](QListWidget& list, int index) {
            list.setCurrentRow(index);
            return none();
        });
}

PyMethodDef kListMethods[] = {
    {"count", list_count, METH_NOARGS, "The number of entries."},
    {"item", list_item, METH_O, "item(row): the entry at row, or None."},
    {"currentItem", list_current_item, METH_NOARGS, "The current entry, or None."},
    {"currentRow", list_current_row, METH_NOARGS, "The current row, -1 when there is none."},
    {"setCurrentRow", list_set_current_row, METH_O, "setCurrentRow(row): makes that entry current and selected."},
    {nullptr, nullptr, 0, nullptr},
};

// The entry itself, while its list still holds it.
QListWidgetItem& live_item(PyObject* self) {
    auto* object = reinterpret_cast<ListItemObject*>(self);
    QListWidget* list = object->list->data();
    QListWidgetItem* item = list != nullptr && object->index->isValid() ? list->item(object->index->row()) : nullptr;
    if (item == nullptr) {
        throw std::runtime_error("The list item has been deleted.");
    }
    return *item;
}

PyObject* list_item_text(PyObject* self, PyObject*) {
    return guarded([&] { return qstring_to_python(live_item(self).text()).release(); });
}

PyObject* list_item_repr(PyObject* self) {
    return guarded([&] {
        PyRef text;
        try {
            text = qstring_to_python(live_item(self).text());
        } catch (const std::runtime_error&) {
            return repr_text(self, "(deleted)").release();
        }
        PyRef text_repr = checked(PyObject_Repr(text.get()));
        std::string shown;
        if (!py::text_to_utf8(text_repr.get(), shown)) {
            py::throw_python_error();
        }
        return repr_text(self, shown).release();
    });
}

PyObject* list_item_richcompare(PyObject* self, PyObject* other, int op) {
    if ((op != Py_EQ && op != Py_NE) || !PyObject_TypeCheck(other, &g_list_item_type)) {
        return not_implemented();
    }
    const QPersistentModelIndex& mine = *reinterpret_cast<ListItemObject*>(self)->index;
    const QPersistentModelIndex& theirs = *reinterpret_cast<ListItemObject*>(other)->index;
    const bool equal = mine.isValid() && mine == theirs;
    return bool_to_python(op == Py_EQ ? equal : !equal).release();
}

// Equal proxies stand for one entry, made while it lived, so they share its address.
HashValue list_item_hash(PyObject* self) { return address_hash(reinterpret_cast<ListItemObject*>(self)->address); }

void list_item_dealloc(PyObject* self) {
    auto* object = reinterpret_cast<ListItemObject*>(self);
    delete object->index;
    delete object->list;
    Py_TYPE(self)->tp_free(self);
}

PyMethodDef kListItemMethods[] = {
    {"text", list_item_text, METH_NOARGS, "The entry's text (a preset name)."},
    {nullptr, nullptr, 0, nullptr},
};

// ---- page stack --------------------------------------------------------------------------------

PyObject* stack_current_index(PyObject* self, PyObject*) {
    return on<QStackedWidget>(self, [](QStackedWidget& stack) { return int_to_python(stack.currentIndex()); });
}

PyObject* stack_count(PyObject* self, PyObject*) {
    return on<QStackedWidget>(self, [](QStackedWidget& stack) { return int_to_python(stack.count()); });
}

PyMethodDef kStackMethods[] = {
    {"currentIndex", stack_current_index, METH_NOARGS, "The index of the page shown."},
    {"count", stack_count, METH_NOARGS, "The number of pages."},
    {nullptr, nullptr, 0, nullptr},
};

// ---- sliders and slider rows -------------------------------------------------------------------

template <class Widget>
PyObject* widget_value(PyObject* self, PyObject*) {
    return on<Widget>(self, [](Widget& widget) { return int_to_python(widget.value()); });
}

template <class Widget>
PyObject* widget_set_value(PyObject* self, PyObject* value) {
    return on_converted<Widget>(
        self, [&] { return int_arg(value, "val"); },
        [](Widget& widget, int val) {
            widget.setValue(val);
            return none();
        });
}

PyObject* slider_minimum(PyObject* self, PyObject*) {
    return on<QSlider>(self, [](QSlider& slider) { return int_to_python(slider.minimum()); });
}

PyObject* slider_maximum(PyObject* self, PyObject*) {
    return on<QSlider>(self, [](QSlider& slider) { return int_to_python(slider.maximum()); });
}

// Taking hold of the handle and letting it go, as a mouse drag does (sliderPressed/sliderReleased).
PyObject* slider_set_down(PyObject* self, PyObject* down_arg) {
    return on_converted<QSlider>(
        self, [&] { return truth_arg(down_arg); },
        [](QSlider& slider, bool down) {
            slider.setSliderDown(down);
            return none();
        });
}

PyMethodDef kSliderMethods[] = {
    {"value", widget_value<QSlider>, METH_NOARGS, "The slider's position."},
    {"setValue", widget_set_value<QSlider>, METH_O, "setValue(val): moves the slider, kept within its range."},
    {"minimum", slider_minimum, METH_NOARGS, "The lower end of the range."},
    {"maximum", slider_maximum, METH_NOARGS, "The upper end of the range."},
    {"setSliderDown", slider_set_down, METH_O,
     "setSliderDown(down): takes hold of the handle (True) or lets it go (False), as a mouse drag does."},
    {nullptr, nullptr, 0, nullptr},
};

PyMethodDef kSliderRowMethods[] = {
    {"value", widget_value<SliderRow>, METH_NOARGS, "value(): the slider's current value."},
    {"setValue", widget_set_value<SliderRow>, METH_O,
     "setValue(val): sets the slider (kept within its range; a change fires valueChanged at once),\n"
     "then shows val itself in the field."},
    {nullptr, nullptr, 0, nullptr},
};

template <const int SliderRow::*bound>
PyObject* slider_row_bound(PyObject* self, void*) {
    return on<SliderRow>(self, [](SliderRow& row) { return int_to_python(row.*bound); });
}

PyObject* slider_row_label(PyObject* self, void*) {
    return on<SliderRow>(self, [](SliderRow& row) { return control_proxy(row.label); });
}

PyObject* slider_row_value_field(PyObject* self, void*) {
    return on<SliderRow>(self, [](SliderRow& row) { return control_proxy(row.value_field); });
}

PyObject* slider_row_slider(PyObject* self, void*) {
    return on<SliderRow>(self, [](SliderRow& row) { return control_proxy(row.slider); });
}

PyGetSetDef kSliderRowParts[] = {
    {const_cast<char*>("label"), slider_row_label, nullptr, const_cast<char*>("The caption (a label control)."),
     nullptr},
    {const_cast<char*>("value_field"), slider_row_value_field, nullptr,
     const_cast<char*>("The number field (a text field control)."), nullptr},
    {const_cast<char*>("slider"), slider_row_slider, nullptr, const_cast<char*>("The slider control."), nullptr},
    {const_cast<char*>("_min"), slider_row_bound<&SliderRow::_min>, nullptr,
     const_cast<char*>("Lower bound for typed numbers."), nullptr},
    {const_cast<char*>("_max"), slider_row_bound<&SliderRow::_max>, nullptr,
     const_cast<char*>("Upper bound for typed numbers."), nullptr},
    {nullptr, nullptr, nullptr, nullptr, nullptr},
};

// ---- camera mode button group ------------------------------------------------------------------

PyObject* group_checked_id(PyObject* self, PyObject*) {
    return on<QButtonGroup>(self, [](QButtonGroup& group) { return int_to_python(group.checkedId()); });
}

PyObject* group_checked_button(PyObject* self, PyObject*) {
    return on<QButtonGroup>(self, [](QButtonGroup& group) { return control_proxy(group.checkedButton()); });
}

PyObject* group_buttons(PyObject* self, PyObject*) {
    return on<QButtonGroup>(self, [](QButtonGroup& group) {
        const QList<QAbstractButton*> buttons = group.buttons();
        PyRef list = checked(PyList_New(0));
        for (QAbstractButton* button : buttons) {
            if (PyList_Append(list.get(), control_proxy(button).get()) < 0) {
                py::throw_python_error();
            }
        }
        return list;
    });
}

PyMethodDef kButtonGroupMethods[] = {
    {"checkedId", group_checked_id, METH_NOARGS, "The id of the checked button (0 static, 1 animated, 2 relax)."},
    {"checkedButton", group_checked_button, METH_NOARGS, "The checked button, or None."},
    {"buttons", group_buttons, METH_NOARGS, "The buttons of the group, in the order they were added."},
    {nullptr, nullptr, 0, nullptr},
};

// ---- shake preview -----------------------------------------------------------------------------

void set_member(PyObject* dict, const char* name, const PyRef& value) {
    if (PyDict_SetItemString(dict, name, value.get()) < 0) {
        py::throw_python_error();
    }
}

// A copy is converted, not the widget's own data: building Python objects can run a collection,
// and with it code that deletes the window.
PyRef preview_data_to_python(const ShakePreviewData& data) {
    if (data.weights.empty()) {
        return none();
    }
    PyRef offsets = checked(PyDict_New());
    for (std::size_t k = 0; k < kPreviewChannels; ++k) {
        if (!data.channels[k].empty()) {
            set_member(offsets.get(), kChannels[k], numbers_to_python(data.channels[k]));
        }
    }
    PyRef result = checked(PyDict_New());
    set_member(result.get(), "first_frame", checked(py::integer(data.first_frame)));
    set_member(result.get(), "current_frame",
               data.current_frame ? checked(py::integer(*data.current_frame)) : none());
    set_member(result.get(), "weights", numbers_to_python(data.weights));
    set_member(result.get(), "offsets", offsets);
    set_member(result.get(), "bypassed", checked(PyBool_FromLong(data.bypassed ? 1 : 0)));
    return result;
}

PyObject* preview_data(PyObject* self, PyObject*) {
    return guarded([&] {
        const ShakePreviewData copy = live<ShakePreview>(self).data();
        return preview_data_to_python(copy).release();
    });
}

PyObject* preview_hint(PyObject* self, PyObject*) {
    return on<ShakePreview>(self, [](ShakePreview& preview) { return qstring_to_python(preview.hint()); });
}

PyMethodDef kShakePreviewMethods[] = {
    {"preview_data", preview_data, METH_NOARGS,
     "What the graph draws, or None while nothing is prepared: a dict of first_frame, current_frame\n"
     "(None when unknown), weights (the range and fade multiplier per frame) and offsets (channel ->\n"
     "the shake added on each frame, for the channels that get one) and bypassed (True while the\n"
     "Bypass box keeps that shake off the camera: the graph is dimmed under the word)."},
    {"hint", preview_hint, METH_NOARGS, "The line shown instead of a graph; empty while a graph is drawn."},
    {nullptr, nullptr, 0, nullptr},
};

// ---- the types ---------------------------------------------------------------------------------

PyTypeObject make_type(const char* name, const char* doc, PyMethodDef* methods, PyTypeObject* base,
                       PyGetSetDef* getset = nullptr) {
    PyTypeObject type = static_type(name, sizeof(ControlObject));
    type.tp_doc = doc;
    type.tp_dealloc = control_dealloc;
    type.tp_repr = control_repr;
    type.tp_richcompare = control_richcompare;
    type.tp_hash = control_hash;
    type.tp_flags = Py_TPFLAGS_DEFAULT;
    type.tp_methods = methods;
    type.tp_getset = getset;
    type.tp_base = base;
    return type;
}

PyTypeObject make_list_item_type() {
    PyTypeObject type = make_type("trembla_tool.ListItem", "An entry of the preset list.", kListItemMethods, nullptr);
    type.tp_basicsize = sizeof(ListItemObject);
    type.tp_dealloc = list_item_dealloc;
    type.tp_repr = list_item_repr;
    type.tp_richcompare = list_item_richcompare;
    type.tp_hash = list_item_hash;
    return type;
}

PyTypeObject g_widget_type{};
PyTypeObject g_line_edit_type{};
PyTypeObject g_label_type{};
PyTypeObject g_button_type{};
PyTypeObject g_list_type{};
PyTypeObject g_stack_type{};
PyTypeObject g_slider_type{};
PyTypeObject g_slider_row_type{};
PyTypeObject g_button_group_type{};
PyTypeObject g_shake_preview_type{};

// Filled once, in base-before-derived order, before PyType_Ready sees any of them.
void define_types() {
    g_control_type = make_type("trembla_tool.Control", "A Qt object of the tool window.", kControlMethods, nullptr);
    g_widget_type = make_type("trembla_tool.WidgetControl", "A widget of the tool window.", kWidgetMethods,
                              &g_control_type);
    g_line_edit_type = make_type("trembla_tool.LineEditControl", "A one-line text field.", kLineEditMethods,
                                 &g_widget_type);
    g_label_type = make_type("trembla_tool.LabelControl", "A label.", kLabelMethods, &g_widget_type);
    g_button_type = make_type("trembla_tool.ButtonControl", "A push button, check box or radio button.",
                              kButtonMethods, &g_widget_type);
    g_list_type = make_type("trembla_tool.ListControl", "The preset list.", kListMethods, &g_widget_type);
    g_stack_type = make_type("trembla_tool.StackControl", "The stack of pages.", kStackMethods, &g_widget_type);
    g_slider_type = make_type("trembla_tool.SliderControl", "The slider of a slider row.", kSliderMethods,
                              &g_widget_type);
    g_slider_row_type = make_type("trembla_tool.SliderRow", "Compact slider row: Label | Value | Slider",
                                  kSliderRowMethods, &g_widget_type, kSliderRowParts);
    g_button_group_type = make_type("trembla_tool.ButtonGroupControl", "The exclusive group of the mode buttons.",
                                    kButtonGroupMethods, &g_control_type);
    g_shake_preview_type = make_type("trembla_tool.ShakePreviewControl", "The graph of the shake on the shake page.",
                                     kShakePreviewMethods, &g_widget_type);
    g_list_item_type = make_list_item_type();
}

PyTypeObject* proxy_type_for(QObject* control) {
    if (qobject_cast<SliderRow*>(control) != nullptr) {
        return &g_slider_row_type;
    }
    if (qobject_cast<ShakePreview*>(control) != nullptr) {
        return &g_shake_preview_type;
    }
    if (qobject_cast<QLineEdit*>(control) != nullptr) {
        return &g_line_edit_type;
    }
    if (qobject_cast<QAbstractButton*>(control) != nullptr) {
        return &g_button_type;
    }
    if (qobject_cast<QLabel*>(control) != nullptr) {
        return &g_label_type;
    }
    if (qobject_cast<QListWidget*>(control) != nullptr) {
        return &g_list_type;
    }
    if (qobject_cast<QStackedWidget*>(control) != nullptr) {
        return &g_stack_type;
    }
    if (qobject_cast<QSlider*>(control) != nullptr) {
        return &g_slider_type;
    }
    if (qobject_cast<QButtonGroup*>(control) != nullptr) {
        return &g_button_group_type;
    }
    if (qobject_cast<QWidget*>(control) != nullptr) {
        return &g_widget_type;
    }
    return &g_control_type;
}

}  // namespace

void register_control_types(PyObject* module) {
    if (g_control_type.tp_name == nullptr) {
        define_types();
    }
    for (PyTypeObject* type : {&g_control_type, &g_widget_type, &g_line_edit_type, &g_label_type, &g_button_type,
                               &g_list_type, &g_stack_type, &g_slider_type, &g_slider_row_type,
                               &g_button_group_type, &g_shake_preview_type, &g_list_item_type}) {
        if (PyType_Ready(type) < 0) {
            py::throw_python_error();
        }
    }
    set_module_attr(module, "SliderRow", reinterpret_cast<PyObject*>(&g_slider_row_type));
}

PyRef control_proxy(QObject* control) {
    if (control == nullptr) {
        return none();
    }
    PyTypeObject* type = proxy_type_for(control);
    PyRef proxy = checked(type->tp_alloc(type, 0));
    reinterpret_cast<ControlObject*>(proxy.get())->target = new QPointer<QObject>(control);
    return proxy;
}

QListWidgetItem* list_item_arg(PyObject* obj, const std::string& name) {
    if (obj == Py_None) {
        return nullptr;
    }
    if (!PyObject_TypeCheck(obj, &g_list_item_type)) {
        throw ArgumentTypeError(name + " must be an entry of the preset list or None, not " + Py_TYPE(obj)->tp_name);
    }
    return &live_item(obj);
}

}  // namespace trembla::ext
