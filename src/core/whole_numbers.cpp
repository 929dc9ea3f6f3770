#include "core/whole_numbers.h"

#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>

namespace trembla::detail {
namespace {

constexpr double kTwoPow63 = 9223372036854775808.0;
constexpr double kTwoPow64 = 18446744073709551616.0;
constexpr std::uint64_t kSignBit = std::uint64_t{1} << 63;

// Frames mapped monotonically onto [0, 2^64) so that shifts become unsigned arithmetic.
std::uint64_t to_offset(Frame frame) {
    if (frame >= 0) {
        return static_cast<std::uint64_t>(frame) + kSignBit;
    }
    return static_cast<std::uint64_t>(frame - std::numeric_limits<Frame>::min());
}

Frame from_offset(std::uint64_t offset) {
    if (offset >= kSignBit) {
        return static_cast<Frame>(offset - kSignBit);
    }
    return static_cast<Frame>(offset) + std::numeric_limits<Frame>::min();
}

}  // namespace

std::int64_t truncate_saturating(double value, const char* name) {
    if (!std::isfinite(value)) {
        throw std::invalid_argument(std::string(name) + " must be a finite number");
    }
    const double whole = std::trunc(value);
    if (whole >= kTwoPow63) {
        return std::numeric_limits<std::int64_t>::max();
    }
    if (whole < -kTwoPow63) {
        return std::numeric_limits<std::int64_t>::min();
    }
    return static_cast<std::int64_t>(whole);
}

bool truncates_into_frame_range(double value) {
    const double whole = std::trunc(value);
    return whole >= -kTwoPow63 && whole < kTwoPow63;
}

bool distance_less_than(std::uint64_t distance, double value) {
    if (std::isnan(value) || value <= 0) {
        return false;
    }
    if (value >= kTwoPow64) {
        return true;
    }
    const double floor_value = std::floor(value);
    const auto whole = static_cast<std::uint64_t>(floor_value);
    // distance < value  <=>  distance < floor(value), or equal to it with a fractional rest.
    return distance < whole || (distance == whole && value != floor_value);
}

ShiftedFrame shift_frame_back(Frame frame, double whole_offset) {
    const std::uint64_t offset = to_offset(frame);
    if (whole_offset >= 0) {
        if (whole_offset >= kTwoPow64) {
            return {ShiftedFrame::Where::below_range, 0};
        }
        const auto distance = static_cast<std::uint64_t>(whole_offset);
        if (offset < distance) {
            return {ShiftedFrame::Where::below_range, 0};
        }
        return {ShiftedFrame::Where::inside, from_offset(offset - distance)};
    }
    const double forward = -whole_offset;
    if (forward >= kTwoPow64) {
        return {ShiftedFrame::Where::above_range, 0};
    }
    const auto distance = static_cast<std::uint64_t>(forward);
    if (distance > std::numeric_limits<std::uint64_t>::max() - offset) {
        return {ShiftedFrame::Where::above_range, 0};
    }
    return {ShiftedFrame::Where::inside, from_offset(offset + distance)};
}

}  // namespace trembla::detail

namespace trembla {

bool is_whole_frame(double value) {
    return std::isfinite(value) && std::trunc(value) == value && detail::truncates_into_frame_range(value);
}

}  // namespace trembla
