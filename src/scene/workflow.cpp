#include "scene/workflow.h"

#include <cmath>
#include <cstddef>
#include <stdexcept>
#include <utility>
#include <vector>

#include "core/apply.h"
#include "core/extraction.h"
#include "core/ranges.h"
#include "core/records.h"
#include "core/sampling.h"
#include "scene/host.h"
#include "scene/suspension.h"

namespace trembla {
namespace {

constexpr const char* kDefaultLayerName = "trembla_layer";

bool builds_on_own_animation(const std::string& camera_mode) {
    return camera_mode == "animated" || camera_mode == "relax";
}

std::string plug(const std::string& node, const std::string& channel) { return node + "." + channel; }

std::vector<Frame> prepared_frames(const Prepared& record) {
    return frame_span(record.start_frame, record.end_frame);
}

// The record's camera, as a name to pass to the host; a record that is ready always has one.
const std::string& prepared_camera(const Prepared& record) {
    if (!record.camera) throw std::logic_error("the prepared record names no camera");
    return *record.camera;
}

const Sample& prepared_camera_base(const Prepared& record) {
    if (!record.camera_base) throw std::logic_error("the prepared record holds no camera start pose");
    return *record.camera_base;
}

// The enabled channels in channel order: translation first, then rotation.
std::vector<std::string> enabled_channels(const ControlValues& controls) {
    std::vector<std::string> channels;
    for (const char* channel : kChannels) {
        if (is_translate_channel(channel) ? controls.translate_enabled : controls.rotate_enabled) {
            channels.emplace_back(channel);
        }
    }
    return channels;
}

ShakeSettings shake_settings(const ControlValues& controls) {
    ShakeSettings settings;
    settings.smoothing = controls.smooth;
    settings.amplitude = controls.amount;
    settings.translate_amp = controls.trans_amp;
    settings.rotate_amp = controls.rot_amp;
    settings.trans_axis_mult = {static_cast<double>(controls.trans_x), static_cast<double>(controls.trans_y),
                                static_cast<double>(controls.trans_z)};
    settings.rot_axis_mult = {static_cast<double>(controls.rot_x), static_cast<double>(controls.rot_y),
                              static_cast<double>(controls.rot_z)};
    settings.use_translate = controls.translate_enabled;
    settings.use_rotate = controls.rotate_enabled;
    settings.ranges = parse_ranges(controls.ranges);
    settings.fade_in = controls.fade_in;
    settings.fade_out = controls.fade_out;
    return settings;
}

// Keys `channels` of the camera with the recorded animation, one key per frame; channels that were
// not recorded are left alone.
void key_recorded_animation(Host& host, const std::string& camera, const std::vector<std::string>& channels,
                            const std::vector<Frame>& frames, const ChannelAnim& recorded) {
    for (const std::string& channel : channels) {
        const std::vector<double>* values = find_channel(recorded, channel);
        if (values == nullptr) continue;
        for (std::size_t i = 0; i < frames.size(); ++i) {
            host.set_channel_key(camera, channel, frames[i], values->at(i));
        }
    }
}

// Writes the start pose, world-space as sampled, into the camera's own six channels.
void set_start_pose(Host& host, const std::string& camera, const Sample& camera_base) {
    for (std::size_t i = 0; i < kChannelCount; ++i) host.set_attr(plug(camera, kChannels[i]), camera_base[i]);
}

// Cuts the camera's keys on each channel and deletes the channel's shake curve.
void clear_shake(Host& host, const std::string& camera, const std::vector<std::string>& channels) {
    for (const std::string& channel : channels) {
        host.cut_key(camera, channel);
        const std::string curve = shake_curve_name(camera, channel);
        if (host.obj_exists(curve)) host.delete_node(curve);
    }
}

// The camera's own channel values on every frame, walking the range once per channel.
ChannelAnim record_camera_animation(Host& host, const std::string& camera, const std::vector<Frame>& frames) {
    ChannelAnim recorded;
    for (const char* channel : kChannels) {
        ChannelSeries series{channel, {}};
        series.values.reserve(frames.size());
        for (Frame frame : frames) {
            host.set_current_time(static_cast<double>(frame));
            series.values.push_back(host.get_attr(plug(camera, channel)));
        }
        recorded.push_back(std::move(series));
    }
    return recorded;
}

std::string failure_text(const std::exception_ptr& failure) {
    try {
        std::rethrow_exception(failure);
    } catch (const std::exception& error) {
        return error.what();
    } catch (...) {
        return "unknown error";
    }
}

// Everything between suspension and resumption of a prepare. Builds the whole new record before
// writing it, so that a failure on the way leaves the previous preparation in place.
void run_preparation(Host& host, Prepared& record, const ShakeControls& controls, const std::string& camera,
                     const std::string& source, const std::string& mode, Frame start_frame, Frame end_frame,
                     const std::vector<Frame>& frames) {
    Prepared next;
    next.source_data = collect_source_motion(host, source, static_cast<double>(start_frame),
                                             static_cast<double>(end_frame));
    next.delta_data = calculate_deltas(next.source_data, start_frame);
    next.camera_base = get_world_transform(host, camera, static_cast<double>(start_frame));
    if (builds_on_own_animation(mode)) next.camera_original_anim = record_camera_animation(host, camera, frames);
    next.ready = true;
    next.camera = camera;
    next.source = source;
    next.start_frame = start_frame;
    next.end_frame = end_frame;
    next.camera_mode = mode;
    record = std::move(next);

    update_shake(host, record, controls);
    host.print_line("Shake prepared. " + std::to_string(record.source_data.size()) + " frames.");
    host.in_view_message("Shake prepared!");
}

}  // namespace

std::optional<std::string> set_camera(Host& host) {
    const std::vector<std::string> selection = host.selected_transforms();
    if (selection.empty()) {
        host.warning("Nothing selected.");
        return std::nullopt;
    }
    if (!host.has_camera_shape(selection.front())) {
        host.warning("Selected object is not a camera.");
        return std::nullopt;
    }
    return selection.front();
}

std::optional<std::string> set_source(Host& host) {
    const std::vector<std::string> selection = host.selected_transforms();
    if (selection.empty()) {
        host.warning("Nothing selected.");
        return std::nullopt;
    }
    return selection.front();
}

PrepareOutcome prepare_shake(Host& host, Prepared& record, std::optional<std::string>& saved_eval_mode,
                             const ShakeControls& controls, const FailureReporter& report_failure) {
    // Names are taken as typed: a stray blank makes the name unknown to the host.
    const std::string& camera = controls.camera_field;
    const std::string& source = controls.source_field;
    if (camera.empty() || !host.obj_exists(camera)) {
        host.warning("Please set a valid camera.");
        return PrepareOutcome::Rejected;
    }
    if (source.empty() || !host.obj_exists(source)) {
        host.warning("Please set a valid source object.");
        return PrepareOutcome::Rejected;
    }

    const std::string mode = controls.settings.mode;
    const auto start_frame = static_cast<Frame>(std::trunc(host.playback_min()));
    const auto end_frame = static_cast<Frame>(std::trunc(host.playback_max()));
    const std::vector<Frame> frames = frame_span(start_frame, end_frame);

    host.print_line("Preparing shake (mode: " + mode + ")...");
    // Outside the protected block: if the viewport cannot be suspended, nothing was started and
    // there is nothing to resume.
    suspend(host, saved_eval_mode);

    PrepareOutcome outcome = PrepareOutcome::Prepared;
    std::exception_ptr escaping;  // a failure of the failure report itself
    try {
        try {
            run_preparation(host, record, controls, camera, source, mode, start_frame, end_frame, frames);
        } catch (...) {
            outcome = PrepareOutcome::Failed;
            const std::exception_ptr failure = std::current_exception();
            host.warning("Failed to prepare shake: " + failure_text(failure));
            if (report_failure) report_failure(failure);
        }
    } catch (...) {
        escaping = std::current_exception();
    }
    unsuspend(host, saved_eval_mode);
    if (escaping) std::rethrow_exception(escaping);
    return outcome;
}

void update_shake(Host& host, const Prepared& record, const ShakeControls& controls) {
    if (!record.ready) return;
    const std::vector<Frame> frames = prepared_frames(record);
    const ShakeSettings settings = shake_settings(controls.settings);
    const FrameRecord shake_data = extract_source_shake(record.delta_data, frames, controls.settings.lag_trans,
                                                        controls.settings.lag_rot);
    apply_shake_to_camera(host, prepared_camera(record), shake_data, frames, settings,
                          prepared_camera_base(record), record.camera_mode, record.camera_original_anim);
}

bool reset_camera(Host& host, Prepared& record) {
    if (!record.ready) return false;
    if (!record.camera || record.camera->empty() || !host.obj_exists(*record.camera)) return false;
    const std::string& camera = *record.camera;
    const std::vector<Frame> frames = prepared_frames(record);
    const std::vector<std::string> all_channels(kChannels.begin(), kChannels.end());

    // Every channel, whatever the switches say: a channel switched off after an update still
    // carries the curve of that update.
    clear_shake(host, camera, all_channels);
    if (builds_on_own_animation(record.camera_mode)) {
        key_recorded_animation(host, camera, all_channels, frames, record.camera_original_anim);
    } else {
        set_start_pose(host, camera, prepared_camera_base(record));
    }
    record.ready = false;
    return true;
}

bool bake_to_layer(Host& host, Prepared& record, std::optional<std::string>& saved_eval_mode,
                   const ShakeControls& controls) {
    if (!record.ready) {
        host.warning("Please prepare shake first.");
        return false;
    }
    const std::string& camera = prepared_camera(record);
    const std::string& layer_name = controls.settings.layer_name;
    const std::string requested_layer = layer_name.empty() ? kDefaultLayerName : layer_name;
    const std::vector<std::string> channels = enabled_channels(controls.settings);
    const std::vector<Frame> frames = prepared_frames(record);

    // Read the shaken values before the curves that carry them go away.
    ChannelAnim shaken;
    for (const std::string& channel : channels) {
        const std::string curve = shake_curve_name(camera, channel);
        if (!host.obj_exists(curve)) continue;
        ChannelSeries series{channel, {}};
        series.values.reserve(frames.size());
        for (Frame frame : frames) series.values.push_back(host.eval_curve(curve, frame).value_or(0.0));
        shaken.push_back(std::move(series));
    }

    clear_shake(host, camera, channels);

    // Only an animation layer is replaced. A node of another kind under that name is left alone;
    // the host then gives the new layer a name of its own, which is used from here on.
    if (host.anim_layer_exists(requested_layer)) host.delete_node(requested_layer);

    if (builds_on_own_animation(record.camera_mode)) {
        key_recorded_animation(host, camera, channels, frames, record.camera_original_anim);
    } else {
        set_start_pose(host, camera, prepared_camera_base(record));
    }

    const std::string layer = host.create_override_layer(requested_layer);
    for (const std::string& channel : channels) {
        try {
            host.add_layer_attribute(layer, plug(camera, channel));
        } catch (const std::exception&) {
            // A channel the layer refuses is skipped; the others are still added and keyed.
        }
    }
    host.select_layer(layer);

    suspend(host, saved_eval_mode);
    try {
        for (const ChannelSeries& series : shaken) {
            for (std::size_t i = 0; i < frames.size(); ++i) {
                host.set_layer_key(camera, series.name, frames[i], series.values[i], layer);
            }
        }
    } catch (...) {
        unsuspend(host, saved_eval_mode);
        throw;
    }
    unsuspend(host, saved_eval_mode);

    record.ready = false;
    const std::string message = "Baked to layer: " + layer;
    host.print_line(message);
    host.in_view_message(message);
    return true;
}

}  // namespace trembla
