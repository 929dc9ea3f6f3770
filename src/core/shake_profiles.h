// The built-in shake profiles: clips the tool makes itself from a seed, so that a shake needs no
// capture. A profile is a spectrum per channel, a sum of sines of documented frequencies and
// amplitudes; the seed chooses only their phases. The sines are the tool's own (exact_sine.h) and
// the phases come from an integer generator written out here, so that a seed gives the same
// displacements, to the last bit, on every platform and compiler.
//
// Every profile is kProfileFrames frames at kProfileFrameRate (16 seconds). Each frequency is a
// whole number of cycles over those 16 seconds (cycles / 16 Hz), so every channel ends where it
// began and the profile loops without a seam of its own. Translations are in centimetres,
// rotations in degrees; displacements count from the first frame, as a captured clip's do.
//
//   hand-held   slow sway and breathing with a faint hand tremor, mostly in rotation
//     translateX  0.1875 Hz 0.6   0.8125 Hz 0.2   2.6875 Hz 0.04
//     translateY  0.25 Hz 0.5     1.1875 Hz 0.15
//     translateZ  0.125 Hz 0.8    0.5625 Hz 0.25
//     rotateX     0.3125 Hz 0.35  0.875 Hz 0.18   2.3125 Hz 0.06  6.0625 Hz 0.015
//     rotateY     0.25 Hz 0.4     0.6875 Hz 0.2   2.5625 Hz 0.05  6.4375 Hz 0.012
//     rotateZ     0.1875 Hz 0.25  1.0625 Hz 0.08  5.5625 Hz 0.01
//   walking     the bob of steps at 1.875 Hz and their harmonics, the sway of each stride at half that
//     translateX  0.9375 Hz 1.2   2.8125 Hz 0.2
//     translateY  1.875 Hz 1.6    3.75 Hz 0.5     5.625 Hz 0.15
//     translateZ  0.25 Hz 0.8     1.875 Hz 0.4
//     rotateX     0.3125 Hz 0.3   1.875 Hz 0.5    3.75 Hz 0.15
//     rotateY     0.1875 Hz 0.5   0.9375 Hz 0.6
//     rotateZ     0.9375 Hz 0.7   2.8125 Hz 0.1
//   vehicle     body motion over the road and the engine's and tyres' vibration up to 9.3 Hz
//     translateX  0.5625 Hz 0.4   3.8125 Hz 0.1   8.5625 Hz 0.05
//     translateY  1.3125 Hz 0.8   3.5625 Hz 0.3   8.1875 Hz 0.08  9.3125 Hz 0.06
//     translateZ  0.4375 Hz 0.5   3.3125 Hz 0.1
//     rotateX     1.3125 Hz 0.25  4.1875 Hz 0.1   8.6875 Hz 0.04
//     rotateY     0.3125 Hz 0.2   4.5625 Hz 0.05
//     rotateZ     0.6875 Hz 0.3   3.6875 Hz 0.08  8.9375 Hz 0.03
//   earthquake  strong ground motion from 1 to 8 Hz, mostly in translation
//     translateX  1.1875 Hz 4     2.125 Hz 3      3.3125 Hz 2     5.4375 Hz 1     7.5625 Hz 0.5
//     translateY  1.6875 Hz 2     3 Hz 1.5        5.9375 Hz 0.6
//     translateZ  1.4375 Hz 3.5   2.5625 Hz 2.5   4.3125 Hz 1.2   7.0625 Hz 0.4
//     rotateX     1.8125 Hz 1     4.8125 Hz 0.4
//     rotateY     1.0625 Hz 0.8   3.8125 Hz 0.3
//     rotateZ     1.9375 Hz 1.2   5.1875 Hz 0.5   7.9375 Hz 0.2
//
// The value of channel c at frame i is the sum, in the order listed, of
//   amplitude × sine_of_turns(phase + ⌊(cycles × i mod 384) × 2^32 / 384⌋)   (mod 2^32)
// minus the same sum at frame 0. The phases are drawn from Pcg32 seeded with (seed, profile
// number), one draw per component, channels in channel order and components in the order listed.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/shake_clip.h"

namespace trembla {

inline constexpr double kProfileFrameRate = 24;
inline constexpr std::size_t kProfileFrames = 384;
inline constexpr std::uint64_t kDefaultProfileSeed = 1;

// The profiles by name, in list order: "hand-held", "walking", "vehicle", "earthquake".
const std::vector<std::string>& profile_names();

// The profile's clip for `seed` (its source is "built-in <name>", its date empty); nothing for a
// name profile_names does not hold.
std::optional<ShakeClip> profile_clip(std::string_view name, std::uint64_t seed = kDefaultProfileSeed);

// The PCG-XSH-RR 32-bit generator (O'Neill, pcg32_srandom_r / pcg32_random_r), written out so that
// no library's generator decides a profile.
class Pcg32 {
public:
    Pcg32(std::uint64_t seed, std::uint64_t stream);
    std::uint32_t next();

private:
    std::uint64_t state_ = 0;
    std::uint64_t increment_ = 0;
};

}  // namespace trembla
