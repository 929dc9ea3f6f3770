#include "core/shake_clip.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <utility>

#include "core/whole_numbers.h"

namespace trembla {
namespace {

constexpr std::uint64_t kFnvOffset = 0xcbf29ce484222325ULL;
constexpr std::uint64_t kFnvPrime = 0x100000001b3ULL;

void hash_bytes(std::uint64_t& hash, std::uint64_t value) {
    for (int i = 0; i < 8; ++i) {
        hash ^= (value >> (8 * i)) & 0xffU;
        hash *= kFnvPrime;
    }
}

void hash_double(std::uint64_t& hash, double value) {
    if (value == 0) value = 0;  // -0 is the same displacement as +0
    std::uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    hash_bytes(hash, bits);
}

}  // namespace

std::optional<std::string> clip_problem(const ShakeClip& clip) {
    if (clip.displacements.empty()) return std::string("the clip has no frames");
    if (clip.length() > static_cast<std::size_t>(kMaxSampledFrames)) {
        return "the clip has " + std::to_string(clip.length()) + " frames, more than " +
               std::to_string(kMaxSampledFrames);
    }
    if (!(clip.frame_rate > 0 && clip.frame_rate <= kMaxClipFrameRate)) {
        return std::string("the clip's frame rate must be above 0 and at most 48000 frames per second");
    }
    for (const Sample& sample : clip.displacements) {
        for (const double value : sample) {
            if (!std::isfinite(value)) return std::string("the clip holds a displacement that is not a finite number");
        }
    }
    return std::nullopt;
}

ShakeClip clip_from_displacements(const FrameRecord& displacements, Frame first, Frame last, double frame_rate,
                                  std::string source, std::string date) {
    if (last < first || detail::frame_distance(first, last) >= static_cast<std::uint64_t>(kMaxSampledFrames)) {
        throw std::invalid_argument("a clip spans from 1 to " + std::to_string(kMaxSampledFrames) + " frames");
    }
    ShakeClip clip{{}, frame_rate, std::move(source), std::move(date)};
    clip.displacements.reserve(detail::frame_distance(first, last) + 1);
    for (const Frame frame : frame_span(first, last))
        clip.displacements.push_back(sample_or_zero(displacements, frame));
    return clip;
}

std::string clip_content_hash(const ShakeClip& clip) {
    std::uint64_t hash = kFnvOffset;
    for (const char c : std::string("trembla-clip1")) {
        hash ^= static_cast<unsigned char>(c);
        hash *= kFnvPrime;
    }
    hash_double(hash, clip.frame_rate);
    hash_bytes(hash, clip.length());
    for (const Sample& sample : clip.displacements) {
        for (const double value : sample) hash_double(hash, value);
    }
    static const char kDigits[] = "0123456789abcdef";
    std::string text = "fnv1a64:";
    for (int shift = 60; shift >= 0; shift -= 4) text += kDigits[(hash >> shift) & 0xfU];
    return text;
}

}  // namespace trembla
