// The host application's command set, one method per operation the tool uses.
// The real implementation calls maya.cmds / maya.mel / maya.OpenMayaUI through Python
// (python_host.h); tests may substitute their own.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "core/records.h"

namespace trembla {

// A host operation failed. Implementations may derive from it to carry more (the Python bridge
// keeps the original Python exception so that it can be re-raised unchanged).
class HostError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A read that asked for text found a value of another kind (a number, a list): the attribute is
// not what the caller took it for, which is no failure of the host.
class NotTextError : public HostError {
public:
    using HostError::HostError;
};

using Vec3 = std::array<double, 3>;

// One key's tangents as keyTangent says them: types, angles (degrees) and weights.
struct KeyTangent {
    std::string in_type = "auto";
    std::string out_type = "auto";
    double in_angle = 0.0;
    double out_angle = 0.0;
    double in_weight = 1.0;
    double out_weight = 1.0;
    bool operator==(const KeyTangent& other) const {
        return in_type == other.in_type && out_type == other.out_type && in_angle == other.in_angle &&
               out_angle == other.out_angle && in_weight == other.in_weight && out_weight == other.out_weight;
    }
};

// A curve beside its keys: weighted tangents or not, its infinity before the first key and after
// the last, and the tangents of its keys in time order (empty where not asked).
struct CurveLook {
    bool weighted = false;
    std::string pre_infinity = "constant";
    std::string post_infinity = "constant";
    std::vector<KeyTangent> tangents;
};

class Host {
public:
    virtual ~Host() = default;

    // ls(selection=True, type="transform")
    virtual std::vector<std::string> selected_transforms() = 0;
    // listRelatives(node, shapes=True, type="camera") is non-empty
    virtual bool has_camera_shape(const std::string& node) = 0;
    // The transforms above ls(type="camera"): listRelatives(shape, parent=True) of each
    virtual std::vector<std::string> camera_transforms() = 0;
    // objExists(name)
    virtual bool obj_exists(const std::string& name) = 0;
    // playbackOptions(q=True, min=True) / playbackOptions(q=True, max=True)
    virtual double playback_min() = 0;
    virtual double playback_max() = 0;
    // The frames per second of the scene's time unit (currentUnit(q=True, time=True)): a shake
    // clip plays resampled to it.
    virtual double frame_rate() = 0;
    // currentTime(q=True) / currentTime(frame, edit=True)
    virtual double current_time() = 0;
    virtual void set_current_time(double frame) = 0;
    // xform(node, q=True, ws=True, t=True) / xform(node, q=True, ws=True, ro=True)
    virtual Vec3 world_translation(const std::string& node) = 0;
    virtual Vec3 world_rotation(const std::string& node) = 0;
    // getAttr(plug) / setAttr(plug, value); plug is node + "." + channel
    virtual double get_attr(const std::string& plug) = 0;
    virtual void set_attr(const std::string& plug, double value) = 0;
    // cutKey(node, attribute=attribute, clear=True)
    virtual void cut_key(const std::string& node, const std::string& attribute) = 0;
    // cutKey(node, attribute=[attributes...], clear=True): the same for several channels of one
    // node in one call. This default is one cut_key per channel, in the given order.
    virtual void cut_keys(const std::string& node, const std::vector<std::string>& attributes) {
        for (const std::string& attribute : attributes) cut_key(node, attribute);
    }
    // delete(name)
    virtual void delete_node(const std::string& name) = 0;
    // createNode(type, name=name); answers the name the host gave the node
    virtual std::string create_node(const std::string& type, const std::string& name) = 0;
    // connectAttr(source, destination, force=True)
    virtual void connect_attr(const std::string& source, const std::string& destination) = 0;
    // disconnectAttr(source, destination)
    virtual void disconnect_attr(const std::string& source, const std::string& destination) = 0;
    // listConnections(plug, source=True, destination=False, plugs=True): the plug driving `plug`,
    // or nothing when none does
    virtual std::optional<std::string> input_plug(const std::string& plug) = 0;
    // nodeType(node)
    virtual std::string node_type(const std::string& node) = 0;
    // attributeQuery(attribute, node=node, exists=True), then getAttr(node + "." + attribute): the
    // text of a string attribute, or nothing when the node has no such attribute or it holds none
    virtual std::optional<std::string> string_attr(const std::string& node, const std::string& attribute) = 0;
    // addAttr(node, longName=attribute, dataType="string") when the attribute is missing, then
    // setAttr(node + "." + attribute, text, type="string")
    virtual void set_string_attr(const std::string& node, const std::string& attribute, const std::string& text) = 0;
    // attributeQuery(attribute, node=node, exists=True)
    virtual bool has_attr(const std::string& node, const std::string& attribute) = 0;
    // addAttr(node, longName=attribute, attributeType="message", multi=True): each element takes one
    // node's .message, a link that drives nothing
    virtual void add_message_attr(const std::string& node, const std::string& attribute) = 0;
    // deleteAttr(node + "." + attribute): a dynamic attribute (disconnect its elements first)
    virtual void delete_attr(const std::string& node, const std::string& attribute) = 0;
    // animLayer(layer, q=True, mute=True) / animLayer(layer, edit=True, mute=muted)
    virtual bool layer_muted(const std::string& layer) = 0;
    virtual void set_layer_muted(const std::string& layer, bool muted) = 0;

