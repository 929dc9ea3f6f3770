// Re-applying the prepared shake with the controls' current values: the settings the sliders
// give, the offsets, the keys and the curves they are written on.
#include "scene/workflow.h"

#include <utility>

#include "core/extraction.h"
#include "core/ranges.h"
#include "scene/applied_links.h"
#include "scene/applied_record.h"
#include "scene/lock_check.h"
#include "scene/own_keys.h"
#include "scene/shake_curves.h"
#include "scene/workflow_steps.h"

namespace trembla {

using namespace steps;

namespace {

ShakeSettings shake_settings(const ControlValues& controls) {
    ShakeSettings settings;
    settings.smoothing = controls.smooth;
    settings.amount = controls.amount;
    settings.trans_amp = controls.trans_amp;
    settings.rot_amp = controls.rot_amp;
    settings.trans_axis_mult = {static_cast<double>(controls.trans_x), static_cast<double>(controls.trans_y),
                                static_cast<double>(controls.trans_z)};
    settings.rot_axis_mult = {static_cast<double>(controls.rot_x), static_cast<double>(controls.rot_y),
                              static_cast<double>(controls.rot_z)};
    settings.use_translate = controls.translate_enabled;
    settings.use_rotate = controls.rotate_enabled;
    settings.ranges = parse_ranges(controls.ranges);
    settings.fade_in = controls.fade_in;
    settings.fade_out = controls.fade_out;
    settings.speed = controls.speed;
    return settings;
}

// The source's shake over the prepared frames, lagged as the controls say.
FrameRecord prepared_source_shake(const Prepared& record, const std::vector<Frame>& frames,
                                  const ShakeControls& controls) {
    return extract_source_shake(record.delta_data, frames, controls.settings.lag_trans, controls.settings.lag_rot);
}

// Each channel's keyed values less its own animation on that frame: the offset its blend adds to
// the own curve, which keeps driving the channel.
std::vector<ChannelKeys> offsets_from_own(const std::vector<ChannelKeys>& keys, const ChannelAnim& own) {
    std::vector<ChannelKeys> offsets = keys;
    for (ChannelKeys& channel : offsets) {
        for (const ChannelSeries& series : own) {
            if (series.name != channel.channel) continue;
            for (std::size_t i = 0; i < channel.values.size() && i < series.values.size(); ++i) {
                channel.values[i] -= series.values[i];
            }
        }
    }
    return offsets;
}

}  // namespace

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

ShakeKeying compute_shake_keying(const Prepared& record, const ShakeControls& controls) {
    const std::vector<Frame> frames = prepared_frames(record);
    const ShakeSettings settings = shake_settings(controls.settings);
    const FrameRecord shake_data = prepared_source_shake(record, frames, controls);
    ShakeKeying keying;
    // The offsets answered are the shake as the sliders say it, also while bypassed: the preview
    // shows what clearing the box would bring back.
    keying.offsets = compute_shake_offsets(shake_data, frames, settings);
    // Bypassed, a copy with the amount at zero is keyed; controls.settings stay as the user set them.
    // Otherwise the keys are built in a copy of the offsets, which the preview keeps.
    ShakeOffsets keyed = controls.bypass
                             ? compute_shake_offsets(shake_data, frames, shake_settings(keyed_settings(controls)))
                             : keying.offsets;
    // The mode is a control like the others: every prepare records what each mode builds on.
    keying.camera_mode = controls.settings.mode;
    // The shake each key adds, noted before the keys take over the offsets' storage: the relax
    // mode keys the smoothed move alone.
    for (std::size_t k = 0; k < kChannelCount; ++k) {
        if (keying.camera_mode != CameraMode::relax) {
            keying.keyed_shake[k] = keyed.channels[k];
        } else {
            keying.keyed_shake[k].assign(keyed.channels[k].size(), 0.0);
        }
    }
    keying.keys = camera_keys_from_offsets(std::move(keyed), frames, settings, prepared_camera_base(record),
                                           keying.camera_mode, record.camera_original_anim);
    return keying;
}

std::optional<AppliedShake> apply_prepared_shake(Host& host, const Prepared& record, const ShakeControls& controls) {
    // A taken-up shake whose samples are not read yet has nothing to key from.
    if (!record.ready || record.samples_pending) return std::nullopt;
    const std::string camera = prepared_camera(record);
    // Said in one line, before anything is keyed: a deleted camera keys nothing.
    require_camera(host, camera);
    if (refuse_locked(host, "update", camera, switched_on_channels(controls.settings))) return std::nullopt;
    const UndoChunk chunk(host, "Trembla: update");
    const std::vector<Frame> frames = prepared_frames(record);
    OffsetTargets on;
    // The curves and blends this camera links as its shake: a rename since leaves the record's
    // names behind.
    on.made = linked_shake_curves(host, camera, record.shake_curves);
    on.blends = linked_shake_blends(host, camera, record.shake_blends);
    // A record made by a prepare knows its base plugs; any other is asked for them once here (below
    // the blend that adds the shake, where there is one).
    on.targets = record.base_plugs;
    for (std::size_t k = 0; k < kChannelCount; ++k) {
        if (on.targets[k].empty()) on.targets[k] = base_plug(host, camera, kChannels[k], on.blends[k]);
    }
    on.own = record.own_curves;
    on.still = prepared_camera_base(record);
    AppliedShake applied;
    // Everything is computed before the first scene write, so bad input leaves the scene untouched;
    // the record's animation is read only here.
    ShakeKeying keying = compute_shake_keying(record, controls);
    applied.offsets = std::move(keying.offsets);
    applied.camera_mode = keying.camera_mode;
    applied.keyed_shake = std::move(keying.keyed_shake);
    const std::vector<ChannelKeys> keys = std::move(keying.keys);
    const std::vector<ChannelKeys> offsets = offsets_from_own(keys, record.camera_original_anim);
    const ShakeCurves own = record.own_curves;  // a copy: host calls may replace the record
    OffsetCurves made = key_offset_curves(host, camera, offsets, frames, on);
    applied.curves = made.curves;
    applied.blends = made.blends;
    link_shake_curves(host, camera, applied.curves);
    // A blend found by its link stays linked: only the blends made now are linked.
    ShakeCurves new_blends;
    for (std::size_t k = 0; k < kChannelCount; ++k) {
        if (made.blends[k] != on.blends[k]) new_blends[k] = made.blends[k];
    }
    link_shake_blends(host, camera, new_blends);
    for (const ChannelKeys& channel : keys) {
        const std::size_t k = channel_index(channel.channel);
        // Linked as the camera's own when its blend is made: found by the link whatever it is
        // called later, as a curve set aside by an earlier release is.
        if (made.blends[k] != on.blends[k] && !own[k].empty() && host.obj_exists(own[k])) {
            link_kept_curve(host, camera, k, own[k]);
        }
        applied.keyed[k] = channel.values;
    }
    // In the same undo step as the keys: a window taking the shake up later shows what keyed it.
    if (record.noted)
        applied.noted = note_keyed_settings(host, camera, *record.noted, record.noted_text, controls, applied.curves,
                                            applied.blends);
    return applied;
}

void note_planned_keys(Prepared& record, const ShakeControls& controls) {
    if (!record.ready || record.samples_pending) return;
    // Planned, not seen keyed: the next command reads the curves.
    record.edits_seen.reset();
    ShakeKeying planned = compute_shake_keying(record, controls);
    for (ChannelKeys& channel : planned.keys) {
        const std::size_t k = channel_index(channel.channel);
        if (record.shake_curves[k].empty()) continue;
        record.keyed_values[k] = std::move(channel.values);
        record.keyed_shake[k] = std::move(planned.keyed_shake[k]);
    }
}

bool has_new_curve_names(const Prepared& record, const AppliedShake& made) {
    if (record.camera_mode != made.camera_mode) return true;
    for (std::size_t k = 0; k < kChannelCount; ++k) {
        if (!made.curves[k].empty() && record.shake_curves[k] != made.curves[k]) return true;
    }
    return false;
}

void record_shake_curves(Host& host, Prepared& record, const AppliedShake& made) {
    // Reset and bake give back what the applied mode built on.
    record.camera_mode = made.camera_mode;
    for (std::size_t k = 0; k < kChannelCount; ++k) {
        if (made.curves[k].empty()) continue;
        record.shake_curves[k] = made.curves[k];
        record.shake_blends[k] = made.blends[k];
        record.keyed_values[k] = made.keyed[k];
        record.keyed_shake[k] = made.keyed_shake[k];
    }
    if (made.noted) {
        record.noted = made.noted;
        record.noted_text = applied_text(*made.noted);
    }
    record.edits_seen = host.curve_edit_mark();
}

std::optional<ShakeOffsets> update_shake(Host& host, Prepared& record, const ShakeControls& controls) {
    if (!record.ready) return std::nullopt;
    // The animator's keys on the shake curves are carried into the own curves in this same step,
    // before the update writes the shake curves afresh.
    const std::vector<AnimatorKey> found = find_animator_keys(host, record);
    std::optional<UndoChunk> chunk;
    if (!found.empty()) {
        chunk.emplace(host, "Trembla: update");
        carry_animator_keys(host, record, found);
    }
    return rekey_shake(host, record, controls);
}

std::optional<ShakeOffsets> rekey_shake(Host& host, Prepared& record, const ShakeControls& controls) {
    if (!record.ready) return std::nullopt;
    const std::optional<std::string> camera = record.camera;
    std::optional<AppliedShake> applied = apply_prepared_shake(host, record, controls);
    if (!applied) return std::nullopt;
    // Scripts run by the host may have ended or replaced the preparation meanwhile.
    if (record.ready && record.camera == camera) {
        record_shake_curves(host, record, *applied);
    }
    return std::move(applied->offsets);
}

}  // namespace trembla
