// The records that the shake computation passes around. Plain data, passed by value or const&.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace trembla {

// Whole frame numbers.
using Frame = std::int64_t;

// Channel order used everywhere: translateX..Z (scene units), rotateX..Z (degrees).
inline constexpr std::size_t kChannelCount = 6;
inline constexpr std::array<const char*, kChannelCount> kChannels = {"translateX", "translateY", "translateZ",
                                                                     "rotateX",    "rotateY",    "rotateZ"};

bool is_translate_channel(std::string_view name);  // name begins with "translate"
bool is_rotate_channel(std::string_view name);     // name begins with "rotate"

// The position of `channel` in kChannels. Throws std::logic_error for any other name: callers
// pass names taken from kChannels.
std::size_t channel_index(std::string_view channel);

// A node's world translation and rotation at one frame, in channel order.
using Sample = std::array<double, kChannelCount>;
inline constexpr Sample kZeroSample{};

// Frame-keyed record (source_data, delta_data, shake_data): frame -> sample.
// Kept as two aligned vectors sorted by frame with unique frames; a record over consecutive
// frames (the normal case) is found in O(1), anything else by binary search.
struct FrameRecord {
    std::vector<Frame> frames;    // ascending, unique
    std::vector<Sample> samples;  // samples[i] belongs to frames[i]

    std::size_t size() const { return frames.size(); }
    bool empty() const { return frames.empty(); }
};

// The sample at `frame`, or nullptr when the record has no such frame.
const Sample* find_sample(const FrameRecord& record, Frame frame);

// The sample at `frame`, or the zero sample.
const Sample& sample_or_zero(const FrameRecord& record, Frame frame);

// Builds a record from entries in any order; where a frame repeats, the last entry wins
// (as repeated assignment into a map would).
FrameRecord make_frame_record(std::vector<std::pair<Frame, Sample>> entries);

// Channel-keyed camera animation (camera_original_anim and its smoothed forms):
// channel name -> values aligned by position with `frames`. Insertion order is kept.
struct ChannelSeries {
    std::string name;
    std::vector<double> values;
};
using ChannelAnim = std::vector<ChannelSeries>;

// The values of channel `name`, or nullptr when the record has no such channel.
const std::vector<double>* find_channel(const ChannelAnim& anim, std::string_view name);

// One typed frame range, start and end inclusive, kept as typed (start > end is allowed).
struct FrameRange {
    Frame start = 0;
    Frame end = 0;
    bool operator==(const FrameRange& other) const { return start == other.start && end == other.end; }
};
using Ranges = std::vector<FrameRange>;

// X, Y, Z settings on a 0-100 scale (100 is neutral).
using AxisTriple = std::array<double, 3>;

// Every whole frame from first to last inclusive; empty when last < first.
std::vector<Frame> frame_span(Frame first, Frame last);

// The most frames sampled in one go: ten million, over 100 hours at 24 fps and about a gigabyte
// of samples. A longer span is a typing slip (1e15 for 1e3) that would sample for days while
// memory grows, so it is refused before the host is asked for anything.
constexpr Frame kMaxSampledFrames = 10'000'000;

}  // namespace trembla
