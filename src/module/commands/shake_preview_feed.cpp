#include "module/commands/shake_preview_feed.h"

#include <utility>

#include "core/apply.h"
#include "core/clip_playback.h"

namespace trembla::ext {

ShakePreviewData preview_of(const Prepared& record, ShakeOffsets offsets, bool bypassed) {
    ShakePreviewData data;
    data.bypassed = bypassed;
    data.first_frame = record.start_frame;
    data.current_frame = record.time_after_prepare;
    data.weights = std::move(offsets.weights);
    if (mode_adds_shake(record.camera_mode)) data.channels = std::move(offsets.channels);
    return data;
}

ShakePreviewData preview_of_clip(const ShakeClip& clip, double frame_rate, Frame first, Frame last, Frame offset) {
    const std::vector<Frame> frames = frame_span(first, last);
    const FrameRecord played = play_clip(resample_clip(clip, frame_rate), frames, offset);
    ShakePreviewData data;
    data.first_frame = first;
    data.weights.assign(frames.size(), 1.0);
    for (std::size_t k = 0; k < kPreviewChannels; ++k) {
        data.channels[k].reserve(frames.size());
        for (Frame frame : frames) data.channels[k].push_back(sample_or_zero(played, frame)[k]);
    }
    return data;
}

}  // namespace trembla::ext