    // ---- Locks: what the host refuses to change ----
    // getAttr(plug, lock=True): a locked plug takes no value, no key, and no connection made to it
    // or broken from it
    virtual bool plug_locked(const std::string& plug) = 0;
    // lockNode(node, q=True, lock=True)[0]: a locked node takes no attribute added or removed and
    // is not deleted
    virtual bool node_locked(const std::string& node) = 0;

    // keyframe(curve, q=True, timeChange=True) and keyframe(curve, q=True, valueChange=True): the
    // time and value of every key, in time order
    virtual std::vector<std::pair<double, double>> curve_keys(const std::string& curve) = 0;
    // setKeyframe(curve, time=time, value=value) at any time, whole frame or not
    virtual void set_curve_key_at(const std::string& curve, double time, double value) = 0;
    // setKeyframe(curve, time=time, value=value)
    virtual void set_curve_key(const std::string& curve, Frame time, double value) = 0;
    // What a curve holds beside its keys' times and values: keyTangent(curve, q=True,
    // weightedTangents=True), keyTangent(curve, q=True, itt/ott/ia/oa/iw/ow=True) (every key, in
    // time order; angles in degrees) and setInfinity(curve, q=True, preInfinite/postInfinite=True).
    // This default answers a host with no tangents: none, and constant infinity.
    virtual CurveLook curve_look(const std::string& curve) {
        (void)curve;
        return {};
    }
    // keyTangent(curve, edit=True, weightedTangents=...) and setInfinity(curve, preInfinite=...,
    // postInfinite=...); this default keeps nothing.
    virtual void set_curve_look(const std::string& curve, const CurveLook& look) {
        (void)curve;
        (void)look;
    }
    // keyTangent(curve, edit=True, time=(time, time), ia, oa, iw, ow), then the types itt, ott;
    // this default keeps nothing.
    virtual void set_key_tangent(const std::string& curve, double time, const KeyTangent& tangent) {
        (void)curve;
        (void)time;
        (void)tangent;
    }
    // keyTangent(curve, edit=True, time=(time, time), ott=type): the out tangent's type alone, in
    // one call; this default keeps nothing.
    virtual void set_out_tangent_type(const std::string& curve, double time, const std::string& type) {
        (void)curve;
        (void)time;
        (void)type;
    }
    // Keys a curve made in this same step at every frame (frames and values align by position).
    // A host with a batch interface writes them in one call; this default is the per-key path,
    // one set_curve_key per frame. A failure leaves the keys written before it.
    virtual void set_curve_keys(const std::string& curve, const std::vector<Frame>& frames,
                                const std::vector<double>& values) {
        for (std::size_t i = 0; i < frames.size() && i < values.size(); ++i) {
            set_curve_key(curve, frames[i], values[i]);
        }
    }
    // Keys a curve made in this same step by the setKeyframe of its first key (a layer's curve,
    // which only a command can make) at more frames, all after that key; the same batch as
    // set_curve_keys, keeping the key there. This default is one set_curve_key per frame.
    virtual void add_curve_keys(const std::string& curve, const std::vector<Frame>& frames,
                                const std::vector<double>& values) {
        for (std::size_t i = 0; i < frames.size() && i < values.size(); ++i) {
            set_curve_key(curve, frames[i], values[i]);
        }
    }
    // setKeyframe(node, attribute=attribute, time=time, value=value)
    virtual void set_channel_key(const std::string& node, const std::string& attribute, Frame time, double value) = 0;
    // setKeyframe(node, attribute=attribute, time=time, value=value, animLayer=layer)
    virtual void set_layer_key(const std::string& node, const std::string& attribute, Frame time, double value,
                               const std::string& layer) = 0;
    // keyTangent(node, attribute=attribute, outTangentType="step"): every key of the channel holds
    // its value up to the next key
    virtual void set_step_tangents(const std::string& node, const std::string& attribute) = 0;
    // keyframe(curve, q=True, time=(time, time), eval=True): the first item, or nothing when the
    // answer is empty or none
    virtual std::optional<double> eval_curve(const std::string& curve, Frame time) = 0;
    // keyframe(curve, q=True, eval=True, time=[(f, f) for f in frames]): the curve's value at every
    // frame in one call, without changing the current time; nothing when the curve has no keys.
    // This default asks eval_curve frame by frame.
    virtual std::optional<std::vector<double>> eval_curve_frames(const std::string& curve,
                                                                 const std::vector<Frame>& frames) {
        std::vector<double> values;
        values.reserve(frames.size());
        for (Frame frame : frames) {
            const std::optional<double> value = eval_curve(curve, frame);
            if (!value) return std::nullopt;
            values.push_back(*value);
        }
        return values;
    }
    // A mark that moves whenever any animation curve of the scene is edited, as the host's
    // curve-edited message tells it; nothing while the host tells no such thing. Equal marks
    // taken at two moments mean no curve was edited between them. This default tells nothing.
    virtual std::optional<std::uint64_t> curve_edit_mark() { return std::nullopt; }
    // A mark that moves whenever the host reads a scene (new, open, import, a reference), as its
    // scene messages tell it: equal marks mean the same scene in memory, not another one holding
    // nodes of the same names. This default tells nothing.
    virtual std::optional<std::uint64_t> scene_read_mark() { return std::nullopt; }
    // getAttr(node + "." + compound, time=time): the three values of a compound of numeric
    // channels ("translate", "rotate", rotations in degrees) at `time`, without changing the
    // current time.
    virtual Vec3 compound_at(const std::string& node, const std::string& compound, Frame time) = 0;
    // animLayer(name, q=True, exists=True)
    virtual bool anim_layer_exists(const std::string& name) = 0;
    // animLayer(name, override=True); answers the new layer's name
    virtual std::string create_override_layer(const std::string& name) = 0;
    // animLayer(layer, edit=True, attribute=plug)
    virtual void add_layer_attribute(const std::string& layer, const std::string& plug) = 0;
    // animLayer(layer, q=True, findCurveForPlug=plug): the layer's curve for the plug, or
    // nothing when it has none or the host cannot say (this default)
    virtual std::optional<std::string> layer_curve(const std::string& /*layer*/, const std::string& /*plug*/) {
        return std::nullopt;
    }
    // evaluationManager(q=True, mode=True)[0] / evaluationManager(mode=mode)
    virtual std::string evaluation_mode() = 0;
    virtual void set_evaluation_mode(const std::string& mode) = 0;
    // refresh(suspend=suspended)
    virtual void refresh_suspend(bool suspended) = 0;
    // mel.eval(command)
    virtual void mel_eval(const std::string& command) = 0;
    // inViewMessage(amg=text, pos="midCenter", fade=True)
    virtual void in_view_message(const std::string& text) = 0;
    // warning(text)
    virtual void warning(const std::string& text) = 0;
    // internalVar(userScriptDir=True)
    virtual std::string user_script_dir() = 0;
    // omui.MQtUtil.mainWindow(): the native pointer, or nothing in batch mode
    virtual std::optional<std::uintptr_t> main_window() = 0;
    // undoInfo(openChunk=True, chunkName=name) / undoInfo(closeChunk=True): every undoable command
    // in between is one entry in the host's undo queue. Chunks nest; the outermost one counts.
    virtual void open_undo_chunk(const std::string& name) = 0;
    virtual void close_undo_chunk() = 0;
    // A line in the host's script output (Python's print).
    virtual void print_line(const std::string& text) = 0;

