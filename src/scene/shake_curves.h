// Writing the shake onto the camera: one freshly keyed, connected curve per enabled channel.
#pragma once

#include <string>
#include <vector>

#include "core/apply.h"
#include "core/records.h"

namespace trembla {

class Host;

// Which curves an application replaces: the one under shake_curve_name on each channel (anyone's),
// or only those a preparation made itself, as named in `made` (a channel with no name there has
// none: a node under the wanted name then belongs to another camera of the same short name).
struct CurvesToReplace {
    bool own_only = false;
    ShakeCurves made;
    // Where each channel's curve connects; empty: the camera's channel itself. A channel in
    // animation layers is not cut (the host would cut a layer's keys there).
    ShakeCurves targets;
};

// The host half of apply_shake_to_camera, for keys computed beforehand: cuts the camera's keys on
// every channel it writes (one cut_keys), then per channel replaces the shake curve by a new one
// keyed on every frame and connects it (a failed connection is ignored). Answers the curves made,
// under the names the host gave them. Other host failures propagate; channels done before the
// failure keep their new curves, the others are left cut.
ShakeCurves key_shake_curves(Host& host, const std::string& camera, const std::vector<ChannelKeys>& keys,
                             const std::vector<Frame>& frames, const CurvesToReplace& replace = {});

// What key_offset_curves adds each channel's shake to: the plug each blend drives (empty: the
// camera's channel), the blend already made (ours, found in the scene; empty: one is made), the curves of
// ours it replaces, and for a new blend its inputA: the own curve, else the value `still` holds.
struct OffsetTargets {
    ShakeCurves targets;
    ShakeCurves blends;
    ShakeCurves made;
    ShakeCurves own;
    Sample still{};
};
struct OffsetCurves {
    ShakeCurves curves;
    ShakeCurves blends;
};

// Keys the shake as an offset added to each channel's own animation: per channel in `offsets`
// (one value per frame), a new curve keyed on every frame and on the frames just outside them
// with 0, held at 0 outside the frames at every time between (stepped before the first frame,
// stepped to the next key after the last), connected to the inputB of the channel's blend node
// (animBlendNodeAdditiveDL / DA, made once with the own curve on its inputA, its output driving
// the target). Nothing is cut: the own curve keeps driving, through the blend. Host failures
// propagate; channels done before keep their new curves.
OffsetCurves key_offset_curves(Host& host, const std::string& camera, const std::vector<ChannelKeys>& offsets,
                               const std::vector<Frame>& frames, const OffsetTargets& on);

// Computes the keys and writes them as key_shake_curves does. Input that compute_camera_keys refuses throws
// std::invalid_argument before the host is called.
ShakeCurves apply_shake_to_camera(Host& host, const std::string& camera, const FrameRecord& shake_data,
                                  const std::vector<Frame>& frames, const ShakeSettings& settings,
                                  const Sample& camera_base, CameraMode camera_mode,
                                  const ChannelAnim& camera_original_anim, const CurvesToReplace& replace = {});

}  // namespace trembla
