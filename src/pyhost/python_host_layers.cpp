// PythonHost, layers: the animLayer command (existence, override layers, their attributes and
// curves, selection, mute) and keying a channel into a layer.
#include "pyhost/python_host_calls.h"

namespace trembla::py {

bool PythonHost::layer_muted(const std::string& layer) {
    const Names& n = names();
    PyRef layer_obj = make_text(layer);
    return answer_truth(call(Command::AnimLayer, {layer_obj.get()}, {{n.q, Py_True}, {n.mute, Py_True}}).get());
}

void PythonHost::set_layer_muted(const std::string& layer, bool muted) {
    const Names& n = names();
    PyRef layer_obj = make_text(layer);
    call(Command::AnimLayer, {layer_obj.get()}, {{n.edit, Py_True}, {n.mute, muted ? Py_True : Py_False}});
}

void PythonHost::set_layer_key(const std::string& node, const std::string& attribute, Frame time, double value,
                               const std::string& layer) {
    const Names& n = names();
    if (is_angle_attribute(attribute)) value = from_degrees(value);
    PyRef node_obj = make_text(node);
    PyRef attribute_obj = make_text(attribute);
    PyRef time_obj = make_int(time);
    PyRef value_obj = make_float(value);
    PyRef layer_obj = make_text(layer);
    call(Command::SetKeyframe, {node_obj.get()},
         {{n.attribute, attribute_obj.get()},
          {n.time, time_obj.get()},
          {n.value, value_obj.get()},
          {n.animLayer, layer_obj.get()}});
}

bool PythonHost::anim_layer_exists(const std::string& name) {
    const Names& n = names();
    PyRef name_obj = make_text(name);
    return answer_truth(call(Command::AnimLayer, {name_obj.get()}, {{n.q, Py_True}, {n.exists, Py_True}}).get());
}

std::string PythonHost::create_override_layer(const std::string& name) {
    PyRef name_obj = make_text(name);
    return answer_text(call(Command::AnimLayer, {name_obj.get()}, {{names().override_, Py_True}}).get());
}

void PythonHost::add_layer_attribute(const std::string& layer, const std::string& plug) {
    const Names& n = names();
    PyRef layer_obj = make_text(layer);
    PyRef plug_obj = make_text(plug);
    call(Command::AnimLayer, {layer_obj.get()}, {{n.edit, Py_True}, {n.attribute, plug_obj.get()}});
}

// findCurveForPlug is a query flag of animLayer: "Finds the parameter curve containing the
// animation data for the specified plug on the given layer" (animLayer reference,
// https://download.autodesk.com/global/docs/maya2014/en_us/CommandsPython/animLayer.html), answered
// as a list of the layer's curves for the plug such as [u'pCube1_translateY_AnimLayer1_inputB'].
// Anything else (None, an empty list, a bare name) is taken as no curve: the caller then keys per
// key.
std::optional<std::string> PythonHost::layer_curve(const std::string& layer, const std::string& plug) {
    const Names& n = names();
    PyRef layer_obj = make_text(layer);
    PyRef plug_obj = make_text(plug);
    PyRef answer = call(Command::AnimLayer, {layer_obj.get()}, {{n.q, Py_True}, {n.findCurveForPlug, plug_obj.get()}});
    if (!PyList_Check(answer.get()) || PyList_GET_SIZE(answer.get()) < 1) return std::nullopt;
    return answer_text(PyList_GET_ITEM(answer.get(), 0));
}

}  // namespace trembla::py
