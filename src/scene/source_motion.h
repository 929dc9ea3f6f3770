// Sampling an object's world motion through the host.
#pragma once

#include <string>

#include "core/records.h"
#include "core/sampling.h"
#include "core/work_progress.h"

namespace trembla {

class Host;

// World translation and rotation of `obj` at `frame`, as the host answers them; leaves the host's
// current time at `frame`.
Sample get_world_transform(Host& host, const std::string& obj, double frame);

// The node's rotateOrder. Throws HostError when the host answers anything but one of the six.
RotateOrder read_rotate_order(Host& host, const std::string& node);

// One sample per whole frame from trunc(start_frame) to trunc(end_frame) inclusive; the host's
// current time is put back afterwards (not when sampling fails part way). Rotations are continuous
// in time: the first frame's is the solution nearest to the node's own rotate channels at that
// frame, every later one the solution nearest to the sample before it, so that a node turned past
// 90 degrees or spinning past 180 gives no jumps of the host's decomposition. Throws
// std::invalid_argument, before asking the host anything, when a bound is not finite or does not
// truncate into the int64 frame range. `progress` hears of every frame sampled and may stop the
// sampling there (as a failure part way would).
FrameRecord collect_source_motion(Host& host, const std::string& source_obj, double start_frame, double end_frame,
                                  WorkProgress* progress = nullptr);

}  // namespace trembla
