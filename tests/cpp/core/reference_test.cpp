// The whole computation against a plain transcription of the algorithm (ordered maps, one turn at
// a time, every window summed on the spot), on random inputs, compared bit for bit.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <random>
#include <string>

#include "core/apply.h"
#include "core/extraction.h"
#include "core/ranges.h"
#include "plain_unwrap.h"

namespace trembla {
namespace {

using Deltas = std::map<Frame, Sample>;
using Anim = std::map<std::string, std::vector<double>>;

namespace reference {

using testing_support::plain_unwrap;

Sample at_or_zero(const Deltas& data, Frame f) {
    const auto found = data.find(f);
    return found == data.end() ? Sample{} : found->second;
}

Deltas extract(const Deltas& delta_data, const std::vector<Frame>& frames, double lag_translate, double lag_rotate) {
    Deltas lagged;
    Deltas smoothed;
    Deltas shake;
    if (frames.empty()) {
        return shake;
    }
    const auto lag_t = static_cast<Frame>(std::trunc(lag_translate));
    const auto lag_r = static_cast<Frame>(std::trunc(lag_rotate));
    const Frame start = frames[0];
    for (const Frame f : frames) {
        const Sample dt = at_or_zero(delta_data, std::max(start, f - lag_t));
        const Sample dr = at_or_zero(delta_data, std::max(start, f - lag_r));
        lagged[f] = {dt[0], dt[1], dt[2], dr[3], dr[4], dr[5]};
    }
    const auto n = static_cast<long long>(frames.size());
    for (long long i = 0; i < n; ++i) {
        const long long reach = std::min({5LL, i, n - 1 - i});  // centred, narrower near the ends
        const long long first = i - reach;
        const long long end = i + reach + 1;
        Sample sums{};
        long long count = 0;
        for (long long j = first; j < end; ++j) {
            const Sample vals = at_or_zero(lagged, frames[static_cast<std::size_t>(j)]);
            for (std::size_t k = 0; k < 6; ++k) {
                sums[k] += vals[k];
            }
            ++count;
        }
        Sample mean;
        for (std::size_t k = 0; k < 6; ++k) {
            mean[k] = sums[k] / static_cast<double>(count);
        }
        smoothed[frames[static_cast<std::size_t>(i)]] = mean;
    }
    for (const Frame f : frames) {
        const Sample raw = lagged[f];
        const Sample smooth = at_or_zero(smoothed, f);
        for (std::size_t k = 0; k < 6; ++k) {
            shake[f][k] = raw[k] - smooth[k];
        }
    }
    return shake;
}

Anim smooth(const Anim& anim, const std::vector<Frame>& frames, double smoothing) {
    if (smoothing <= 0) {
        return anim;
    }
    const auto window = static_cast<long long>(std::trunc(smoothing / 100.0 * 20 + 1));
    const long long half = window / 2;
    const auto n = static_cast<long long>(frames.size());
    Anim result;
    for (const auto& [name, raw] : anim) {
        const std::vector<double> values = name.rfind("rotate", 0) == 0 ? plain_unwrap(raw) : raw;
        std::vector<double> out;
        for (long long i = 0; i < n; ++i) {
            const long long reach = std::min({half, i, n - 1 - i});
            const long long first = i - reach;
            const long long end = i + reach + 1;
            double sum = 0.0;
            for (long long j = first; j < end; ++j) {
                sum += values[static_cast<std::size_t>(j)];
            }
            out.push_back(sum / static_cast<double>(end - first));
        }
        result[name] = out;
    }
    return result;
}

Anim relax(const Anim& original, const Anim& base, const std::vector<Frame>& frames, double base_smoothing,
           const AxisTriple& trans, const AxisTriple& rot) {
    if (original.empty() || base_smoothing <= 0) {
        return base;
    }
    const std::map<std::string, double> axis_map{{"translateX", trans[0]}, {"translateY", trans[1]},
                                                 {"translateZ", trans[2]}, {"rotateX", rot[0]},
                                                 {"rotateY", rot[1]},      {"rotateZ", rot[2]}};
    Anim result;
    for (const auto& [name, base_values] : base) {
        const auto setting = axis_map.find(name);
        const double axis_mult = (setting == axis_map.end() ? 100 : setting->second) / 100.0;
        if (axis_mult >= 1.0) {
            result[name] = base_values;
            continue;
        }
        const double extra_smoothing = std::min(base_smoothing * 2, 100.0);
        const auto own = original.find(name);
        const Anim one{{name, own == original.end() ? base_values : own->second}};
        const std::vector<double> extra = smooth(one, frames, extra_smoothing).at(name);
        if (axis_mult <= 0.0) {
            result[name] = extra;
            continue;
        }
        std::vector<double> blended;
        for (std::size_t i = 0; i < base_values.size(); ++i) {
            blended.push_back(base_values[i] * axis_mult + extra[i] * (1 - axis_mult));
        }
        result[name] = blended;
    }
    return result;
}

double fade(Frame frame, const Ranges& ranges, double fade_in, double fade_out) {
    if (ranges.empty()) {
        return 1.0;
    }
    double strongest = 0.0;  // the largest multiplier of the ranges holding the frame
    for (const FrameRange& r : ranges) {
        if (r.start <= frame && frame <= r.end) {
            double mult = 1.0;
            if (fade_in > 0 && static_cast<double>(frame) < static_cast<double>(r.start) + fade_in) {
                mult *= static_cast<double>(frame - r.start) / fade_in;
            }
            if (fade_out > 0 && static_cast<double>(frame) > static_cast<double>(r.end) - fade_out) {
                mult *= static_cast<double>(r.end - frame) / fade_out;
            }
            strongest = std::max(strongest, std::max(0.0, std::min(1.0, mult)));
        }
    }
    return strongest;
}

std::map<std::string, std::vector<double>> keys(const Deltas& shake_data, const std::vector<Frame>& frames,
                                                const ShakeSettings& s, const Sample& camera_base,
                                                const std::string& mode, const Anim& original) {
    std::vector<std::string> attrs;
    if (s.use_translate) {
        attrs.insert(attrs.end(), {"translateX", "translateY", "translateZ"});
    }
    if (s.use_rotate) {
        attrs.insert(attrs.end(), {"rotateX", "rotateY", "rotateZ"});
    }
    const double shake_amp = s.amount / 100.0;
    const double t_amp = s.trans_amp / 100.0;
    const double r_amp = s.rot_amp / 100.0;
    Anim smoothed_cam_anim = original;
    if ((mode == "animated" || mode == "relax") && !original.empty()) {
        smoothed_cam_anim = smooth(original, frames, s.smoothing);
    }
    if (mode == "relax" && !original.empty()) {
        smoothed_cam_anim = relax(original, smoothed_cam_anim, frames, s.smoothing, s.trans_axis_mult, s.rot_axis_mult);
    }
    std::map<std::string, std::vector<double>> result;
    for (const std::string& attr : attrs) {
        const std::size_t idx =
            static_cast<std::size_t>(std::find(kChannels.begin(), kChannels.end(), attr) - kChannels.begin());
        const double axis_amp = (idx < 3 ? s.trans_axis_mult[idx] : s.rot_axis_mult[idx - 3]) / 100.0;
        const double base_val = camera_base[idx];
        const bool is_translate = attr.rfind("translate", 0) == 0;
        const auto found = smoothed_cam_anim.find(attr);
        const std::vector<double> smoothed_list =
            found == smoothed_cam_anim.end() ? std::vector<double>(frames.size(), base_val) : found->second;
        std::vector<double>& out = result[attr];
        for (std::size_t i = 0; i < frames.size(); ++i) {
            const Frame f = frames[i];
            const auto shake_entry = shake_data.find(f);
            const double shake_val = shake_entry == shake_data.end() ? 0.0 : shake_entry->second[idx];
            const double fd = fade(f, s.ranges, s.fade_in, s.fade_out);
            const double amp = is_translate ? t_amp : r_amp;
            if (mode == "animated") {
                out.push_back(smoothed_list[i] + shake_val * shake_amp * amp * axis_amp * fd);
            } else if (mode == "relax") {
                out.push_back(smoothed_list[i]);
            } else {
                out.push_back(base_val + shake_val * shake_amp * amp * axis_amp * fd);
            }
        }
    }
    return result;
}

}  // namespace reference

bool same_bits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

struct RandomCase {
    std::mt19937_64 random;

