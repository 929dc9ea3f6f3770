#include "core/shake_offsets.h"

#include "core/ranges.h"
#include "core/shake_speed.h"

namespace trembla {

ShakeOffsets compute_shake_offsets(const FrameRecord& shake_data, const std::vector<Frame>& frames,
                                   const ShakeSettings& settings) {
    const std::size_t count = frames.size();
    const double amount = settings.amount / 100.0;
    const double t_amp = settings.trans_amp / 100.0;
    const double r_amp = settings.rot_amp / 100.0;

    // The shake sample and the weight depend on the frame only, not on the channel.
    ShakeOffsets offsets;
    // At the normal speed the extracted record itself is read, not a copy of it.
    FrameRecord played;
    if (settings.speed != kNormalSpeed) played = shake_at_speed(shake_data, frames, settings.speed);
    const FrameRecord& shake = settings.speed != kNormalSpeed ? played : shake_data;
    std::vector<const Sample*> shake_at;
    shake_at.reserve(count);
    for (const Frame frame : frames) {
        shake_at.push_back(find_sample(shake, frame));
    }
    offsets.weights = fade_multipliers(frames, settings.ranges, settings.fade_in, settings.fade_out);

    for (std::size_t idx = 0; idx < kChannelCount; ++idx) {
        const bool is_translate = idx < 3;
        if (!(is_translate ? settings.use_translate : settings.use_rotate)) continue;
        const double axis_amp =
            (is_translate ? settings.trans_axis_mult[idx] : settings.rot_axis_mult[idx - 3]) / 100.0;
        const double amp = is_translate ? t_amp : r_amp;
        std::vector<double>& values = offsets.channels[idx];
        values.reserve(count);
        for (std::size_t i = 0; i < count; ++i) {
            const double shake_val = shake_at[i] != nullptr ? (*shake_at[i])[idx] : 0.0;
            values.push_back(shake_val * amount * amp * axis_amp * offsets.weights[i]);
        }
    }
    return offsets;
}

}  // namespace trembla
