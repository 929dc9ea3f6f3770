// The window's shake preview follows each application of the shake from the offsets that
// application computed, so drawing it never asks the host anything.
#pragma once

#include "core/shake_clip.h"
#include "core/shake_offsets.h"
#include "scene/prepared.h"
#include "ui/shake_preview_data.h"

namespace trembla::ext {

// What the preview shows after `offsets` were applied for `record`: the shake as the sliders say
// it, over the record's frames, with the frame the prepare left the host at marked, shown as
// bypassed while the Bypass box keeps it off the camera. The relax mode adds no offsets to the
// camera, so the preview shows none there.
ShakePreviewData preview_of(const Prepared& record, ShakeOffsets offsets, bool bypassed);

// What the preview shows of a clip chosen before anything is prepared: its displacements as the
// prepare would play them over first..last (resampled to `frame_rate`, from clip frame `offset`,
// looped), at full weight. Throws std::invalid_argument as resample_clip and play_clip do.
ShakePreviewData preview_of_clip(const ShakeClip& clip, double frame_rate, Frame first, Frame last, Frame offset);

}  // namespace trembla::ext
