#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "core/clip_playback.h"
#include "core/exact_sine.h"
#include "core/shake_profiles.h"

namespace trembla {
namespace {

// π to double precision (M_PI is not standard C++).
constexpr double kPi = 3.141592653589793;

TEST(ExactSine, HitsTheQuadrantsExactlyAndTheTrueSineClosely) {
    const struct {
        std::uint32_t turns;
        double expected;
    } exact[] = {{0, 0}, {1U << 30, 1}, {1U << 31, 0}, {3U << 30, -1}};
    for (const auto& c : exact) EXPECT_EQ(sine_of_turns(c.turns), c.expected) << c.turns;
    for (std::uint64_t turns = 0; turns < (std::uint64_t{1} << 32); turns += 999983) {
        const double angle = 2 * kPi * static_cast<double>(turns) / kTurnParts;
        EXPECT_NEAR(sine_of_turns(static_cast<std::uint32_t>(turns)), std::sin(angle), 1e-15) << turns;
    }
}

TEST(ShakeProfiles, Pcg32GivesTheReferenceSequence) {
    // The first outputs of pcg32-demo for seed 42, stream 54.
    Pcg32 generator(42, 54);
    for (const std::uint32_t expected :
         {0xa15c02b7U, 0x7b47f409U, 0xba1d3330U, 0x83d2f293U, 0xbfa4784bU, 0xcbed606eU}) {
        EXPECT_EQ(generator.next(), expected);
    }
}

// Golden values: a seed must give these bits on every platform and compiler.
TEST(ShakeProfiles, SeedGivesGoldenDisplacementsBitForBit) {
    const struct {
        const char* name;
        std::size_t frame;
        Sample expected;
        const char* hash;
    } cases[] = {
        {"hand-held",
         100,
         {0x1.8b5806b86ecd8p-5, 0x1.583c0d63164ccp-3, 0x1.6bceb9e17ae5cp-1, 0x1.25f16c5df84d4p-1, 0x1.3aa2c3b5571p-5,
          -0x1.e960f95eeb02dp-3},
         "fnv1a64:9c1a6c150be0ef93"},
        {"walking",
         383,
         {-0x1.65761ea5485b8p-3, 0x1.97e12edcb43d4p-1, -0x1.1f231feefce7p-4, 0x1.e0d074e307998p-4, 0x1.47f9404001e3p-4,
          -0x1.47ee8177fcc9p-4},
         "fnv1a64:b78dec690b6963f5"},
        {"vehicle",
         1,
         {0x1.ca40663ac4a48p-6, -0x1.200fbac921014p-2, -0x1.28011b13f5612p-4, 0x1.894147eb1302bp-3,
          -0x1.e8e41164faf8p-8, -0x1.6711b96dc938p-3},
         "fnv1a64:d322b28d9a8f4a24"},
        {"earthquake",
         100,
         {-0x1.d0c3d803e826ap+1, -0x1.a08786bb481c9p+0, 0x1.16673a286d9a7p+2, -0x1.be29a416806d6p+0,
          -0x1.681798483e88dp-2, 0x1.8477a7f9f75f2p-3},
         "fnv1a64:7a24c9eacc312219"},
    };
    for (const auto& c : cases) {
        const std::optional<ShakeClip> clip = profile_clip(c.name, 1);
        ASSERT_TRUE(clip) << c.name;
        EXPECT_EQ(clip->displacements[c.frame], c.expected) << c.name;
        EXPECT_EQ(clip_content_hash(*clip), c.hash) << c.name;
        EXPECT_EQ(clip->displacements.front(), Sample{}) << c.name << " counts from its first frame";
        EXPECT_EQ(clip->length(), kProfileFrames) << c.name;
        EXPECT_EQ(clip->frame_rate, kProfileFrameRate) << c.name;
        EXPECT_FALSE(clip_problem(*clip)) << c.name;
        EXPECT_NE(clip_content_hash(*profile_clip(c.name, 2)), c.hash) << c.name << ": another seed, another shake";
        EXPECT_EQ(clip_content_hash(*profile_clip(c.name, 1)), c.hash) << c.name << ": made again, the same";
    }
    EXPECT_EQ(profile_names(), (std::vector<std::string>{"hand-held", "walking", "vehicle", "earthquake"}));
    EXPECT_FALSE(profile_clip("Hand-held"));
}

// The documented formula, with the C library's sine, agrees with the profile to rounding: the
// header's table is what the profile plays, and every channel ends where it began.
TEST(ShakeProfiles, FollowTheDocumentedSpectrum) {
    const ShakeClip walking = *profile_clip("walking", 4);
    // walking translateY: 1.875 Hz 1.6, 3.75 Hz 0.5, 5.625 Hz 0.15 (30, 60, 90 cycles); phases
    // are the draws after the two of translateX.
    Pcg32 generator(4, 1);
    generator.next();
    generator.next();
    const struct {
        double cycles, amplitude;
        std::uint32_t phase;
    } components[] = {{30, 1.6, generator.next()}, {60, 0.5, generator.next()}, {90, 0.15, generator.next()}};
    const auto value = [&](double frame) {
        double sum = 0;
        for (const auto& c : components) {
            sum += c.amplitude * std::sin(2 * kPi * (c.phase / kTurnParts + c.cycles * frame / 384));
        }
        return sum;
    };
    for (const std::size_t frame : {1, 7, 200, 383}) {
        EXPECT_NEAR(walking.displacements[frame][1], value(frame) - value(0), 1e-12) << frame;
    }
    for (const std::string& name : profile_names()) {
        const ShakeClip clip = *profile_clip(name, 3);
        const LoopSeam seam = loop_seam(clip.displacements);
        EXPECT_EQ(seam.blend_frames, 0U) << name << " loops by itself";
    }
}

}  // namespace
}  // namespace trembla
