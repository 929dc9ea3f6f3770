// The real host: every operation is a call into maya.cmds, maya.mel or maya.OpenMayaUI through the
// Python C API, with the keyword flags Maya documents. Any Python exception raised by a call, or
// while its answer is read, is thrown as PythonError (a HostError) carrying the exception itself.
#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <initializer_list>
#include <map>
#include <memory>

#include "pyhost/py_ref.h"
#include "pyhost/python_error.h"
#include "scene/host.h"

namespace trembla::py {

// The three host modules as bound by the extension module at load time.
struct HostModules {
    PyRef cmds;  // maya.cmds
    PyRef mel;   // maya.mel
    PyRef omui;  // maya.OpenMayaUI
};

// Whether the host refused to key a curve in one call, kept by the caller beyond this one
// command: read and set through these each time, so the host holds nothing of the caller's.
struct KeyPathState {
    std::function<bool()> per_key_only;
    std::function<void()> keep_per_key;
};

// What the bridge keeps from one command to the next, owned by the caller (the module drops it
// on reset_state()): the frames as the host's time values, built once for as long as the frames
// and the host's time unit stay the same.
struct BridgeCache {
    std::vector<Frame> key_frames;   // the frames key_times holds
    PyRef key_time_unit;             // MTime.uiUnit() when key_times was built
    PyRef key_times;                 // their MTimeArray, for MFnAnimCurve.addKeys
    std::vector<Frame> eval_frames;  // the frames eval_times holds
    PyRef eval_times;                // [(f, f), ...], for keyframe -eval at every frame
};

// The undo chunks the tool opens through any PythonHost: how many outermost ones were closed so
// far, and the name of the last (each is one step of the tool's on the host's undo queue, unless
// a caller's chunk held it or the queue was off).
std::size_t tool_steps_closed();
const std::string& last_tool_step();

// Units: angles cross the Host interface in degrees, what the computation counts in; the host's
// commands speak its working angular unit (currentUnit -angle, read once per command), which this
// bridge converts at its edge both ways. Lengths stay in the host's working linear unit. Keys
// written through the Python API go in the host's internal units (cm, radians).
class PythonHost final : public Host {
public:
    // Made once per top-level call; commands are looked up on first use and kept until then.
    // `cache` is kept across commands; without one, this host keeps its own.
    explicit PythonHost(HostModules modules, KeyPathState key_path = {}, std::shared_ptr<BridgeCache> cache = nullptr);

