#include "core/sampling.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "core/whole_numbers.h"
#include "scene/host.h"

namespace trembla {
namespace {

// Beyond this the record grows on demand: sampling that many frames through the host takes
// far longer than the growth costs.
constexpr std::uint64_t kMaxReserve = 1u << 20;

Frame whole_frame_bound(double frame, const char* name) {
    if (!std::isfinite(frame)) {
        throw std::invalid_argument(std::string(name) + " must be a finite number");
    }
    if (!detail::truncates_into_frame_range(frame)) {
        throw std::invalid_argument(std::string(name) + " lies outside the range of whole frames");
    }
    return static_cast<Frame>(std::trunc(frame));
}

}  // namespace

Sample get_world_transform(Host& host, const std::string& obj, double frame) {
    host.set_current_time(frame);
    const Vec3 t = host.world_translation(obj);
    const Vec3 r = host.world_rotation(obj);
    return {t[0], t[1], t[2], r[0], r[1], r[2]};
}

FrameRecord collect_source_motion(Host& host, const std::string& source_obj, double start_frame,
                                  double end_frame) {
    // Checked before the host is asked anything, so bad bounds leave the scene alone.
    const Frame first = whole_frame_bound(start_frame, "start_frame");
    const Frame last = whole_frame_bound(end_frame, "end_frame");

    FrameRecord data;
    const double saved_time = host.current_time();
    if (first <= last) {
        const std::uint64_t count = detail::frame_distance(first, last) + 1;  // 0 only on wrap-around
        const auto reserve = static_cast<std::size_t>(count == 0 ? kMaxReserve : std::min(count, kMaxReserve));
        data.frames.reserve(reserve);
        data.samples.reserve(reserve);
        for (Frame frame = first;; ++frame) {
            data.samples.push_back(get_world_transform(host, source_obj, static_cast<double>(frame)));
            data.frames.push_back(frame);
            if (frame == last) {
                break;
            }
        }
    }
    host.set_current_time(saved_time);
    return data;
}

FrameRecord calculate_deltas(const FrameRecord& source_data, Frame start_frame) {
    const Sample* found = find_sample(source_data, start_frame);
    if (found == nullptr) {
        return {};
    }
    const Sample ref = *found;
    const std::size_t count = std::min(source_data.frames.size(), source_data.samples.size());
    FrameRecord deltas;
    deltas.frames.assign(source_data.frames.begin(), source_data.frames.begin() + static_cast<std::ptrdiff_t>(count));
    deltas.samples.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        const Sample& sample = source_data.samples[i];
        Sample delta;
        for (std::size_t k = 0; k < kChannelCount; ++k) {
            delta[k] = sample[k] - ref[k];
        }
        deltas.samples.push_back(delta);
    }
    return deltas;
}

}  // namespace trembla
