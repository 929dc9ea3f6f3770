// Sampling an object's world motion through the host, and displacements from the first frame.
#pragma once

#include <array>
#include <string>

#include "core/records.h"
#include "core/work_progress.h"

namespace trembla {

class Host;

// World translation and rotation of `obj` at `frame`, as the host answers them; leaves the host's
// current time at `frame`.
Sample get_world_transform(Host& host, const std::string& obj, double frame);

// The host's rotation orders, numbered as its rotateOrder attribute numbers them.
enum class RotateOrder { xyz = 0, yzx = 1, zxy = 2, xzy = 3, yxz = 4, zyx = 5 };

// The node's rotateOrder. Throws HostError when the host answers anything but one of the six.
RotateOrder read_rotate_order(Host& host, const std::string& node);

// Euler angles (degrees, X Y Z) of the same orientation as `rotation` that lie nearest to
// `reference`: among the two solutions of `order` ((a, b, c) and (a+180, 180-b, c+180) for the
// middle axis b) and whole turns on each channel, the one with the smallest summed absolute
// difference. The host's own answer wins ties and is kept bit for bit when already nearest.
std::array<double, 3> nearest_euler(const std::array<double, 3>& rotation, const std::array<double, 3>& reference,
                                    RotateOrder order);

// One sample per whole frame from trunc(start_frame) to trunc(end_frame) inclusive; the host's
// current time is put back afterwards (not when sampling fails part way). Rotations are continuous
// in time: the first frame's is the solution nearest to the node's own rotate channels at that
// frame, every later one the solution nearest to the sample before it, so that a node turned past
// 90 degrees or spinning past 180 gives no jumps of the host's decomposition. Throws
// std::invalid_argument, before asking the host anything, when a bound is not finite or does not
// truncate into the int64 frame range. `progress` hears of every frame sampled and may stop the
// sampling there (as a failure part way would).
FrameRecord collect_source_motion(Host& host, const std::string& source_obj, double start_frame,
                                  double end_frame, WorkProgress* progress = nullptr);

// Every sample minus the sample at start_frame; empty when start_frame was not sampled.
FrameRecord calculate_deltas(const FrameRecord& source_data, Frame start_frame);

}  // namespace trembla
