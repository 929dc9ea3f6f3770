#include "scene/workflow.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <utility>
#include <vector>

#include "core/apply.h"
#include "core/extraction.h"
#include "core/ranges.h"
#include "core/records.h"
#include "core/sampling.h"
#include "scene/host.h"
#include "scene/host_progress.h"
#include "scene/suspension.h"
#include "scene/undo_chunk.h"

namespace trembla {
namespace {

constexpr const char* kDefaultLayerName = "trembla_layer";
constexpr const char* kPrepareStatus = "Trembla: preparing shake";
constexpr const char* kBakeStatus = "Trembla: baking to layer";

bool builds_on_own_animation(const std::string& camera_mode) {
    return camera_mode == "animated" || camera_mode == "relax";
}

// More than kMaxSampledFrames from first to last (last >= first). last - first itself may not fit
// in 64 bits when the bounds lie far apart on both sides of zero; last - (max - 1) always does
// where the span can be too long at all.
bool too_many_frames(Frame first, Frame last) {
    constexpr Frame kLongestReach = kMaxSampledFrames - 1;
    return last >= std::numeric_limits<Frame>::min() + kLongestReach && first < last - kLongestReach;
}

std::string plug(const std::string& node, const std::string& channel) { return node + "." + channel; }

std::vector<Frame> prepared_frames(const Prepared& record) {
    return frame_span(record.start_frame, record.end_frame);
}

// Copies, not references: every host call can run scripts that replace the record's contents.
std::string prepared_camera(const Prepared& record) {
    if (!record.camera) throw std::logic_error("the prepared record names no camera");
    return *record.camera;
}

Sample prepared_camera_base(const Prepared& record) {
    if (!record.camera_base) throw std::logic_error("the prepared record holds no camera start pose");
    return *record.camera_base;
}

// The shake curve of each channel: the name the host gave it, else the name it was asked for.
ShakeCurves prepared_curves(const Prepared& record, const std::string& camera) {
    ShakeCurves curves = record.shake_curves;
    for (std::size_t k = 0; k < kChannelCount; ++k) {
        if (curves[k].empty()) curves[k] = shake_curve_name(camera, kChannels[k]);
    }
    return curves;
}

std::size_t channel_index(const std::string& channel) {
    for (std::size_t k = 0; k < kChannelCount; ++k) {
        if (channel == kChannels[k]) return k;
    }
    throw std::logic_error("not a camera channel: " + channel);
}

// Decoration only: a message the viewport cannot show must not turn finished work into a failure.
void show_in_view(Host& host, const std::string& text) {
    try {
        host.in_view_message(text);
    } catch (const std::exception&) {
    }
}

// How a playback bound reads in a warning: whole frames as integers, anything else as %g would
// (a NaN without the sign its bits may carry).
std::string bound_text(double bound) {
    if (std::isnan(bound)) return "nan";
    if (std::isfinite(bound) && std::trunc(bound) == bound && std::fabs(bound) < 1e15) {
        return std::to_string(static_cast<long long>(bound));
    }
    std::ostringstream out;
    out << bound;
    return out.str();
}

// The whole frame a playback bound truncates to, or nothing when it is not finite or lies beyond
// the 64-bit frame numbers (a cast would be undefined there).
std::optional<Frame> playback_frame(double bound) {
    constexpr double kTwoPow63 = 9223372036854775808.0;
    if (!std::isfinite(bound)) return std::nullopt;
    const double whole = std::trunc(bound);
    if (!(whole >= -kTwoPow63 && whole < kTwoPow63)) return std::nullopt;
    return static_cast<Frame>(whole);
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

// The source's shake over the prepared frames, lagged as the controls say.
FrameRecord prepared_source_shake(const Prepared& record, const std::vector<Frame>& frames,
                                  const ShakeControls& controls) {
    return extract_source_shake(record.delta_data, frames, controls.settings.lag_trans, controls.settings.lag_rot);
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

// Writes the start pose back into the camera's own six channels.
void set_start_pose(Host& host, const std::string& camera, const Sample& camera_base) {
    for (std::size_t i = 0; i < kChannelCount; ++i) host.set_attr(plug(camera, kChannels[i]), camera_base[i]);
}

// Cuts the camera's keys on each channel and deletes the channel's shake curve.
void clear_shake(Host& host, const std::string& camera, const std::vector<std::string>& channels,
                 const ShakeCurves& curves) {
    for (const std::string& channel : channels) {
        host.cut_key(camera, channel);
        const std::string& curve = curves[channel_index(channel)];
        if (host.obj_exists(curve)) host.delete_node(curve);
    }
}

// The camera's start pose: its own channel values on the first frame. The channels, not the world
// pose: written back into the channels of a camera under a moved or turned parent, a world pose
// would move the camera away.
Sample camera_start_pose(Host& host, const std::string& camera, Frame start_frame) {
    host.set_current_time(static_cast<double>(start_frame));
    Sample pose{};
    for (std::size_t i = 0; i < kChannelCount; ++i) pose[i] = host.get_attr(plug(camera, kChannels[i]));
    return pose;
}

// The camera's own channel values on every frame, walking the range once per channel.
ChannelAnim record_camera_animation(Host& host, const std::string& camera, const std::vector<Frame>& frames,
                                    WorkProgress& progress) {
    ChannelAnim recorded;
    for (const char* channel : kChannels) {
        ChannelSeries series{channel, {}};
        series.values.reserve(frames.size());
        for (Frame frame : frames) {
            host.set_current_time(static_cast<double>(frame));
            series.values.push_back(host.get_attr(plug(camera, channel)));
            progress.advance();
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

// The units of work a prepare reports: one per frame sampled, six more per frame recorded.
std::size_t preparation_units(const std::string& mode, std::size_t frame_count) {
    return frame_count * (builds_on_own_animation(mode) ? 1 + kChannelCount : 1);
}

// Ends the progress bar and resumes the viewport, both on every way out of the quiet state; a
// failure to end the bar propagates once the viewport is resumed.
void leave_quiet_state(Host& host, HostProgress& progress, const std::optional<std::string>& saved_mode) {
    std::exception_ptr failure;
    try {
        progress.end();
    } catch (...) {
        failure = std::current_exception();
    }
    unsuspend(host, saved_mode);
    if (failure) std::rethrow_exception(failure);
}

// After the user cancelled: the command's undo step is closed and, when the command had changed
// the scene, undone, so that the scene is as before the command. An undo with nothing changed
// would take back the step before it instead (a host keeps no empty steps). The undone step
// stays on the redo queue, as any undone step does, until the next change clears it.
void take_back(Host& host, UndoChunk& chunk, bool scene_changed) {
    chunk.close();
    if (scene_changed) host.undo();
    host.warning("Trembla: cancelled");
}

std::string number_text(double value) {
    if (std::isnan(value)) return "nan";
    return value > 0 ? "inf" : "-inf";
}

[[noreturn]] void refuse_value(const std::string& where, double value, Frame frame) {
    throw std::runtime_error(where + " is " + number_text(value) + " on frame " + std::to_string(frame) +
                             "; every sampled value must be a finite number.");
}

// A value that is not a finite number (a broken rig, constraint or expression) would go into
// every key of the camera: the prepare fails before it keys anything, naming the first such value
// of the source, then of the camera.
void check_finite(const Prepared& next, const std::string& source, const std::string& camera,
                  const std::vector<Frame>& frames, Frame start_frame) {
    for (std::size_t i = 0; i < next.source_data.size(); ++i) {
        for (std::size_t k = 0; k < kChannelCount; ++k) {
            const double value = next.source_data.samples[i][k];
            if (!std::isfinite(value)) refuse_value(source + " world " + kChannels[k], value, next.source_data.frames[i]);
        }
    }
    for (std::size_t k = 0; k < kChannelCount; ++k) {
        const double value = (*next.camera_base)[k];
        if (!std::isfinite(value)) refuse_value(plug(camera, kChannels[k]), value, start_frame);
    }
    for (std::size_t i = 0; i < frames.size(); ++i) {
        for (const ChannelSeries& series : next.camera_original_anim) {
            if (i < series.values.size() && !std::isfinite(series.values[i])) {
                refuse_value(plug(camera, series.name), series.values[i], frames[i]);
            }
        }
    }
}

// Everything between suspension and resumption of a prepare. Builds the whole new record before
// writing it, so that a failure on the way leaves the previous preparation in place.
// `scene_changed` tells whether the scene was changed before a cancel could come.
void run_preparation(Host& host, Prepared& record, const ShakeControls& controls, const std::string& camera,
                     const std::string& source, const std::string& mode, Frame start_frame, Frame end_frame,
                     const std::vector<Frame>& frames, WorkProgress& progress, bool& scene_changed,
                     std::optional<ShakeOffsets>* applied) {
    // A camera still shaken by the current preparation would be recorded with that shake in it,
    // and the next reset or bake would give back the shaken move instead of the animator's.
    if (record.ready && record.camera && *record.camera == camera) scene_changed = reset_camera(host, record);
    Prepared next;
    next.source_data = collect_source_motion(host, source, static_cast<double>(start_frame),
                                             static_cast<double>(end_frame), &progress);
    next.delta_data = calculate_deltas(next.source_data, start_frame);
    next.camera_base = camera_start_pose(host, camera, start_frame);
    next.time_after_prepare = start_frame;
    if (builds_on_own_animation(mode)) {
        next.camera_original_anim = record_camera_animation(host, camera, frames, progress);
        next.time_after_prepare = end_frame;
    }
    check_finite(next, source, camera, frames, start_frame);
    next.ready = true;
    next.camera = camera;
    next.source = source;
    next.start_frame = start_frame;
    next.end_frame = end_frame;
    next.camera_mode = mode;
    record = std::move(next);

    const std::size_t sampled = record.source_data.size();
    std::optional<ShakeOffsets> offsets = update_shake(host, record, controls);
    if (applied != nullptr) *applied = std::move(offsets);
    host.print_line("Shake prepared. " + std::to_string(sampled) + " frames.");
    show_in_view(host, "Shake prepared!");
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
                             const ShakeControls& controls, const FailureReporter& report_failure,
                             const ProgressTiming& timing, std::optional<ShakeOffsets>* applied) {
    // Names are taken as typed: a stray blank makes the name unknown to the host.
    const std::string camera = controls.camera_field;
    const std::string source = controls.source_field;
    if (camera.empty() || !host.obj_exists(camera)) {
        host.warning("Please set a valid camera.");
        return PrepareOutcome::Rejected;
    }
    if (source.empty() || !host.obj_exists(source)) {
        host.warning("Please set a valid source object.");
        return PrepareOutcome::Rejected;
    }

    const std::string mode = controls.settings.mode;
    const double playback_start = host.playback_min();
    const double playback_end = host.playback_max();
    const std::optional<Frame> start_frame = playback_frame(playback_start);
    const std::optional<Frame> end_frame = playback_frame(playback_end);
    if (!start_frame || !end_frame || *end_frame < *start_frame) {
        // Nothing to sample: preparing would drop the camera's channels onto an empty range.
        host.warning("Invalid playback range: " + bound_text(playback_start) + " to " + bound_text(playback_end) +
                     ". Set a playback range that ends at or after its start.");
        return PrepareOutcome::Rejected;
    }
    if (too_many_frames(*start_frame, *end_frame)) {
        host.warning("Playback range too long: " + bound_text(playback_start) + " to " + bound_text(playback_end) +
                     ". At most " + std::to_string(kMaxSampledFrames) + " frames are prepared at once.");
        return PrepareOutcome::Rejected;
    }
    const std::vector<Frame> frames = frame_span(*start_frame, *end_frame);

    // Before every check, the record changes only by the reset of a still shaken camera, which
    // ends it: a cancel gives that back, as the undo gives back the scene.
    const bool was_ready = record.ready;
    // Closed after the viewport is resumed, whatever happens in between.
    UndoChunk chunk(host, "Trembla: prepare");
    host.print_line("Preparing shake (mode: " + mode + ")...");
    // Outside the protected block: if the viewport cannot be suspended, nothing was started and
    // there is nothing to resume.
    suspend(host, saved_eval_mode);
    HostProgress progress(host, kPrepareStatus, preparation_units(mode, frames.size()), timing);

    PrepareOutcome outcome = PrepareOutcome::Prepared;
    bool scene_changed = false;
    std::exception_ptr escaping;  // a failure of the failure report itself
    try {
        try {
            run_preparation(host, record, controls, camera, source, mode, *start_frame, *end_frame, frames,
                            progress, scene_changed, applied);
        } catch (const WorkCancelled&) {
            outcome = PrepareOutcome::Cancelled;
        } catch (...) {
            outcome = PrepareOutcome::Failed;
            const std::exception_ptr failure = std::current_exception();
            host.warning("Failed to prepare shake: " + failure_text(failure));
            if (report_failure) report_failure(failure);
        }
    } catch (...) {
        escaping = std::current_exception();
    }
    leave_quiet_state(host, progress, saved_eval_mode);
    if (escaping) std::rethrow_exception(escaping);
    if (outcome == PrepareOutcome::Cancelled) {
        record.ready = was_ready;
        take_back(host, chunk, scene_changed);
    }
    return outcome;
}

ControlValues keyed_settings(const ShakeControls& controls) {
    ControlValues keyed = controls.settings;
    if (controls.bypass) keyed.amount = 0;
    return keyed;
}

ShakeOffsets prepared_shake_offsets(const Prepared& record, const ShakeControls& controls) {
    const std::vector<Frame> frames = prepared_frames(record);
    return compute_shake_offsets(prepared_source_shake(record, frames, controls), frames,
                                 shake_settings(controls.settings));
}

std::optional<AppliedShake> apply_prepared_shake(Host& host, const Prepared& record,
                                                 const ShakeControls& controls) {
    if (!record.ready) return std::nullopt;
    const UndoChunk chunk(host, "Trembla: update");
    const std::vector<Frame> frames = prepared_frames(record);
    const std::string camera = prepared_camera(record);
    const ShakeSettings settings = shake_settings(controls.settings);
    const FrameRecord shake_data = prepared_source_shake(record, frames, controls);
    CurvesToReplace replace;
    replace.own_only = true;
    replace.made = record.shake_curves;
    AppliedShake applied;
    // Everything is computed before the first scene write, so bad input leaves the scene untouched;
    // the record's animation is read only here.
    // The offsets answered are the shake as the sliders say it, also while bypassed: the preview
    // shows what clearing the box would bring back.
    applied.offsets = compute_shake_offsets(shake_data, frames, settings);
    // Bypassed, a copy with the amount at zero is keyed; controls.settings stay as the user set them.
    // Otherwise the keys are built in a copy of the offsets, which the preview keeps.
    ShakeOffsets keyed = controls.bypass
                             ? compute_shake_offsets(shake_data, frames, shake_settings(keyed_settings(controls)))
                             : applied.offsets;
    const std::vector<ChannelKeys> keys =
        camera_keys_from_offsets(std::move(keyed), frames, settings, prepared_camera_base(record),
                                 std::string(record.camera_mode), record.camera_original_anim);
    applied.curves = key_shake_curves(host, camera, keys, frames, replace);
    return applied;
}

bool has_new_curve_names(const Prepared& record, const ShakeCurves& made) {
    for (std::size_t k = 0; k < kChannelCount; ++k) {
        if (!made[k].empty() && record.shake_curves[k] != made[k]) return true;
    }
    return false;
}

void record_shake_curves(Prepared& record, const ShakeCurves& made) {
    for (std::size_t k = 0; k < kChannelCount; ++k) {
        if (!made[k].empty()) record.shake_curves[k] = made[k];
    }
}

std::optional<ShakeOffsets> update_shake(Host& host, Prepared& record, const ShakeControls& controls) {
    if (!record.ready) return std::nullopt;
    const std::optional<std::string> camera = record.camera;
    std::optional<AppliedShake> applied = apply_prepared_shake(host, record, controls);
    if (!applied) return std::nullopt;
    // Scripts run by the host may have ended or replaced the preparation meanwhile.
    if (record.ready && record.camera == camera) record_shake_curves(record, applied->curves);
    return std::move(applied->offsets);
}

bool reset_camera(Host& host, Prepared& record) {
    if (!record.ready) return false;
    if (!record.camera || record.camera->empty()) return false;
    const std::string camera = *record.camera;
    if (!host.obj_exists(camera)) return false;
    const UndoChunk chunk(host, "Trembla: reset");
    const std::vector<Frame> frames = prepared_frames(record);
    const std::vector<std::string> all_channels(kChannels.begin(), kChannels.end());
    const ShakeCurves curves = prepared_curves(record, camera);
    const bool own_animation = builds_on_own_animation(record.camera_mode);
    const ChannelAnim recorded = record.camera_original_anim;
    const Sample base = prepared_camera_base(record);

    // Every channel, whatever the switches say: a channel switched off after an update still
    // carries the curve of that update.
    clear_shake(host, camera, all_channels, curves);
    if (own_animation) {
        key_recorded_animation(host, camera, all_channels, frames, recorded);
    } else {
        set_start_pose(host, camera, base);
    }
    record.ready = false;
    return true;
}

bool bake_to_layer(Host& host, Prepared& record, std::optional<std::string>& saved_eval_mode,
                   const ShakeControls& controls, const ProgressTiming& timing) {
    if (!record.ready) {
        host.warning("Please prepare shake first.");
        return false;
    }
    UndoChunk chunk(host, "Trembla: bake");
    if (controls.bypass) {
        // Bypassed, the shake curves hold the amount-zero values: the shake is keyed again as the
        // settings give it, inside this step, so that the layer gets the real shaken values.
        ShakeControls shaken_controls = controls;
        shaken_controls.bypass = false;
        update_shake(host, record, shaken_controls);
    }
    const std::string camera = prepared_camera(record);
    const std::string& layer_name = controls.settings.layer_name;
    const std::string requested_layer = layer_name.empty() ? kDefaultLayerName : layer_name;
    const std::vector<std::string> channels = enabled_channels(controls.settings);
    const std::vector<Frame> frames = prepared_frames(record);
    const ShakeCurves curves = prepared_curves(record, camera);
    const bool own_animation = builds_on_own_animation(record.camera_mode);
    const ChannelAnim recorded = record.camera_original_anim;
    const Sample base = prepared_camera_base(record);

    // Each value read and each key set is a unit; a channel without a curve reports none.
    HostProgress progress(host, kBakeStatus, 2 * channels.size() * frames.size(), timing);

    // Read the shaken values before the curves that carry them go away. Nothing is changed yet
    // unless bypass made the shake be keyed again above: only then has a cancel here anything to
    // undo.
    ChannelAnim shaken;
    try {
        for (const std::string& channel : channels) {
            const std::string& curve = curves[channel_index(channel)];
            if (!host.obj_exists(curve)) continue;
            ChannelSeries series{channel, {}};
            series.values.reserve(frames.size());
            for (Frame frame : frames) {
                series.values.push_back(host.eval_curve(curve, frame).value_or(0.0));
                progress.advance();
            }
            shaken.push_back(std::move(series));
        }
    } catch (const WorkCancelled&) {
        progress.end();
        take_back(host, chunk, controls.bypass);
        return false;
    }

    // A channel switched off after an update still carries that update's curve: it goes too, and
    // the channel gets its recorded animation back, so that no shake outlives the preparation. Only
    // a curve this preparation made counts: a node under the wanted name may be another camera's.
    const ShakeCurves made = record.shake_curves;
    std::vector<std::string> cleared;
    for (const char* channel : kChannels) {
        const std::size_t k = channel_index(channel);
        const bool enabled = std::find(channels.begin(), channels.end(), channel) != channels.end();
        if (enabled || (!made[k].empty() && host.obj_exists(made[k]))) cleared.emplace_back(channel);
    }
    clear_shake(host, camera, cleared, curves);

    // Only an animation layer is replaced. A node of another kind under that name is left alone;
    // the host then gives the new layer a name of its own, which is used from here on.
    if (host.anim_layer_exists(requested_layer)) host.delete_node(requested_layer);

    if (own_animation) {
        key_recorded_animation(host, camera, cleared, frames, recorded);
    } else {
        set_start_pose(host, camera, base);
    }

    const std::string layer = host.create_override_layer(requested_layer);
    std::vector<std::string> refused;
    for (const std::string& channel : channels) {
        try {
            host.add_layer_attribute(layer, plug(camera, channel));
        } catch (const std::exception&) {
            // Keyed with the layer named, a channel outside the layer would take the keys on its
            // own animation: the shaken values would overwrite what the animator made.
            refused.push_back(channel);
        }
    }
    host.select_layer(layer);
    if (!refused.empty()) {
        std::string plugs;
        for (const std::string& channel : refused) plugs += (plugs.empty() ? "" : ", ") + plug(camera, channel);
        host.warning("Could not add " + plugs + " to layer " + layer + "; not keyed.");
        shaken.erase(std::remove_if(shaken.begin(), shaken.end(),
                                    [&](const ChannelSeries& series) {
                                        return std::find(refused.begin(), refused.end(), series.name) !=
                                               refused.end();
                                    }),
                     shaken.end());
    }

    suspend(host, saved_eval_mode);
    bool cancelled = false;
    try {
        for (const ChannelSeries& series : shaken) {
            for (std::size_t i = 0; i < frames.size(); ++i) {
                host.set_layer_key(camera, series.name, frames[i], series.values[i], layer);
                progress.advance();
            }
        }
    } catch (const WorkCancelled&) {
        cancelled = true;
    } catch (...) {
        // The failure on its way is what the caller must see, not one of ending the bar.
        try {
            progress.end();
        } catch (...) {
        }
        unsuspend(host, saved_eval_mode);
        throw;
    }
    leave_quiet_state(host, progress, saved_eval_mode);
    if (cancelled) {
        take_back(host, chunk, true);
        return false;
    }

    record.ready = false;
    const std::string message = "Baked to layer: " + layer;
    host.print_line(message);
    show_in_view(host, message);
    return true;
}

}  // namespace trembla
