// The arithmetic of sampled motion: the Euler solution nearest a reference, displacements from the
// first frame. Sampling itself goes through the host (scene/source_motion.h).
#pragma once

#include <array>

#include "core/records.h"

namespace trembla {

// The host's rotation orders, numbered as its rotateOrder attribute numbers them.
enum class RotateOrder { xyz = 0, yzx = 1, zxy = 2, xzy = 3, yxz = 4, zyx = 5 };

// Euler angles (degrees, X Y Z) of the same orientation as `rotation` that lie nearest to
// `reference`: among the two solutions of `order` ((a, b, c) and (a+180, 180-b, c+180) for the
// middle axis b) and whole turns on each channel, the one with the smallest summed absolute
// difference. The host's own answer wins ties and is kept bit for bit when already nearest.
std::array<double, 3> nearest_euler(const std::array<double, 3>& rotation, const std::array<double, 3>& reference,
                                    RotateOrder order);

// Every sample minus the sample at start_frame; empty when start_frame was not sampled.
FrameRecord calculate_deltas(const FrameRecord& source_data, Frame start_frame);

}  // namespace trembla
