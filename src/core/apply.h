// The camera keys of a shake: the value of every written channel at every frame, per camera mode.
// Writing them onto the camera is the scene's job (scene/shake_curves.h).
#pragma once

#include <array>
#include <string>
#include <vector>

#include "core/camera_mode.h"
#include "core/records.h"
#include "core/shake_offsets.h"

namespace trembla {

// The keys of one channel's shake curve, one value per position of `frames`.
struct ChannelKeys {
    std::string channel;
    std::vector<double> values;
};

// The name asked for the curve that carries a channel's shake: the camera's own name (the leaf of
// a DAG path such as "grp|cam", since the host takes no "|" in a node name) + "_shake_" + channel.
std::string shake_curve_name(const std::string& camera, const std::string& channel);

// The shake curves one application made (see scene/shake_curves.h), by channel index, under the names the host gave them;
// empty where no curve was made.
using ShakeCurves = std::array<std::string, kChannelCount>;

// Pure part: the value of every enabled channel at every frame, channels in write order.
// Throws std::invalid_argument (nothing computed) when, in the animated or relax mode, a channel of
// camera_original_anim holds fewer values than there are frames, or when smoothing is NaN or +inf.
std::vector<ChannelKeys> compute_camera_keys(const FrameRecord& shake_data, const std::vector<Frame>& frames,
                                             const ShakeSettings& settings, const Sample& camera_base, CameraMode mode,
                                             const ChannelAnim& camera_original_anim);

// The same from offsets already computed with compute_shake_offsets(shake_data, frames, settings);
// the keys are built in the offsets' own storage (pass a copy to keep them).
std::vector<ChannelKeys> camera_keys_from_offsets(ShakeOffsets offsets, const std::vector<Frame>& frames,
                                                  const ShakeSettings& settings, const Sample& camera_base,
                                                  CameraMode mode, const ChannelAnim& camera_original_anim);

}  // namespace trembla
