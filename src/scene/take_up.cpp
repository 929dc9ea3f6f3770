#include "scene/take_up.h"

#include <stdexcept>
#include <utility>

#include "core/clip_playback.h"
#include "core/sampling.h"
#include "scene/applied_links.h"
#include "scene/host.h"
#include "scene/source_motion.h"
#include "scene/workflow.h"
#include "scene/workflow_steps.h"

namespace trembla {

using namespace steps;

std::vector<std::string> cameras_with_live_shake(Host& host, std::vector<std::string>* problems) {
    std::vector<std::string> found;
    for (const std::string& camera : host.camera_transforms()) {
        const AppliedFinding applied = find_applied(host, camera);
        if (applied.state == AppliedFinding::State::held && applied.record.live) found.push_back(camera);
        if (problems != nullptr && !applied.problem.empty()) problems->push_back(applied.problem);
    }
    return found;
}

std::optional<Prepared> taken_up_preparation(Host& host, const std::string& camera, std::string* problem) {
    if (camera.empty() || !host.obj_exists(camera)) return std::nullopt;
    AppliedFinding found = find_applied(host, camera);
    if (problem != nullptr) *problem = found.problem;
    if (found.state != AppliedFinding::State::held || !found.record.live) return std::nullopt;
    const AppliedRecord& noted = found.record;
    Prepared record;
    record.ready = true;
    record.samples_pending = true;
    record.camera = camera;
    record.source = noted.source;
    record.clip = noted.clip;
    record.start_frame = noted.start_frame;
    record.end_frame = noted.end_frame;
    record.camera_mode = camera_mode_from_text(noted.mode, CameraMode::static_pose);
    record.camera_base = noted.base;
    record.own_curves = noted.own_curves;
    record.shake_curves = noted.shake_curves;
    record.shake_blends = noted.blends;
    // The own curves' keys as taken up: a key the animator sets on the shaken camera from now on
    // lands in them through the blend, and is told apart from these.
    for (std::size_t k = 0; k < kChannelCount; ++k) {
        if (record.shake_blends[k].empty() || record.own_curves[k].empty()) continue;
        if (host.obj_exists(record.own_curves[k])) record.own_keys[k] = host.curve_keys(record.own_curves[k]);
    }
    record.noted = noted;
    record.noted_text = found.text;
    return record;
}

namespace {

// The noted clip played over the prepared frames as the prepare played it, or nothing.
std::optional<FrameRecord> replayed_clip(const NotedClip& noted, const std::vector<Frame>& frames,
                                         const ClipLookup& clips) {
    const std::optional<ShakeClip> clip = clips ? clips(noted.name) : std::nullopt;
    if (!clip || clip_content_hash(*clip) != noted.hash) return std::nullopt;
    try {
        return play_clip(resample_clip(*clip, noted.frame_rate), frames, noted.offset);
    } catch (const std::invalid_argument&) {
        return std::nullopt;  // a rate the note was edited to that no clip plays at
    }
}

}  // namespace

bool read_pending_samples(Host& host, Prepared& record, const ClipLookup& clips) {
    const std::string source = record.source.value_or(std::string());
    std::optional<FrameRecord> played;
    if (record.clip) {
        played = replayed_clip(*record.clip, prepared_frames(record), clips);
        if (!played) return false;
    } else if (source.empty() || !host.obj_exists(source)) {
        return false;
    }
    const std::string camera = prepared_camera(record);
    const Sample base = prepared_camera_base(record);
    Prepared next = record;
    // The keys of each own curve outside the range ride on its shake curve, as the prepare noted them;
    // the keys of one under a blend were noted at the take-up, before any the animator set since.
    for (std::size_t k = 0; k < kChannelCount; ++k) {
        next.own_keys_outside[k].clear();
        if (next.shake_blends[k].empty()) next.own_keys[k].clear();
        if (next.own_curves[k].empty() || !host.obj_exists(next.own_curves[k])) continue;
        const std::vector<std::pair<double, double>> keys = host.curve_keys(next.own_curves[k]);
        if (next.shake_blends[k].empty()) next.own_keys[k] = keys;
        for (const auto& key : keys) {
            if (key.first < static_cast<double>(next.start_frame) || key.first > static_cast<double>(next.end_frame)) {
                next.own_keys_outside[k].push_back(key);
            }
        }
    }
    // The own curves are evaluated, not the channels: the shake drives the channels now. A channel
    // without a curve held its first-frame value.
    const std::vector<Frame> frames = prepared_frames(next);
    next.camera_original_anim.clear();
    for (std::size_t k = 0; k < kChannelCount; ++k) {
        ChannelSeries series{kChannels[k], {}};
        series.values.reserve(frames.size());
        const std::string& own = next.own_curves[k];
        const bool has_curve = !own.empty() && host.obj_exists(own);
        for (Frame frame : frames) {
            std::optional<double> value;
            if (has_curve) value = host.eval_curve(own, frame);
            series.values.push_back(value ? *value : base[k]);
        }
        next.camera_original_anim.push_back(std::move(series));
    }
    if (played) {
        next.delta_data = std::move(*played);
    } else {
        next.source_data = collect_source_motion(host, source, static_cast<double>(next.start_frame),
                                                 static_cast<double>(next.end_frame));
        next.delta_data = calculate_deltas(next.source_data, next.start_frame);
    }
    next.samples_pending = false;
    // What the session that applied the shake last keyed, from the settings it noted: a key that
    // differs since is the animator's. Without noted settings nothing is told apart.
    if (next.noted && next.noted->settings) {
        ShakeControls keyed_with;
        keyed_with.settings = *next.noted->settings;
        keyed_with.bypass = next.noted->bypass;
        note_planned_keys(next, keyed_with);
    }
    record = std::move(next);
    return true;
}

}  // namespace trembla
