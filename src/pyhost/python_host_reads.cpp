// PythonHost, reads: the selection and the scene's cameras, the playback range and the current
// time, world transforms and plain attribute values (angles turned into degrees on the way).
#include "pyhost/python_host_calls.h"

#include "core/whole_numbers.h"

namespace trembla::py {

std::vector<std::string> PythonHost::selected_transforms() {
    const Names& n = names();
    PyRef transform = make_text("transform");
    PyRef answer = call(Command::Ls, {}, {{n.selection, Py_True}, {n.type, transform.get()}});
    std::vector<std::string> out;
    if (!answer_truth(answer.get())) {
        return out;
    }
    PyRef items = checked(PyObject_GetIter(answer.get()));
    while (PyRef item = PyRef::steal(PyIter_Next(items.get()))) {
        out.push_back(answer_text(item.get()));
    }
    if (PyErr_Occurred()) {
        throw_python_error();
    }
    return out;
}

bool PythonHost::has_camera_shape(const std::string& node) {
    const Names& n = names();
    PyRef node_obj = make_text(node);
    PyRef camera = make_text("camera");
    PyRef answer = call(Command::ListRelatives, {node_obj.get()}, {{n.shapes, Py_True}, {n.type, camera.get()}});
    return answer_truth(answer.get());
}

// ls -type camera lists the shapes; listRelatives -parent answers each one's transform (ls and
// listRelatives references, https://help.autodesk.com/cloudhelp/2018/ENU/Maya-Tech-Docs/CommandsPython/ls.html
// and .../listRelatives.html). A shape instanced under several transforms answers each.
std::vector<std::string> PythonHost::camera_transforms() {
    PyRef camera = make_text("camera");
    PyRef parent = make_text("parent");
    PyRef shapes = call(Command::Ls, {}, {{names().type, camera.get()}});
    std::vector<std::string> out;
    if (!answer_truth(shapes.get())) return out;
    PyRef items = checked(PyObject_GetIter(shapes.get()));
    while (PyRef shape = PyRef::steal(PyIter_Next(items.get()))) {
        PyRef parents = call(Command::ListRelatives, {shape.get()}, {{parent.get(), Py_True}});
        if (!answer_truth(parents.get())) continue;
        PyRef each = checked(PyObject_GetIter(parents.get()));
        while (PyRef item = PyRef::steal(PyIter_Next(each.get()))) out.push_back(answer_text(item.get()));
        if (PyErr_Occurred()) throw_python_error();
    }
    if (PyErr_Occurred()) throw_python_error();
    return out;
}

bool PythonHost::obj_exists(const std::string& name) {
    PyRef name_obj = make_text(name);
    return answer_truth(call(Command::ObjExists, {name_obj.get()}).get());
}

double PythonHost::playback_bound(PyObject* which_flag) {
    PyRef answer = call(Command::PlaybackOptions, {}, {{names().q, Py_True}, {which_flag, Py_True}});
    return answer_number(answer.get());
}

double PythonHost::playback_min() { return playback_bound(names().min); }
double PythonHost::playback_max() { return playback_bound(names().max); }

double PythonHost::current_time() {
    return answer_number(call(Command::CurrentTime, {}, {{names().q, Py_True}}).get());
}

void PythonHost::set_current_time(double frame) {
    // Whole frames go to the host as int, like the frame numbers a script would pass.
    const bool whole = is_whole_frame(frame);
    PyRef frame_obj = whole ? make_int(static_cast<std::int64_t>(frame)) : make_float(frame);
    call(Command::CurrentTime, {frame_obj.get()}, {{names().edit, Py_True}});
}

Vec3 PythonHost::world_vector(const std::string& node, PyObject* which_flag) {
    const Names& n = names();
    PyRef node_obj = make_text(node);
    PyRef answer = call(Command::Xform, {node_obj.get()}, {{n.q, Py_True}, {n.ws, Py_True}, {which_flag, Py_True}});
    Vec3 out{};
    for (Py_ssize_t i = 0; i < 3; ++i) {
        out[static_cast<std::size_t>(i)] = answer_number(answer_item(answer.get(), i).get());
    }
    return out;
}

Vec3 PythonHost::world_translation(const std::string& node) { return world_vector(node, names().t); }
Vec3 PythonHost::world_rotation(const std::string& node) {
    Vec3 rotation = world_vector(node, names().ro);
    for (double& angle : rotation) angle = to_degrees(angle);
    return rotation;
}

double PythonHost::get_attr(const std::string& plug) {
    PyRef plug_obj = make_text(plug);
    const double value = answer_number(call(Command::GetAttr, {plug_obj.get()}).get());
    return angle_plug(plug) ? to_degrees(value) : value;
}

// getAttr -time: "Evaluate the attribute at the given time instead of the current time"; a
// numeric compound answers its children together, [(x, y, z)] from Python (getAttr reference,
// https://download.autodesk.com/global/docs/maya2013/en_us/CommandsPython/getAttr.html).
Vec3 PythonHost::compound_at(const std::string& node, const std::string& compound, Frame time) {
    PyRef plug_obj = make_text(node + "." + compound);
    PyRef time_obj = make_int(time);
    PyRef answer = call(Command::GetAttr, {plug_obj.get()}, {{names().time, time_obj.get()}});
    PyRef triple = answer_item(answer.get(), 0);
    Vec3 out{};
    const bool angles = compound == "rotate";
    for (Py_ssize_t i = 0; i < 3; ++i) {
        const double value = answer_number(answer_item(triple.get(), i).get());
        out[static_cast<std::size_t>(i)] = angles ? to_degrees(value) : value;
    }
    return out;
}

}  // namespace trembla::py
