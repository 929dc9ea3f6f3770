#include "core/clip_playback.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <stdexcept>
#include <utility>

#include "core/whole_numbers.h"

namespace trembla {
namespace {

// The q of step_percentile that a seam is held to.
constexpr double kSeamPercentile = 0.99;

void check_playable(const ShakeClip& clip) {
    if (std::optional<std::string> problem = clip_problem(clip)) throw std::invalid_argument(*problem);
}

Sample interpolated(const Sample& from, const Sample& to, double fraction) {
    Sample value;
    for (std::size_t k = 0; k < kChannelCount; ++k) value[k] = from[k] + (to[k] - from[k]) * fraction;
    return value;
}

// offset modulo length, counted from the end when negative.
std::uint64_t first_clip_frame(Frame offset, std::uint64_t length) {
    const auto signed_length = static_cast<Frame>(length);
    Frame first = offset % signed_length;
    if (first < 0) first += signed_length;
    return static_cast<std::uint64_t>(first);
}

}  // namespace

ShakeClip resample_clip(const ShakeClip& clip, double frame_rate) {
    check_playable(clip);
    if (!(frame_rate > 0 && frame_rate <= kMaxClipFrameRate)) {
        throw std::invalid_argument("the frame rate must be above 0 and at most 48000 frames per second");
    }
    if (frame_rate == clip.frame_rate) return clip;

    const std::size_t last = clip.length() - 1;
    // Where the clip's last frame falls at the new rate; the new clip ends on the whole frame at or before it.
    const double span = static_cast<double>(last) * frame_rate / clip.frame_rate;
    if (!(span < static_cast<double>(kMaxSampledFrames))) {
        throw std::invalid_argument("the clip at this frame rate would have more than " +
                                    std::to_string(kMaxSampledFrames) + " frames");
    }
    const auto count = static_cast<std::size_t>(std::floor(span)) + 1;

    ShakeClip result{{}, frame_rate, clip.source, clip.date};
    result.displacements.reserve(count);
    for (std::size_t j = 0; j < count; ++j) {
        // Multiplied before divided, as Speed does, so that whole positions land exactly.
        const double at = std::min(static_cast<double>(j) * clip.frame_rate / frame_rate, static_cast<double>(last));
        const double whole = std::floor(at);
        const auto before = static_cast<std::size_t>(whole);
        const double fraction = at - whole;
        const Sample& from = clip.displacements[before];
        result.displacements.push_back(fraction == 0 ? from
                                                     : interpolated(from, clip.displacements[before + 1], fraction));
    }
    return result;
}

LoopSeam loop_seam(const std::vector<Sample>& displacements) {
    LoopSeam seam;
    const std::size_t n = displacements.size();
    if (n < 2) return seam;  // one frame loops as a still clip
    const Sample usual = step_percentile(displacements, kSeamPercentile);
    bool jumps = false;
    double blend = 1;
    for (std::size_t k = 0; k < kChannelCount; ++k) {
        const double last_step = displacements[n - 1][k] - displacements[n - 2][k];
        const double first_step = displacements[1][k] - displacements[0][k];
        const double direct = displacements[0][k] - displacements[n - 1][k];
        const double mean = n > 2 ? (last_step + first_step) / 2 : first_step;
        // A channel that steps from its last frame to its first as it steps elsewhere loops by itself.
        seam.seam_step[k] = std::fabs(direct) <= usual[k] ? direct : std::clamp(mean, -usual[k], usual[k]);
        seam.jump[k] = displacements[n - 1][k] + seam.seam_step[k] - displacements[0][k];
        if (seam.jump[k] == 0) continue;
        jumps = true;
        // Each blended step carries jump / blend_frames more than the clip's own step.
        const double allowed = usual[k] / 2;
        blend = allowed > 0 ? std::max(blend, std::ceil(std::fabs(seam.jump[k]) / allowed)) : static_cast<double>(n);
    }
    if (!jumps) return seam;
    // The fade ends within the pass, so that every seam starts from the clip's own last frame.
    seam.blend_frames = static_cast<std::size_t>(std::min(blend, static_cast<double>(n - 1)));
    return seam;
}

FrameRecord play_clip(const ShakeClip& clip, const std::vector<Frame>& frames, Frame offset) {
    check_playable(clip);
    FrameRecord played;
    if (frames.empty()) return played;

    const std::uint64_t length = clip.length();
    const std::uint64_t first = first_clip_frame(offset, length);
    const Frame start = *std::min_element(frames.begin(), frames.end());
    const Frame highest = *std::max_element(frames.begin(), frames.end());
    // The seam is worked out only when the clip does loop.
    const bool loops = detail::frame_distance(start, highest) >= length - first;
    const LoopSeam seam = loops ? loop_seam(clip.displacements) : LoopSeam{};

    std::vector<std::pair<Frame, Sample>> entries;
    entries.reserve(frames.size());
    for (const Frame frame : frames) {
        const std::uint64_t distance = detail::frame_distance(start, frame);
        const std::uint64_t at = (first + distance % length) % length;
        Sample value = clip.displacements[at];
        if (distance >= length - first && at < seam.blend_frames) {
            const double remaining =
                static_cast<double>(seam.blend_frames - at) / static_cast<double>(seam.blend_frames);
            for (std::size_t k = 0; k < kChannelCount; ++k) value[k] += seam.jump[k] * remaining;
        }
        entries.emplace_back(frame, value);
    }
    return make_frame_record(std::move(entries));
}

Sample step_percentile(const std::vector<Sample>& displacements, double q) {
    Sample result{};
    if (displacements.size() < 2) return result;
    std::vector<double> steps(displacements.size() - 1);
    const auto rank = static_cast<std::size_t>(std::ceil(std::clamp(q, 0.0, 1.0) * static_cast<double>(steps.size())));
    const std::size_t index = rank == 0 ? 0 : std::min(rank, steps.size()) - 1;
    for (std::size_t k = 0; k < kChannelCount; ++k) {
        for (std::size_t i = 1; i < displacements.size(); ++i) {
            steps[i - 1] = std::fabs(displacements[i][k] - displacements[i - 1][k]);
        }
        std::nth_element(steps.begin(), steps.begin() + static_cast<std::ptrdiff_t>(index), steps.end());
        result[k] = steps[index];
    }
    return result;
}

Sample largest_step(const std::vector<Sample>& sequence, std::size_t from, std::size_t to) {
    Sample result{};
    for (std::size_t i = std::max<std::size_t>(from, 1); i < std::min(to, sequence.size()); ++i) {
        for (std::size_t k = 0; k < kChannelCount; ++k) {
            result[k] = std::max(result[k], std::fabs(sequence[i][k] - sequence[i - 1][k]));
        }
    }
    return result;
}

}  // namespace trembla
