// MAnimMessage.addAnimCurveEditedCallback(function, clientData=None) -> id registers "a callback
// that is called whenever an AnimCurve is edited"; MMessage.removeCallback(id) removes it (Python
// API 2.0 reference, OpenMayaAnim.MAnimMessage, https://help.autodesk.com/cloudhelp/2024/ENU/
// MAYA-API-REF/py_ref/class_open_maya_anim_1_1_m_anim_message.html). The callback stays for the
// session: it only counts.
#include "pyhost/curve_edits.h"

#include <utility>

#include "pyhost/py_compat.h"
#include "pyhost/py_ref.h"
#include "pyhost/python_error.h"

namespace trembla::py {

namespace {

// Plain numbers only: the callback runs inside any host command, whatever the module is doing,
// and must not reach into anything that command may be changing.
std::uint64_t g_edits = 0;
PyObject* g_callback_id = nullptr;  // owned; set while the callback is registered

PyObject* on_curve_edited(PyObject*, PyObject*) {
    ++g_edits;
    Py_RETURN_NONE;
}

PyMethodDef kOnCurveEdited = {"_on_curve_edited", on_curve_edited, METH_VARARGS,
                              "Counts the host's anim curve edited messages."};

// The callback registered, its id; empty when the host has no such API or refuses it.
PyRef register_callback() {
    PyRef anim = PyRef::steal(PyImport_ImportModule("maya.api.OpenMayaAnim"));
    if (!anim) return PyRef();
    PyRef message = PyRef::steal(PyObject_GetAttrString(anim.get(), "MAnimMessage"));
    if (!message) return PyRef();
    PyRef function = PyRef::steal(PyCFunction_New(&kOnCurveEdited, nullptr));
    if (!function) return PyRef();
    return PyRef::steal(PyObject_CallMethod(message.get(), const_cast<char*>("addAnimCurveEditedCallback"),
                                            const_cast<char*>("(O)"), function.get()));
}

}  // namespace

void listen_to_curve_edits() noexcept {
    if (g_callback_id != nullptr) return;
    const PendingErrorSaver keep;
    g_callback_id = register_callback().release();
    // Without the message the tool reads the curves back, as it did before listening.
    PyErr_Clear();
}

std::optional<std::uint64_t> curve_edit_mark() noexcept {
    if (g_callback_id == nullptr) return std::nullopt;
    return g_edits;
}

}  // namespace trembla::py
