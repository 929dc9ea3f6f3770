#include "scene/source_motion.h"

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

RotateOrder read_rotate_order(Host& host, const std::string& node) {
    const double answer = host.get_attr(node + ".rotateOrder");
    for (const RotateOrder order :
         {RotateOrder::xyz, RotateOrder::yzx, RotateOrder::zxy, RotateOrder::xzy, RotateOrder::yxz, RotateOrder::zyx}) {
        if (answer == static_cast<double>(order)) {
            return order;
        }
    }
    throw HostError("the rotateOrder of " + node + " is not one of the host's six rotation orders");
}

FrameRecord collect_source_motion(Host& host, const std::string& source_obj, double start_frame, double end_frame,
                                  WorkProgress* progress) {
    // Checked before the host is asked anything, so bad bounds leave the scene alone.
    const Frame first = whole_frame_bound(start_frame, "start_frame");
    const Frame last = whole_frame_bound(end_frame, "end_frame");

    FrameRecord data;
    const double saved_time = host.current_time();
    if (first <= last) {
        const RotateOrder order = read_rotate_order(host, source_obj);
        const std::uint64_t count = detail::frame_distance(first, last) + 1;  // 0 only on wrap-around
        const auto reserve = static_cast<std::size_t>(count == 0 ? kMaxReserve : std::min(count, kMaxReserve));
        data.frames.reserve(reserve);
        data.samples.reserve(reserve);
        std::array<double, 3> reference{};
        for (Frame frame = first;; ++frame) {
            Sample sample = get_world_transform(host, source_obj, static_cast<double>(frame));
            if (frame == first) {
                // The node's own channels: a top-level node's samples then equal its rotate values.
                reference = {host.get_attr(source_obj + ".rotateX"), host.get_attr(source_obj + ".rotateY"),
                             host.get_attr(source_obj + ".rotateZ")};
            }
            const std::array<double, 3> rotation = nearest_euler({sample[3], sample[4], sample[5]}, reference, order);
            sample[3] = rotation[0];
            sample[4] = rotation[1];
            sample[5] = rotation[2];
            reference = rotation;
            data.samples.push_back(sample);
            data.frames.push_back(frame);
            advance(progress);
            if (frame == last) {
                break;
            }
        }
    }
    host.set_current_time(saved_time);
    return data;
}

}  // namespace trembla
