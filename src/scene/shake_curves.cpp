#include "scene/shake_curves.h"

#include <exception>
#include <limits>
#include <utility>

#include "scene/host.h"

namespace trembla {
namespace {

constexpr const char* kTranslateCurveType = "animCurveTL";
constexpr const char* kRotateCurveType = "animCurveTA";
// The host's additive blends of a distance and of an angle: "output = input a * weight a + input b
// * weight b", both weights 1 by default (animBlendNodeAdditiveDL / DA node references).
constexpr const char* kTranslateBlendType = "animBlendNodeAdditiveDL";
constexpr const char* kRotateBlendType = "animBlendNodeAdditiveDA";

// The frames keyed on an offset curve: one before the first and one after the last, where it is 0,
// when the frame numbers reach them.
std::pair<std::vector<Frame>, std::vector<double>> offset_keys(const std::vector<Frame>& frames,
                                                               const std::vector<double>& values) {
    std::vector<Frame> times;
    std::vector<double> keyed;
    times.reserve(frames.size() + 2);
    keyed.reserve(frames.size() + 2);
    if (!frames.empty() && frames.front() > std::numeric_limits<Frame>::min()) {
        times.push_back(frames.front() - 1);
        keyed.push_back(0.0);
    }
    times.insert(times.end(), frames.begin(), frames.end());
    keyed.insert(keyed.end(), values.begin(), values.end());
    if (!frames.empty() && frames.back() < std::numeric_limits<Frame>::max()) {
        times.push_back(frames.back() + 1);
        keyed.push_back(0.0);
    }
    return {std::move(times), std::move(keyed)};
}

// The blend of channel k, made now: the own curve on inputA (or the still value), the output on
// the target, linked as the channel's own curve is not: the caller links the blend.
std::string make_blend(Host& host, const std::string& camera, const std::string& channel, const std::string& target,
                       const std::string& own, double still) {
    const char* type = is_translate_channel(channel) ? kTranslateBlendType : kRotateBlendType;
    const std::string blend = host.create_node(type, shake_curve_name(camera, channel) + "_add");
    if (!own.empty() && host.obj_exists(own)) {
        host.connect_attr(own + ".output", blend + ".inputA");
    } else {
        host.set_attr(blend + ".inputA", still);
    }
    host.connect_attr(blend + ".output", target);
    return blend;
}

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

OffsetCurves key_offset_curves(Host& host, const std::string& camera, const std::vector<ChannelKeys>& offsets,
                               const std::vector<Frame>& frames, const OffsetTargets& on) {
    OffsetCurves made;
    for (const ChannelKeys& channel : offsets) {
        const std::size_t idx = channel_index(channel.channel);
        const std::string target = on.targets[idx].empty() ? camera + "." + channel.channel : on.targets[idx];
        // Ours only: a node under the wanted name that is not ours stays, and the new curve takes
        // another name.
        if (!on.made[idx].empty() && host.obj_exists(on.made[idx])) host.delete_node(on.made[idx]);
        // The caller found the blend by its link, or found none: no need to ask again.
        std::string blend = on.blends[idx];
        if (blend.empty()) {
            blend = make_blend(host, camera, channel.channel, target, on.own[idx], on.still[idx]);
        }
        made.blends[idx] = blend;
        const char* curve_type = is_translate_channel(channel.channel) ? kTranslateCurveType : kRotateCurveType;
        const std::string curve = host.create_node(curve_type, shake_curve_name(camera, channel.channel));
        made.curves[idx] = curve;
        const auto [times, values] = offset_keys(frames, channel.values);
        host.set_curve_keys(curve, times, values);
        // 0 up to the first frame and from just after the last: the step before, the next key's
        // value after (only the out tangent's type: the in tangents stay as keyed).
        if (!frames.empty() && times.front() != frames.front()) {
            host.set_out_tangent_type(curve, static_cast<double>(times.front()), "step");
        }
        if (!frames.empty() && times.back() != frames.back()) {
            host.set_out_tangent_type(curve, static_cast<double>(frames.back()), "stepnext");
        }
        try {
            host.connect_attr(curve + ".output", blend + ".inputB");
        } catch (const std::exception&) {
            // The curve stays keyed but unconnected; the user can still bake (which reads it) or reset.
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
