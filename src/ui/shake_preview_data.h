// What the shake preview draws: the offsets one application of the shake added to the camera,
// and their summary per pixel column, made once when the data arrives so that painting costs the
// graph's width, not the number of frames.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace trembla {

inline constexpr std::size_t kPreviewChannels = 6;  // translateX, Y, Z, rotateX, Y, Z

struct ShakePreviewData {
    std::int64_t first_frame = 0;  // the frame of position 0
    // The range and fade multiplier, 0 to 1, of each frame; its length is the number of frames.
    std::vector<double> weights;
    // Offsets in channel order (scene units, then degrees), one per frame; empty for a channel
    // that got none.
    std::array<std::vector<double>, kPreviewChannels> channels;
    // The frame to mark, when the tool knows it.
    std::optional<std::int64_t> current_frame;
    // Bypass is on: the offsets are what clearing it brings back, and none reaches the camera now.
    bool bypassed = false;
};

struct PreviewEnvelope {
    int columns = 0;
    // Per channel and column, the lowest and highest offset the column draws: those of its own
    // frames and the last one of the column before, so that the trace stays joined. NaN where the
    // column has nothing finite to draw; empty for a channel without offsets.
    std::array<std::vector<double>, kPreviewChannels> low;
    std::array<std::vector<double>, kPreviewChannels> high;
    std::vector<double> weight;  // per column, the highest multiplier of its frames
    // The largest finite |offset| of the translation and of the rotation channels; 0 when flat.
    double translate_scale = 0;
    double rotate_scale = 0;
    int current_column = -1;  // -1: no frame marked
};

// With at least as many frames as columns each column takes a consecutive run of frames; with
// fewer, each column shows the straight line between the two frames around its position (and the
// nearer frame's multiplier). O(frames + columns).
PreviewEnvelope make_preview_envelope(const ShakePreviewData& data, int columns);

}  // namespace trembla
