// Baking the shake onto an override animation layer: read the shaken values, clear the shake and
// give the camera its own values back, make the layer, key the shaken values on it.
#include "scene/workflow.h"

#include <algorithm>
#include <array>
#include <exception>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "scene/applied_links.h"
#include "scene/applied_record.h"
#include "scene/lock_check.h"
#include "scene/own_keys.h"
#include "scene/suspension.h"
#include "scene/workflow_steps.h"

namespace trembla {

using namespace steps;

namespace {

constexpr const char* kDefaultLayerName = "trembla_layer";
constexpr const char* kBakeStatus = "Trembla: baking to layer";
constexpr const char* kWeight = "weight";

// What a blend of ours adds its shake curve to on every frame: the curve on its inputA, read in
// one query, or the value the input holds.
std::vector<double> blend_base_values(Host& host, const std::string& blend, const std::vector<Frame>& frames) {
    const std::optional<std::string> input = host.input_plug(blend + ".inputA");
    if (input) {
        const std::string node = input->substr(0, input->find('.'));
        if (is_time_curve(host.node_type(node))) {
            return host.eval_curve_frames(node, frames).value_or(std::vector<double>(frames.size(), 0.0));
        }
    }
    return std::vector<double>(frames.size(), host.get_attr(blend + ".inputA"));
}

// The shaken value of every frame on each channel's shake curve; a channel without a curve has
// none. A shake curve holds a key at every prepared frame: its keys are read in one query, and a
// frame without a key (one deleted by hand) is evaluated. A shake curve added through a blend of
// ours holds offsets: the own animation under the blend is added, as the blend adds it. A channel in the animator's layers is read
// as the layers give it, shake included, at each frame without changing the current time (its
// inputs are curves and layer blend nodes only: anything else was refused at prepare): the bake's
// override layer sits above them and would otherwise hide them inside the range. Each channel read
// is a unit of `progress` per frame, checked once, which may cancel (WorkCancelled).
ChannelAnim read_shaken_values(Host& host, const std::string& camera, const std::vector<std::string>& channels,
                               const ShakeCurves& curves, const ShakeCurves& blends, const std::vector<Frame>& frames,
                               HostProgress& progress) {
    ChannelAnim shaken;
    // Translate and rotate as the layers give them on every frame, each read once when a layered
    // channel first needs it: one call per compound and frame answers three channels.
    std::array<std::vector<Vec3>, 2> layered_values;
    const auto layered_compound = [&](std::size_t k) -> const std::vector<Vec3>& {
        std::vector<Vec3>& values = layered_values[k / 3];
        if (values.empty()) {
            values.reserve(frames.size());
            for (Frame frame : frames)
                values.push_back(host.compound_at(camera, k < 3 ? "translate" : "rotate", frame));
        }
        return values;
    };
    for (const std::string& channel : channels) {
        const std::size_t k = channel_index(channel);
        const std::string& curve = curves[k];
        if (!host.obj_exists(curve)) continue;
        const std::string channel_plug = plug(camera, channel);
        ChannelSeries series{channel, {}};
        series.values.reserve(frames.size());
        const std::string blend = !blends[k].empty() && host.obj_exists(blends[k]) ? blends[k] : std::string();
        if (base_plug(host, camera, channel.c_str(), blend) != channel_plug) {
            for (const Vec3& values : layered_compound(k)) series.values.push_back(values[k % 3]);
            shaken.push_back(std::move(series));
            progress.advance_by(frames.size());
            continue;
        }
        const std::vector<std::pair<double, double>> keys = host.curve_keys(curve);
        std::size_t next = 0;
        for (Frame frame : frames) {
            const double time = static_cast<double>(frame);
            while (next < keys.size() && keys[next].first < time) ++next;
            if (next < keys.size() && keys[next].first == time) {
                series.values.push_back(keys[next].second);
            } else {
                series.values.push_back(host.eval_curve(curve, frame).value_or(0.0));
            }
        }
        if (!blend.empty()) {
            const std::vector<double> below = blend_base_values(host, blend, frames);
            for (std::size_t i = 0; i < series.values.size() && i < below.size(); ++i) {
                series.values[i] = below[i] + series.values[i];
            }
        }
        shaken.push_back(std::move(series));
        progress.advance_by(frames.size());
    }
    return shaken;
}

// The layer holds the shaken values inside the prepared range only: its weight is keyed 1 from
// the first frame to the last and 0 on the frames just outside, with stepped tangents, so that
// the camera follows its own animation outside the range, exactly on every whole frame (an
// override layer holds its end keys outside them).
void key_layer_weight(Host& host, const std::string& layer, const std::vector<Frame>& frames) {
    if (frames.empty()) return;
    const Frame first = frames.front();
    const Frame last = frames.back();
    if (first > std::numeric_limits<Frame>::min()) host.set_channel_key(layer, kWeight, first - 1, 0.0);
    host.set_channel_key(layer, kWeight, first, 1.0);
    host.set_channel_key(layer, kWeight, last, 1.0);
    if (last < std::numeric_limits<Frame>::max()) host.set_channel_key(layer, kWeight, last + 1, 0.0);
    host.set_step_tangents(layer, kWeight);
}

// The name itself when no node bears it, else the first free one with a number after it:
// an earlier bake's layer (or any node of that name) is the animator's work and stays.
std::string free_layer_name(Host& host, const std::string& name) {
    if (!host.obj_exists(name)) return name;
    for (unsigned long long n = 1;; ++n) {
        std::string numbered = name + std::to_string(n);
        if (!host.obj_exists(numbered)) return numbered;
    }
}

// Adds each channel's plug to the layer; answers the channels the layer refused.
std::vector<std::string> add_to_layer(Host& host, const std::string& layer, const std::string& camera,
                                      const std::vector<std::string>& channels) {
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
    return refused;
}

// One warning names the refused plugs; their values are not keyed.
void drop_refused(Host& host, const std::string& layer, const std::string& camera,
                  const std::vector<std::string>& refused, ChannelAnim& shaken) {
    if (refused.empty()) return;
    std::string plugs;
    for (const std::string& channel : refused) plugs += (plugs.empty() ? "" : ", ") + plug(camera, channel);
    host.warning("Could not add " + plugs + " to layer " + layer + "; not keyed.");
    shaken.erase(std::remove_if(shaken.begin(), shaken.end(),
                                [&](const ChannelSeries& series) {
                                    return std::find(refused.begin(), refused.end(), series.name) != refused.end();
                                }),
                 shaken.end());
}

// Keys one channel on the layer. Only a command can give a layer a curve: the first key is set
// by setKeyframe, which creates the layer's curve for the channel in this step, and the other
// keys go into that new curve in one call. Undoing the step takes the curve out whole, the keys
// written past the undo queue with it. A host that cannot name the curve is keyed per key.
void key_on_layer(Host& host, const std::string& camera, const std::string& layer, const ChannelSeries& series,
                  const std::vector<Frame>& frames, HostProgress& progress) {
    if (frames.empty()) return;
    host.set_layer_key(camera, series.name, frames[0], series.values[0], layer);
    const std::optional<std::string> curve =
        frames.size() > 1 ? host.layer_curve(layer, plug(camera, series.name)) : std::nullopt;
    if (!curve) {
        progress.advance();
        for (std::size_t i = 1; i < frames.size(); ++i) {
            host.set_layer_key(camera, series.name, frames[i], series.values[i], layer);
            progress.advance();
        }
        return;
    }
    host.add_curve_keys(*curve, std::vector<Frame>(frames.begin() + 1, frames.end()),
                        std::vector<double>(series.values.begin() + 1, series.values.end()));
    progress.advance_by(frames.size());
}

// Keys the shaken values on the layer under a suspended viewport; true when the user cancelled.
// A failure propagates after the bar is ended and the viewport resumed.
bool key_layer(Host& host, const std::string& camera, const std::string& layer, const ChannelAnim& shaken,
               const std::vector<Frame>& frames, HostProgress& progress, std::optional<std::string>& saved_eval_mode) {
    suspend(host, saved_eval_mode);
    bool cancelled = false;
    try {
        for (const ChannelSeries& series : shaken) key_on_layer(host, camera, layer, series, frames, progress);
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
    return cancelled;
}

// A bake that failed partway gives the scene back as it was before it. Its own step on top of
// the host's undo queue is undone, as a cancel does. Otherwise (the queue off, a caller's open
// chunk) the bake takes out what it made: the layer goes, and the shake it took off is keyed
// again from the preparation (the curves it deleted are gone: new ones are made and the camera's
// own curves set aside again; a bypassed bake had keyed the real shake, which is bypassed again).
// A failure before any change (no shake curve gone, no layer, nothing keyed again) leaves nothing
// to take out. A failure of this clean-up leaves the first failure to report.
void undo_failed_bake(Host& host, UndoChunk& chunk, Prepared& record, const ShakeControls& controls,
                      const std::optional<std::string>& layer, bool shake_keyed_again) {
    try {
        if (may_cancel(host, chunk, true)) {
            host.undo();
            return;
        }
        const bool shake_gone = !missing_shake_curves(host, record).empty();
        const bool layer_made = layer && host.obj_exists(*layer);
        if (layer_made) host.delete_node(*layer);
        if (!shake_gone && !layer_made && !shake_keyed_again) return;
        if (shake_gone) record.shake_curves = ShakeCurves{};
        update_shake(host, record, controls);
    } catch (...) {
    }
}

}  // namespace

bool bake_to_layer(Host& host, Prepared& record, std::optional<std::string>& saved_eval_mode,
                   const ShakeControls& controls, const ProgressTiming& timing) {
    if (!record.ready) {
        host.warning("Please prepare shake first.");
        return false;
    }
    // Everything is found before the first change: the camera, and its curves through its links.
    {
        const std::string camera = prepared_camera(record);
        if (camera.empty() || !host.obj_exists(camera)) {
            host.warning("Cannot bake: camera " + shown_name(camera) + " no longer exists (deleted or renamed).");
            return false;
        }
        const AppliedFinding found = find_applied(host, camera, false);
        if (found.state == AppliedFinding::State::refused || found.state == AppliedFinding::State::foreign) {
            host.warning("Cannot bake " + found.problem);
            return false;
        }
        if (found.state == AppliedFinding::State::held && found.record.live)
            adopt_found_curves(host, record, found.record);
    }
    // A curve gone would bake no keys for its channel, and clearing the others would lose their
    // shake: nothing is baked.
    const std::vector<std::string> missing = missing_shake_curves(host, record);
    if (!missing.empty()) {
        host.warning("Cannot bake: shake curve not found: " + joined(missing) + ". Prepare the shake again.");
        return false;
    }
    if (refuse_locked(host, "bake", prepared_camera(record), every_channel())) return false;
    UndoChunk chunk(host, "Trembla: bake");
    // Keys the animator set on the shaken camera go into its own curves first; the shake is then
    // keyed again on top of them, so that the layer gets them with the shake.
    const bool carried = carry_animator_keys(host, record);
    if (controls.bypass || carried) {
        // Bypassed, the shake curves hold the amount-zero values: the shake is keyed again as the
        // settings give it, inside this step, so that the layer gets the real shaken values.
        ShakeControls shaken_controls = controls;
        shaken_controls.bypass = false;
        try {
            rekey_shake(host, record, shaken_controls);
        } catch (...) {
            undo_failed_bake(host, chunk, record, controls, std::nullopt, true);
            throw;
        }
    }
    const std::string camera = prepared_camera(record);
    const std::string& layer_name = controls.settings.layer_name;
    const std::string requested_layer = layer_name.empty() ? kDefaultLayerName : layer_name;
    const std::vector<std::string> channels = switched_on_channels(controls.settings);
    const std::vector<Frame> frames = prepared_frames(record);
    const ShakeCurves curves = prepared_curves(record, camera);
    const ShakeCurves own = record.own_curves;
    const ShakeCurves made = record.shake_curves;
    const ShakeCurves blends = record.shake_blends;
    const Sample base = prepared_camera_base(record);

    // Each value read and each key set is a unit; a channel without a curve reports none.
    HostProgress progress(host, kBakeStatus, 2 * channels.size() * frames.size(), timing);
    bool scene_changed = controls.bypass || carried;
    progress.set_cancel_gate([&] { return may_cancel(host, chunk, scene_changed); });

    // Read the shaken values before the curves that carry them go away. Nothing is changed yet
    // unless bypass made the shake be keyed again above: only then has a cancel here anything to
    // undo.
    ChannelAnim shaken;
    try {
        shaken = read_shaken_values(host, camera, channels, curves, linked_shake_blends(host, camera, blends), frames,
                                    progress);
    } catch (const WorkCancelled&) {
        progress.end();
        take_back(host, chunk, scene_changed);
        return false;
    } catch (...) {
        if (scene_changed) undo_failed_bake(host, chunk, record, controls, std::nullopt, true);
        throw;
    }
    scene_changed = true;

    // Every shake curve goes and every channel gets its own curve back, as the animator made it;
    // the layer alone carries the shake from here on.
    std::optional<std::string> made_layer;
    try {
        take_off_shake(host, camera, own, made, base, blends);

        // The host may still rename the layer; its answer is used from here on.
        made_layer = host.create_override_layer(free_layer_name(host, requested_layer));
        const std::string layer = *made_layer;
        const std::vector<std::string> refused = add_to_layer(host, layer, camera, channels);
        drop_refused(host, layer, camera, refused, shaken);

        if (key_layer(host, camera, layer, shaken, frames, progress, saved_eval_mode)) {
            take_back(host, chunk, true);
            return false;
        }
        if (!shaken.empty()) key_layer_weight(host, layer, frames);
        note_taken_off(host, camera, layer);
    } catch (...) {
        undo_failed_bake(host, chunk, record, controls, made_layer, controls.bypass);
        throw;
    }
    const std::string layer = *made_layer;
    record.ready = false;
    const std::string message = "Baked to layer: " + layer;
    host.print_line(message);
    show_in_view(host, message);
    return true;
}

}  // namespace trembla
