// Keying a whole shake curve in one call through maya.api (Python API 2.0): finding the API,
// the host's time and working units, the MFnAnimCurve.addKeys call, and the fall back to the
// per-key path when the host refuses it. The rest of PythonHost is python_host.cpp.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "pyhost/host_values.h"
#include "pyhost/python_host.h"

namespace trembla::py {

namespace {

// An attribute that may be missing: empty when it is (AttributeError cleared), thrown otherwise.
PyRef optional_attr(PyObject* owner, const char* name) {
    PyObject* found = PyObject_GetAttrString(owner, name);
    if (found == nullptr) {
        if (!PyErr_ExceptionMatches(PyExc_AttributeError)) {
            throw_python_error();
        }
        PyErr_Clear();
    }
    return PyRef::steal(found);
}

// A module that may be missing: empty when importing it raises ImportError (cleared).
PyRef optional_import(const char* name) {
    PyObject* found = PyImport_ImportModule(name);
    if (found == nullptr) {
        if (!PyErr_ExceptionMatches(PyExc_ImportError)) {
            throw_python_error();
        }
        PyErr_Clear();
    }
    return PyRef::steal(found);
}

}  // namespace

// The batch interface is Maya's Python API 2.0 (maya.api.OpenMaya / maya.api.OpenMayaAnim). Hosts
// or stand-ins without it (no module, or a module without these names) get the per-key path.
bool PythonHost::key_api_available() {
    if (key_api_.looked_up) {
        return key_api_.available;
    }
    key_api_.looked_up = true;
    PyRef om = optional_import("maya.api.OpenMaya");
    PyRef oma = om ? optional_import("maya.api.OpenMayaAnim") : PyRef();
    if (!om || !oma) {
        return false;
    }
    KeyApi api;
    api.selection_list = optional_attr(om.get(), "MSelectionList");
    api.time = optional_attr(om.get(), "MTime");
    api.time_array = optional_attr(om.get(), "MTimeArray");
    api.double_array = optional_attr(om.get(), "MDoubleArray");
    api.anim_curve = optional_attr(oma.get(), "MFnAnimCurve");
    if (!api.selection_list || !api.time || !api.time_array || !api.double_array || !api.anim_curve) {
        return false;
    }
    api.tangent_global = optional_attr(api.anim_curve.get(), "kTangentGlobal");
    PyRef add_keys = optional_attr(api.anim_curve.get(), "addKeys");
    PyRef ui_unit = optional_attr(api.time.get(), "uiUnit");
    api.angle = optional_attr(om.get(), "MAngle");
    api.distance = optional_attr(om.get(), "MDistance");
    if (!api.tangent_global || !add_keys || !ui_unit || !api.angle || !api.distance) {
        return false;
    }
    api.looked_up = true;
    api.available = true;
    key_api_ = std::move(api);
    return true;
}

// MTimeArray of the frames in the host's current time unit, as setKeyframe reads a bare time:
// MTime(value, unit) and the static MTime.uiUnit() (Python API 2.0 reference, OpenMaya.MTime,
// https://help.autodesk.com/cloudhelp/2017/CHS/Maya-SDK/py_ref/class_open_maya_1_1_m_time.html).
// The array is kept across commands (BridgeCache) while the frames and the unit are the same.
PyObject* PythonHost::key_times(const std::vector<Frame>& frames) {
    if (!time_unit_) {
        time_unit_ = checked(PyObject_CallMethod(key_api_.time.get(), const_cast<char*>("uiUnit"), nullptr));
    }
    BridgeCache& cache = *cache_;
    if (cache.key_times && cache.key_time_unit && frames == cache.key_frames) {
        const int same = PyObject_RichCompareBool(cache.key_time_unit.get(), time_unit_.get(), Py_EQ);
        if (same < 0) throw_python_error();
        if (same == 1) return cache.key_times.get();
    }
    cache.key_times = PyRef();
    PyRef unit = time_unit_;
    PyObject* time_type = key_api_.time.get();
    PyRef times = build_list(frames.size(), [&](std::size_t i) {
        PyRef value = make_float(static_cast<double>(frames[i]));
        return checked(PyObject_CallFunctionObjArgs(time_type, value.get(), unit.get(), nullptr));
    });
    PyRef built = checked(PyObject_CallFunctionObjArgs(key_api_.time_array.get(), times.get(), nullptr));
    // Re-fetched: building the times ran host code, which may have replaced the cache's contents.
    BridgeCache& kept = *cache_;
    kept.key_times = std::move(built);
    kept.key_time_unit = unit;
    kept.key_frames = frames;
    return kept.key_times.get();
}

// Internal units per working unit, from MAngle / MDistance.uiToInternal(1.0), once per command:
// the units are proportional, so one factor converts every value (OpenMaya.MAngle,
// https://help.autodesk.com/cloudhelp/2020/ENU/Maya-SDK-MERGED/py_ref/class_open_maya_1_1_m_angle.html;
// OpenMaya.MDistance, https://help.autodesk.com/cloudhelp/2025/ENU/MAYA-API-REF/py_ref/
// class_open_maya_1_1_m_distance.html).
double PythonHost::internal_per_ui(PyObject* unit_type, std::optional<double>& cached) {
    if (!cached) {
        PyRef one = make_float(1.0);
        PyRef answer = checked(
            PyObject_CallMethod(unit_type, const_cast<char*>("uiToInternal"), const_cast<char*>("(O)"), one.get()));
        cached = answer_number(answer.get());
    }
    return *cached;
}

bool PythonHost::per_key_only() {
    if (!per_key_only_ && key_path_.per_key_only && key_path_.per_key_only()) per_key_only_ = true;
    return per_key_only_;
}

void PythonHost::set_curve_keys(const std::string& curve, const std::vector<Frame>& frames,
                                const std::vector<double>& values) {
    keys_in_one_call(curve, frames, values, 0, [&] { Host::set_curve_keys(curve, frames, values); });
}

void PythonHost::add_curve_keys(const std::string& curve, const std::vector<Frame>& frames,
                                const std::vector<double>& values) {
    keys_in_one_call(curve, frames, values, 1, [&] { Host::add_curve_keys(curve, frames, values); });
}

void PythonHost::keys_in_one_call(const std::string& curve, const std::vector<Frame>& frames,
                                  const std::vector<double>& values, double keys_before,
                                  const std::function<void()>& per_key) {
    if (!key_api_available() || per_key_only()) {
        per_key();
        return;
    }
    if (frames.empty()) {
        return;  // the per-key path makes no call either
    }
    std::optional<PythonError> refused = add_keys(curve, frames, values, keys_before > 0);
    if (refused) {
        const PythonError& error = *refused;
        // Whether addKeys has this signature in every host version cannot be checked here: a call
        // the host refuses before any key is in (TypeError, RuntimeError) leaves the curve as the
        // per-key path finds it. A failure after keys were written stays a failure.
        bool untouched = false;
        try {
            untouched = key_count(curve) == keys_before;
        } catch (const HostError&) {
        }
        if (!untouched) throw error;
        per_key_only_ = true;
        if (key_path_.keep_per_key) key_path_.keep_per_key();
        print_line(std::string("Trembla: the host refused to key a curve in one call (") + error.what() +
                   "); keying per key until reset_state().");
        per_key();
    }
}

std::optional<PythonError> PythonHost::add_keys(const std::string& curve, const std::vector<Frame>& frames,
                                                const std::vector<double>& values, bool keep_existing) {
    // Python API 2.0: MSelectionList.add(name) / getDependNode(0) give the node's MObject;
    // MFnAnimCurve(MObject) attaches to it; addKeys(times, values, tangentInType, tangentOutType,
    // keepExistingKeys) "adds a set of new keys with the given corresponding values and tangent
    // types at the specified times" on an animCurveTA/TL/TU (OpenMayaAnim.MFnAnimCurve,
    // https://help.autodesk.com/cloudhelp/2024/ENU/MAYA-API-REF/py_ref/class_open_maya_anim_1_1_m_fn_anim_curve.html).
    // kTangentGlobal for both sides keys with the host's default tangent types, as setKeyframe
    // does when given only a time and a value (those defaults are keyTangent's global settings,
    // "the default tangent type of newly created keyframes", keyTangent reference,
    // https://help.autodesk.com/cloudhelp/ENU/MayaCRE-Tech-Docs/CommandsPython/keyTangent.html).
    // Neither call touches the curve's infinity, which stays as createNode made it. These keys are not on the undo queue: they only
    // ever go into a curve created in this same step. keepExistingKeys is on for a layer's curve,
    // which holds the key whose setKeyframe created it; that key must stay.
    // The values go in internal units: "Unless otherwise specified all API methods use Maya
    // internal units: cm and radians" (Maya SDK, Appendix: Frequently asked questions,
    // https://help.autodesk.com/cloudhelp/2018/ENU/Maya-SDK/files/Appendices_Appendix_D_Frequently_asked_questions.htm),
    // and addKeys converts nothing (its sibling addKeysWithTangents has a convertUnits argument).
    // Degrees go to the working angular unit first, as setKeyframe would take them.
    const std::string& type = curve_type(curve);
    double ui_per_value = 1.0;
    double scale = 1.0;
    if (type == "animCurveTA") {
        ui_per_value = ui_per_degree();
        scale = internal_per_ui(key_api_.angle.get(), angle_internal_per_ui_);
    } else if (type == "animCurveTL") {
        scale = internal_per_ui(key_api_.distance.get(), distance_internal_per_ui_);
    }
    PyObject* times = key_times(frames);
    PyRef keep_times = PyRef::borrow(times);
    const std::size_t count = std::min(frames.size(), values.size());
    PyRef value_list = build_list(count, [&](std::size_t i) {
        const double ui = ui_per_value == 1.0 ? values[i] : values[i] * ui_per_value;
        return make_float(ui * scale);
    });
    PyRef value_array = checked(PyObject_CallFunctionObjArgs(key_api_.double_array.get(), value_list.get(), nullptr));
    PyRef selection = checked(PyObject_CallFunctionObjArgs(key_api_.selection_list.get(), nullptr));
    PyRef name = make_text(curve);
    checked(PyObject_CallMethod(selection.get(), const_cast<char*>("add"), const_cast<char*>("(O)"), name.get()));
    PyRef node =
        checked(PyObject_CallMethod(selection.get(), const_cast<char*>("getDependNode"), const_cast<char*>("(i)"), 0));
    PyRef function_set = checked(PyObject_CallFunctionObjArgs(key_api_.anim_curve.get(), node.get(), nullptr));
    PyRef tangent = key_api_.tangent_global;
    // Only the addKeys call itself may be refused: TypeError or RuntimeError are handed back.
    try {
        checked(PyObject_CallMethod(function_set.get(), const_cast<char*>("addKeys"), const_cast<char*>("(OOOOO)"),
                                    times, value_array.get(), tangent.get(), tangent.get(),
                                    keep_existing ? Py_True : Py_False));
    } catch (const PythonError& error) {
        if (!error.matches(PyExc_TypeError) && !error.matches(PyExc_RuntimeError)) throw;
        return error;
    }
    return std::nullopt;
}

}  // namespace trembla::py
