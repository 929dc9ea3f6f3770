// LineEditControl and LabelControl: the faces of the text fields and labels (control_face.h).
#include "module/faces/control_face.h"

#include <QLabel>
#include <QLineEdit>

#include "module/binding/qt_values.h"

namespace trembla::ext::controls {

namespace {

PyObject* line_edit_placeholder(PyObject* self, PyObject*) {
    return on<QLineEdit>(self, [](QLineEdit& edit) { return qstring_to_python(edit.placeholderText()); });
}

}  // namespace

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

}  // namespace trembla::ext::controls
