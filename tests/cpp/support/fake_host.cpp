#include "fake_host.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <iterator>

namespace trembla {
namespace {

std::string plug_of(const std::string& node, const std::string& attribute) { return node + "." + attribute; }

std::string node_of(const std::string& plug) { return plug.substr(0, plug.find('.')); }

std::string format_arg(Frame value) { return std::to_string(value); }

std::string format_arg(bool value) { return value ? "true" : "false"; }

Frame whole_frame(double time) { return static_cast<Frame>(std::trunc(time)); }

}  // namespace

std::string format_arg(double value) {
    char buffer[64];
    const auto result = std::to_chars(std::begin(buffer), std::end(buffer), value);
    return std::string(buffer, result.ptr);
}

std::ostream& operator<<(std::ostream& out, const HostCall& call) {
    out << call.op << "(";
    for (std::size_t i = 0; i < call.args.size(); ++i) {
        out << (i == 0 ? "" : ", ") << '"' << call.args[i] << '"';
    }
    return out << ")";
}

// ---- Setting up ------------------------------------------------------------------------------

void FakeHost::add_camera(const std::string& name) {
    nodes.insert(name);
    camera_nodes.insert(name);
}

void FakeHost::set_world(const std::string& node, Frame frame, const Sample& pose) {
    nodes.insert(node);
    world[node][frame] = pose;
}

// ---- The call log ----------------------------------------------------------------------------

std::vector<std::string> FakeHost::operations() const {
    std::vector<std::string> names;
    names.reserve(calls_.size());
    for (const HostCall& call : calls_) {
        names.push_back(call.op);
    }
    return names;
}

std::vector<HostCall> FakeHost::calls_of(const std::string& op) const {
    std::vector<HostCall> found;
    for (const HostCall& call : calls_) {
        if (call.op == op) {
            found.push_back(call);
        }
    }
    return found;
}

std::size_t FakeHost::count(const std::string& op) const {
    std::size_t n = 0;
    for (const HostCall& call : calls_) {
        n += call.op == op ? 1 : 0;
    }
    return n;
}

// ---- Failures --------------------------------------------------------------------------------

void FakeHost::fail_on_call(const std::string& op, int nth, const std::string& message) {
    failures_.push_back({op, nth, message});
}

void FakeHost::fail_always(const std::string& op, const std::string& message) {
    failures_.push_back({op, -1, message});
}

void FakeHost::record(const std::string& op, std::vector<std::string> args) {
    calls_.push_back({op, std::move(args)});
    for (Failure& failure : failures_) {
        if (failure.op != op || failure.calls_left == 0) {
            continue;
        }
        if (failure.calls_left > 0 && --failure.calls_left > 0) {
            continue;
        }
        throw HostError(failure.message.empty() ? op + " failed" : failure.message);
    }
}

void FakeHost::require_node(const std::string& name) const {
    if (nodes.count(name) == 0) {
        throw HostError("No object matches name: " + name);
    }
}

FakeCurve& FakeHost::require_curve(const std::string& name) {
    const auto found = curves.find(name);
    if (found == curves.end()) {
        throw HostError("No animation curve named: " + name);
    }
    return found->second;
}

FakeLayer& FakeHost::require_layer(const std::string& name) {
    const auto found = layers.find(name);
    if (found == layers.end()) {
        throw HostError("No animation layer named: " + name);
    }
    return found->second;
}

std::string FakeHost::free_name(const std::string& wanted) const {
    if (nodes.count(wanted) == 0) {
        return wanted;
    }
    for (int suffix = 1;; ++suffix) {
        const std::string candidate = wanted + std::to_string(suffix);
        if (nodes.count(candidate) == 0) {
            return candidate;
        }
    }
}

// ---- Host ------------------------------------------------------------------------------------

std::vector<std::string> FakeHost::selected_transforms() {
    record("selected_transforms", {});
    return selection;
}

bool FakeHost::has_camera_shape(const std::string& node) {
    record("has_camera_shape", {node});
    return camera_nodes.count(node) != 0;
}

std::vector<std::string> FakeHost::camera_transforms() {
    record("camera_transforms", {});
    return {camera_nodes.begin(), camera_nodes.end()};
}

bool FakeHost::obj_exists(const std::string& name) {
    record("obj_exists", {name});
    return nodes.count(name) != 0;
}

double FakeHost::playback_min() {
    record("playback_min", {});
    return playback_start;
}

double FakeHost::frame_rate() {
    record("frame_rate", {});
    return fps;
}

double FakeHost::playback_max() {
    record("playback_max", {});
    return playback_end;
}

double FakeHost::current_time() {
    record("current_time", {});
    return time;
}

void FakeHost::set_current_time(double frame) {
    record("set_current_time", {format_arg(frame)});
    time = frame;
}

Vec3 FakeHost::world_translation(const std::string& node) {
    record("world_translation", {node});
    require_node(node);
    const Sample pose = sample_at(node);
    return {pose[0], pose[1], pose[2]};
}

Vec3 FakeHost::world_rotation(const std::string& node) {
    record("world_rotation", {node});
    require_node(node);
    const Sample pose = sample_at(node);
    return {pose[3], pose[4], pose[5]};
}

Sample FakeHost::sample_at(const std::string& node) const {
    const auto poses = world.find(node);
    if (poses == world.end()) {
        return kZeroSample;
    }
    const auto pose = poses->second.find(whole_frame(time));
    return pose == poses->second.end() ? kZeroSample : pose->second;
}

double FakeHost::get_attr(const std::string& plug) {
    record("get_attr", {plug});
    return value_at(plug, time);
}

Vec3 FakeHost::compound_at(const std::string& node, const std::string& compound, Frame at) {
    record("compound_at", {node, compound, format_arg(static_cast<double>(at))});
    const bool rotate = compound == "rotate";
    if (!rotate && compound != "translate") throw HostError("no compound " + compound);
    Vec3 out{};
    for (std::size_t i = 0; i < 3; ++i) {
        out[i] = value_at(plug_of(node, kChannels[i + (rotate ? 3 : 0)]), static_cast<double>(at));
    }
    return out;
}

double FakeHost::value_at(const std::string& plug, double at) {
    require_node(node_of(plug));
    const auto driver = connections.find(plug);
    if (driver != connections.end()) {
        const std::string source = node_of(driver->second);
        const auto curve = curves.find(source);
        if (curve != curves.end() && !curve->second.keys.empty()) {
            return evaluate(curve->second, whole_frame(at));
        }
        const auto type = node_types.find(source);
        if (type != node_types.end() && type->second.rfind("animBlendNodeAdditive", 0) == 0) {
            return value_at(plug_of(source, "inputA"), at) + value_at(plug_of(source, "inputB"), at);
        }
    }
    const auto keys = channel_keys.find(plug);
    if (keys != channel_keys.end()) {
        const auto key = keys->second.find(whole_frame(at));
        if (key != keys->second.end()) {
            return key->second;
        }
    }
    const auto value = attr_values.find(plug);
    return value != attr_values.end() ? value->second : 0.0;
}

void FakeHost::set_attr(const std::string& plug, double value) {
    record("set_attr", {plug, format_arg(value)});
    require_node(node_of(plug));
    attr_values[plug] = value;
}

void FakeHost::cut_key(const std::string& node, const std::string& attribute) {
    record("cut_key", {node, attribute});
    require_node(node);
    const std::string plug = plug_of(node, attribute);
    channel_keys.erase(plug);
    const auto driver = connections.find(plug);
    if (driver != connections.end()) {
        const auto curve = curves.find(node_of(driver->second));
        if (curve != curves.end()) {
            curve->second.keys.clear();
        }
    }
}

void FakeHost::delete_node(const std::string& name) {
    record("delete_node", {name});
    require_node(name);
    nodes.erase(name);
    camera_nodes.erase(name);
    curves.erase(name);
    node_types.erase(name);
    layers.erase(name);
    world.erase(name);
    for (auto it = connections.begin(); it != connections.end();) {
        const bool touches = node_of(it->first) == name || node_of(it->second) == name;
        it = touches ? connections.erase(it) : std::next(it);
    }
}

std::string FakeHost::create_node(const std::string& type, const std::string& name) {
    record("create_node", {type, name});
    if (name.find('|') != std::string::npos) {  // the host takes no DAG path as a node name
        throw HostError("createNode: '" + name + "' is not a valid node name");
    }
    const std::string given = free_name(name);
    nodes.insert(given);
    if (type.rfind("animCurve", 0) == 0) {
        curves[given] = FakeCurve{type, {}};
    } else {
        node_types[given] = type;
    }
    return given;
}

void FakeHost::connect_attr(const std::string& source, const std::string& destination) {
    record("connect_attr", {source, destination});
    require_node(node_of(source));
    require_node(node_of(destination));
    connections[destination] = source;
}

std::vector<std::pair<double, double>> FakeHost::curve_keys(const std::string& curve) {
    ++curve_key_reads;
    std::vector<std::pair<double, double>> keys;
    for (const auto& [time_value, value] : require_curve(curve).keys) keys.emplace_back(double(time_value), value);
    return keys;
}

void FakeHost::set_curve_key_at(const std::string& curve, double time_value, double value) {
    record("set_curve_key_at", {curve, format_arg(time_value), format_arg(value)});
    require_curve(curve).keys[static_cast<Frame>(time_value)] = value;
}

void FakeHost::disconnect_attr(const std::string& source, const std::string& destination) {
    record("disconnect_attr", {source, destination});
    const auto found = connections.find(destination);
    if (found == connections.end() || found->second != source) {
        throw HostError("No connection from " + source + " to " + destination);
    }
    connections.erase(found);
}

std::optional<std::string> FakeHost::input_plug(const std::string& plug) {
    const auto found = connections.find(plug);
    if (found == connections.end()) return std::nullopt;
    return found->second;
}

std::string FakeHost::node_type(const std::string& node) {
    require_node(node);
    const auto curve = curves.find(node);
    if (curve != curves.end()) return curve->second.type;
    const auto made = node_types.find(node);
    if (made != node_types.end()) return made->second;
    return layers.count(node) != 0 ? "animLayer" : "transform";
}

std::optional<std::string> FakeHost::string_attr(const std::string& node, const std::string& attribute) {
    if (number_attrs.count(plug_of(node, attribute)) != 0)
        throw NotTextError(plug_of(node, attribute) + " holds no text");
    const auto found = string_attrs.find(plug_of(node, attribute));
    if (found == string_attrs.end()) return std::nullopt;
    return found->second;
}

void FakeHost::set_string_attr(const std::string& node, const std::string& attribute, const std::string& text) {
    record("set_string_attr", {node, attribute});
    require_node(node);
    string_attrs[plug_of(node, attribute)] = text;
}

bool FakeHost::has_attr(const std::string& node, const std::string& attribute) {
    const std::string plug = plug_of(node, attribute);
    return string_attrs.count(plug) != 0 || message_attrs.count(plug) != 0 || number_attrs.count(plug) != 0;
}

void FakeHost::add_message_attr(const std::string& node, const std::string& attribute) {
    record("add_message_attr", {node, attribute});
    require_node(node);
    message_attrs.insert(plug_of(node, attribute));
}

void FakeHost::delete_attr(const std::string& node, const std::string& attribute) {
    record("delete_attr", {node, attribute});
    const std::string plug = plug_of(node, attribute);
    if (message_attrs.erase(plug) + string_attrs.erase(plug) == 0) throw HostError("No attribute " + plug);
    for (auto it = connections.begin(); it != connections.end();) {
        it = it->first.rfind(plug + "[", 0) == 0 ? connections.erase(it) : std::next(it);
    }
}

bool FakeHost::is_message_array(const std::string& node, const std::string& attribute) {
    return message_attrs.count(plug_of(node, attribute)) != 0;
}

std::vector<std::string> FakeHost::linked_nodes(const std::string& node, const std::string& attribute) {
    const std::string prefix = plug_of(node, attribute) + "[";
    std::map<std::size_t, std::string> linked;
    for (const auto& [destination, source] : connections) {
        if (destination.rfind(prefix, 0) == 0) {
            linked[std::stoul(destination.substr(prefix.size()))] = node_of(source);
        }
    }
    std::vector<std::string> found;
    for (const auto& [index, name] : linked) found.push_back(name);
    return found;
}

bool FakeHost::layer_muted(const std::string& layer) { return muted_layers.count(layer) != 0; }

bool FakeHost::plug_locked(const std::string& plug) { return locked.count(plug) != 0; }

bool FakeHost::node_locked(const std::string& node) { return locked.count(node) != 0; }

void FakeHost::set_layer_muted(const std::string& layer, bool muted) {
    record("set_layer_muted", {layer, muted ? "true" : "false"});
    if (muted) {
        muted_layers.insert(layer);
    } else {
        muted_layers.erase(layer);
    }
}

void FakeHost::set_curve_key(const std::string& curve, Frame time_value, double value) {
    record("set_curve_key", {curve, format_arg(time_value), format_arg(value)});
    require_curve(curve).keys[time_value] = value;
}

void FakeHost::set_key_tangent(const std::string& curve, double time_value, const KeyTangent& tangent) {
    record("set_key_tangent", {curve, format_arg(time_value), tangent.in_type, tangent.out_type});
    require_curve(curve);
}

void FakeHost::set_out_tangent_type(const std::string& curve, double time_value, const std::string& type) {
    record("set_out_tangent_type", {curve, format_arg(time_value), type});
    require_curve(curve);
}

void FakeHost::set_curve_keys(const std::string& curve, const std::vector<Frame>& frames,
                              const std::vector<double>& values) {
    if (!batch_curve_keys) {
        Host::set_curve_keys(curve, frames, values);
        return;
    }
    record("set_curve_keys", {curve, std::to_string(frames.size())});
    FakeCurve& found = require_curve(curve);
    for (std::size_t i = 0; i < frames.size() && i < values.size(); ++i) {
        found.keys[frames[i]] = values[i];
    }
}

void FakeHost::set_channel_key(const std::string& node, const std::string& attribute, Frame time_value, double value) {
    record("set_channel_key", {node, attribute, format_arg(time_value), format_arg(value)});
    require_node(node);
    channel_keys[plug_of(node, attribute)][time_value] = value;
}

void FakeHost::set_step_tangents(const std::string& node, const std::string& attribute) {
    record("set_step_tangents", {node, attribute});
    require_node(node);
}

void FakeHost::set_layer_key(const std::string& node, const std::string& attribute, Frame time_value, double value,
                             const std::string& layer) {
    record("set_layer_key", {node, attribute, format_arg(time_value), format_arg(value), layer});
    require_node(node);
    FakeLayer& found = require_layer(layer);
    const std::string target = plug_of(node, attribute);
    // As the host does: the layer flag is ignored for a plug outside the layer, and the key lands
    // on the plug's own animation.
    if (std::find(found.attributes.begin(), found.attributes.end(), target) == found.attributes.end()) {
        channel_keys[target][time_value] = value;
        return;
    }
    found.keys[target][time_value] = value;
}

std::optional<double> FakeHost::eval_curve(const std::string& curve, Frame time_value) {
    record("eval_curve", {curve, format_arg(time_value)});
    const FakeCurve& found = require_curve(curve);
    if (found.keys.empty()) {
        return std::nullopt;
    }
    return evaluate(found, time_value);
}

std::optional<std::vector<double>> FakeHost::eval_curve_frames(const std::string& curve,
                                                               const std::vector<Frame>& frames) {
    record("eval_curve_frames", {curve, std::to_string(frames.size())});
    const FakeCurve& found = require_curve(curve);
    if (found.keys.empty()) return std::nullopt;
    std::vector<double> values;
    for (Frame frame : frames) values.push_back(evaluate(found, frame));
    return values;
}

double FakeHost::evaluate(const FakeCurve& curve, Frame time_value) {
    const auto after = curve.keys.lower_bound(time_value);
    if (after == curve.keys.end()) {
        return std::prev(after)->second;
    }
    if (after->first == time_value || after == curve.keys.begin()) {
        return after->second;
    }
    const auto before = std::prev(after);
    const double share =
        static_cast<double>(time_value - before->first) / static_cast<double>(after->first - before->first);
    return before->second + (after->second - before->second) * share;
}

bool FakeHost::anim_layer_exists(const std::string& name) {
    record("anim_layer_exists", {name});
    return layers.count(name) != 0;
}

std::string FakeHost::create_override_layer(const std::string& name) {
    record("create_override_layer", {name});
    const std::string given = free_name(name);
    nodes.insert(given);
    layers[given] = FakeLayer{};
    return given;
}

void FakeHost::add_layer_attribute(const std::string& layer, const std::string& plug) {
    record("add_layer_attribute", {layer, plug});
    require_node(node_of(plug));
    require_layer(layer).attributes.push_back(plug);
}

std::string FakeHost::evaluation_mode() {
    record("evaluation_mode", {});
    return eval_mode;
}

void FakeHost::set_evaluation_mode(const std::string& mode) {
    record("set_evaluation_mode", {mode});
    eval_mode = mode;
}

void FakeHost::refresh_suspend(bool suspended) {
    record("refresh_suspend", {format_arg(suspended)});
    refresh_suspended = suspended;
}

void FakeHost::mel_eval(const std::string& command) {
    record("mel_eval", {command});
    mel_commands.push_back(command);
}

void FakeHost::in_view_message(const std::string& text) {
    record("in_view_message", {text});
    in_view_messages.push_back(text);
}

void FakeHost::open_undo_chunk(const std::string& name) {
    if (fail_chunk_open) throw HostError("fake host: open_undo_chunk failed");
    undo_chunks.push_back({name, calls_.size(), kStillOpen});
    ++undo_depth;
}

void FakeHost::close_undo_chunk() {
    if (fail_chunk_close) throw HostError("fake host: close_undo_chunk failed");
    for (auto chunk = undo_chunks.rbegin(); chunk != undo_chunks.rend(); ++chunk) {
        if (chunk->closed == kStillOpen) {
            chunk->closed = calls_.size();
            if (undo_depth == 1) {
                undo_top = chunk->name;
                ++undo_entries;
            }
            break;
        }
    }
    --undo_depth;
}

void FakeHost::warning(const std::string& text) {
    record("warning", {text});
    warnings.push_back(text);
}

std::string FakeHost::user_script_dir() {
    record("user_script_dir", {});
    return script_dir;
}

std::optional<std::uintptr_t> FakeHost::main_window() {
    record("main_window", {});
    return main_window_pointer;
}

void FakeHost::print_line(const std::string& text) {
    record("print_line", {text});
    printed_lines.push_back(text);
}

// ---- Progress bar and undo ------------------------------------------------------------------

std::string FakeHost::main_progress_bar() {
    record("main_progress_bar", {});
    return main_progress_bar_name;
}

void FakeHost::begin_progress(const std::string& bar, const std::string& status, int max_value, bool interruptible) {
    record("begin_progress", {bar, status, std::to_string(max_value)});
    progress_interruptible = interruptible;
    progress_shown = true;
}

void FakeHost::set_progress(const std::string& bar, int value) { record("set_progress", {bar, std::to_string(value)}); }

bool FakeHost::progress_cancelled(const std::string& bar) {
    record("progress_cancelled", {bar});
    return ++cancel_checks_ == cancel_on_check;
}

void FakeHost::end_progress(const std::string& bar) {
    record("end_progress", {bar});
    progress_shown = false;
}

void FakeHost::undo() { record("undo", {}); }

bool FakeHost::undo_enabled() { return undo_on; }

std::string FakeHost::undo_name() { return undo_top; }

long FakeHost::undo_count() { return undo_entries; }

std::optional<long> FakeHost::undo_limit() { return std::nullopt; }

}  // namespace trembla
