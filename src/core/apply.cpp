#include "core/apply.h"

#include <exception>
#include <stdexcept>

#include "core/ranges.h"
#include "core/smoothing.h"
#include "scene/host.h"

namespace trembla {
namespace {

constexpr const char* kTranslateCurveType = "animCurveTL";
constexpr const char* kRotateCurveType = "animCurveTA";

enum class CameraMode { static_pose, animated, relax };

CameraMode parse_mode(const std::string& camera_mode) {
    if (camera_mode == "animated") {
        return CameraMode::animated;
    }
    if (camera_mode == "relax") {
        return CameraMode::relax;
    }
    return CameraMode::static_pose;
}

// The camera animation each channel builds on in the animated and relax modes.
ChannelAnim base_animation(CameraMode mode, const ChannelAnim& camera_original_anim,
                           const std::vector<Frame>& frames, const ShakeSettings& settings) {
    if (mode == CameraMode::static_pose || camera_original_anim.empty()) {
        return {};
    }
    ChannelAnim smoothed = smooth_camera_anim(camera_original_anim, frames, settings.smoothing);
    if (mode == CameraMode::relax) {
        smoothed = smooth_camera_anim_per_axis(camera_original_anim, smoothed, frames, settings.smoothing,
                                               settings.trans_axis_mult, settings.rot_axis_mult);
    }
    return smoothed;
}

std::size_t channel_index(const std::string& channel) {
    for (std::size_t k = 0; k < kChannelCount; ++k) {
        if (channel == kChannels[k]) {
            return k;
        }
    }
    throw std::logic_error("not a camera channel: " + channel);
}

std::vector<std::size_t> written_channels(const ShakeSettings& settings) {
    std::vector<std::size_t> channels;
    if (settings.use_translate) {
        channels.insert(channels.end(), {0, 1, 2});
    }
    if (settings.use_rotate) {
        channels.insert(channels.end(), {3, 4, 5});
    }
    return channels;
}

}  // namespace

std::string shake_curve_name(const std::string& camera, const std::string& channel) {
    const std::size_t bar = camera.rfind('|');
    return (bar == std::string::npos ? camera : camera.substr(bar + 1)) + "_shake_" + channel;
}

std::vector<ChannelKeys> compute_camera_keys(const FrameRecord& shake_data, const std::vector<Frame>& frames,
                                             const ShakeSettings& settings, const Sample& camera_base,
                                             const std::string& camera_mode,
                                             const ChannelAnim& camera_original_anim) {
    const CameraMode mode = parse_mode(camera_mode);
    const std::size_t count = frames.size();
    const double shake_amp = settings.amplitude / 100.0;
    const double t_amp = settings.translate_amp / 100.0;
    const double r_amp = settings.rotate_amp / 100.0;
    // In static mode the recorded animation is never read, so it needs no smoothing.
    const ChannelAnim smoothed_cam_anim = base_animation(mode, camera_original_anim, frames, settings);

    // The shake sample and the fade depend on the frame only, not on the channel.
    std::vector<const Sample*> shake_at;
    std::vector<double> fades;
    shake_at.reserve(count);
    fades.reserve(count);
    for (const Frame frame : frames) {
        shake_at.push_back(find_sample(shake_data, frame));
        fades.push_back(calculate_fade_multiplier(frame, settings.ranges, settings.fade_in, settings.fade_out));
    }

    std::vector<ChannelKeys> keys;
    for (const std::size_t idx : written_channels(settings)) {
        const std::string channel = kChannels[idx];
        const bool is_translate = is_translate_channel(channel);
        const double axis_amp = (idx < 3 ? settings.trans_axis_mult[idx] : settings.rot_axis_mult[idx - 3]) / 100.0;
        const double base_val = camera_base[idx];
        const double amp = is_translate ? t_amp : r_amp;

        const std::vector<double>* smoothed = nullptr;
        if (mode != CameraMode::static_pose) {
            smoothed = find_channel(smoothed_cam_anim, channel);
            if (smoothed != nullptr && smoothed->size() < count) {
                throw std::invalid_argument("camera_original_anim['" + channel + "'] holds " +
                                            std::to_string(smoothed->size()) + " values but there are " +
                                            std::to_string(count) +
                                            " frames; every channel needs one value per frame");
            }
        }

        ChannelKeys channel_keys{channel, {}};
        channel_keys.values.reserve(count);
        for (std::size_t i = 0; i < count; ++i) {
            const double shake_val = shake_at[i] != nullptr ? (*shake_at[i])[idx] : 0.0;
            const double fade = fades[i];
            const double smoothed_val = smoothed != nullptr ? (*smoothed)[i] : base_val;
            const double term = shake_val * shake_amp * amp * axis_amp * fade;
            double final_val = 0.0;
            switch (mode) {
                case CameraMode::animated:
                    final_val = smoothed_val + term;
                    break;
                case CameraMode::relax:
                    final_val = smoothed_val;
                    break;
                case CameraMode::static_pose:
                    final_val = base_val + term;
                    break;
            }
            channel_keys.values.push_back(final_val);
        }
        keys.push_back(std::move(channel_keys));
    }
    return keys;
}

ShakeCurves apply_shake_to_camera(Host& host, const std::string& camera, const FrameRecord& shake_data,
                                  const std::vector<Frame>& frames, const ShakeSettings& settings,
                                  const Sample& camera_base, const std::string& camera_mode,
                                  const ChannelAnim& camera_original_anim, const CurvesToReplace& replace) {
    // Everything is computed before the first write, so bad input leaves the scene untouched.
    const std::vector<ChannelKeys> keys =
        compute_camera_keys(shake_data, frames, settings, camera_base, camera_mode, camera_original_anim);

    // One cut for every channel written: on a long shot the host's cost per call, not per key,
    // is what a live update pays for.
    std::vector<std::string> written;
    written.reserve(keys.size());
    for (const ChannelKeys& channel : keys) written.push_back(channel.channel);
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
            host.connect_attr(curve + ".output", camera + "." + channel.channel);
        } catch (const std::exception&) {
            // The curve stays keyed but unconnected; the user can still bake or reset.
        }
    }
    return made;
}

}  // namespace trembla
