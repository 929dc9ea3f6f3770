#include "module/faces/control_proxy.h"

#include <cstdint>
#include <sstream>
#include <stdexcept>

#include <QAbstractButton>
#include <QButtonGroup>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QSlider>
#include <QSpinBox>
#include <QStackedWidget>

#include "module/binding/errors.h"
#include "module/binding/qt_values.h"
#include "module/binding/readers.h"
#include "module/faces/control_face.h"
#include "module/registry.h"
#include "pyhost/python_error.h"
#include "ui/shake_preview.h"
#include "ui/slider_row.h"

namespace trembla::ext {

using py::checked;
using py::PyRef;

namespace controls {

PyRef none() { return PyRef::borrow(Py_None); }

HashValue address_hash(std::uintptr_t address) {
    const auto hash = static_cast<HashValue>(address >> 4);
    return hash == -1 ? -2 : hash;
}

PyObject* not_implemented() {
    Py_INCREF(Py_NotImplemented);
    return Py_NotImplemented;
}

PyRef repr_text(PyObject* self, const std::string& detail) {
    return checked(py::text(std::string("<") + Py_TYPE(self)->tp_name + " " + detail + ">"));
}

namespace {

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

PyObject* widget_tool_tip(PyObject* self, PyObject*) {
    return on<QWidget>(self, [](QWidget& widget) { return qstring_to_python(widget.toolTip()); });
}

PyMethodDef kWidgetMethods[] = {
    {"isVisible", widget_is_visible, METH_NOARGS, "True when the widget and all its parents are shown."},
    {"isHidden", widget_is_hidden, METH_NOARGS, "True when the widget itself was hidden."},
    {"isEnabled", widget_is_enabled, METH_NOARGS, "True when the widget takes input."},
    {"toolTip", widget_tool_tip, METH_NOARGS, "The text shown when the pointer rests on the widget."},
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

}  // namespace

// ---- the types ---------------------------------------------------------------------------------

PyTypeObject make_type(const char* name, const char* doc, PyMethodDef* methods, PyTypeObject* base,
                       PyGetSetDef* getset) {
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

namespace {

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
PyTypeObject g_combo_type{};
PyTypeObject g_spin_type{};

// Filled once, in base-before-derived order, before PyType_Ready sees any of them.
void define_types() {
    g_control_type = make_type("trembla_tool.Control", "A Qt object of the tool window.", kControlMethods, nullptr);
    g_widget_type =
        make_type("trembla_tool.WidgetControl", "A widget of the tool window.", kWidgetMethods, &g_control_type);
    g_line_edit_type =
        make_type("trembla_tool.LineEditControl", "A one-line text field.", kLineEditMethods, &g_widget_type);
    g_label_type = make_type("trembla_tool.LabelControl", "A label.", kLabelMethods, &g_widget_type);
    g_button_type = make_type("trembla_tool.ButtonControl", "A push button, check box or radio button.", kButtonMethods,
                              &g_widget_type);
    g_list_type = make_type("trembla_tool.ListControl", "The preset list.", kListMethods, &g_widget_type);
    g_stack_type = make_type("trembla_tool.StackControl", "The stack of pages.", kStackMethods, &g_widget_type);
    g_slider_type =
        make_type("trembla_tool.SliderControl", "The slider of a slider row.", kSliderMethods, &g_widget_type);
    g_slider_row_type = make_type("trembla_tool.SliderRow", "Compact slider row: Label | Value | Slider",
                                  kSliderRowMethods, &g_widget_type, kSliderRowParts);
    g_button_group_type = make_type("trembla_tool.ButtonGroupControl", "The exclusive group of the mode buttons.",
                                    kButtonGroupMethods, &g_control_type);
    g_shake_preview_type = make_type("trembla_tool.ShakePreviewControl", "The graph of the shake on the shake page.",
                                     kShakePreviewMethods, &g_widget_type);
    g_combo_type =
        make_type("trembla_tool.ComboControl", "The clip list on the setup page.", kComboMethods, &g_widget_type);
    g_spin_type =
        make_type("trembla_tool.SpinControl", "A number box: the clip's start frame.", kSpinMethods, &g_widget_type);
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
    if (qobject_cast<QComboBox*>(control) != nullptr) {
        return &g_combo_type;
    }
    if (qobject_cast<QSpinBox*>(control) != nullptr) {
        return &g_spin_type;
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

}  // namespace controls

using namespace controls;

void register_control_types(PyObject* module) {
    if (g_control_type.tp_name == nullptr) {
        define_types();
    }
    for (PyTypeObject* type : {&g_control_type, &g_widget_type, &g_line_edit_type, &g_label_type, &g_button_type,
                               &g_list_type, &g_stack_type, &g_slider_type, &g_slider_row_type, &g_button_group_type,
                               &g_shake_preview_type, &g_combo_type, &g_spin_type, &g_list_item_type}) {
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

}  // namespace trembla::ext
