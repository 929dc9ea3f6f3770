// ComboControl and SpinControl: the faces of the clip list and of the clip's start frame on SETUP
// (control_face.h).
#include <QComboBox>
#include <QSpinBox>

#include "module/binding/qt_values.h"
#include "module/faces/control_face.h"

namespace trembla::ext::controls {

namespace {

PyObject* combo_count(PyObject* self, PyObject*) {
    return on<QComboBox>(self, [](QComboBox& combo) { return int_to_python(combo.count()); });
}

PyObject* combo_current_index(PyObject* self, PyObject*) {
    return on<QComboBox>(self, [](QComboBox& combo) { return int_to_python(combo.currentIndex()); });
}

PyObject* combo_current_text(PyObject* self, PyObject*) {
    return on<QComboBox>(self, [](QComboBox& combo) { return qstring_to_python(combo.currentText()); });
}

PyObject* combo_set_current_index(PyObject* self, PyObject* index) {
    return on_converted<QComboBox>(
        self, [&] { return int_arg(index, "index"); },
        [](QComboBox& combo, int row) {
            combo.setCurrentIndex(row);
            return none();
        });
}

template <int role>
PyObject* combo_item(PyObject* self, PyObject* index) {
    return on_converted<QComboBox>(
        self, [&] { return int_arg(index, "index"); },
        [](QComboBox& combo, int row) { return variant_to_python(combo.itemData(row, role)); });
}

PyObject* spin_value(PyObject* self, PyObject*) {
    return on<QSpinBox>(self, [](QSpinBox& spin) { return int_to_python(spin.value()); });
}

PyObject* spin_minimum(PyObject* self, PyObject*) {
    return on<QSpinBox>(self, [](QSpinBox& spin) { return int_to_python(spin.minimum()); });
}

PyObject* spin_maximum(PyObject* self, PyObject*) {
    return on<QSpinBox>(self, [](QSpinBox& spin) { return int_to_python(spin.maximum()); });
}

PyObject* spin_set_value(PyObject* self, PyObject* value) {
    return on_converted<QSpinBox>(
        self, [&] { return int_arg(value, "value"); },
        [](QSpinBox& spin, int number) {
            spin.setValue(number);
            return none();
        });
}

}  // namespace

PyMethodDef kComboMethods[] = {
    {"count", combo_count, METH_NOARGS, "The number of entries."},
    {"currentIndex", combo_current_index, METH_NOARGS, "The index of the chosen entry, -1 when there is none."},
    {"currentText", combo_current_text, METH_NOARGS, "The chosen entry's text."},
    {"setCurrentIndex", combo_set_current_index, METH_O,
     "setCurrentIndex(index): chooses that entry, as the user would."},
    {"itemText", combo_item<Qt::DisplayRole>, METH_O, "itemText(index): the entry's text."},
    {"itemData", combo_item<Qt::UserRole>, METH_O, "itemData(index): the entry's clip name; None for the object's."},
    {"itemToolTip", combo_item<Qt::ToolTipRole>, METH_O, "itemToolTip(index): the entry's tooltip."},
    {nullptr, nullptr, 0, nullptr},
};

PyMethodDef kSpinMethods[] = {
    {"value", spin_value, METH_NOARGS, "The number shown."},
    {"minimum", spin_minimum, METH_NOARGS, "The lowest number it takes."},
    {"maximum", spin_maximum, METH_NOARGS, "The highest number it takes."},
    {"setValue", spin_set_value, METH_O, "setValue(value): sets the number, held within its range, as the user would."},
    {nullptr, nullptr, 0, nullptr},
};

}  // namespace trembla::ext::controls
