// The shake played faster or slower: a time warp of the extracted shake, before the ranges and
// fades pick where it acts.
#pragma once

#include <vector>

#include "core/records.h"

namespace trembla {

// The speed at which the shake plays as extracted, in percent.
inline constexpr double kNormalSpeed = 100;

// The shake at every frame of `frames` played at `speed` percent: frame f shows `shake_data` at
// start + (f - start) × speed / 100, where start is the lowest frame of `frames`; between two
// whole frames the value is interpolated linearly. Past the highest frame the shake continues from
// start again (after the highest frame comes start), and a negative speed plays it backwards the
// same way. A frame missing from `shake_data` reads as zero, as the offsets read it.
// At kNormalSpeed the record is returned as it is, no value computed again.
// Throws std::invalid_argument "speed must be a finite number" for NaN and infinities.
FrameRecord shake_at_speed(const FrameRecord& shake_data, const std::vector<Frame>& frames, double speed);

}  // namespace trembla
