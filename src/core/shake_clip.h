// A shake clip: a source's motion as the tool samples it, kept apart from any scene so that one
// capture (or a built-in profile) can shake every shot.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/records.h"

namespace trembla {

struct ShakeClip {
    // The six channels' displacements (channel order of kChannels) at each frame of the clip, the
    // first frame being clip frame 0: what calculate_deltas gives for the source, before lag, so
    // that Lag T/R and everything after it still act on a clip.
    std::vector<Sample> displacements;
    double frame_rate = 24;  // frames per second the clip was sampled at
    std::string source;      // the object or file it was sampled from, for the clip list
    std::string date;        // when it was saved, ISO 8601 in UTC ("2026-12-09T13:20:00Z")

    std::size_t length() const { return displacements.size(); }
};

// The highest frame rate a clip may have: the host's fastest time unit.
inline constexpr double kMaxClipFrameRate = 48000;

// Why `clip` cannot be played, or nothing: it must have at least one frame and at most
// kMaxSampledFrames, a finite frame rate above zero and at most kMaxClipFrameRate, and finite
// displacements.
std::optional<std::string> clip_problem(const ShakeClip& clip);

// The clip of a source's displacements (calculate_deltas's record) over the frames first..last, at
// `frame_rate`: clip frame i is frame first + i, a frame missing from the record reading as zero,
// as the offsets read it. Throws std::invalid_argument when last < first or the span is longer
// than kMaxSampledFrames.
ShakeClip clip_from_displacements(const FrameRecord& displacements, Frame first, Frame last, double frame_rate,
                                  std::string source, std::string date);

// A hash of the clip's motion, to tell later whether the clip a camera's shake came from is still
// the same: "fnv1a64:" and 16 lowercase hex digits of the 64-bit FNV-1a hash of these bytes:
//   the 13 ASCII bytes "trembla-clip1",
//   the frame rate's IEEE-754 bits as 8 bytes, least significant first,
//   the length as 8 bytes, least significant first,
//   every displacement, frame by frame and in channel order, as its IEEE-754 bits (-0 as +0),
//     8 bytes each, least significant first.
// The source and the date are not part of it: they describe the motion, they are not it.
std::string clip_content_hash(const ShakeClip& clip);

}  // namespace trembla
