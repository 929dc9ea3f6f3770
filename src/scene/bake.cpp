// Baking the shake onto an override animation layer: read the shaken values, clear the shake and
// give the camera its own values back, make the layer, key the shaken values on it.
#include "scene/workflow.h"

#include <algorithm>
#include <exception>

#include "scene/applied_record.h"
#include "scene/own_keys.h"
#include "scene/suspension.h"
#include "scene/workflow_steps.h"

namespace trembla {

using namespace steps;

namespace {

constexpr const char* kDefaultLayerName = "trembla_layer";
constexpr const char* kBakeStatus = "Trembla: baking to layer";

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

// The shaken value of every frame on each channel's shake curve; a channel without a curve has
// none. Each value read is a unit of `progress`, which may cancel (WorkCancelled).
ChannelAnim read_shaken_values(Host& host, const std::vector<std::string>& channels, const ShakeCurves& curves,
                               const std::vector<Frame>& frames, HostProgress& progress) {
    ChannelAnim shaken;
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
    return shaken;
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

// Keys the shaken values on the layer under a suspended viewport; true when the user cancelled.
// A failure propagates after the bar is ended and the viewport resumed.
bool key_layer(Host& host, const std::string& camera, const std::string& layer, const ChannelAnim& shaken,
               const std::vector<Frame>& frames, HostProgress& progress, std::optional<std::string>& saved_eval_mode) {
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
    return cancelled;
}

}  // namespace

bool bake_to_layer(Host& host, Prepared& record, std::optional<std::string>& saved_eval_mode,
                   const ShakeControls& controls, const ProgressTiming& timing) {
    if (!record.ready) {
        host.warning("Please prepare shake first.");
        return false;
    }
    // A curve gone would bake no keys for its channel, and clearing the others would lose their
    // shake: nothing is baked.
    const std::vector<std::string> missing = missing_shake_curves(host, record);
    if (!missing.empty()) {
        host.warning("Cannot bake: shake curve not found: " + joined(missing) + ". Prepare the shake again.");
        return false;
    }
    UndoChunk chunk(host, "Trembla: bake");
    // Keys the animator set on the shaken camera go into its own curves first; the shake is then
    // keyed again on top of them, so that the layer gets them with the shake.
    const bool carried = carry_animator_keys(host, record);
    if (controls.bypass || carried) {
        // Bypassed, the shake curves hold the amount-zero values: the shake is keyed again as the
        // settings give it, inside this step, so that the layer gets the real shaken values.
        ShakeControls shaken_controls = controls;
        shaken_controls.bypass = false;
        rekey_shake(host, record, shaken_controls);
    }
    const std::string camera = prepared_camera(record);
    const std::string& layer_name = controls.settings.layer_name;
    const std::string requested_layer = layer_name.empty() ? kDefaultLayerName : layer_name;
    const std::vector<std::string> channels = enabled_channels(controls.settings);
    const std::vector<Frame> frames = prepared_frames(record);
    const ShakeCurves curves = prepared_curves(record, camera);
    const ShakeCurves own = record.own_curves;
    const ShakeCurves made = record.shake_curves;
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
        shaken = read_shaken_values(host, channels, curves, frames, progress);
    } catch (const WorkCancelled&) {
        progress.end();
        take_back(host, chunk, scene_changed);
        return false;
    }
    scene_changed = true;

    // Every shake curve goes and every channel gets its own curve back, as the animator made it;
    // the layer alone carries the shake from here on.
    take_off_shake(host, camera, own, made, base);

    // The host may still rename the layer; its answer is used from here on.
    const std::string layer = host.create_override_layer(free_layer_name(host, requested_layer));
    const std::vector<std::string> refused = add_to_layer(host, layer, camera, channels);
    host.select_layer(layer);
    drop_refused(host, layer, camera, refused, shaken);

    if (key_layer(host, camera, layer, shaken, frames, progress, saved_eval_mode)) {
        take_back(host, chunk, true);
        return false;
    }

    note_taken_off(host, camera, layer);
    record.ready = false;
    const std::string message = "Baked to layer: " + layer;
    host.print_line(message);
    show_in_view(host, message);
    return true;
}

}  // namespace trembla