    std::vector<std::string> selected_transforms() override;
    bool has_camera_shape(const std::string& node) override;
    std::vector<std::string> camera_transforms() override;
    bool obj_exists(const std::string& name) override;
    double playback_min() override;
    double playback_max() override;
    double frame_rate() override;
    double current_time() override;
    void set_current_time(double frame) override;
    Vec3 world_translation(const std::string& node) override;
    Vec3 world_rotation(const std::string& node) override;
    double get_attr(const std::string& plug) override;
    void set_attr(const std::string& plug, double value) override;
    void cut_key(const std::string& node, const std::string& attribute) override;
    void cut_keys(const std::string& node, const std::vector<std::string>& attributes) override;
    void delete_node(const std::string& name) override;
    // createNode(type, name=name, skipSelect=True): the user's selection stays as it was.
    std::string create_node(const std::string& type, const std::string& name) override;
    void connect_attr(const std::string& source, const std::string& destination) override;
    void disconnect_attr(const std::string& source, const std::string& destination) override;
    std::vector<std::pair<double, double>> curve_keys(const std::string& curve) override;
    void set_curve_key_at(const std::string& curve, double time, double value) override;
    CurveLook curve_look(const std::string& curve) override;
    void set_curve_look(const std::string& curve, const CurveLook& look) override;
    void set_key_tangent(const std::string& curve, double time, const KeyTangent& tangent) override;
    void set_out_tangent_type(const std::string& curve, double time, const std::string& type) override;
    std::optional<std::string> input_plug(const std::string& plug) override;
    std::string node_type(const std::string& node) override;
    std::optional<std::string> string_attr(const std::string& node, const std::string& attribute) override;
    void set_string_attr(const std::string& node, const std::string& attribute, const std::string& text) override;
    bool has_attr(const std::string& node, const std::string& attribute) override;
    void add_message_attr(const std::string& node, const std::string& attribute) override;
    void delete_attr(const std::string& node, const std::string& attribute) override;
    bool layer_muted(const std::string& layer) override;
    void set_layer_muted(const std::string& layer, bool muted) override;
    bool plug_locked(const std::string& plug) override;
    bool node_locked(const std::string& node) override;
    void set_curve_key(const std::string& curve, Frame time, double value) override;
    // One MFnAnimCurve.addKeys call where maya.api (Python API 2.0) offers it, else per key. A
    // refused call (TypeError/RuntimeError before any key is in) keys that curve per key, and
    // every later one until the caller's state is reset, with one line to the script output.
    void set_curve_keys(const std::string& curve, const std::vector<Frame>& frames,
                        const std::vector<double>& values) override;
    // The same one call into a curve that holds the key which created it (refused with that key
    // alone in: per key).
    void add_curve_keys(const std::string& curve, const std::vector<Frame>& frames,
                        const std::vector<double>& values) override;
    void set_channel_key(const std::string& node, const std::string& attribute, Frame time, double value) override;
    void set_step_tangents(const std::string& node, const std::string& attribute) override;
    void set_layer_key(const std::string& node, const std::string& attribute, Frame time, double value,
                       const std::string& layer) override;
    std::optional<double> eval_curve(const std::string& curve, Frame time) override;
    std::optional<std::uint64_t> curve_edit_mark() override;
    std::optional<std::uint64_t> scene_read_mark() override;
    std::optional<std::vector<double>> eval_curve_frames(const std::string& curve,
                                                         const std::vector<Frame>& frames) override;
    Vec3 compound_at(const std::string& node, const std::string& compound, Frame time) override;
    bool anim_layer_exists(const std::string& name) override;
    std::string create_override_layer(const std::string& name) override;
    void add_layer_attribute(const std::string& layer, const std::string& plug) override;
    std::optional<std::string> layer_curve(const std::string& layer, const std::string& plug) override;
    std::string evaluation_mode() override;
    void set_evaluation_mode(const std::string& mode) override;
    void refresh_suspend(bool suspended) override;
    void mel_eval(const std::string& command) override;
    void in_view_message(const std::string& text) override;
    void warning(const std::string& text) override;
    void open_undo_chunk(const std::string& name) override;
    void close_undo_chunk() override;
    std::string user_script_dir() override;
    std::optional<std::uintptr_t> main_window() override;
    void print_line(const std::string& text) override;
    std::string main_progress_bar() override;
    void begin_progress(const std::string& bar, const std::string& status, int max_value, bool interruptible) override;
    void set_progress(const std::string& bar, int value) override;
    bool progress_cancelled(const std::string& bar) override;
    void end_progress(const std::string& bar) override;
    void undo() override;
    bool undo_enabled() override;
    std::string undo_name() override;
    long undo_count() override;
    std::optional<long> undo_limit() override;

