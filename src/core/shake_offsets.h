// The shaping controls and the shake they make of the extracted motion, channel by channel: the
// part of every key that the camera mode does not decide. Computed once per application and used
// both for the keys and for the window's preview, so the two cannot disagree.
#pragma once

#include <array>
#include <vector>

#include "core/records.h"

namespace trembla {

// The current values of the shaping controls.
struct ShakeSettings {
    double smoothing = 0;    // 0-100
    double amount = 100;     // percent
    double trans_amp = 100;  // percent
    double rot_amp = 100;    // percent
    AxisTriple trans_axis_mult{100, 100, 100};
    AxisTriple rot_axis_mult{100, 100, 100};
    bool use_translate = true;
    bool use_rotate = true;
    Ranges ranges;
    double fade_in = 3;
    double fade_out = 3;
    // How fast the shake plays, in percent (shake_at_speed); 100 keys it as extracted.
    double speed = 100;
};

// What the settings make of the shake, one value per position of the frame list.
struct ShakeOffsets {
    // The range and fade multiplier, 0 to 1, of every frame.
    std::vector<double> weights;
    // By channel index: shake × amount × channel kind's amount × axis amount × weight; empty for a
    // channel the settings do not write (its switch is off).
    std::array<std::vector<double>, kChannelCount> channels;
};

// The shake is played at the settings' speed before the ranges and fades weigh it.
// A frame missing from shake_data contributes 0. The product is taken left to right, in the order
// the keys have always been computed in, so a key is base + offset to the last bit.
ShakeOffsets compute_shake_offsets(const FrameRecord& shake_data, const std::vector<Frame>& frames,
                                   const ShakeSettings& settings);

}  // namespace trembla
