#include "scene/scene_follow.h"

#include <optional>
#include <utility>

#include "scene/applied_links.h"
#include "scene/host.h"
#include "scene/take_up.h"
#include "scene/workflow.h"

namespace trembla {

namespace {

// The note's text on `camera`; nothing for a note that is not text, which the full look refuses.
std::optional<std::string> note_text(Host& host, const std::string& camera) {
    try {
        return host.string_attr(camera, kAppliedAttribute).value_or(std::string());
    } catch (const NotTextError&) {
        return std::nullopt;
    }
}

// Whether the live shake found is the one `record` prepared: its samples are then still the
// ones to key from.
bool same_shake(const AppliedRecord& found, const Prepared& record) {
    return found.source == record.source.value_or(std::string()) && found.clip == record.clip &&
           found.start_frame == record.start_frame && found.end_frame == record.end_frame &&
           found.own_curves == record.own_curves && found.shake_curves == record.shake_curves;
}

// `record` following the live shake `found` on `camera`, which is the one it prepared: its samples
// stay, and what it keyed is told again from the note.
Prepared following(const Prepared& record, const std::string& camera, const AppliedFinding& found) {
    Prepared next = record;
    next.ready = true;
    next.camera = camera;
    next.noted = found.record;
    next.noted_text = found.text;
    next.shake_blends = found.record.blends;
    next.camera_mode = camera_mode_from_text(found.record.mode, record.camera_mode);
    know_keys_from_note(next);
    return next;
}

// The live shake on `camera` taken up into `out`, when it carries one: from `cached` when that
// prepared it, else with its samples pending.
bool take_up_into(Host& host, const std::string& camera, SceneFollowed& out, const Prepared* cached) {
    if (cached != nullptr && cached->camera == camera) {
        const AppliedFinding found = find_applied(host, camera, false);
        if (found.state == AppliedFinding::State::held && found.record.live && same_shake(found.record, *cached)) {
            out.record = following(*cached, camera, found);
            return true;
        }
    }
    std::string problem;
    std::optional<Prepared> taken = taken_up_preparation(host, camera, &problem);
    if (!problem.empty()) out.problems.push_back(problem);
    if (!taken) return false;
    out.record = std::move(*taken);
    return true;
}

// The record's camera looked at again: true when it still carries the record's shake (followed
// into `out`), false when it carries none of it any more.
bool follow_prepared(Host& host, const Prepared& current, SceneFollowed& out, const Prepared* cached) {
    const std::string camera = current.camera.value_or(std::string());
    if (camera.empty() || !host.obj_exists(camera)) return false;
    const std::optional<std::string> text = note_text(host, camera);
    if (text && !text->empty() && *text == current.noted_text) return true;  // as the tool last saw it
    const AppliedFinding found = find_applied(host, camera, false);
    if (!found.problem.empty()) out.problems.push_back(found.problem);
    if (found.state != AppliedFinding::State::held || !found.record.live) return false;
    if (!same_shake(found.record, current)) return take_up_into(host, camera, out, cached);
    // The same shake keyed with other settings (an undo, a redo, a script): the samples stay.
    out.record = following(current, camera, found);
    return true;
}

// The camera a ready record shook, renamed since: it still links the record's curves.
std::optional<std::string> renamed_camera(Host& host, const Prepared& current, const std::vector<std::string>& live) {
    for (const std::string& camera : live) {
        const AppliedFinding found = find_applied(host, camera, false);
        if (found.state == AppliedFinding::State::held && same_shake(found.record, current)) return camera;
    }
    return std::nullopt;
}

}  // namespace

void know_keys_from_note(Prepared& record) {
    for (std::size_t k = 0; k < kChannelCount; ++k) {
        record.keyed_values[k].clear();
        record.keyed_shake[k].clear();
    }
    record.edits_seen.reset();
    if (!record.noted || !record.noted->settings) return;
    ShakeControls keyed_with;
    keyed_with.settings = *record.noted->settings;
    keyed_with.bypass = record.noted->bypass;
    note_planned_keys(record, keyed_with);
}

SceneFollowed follow_scene(Host& host, const Prepared& current, const std::string& named_camera, bool scan,
                           const Prepared* cached) {
    SceneFollowed out;
    std::optional<std::vector<std::string>> live;  // asked once, when needed
    const auto live_cameras = [&]() -> const std::vector<std::string>& {
        if (!live) {
            std::vector<std::string> problems;
            live = cameras_with_live_shake(host, &problems);
            for (std::string& problem : problems) out.problems.push_back(std::move(problem));
        }
        return *live;
    };
    if (current.ready) {
        const std::string camera = current.camera.value_or(std::string());
        const bool there = !camera.empty() && host.obj_exists(camera);
        // A camera gone between two commands is said by the next command, which names it; a
        // scene opened since (the host's events, a window shown) is looked at whole.
        if (!there && !scan) return out;
        if (there) {
            if (follow_prepared(host, current, out, cached)) return out;
        } else if (const std::optional<std::string> renamed = renamed_camera(host, current, live_cameras())) {
            Prepared next = current;
            next.camera = *renamed;
            next.noted_text.clear();  // read whole, as a camera seen for the first time
            if (follow_prepared(host, next, out, cached)) {
                if (!out.record) out.record = std::move(next);
                return out;
            }
        }
        out.record = current;
        out.record->ready = false;
    }
    if (!named_camera.empty()) {
        if (host.obj_exists(named_camera)) take_up_into(host, named_camera, out, cached);
        return out;
    }
    // No camera named: the scene's only camera with a live shake is the one.
    if (live_cameras().size() > 1) {
        out.several = *live;
    } else if (live->size() == 1) {
        take_up_into(host, live->front(), out, cached);
    }
    return out;
}

void SceneFollower::keep_if_ready(Host& host, const Record& record) {
    if (!record || !record->ready || record->samples_pending) return;
    samples_ = record;
    samples_scene_ = host.scene_read_mark();
}

SceneFollowed SceneFollower::look(Host& host, const Record& current, const std::string& named_camera, bool scan) {
    const std::optional<std::uint64_t> mark = host.curve_edit_mark();
    if (!scan && mark && (current->ready ? current->edits_seen == mark : quiet_mark_ == mark)) return {};
    keep_if_ready(host, current);
    // Samples of another scene read are another shot's, whatever its names.
    const std::optional<std::uint64_t> scene = host.scene_read_mark();
    const Record cached = samples_ && scene && samples_scene_ == scene ? samples_ : nullptr;
    SceneFollowed followed = follow_scene(host, *current, named_camera, scan, cached.get());
    const bool ready = followed.record ? followed.record->ready : current->ready;
    quiet_mark_ = ready ? std::nullopt : mark;  // the look only asked: the mark stands
    return followed;
}

void SceneFollower::after_command(Host& host, const Record& record) {
    keep_if_ready(host, record);
    quiet_mark_ = record && record->ready ? std::nullopt : host.curve_edit_mark();
}

void SceneFollower::forget() { *this = SceneFollower{}; }

}  // namespace trembla
