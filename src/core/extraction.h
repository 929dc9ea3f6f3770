// The shake: the source's lagged displacement minus its own 11-frame centred average (narrower,
// still centred, within five positions of either end of the frame list).
#pragma once

#include <vector>

#include "core/records.h"

namespace trembla {

inline constexpr long long kShakeWindow = 11;

// One entry per frame of `frames` (empty when `frames` is empty). Lags are truncated toward zero;
// translation (0-2) and rotation (3-5) are delayed separately; missing deltas read as zero.
// A lag reaching before frames[0] reads frames[0]; one beyond the int64 range reads nothing.
// Throws std::invalid_argument when `frames` is not empty and a lag is NaN or infinite.
// `frames` need not be ascending or unique: a repeated frame keeps the shake of its last position.
FrameRecord extract_source_shake(const FrameRecord& delta_data, const std::vector<Frame>& frames, double lag_translate,
                                 double lag_rotate);

}  // namespace trembla
