// MAnimMessage.addAnimCurveEditedCallback(function, clientData=None) -> id registers "a callback
// that is called whenever an AnimCurve is edited"; MMessage.removeCallback(id) removes it (Python
// API 2.0 reference, OpenMayaAnim.MAnimMessage, https://help.autodesk.com/cloudhelp/2024/ENU/
// MAYA-API-REF/py_ref/class_open_maya_anim_1_1_m_anim_message.html). A scene read replaces every
// curve, whether or not the host tells each as edited, so MSceneMessage.addCallback(message,
// function) counts too after a new scene, a file opened or imported and a reference created or
// loaded (OpenMaya.MSceneMessage, https://help.autodesk.com/cloudhelp/2024/ENU/MAYA-API-REF/
// py_ref/class_open_maya_1_1_m_scene_message.html). The callbacks stay for the session: they only
// count.
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
std::uint64_t g_scene_reads = 0;
PyObject* g_callback_id = nullptr;  // owned; set while the callback is registered
bool g_scene_listened = false;
bool g_scene_heard = false;  // the host takes at least one of the scene messages

PyObject* on_curve_edited(PyObject*, PyObject*) {
    ++g_edits;
    Py_RETURN_NONE;
}

PyObject* on_scene_read(PyObject*, PyObject*) {
    ++g_edits;
    ++g_scene_reads;
    Py_RETURN_NONE;
}

PyMethodDef kOnCurveEdited = {"_on_curve_edited", on_curve_edited, METH_VARARGS,
                              "Counts the host's anim curve edited messages."};
PyMethodDef kOnSceneRead = {"_on_scene_read", on_scene_read, METH_VARARGS,
                            "Counts the host's messages after a scene was read."};

// The scene messages after which every curve may be another; a host that refuses one still has
// the others. The ids are kept for the session, as the curve message's is.
bool listen_to_scene_reads() {
    bool listening = false;
    PyRef api = PyRef::steal(PyImport_ImportModule("maya.api.OpenMaya"));
    if (!api) return false;
    PyRef message = PyRef::steal(PyObject_GetAttrString(api.get(), "MSceneMessage"));
    if (!message) return false;
    PyRef function = PyRef::steal(PyCFunction_New(&kOnSceneRead, nullptr));
    if (!function) return false;
    for (const char* after :
         {"kAfterNew", "kAfterOpen", "kAfterImport", "kAfterCreateReference", "kAfterLoadReference"}) {
        PyRef which = PyRef::steal(PyObject_GetAttrString(message.get(), after));
        if (!which) {
            PyErr_Clear();
            continue;
        }
        PyRef id = PyRef::steal(PyObject_CallMethod(message.get(), const_cast<char*>("addCallback"),
                                                    const_cast<char*>("(OO)"), which.get(), function.get()));
        if (!id) {
            PyErr_Clear();
            continue;
        }
        static_cast<void>(id.release());  // kept registered for the session
        listening = true;
    }
    return listening;
}

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
    if (g_callback_id != nullptr && !g_scene_listened) {
        g_scene_listened = true;
        g_scene_heard = listen_to_scene_reads();
        PyErr_Clear();
    }
}

std::optional<std::uint64_t> curve_edit_mark() noexcept {
    if (g_callback_id == nullptr) return std::nullopt;
    return g_edits;
}

std::optional<std::uint64_t> scene_read_mark() noexcept {
    if (!g_scene_heard) return std::nullopt;
    return g_scene_reads;
}

}  // namespace trembla::py
