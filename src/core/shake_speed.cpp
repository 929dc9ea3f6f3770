#include "core/shake_speed.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <stdexcept>
#include <utility>

#include "core/whole_numbers.h"

namespace trembla {

FrameRecord shake_at_speed(const FrameRecord& shake_data, const std::vector<Frame>& frames, double speed) {
    if (!std::isfinite(speed)) throw std::invalid_argument("speed must be a finite number");
    // The normal speed reads every frame where it stands: nothing is interpolated, so every value
    // stays the extracted one to the last bit.
    if (speed == kNormalSpeed || frames.empty()) return shake_data;

    const auto [lowest, highest] = std::minmax_element(frames.begin(), frames.end());
    const Frame start = *lowest;
    // Distances from start are taken unsigned: frames from scripts may span more than INT64_MAX.
    const std::uint64_t last = detail::frame_distance(start, *highest);
    const double length = static_cast<double>(last) + 1.0;
    const auto frame_at = [start](std::uint64_t distance) {
        return static_cast<Frame>(static_cast<std::uint64_t>(start) + distance);
    };

    std::vector<std::pair<Frame, Sample>> entries;
    entries.reserve(frames.size());
    for (const Frame frame : frames) {
        // Multiplied before divided, so that whole and half steps land exactly on frames and midpoints.
        double at = std::fmod(static_cast<double>(detail::frame_distance(start, frame)) * speed / 100.0, length);
        if (at < 0) at += length;
        if (!(at < length)) at = 0;  // a negative speed's rounding can land on the length itself
        const double whole = std::floor(at);
        const std::uint64_t before = std::min(static_cast<std::uint64_t>(whole), last);
        const double fraction = at - whole;
        const Sample& from = sample_or_zero(shake_data, frame_at(before));
        if (fraction == 0) {
            entries.emplace_back(frame, from);
            continue;
        }
        const Sample& to = sample_or_zero(shake_data, frame_at(before == last ? 0 : before + 1));
        Sample value;
        for (std::size_t k = 0; k < kChannelCount; ++k) value[k] = from[k] + (to[k] - from[k]) * fraction;
        entries.emplace_back(frame, value);
    }
    return make_frame_record(std::move(entries));
}

}  // namespace trembla
