#include "core/extraction.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <stdexcept>
#include <string>

#include "core/whole_numbers.h"

namespace trembla {
namespace {

constexpr std::size_t kHalfShakeWindow = static_cast<std::size_t>(kShakeWindow / 2);

double whole_lag(double lag, const char* name) {
    if (!std::isfinite(lag)) {
        throw std::invalid_argument(std::string(name) + " must be a finite number");
    }
    return std::trunc(lag);
}

// delta_data at max(start_frame, frame - lag); a source frame beyond the last whole frame
// cannot have been sampled and reads as zero.
const Sample& lagged_delta(const FrameRecord& delta_data, Frame frame, double lag, Frame start_frame) {
    const detail::ShiftedFrame source = detail::shift_frame_back(frame, lag);
    switch (source.where) {
        case detail::ShiftedFrame::Where::below_range:
            return sample_or_zero(delta_data, start_frame);
        case detail::ShiftedFrame::Where::above_range:
            return kZeroSample;
        case detail::ShiftedFrame::Where::inside:
            break;
    }
    return sample_or_zero(delta_data, std::max(start_frame, source.frame));
}

constexpr std::size_t kRingSize = 16;
static_assert(kRingSize >= static_cast<std::size_t>(kShakeWindow), "the ring must hold a whole window");

// Per channel, the left-to-right sum from 0.0 of the ring's positions [begin, end). Six named
// accumulators stay in registers; an array of sums would go through memory on every addition.
Sample window_sums(const std::array<Sample, kRingSize>& ring, std::size_t begin, std::size_t end) {
    double s0 = 0.0, s1 = 0.0, s2 = 0.0, s3 = 0.0, s4 = 0.0, s5 = 0.0;
    for (std::size_t j = begin; j < end; ++j) {
        const Sample& v = ring[j % kRingSize];
        s0 += v[0];
        s1 += v[1];
        s2 += v[2];
        s3 += v[3];
        s4 += v[4];
        s5 += v[5];
    }
    return {s0, s1, s2, s3, s4, s5};
}

bool strictly_ascending(const std::vector<Frame>& frames) {
    return std::adjacent_find(frames.begin(), frames.end(), [](Frame a, Frame b) { return !(a < b); }) == frames.end();
}

}  // namespace

FrameRecord extract_source_shake(const FrameRecord& delta_data, const std::vector<Frame>& frames, double lag_translate,
                                 double lag_rotate) {
    if (frames.empty()) {
        return {};
    }
    const double lag_t = whole_lag(lag_translate, "lag_translate");
    const double lag_r = whole_lag(lag_rotate, "lag_rotate");
    const Frame start_frame = frames.front();
    const std::size_t count = frames.size();

    // The lagged sample depends only on the frame, so a repeated frame gets the same one. Only
    // the lagged samples of the current window are needed: they live in a small ring.
    std::array<Sample, kRingSize> lagged{};
    std::size_t lagged_until = 0;  // positions [0, lagged_until) have been lagged
    const auto lag_position = [&](std::size_t j) {
        const Sample& delta_t = lagged_delta(delta_data, frames[j], lag_t, start_frame);
        const Sample& delta_r = lagged_delta(delta_data, frames[j], lag_r, start_frame);
        lagged[j % kRingSize] = {delta_t[0], delta_t[1], delta_t[2], delta_r[3], delta_r[4], delta_r[5]};
    };

    std::vector<Sample> shake(count);
    for (std::size_t i = 0; i < count; ++i) {
        // Near an end the window shrinks to the positions that exist on both sides, so that it
        // stays centred: a window cut on one side only would count the source's own travel there
        // as shake. The first and last positions average only themselves.
        const std::size_t half = std::min({kHalfShakeWindow, i, count - 1 - i});
        const std::size_t begin = i - half;
        const std::size_t end = i + half + 1;
        while (lagged_until < end) {
            lag_position(lagged_until++);
        }
        const Sample sums = window_sums(lagged, begin, end);
        const Sample& raw = lagged[i % kRingSize];
        const auto window_size = static_cast<double>(end - begin);
        for (std::size_t k = 0; k < kChannelCount; ++k) {
            shake[i][k] = raw[k] - sums[k] / window_size;
        }
    }

    if (strictly_ascending(frames)) {
        return FrameRecord{frames, std::move(shake)};
    }
    // A frame listed twice keeps the shake of its last position, as map assignment would.
    std::vector<std::pair<Frame, Sample>> entries;
    entries.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        entries.emplace_back(frames[i], shake[i]);
    }
    return make_frame_record(std::move(entries));
}

}  // namespace trembla
