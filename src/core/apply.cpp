#include "core/apply.h"

#include <stdexcept>

#include "core/ranges.h"
#include "core/smoothing.h"

namespace trembla {
namespace {

// The camera animation each channel builds on in the animated and relax modes.
ChannelAnim base_animation(CameraMode mode, const ChannelAnim& camera_original_anim, const std::vector<Frame>& frames,
                           const ShakeSettings& settings) {
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
                                             const ShakeSettings& settings, const Sample& camera_base, CameraMode mode,
                                             const ChannelAnim& camera_original_anim) {
    return camera_keys_from_offsets(compute_shake_offsets(shake_data, frames, settings), frames, settings, camera_base,
                                    mode, camera_original_anim);
}

std::vector<ChannelKeys> camera_keys_from_offsets(ShakeOffsets offsets, const std::vector<Frame>& frames,
                                                  const ShakeSettings& settings, const Sample& camera_base,
                                                  CameraMode mode, const ChannelAnim& camera_original_anim) {
    const std::size_t count = frames.size();
    // In static mode the recorded animation is never read, so it needs no smoothing.
    const ChannelAnim smoothed_cam_anim = base_animation(mode, camera_original_anim, frames, settings);

    std::vector<ChannelKeys> keys;
    for (const std::size_t idx : written_channels(settings)) {
        if (offsets.channels[idx].size() < count) {
            throw std::logic_error("shake offsets computed for other frames or settings");
        }
        const std::string channel = kChannels[idx];
        const double base_val = camera_base[idx];

        const std::vector<double>* smoothed = nullptr;
        if (mode != CameraMode::static_pose) {
            smoothed = find_channel(smoothed_cam_anim, channel);
            if (smoothed != nullptr && smoothed->size() < count) {
                throw std::invalid_argument("camera_original_anim['" + channel + "'] holds " +
                                            std::to_string(smoothed->size()) + " values but there are " +
                                            std::to_string(count) + " frames; every channel needs one value per frame");
            }
        }

        // Each key replaces its own offset: the keys take over the offsets' memory instead of
        // another channel-sized block per channel.
        ChannelKeys channel_keys{channel, std::move(offsets.channels[idx])};
        std::vector<double>& values = channel_keys.values;
        values.resize(count);
        for (std::size_t i = 0; i < count; ++i) {
            const double smoothed_val = smoothed != nullptr ? (*smoothed)[i] : base_val;
            double final_val = 0.0;
            switch (mode) {
                case CameraMode::animated:
                    final_val = smoothed_val + values[i];
                    break;
                case CameraMode::relax:
                    final_val = smoothed_val;
                    break;
                case CameraMode::static_pose:
                    final_val = base_val + values[i];
                    break;
            }
            values[i] = final_val;
        }
        keys.push_back(std::move(channel_keys));
    }
    return keys;
}

}  // namespace trembla
