// An in-memory Host for tests. It logs every call (operation name and arguments, in order), keeps
// a small scene (nodes, world poses per frame, channel values and keys, curves, layers) and can be
// told to fail any operation with HostError, on its n-th call or always.
//
// The scene is plain public data: set it up directly or through the helpers, run the code under
// test, then inspect it together with calls().
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "scene/host.h"

namespace trembla {

// One logged call. Arguments are written as text: names as they are, whole numbers in decimal,
// doubles in their shortest round-trip form ("1.5", "10", "-0", "nan"), flags as "true"/"false".
struct HostCall {
    std::string op;  // the Host method's name, e.g. "set_curve_key"
    std::vector<std::string> args;

    bool operator==(const HostCall& other) const { return op == other.op && args == other.args; }
    bool operator!=(const HostCall& other) const { return !(*this == other); }
};
std::ostream& operator<<(std::ostream& out, const HostCall& call);

// How a double appears in HostCall::args.
std::string format_arg(double value);

// An animation curve node made by create_node with a type beginning "animCurve".
struct FakeCurve {
    std::string type;
    std::map<Frame, double> keys;
};

struct FakeLayer {
    std::vector<std::string> attributes;                  // plugs added, in order
    std::map<std::string, std::map<Frame, double>> keys;  // plug -> time -> value
};

class FakeHost : public Host {
public:
    // ---- The scene -----------------------------------------------------------------------
    std::set<std::string> nodes;         // everything obj_exists answers true for
    std::set<std::string> camera_nodes;  // transforms with a camera shape
    std::vector<std::string> selection;  // selected transforms, in order
    double playback_start = 1;
    double playback_end = 24;
    double fps = 24;  // the scene's frame rate
    double time = 1;  // the current time
    // World pose per node per whole frame; frames not listed read as the zero sample. The pose is
    // read at the current time truncated toward zero.
    std::map<std::string, std::map<Frame, Sample>> world;
    std::map<std::string, double> attr_values;                    // plug -> value for get_attr / set_attr
    std::map<std::string, std::map<Frame, double>> channel_keys;  // plug -> keys (set_channel_key)
    std::map<std::string, FakeCurve> curves;                      // curve node -> type and keys
    std::map<std::string, std::string> connections;               // destination plug -> source plug
    std::map<std::string, FakeLayer> layers;
    // The type create_node gave each node that is no curve (a blend node: animBlendNodeAdditiveDL).
    std::map<std::string, std::string> node_types;
    std::set<std::string> locked;  // locked plugs and nodes: plug_locked / node_locked answer true
    std::string eval_mode = "parallel";
    bool refresh_suspended = false;
    std::string script_dir = "/tmp/trembla_fake_scripts/";
    std::optional<std::uintptr_t> main_window_pointer;
    // true: set_curve_keys is one logged "set_curve_keys" call (curve, key count) writing every key,
    // as a host with a batch interface; false: the per-key path, one set_curve_key per frame.
    bool batch_curve_keys = false;
    // What curve_edit_mark answers; curve_keys counts its reads.
    std::optional<std::uint64_t> edit_mark;
    std::optional<std::uint64_t> read_mark;  // what scene_read_mark answers
    int curve_key_reads = 0;
    // What the host showed or ran, in order.
    std::vector<std::string> mel_commands;
    std::vector<std::string> in_view_messages;
    std::vector<std::string> warnings;
    std::vector<std::string> printed_lines;

    // ---- Setting up ----------------------------------------------------------------------
    void add_node(const std::string& name) { nodes.insert(name); }
    void add_camera(const std::string& name);                                  // a node with a camera shape
    void set_world(const std::string& node, Frame frame, const Sample& pose);  // adds the node

    // ---- The call log --------------------------------------------------------------------
    const std::vector<HostCall>& calls() const { return calls_; }
    std::vector<std::string> operations() const;  // just the names, in order
    std::vector<HostCall> calls_of(const std::string& op) const;
    std::size_t count(const std::string& op) const;
    void clear_calls() { calls_.clear(); }

    // ---- Failures ------------------------------------------------------------------------
    // The n-th call (n >= 1) of `op` made after this request throws HostError(message, or
    // "<op> failed" when empty); the failing call is still logged and changes nothing.
    void fail_on_call(const std::string& op, int nth, const std::string& message = "");
    // Every call of `op` from now on throws.
    void fail_always(const std::string& op, const std::string& message = "");
    void clear_failures() { failures_.clear(); }

