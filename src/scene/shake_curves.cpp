#include "scene/shake_curves.h"

#include <exception>

#include "scene/host.h"

namespace trembla {
namespace {

constexpr const char* kTranslateCurveType = "animCurveTL";
constexpr const char* kRotateCurveType = "animCurveTA";

}  // namespace

ShakeCurves key_shake_curves(Host& host, const std::string& camera, const std::vector<ChannelKeys>& keys,
                             const std::vector<Frame>& frames, const CurvesToReplace& replace) {
    // One cut for every channel written: on a long shot the host's cost per call, not per key,
    // is what a live update pays for. A channel in animation layers is not cut: on a layered
    // channel the host cuts a layer's keys, the animator's; its shake curve drives the base plug.
    std::vector<std::string> written;
    ShakeCurves targets;
    written.reserve(keys.size());
    for (const ChannelKeys& channel : keys) {
        const std::size_t idx = channel_index(channel.channel);
        const std::string channel_plug = camera + "." + channel.channel;
        targets[idx] = replace.targets[idx].empty() ? channel_plug : replace.targets[idx];
        if (targets[idx] == channel_plug) written.push_back(channel.channel);
    }
    host.cut_keys(camera, written);

    ShakeCurves made;
    for (const ChannelKeys& channel : keys) {
        const std::size_t idx = channel_index(channel.channel);
        const std::string curve_name = shake_curve_name(camera, channel.channel);
        const std::string& own = replace.made[idx];
        const std::string& old_curve = own.empty() ? curve_name : own;
        // A node under the wanted name that is not one of ours stays; the host then answers
        // another name for the new curve.
        if (host.obj_exists(old_curve) && (!replace.own_only || !own.empty())) {
            host.delete_node(old_curve);
        }
        const char* curve_type = is_translate_channel(channel.channel) ? kTranslateCurveType : kRotateCurveType;
        const std::string curve = host.create_node(curve_type, curve_name);
        made[idx] = curve;
        // The curve was created just above, so the host may key it in one batch.
        host.set_curve_keys(curve, frames, channel.values);
        try {
            host.connect_attr(curve + ".output", targets[idx]);
        } catch (const std::exception&) {
            // The curve stays keyed but unconnected; the user can still bake or reset.
        }
    }
    return made;
}

ShakeCurves apply_shake_to_camera(Host& host, const std::string& camera, const FrameRecord& shake_data,
                                  const std::vector<Frame>& frames, const ShakeSettings& settings,
                                  const Sample& camera_base, CameraMode camera_mode,
                                  const ChannelAnim& camera_original_anim, const CurvesToReplace& replace) {
    // Everything is computed before the first write, so bad input leaves the scene untouched.
    const std::vector<ChannelKeys> keys =
        compute_camera_keys(shake_data, frames, settings, camera_base, camera_mode, camera_original_anim);
    return key_shake_curves(host, camera, keys, frames, replace);
}

}  // namespace trembla
