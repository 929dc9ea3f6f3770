// Sampling an object's world motion through the host, and displacements from the first frame.
#pragma once

#include <string>

#include "core/records.h"

namespace trembla {

class Host;

// World translation and rotation of `obj` at `frame`; leaves the host's current time at `frame`.
Sample get_world_transform(Host& host, const std::string& obj, double frame);

// One sample per whole frame from trunc(start_frame) to trunc(end_frame) inclusive; the host's
// current time is put back afterwards (not when sampling fails part way). Throws
// std::invalid_argument, before asking the host anything, when a bound is not finite or does not
// truncate into the int64 frame range.
FrameRecord collect_source_motion(Host& host, const std::string& source_obj, double start_frame,
                                  double end_frame);

// Every sample minus the sample at start_frame; empty when start_frame was not sampled.
FrameRecord calculate_deltas(const FrameRecord& source_data, Frame start_frame);

}  // namespace trembla
