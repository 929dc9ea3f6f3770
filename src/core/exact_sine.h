// The tool's own sine, for shakes that a seed must reproduce to the last bit on every platform and
// compiler: the C library's sin differs between them in the last place, and a built-in profile's
// golden values would drift with it.
#pragma once

#include <cstdint>

namespace trembla {

// The angles the sine takes: whole turns divided into 2^32 parts, so that reducing an angle to
// its octant is integer arithmetic and exact.
inline constexpr double kTurnParts = 4294967296.0;  // 2^32

// sin(2π · turns / 2^32). The octant is found from the top bits; the rest of the angle, at most
// π/4, becomes a double by one rounded multiplication, and a Taylor polynomial of sine or cosine
// (to the 17th and 16th power, error below 1e-16) is evaluated in a fixed order of rounded
// additions and multiplications. Under IEEE-754 doubles without contracted multiply-adds (the core
// is built so) every platform gives the same bits. Within 1e-15 of the true sine.
double sine_of_turns(std::uint32_t turns);

}  // namespace trembla
