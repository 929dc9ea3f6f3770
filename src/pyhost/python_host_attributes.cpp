// PythonHost, attributes and links: setting values, making and deleting nodes, connecting and
// disconnecting plugs, asking what feeds a plug, and the dynamic attributes the tool keeps on a
// camera (string notes and message arrays).
#include "pyhost/python_host_calls.h"

namespace trembla::py {

void PythonHost::set_attr(const std::string& plug, double value) {
    PyRef plug_obj = make_text(plug);
    PyRef value_obj = make_float(angle_plug(plug) ? from_degrees(value) : value);
    call(Command::SetAttr, {plug_obj.get(), value_obj.get()});
}

void PythonHost::delete_node(const std::string& name) {
    PyRef name_obj = make_text(name);
    call(Command::Delete, {name_obj.get()});
}

// skipSelect: "This node is not to be selected after creation, the original selection will be
// preserved" (createNode reference,
// https://docs.huihoo.com/autodesk/maya/2017/english/CommandsPython/createNode.html).
std::string PythonHost::create_node(const std::string& type, const std::string& name) {
    PyRef type_obj = make_text(type);
    PyRef name_obj = make_text(name);
    std::string made = answer_text(
        call(Command::CreateNode, {type_obj.get()}, {{names().name, name_obj.get()}, {names().skipSelect, Py_True}})
            .get());
    curve_types_[made] = type;
    return made;
}

void PythonHost::connect_attr(const std::string& source, const std::string& destination) {
    PyRef source_obj = make_text(source);
    PyRef destination_obj = make_text(destination);
    call(Command::ConnectAttr, {source_obj.get(), destination_obj.get()}, {{names().force, Py_True}});
}

void PythonHost::disconnect_attr(const std::string& source, const std::string& destination) {
    PyRef source_obj = make_text(source);
    PyRef destination_obj = make_text(destination);
    call(Command::DisconnectAttr, {source_obj.get(), destination_obj.get()});
}

// listConnections answers None when nothing is connected ("List of connection plugs/nodes";
// listConnections reference, https://docs.huihoo.com/autodesk/maya/2017/english/CommandsPython/
// listConnections.html).
std::optional<std::string> PythonHost::input_plug(const std::string& plug) {
    const Names& n = names();
    PyRef plug_obj = make_text(plug);
    PyRef answer = call(Command::ListConnections, {plug_obj.get()},
                        {{n.source, Py_True}, {n.destination, Py_False}, {n.plugs, Py_True}});
    if (answer.get() == Py_None || !answer_truth(answer.get())) return std::nullopt;
    return answer_text(answer_item(answer.get(), 0).get());
}

std::string PythonHost::node_type(const std::string& node) {
    PyRef node_obj = make_text(node);
    return answer_text(call(Command::NodeType, {node_obj.get()}).get());
}

bool PythonHost::has_attribute(const std::string& node, const std::string& attribute) {
    const Names& n = names();
    PyRef attribute_obj = make_text(attribute);
    PyRef node_obj = make_text(node);
    return answer_truth(
        call(Command::AttributeQuery, {attribute_obj.get()}, {{n.node, node_obj.get()}, {n.exists, Py_True}}).get());
}

// A string attribute that was never set answers None.
std::optional<std::string> PythonHost::string_attr(const std::string& node, const std::string& attribute) {
    if (!has_attribute(node, attribute)) return std::nullopt;
    PyRef plug_obj = make_text(node + "." + attribute);
    PyRef answer = call(Command::GetAttr, {plug_obj.get()});
    if (answer.get() == Py_None) return std::nullopt;
    if (!is_text(answer.get())) throw NotTextError(node + "." + attribute + " holds no text");
    return answer_text(answer.get());
}

bool PythonHost::has_attr(const std::string& node, const std::string& attribute) {
    return has_attribute(node, attribute);
}

// addAttr -attributeType "message" -multi: an array of message plugs, each connected from another
// node's .message (addAttr reference, https://docs.huihoo.com/autodesk/maya/2017/english/
// CommandsPython/addAttr.html).
void PythonHost::add_message_attr(const std::string& node, const std::string& attribute) {
    const Names& n = names();
    PyRef node_obj = make_text(node);
    PyRef attribute_obj = make_text(attribute);
    PyRef message_type = make_text("message");
    call(Command::AddAttr, {node_obj.get()},
         {{n.longName, attribute_obj.get()}, {n.attributeType, message_type.get()}, {n.multi, Py_True}});
}

// deleteAttr "node.attribute": "delete a dynamic attribute from a node" (deleteAttr reference,
// https://docs.huihoo.com/autodesk/maya/2017/english/CommandsPython/deleteAttr.html).
void PythonHost::delete_attr(const std::string& node, const std::string& attribute) {
    PyRef plug_obj = make_text(node + "." + attribute);
    call(Command::DeleteAttr, {plug_obj.get()});
}

// addAttr -dataType "string" and setAttr -type "string" (addAttr and setAttr references,
// https://docs.huihoo.com/autodesk/maya/2017/english/Commands/addAttr.html and
// https://docs.huihoo.com/autodesk/maya/2017/english/CommandsPython/setAttr.html).
void PythonHost::set_string_attr(const std::string& node, const std::string& attribute, const std::string& text) {
    const Names& n = names();
    if (!has_attribute(node, attribute)) {
        PyRef node_obj = make_text(node);
        PyRef attribute_obj = make_text(attribute);
        PyRef string_type = make_text("string");
        call(Command::AddAttr, {node_obj.get()}, {{n.longName, attribute_obj.get()}, {n.dataType, string_type.get()}});
    }
    PyRef plug_obj = make_text(node + "." + attribute);
    PyRef text_obj = make_text(text);
    PyRef string_type = make_text("string");
    call(Command::SetAttr, {plug_obj.get(), text_obj.get()}, {{n.type, string_type.get()}});
}

// getAttr -lock: "Returns the lock state of the attribute" (getAttr reference,
// https://docs.huihoo.com/autodesk/maya/2017/english/CommandsPython/getAttr.html).
bool PythonHost::plug_locked(const std::string& plug) {
    PyRef plug_obj = make_text(plug);
    return answer_truth(call(Command::GetAttr, {plug_obj.get()}, {{names().lock, Py_True}}).get());
}

// lockNode -query -lock answers one truth value per node ("boolean[] For query execution";
// lockNode reference, https://help.autodesk.com/cloudhelp/2016/ENU/Maya-Tech-Docs/CommandsPython/
// lockNode.html).
bool PythonHost::node_locked(const std::string& node) {
    const Names& n = names();
    PyRef node_obj = make_text(node);
    PyRef answer = call(Command::LockNode, {node_obj.get()}, {{n.q, Py_True}, {n.lock, Py_True}});
    if (answer.get() == Py_None || !answer_truth(answer.get())) return false;
    return answer_truth(answer_item(answer.get(), 0).get());
}

}  // namespace trembla::py
