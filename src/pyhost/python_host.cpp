// PythonHost: each Host operation as one call of maya.cmds, maya.mel or maya.OpenMayaUI, with the
// working units converted at the edge. Over 400 lines because it is one class of some forty short
// members that share the interned flag names and the command table below; the maya.api batch
// keyer is batch_keys.cpp.
#include "pyhost/python_host.h"

#include "core/whole_numbers.h"
#include "pyhost/host_values.h"

#include <algorithm>
#include <cmath>
#include <string_view>
#include <utility>

namespace trembla::py {

namespace {

// Keyword and attribute names, interned once: building a call then costs no string creation for
// the flags. Deliberately never released (interned strings live as long as the interpreter).
struct Names {
    PyObject* selection;
    PyObject* type;
    PyObject* shapes;
    PyObject* q;
    PyObject* min;
    PyObject* max;
    PyObject* edit;
    PyObject* ws;
    PyObject* t;
    PyObject* ro;
    PyObject* attribute;
    PyObject* clear;
    PyObject* name;
    PyObject* force;
    PyObject* time;
    PyObject* value;
    PyObject* animLayer;
    PyObject* eval;
    PyObject* exists;
    PyObject* override_;
    PyObject* selected;
    PyObject* preferred;
    PyObject* findCurveForPlug;
    PyObject* mode;
    PyObject* suspend;
    PyObject* amg;
    PyObject* pos;
    PyObject* fade;
    PyObject* userScriptDir;
    PyObject* write;
    PyObject* openChunk;
    PyObject* closeChunk;
    PyObject* chunkName;
    PyObject* beginProgress;
    PyObject* isInterruptable;
    PyObject* status;
    PyObject* maxValue;
    PyObject* progress;
    PyObject* isCancelled;
    PyObject* endProgress;
    PyObject* skipSelect;
    PyObject* angle;
    PyObject* keyframeCount;
    PyObject* state;
    PyObject* undoName;
    PyObject* redoName;
    PyObject* infinity;
    PyObject* length;
    PyObject* event;
    PyObject* kill;
    PyObject* source;
    PyObject* outTangentType;
    PyObject* step;
    PyObject* destination;
    PyObject* plugs;
    PyObject* node;
    PyObject* longName;
    PyObject* dataType;
    PyObject* attributeType;
    PyObject* multi;
    PyObject* mute;
    PyObject* timeChange;
    PyObject* valueChange;
};

PyObject* intern_or_throw(const char* text) {
    PyObject* obj = interned(text);
    if (obj == nullptr) {
        throw_python_error();
    }
    return obj;
}

const Names& names() {
    static const Names* const all = [] {
        auto* n = new Names{};
        n->selection = intern_or_throw("selection");
        n->type = intern_or_throw("type");
        n->shapes = intern_or_throw("shapes");
        n->q = intern_or_throw("q");
        n->min = intern_or_throw("min");
        n->max = intern_or_throw("max");
        n->edit = intern_or_throw("edit");
        n->ws = intern_or_throw("ws");
        n->t = intern_or_throw("t");
        n->ro = intern_or_throw("ro");
        n->attribute = intern_or_throw("attribute");
        n->clear = intern_or_throw("clear");
        n->name = intern_or_throw("name");
        n->force = intern_or_throw("force");
        n->time = intern_or_throw("time");
        n->value = intern_or_throw("value");
        n->animLayer = intern_or_throw("animLayer");
        n->eval = intern_or_throw("eval");
        n->exists = intern_or_throw("exists");
        n->override_ = intern_or_throw("override");
        n->selected = intern_or_throw("selected");
        n->preferred = intern_or_throw("preferred");
        n->findCurveForPlug = intern_or_throw("findCurveForPlug");
        n->mode = intern_or_throw("mode");
        n->suspend = intern_or_throw("suspend");
        n->amg = intern_or_throw("amg");
        n->pos = intern_or_throw("pos");
        n->fade = intern_or_throw("fade");
        n->userScriptDir = intern_or_throw("userScriptDir");
        n->write = intern_or_throw("write");
        n->openChunk = intern_or_throw("openChunk");
        n->closeChunk = intern_or_throw("closeChunk");
        n->chunkName = intern_or_throw("chunkName");
        n->beginProgress = intern_or_throw("beginProgress");
        n->isInterruptable = intern_or_throw("isInterruptable");
        n->status = intern_or_throw("status");
        n->maxValue = intern_or_throw("maxValue");
        n->progress = intern_or_throw("progress");
        n->isCancelled = intern_or_throw("isCancelled");
        n->endProgress = intern_or_throw("endProgress");
        n->skipSelect = intern_or_throw("skipSelect");
        n->angle = intern_or_throw("angle");
        n->keyframeCount = intern_or_throw("keyframeCount");
        n->outTangentType = intern_or_throw("outTangentType");
        n->step = intern_or_throw("step");
        n->state = intern_or_throw("state");
        n->undoName = intern_or_throw("undoName");
        n->redoName = intern_or_throw("redoName");
        n->infinity = intern_or_throw("infinity");
        n->length = intern_or_throw("length");
        n->event = intern_or_throw("event");
        n->kill = intern_or_throw("kill");
        n->source = intern_or_throw("source");
        n->destination = intern_or_throw("destination");
        n->plugs = intern_or_throw("plugs");
        n->node = intern_or_throw("node");
        n->longName = intern_or_throw("longName");
        n->dataType = intern_or_throw("dataType");
        n->attributeType = intern_or_throw("attributeType");
        n->multi = intern_or_throw("multi");
        n->mute = intern_or_throw("mute");
        n->timeChange = intern_or_throw("timeChange");
        n->valueChange = intern_or_throw("valueChange");
        return n;
    }();
    return *all;
}

// Where each command lives: module index into HostModules order (cmds, mel, omui), attribute,
// and for omui.MQtUtil.mainWindow the attribute of that attribute.
struct CommandPath {
    int module;
    const char* attribute;
    const char* member;
};

constexpr CommandPath kCommandPaths[] = {
    {0, "ls", nullptr},
    {0, "listRelatives", nullptr},
    {0, "objExists", nullptr},
    {0, "playbackOptions", nullptr},
    {0, "currentTime", nullptr},
    {0, "xform", nullptr},
    {0, "getAttr", nullptr},
    {0, "setAttr", nullptr},
    {0, "cutKey", nullptr},
    {0, "delete", nullptr},
    {0, "createNode", nullptr},
    {0, "connectAttr", nullptr},
    {0, "setKeyframe", nullptr},
    {0, "keyframe", nullptr},
    {0, "animLayer", nullptr},
    {0, "evaluationManager", nullptr},
    {0, "refresh", nullptr},
    {1, "eval", nullptr},
    {0, "inViewMessage", nullptr},
    {0, "warning", nullptr},
    {0, "internalVar", nullptr},
    {2, "MQtUtil", "mainWindow"},
    {0, "undoInfo", nullptr},
    {0, "progressBar", nullptr},
    {0, "undo", nullptr},
    {0, "currentUnit", nullptr},
    {0, "nodeType", nullptr},
    {0, "scriptJob", nullptr},
    {0, "listConnections", nullptr},
    {0, "disconnectAttr", nullptr},
    {0, "attributeQuery", nullptr},
    {0, "addAttr", nullptr},
    {0, "deleteAttr", nullptr},
    {0, "keyTangent", nullptr},
    {0, "setInfinity", nullptr},
};

std::string answer_text(PyObject* answer) {
    std::string out;
    if (!text_to_utf8(answer, out)) {
        throw_python_error();
    }
    return out;
}

bool answer_truth(PyObject* answer) {
    const int truth = PyObject_IsTrue(answer);
    if (truth < 0) {
        throw_python_error();
    }
    return truth != 0;
}

// answer[index], as Python's subscript would read it.
PyRef answer_item(PyObject* answer, Py_ssize_t index) {
    if (PySequence_Check(answer)) {
        return checked(PySequence_GetItem(answer, index));
    }
    PyRef key = make_int(index);
    return checked(PyObject_GetItem(answer, key.get()));
}

constexpr double kPi = 3.14159265358979323846;

// A rotate channel (rotateX/Y/Z, or its short name): its value is an angle.
bool is_angle_attribute(std::string_view attribute) {
    return attribute == "rotateX" || attribute == "rotateY" || attribute == "rotateZ" || attribute == "rx" ||
           attribute == "ry" || attribute == "rz";
}

bool is_angle_plug(std::string_view plug) {
    const std::size_t dot = plug.rfind('.');
    return dot != std::string_view::npos && is_angle_attribute(plug.substr(dot + 1));
}

}  // namespace

PythonHost::PythonHost(HostModules modules, KeyPathState key_path, std::shared_ptr<BridgeCache> cache)
    : modules_(std::move(modules)),
      cache_(cache ? std::move(cache) : std::make_shared<BridgeCache>()),
      key_path_(std::move(key_path)) {}

// currentUnit -angle: "[deg | degree | rad | radian]"; "The current unit affects how all commands
// in Maya interpret their numeric values" (currentUnit reference,
// https://docs.huihoo.com/autodesk/maya/2017/english/Commands/currentUnit.html). Read once per
// command, on the first angle that crosses.
double PythonHost::ui_per_degree() {
    if (!ui_per_degree_) {
        PyRef answer = call(Command::CurrentUnit, {}, {{names().q, Py_True}, {names().angle, Py_True}});
        const std::string unit = answer_text(answer.get());
        if (unit == "deg" || unit == "degree") {
            ui_per_degree_ = 1.0;
        } else if (unit == "rad" || unit == "radian") {
            ui_per_degree_ = kPi / 180.0;
        } else {
            throw HostError("the host's angular unit '" + unit + "' is neither degrees nor radians");
        }
    }
    return *ui_per_degree_;
}

// In a scene working in degrees the values pass untouched.
double PythonHost::to_degrees(double ui_value) {
    const double factor = ui_per_degree();
    return factor == 1.0 ? ui_value : ui_value / factor;
}

double PythonHost::from_degrees(double degrees) {
    const double factor = ui_per_degree();
    return factor == 1.0 ? degrees : degrees * factor;
}

// nodeType(curve) once per curve (or blend node) and command; a curve made by this command is
// known already.
const std::string& PythonHost::curve_type(const std::string& curve) {
    auto found = curve_types_.find(curve);
    if (found == curve_types_.end()) {
        PyRef curve_obj = make_text(curve);
        std::string type = answer_text(call(Command::NodeType, {curve_obj.get()}).get());
        found = curve_types_.emplace(curve, std::move(type)).first;
    }
    return found->second;
}

bool PythonHost::angular_curve(const std::string& curve) { return curve_type(curve) == "animCurveTA"; }

PyObject* PythonHost::command(Command which) {
    const auto index = static_cast<std::size_t>(which);
    PyRef& cached = commands_[index];
    if (!cached) {
        const CommandPath& path = kCommandPaths[index];
        const PyRef* module = path.module == 0 ? &modules_.cmds : path.module == 1 ? &modules_.mel : &modules_.omui;
        PyRef found = checked(PyObject_GetAttrString(module->get(), path.attribute));
        if (path.member != nullptr) {
            found = checked(PyObject_GetAttrString(found.get(), path.member));
        }
        cached = std::move(found);
    }
    return cached.get();
}

PyRef PythonHost::call(Command which, std::initializer_list<PyObject*> args, std::initializer_list<Keyword> keywords) {
    PyObject* callable = command(which);
    PyRef positional = checked(PyTuple_New(static_cast<Py_ssize_t>(args.size())));
    Py_ssize_t i = 0;
    for (PyObject* arg : args) {
        Py_INCREF(arg);
        PyTuple_SET_ITEM(positional.get(), i++, arg);
    }
    PyRef named;
    if (keywords.size() != 0) {
        named = checked(PyDict_New());
        for (const Keyword& keyword : keywords) {
            if (PyDict_SetItem(named.get(), keyword.name, keyword.value) < 0) {
                throw_python_error();
            }
        }
    }
    return checked(PyObject_Call(callable, positional.get(), named.get()));
}

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

// A rotate channel, or the base input of a rotate channel's layer blend node (inputA of an
// animBlendNodeAdditiveDA, inputAX/Y/Z of an animBlendNodeAdditiveRotation); the node's type is
// asked only where the scene's angles are not degrees.
bool PythonHost::angle_plug(const std::string& plug) {
    if (is_angle_plug(plug)) return true;
    const std::size_t dot = plug.rfind('.');
    if (dot == std::string::npos || plug.compare(dot + 1, 6, "inputA") != 0 || ui_per_degree() == 1.0) return false;
    const std::string& type = curve_type(plug.substr(0, dot));
    return type == "animBlendNodeAdditiveDA" || type == "animBlendNodeAdditiveRotation";
}

double PythonHost::get_attr(const std::string& plug) {
    PyRef plug_obj = make_text(plug);
    const double value = answer_number(call(Command::GetAttr, {plug_obj.get()}).get());
    return angle_plug(plug) ? to_degrees(value) : value;
}

void PythonHost::set_attr(const std::string& plug, double value) {
    PyRef plug_obj = make_text(plug);
    PyRef value_obj = make_float(angle_plug(plug) ? from_degrees(value) : value);
    call(Command::SetAttr, {plug_obj.get(), value_obj.get()});
}

void PythonHost::cut_key(const std::string& node, const std::string& attribute) {
    const Names& n = names();
    PyRef node_obj = make_text(node);
    PyRef attribute_obj = make_text(attribute);
    call(Command::CutKey, {node_obj.get()}, {{n.attribute, attribute_obj.get()}, {n.clear, Py_True}});
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

// keyframe -query -timeChange / -valueChange: the keys' times and values, in the working units;
// None for a curve without keys (keyframe reference, https://docs.huihoo.com/autodesk/maya/2017/
// english/CommandsPython/keyframe.html).
std::vector<std::pair<double, double>> PythonHost::curve_keys(const std::string& curve) {
    const Names& n = names();
    PyRef curve_obj = make_text(curve);
    PyRef times = call(Command::Keyframe, {curve_obj.get()}, {{n.q, Py_True}, {n.timeChange, Py_True}});
    PyRef values = call(Command::Keyframe, {curve_obj.get()}, {{n.q, Py_True}, {n.valueChange, Py_True}});
    std::vector<std::pair<double, double>> keys;
    if (times.get() == Py_None || values.get() == Py_None) return keys;
    const Py_ssize_t count = PySequence_Size(times.get());
    if (count < 0) throw_python_error();
    const bool angular = ui_per_degree() != 1.0 && angular_curve(curve);
    for (Py_ssize_t i = 0; i < count; ++i) {
        const double value = answer_number(answer_item(values.get(), i).get());
        keys.emplace_back(answer_number(answer_item(times.get(), i).get()), angular ? to_degrees(value) : value);
    }
    return keys;
}

void PythonHost::set_curve_key_at(const std::string& curve, double time, double value) {
    const Names& n = names();
    if (ui_per_degree() != 1.0 && angular_curve(curve)) value = from_degrees(value);
    PyRef curve_obj = make_text(curve);
    PyRef time_obj = is_whole_frame(time) ? make_int(static_cast<std::int64_t>(time)) : make_float(time);
    PyRef value_obj = make_float(value);
    call(Command::SetKeyframe, {curve_obj.get()}, {{n.time, time_obj.get()}, {n.value, value_obj.get()}});
}

namespace {

// The flags of keyTangent and setInfinity, interned once as the other flags are.
struct LookNames {
    PyObject* weightedTangents;
    PyObject* preInfinite;
    PyObject* postInfinite;
    PyObject* itt;
    PyObject* ott;
    PyObject* ia;
    PyObject* oa;
    PyObject* iw;
    PyObject* ow;
};

const LookNames& look_names() {
    static const LookNames* const all = [] {
        auto* n = new LookNames{};
        n->weightedTangents = intern_or_throw("weightedTangents");
        n->preInfinite = intern_or_throw("preInfinite");
        n->postInfinite = intern_or_throw("postInfinite");
        n->itt = intern_or_throw("itt");
        n->ott = intern_or_throw("ott");
        n->ia = intern_or_throw("ia");
        n->oa = intern_or_throw("oa");
        n->iw = intern_or_throw("iw");
        n->ow = intern_or_throw("ow");
        return n;
    }();
    return *all;
}

// The first item of a query that answers one item per curve (or the item itself).
PyRef first_answer(PyObject* answer) {
    if (PySequence_Check(answer) && !is_text_or_bytes(answer)) return answer_item(answer, 0);
    return PyRef::borrow(answer);
}

}  // namespace

// keyTangent -query with one tangent flag answers that setting for every key, in time order;
// with -weightedTangents one truth value per curve (keyTangent reference,
// https://docs.huihoo.com/autodesk/maya/2017/english/CommandsPython/keyTangent.html). setInfinity
// -query -preInfinite / -postInfinite answers the type per curve (setInfinity reference,
// https://docs.huihoo.com/autodesk/maya/2017/english/CommandsPython/setInfinity.html).
CurveLook PythonHost::curve_look(const std::string& curve) {
    const Names& n = names();
    const LookNames& l = look_names();
    PyRef curve_obj = make_text(curve);
    CurveLook look;
    PyRef weighted = call(Command::KeyTangent, {curve_obj.get()}, {{n.q, Py_True}, {l.weightedTangents, Py_True}});
    look.weighted = weighted.get() != Py_None && answer_truth(first_answer(weighted.get()).get());
    PyRef pre = call(Command::SetInfinity, {curve_obj.get()}, {{n.q, Py_True}, {l.preInfinite, Py_True}});
    if (pre.get() != Py_None) look.pre_infinity = answer_text(first_answer(pre.get()).get());
    PyRef post = call(Command::SetInfinity, {curve_obj.get()}, {{n.q, Py_True}, {l.postInfinite, Py_True}});
    if (post.get() != Py_None) look.post_infinity = answer_text(first_answer(post.get()).get());
    PyObject* const flags[] = {l.itt, l.ott, l.ia, l.oa, l.iw, l.ow};
    std::vector<PyRef> answers;
    for (PyObject* flag : flags) {
        answers.push_back(call(Command::KeyTangent, {curve_obj.get()}, {{n.q, Py_True}, {flag, Py_True}}));
        if (answers.back().get() == Py_None) return look;  // no keys
    }
    const Py_ssize_t count = PySequence_Size(answers[0].get());
    if (count < 0) throw_python_error();
    for (Py_ssize_t i = 0; i < count; ++i) {
        KeyTangent tangent;
        tangent.in_type = answer_text(answer_item(answers[0].get(), i).get());
        tangent.out_type = answer_text(answer_item(answers[1].get(), i).get());
        tangent.in_angle = answer_number(answer_item(answers[2].get(), i).get());
        tangent.out_angle = answer_number(answer_item(answers[3].get(), i).get());
        tangent.in_weight = answer_number(answer_item(answers[4].get(), i).get());
        tangent.out_weight = answer_number(answer_item(answers[5].get(), i).get());
        look.tangents.push_back(std::move(tangent));
    }
    return look;
}

void PythonHost::set_curve_look(const std::string& curve, const CurveLook& look) {
    const Names& n = names();
    const LookNames& l = look_names();
    PyRef curve_obj = make_text(curve);
    call(Command::KeyTangent, {curve_obj.get()},
         {{n.edit, Py_True}, {l.weightedTangents, look.weighted ? Py_True : Py_False}});
    PyRef pre = make_text(look.pre_infinity);
    PyRef post = make_text(look.post_infinity);
    call(Command::SetInfinity, {curve_obj.get()}, {{l.preInfinite, pre.get()}, {l.postInfinite, post.get()}});
}

// Angles and weights first, then the types: setting an angle makes the host call the tangent
// "fixed" (keyTangent reference above: "inAngle ... the in tangent's angle"), so the types the
// animator chose are given last.
void PythonHost::set_key_tangent(const std::string& curve, double time, const KeyTangent& tangent) {
    const Names& n = names();
    const LookNames& l = look_names();
    PyRef curve_obj = make_text(curve);
    PyRef time_obj = is_whole_frame(time) ? make_int(static_cast<std::int64_t>(time)) : make_float(time);
    PyRef span = checked(PyTuple_Pack(2, time_obj.get(), time_obj.get()));
    PyRef ia = make_float(tangent.in_angle);
    PyRef oa = make_float(tangent.out_angle);
    PyRef iw = make_float(tangent.in_weight);
    PyRef ow = make_float(tangent.out_weight);
    call(Command::KeyTangent, {curve_obj.get()},
         {{n.edit, Py_True},
          {n.time, span.get()},
          {l.ia, ia.get()},
          {l.oa, oa.get()},
          {l.iw, iw.get()},
          {l.ow, ow.get()}});
    PyRef itt = make_text(tangent.in_type);
    PyRef ott = make_text(tangent.out_type);
    call(Command::KeyTangent, {curve_obj.get()},
         {{n.edit, Py_True}, {n.time, span.get()}, {l.itt, itt.get()}, {l.ott, ott.get()}});
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

// setKeyframe takes the value in the working unit of the curve's kind.
void PythonHost::set_curve_key(const std::string& curve, Frame time, double value) {
    const Names& n = names();
    if (ui_per_degree() != 1.0 && angular_curve(curve)) value = from_degrees(value);
    PyRef curve_obj = make_text(curve);
    PyRef time_obj = make_int(time);
    PyRef value_obj = make_float(value);
    call(Command::SetKeyframe, {curve_obj.get()}, {{n.time, time_obj.get()}, {n.value, value_obj.get()}});
}

// The -attribute flag is multi-use ("the multi-use -attribute flag, which takes an argument of
// the form attributeName"); from Python a multi-use flag takes a list (cutKey reference,
// https://docs.huihoo.com/autodesk/maya/2017/english/CommandsPython/cutKey.html).
void PythonHost::cut_keys(const std::string& node, const std::vector<std::string>& attributes) {
    if (attributes.empty()) return;  // without -attribute, cutKey would cut every channel of the node
    const Names& n = names();
    PyRef node_obj = make_text(node);
    PyRef attribute_list = build_list(attributes.size(), [&](std::size_t i) { return make_text(attributes[i]); });
    call(Command::CutKey, {node_obj.get()}, {{n.attribute, attribute_list.get()}, {n.clear, Py_True}});
}

// keyframe -query -keyframeCount: how many keys the curve holds.
double PythonHost::key_count(const std::string& curve) {
    const Names& n = names();
    PyRef curve_obj = make_text(curve);
    PyRef count = call(Command::Keyframe, {curve_obj.get()}, {{n.q, Py_True}, {n.keyframeCount, Py_True}});
    return answer_number(count.get());
}

void PythonHost::set_channel_key(const std::string& node, const std::string& attribute, Frame time, double value) {
    const Names& n = names();
    if (is_angle_attribute(attribute)) value = from_degrees(value);
    PyRef node_obj = make_text(node);
    PyRef attribute_obj = make_text(attribute);
    PyRef time_obj = make_int(time);
    PyRef value_obj = make_float(value);
    call(Command::SetKeyframe, {node_obj.get()},
         {{n.attribute, attribute_obj.get()}, {n.time, time_obj.get()}, {n.value, value_obj.get()}});
}

// keyTangent -outTangentType step: "step" is one of the tangent types the command takes (keyTangent
// reference, https://docs.huihoo.com/autodesk/maya/2017/english/CommandsPython/keyTangent.html).
void PythonHost::set_step_tangents(const std::string& node, const std::string& attribute) {
    const Names& n = names();
    PyRef node_obj = make_text(node);
    PyRef attribute_obj = make_text(attribute);
    call(Command::KeyTangent, {node_obj.get()}, {{n.attribute, attribute_obj.get()}, {n.outTangentType, n.step}});
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

std::optional<double> PythonHost::eval_curve(const std::string& curve, Frame time) {
    const Names& n = names();
    PyRef curve_obj = make_text(curve);
    PyRef time_obj = make_int(time);
    PyRef span = checked(PyTuple_Pack(2, time_obj.get(), time_obj.get()));
    PyRef answer =
        call(Command::Keyframe, {curve_obj.get()}, {{n.q, Py_True}, {n.time, span.get()}, {n.eval, Py_True}});
    if (!answer_truth(answer.get())) {
        return std::nullopt;
    }
    const double value = answer_number(answer_item(answer.get(), 0).get());
    return ui_per_degree() != 1.0 && angular_curve(curve) ? to_degrees(value) : value;
}

// keyframe -eval: "the value(s) of the animCurves when evaluated (without regard to input
// connections) at the times given by the -t/time or -f/float flags"; -time is multi-use, which
// from Python is a list (keyframe reference, https://download.autodesk.com/global/docs/maya2013/
// en_US/Commands/keyframe.html). Each time goes as the single-time range (f, f), as eval_curve
// sends it, so the answers are the same values; the list is kept for the next command.
std::optional<std::vector<double>> PythonHost::eval_curve_frames(const std::string& curve,
                                                                 const std::vector<Frame>& frames) {
    if (frames.empty()) return std::vector<double>{};
    const Names& n = names();
    if (!cache_->eval_times || cache_->eval_frames != frames) {
        cache_->eval_times = PyRef();
        PyRef times = build_list(frames.size(), [&](std::size_t i) {
            PyRef time_obj = make_int(frames[i]);
            return checked(PyTuple_Pack(2, time_obj.get(), time_obj.get()));
        });
        cache_->eval_times = std::move(times);
        cache_->eval_frames = frames;
    }
    PyRef times = cache_->eval_times;
    PyRef curve_obj = make_text(curve);
    PyRef answer =
        call(Command::Keyframe, {curve_obj.get()}, {{n.q, Py_True}, {n.time, times.get()}, {n.eval, Py_True}});
    if (!answer_truth(answer.get())) return std::nullopt;
    const Py_ssize_t count = PySequence_Size(answer.get());
    if (count < 0) throw_python_error();
    if (static_cast<std::size_t>(count) != frames.size()) {
        throw HostError("keyframe -eval on " + curve + " answered " + std::to_string(count) + " values for " +
                        std::to_string(frames.size()) + " times");
    }
    const bool angular = ui_per_degree() != 1.0 && angular_curve(curve);
    std::vector<double> values;
    values.reserve(frames.size());
    for (Py_ssize_t i = 0; i < count; ++i) {
        const double value = answer_number(answer_item(answer.get(), i).get());
        values.push_back(angular ? to_degrees(value) : value);
    }
    return values;
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

// findCurveForPlug is one of animLayer's flags (animLayer reference, https://download.autodesk.com/
// global/docs/maya2014/en_us/CommandsPython/animLayer.html); from Python it answers in edit mode,
// a list of the layer's curves for the plug such as [u'pCube1_translateY_AnimLayer1_inputB'] ("maya
// animLayer and the API", http://tech-artists.org/forum/showthread.php?3688). Anything else (None,
// an empty list, a bare name) is taken as no curve: the caller then keys per key.
std::optional<std::string> PythonHost::layer_curve(const std::string& layer, const std::string& plug) {
    const Names& n = names();
    PyRef layer_obj = make_text(layer);
    PyRef plug_obj = make_text(plug);
    PyRef answer =
        call(Command::AnimLayer, {layer_obj.get()}, {{n.edit, Py_True}, {n.findCurveForPlug, plug_obj.get()}});
    if (!PyList_Check(answer.get()) || PyList_GET_SIZE(answer.get()) < 1) return std::nullopt;
    return answer_text(PyList_GET_ITEM(answer.get(), 0));
}

void PythonHost::select_layer(const std::string& layer) {
    const Names& n = names();
    PyRef layer_obj = make_text(layer);
    call(Command::AnimLayer, {layer_obj.get()}, {{n.edit, Py_True}, {n.selected, Py_True}, {n.preferred, Py_True}});
}

std::string PythonHost::evaluation_mode() {
    const Names& n = names();
    PyRef answer = call(Command::EvaluationManager, {}, {{n.q, Py_True}, {n.mode, Py_True}});
    // The host answers a list holding the mode's name; a plain text answer is the name itself
    // (its first item would be its first letter).
    if (is_text(answer.get())) {
        return answer_text(answer.get());
    }
    return answer_text(answer_item(answer.get(), 0).get());
}

void PythonHost::set_evaluation_mode(const std::string& mode) {
    PyRef mode_obj = make_text(mode);
    call(Command::EvaluationManager, {}, {{names().mode, mode_obj.get()}});
}

void PythonHost::refresh_suspend(bool suspended) {
    call(Command::Refresh, {}, {{names().suspend, suspended ? Py_True : Py_False}});
}

void PythonHost::mel_eval(const std::string& command_text) {
    PyRef command_obj = make_text(command_text);
    call(Command::MelEval, {command_obj.get()});
}

void PythonHost::in_view_message(const std::string& message) {
    const Names& n = names();
    PyRef text_obj = make_text(message);
    PyRef position = make_text("midCenter");
    call(Command::InViewMessage, {}, {{n.amg, text_obj.get()}, {n.pos, position.get()}, {n.fade, Py_True}});
}

void PythonHost::warning(const std::string& message) {
    PyRef text_obj = make_text(message);
    call(Command::Warning, {text_obj.get()});
}

namespace {

// The tool's own chunks, across every host made for a call: how deep they are open, the name of
// the outermost one, and how many outermost ones were closed (each is a step of the tool's on the
// host's queue, unless a caller's chunk held it or the queue was off).
struct ToolChunks {
    int depth = 0;
    std::string outer;
    std::size_t closed = 0;
    std::string last;
};

ToolChunks& tool_chunks() {
    static ToolChunks chunks;
    return chunks;
}

}  // namespace

std::size_t tool_steps_closed() { return tool_chunks().closed; }

const std::string& last_tool_step() { return tool_chunks().last; }

void PythonHost::open_undo_chunk(const std::string& name) {
    PyRef name_obj = make_text(name);
    call(Command::UndoInfo, {}, {{names().openChunk, Py_True}, {names().chunkName, name_obj.get()}});
    ToolChunks& chunks = tool_chunks();
    if (chunks.depth++ == 0) chunks.outer = name;
}

// Runs while a failure may be on its way out: a Python error still set is kept aside for the
// call and put back after it.
void PythonHost::close_undo_chunk() {
    PyObject *type = nullptr, *value = nullptr, *traceback = nullptr;
    PyErr_Fetch(&type, &value, &traceback);
    // Counted as closed also when the host refuses: the tool never asks to close it again, and a
    // count stuck above zero would hide every later step.
    ToolChunks& chunks = tool_chunks();
    if (chunks.depth > 0 && --chunks.depth == 0) {
        ++chunks.closed;
        chunks.last = chunks.outer;
    }
    try {
        call(Command::UndoInfo, {}, {{names().closeChunk, Py_True}});
    } catch (...) {
        PyErr_Restore(type, value, traceback);
        throw;
    }
    PyErr_Restore(type, value, traceback);
}

std::string PythonHost::user_script_dir() {
    return answer_text(call(Command::InternalVar, {}, {{names().userScriptDir, Py_True}}).get());
}

std::optional<std::uintptr_t> PythonHost::main_window() {
    PyRef pointer = call(Command::MainWindow, {});
    if (pointer.get() == Py_None) {
        return std::nullopt;
    }
    // int() on Python 3, long() on Python 2: both keep every bit of a 64-bit address.
    PyRef address = checked(PyNumber_Long(pointer.get()));
#if !TREMBLA_PY3
    if (PyInt_Check(address.get())) {  // long() may hand back a plain int on Python 2
        address = checked(PyLong_FromLong(PyInt_AS_LONG(address.get())));
    }
#endif
    static_assert(sizeof(unsigned long long) >= sizeof(std::uintptr_t), "address must fit");
    const unsigned long long value = PyLong_AsUnsignedLongLong(address.get());
    if (value == static_cast<unsigned long long>(-1) && PyErr_Occurred()) {
        throw_python_error();
    }
    return static_cast<std::uintptr_t>(value);
}

void PythonHost::print_line(const std::string& message) {
    // sys.stdout.write rather than PySys_WriteStdout, which cuts output at 1000 bytes.
    PyObject* stream = PySys_GetObject(const_cast<char*>("stdout"));
    if (stream == nullptr || stream == Py_None) {
        PyErr_SetString(PyExc_RuntimeError, "lost sys.stdout");
        throw_python_error();
    }
    PyRef keep = PyRef::borrow(stream);
    PyRef write = checked(PyObject_GetAttr(stream, names().write));
    PyRef line = checked(stream_text(message + "\n"));
    checked(PyObject_CallFunctionObjArgs(write.get(), line.get(), nullptr));
}

// The main progress bar is a MEL global; reading it through an assignment gives its value, as the
// progressBar reference's own example does ($gMainProgressBar, "Python examples",
// https://docs.huihoo.com/autodesk/maya/2017/english/CommandsPython/progressBar.html).
std::string PythonHost::main_progress_bar() {
    PyRef command_obj = make_text("$tmp = $gMainProgressBar");
    return answer_text(call(Command::MelEval, {command_obj.get()}).get());
}

// progressBar (same page): beginProgress "Only valid for the main progress bar. Shows the main
// progress bar (normally in the Help Line)" (its PyMel page, https://docs.huihoo.com/autodesk/maya/
// 2017/chinese/PyMel/generated/functions/pymel.core.windows/pymel.core.windows.progressBar.html);
// isInterruptable lets Esc cancel, status is the text shown with the gauge and maxValue its
// "ending" value (these flags progressBar shares with progressWindow, worded in
// https://docs.huihoo.com/autodesk/maya/2017/english/CommandsPython/progressWindow.html).
void PythonHost::begin_progress(const std::string& bar, const std::string& status, int max_value, bool interruptible) {
    const Names& n = names();
    PyRef bar_obj = make_text(bar);
    PyRef status_obj = make_text(status);
    PyRef max_obj = make_int(max_value);
    call(Command::ProgressBar, {bar_obj.get()},
         {{n.edit, Py_True},
          {n.beginProgress, Py_True},
          {n.isInterruptable, interruptible ? Py_True : Py_False},
          {n.status, status_obj.get()},
          {n.maxValue, max_obj.get()}});
}

// progress: the amount shown, which the host keeps within minValue and maxValue.
void PythonHost::set_progress(const std::string& bar, int value) {
    const Names& n = names();
    PyRef bar_obj = make_text(bar);
    PyRef value_obj = make_int(value);
    call(Command::ProgressBar, {bar_obj.get()}, {{n.edit, Py_True}, {n.progress, value_obj.get()}});
}

// isCancelled, a query only: "Returns true if the user has tried to cancel the operation".
bool PythonHost::progress_cancelled(const std::string& bar) {
    const Names& n = names();
    PyRef bar_obj = make_text(bar);
    return answer_truth(call(Command::ProgressBar, {bar_obj.get()}, {{n.q, Py_True}, {n.isCancelled, Py_True}}).get());
}

// endProgress: hides the bar again; "No other flags can be used at the same time" (edit is the
// mode, as in the reference's example).
void PythonHost::end_progress(const std::string& bar) {
    const Names& n = names();
    PyRef bar_obj = make_text(bar);
    call(Command::ProgressBar, {bar_obj.get()}, {{n.edit, Py_True}, {n.endProgress, Py_True}});
}

// undo(): "Takes the most recent command from the undo list and undoes it"
// (https://help.autodesk.com/cloudhelp/2018/ENU/Maya-Tech-Docs/Commands/undo.html).
void PythonHost::undo() { call(Command::Undo, {}); }

// undoInfo (https://docs.huihoo.com/autodesk/maya/2017/english/CommandsPython/undoInfo.html):
// state "Turns undo/redo on or off", an int in query mode; undoName "Returns what will be undone
// (if anything)", a string.
bool PythonHost::undo_enabled() {
    return answer_truth(call(Command::UndoInfo, {}, {{names().q, Py_True}, {names().state, Py_True}}).get());
}

std::string PythonHost::undo_name() {
    return answer_text(call(Command::UndoInfo, {}, {{names().q, Py_True}, {names().undoName, Py_True}}).get());
}

// Same page: redoName "Returns what will be redone (if anything)"; the query without flags
// answers "the number of items currently on the undo queue".
std::string PythonHost::redo_name() {
    return answer_text(call(Command::UndoInfo, {}, {{names().q, Py_True}, {names().redoName, Py_True}}).get());
}

long PythonHost::undo_count() {
    PyRef answer = call(Command::UndoInfo, {}, {{names().q, Py_True}});
    const long count = PyLong_AsLong(answer.get());
    if (count == -1 && PyErr_Occurred()) throw_python_error();
    return count;
}

// Same page: infinity "Set the queue length to infinity"; length "Specifies the maximum number of
// items in the undo queue. The infinity flag overrides this one."
std::optional<long> PythonHost::undo_limit() {
    if (answer_truth(call(Command::UndoInfo, {}, {{names().q, Py_True}, {names().infinity, Py_True}}).get())) {
        return std::nullopt;
    }
    PyRef answer = call(Command::UndoInfo, {}, {{names().q, Py_True}, {names().length, Py_True}});
    const long length = PyLong_AsLong(answer.get());
    if (length == -1 && PyErr_Occurred()) throw_python_error();
    return length;
}

// scriptJob (https://docs.huihoo.com/autodesk/maya/2017/english/CommandsPython/scriptJob.html):
// event=[name, script] attaches the script to the event and answers the job's number (nothing in
// batch mode, where "The scriptJob command does nothing"); kill=number "Kills the job with the
// specified job number".
std::optional<long> PythonHost::add_event_job(const std::string& event, PyObject* script) {
    PyRef name = make_text(event);
    PyRef pair = checked(PyList_New(2));
    Py_INCREF(name.get());
    PyList_SET_ITEM(pair.get(), 0, name.get());
    Py_INCREF(script);
    PyList_SET_ITEM(pair.get(), 1, script);
    PyRef answer = call(Command::ScriptJob, {}, {{names().event, pair.get()}});
    if (answer.get() == Py_None) return std::nullopt;
    const long number = PyLong_AsLong(answer.get());
    if (number == -1 && PyErr_Occurred()) throw_python_error();
    return number;
}

void PythonHost::kill_job(long number) {
    PyRef number_obj = make_int(number);
    call(Command::ScriptJob, {}, {{names().kill, number_obj.get()}});
}

}  // namespace trembla::py
