// ShakePreviewControl: the face of the graph of the shake on the shake page (control_face.h).
#include "module/faces/control_face.h"

#include "core/records.h"
#include "module/binding/qt_values.h"
#include "module/binding/results.h"
#include "pyhost/python_error.h"
#include "ui/shake_preview.h"

namespace trembla::ext::controls {

using py::checked;
using py::PyRef;

namespace {

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
    set_member(result.get(), "current_frame", data.current_frame ? checked(py::integer(*data.current_frame)) : none());
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

}  // namespace

PyMethodDef kShakePreviewMethods[] = {
    {"preview_data", preview_data, METH_NOARGS,
     "What the graph draws, or None while nothing is prepared: a dict of first_frame, current_frame\n"
     "(None when unknown), weights (the range and fade multiplier per frame) and offsets (channel ->\n"
     "the shake added on each frame, for the channels that get one) and bypassed (True while the\n"
     "Bypass box keeps that shake off the camera: the graph is dimmed under the word)."},
    {"hint", preview_hint, METH_NOARGS, "The line shown instead of a graph; empty while a graph is drawn."},
    {nullptr, nullptr, 0, nullptr},
};

}  // namespace trembla::ext::controls