    // The links binding what the tool made to a camera (python_host_identity.cpp).
    bool is_message_array(const std::string& node, const std::string& attribute) override;
    std::vector<std::string> linked_nodes(const std::string& node, const std::string& attribute) override;
    // undoInfo(q=True, redoName=True): the step redo() would put back.
    std::string redo_name();
    // scriptJob(event=[event, script]): the job's number, nothing in batch mode; scriptJob(kill=n).
    std::optional<long> add_event_job(const std::string& event, PyObject* script);
    void kill_job(long number);

private:
    enum class Command : std::size_t {
        Ls,
        ListRelatives,
        ObjExists,
        PlaybackOptions,
        CurrentTime,
        Xform,
        GetAttr,
        SetAttr,
        CutKey,
        Delete,
        CreateNode,
        ConnectAttr,
        SetKeyframe,
        Keyframe,
        AnimLayer,
        EvaluationManager,
        Refresh,
        MelEval,
        InViewMessage,
        Warning,
        InternalVar,
        MainWindow,
        UndoInfo,
        ProgressBar,
        Undo,
        CurrentUnit,
        NodeType,
        ScriptJob,
        ListConnections,
        DisconnectAttr,
        AttributeQuery,
        AddAttr,
        DeleteAttr,
        KeyTangent,
        SetInfinity,
        LockNode,
        Count
    };

    // One keyword argument of a host call; both objects are borrowed.
    struct Keyword {
        PyObject* name;
        PyObject* value;
    };

    PyObject* command(Command which);
    PyRef call(Command which, std::initializer_list<PyObject*> args, std::initializer_list<Keyword> keywords = {});
    Vec3 world_vector(const std::string& node, PyObject* which_flag);
    double playback_bound(PyObject* which_flag);

    // The parts of the host's Python API 2.0 that key a curve in one call, looked up on first use.
    struct KeyApi {
        bool looked_up = false;
        bool available = false;
        PyRef selection_list;  // maya.api.OpenMaya.MSelectionList
        PyRef time;            // maya.api.OpenMaya.MTime
        PyRef time_array;      // maya.api.OpenMaya.MTimeArray
        PyRef double_array;    // maya.api.OpenMaya.MDoubleArray
        PyRef anim_curve;      // maya.api.OpenMayaAnim.MFnAnimCurve
        PyRef tangent_global;  // MFnAnimCurve.kTangentGlobal
        PyRef angle;           // maya.api.OpenMaya.MAngle
        PyRef distance;        // maya.api.OpenMaya.MDistance
    };
    bool key_api_available();
    PyObject* key_times(const std::vector<Frame>& frames);
    // The batch call; a TypeError/RuntimeError of addKeys itself is answered, not thrown.
    std::optional<PythonError> add_keys(const std::string& curve, const std::vector<Frame>& frames,
                                        const std::vector<double>& values, bool keep_existing);
    bool per_key_only();
    // addKeys into a curve holding `keys_before` keys; `per_key` where the batch is not to be had.
    void keys_in_one_call(const std::string& curve, const std::vector<Frame>& frames, const std::vector<double>& values,
                          double keys_before, const std::function<void()>& per_key);
    // The keys a curve holds, as keyframe -query -keyframeCount answers.
    double key_count(const std::string& curve);
    double internal_per_ui(PyObject* unit_type, std::optional<double>& cached);

    // Angles between degrees (this interface) and the host's working angular unit.
    double ui_per_degree();
    double to_degrees(double ui_value);
    double from_degrees(double degrees);
    const std::string& curve_type(const std::string& curve);
    bool angle_plug(const std::string& plug);
    bool angular_curve(const std::string& curve);
    bool has_attribute(const std::string& node, const std::string& attribute);

    HostModules modules_;
    std::array<PyRef, static_cast<std::size_t>(Command::Count)> commands_;
    KeyApi key_api_;
    // Every shake curve is keyed at the prepared frames: their MTimeArray is built once and kept
    // across commands; the time unit is asked once per command to check it.
    std::shared_ptr<BridgeCache> cache_;
    PyRef time_unit_;
    KeyPathState key_path_;
    bool per_key_only_ = false;
    std::optional<double> ui_per_degree_;
    std::optional<double> angle_internal_per_ui_;
    std::optional<double> distance_internal_per_ui_;
    // Curve types by name: those made by this command, and those asked once.
    std::map<std::string, std::string> curve_types_;
};

}  // namespace trembla::py
