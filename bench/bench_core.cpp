// Times the shake computation alone (no host work) at 1,000 / 10,000 / 100,000 frames.
// Usage: trembla_bench_core [repeats]
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "core/apply.h"
#include "core/extraction.h"
#include "core/ranges.h"
#include "core/records.h"
#include "core/sampling.h"
#include "core/smoothing.h"
#include "plain_unwrap.h"

namespace {

using namespace trembla;
using testing_support::plain_unwrap;

// A hand-held source: slow drift plus bumps, deterministic.
FrameRecord make_source(const std::vector<Frame>& frames) {
    FrameRecord record;
    record.frames = frames;
    record.samples.reserve(frames.size());
    for (Frame f : frames) {
        const double t = static_cast<double>(f);
        record.samples.push_back({0.05 * t + 0.3 * std::sin(t * 1.7), 0.2 * std::fabs(std::sin(t * 0.5)), 0.01 * t,
                                  2.0 * std::sin(t * 0.9), 170.0 + 15.0 * std::sin(t * 0.01), 1.5 * std::cos(t * 2.3)});
    }
    return record;
}

ChannelAnim make_camera_anim(const std::vector<Frame>& frames) {
    ChannelAnim anim;
    for (std::size_t k = 0; k < kChannelCount; ++k) {
        ChannelSeries series{kChannels[k], {}};
        series.values.reserve(frames.size());
        for (Frame f : frames) series.values.push_back(std::sin(static_cast<double>(f) * 0.01 * double(k + 1)) * 90.0);
        anim.push_back(std::move(series));
    }
    return anim;
}

// Best of `repeats` runs, in nanoseconds per frame.
double time_per_frame(std::size_t frames, int repeats, const std::function<void()>& work) {
    double best = 1e300;
    for (int r = 0; r < repeats; ++r) {
        const auto start = std::chrono::steady_clock::now();
        work();
        const auto stop = std::chrono::steady_clock::now();
        best = std::min(best, std::chrono::duration<double, std::nano>(stop - start).count());
    }
    return best / static_cast<double>(frames);
}

volatile double g_sink = 0;  // keeps results observable so the work is not optimised away

// A camera turning `rate` degrees a frame (with a wobble), as a world-space query reports it:
// wrapped into [-180, 180), so the unwrapped curve climbs through more and more turns.
std::vector<double> spinning_angles(std::size_t count, double rate) {
    std::vector<double> values(count);
    for (std::size_t i = 0; i < count; ++i) {
        const double t = static_cast<double>(i);
        values[i] = std::fmod(rate * t + 180.0 + 3600.0, 360.0) - 180.0 + 3.0 * std::sin(t * 0.7);
    }
    return values;
}

void unwrap_rows(int repeats, const std::size_t* sizes) {
    for (const double rate : {1.0, 7.3}) {
        std::vector<std::vector<double>> inputs;
        for (std::size_t i = 0; i < 3; ++i) inputs.push_back(spinning_angles(sizes[i], rate));
        double plain[3] = {};
        double ours[3] = {};
        bool identical = true;
        for (std::size_t i = 0; i < 3; ++i) {
            plain[i] = time_per_frame(sizes[i], repeats, [&] { g_sink = g_sink + plain_unwrap(inputs[i]).back(); });
            ours[i] = time_per_frame(sizes[i], repeats, [&] { g_sink = g_sink + unwrap_angles(inputs[i]).back(); });
            identical = identical && plain_unwrap(inputs[i]) == unwrap_angles(inputs[i]);
        }
        std::printf("unwrap, spinning %.1f deg/frame:\n", rate);
        std::printf("%-34s %12.1f %12.1f %12.1f\n", "  plain loop", plain[0], plain[1], plain[2]);
        std::printf("%-34s %12.1f %12.1f %12.1f%s\n", "  unwrap_angles", ours[0], ours[1], ours[2],
                    identical ? "" : "  RESULTS DIFFER");
    }
}

// The range and fade weights of every frame under many ranges: the per-frame rule (every range
// looked at for every frame, as the weights were once computed) against the one sweep, in
// milliseconds for the whole frame list; the ranges overlap, as typed ranges of a long edit do.
void range_weight_rows(int repeats) {
    std::printf("range weights (ms, best): %-13s %12s %12s %12s\n", "frames x ranges", "per frame", "sweep",
                "same bits");
    const std::pair<std::size_t, std::size_t> shapes[] = {
        {1000, 100000}, {10000, 100000}, {100000, 10}, {100000, 1000}};
    for (const auto& [frame_count, range_count] : shapes) {
        const std::vector<Frame> frames = frame_span(1, static_cast<Frame>(frame_count));
        Ranges ranges;
        for (std::size_t r = 0; r < range_count; ++r) {
            const auto start = static_cast<Frame>((r * 7919) % frame_count);
            ranges.push_back({start, start + static_cast<Frame>(r % 40)});
        }
        std::vector<double> plain(frames.size());
        std::vector<double> swept;
        const auto ms = [&](const std::function<void()>& work) {
            return time_per_frame(frame_count, repeats, work) * static_cast<double>(frame_count) / 1e6;
        };
        const double per_frame = ms([&] {
            for (std::size_t i = 0; i < frames.size(); ++i)
                plain[i] = calculate_fade_multiplier(frames[i], ranges, 3, 3);
        });
        const double sweep = ms([&] { swept = fade_multipliers(frames, ranges, 3, 3); });
        char shape[40];
        std::snprintf(shape, sizeof shape, "%zu x %zu", frame_count, range_count);
        std::printf("  %-37s %12.2f %12.2f %12s\n", shape, per_frame, sweep,
                    std::memcmp(plain.data(), swept.data(), plain.size() * sizeof(double)) == 0 ? "yes" : "NO");
    }
}

}  // namespace