    // ---- Progress of long commands in the host's main progress bar, and taking a step back ----
    // mel.eval("$tmp = $gMainProgressBar"): the name of the main window's progress bar
    virtual std::string main_progress_bar() = 0;
    // progressBar(bar, edit=True, beginProgress=True, isInterruptable=interruptible, status=status,
    // maxValue=max_value)
    virtual void begin_progress(const std::string& bar, const std::string& status, int max_value,
                                bool interruptible) = 0;
    // progressBar(bar, edit=True, progress=value)
    virtual void set_progress(const std::string& bar, int value) = 0;
    // progressBar(bar, query=True, isCancelled=True): whether the user pressed Esc
    virtual bool progress_cancelled(const std::string& bar) = 0;
    // progressBar(bar, edit=True, endProgress=True)
    virtual void end_progress(const std::string& bar) = 0;
    // undo(): takes back the newest entry of the undo queue
    virtual void undo() = 0;
    // undoInfo(q=True, state=True): whether the undo queue records at all
    virtual bool undo_enabled() = 0;
    // undoInfo(q=True, undoName=True): the name of the entry undo() would take back ("" for none)
    virtual std::string undo_name() = 0;
    // undoInfo(q=True): how many entries the undo queue holds
    virtual long undo_count() = 0;
    // undoInfo(q=True, infinity=True) / undoInfo(q=True, length=True): the most entries the queue
    // keeps, nothing when it keeps them all
    virtual std::optional<long> undo_limit() = 0;

    // ---- The links that bind what the tool made to a camera ----
    // attributeQuery(attribute, node=node, message=True) and attributeQuery(attribute, node=node,
    // multi=True): whether the node's attribute is an array of message links
    virtual bool is_message_array(const std::string& node, const std::string& attribute) = 0;
    // listConnections(node + "." + attribute, source=True, destination=False): the node linked
    // into each element of a message array, in element order
    virtual std::vector<std::string> linked_nodes(const std::string& node, const std::string& attribute) = 0;
};

}  // namespace trembla
