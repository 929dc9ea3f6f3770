#include "core/shake_profiles.h"

#include <array>

#include "core/exact_sine.h"

namespace trembla {
namespace {

struct Component {
    std::uint32_t cycles;  // whole cycles over the profile's kProfileFrames frames
    double amplitude;      // centimetres or degrees
};

struct Profile {
    const char* name;
    std::array<std::vector<Component>, kChannelCount> channels;
};

// The spectra the header documents, in its order (frequency = cycles / 16 Hz).
const std::array<Profile, 4>& profiles() {
    static const std::array<Profile, 4> table = {{
        {"hand-held",
         {{{{3, 0.6}, {13, 0.2}, {43, 0.04}},
           {{4, 0.5}, {19, 0.15}},
           {{2, 0.8}, {9, 0.25}},
           {{5, 0.35}, {14, 0.18}, {37, 0.06}, {97, 0.015}},
           {{4, 0.4}, {11, 0.2}, {41, 0.05}, {103, 0.012}},
           {{3, 0.25}, {17, 0.08}, {89, 0.01}}}}},
        {"walking",
         {{{{15, 1.2}, {45, 0.2}},
           {{30, 1.6}, {60, 0.5}, {90, 0.15}},
           {{4, 0.8}, {30, 0.4}},
           {{5, 0.3}, {30, 0.5}, {60, 0.15}},
           {{3, 0.5}, {15, 0.6}},
           {{15, 0.7}, {45, 0.1}}}}},
        {"vehicle",
         {{{{9, 0.4}, {61, 0.1}, {137, 0.05}},
           {{21, 0.8}, {57, 0.3}, {131, 0.08}, {149, 0.06}},
           {{7, 0.5}, {53, 0.1}},
           {{21, 0.25}, {67, 0.1}, {139, 0.04}},
           {{5, 0.2}, {73, 0.05}},
           {{11, 0.3}, {59, 0.08}, {143, 0.03}}}}},
        {"earthquake",
         {{{{19, 4}, {34, 3}, {53, 2}, {87, 1}, {121, 0.5}},
           {{27, 2}, {48, 1.5}, {95, 0.6}},
           {{23, 3.5}, {41, 2.5}, {69, 1.2}, {113, 0.4}},
           {{29, 1}, {77, 0.4}},
           {{17, 0.8}, {61, 0.3}},
           {{31, 1.2}, {83, 0.5}, {127, 0.2}}}}},
    }};
    return table;
}

// The angle of `cycles` cycles at frame i, in 2^32 parts of a turn, rounded down.
std::uint32_t turns_at(std::uint32_t cycles, std::size_t frame) {
    const std::uint64_t in_cycle = (std::uint64_t{cycles} * frame) % kProfileFrames;
    return static_cast<std::uint32_t>((in_cycle << 32) / kProfileFrames);
}

ShakeClip make_profile(const Profile& profile, std::uint64_t number, std::uint64_t seed) {
    Pcg32 generator(seed, number);
    std::array<std::vector<std::uint32_t>, kChannelCount> phases;
    for (std::size_t k = 0; k < kChannelCount; ++k) {
        for (std::size_t c = 0; c < profile.channels[k].size(); ++c) phases[k].push_back(generator.next());
    }
    ShakeClip clip{{}, kProfileFrameRate, std::string("built-in ") + profile.name, ""};
    clip.displacements.resize(kProfileFrames);
    for (std::size_t i = 0; i < kProfileFrames; ++i) {
        for (std::size_t k = 0; k < kChannelCount; ++k) {
            double sum = 0;
            std::size_t c = 0;
            for (const Component& component : profile.channels[k]) {
                // Unsigned addition wraps modulo 2^32: whole turns drop out exactly.
                const std::uint32_t turns = phases[k][c++] + turns_at(component.cycles, i);
                sum += component.amplitude * sine_of_turns(turns);
            }
            clip.displacements[i][k] = sum;
        }
    }
    const Sample origin = clip.displacements.front();
    for (Sample& sample : clip.displacements) {
        for (std::size_t k = 0; k < kChannelCount; ++k) sample[k] -= origin[k];
    }
    return clip;
}

}  // namespace

const std::vector<std::string>& profile_names() {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> list;
        for (const Profile& profile : profiles()) list.emplace_back(profile.name);
        return list;
    }();
    return names;
}

std::optional<ShakeClip> profile_clip(std::string_view name, std::uint64_t seed) {
    for (std::size_t number = 0; number < profiles().size(); ++number) {
        if (name == profiles()[number].name) return make_profile(profiles()[number], number, seed);
    }
    return std::nullopt;
}

Pcg32::Pcg32(std::uint64_t seed, std::uint64_t stream) : increment_((stream << 1U) | 1U) {
    next();
    state_ += seed;
    next();
}

std::uint32_t Pcg32::next() {
    const std::uint64_t old = state_;
    state_ = old * 6364136223846793005ULL + increment_;
    const auto shifted = static_cast<std::uint32_t>(((old >> 18U) ^ old) >> 27U);
    const auto rotation = static_cast<std::uint32_t>(old >> 59U);
    return (shifted >> rotation) | (shifted << ((32U - rotation) & 31U));
}

}  // namespace trembla