int main(int argc, char** argv) {
    const int repeats = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    std::printf("%-34s %12s %12s %12s\n", "computation (ns per frame, best)", "1,000", "10,000", "100,000");

    struct Row {
        const char* name;
        std::function<void(const std::vector<Frame>&, const FrameRecord&, const ChannelAnim&)> run;
    };
    ShakeSettings settings;
    settings.smoothing = 50;
    settings.trans_axis_mult = {100, 40, 0};
    settings.rot_axis_mult = {0, 50, 100};
    settings.ranges = parse_ranges("1-400, 300-90000");
    const Sample base{1, 2, 3, 4, 5, 6};

    const std::vector<Row> rows = {
        {"calculate_deltas",
         [](const std::vector<Frame>& f, const FrameRecord& src, const ChannelAnim&) {
             g_sink = g_sink + calculate_deltas(src, f.front()).samples.back()[0];
         }},
        {"extract_source_shake",
         [](const std::vector<Frame>& f, const FrameRecord& src, const ChannelAnim&) {
             g_sink = g_sink + extract_source_shake(src, f, 3, 2).samples.back()[0];
         }},
        {"smooth_camera_anim (50)",
         [](const std::vector<Frame>& f, const FrameRecord&, const ChannelAnim& a) {
             g_sink = g_sink + smooth_camera_anim(a, f, 50).back().values.back();
         }},
        {"compute keys: static",
         [&](const std::vector<Frame>& f, const FrameRecord& src, const ChannelAnim& a) {
             g_sink =
                 g_sink + compute_camera_keys(src, f, settings, base, CameraMode::static_pose, a).back().values.back();
         }},
        {"compute keys: animated",
         [&](const std::vector<Frame>& f, const FrameRecord& src, const ChannelAnim& a) {
             g_sink =
                 g_sink + compute_camera_keys(src, f, settings, base, CameraMode::animated, a).back().values.back();
         }},
        {"compute keys: relax",
         [&](const std::vector<Frame>& f, const FrameRecord& src, const ChannelAnim& a) {
             g_sink = g_sink + compute_camera_keys(src, f, settings, base, CameraMode::relax, a).back().values.back();
         }},
    };

    const std::size_t sizes[] = {1000, 10000, 100000};
    std::vector<std::vector<Frame>> frame_lists;
    std::vector<FrameRecord> sources;
    std::vector<ChannelAnim> anims;
    for (std::size_t n : sizes) {
        frame_lists.push_back(frame_span(1, static_cast<Frame>(n)));
        sources.push_back(make_source(frame_lists.back()));
        anims.push_back(make_camera_anim(frame_lists.back()));
    }
    for (const Row& row : rows) {
        std::printf("%-34s", row.name);
        for (std::size_t i = 0; i < 3; ++i) {
            const double ns = time_per_frame(sizes[i], repeats, [&] { row.run(frame_lists[i], sources[i], anims[i]); });
            std::printf(" %12.1f", ns);
        }
        std::printf("\n");
    }
    unwrap_rows(repeats, sizes);
    range_weight_rows(std::min(repeats, 3));
    return 0;
}
