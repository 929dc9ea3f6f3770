// The queries that find what the tool made for a camera through the camera's links: the type of
// a link array and the nodes it links. The rest of PythonHost is python_host.cpp.
#include <string>
#include <vector>

#include "pyhost/host_values.h"
#include "pyhost/python_host.h"

namespace trembla::py {

namespace {

bool truth_of(PyObject* answer) {
    const int truth = PyObject_IsTrue(answer);
    if (truth < 0) throw_python_error();
    return truth != 0;
}

std::string text_of(PyObject* answer) {
    std::string out;
    if (!text_to_utf8(answer, out)) throw_python_error();
    return out;
}

}  // namespace

// attributeQuery -message and -multi: "Return true if the attribute is a message attribute",
// "Return true if the attribute is a multi-attribute" (attributeQuery reference,
// https://docs.huihoo.com/autodesk/maya/2017/english/CommandsPython/attributeQuery.html).
bool PythonHost::is_message_array(const std::string& node, const std::string& attribute) {
    PyRef attribute_obj = make_text(attribute);
    PyRef node_obj = make_text(node);
    PyRef node_flag = make_text("node");
    PyRef message_flag = make_text("message");
    PyRef multi_flag = make_text("multi");
    const bool message = truth_of(call(Command::AttributeQuery, {attribute_obj.get()},
                                       {{node_flag.get(), node_obj.get()}, {message_flag.get(), Py_True}})
                                      .get());
    return message && truth_of(call(Command::AttributeQuery, {attribute_obj.get()},
                                    {{node_flag.get(), node_obj.get()}, {multi_flag.get(), Py_True}})
                                   .get());
}

// listConnections on a whole array answers what drives each of its elements (listConnections
// reference, https://docs.huihoo.com/autodesk/maya/2017/english/CommandsPython/listConnections.html).
std::vector<std::string> PythonHost::linked_nodes(const std::string& node, const std::string& attribute) {
    PyRef plug_obj = make_text(node + "." + attribute);
    PyRef source_flag = make_text("source");
    PyRef destination_flag = make_text("destination");
    PyRef answer = call(Command::ListConnections, {plug_obj.get()},
                        {{source_flag.get(), Py_True}, {destination_flag.get(), Py_False}});
    std::vector<std::string> nodes;
    if (answer.get() == Py_None || !truth_of(answer.get())) return nodes;
    PyRef items = checked(PyObject_GetIter(answer.get()));
    while (PyRef item = PyRef::steal(PyIter_Next(items.get()))) nodes.push_back(text_of(item.get()));
    if (PyErr_Occurred()) throw_python_error();
    return nodes;
}

}  // namespace trembla::py
