// Writing the shake onto the camera: one freshly keyed, connected curve per enabled channel.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "core/records.h"

namespace trembla {

class Host;

// The current values of the shaping controls.
struct ShakeSettings {
    double smoothing = 0;       // 0-100
    double amplitude = 100;     // percent
    double translate_amp = 100; // percent
    double rotate_amp = 100;    // percent
    AxisTriple trans_axis_mult{100, 100, 100};
    AxisTriple rot_axis_mult{100, 100, 100};
    bool use_translate = true;
    bool use_rotate = true;
    Ranges ranges;
    double fade_in = 3;
    double fade_out = 3;
};

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

// Which curves an application replaces: the one under shake_curve_name on each channel (anyone's),
// or only those a preparation made itself, as named in `made` (a channel with no name there has
// none: a node under the wanted name then belongs to another camera of the same short name).
struct CurvesToReplace {
    bool own_only = false;
    ShakeCurves made;
};

// Computes the keys, cuts the camera's keys on every channel it writes (one cut_keys), then per
// channel: replace the shake curve by a new one keyed on every frame, and connect it (a failed
// connection is ignored). Answers the curves made, under the names the host gave them. Other host
// failures propagate; channels done before the failure keep their new curves, the others are left
// cut. Input that compute_camera_keys refuses throws
// std::invalid_argument before the host is called.
ShakeCurves apply_shake_to_camera(Host& host, const std::string& camera, const FrameRecord& shake_data,
                                  const std::vector<Frame>& frames, const ShakeSettings& settings,
                                  const Sample& camera_base, const std::string& camera_mode,
                                  const ChannelAnim& camera_original_anim, const CurvesToReplace& replace = {});

}  // namespace trembla
