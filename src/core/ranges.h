// Frame ranges typed as text ("10-50, 70-80") and the fade multiplier at their edges.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/records.h"

namespace trembla {

// Parts that do not parse are dropped; never fails on text. Numbers beyond 64 bits read as the
// largest frame number.
Ranges parse_ranges(std::string_view range_str);

// The parts of `range_str` that parse_ranges drops or that hold no frame (start after end), blanks
// removed, in the order typed; an empty part (a doubled or trailing comma) is not named.
std::vector<std::string> unused_range_parts(std::string_view range_str);

// 1.0 without ranges; otherwise the largest multiplier of the ranges holding `frame` (0.0 when
// none does), each with linear fades of fade_in / fade_out frames at its edges (<= 0 or NaN
// switches a fade off).
// Frame differences are exact integers, so the whole int64 frame range is safe.
double calculate_fade_multiplier(Frame frame, const Ranges& ranges, double fade_in, double fade_out);

// calculate_fade_multiplier of every frame, to the bit, in one sort of the ranges and one sweep
// over the frames (in order or not): O(ranges log ranges + frames), plus, per frame, the ranges
// that hold it and fade both ways there (at most the shorter fade's length of them).
std::vector<double> fade_multipliers(const std::vector<Frame>& frames, const Ranges& ranges, double fade_in,
                                     double fade_out);

}  // namespace trembla