    explicit RandomCase(unsigned seed) : random(seed) {}

    double uniform(double low, double high) { return std::uniform_real_distribution<double>(low, high)(random); }
    int integer(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); }
    bool chance(double p) { return std::bernoulli_distribution(p)(random); }

    // Whole numbers mostly (as the sliders send), fractional now and then.
    double setting(double low, double high) {
        return chance(0.7) ? static_cast<double>(integer(static_cast<int>(low), static_cast<int>(high)))
                           : uniform(low, high);
    }
};

TEST(ReferenceComparison, RandomInputsGiveBitIdenticalShakeAndKeys) {
    for (unsigned seed = 1; seed <= 300; ++seed) {
        RandomCase rc(seed);
        const Frame first = rc.integer(-50, 50);
        const auto count = static_cast<Frame>(rc.integer(0, 80));
        std::vector<Frame> frames = frame_span(first, first + count - 1);

        Deltas delta_map;
        for (Frame f = first - 5; f < first + count + 5; ++f) {
            if (rc.chance(0.9)) {
                Sample s;
                for (double& v : s) {
                    v = rc.chance(0.5) ? rc.uniform(-3, 3) : rc.uniform(-200, 200) / 7;
                }
                delta_map[f] = s;
            }
        }
        FrameRecord delta_record;
        for (const auto& [f, s] : delta_map) {
            delta_record.frames.push_back(f);
            delta_record.samples.push_back(s);
        }

        const double lag_t = rc.chance(0.8) ? rc.integer(-3, 15) : rc.uniform(-20, 20);
        const double lag_r = rc.chance(0.8) ? rc.integer(-3, 15) : rc.uniform(-20, 20);
        const FrameRecord shake = extract_source_shake(delta_record, frames, lag_t, lag_r);
        const Deltas expected_shake = reference::extract(delta_map, frames, lag_t, lag_r);
        ASSERT_EQ(shake.size(), expected_shake.size()) << "seed " << seed;
        std::size_t pos = 0;
        for (const auto& [f, s] : expected_shake) {
            ASSERT_EQ(shake.frames[pos], f);
            for (std::size_t k = 0; k < 6; ++k) {
                ASSERT_TRUE(same_bits(shake.samples[pos][k], s[k])) << "seed " << seed << " frame " << f;
            }
            ++pos;
        }

        ShakeSettings settings;
        settings.smoothing = rc.chance(0.2) ? 0 : rc.setting(0, 100);
        settings.amount = rc.setting(0, 200);
        settings.trans_amp = rc.setting(0, 200);
        settings.rot_amp = rc.setting(0, 200);
        for (double& v : settings.trans_axis_mult) {
            v = rc.chance(0.3) ? 100 : rc.setting(-20, 120);
        }
        for (double& v : settings.rot_axis_mult) {
            v = rc.chance(0.3) ? 100 : rc.setting(-20, 120);
        }
        settings.use_translate = rc.chance(0.8);
        settings.use_rotate = rc.chance(0.8);
        const int range_count = rc.integer(0, 3);
        for (int r = 0; r < range_count; ++r) {
            const Frame a = first + rc.integer(-5, static_cast<int>(count) + 5);
            settings.ranges.push_back({a, a + rc.integer(-3, 40)});
        }
        settings.fade_in = rc.setting(0, 30);
        settings.fade_out = rc.setting(0, 30);
        const Sample camera_base{rc.uniform(-9, 9),     rc.uniform(-9, 9),     rc.uniform(-9, 9),
                                 rc.uniform(-180, 180), rc.uniform(-180, 180), rc.uniform(-180, 180)};
        const char* modes[] = {"static", "animated", "relax"};
        const std::string mode = modes[rc.integer(0, 2)];

        Anim original_map;
        ChannelAnim original;
        if (mode != "static" && rc.chance(0.9)) {
            for (std::size_t k = 0; k < 6; ++k) {
                if (rc.chance(0.1)) {
                    continue;  // a channel that was not recorded
                }
                std::vector<double> values;
                double angle = rc.uniform(-180, 180);
                for (Frame i = 0; i < count; ++i) {
                    if (k < 3) {
                        values.push_back(rc.uniform(-50, 50));
                    } else {
                        angle += rc.uniform(-40, 40);
                        values.push_back(std::remainder(angle, 360.0));  // wrapped like the host reports
                    }
                }
                original.push_back({kChannels[k], values});
                original_map[kChannels[k]] = values;
            }
        }

        const std::vector<ChannelKeys> computed = compute_camera_keys(
            shake, frames, settings, camera_base, camera_mode_from_text(mode, CameraMode::static_pose), original);
        const auto expected_keys = reference::keys(expected_shake, frames, settings, camera_base, mode, original_map);
        ASSERT_EQ(computed.size(), expected_keys.size()) << "seed " << seed;
        for (const ChannelKeys& channel : computed) {
            const std::vector<double>& want = expected_keys.at(channel.channel);
            ASSERT_EQ(channel.values.size(), want.size());
            for (std::size_t i = 0; i < want.size(); ++i) {
                ASSERT_TRUE(same_bits(channel.values[i], want[i]))
                    << "seed " << seed << " mode " << mode << " " << channel.channel << " position " << i << ": "
                    << channel.values[i] << " vs " << want[i];
            }
        }
    }
}

}  // namespace
}  // namespace trembla
