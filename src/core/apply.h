// Writing the shake onto the camera: one freshly keyed, connected curve per enabled channel.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "core/records.h"
#include "core/shake_offsets.h"

namespace trembla {

class Host;

// The keys of one channel's shake curve, one value per position of `frames`.
struct ChannelKeys {
    std::string channel;
    std::vector<double> values;
};

// The name asked for the curve that carries a channel's shake: the camera's own name (the leaf of
// a DAG path such as "grp|cam", since the host takes no "|" in a node name) + "_shake_" + channel.
std::string shake_curve_name(const std::string& camera, const std::string& channel);

// The shake curves one application made, by channel index, under the names the host gave them;
// empty where no curve was made.
using ShakeCurves = std::array<std::string, kChannelCount>;

// Pure part: the value of every enabled channel at every frame, channels in write order.
// camera_mode is "static", "animated" or "relax" (anything else acts as "static").
// Throws std::invalid_argument (nothing computed) when, in the animated or relax mode, a channel of
// camera_original_anim holds fewer values than there are frames, or when smoothing is NaN or +inf.
std::vector<ChannelKeys> compute_camera_keys(const FrameRecord& shake_data, const std::vector<Frame>& frames,
                                             const ShakeSettings& settings, const Sample& camera_base,
                                             const std::string& camera_mode,
                                             const ChannelAnim& camera_original_anim);

// The same from offsets already computed with compute_shake_offsets(shake_data, frames, settings);
// the keys are built in the offsets' own storage (pass a copy to keep them).
std::vector<ChannelKeys> camera_keys_from_offsets(ShakeOffsets offsets, const std::vector<Frame>& frames,
                                                  const ShakeSettings& settings, const Sample& camera_base,
                                                  const std::string& camera_mode,
                                                  const ChannelAnim& camera_original_anim);

// False for the relax mode, whose keys are the relaxed animation alone: the offsets are computed
// there too but added to nothing.
bool mode_adds_shake(const std::string& camera_mode);

// Which curves an application replaces: the one under shake_curve_name on each channel (anyone's),
// or only those a preparation made itself, as named in `made` (a channel with no name there has
// none: a node under the wanted name then belongs to another camera of the same short name).
struct CurvesToReplace {
    bool own_only = false;
    ShakeCurves made;
};

// The host half of apply_shake_to_camera, for keys computed beforehand: cuts the camera's keys on
// every channel it writes (one cut_keys), then per channel replaces the shake curve by a new one
// keyed on every frame and connects it (a failed connection is ignored). Answers the curves made,
// under the names the host gave them. Other host failures propagate; channels done before the
// failure keep their new curves, the others are left cut.
ShakeCurves key_shake_curves(Host& host, const std::string& camera, const std::vector<ChannelKeys>& keys,
                             const std::vector<Frame>& frames, const CurvesToReplace& replace = {});

// Computes the keys and writes them as key_shake_curves does. Input that compute_camera_keys refuses throws
// std::invalid_argument before the host is called.
ShakeCurves apply_shake_to_camera(Host& host, const std::string& camera, const FrameRecord& shake_data,
                                  const std::vector<Frame>& frames, const ShakeSettings& settings,
                                  const Sample& camera_base, const std::string& camera_mode,
                                  const ChannelAnim& camera_original_anim, const CurvesToReplace& replace = {});

}  // namespace trembla
