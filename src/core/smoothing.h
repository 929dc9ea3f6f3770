// Angle unwrapping and the moving-average smoothing of the camera's own animation.
#pragma once

#include <vector>

#include "core/records.h"

namespace trembla {

// Makes a rotation curve continuous: each value moves by whole turns of 360 so that consecutive
// values differ by at most 180 (a step of exactly 180 is kept).
// Throws std::invalid_argument for an angle that turns cannot bring within 180 degrees of its
// predecessor: infinite, or so large (beyond about 2^56) that turning would not end.
std::vector<double> unwrap_angles(const std::vector<double>& values);

// Moving-average window for a 0-100 smoothing setting: trunc(smoothing / 100 * 20 + 1), saturated
// at the int64 limits; half_window is window // 2 (floor). Throws std::invalid_argument when
// smoothing is not finite.
struct SmoothingWindow {
    long long window = 1;
    long long half_window = 0;
};
SmoothingWindow smoothing_window(double smoothing);

// Centred moving average over list positions (near the ends, narrower and still centred: the
// first and last positions keep their own values); rotation channels are unwrapped first. smoothing <= 0 (including -inf) returns the record unchanged.
// Throws std::invalid_argument when a channel holds fewer values than there are frames, or when
// smoothing is NaN or +inf.
ChannelAnim smooth_camera_anim(const ChannelAnim& camera_original_anim, const std::vector<Frame>& frames,
                               double smoothing);

// Relax: per channel, blends the base smoothing with twice the smoothing (capped at 100) of the
// camera's own animation, by the channel's axis setting. Returns base_smoothed_anim unchanged when
// original_anim is empty or base_smoothing <= 0.
// Throws std::invalid_argument when a list is too short for the blend.
ChannelAnim smooth_camera_anim_per_axis(const ChannelAnim& original_anim, const ChannelAnim& base_smoothed_anim,
                                        const std::vector<Frame>& frames, double base_smoothing,
                                        const AxisTriple& trans_axis_mult, const AxisTriple& rot_axis_mult);

}  // namespace trembla
