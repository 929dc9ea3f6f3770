// Preparing a shake: checks, sampling the source and recording the camera, then the first
// application, under a suspended viewport and a progress bar that Esc cancels.
#include "scene/workflow.h"

#include <array>
#include <cmath>
#include <exception>
#include <limits>
#include <sstream>
#include <stdexcept>
#include <utility>

#include "core/clip_playback.h"
#include "core/error_text.h"
#include "core/records.h"
#include "core/sampling.h"
#include "core/whole_numbers.h"
#include "scene/applied_links.h"
#include "scene/applied_record.h"
#include "scene/lock_check.h"
#include "scene/own_keys.h"
#include "scene/source_motion.h"
#include "scene/suspension.h"
#include "scene/workflow_steps.h"

namespace trembla {

using namespace steps;

namespace {

constexpr const char* kPrepareStatus = "Trembla: preparing shake";

// More than kMaxSampledFrames from first to last (last >= first). last - first itself may not fit
// in 64 bits when the bounds lie far apart on both sides of zero; last - (max - 1) always does
// where the span can be too long at all.
bool too_many_frames(Frame first, Frame last) {
    constexpr Frame kLongestReach = kMaxSampledFrames - 1;
    return last >= std::numeric_limits<Frame>::min() + kLongestReach && first < last - kLongestReach;
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
    if (!std::isfinite(bound) || !detail::truncates_into_frame_range(bound)) return std::nullopt;
    return static_cast<Frame>(std::trunc(bound));
}

ShakeCurves base_plugs(Host& host, const std::string& camera) {
    ShakeCurves bases;
    for (std::size_t k = 0; k < kChannelCount; ++k) bases[k] = base_plug(host, camera, kChannels[k]);
    return bases;
}

// The camera's own channel values on every frame, read without changing the current time: a
// channel with its own curve (so that animation layers above it do not count as the animator's
// base move) from that curve, all frames in one call; any other channel, or a curve without keys,
// as the host evaluates the channel at each frame, one call per compound (translate, rotate).
// Such a channel has no input at all: one driven by anything but its own curve (an expression
// that may read other attributes at the current time among them) is refused before this. A
// channel in animation layers without a curve of its own holds its base value (the bottom blend
// node's inputA), the same on every frame.
ChannelAnim record_camera_animation(Host& host, const std::string& camera, const std::vector<Frame>& frames,
                                    WorkProgress& progress, const ShakeCurves& own, const ShakeCurves& bases) {
    ChannelAnim recorded;
    std::array<bool, kChannelCount> answered{};
    for (std::size_t k = 0; k < kChannelCount; ++k) {
        ChannelSeries series{kChannels[k], {}};
        if (!own[k].empty()) {
            if (std::optional<std::vector<double>> values = host.eval_curve_frames(own[k], frames)) {
                series.values = std::move(*values);
                answered[k] = true;
            }
        } else if (bases[k] != plug(camera, kChannels[k])) {
            series.values.assign(frames.size(), host.get_attr(bases[k]));
            answered[k] = true;
        }
        recorded.push_back(std::move(series));
    }
    // Every frame of every channel is one unit of the prepare's progress, as its count promised.
    for (std::size_t first : {std::size_t{0}, std::size_t{3}}) {
        const bool read = !(answered[first] && answered[first + 1] && answered[first + 2]);
        for (std::size_t k = first; k < first + 3; ++k) {
            if (!answered[k]) recorded[k].values.reserve(frames.size());
        }
        const char* compound = first == 0 ? "translate" : "rotate";
        for (Frame frame : frames) {
            if (read) {
                const Vec3 values = host.compound_at(camera, compound, frame);
                for (std::size_t k = first; k < first + 3; ++k) {
                    if (!answered[k]) recorded[k].values.push_back(values[k - first]);
                }
            }
            for (int unit = 0; unit < 3; ++unit) progress.advance();
        }
    }
    return recorded;
}

// The camera's start pose: its own channel values on the first frame. The channels, not the world
// pose: written back into the channels of a camera under a moved or turned parent, a world pose
// would move the camera away.
Sample camera_start_pose(const ChannelAnim& recorded) {
    Sample pose{};
    for (std::size_t i = 0; i < kChannelCount; ++i) pose[i] = recorded[i].values.front();
    return pose;
}

// This tool's earlier bakes on the camera stay muted while the shake is live: sampled, the camera
// gives the animator's move and not an earlier shake; shaped, it shows the live shake; baked, the
// new layer gets the live shake and not a copy of the earlier one. A prepare that fails before it
// notes them on the camera gives them their sound back (a failure then leaves the first failure
// to report); a cancelled one leaves that to the undo of its whole step, which comes after the
// cancel closed the step: a change made then would land outside it.
struct MutedWhileLive {
    Host& host;
    AppliedRecord& noting;
    bool keep = false;  // noted on the camera, or left to the cancel's undo
    const std::string camera;
    MutedWhileLive(Host& h, const std::string& cam, AppliedRecord& record) : host(h), noting(record), camera(cam) {
        try {
            mute_baked_layers(host, camera, noting);
        } catch (...) {
            sound_again();
            throw;
        }
    }
    MutedWhileLive(const MutedWhileLive&) = delete;
    MutedWhileLive& operator=(const MutedWhileLive&) = delete;
    ~MutedWhileLive() {
        if (!keep) sound_again();
    }
    void sound_again() {
        try {
            unmute_noted_layers(host, camera, noting);
        } catch (...) {
        }
    }
};

// The units of work a prepare reports: one per frame sampled, six more per frame recorded.
std::size_t preparation_units(std::size_t frame_count) { return frame_count * (1 + kChannelCount); }

// The static mode holds the camera at its start pose: a camera that moves over the range loses
// its move from sight until the shake comes off. Empty when nothing is held.
std::string held_move_note(const Prepared& record) {
    if (builds_on_own_animation(record.camera_mode)) return {};
    for (const ChannelSeries& series : record.camera_original_anim) {
        for (double value : series.values) {
            if (value != series.values.front()) {
                return "Static mode: " + prepared_camera(record) + "'s own move is held at its pose of frame " +
                       std::to_string(record.start_frame) + " until Reset, or until a baked layer is removed.";
            }
        }
    }
    return {};
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
// of the source (or of the clip as played), then of the camera.
void check_finite(const Prepared& next, const std::string& source, const std::string& camera,
                  const std::vector<Frame>& frames, Frame start_frame) {
    const FrameRecord& motion = next.clip ? next.delta_data : next.source_data;
    const std::string what = next.clip ? "clip " + next.clip->name + " " : source + " world ";
    for (std::size_t i = 0; i < motion.size(); ++i) {
        for (std::size_t k = 0; k < kChannelCount; ++k) {
            const double value = motion.samples[i][k];
            if (!std::isfinite(value)) refuse_value(what + kChannels[k], value, motion.frames[i]);
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
                     const std::string& source, CameraMode mode, Frame start_frame, Frame end_frame,
                     const std::vector<Frame>& frames, WorkProgress& progress, bool& scene_changed,
                     std::optional<ShakeOffsets>* applied_offsets, const ClipSource* clip, double frame_rate) {
    // A camera still shaken by the current preparation would be recorded with that shake in it,
    // and the next reset or bake would give back the shaken move instead of the animator's.
    if (record.ready && record.camera && *record.camera == camera) scene_changed = reset_camera(host, record);
    // A shake the scene says is live on the camera, which this record does not know (a new window,
    // session or reopened file), comes off the same way.
    // Found through the camera's links (a copy of another camera carries none: nothing of it is
    // taken over); a note that cannot be taken up was refused before the prepare began.
    const AppliedFinding found = find_applied(host, camera, false);
    std::optional<AppliedRecord> applied;
    if (found.state == AppliedFinding::State::held) applied = found.record;
    if (applied && applied->live) {
        take_off_shake(host, camera, applied->own_curves, applied->shake_curves, applied->base, applied->blends);
        applied->blends = ShakeCurves{};
        applied->live = false;
        unmute_noted_layers(host, camera, *applied);
        write_applied(host, camera, *applied);
        scene_changed = true;
    }
    Prepared next;
    next.own_curves = driving_curves(host, camera);
    next.start_frame = start_frame;
    next.end_frame = end_frame;
    record_own_keys_outside(host, next);
    if (clip) {
        // The clip stands for the source's displacements: lag and extraction act on it alike.
        next.clip = NotedClip{clip->name, clip_content_hash(clip->clip), frame_rate, clip->offset};
        next.delta_data = play_clip(resample_clip(clip->clip, frame_rate), frames, clip->offset);
        for (std::size_t i = 0; i < frames.size(); ++i) progress.advance();  // as many units as sampling
    } else {
        next.source_data = collect_source_motion(host, source, static_cast<double>(start_frame),
                                                 static_cast<double>(end_frame), &progress);
        next.delta_data = calculate_deltas(next.source_data, start_frame);
    }
    // Every mode records the camera's animation, so that a mode chosen while prepared applies at
    // once.
    const bool own_animation = builds_on_own_animation(mode);
    AppliedRecord now = applied.value_or(AppliedRecord{});
    MutedWhileLive muted(host, camera, now);
    if (!now.muted.empty()) scene_changed = true;
    const ShakeCurves bases = base_plugs(host, camera);
    next.base_plugs = bases;
    try {
        next.camera_original_anim = record_camera_animation(host, camera, frames, progress, next.own_curves, bases);
    } catch (const WorkCancelled&) {
        muted.keep = true;
        throw;
    }
    next.camera_base = camera_start_pose(next.camera_original_anim);
    // Where the time is left: the pose the static mode holds, the end of the move otherwise.
    const Frame left_at = own_animation ? end_frame : start_frame;
    next.time_after_prepare = left_at;
    host.set_current_time(static_cast<double>(left_at));
    check_finite(next, source, camera, frames, start_frame);
    next.ready = true;
    next.camera = camera;
    if (!clip) next.source = source;
    next.start_frame = start_frame;
    next.end_frame = end_frame;
    next.camera_mode = mode;
    record = std::move(next);

    const std::size_t sampled = clip ? record.delta_data.size() : record.source_data.size();
    std::optional<ShakeOffsets> offsets = update_shake(host, record, controls);
    scene_changed = true;
    now.live = true;
    now.source = clip ? std::string() : source;
    now.clip = record.clip;
    now.mode = camera_mode_text(mode);
    now.start_frame = start_frame;
    now.end_frame = end_frame;
    now.own_curves = record.own_curves;
    now.base = *record.camera_base;
    now.shake_curves = record.shake_curves;
    now.blends = record.shake_blends;
    now.settings = controls.settings;
    now.bypass = controls.bypass;
    write_applied(host, camera, now);
    muted.keep = true;
    record.noted = now;
    record.noted_text = applied_text(now);
    if (applied_offsets != nullptr) *applied_offsets = std::move(offsets);
    host.print_line("Shake prepared. " + std::to_string(sampled) + " frames.");
    const std::string held = held_move_note(record);
    if (!held.empty()) host.print_line(held);
    show_in_view(host, held.empty() ? std::string("Shake prepared!") : "Shake prepared! " + held);
}

}  // namespace

PrepareOutcome prepare_shake(Host& host, Prepared& record, std::optional<std::string>& saved_eval_mode,
                             const ShakeControls& controls, const FailureReporter& report_failure,
                             const ProgressTiming& timing, std::optional<ShakeOffsets>* applied,
                             const ClipSource* clip) {
    // Names are taken as typed: a stray blank makes the name unknown to the host.
    const std::string camera = controls.camera_field;
    const std::string source = clip ? std::string() : controls.source_field;
    if (camera.empty() || !host.obj_exists(camera)) {
        host.warning("Please set a valid camera.");
        return PrepareOutcome::Rejected;
    }
    if (clip) {
        if (const std::optional<std::string> problem = clip_problem(clip->clip)) {
            host.warning("Cannot play clip " + shown_name(clip->name) + ": " + *problem);
            return PrepareOutcome::Rejected;
        }
    } else if (source.empty() || !host.obj_exists(source)) {
        host.warning("Please set a valid source object.");
        return PrepareOutcome::Rejected;
    }
    // A note the scene does not bear out names nothing the prepare may take off or mute.
    if (const AppliedFinding found = find_applied(host, camera, false); found.state == AppliedFinding::State::refused) {
        host.warning("Cannot prepare: " + found.problem);
        return PrepareOutcome::Rejected;
    }

    const CameraMode mode = controls.settings.mode;
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
    // The scene's rate the clip is played at; an object is sampled at whatever rate the scene has.
    const double frame_rate = clip ? host.frame_rate() : 0.0;

    // A channel driven by anything but a curve of its own would lose its driver: it is never
    // disconnected, so nothing is prepared.
    const std::vector<std::string> driven = foreign_drivers(host, camera);
    if (!driven.empty()) {
        std::string plugs;
        for (const std::string& each : driven) plugs += (plugs.empty() ? "" : ", ") + each;
        host.warning("Cannot shake " + camera + ": " + plugs +
                     ". A channel driven by a constraint, expression, driven key or other connection is never "
                     "disconnected.");
        return PrepareOutcome::Rejected;
    }

    // A prepare that takes a shake of this preparation off first gives every channel back.
    const bool resets_first = record.ready && record.camera && *record.camera == camera;
    if (refuse_locked(host, "prepare", camera,
                      resets_first ? every_channel() : switched_on_channels(controls.settings))) {
        return PrepareOutcome::Rejected;
    }

    // Before every check, the record changes only by the reset of a still shaken camera, which
    // ends it: a cancel gives that back, as the undo gives back the scene.
    const bool was_ready = record.ready;
    // Closed after the viewport is resumed, whatever happens in between.
    UndoChunk chunk(host, "Trembla: prepare");
    host.print_line("Preparing shake (mode: " + std::string(camera_mode_text(mode)) + ")...");
    // Outside the protected block: if the viewport cannot be suspended, nothing was started and
    // there is nothing to resume.
    suspend(host, saved_eval_mode);
    HostProgress progress(host, kPrepareStatus, preparation_units(frames.size()), timing);
    bool scene_changed = false;
    progress.set_cancel_gate([&] { return may_cancel(host, chunk, scene_changed); });

    PrepareOutcome outcome = PrepareOutcome::Prepared;
    std::exception_ptr escaping;  // a failure of the failure report itself
    try {
        try {
            run_preparation(host, record, controls, camera, source, mode, *start_frame, *end_frame, frames, progress,
                            scene_changed, applied, clip, frame_rate);
        } catch (const WorkCancelled&) {
            outcome = PrepareOutcome::Cancelled;
        } catch (...) {
            outcome = PrepareOutcome::Failed;
            const std::exception_ptr failure = std::current_exception();
            host.warning("Failed to prepare shake: " + error_text(failure));
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

}  // namespace trembla
