// The shake: the source's lagged displacement minus its own 11-frame centred average.
#pragma once

#include <vector>

#include "core/records.h"

namespace trembla {

inline constexpr long long kShakeWindow = 11;

// One entry per frame of `frames` (empty when `frames` is empty). Lags are truncated toward zero;
// translation (0-2) and rotation (3-5) are delayed separately; missing deltas read as zero.
FrameRecord extract_source_shake(const FrameRecord& delta_data, const std::vector<Frame>& frames,
                                 double lag_translate, double lag_rotate);

}  // namespace trembla
