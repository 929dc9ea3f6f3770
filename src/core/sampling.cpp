#include "core/sampling.h"

#include <algorithm>
#include <cmath>

namespace trembla {
namespace {

constexpr double kHalfTurn = 180.0;
constexpr double kTurn = 360.0;

// value moved by whole turns to lie within half a turn of reference; untouched when it already
// does (so the host's answer survives bit for bit) or when the arithmetic cannot be trusted.
double nearest_turn(double value, double reference) {
    const double diff = reference - value;
    if (!(std::fabs(diff) > kHalfTurn)) {
        return value;
    }
    const double turns = std::nearbyint(diff / kTurn);
    const double moved = value + kTurn * turns;
    return std::isfinite(moved) ? moved : value;
}

// The channel (0 = X, 1 = Y, 2 = Z) of the middle rotation of each order.
std::size_t middle_axis(RotateOrder order) {
    switch (order) {
        case RotateOrder::zxy:
        case RotateOrder::yxz:
            return 0;
        case RotateOrder::xyz:
        case RotateOrder::zyx:
            return 1;
        case RotateOrder::yzx:
        case RotateOrder::xzy:
            return 2;
    }
    return 1;
}

double distance(const std::array<double, 3>& a, const std::array<double, 3>& b) {
    return std::fabs(a[0] - b[0]) + std::fabs(a[1] - b[1]) + std::fabs(a[2] - b[2]);
}

}  // namespace

std::array<double, 3> nearest_euler(const std::array<double, 3>& rotation, const std::array<double, 3>& reference,
                                    RotateOrder order) {
    const std::size_t middle = middle_axis(order);
    std::array<double, 3> same;
    std::array<double, 3> other;
    for (std::size_t k = 0; k < 3; ++k) {
        same[k] = nearest_turn(rotation[k], reference[k]);
        other[k] = nearest_turn(k == middle ? kHalfTurn - rotation[k] : rotation[k] + kHalfTurn, reference[k]);
    }
    // Strictly nearer only: an equal distance (and a NaN anywhere) keeps the host's solution.
    return distance(other, reference) < distance(same, reference) ? other : same;
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
