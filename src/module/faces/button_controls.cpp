// ButtonControl (push buttons, check boxes, radio buttons) and ButtonGroupControl (the exclusive
// group of the camera mode buttons) (control_face.h).
#include "module/faces/control_face.h"

#include <QAbstractButton>
#include <QButtonGroup>

#include "module/binding/qt_values.h"
#include "module/binding/readers.h"
#include "module/faces/control_proxy.h"
#include "pyhost/python_error.h"

namespace trembla::ext::controls {

using py::checked;
using py::PyRef;

namespace {

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

}  // namespace

PyMethodDef kButtonMethods[] = {
    {"text", widget_text<QAbstractButton>, METH_NOARGS, "The caption."},
    {"setText", widget_set_text<QAbstractButton>, METH_O, "setText(text)"},
    {"isChecked", button_is_checked, METH_NOARGS, "The checked state."},
    {"setChecked", button_set_checked, METH_O, "setChecked(checked): toggles as a user's click would."},
    {"isCheckable", button_is_checkable, METH_NOARGS, "True for check boxes, radio and tab buttons."},
    {"click", button_click, METH_NOARGS, "Clicks the button as the user would (press, release, clicked)."},
    {nullptr, nullptr, 0, nullptr},
};

namespace {

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

}  // namespace

PyMethodDef kButtonGroupMethods[] = {
    {"checkedId", group_checked_id, METH_NOARGS, "The id of the checked button (0 static, 1 animated, 2 relax)."},
    {"checkedButton", group_checked_button, METH_NOARGS, "The checked button, or None."},
    {"buttons", group_buttons, METH_NOARGS, "The buttons of the group, in the order they were added."},
    {nullptr, nullptr, 0, nullptr},
};

}  // namespace trembla::ext::controls
