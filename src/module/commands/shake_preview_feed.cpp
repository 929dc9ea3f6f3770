#include "module/commands/shake_preview_feed.h"

#include <utility>

#include "core/apply.h"

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

}  // namespace trembla::ext
