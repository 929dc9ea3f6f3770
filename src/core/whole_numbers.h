// Whole-number arithmetic on frames that never overflows: the numbers arrive from scripts and can
// be anything a double can hold, while frames are 64-bit. The detail functions serve the core and
// the scene's sampling bounds.
#pragma once

#include <cstdint>
#include "core/records.h"

namespace trembla {

// True when `value` is finite, whole and inside the int64 frame range (2^63 itself is just
// outside), so that it converts to a Frame exactly.
bool is_whole_frame(double value);

}  // namespace trembla

namespace trembla::detail {

// trunc(value) as a 64-bit integer, saturated at the int64 limits.
// Throws std::invalid_argument "<name> must be a finite number" for NaN and infinities.
std::int64_t truncate_saturating(double value, const char* name);

// True when the double `value` (already finite) truncates to a whole number inside the int64 range.
bool truncates_into_frame_range(double value);

// distance < value, compared exactly (no rounding of the distance); false when value is NaN.
bool distance_less_than(std::uint64_t distance, double value);

// frame - whole_offset, computed exactly; `whole_offset` must be a whole number (a truncated double).
struct ShiftedFrame {
    enum class Where { below_range, inside, above_range };
    Where where = Where::inside;
    Frame frame = 0;  // valid when where == inside
};
ShiftedFrame shift_frame_back(Frame frame, double whole_offset);

// later - earlier for earlier <= later, exactly (the difference can exceed INT64_MAX).
inline std::uint64_t frame_distance(Frame earlier, Frame later) {
    return static_cast<std::uint64_t>(later) - static_cast<std::uint64_t>(earlier);
}

}  // namespace trembla::detail
