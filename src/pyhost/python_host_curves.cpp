// PythonHost, curves and keys: cutting, keying, reading and evaluating animation curves through
// cutKey, setKeyframe, keyframe, keyTangent and setInfinity, one key at a time; the one-call keyer
// through maya.api is batch_keys.cpp.
#include "pyhost/python_host_calls.h"

#include "core/whole_numbers.h"
#include "pyhost/curve_edits.h"

namespace trembla::py {

void PythonHost::cut_key(const std::string& node, const std::string& attribute) {
    const Names& n = names();
    PyRef node_obj = make_text(node);
    PyRef attribute_obj = make_text(attribute);
    call(Command::CutKey, {node_obj.get()}, {{n.attribute, attribute_obj.get()}, {n.clear, Py_True}});
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

// Read from the count the window's callback keeps (curve_edits.h): no host call.
std::optional<std::uint64_t> PythonHost::curve_edit_mark() { return trembla::py::curve_edit_mark(); }
std::optional<std::uint64_t> PythonHost::scene_read_mark() { return trembla::py::scene_read_mark(); }

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

void PythonHost::set_out_tangent_type(const std::string& curve, double time, const std::string& type) {
    const Names& n = names();
    const LookNames& l = look_names();
    PyRef curve_obj = make_text(curve);
    PyRef time_obj = is_whole_frame(time) ? make_int(static_cast<std::int64_t>(time)) : make_float(time);
    PyRef span = checked(PyTuple_Pack(2, time_obj.get(), time_obj.get()));
    PyRef ott = make_text(type);
    call(Command::KeyTangent, {curve_obj.get()}, {{n.edit, Py_True}, {n.time, span.get()}, {l.ott, ott.get()}});
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

}  // namespace trembla::py