    // ---- Host ----------------------------------------------------------------------------
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
    // A plug driven by a curve reads the curve at the current time; driven by an additive blend
    // node, its inputA plus its inputB; else a key at the current whole frame; else the stored
    // value; else 0 for an existing node. Unknown nodes fail.
    double get_attr(const std::string& plug) override;
    void set_attr(const std::string& plug, double value) override;
    // get_attr's answers for the compound's three channels at `time`; the current time stays.
    Vec3 compound_at(const std::string& node, const std::string& compound, Frame time) override;
    double value_at(const std::string& plug, double at);
    // Clears the plug's channel keys and the keys of a curve driving it (the curve stays).
    void cut_key(const std::string& node, const std::string& attribute) override;
    // Removes the node with its curve, its connections and, for a layer, the layer.
    void delete_node(const std::string& name) override;
    // A taken name gets the lowest free numeric suffix ("name1", "name2", ...), as the host does; a
    // name with "|" fails, as the host refuses it.
    std::string create_node(const std::string& type, const std::string& name) override;
    void connect_attr(const std::string& source, const std::string& destination) override;
    void disconnect_attr(const std::string& source, const std::string& destination) override;
    std::vector<std::pair<double, double>> curve_keys(const std::string& curve) override;  // not logged
    std::optional<std::uint64_t> curve_edit_mark() override { return edit_mark; }
    std::optional<std::uint64_t> scene_read_mark() override { return read_mark; }
    // Keys at whole frames only (the time truncated), as the fake's curves hold them.
    void set_curve_key_at(const std::string& curve, double time, double value) override;
    // Queries are not logged, so that call sequences read as before.
    std::optional<std::string> input_plug(const std::string& plug) override;
    // "transform" for a node that is no curve or layer and was not made with another type
    std::string node_type(const std::string& node) override;
    std::optional<std::string> string_attr(const std::string& node, const std::string& attribute) override;
    void set_string_attr(const std::string& node, const std::string& attribute, const std::string& text) override;
    bool layer_muted(const std::string& layer) override;
    void set_layer_muted(const std::string& layer, bool muted) override;
    bool plug_locked(const std::string& plug) override;
    bool node_locked(const std::string& node) override;
    std::map<std::string, std::string> string_attrs;  // plug -> text
    std::set<std::string> number_attrs;               // plugs holding a number: no text to read
    bool has_attr(const std::string& node, const std::string& attribute) override;
    void add_message_attr(const std::string& node, const std::string& attribute) override;
    void delete_attr(const std::string& node, const std::string& attribute) override;
    std::set<std::string> message_attrs;  // plug
    bool is_message_array(const std::string& node, const std::string& attribute) override;
    // The nodes linked into the array's elements, in element order.
    std::vector<std::string> linked_nodes(const std::string& node, const std::string& attribute) override;
    std::set<std::string> muted_layers;
    void set_curve_key(const std::string& curve, Frame time, double value) override;
    // Logged only ("set_key_tangent", curve, time, in type, out type; "set_out_tangent_type",
    // curve, time, type): keys sit on whole frames.
    void set_key_tangent(const std::string& curve, double time, const KeyTangent& tangent) override;
    void set_out_tangent_type(const std::string& curve, double time, const std::string& type) override;
    void set_curve_keys(const std::string& curve, const std::vector<Frame>& frames,
                        const std::vector<double>& values) override;
    void set_channel_key(const std::string& node, const std::string& attribute, Frame time, double value) override;
    // A plug not added to the layer is keyed on its own animation (channel_keys), as the host does.
    void set_step_tangents(const std::string& node, const std::string& attribute) override;
    void set_layer_key(const std::string& node, const std::string& attribute, Frame time, double value,
                       const std::string& layer) override;
    // The key at `time`; between keys linear; outside them the nearest end key; nothing without keys.
    std::optional<double> eval_curve(const std::string& curve, Frame time) override;
    // eval_curve's answers at every frame, logged as one call.
    std::optional<std::vector<double>> eval_curve_frames(const std::string& curve,
                                                         const std::vector<Frame>& frames) override;
    bool anim_layer_exists(const std::string& name) override;
    std::string create_override_layer(const std::string& name) override;
    void add_layer_attribute(const std::string& layer, const std::string& plug) override;
    std::string evaluation_mode() override;
    void set_evaluation_mode(const std::string& mode) override;
    void refresh_suspend(bool suspended) override;
    void mel_eval(const std::string& command) override;
    void in_view_message(const std::string& text) override;
    void warning(const std::string& text) override;
    std::string user_script_dir() override;
    std::optional<std::uintptr_t> main_window() override;
    void print_line(const std::string& text) override;
    // Undo chunks are kept apart from calls(), so that call sequences read as before: each chunk
    // notes the calls() index where it opened and where it closed.
    void open_undo_chunk(const std::string& name) override;
    void close_undo_chunk() override;
    struct UndoChunkSpan {
        std::string name;
        std::size_t opened;
        std::size_t closed;  // kStillOpen until closed
    };
    static constexpr std::size_t kStillOpen = static_cast<std::size_t>(-1);
    std::vector<UndoChunkSpan> undo_chunks;
    int undo_depth = 0;  // chunks open now
    bool fail_chunk_open = false;
    bool fail_chunk_close = false;  // the close throws and the chunk stays open

    // ---- Progress bar and undo ------------------------------------------------------------
    // The bar is the one main_progress_bar() names; the n-th progress_cancelled() call counted
    // from the start answers true (0: never). undo() is only logged: this host keeps no queue;
    // its top is the name of the last outermost chunk closed. The queries of the queue are kept
    // apart from calls(), as the chunks are.
    std::string main_progress_bar_name = "mainProgressBar";
    int cancel_on_check = 0;
    bool progress_shown = false;
    bool progress_interruptible = false;
    bool undo_on = true;
    std::string undo_top;
    long undo_entries = 0;  // outermost chunks closed
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

private:
    struct Failure {
        std::string op;
        int calls_left;  // throws when this reaches 0; negative: always
        std::string message;
    };

    // Logs the call, then throws when a failure is due.
    void record(const std::string& op, std::vector<std::string> args);
    void require_node(const std::string& name) const;
    FakeCurve& require_curve(const std::string& name);
    FakeLayer& require_layer(const std::string& name);
    std::string free_name(const std::string& wanted) const;
    Sample sample_at(const std::string& node) const;  // pose at the current whole frame
    static double evaluate(const FakeCurve& curve, Frame time);

    std::vector<HostCall> calls_;
    std::vector<Failure> failures_;
    int cancel_checks_ = 0;
};

}  // namespace trembla
