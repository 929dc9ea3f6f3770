#include "core/smoothing.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <sstream>
#include <stdexcept>
#include <string>

#include "core/whole_numbers.h"

namespace trembla {
namespace {

constexpr double kHalfTurn = 180.0;
constexpr double kTurn = 360.0;
constexpr double kSmoothingScale = 20.0;
constexpr double kMaxSmoothing = 100.0;
constexpr double kNeutralAxisSetting = 100.0;

// A value that needs more single turns than this after fast-forwarding would keep the plain
// loop busy for hours; it is refused instead.
constexpr int kMaxSingleTurns = 1 << 16;
// Turns taken by the plain loop before a long run is worked out.
constexpr int kPlainTurns = 32;
// Fast-forwarding stays below this many turns at once so that turns * 360 is an exact double.
constexpr double kMaxTurnsAtOnce = 140737488355328.0;  // 2^47
// Turns are exact steps only while the value's spacing divides 360, that is below 2^56.
constexpr int kMaxExactExponent = 56;

std::string describe(double value) {
    std::ostringstream out;
    out.precision(17);
    out << value;
    return out.str();
}

[[noreturn]] void throw_cannot_unwrap(double value, std::size_t position) {
    throw std::invalid_argument("cannot unwrap the angle " + describe(value) + " at position " +
                                std::to_string(position) +
                                ": angles must be finite numbers of degrees of moderate size");
}

// How many whole turns can be taken in one go, each bit-identical to a single `curr -= 360`
// (Down) or `curr += 360` (Up) of the loop, with the loop condition certainly still true before
// every one of them. Zero when the next turn must be taken on its own.
template <bool Down>
double turns_at_once(double curr, double diff) {
    // The condition must still hold before the last turn, whatever the rounding of diff and of
    // this estimate; the margin is far above both.
    const double remaining = Down ? diff : -diff;
    const double margin = 1.0 + std::fabs(diff) * 0x1p-45;
    const double by_condition = std::fmin(std::floor((remaining - margin) / kTurn), kMaxTurnsAtOnce);
    if (!(by_condition >= 1.0)) {
        return 0.0;
    }
    // Exactness: with 2^(exponent-1) <= |curr| < 2^exponent, curr is a whole number of units
    // 2^(exponent-53). While that unit divides 360, every curr -/+ 360 j that stays inside
    // (-2^exponent, 2^exponent) is a whole number of units below 2^53: an exact double. Leaving
    // that interval rounds, so the turn that leaves it is taken on its own.
    int exponent = 0;
    std::frexp(curr, &exponent);
    if (exponent < 1 || exponent > kMaxExactExponent) {
        return 0.0;  // below 1 there is no room for a turn anyway
    }
    const int shift = 53 - exponent;
    const auto units = static_cast<std::int64_t>(std::ldexp(curr, shift));
    const std::int64_t turn_units = shift >= 0 ? std::int64_t{360} << shift : std::int64_t{360} >> -shift;
    const std::int64_t limit = std::int64_t{1} << 53;
    const std::int64_t room = Down ? units + limit : limit - units;
    const auto by_exactness = static_cast<double>((room - 1) / turn_units);
    const double turns = std::fmin(by_condition, by_exactness);
    return turns >= 1.0 ? turns : 0.0;
}

// Upward turns of a value far below its target, where each turn leaves the value larger than the
// last: `while (curr - prev < -180) curr += 360`, from curr >= kClimbFrom, for 0 < prev < 2^50.
// Such a climb rounds its value once in every binade it enters, and only there: inside a binade
// [2^(e-1), 2^e), whose spacing divides 360, every turn is exact, and 360 is less than a binade above
// kClimbFrom, so none is skipped. Entering a binade adds exactly half the new spacing or nothing, so
// the rounding is to even, and below 2^54 (spacing 4 at most) whole turns keep that tie's parity: the
// turns and the roundings commute. After m turns the loop holds the value rounded once per binade
// entered, plus 360 m, each step an exact double operation.
constexpr double kClimbFrom = 1024.0;
constexpr double kClimbBelow = 1125899906842624.0;  // 2^50

// The smallest power of two above `value`, a positive normal double.
double binade_top(double value) {
    std::uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    bits = (bits & 0xFFF0000000000000u) + 0x0010000000000000u;  // drop the fraction, double the power
    double top = 0;
    std::memcpy(&top, &bits, sizeof top);
    return top;
}

// curr after `turns` (a whole number of turns, in degrees) of the climb; curr lies in [top / 2, top).
double climbed(double curr, double top, double turns) {
    double rounded = curr;
    while (rounded + turns >= top) {
        // Entering [top, 2 top): to a multiple of that binade's spacing, half to even.
        rounded = (rounded + top) - top;
        top *= 2;
    }
    return rounded + turns;
}

double climb(double prev, double curr) {
    const double top = binade_top(curr);
    const auto close_enough = [&](double turns) { return !(climbed(curr, top, kTurn * turns) - prev < -kHalfTurn); };
    // Within a turn of the answer; the loop's own test decides the last step either way.
    double turns = std::fmax(1.0, std::ceil((prev - kHalfTurn - curr) / kTurn));
    while (!close_enough(turns)) {
        turns += 1.0;
    }
    while (turns > 1.0 && close_enough(turns - 1.0)) {
        turns -= 1.0;
    }
    return climbed(curr, top, kTurn * turns);
}

// The reference loop for one direction: while (diff > 180) { curr -= 360; diff = curr - prev; }
// (Down), or while (diff < -180) { curr += 360; ... } (Up). Long runs of turns are taken at once
// where that is provably the same arithmetic.
template <bool Down>
double turn_while_too_far(double prev, double curr, std::size_t position) {
    double diff = curr - prev;
    // A few turns are cheapest one at a time; working out a long run only pays beyond that.
    for (int i = 0; i < kPlainTurns && (Down ? diff > kHalfTurn : diff < -kHalfTurn); ++i) {
        curr = Down ? curr - kTurn : curr + kTurn;
        diff = curr - prev;
    }
    if (!(Down ? diff > kHalfTurn : diff < -kHalfTurn)) {
        return curr;
    }
    // A value climbing away from zero (a camera spinning on); downwards it is the mirror image.
    const double up_prev = Down ? -prev : prev;
    const double up_curr = Down ? -curr : curr;
    if (up_curr >= kClimbFrom && up_prev < kClimbBelow) {
        const double reached = climb(up_prev, up_curr);
        return Down ? -reached : reached;
    }
    int single_turns = 0;
    while (Down ? diff > kHalfTurn : diff < -kHalfTurn) {
        if (!std::isfinite(diff)) {
            throw_cannot_unwrap(curr, position);  // an infinite difference never shrinks
        }
        const double turns = turns_at_once<Down>(curr, diff);
        if (turns >= 1.0) {
            curr = Down ? curr - kTurn * turns : curr + kTurn * turns;
        } else {
            const double next = Down ? curr - kTurn : curr + kTurn;
            if (next == curr || ++single_turns > kMaxSingleTurns) {
                throw_cannot_unwrap(curr, position);
            }
            curr = next;
        }
        diff = curr - prev;
    }
    return curr;
}

void unwrap_into(const double* values, std::size_t count, std::vector<double>& out) {
    out.clear();
    if (count == 0) {
        return;
    }
    out.push_back(values[0]);
    for (std::size_t i = 1; i < count; ++i) {
        const double prev = out.back();
        double curr = turn_while_too_far<true>(prev, values[i], i);
        curr = turn_while_too_far<false>(prev, curr, i);
        out.push_back(curr);
    }
}

// Full interior windows of `length` values for the positions first .. first + kLanes - 1, summed
// side by side. Each lane still adds its own window left to right from 0.0, so the sums are the
// same as one window at a time; the lanes only let the additions overlap.
constexpr std::size_t kLanes = 4;

void full_windows(const double* window_start, std::size_t length, double* out) {
    double sums[kLanes] = {};
    for (std::size_t j = 0; j < length; ++j) {
        for (std::size_t lane = 0; lane < kLanes; ++lane) {
            sums[lane] += window_start[j + lane];
        }
    }
    const auto divisor = static_cast<double>(length);
    for (std::size_t lane = 0; lane < kLanes; ++lane) {
        out[lane] = sums[lane] / divisor;
    }
}

// Centred mean over positions [i - half, i + half]. Near an end the window shrinks to the
// positions that exist on both sides, so it stays centred on i (the first and last positions
// average only themselves): a window cut on one side only would pull the ends towards the
// inside, off the curve's own path. Each window is summed from scratch, left to right, starting
// at 0.0; windows that start at position 0 share one left-to-right sum, which performs exactly
// the same additions.
void centred_average(const double* values, std::size_t count, std::uint64_t half, double* out) {
    double prefix_sum = 0.0;
    std::size_t prefix_end = 0;
    for (std::size_t i = 0; i < count;) {
        const std::size_t start = i > half ? i - static_cast<std::size_t>(half) : 0;
        const bool block_is_interior = start > 0 && count - i >= kLanes + half;  // then half < count
        if (block_is_interior) {
            full_windows(values + start, 2 * static_cast<std::size_t>(half) + 1, out + i);
            i += kLanes;
            continue;
        }
        const auto reach = static_cast<std::size_t>(std::min<std::uint64_t>(half, std::min(i, count - 1 - i)));
        const std::size_t first = i - reach;
        const std::size_t end = i + reach + 1;
        double sum = 0.0;
        if (first == 0) {
            while (prefix_end < end) {
                prefix_sum += values[prefix_end++];
            }
            sum = prefix_sum;
        } else {
            for (std::size_t j = first; j < end; ++j) {
                sum += values[j];
            }
        }
        out[i] = sum / static_cast<double>(end - first);
        ++i;
    }
}

[[noreturn]] void throw_too_few_values(const char* record, const std::string& name, std::size_t held,
                                       std::size_t frames) {
    throw std::invalid_argument(std::string(record) + "['" + name + "'] holds " + std::to_string(held) +
                                " values but there are " + std::to_string(frames) +
                                " frames; every channel needs one value per frame");
}

// One channel of smooth_camera_anim with smoothing > 0. `record` names the input in messages.
std::vector<double> smooth_series(const std::string& name, const std::vector<double>& values, std::size_t frame_count,
                                  const SmoothingWindow& window, const char* record,
                                  std::vector<double>& unwrap_buffer) {
    if (values.size() < frame_count) {
        throw_too_few_values(record, name, values.size(), frame_count);
    }
    const double* source = values.data();
    if (is_rotate_channel(name)) {
        unwrap_into(values.data(), frame_count, unwrap_buffer);
        source = unwrap_buffer.data();
    }
    std::vector<double> smoothed(frame_count);
    centred_average(source, frame_count, static_cast<std::uint64_t>(window.half_window), smoothed.data());
    return smoothed;
}

ChannelAnim smooth_record(const ChannelAnim& anim, const std::vector<Frame>& frames, double smoothing,
                          const char* record) {
    if (smoothing <= 0) {
        return anim;
    }
    const SmoothingWindow window = smoothing_window(smoothing);
    ChannelAnim result;
    result.reserve(anim.size());
    std::vector<double> unwrap_buffer;
    unwrap_buffer.reserve(frames.size());
    for (const ChannelSeries& series : anim) {
        result.push_back(
            {series.name, smooth_series(series.name, series.values, frames.size(), window, record, unwrap_buffer)});
    }
    return result;
}

double axis_setting(const std::string& name, const AxisTriple& trans_axis_mult, const AxisTriple& rot_axis_mult) {
    for (std::size_t k = 0; k < kChannelCount; ++k) {
        if (name == kChannels[k]) {
            return k < 3 ? trans_axis_mult[k] : rot_axis_mult[k - 3];
        }
    }
    return kNeutralAxisSetting;
}

}  // namespace

std::vector<double> unwrap_angles(const std::vector<double>& values) {
    std::vector<double> out;
    out.reserve(values.size());
    unwrap_into(values.data(), values.size(), out);
    return out;
}

SmoothingWindow smoothing_window(double smoothing) {
    if (!std::isfinite(smoothing)) {
        throw std::invalid_argument("smoothing must be a finite number");
    }
    SmoothingWindow result;
    result.window = detail::truncate_saturating(smoothing / 100.0 * kSmoothingScale + 1, "smoothing");
    // Floor division, also for the negative windows of negative settings.
    result.half_window = result.window / 2;
    if (result.window < 0 && result.window % 2 != 0) {
        --result.half_window;
    }
    return result;
}

ChannelAnim smooth_camera_anim(const ChannelAnim& camera_original_anim, const std::vector<Frame>& frames,
                               double smoothing) {
    return smooth_record(camera_original_anim, frames, smoothing, "camera_original_anim");
}

ChannelAnim smooth_camera_anim_per_axis(const ChannelAnim& original_anim, const ChannelAnim& base_smoothed_anim,
                                        const std::vector<Frame>& frames, double base_smoothing,
                                        const AxisTriple& trans_axis_mult, const AxisTriple& rot_axis_mult) {
    if (original_anim.empty() || base_smoothing <= 0) {
        return base_smoothed_anim;
    }
    // min(base * 2, 100) as Python's min: a NaN stays NaN and is refused when it is used.
    const double doubled = base_smoothing * 2;
    const double extra_smoothing = kMaxSmoothing < doubled ? kMaxSmoothing : doubled;

    ChannelAnim result;
    result.reserve(base_smoothed_anim.size());
    std::vector<double> unwrap_buffer;
    for (const ChannelSeries& base : base_smoothed_anim) {
        const double axis_mult = axis_setting(base.name, trans_axis_mult, rot_axis_mult) / 100.0;
        if (axis_mult >= 1.0) {
            result.push_back(base);
            continue;
        }
        // The extra smoothing starts again from the camera's own animation.
        const std::vector<double>* own = find_channel(original_anim, base.name);
        const char* own_record = own != nullptr ? "original_anim" : "base_smoothed_anim";
        if (own == nullptr) {
            own = &base.values;
        }
        std::vector<double> extra =
            smooth_series(base.name, *own, frames.size(), smoothing_window(extra_smoothing), own_record, unwrap_buffer);
        if (axis_mult <= 0.0) {
            result.push_back({base.name, std::move(extra)});
            continue;
        }
        if (base.values.size() > extra.size()) {
            throw std::invalid_argument("base_smoothed_anim['" + base.name + "'] holds " +
                                        std::to_string(base.values.size()) + " values, more than the " +
                                        std::to_string(extra.size()) +
                                        " frames it is blended over; every channel needs one value per frame");
        }
        std::vector<double> blended;
        blended.reserve(base.values.size());
        const double extra_share = 1 - axis_mult;
        for (std::size_t i = 0; i < base.values.size(); ++i) {
            blended.push_back(base.values[i] * axis_mult + extra[i] * extra_share);
        }
        result.push_back({base.name, std::move(blended)});
    }
    return result;
}

}  // namespace trembla
