// SliderControl and SliderRow: the faces of a slider row and of its slider (control_face.h).
#include "module/faces/control_face.h"

#include <QSlider>

#include "module/binding/qt_values.h"
#include "module/binding/readers.h"
#include "module/faces/control_proxy.h"
#include "ui/slider_row.h"

namespace trembla::ext::controls {

namespace {

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

}  // namespace

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

namespace {

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

}  // namespace

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

}  // namespace trembla::ext::controls
