// A small shot for the workflow tests: a moving source, a camera with its own animation (one
// rotation wraps past 180 degrees) and controls set away from their defaults, so that a swapped or
// dropped argument changes the keys. The expected keys are computed straight from the scene's
// tables through the shake computation, independently of what the workflow stored.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/apply.h"
#include "core/extraction.h"
#include "core/ranges.h"
#include "core/records.h"
#include "core/sampling.h"
#include "fake_host.h"
#include "scene/prepared.h"
#include "scene/shake_curves.h"
#include "scene/source_motion.h"
#include "scene/workflow.h"

namespace trembla::testing_scene {

inline const std::string kCamera = "cam1";
inline const std::string kSource = "shaker";
inline constexpr Frame kFirst = 1;
inline constexpr Frame kLast = 30;

inline Sample source_pose(Frame f) {
    const double t = static_cast<double>(f);
    return {2.0 * std::sin(t * 1.3),  std::cos(t * 0.7),       0.1 * t,
            10.0 * std::sin(t * 0.9), 5.0 * std::cos(t * 1.7), 0.5 * t};
}

inline Sample camera_world_pose(Frame f) {
    const double t = static_cast<double>(f);
    return {5.0 + 0.1 * t, 2.0, -10.0, 15.0, 30.0 + t, 0.25};
}

// The camera's own local channel values; rotateY wraps from +180 to -180 after frame 5.
inline double camera_channel(std::size_t channel, Frame f) {
    const double t = static_cast<double>(f);
    switch (channel) {
        case 0:
            return 0.2 * t;
        case 1:
            return 1.5 + std::sin(t);
        case 2:
            return -3.0 * t;
        case 3:
            return 12.0 + std::cos(t * 0.5);
        case 4:
            return f < 6 ? 174.0 + t : 174.0 + t - 360.0;
        default:
            return -45.0 + 0.3 * t;
    }
}

inline std::string plug(const std::string& channel) { return kCamera + "." + channel; }

// The start pose: the camera's own channels on the first frame. Its world pose differs (as under a
// moved parent) and must never be written into its channels.
inline Sample camera_start_pose() {
    Sample pose{};
    for (std::size_t k = 0; k < kChannelCount; ++k) pose[k] = camera_channel(k, kFirst);
    return pose;
}

inline std::vector<Frame> shot_frames() { return frame_span(kFirst, kLast); }

inline std::vector<std::string> all_channels() { return {kChannels.begin(), kChannels.end()}; }

inline ShakeControls shaped_controls(const std::string& mode) {
    ShakeControls c;
    c.camera_field = kCamera;
    c.source_field = kSource;
    c.settings.lag_trans = 2;
    c.settings.lag_rot = 4;
    c.settings.smooth = 30;
    c.settings.amount = 150;
    c.settings.trans_amp = 80;
    c.settings.rot_amp = 120;
    c.settings.ranges = "3-25, 27-29";
    c.settings.fade_in = 2;
    c.settings.fade_out = 4;
    c.settings.mode = camera_mode_from_text(mode, CameraMode::static_pose);
    c.settings.layer_name = "shot_layer";
    c.settings.trans_x = 100;
    c.settings.trans_y = 50;
    c.settings.trans_z = 75;
    c.settings.rot_x = 90;
    c.settings.rot_y = 100;
    c.settings.rot_z = 25;
    return c;
}

// The settings the window's controls stand for, spelled out field by field.
inline ShakeSettings settings_of(const ShakeControls& c) {
    ShakeSettings s;
    s.smoothing = c.settings.smooth;
    s.amount = c.settings.amount;
    s.trans_amp = c.settings.trans_amp;
    s.rot_amp = c.settings.rot_amp;
    s.trans_axis_mult = {double(c.settings.trans_x), double(c.settings.trans_y), double(c.settings.trans_z)};
    s.rot_axis_mult = {double(c.settings.rot_x), double(c.settings.rot_y), double(c.settings.rot_z)};
    s.use_translate = c.settings.translate_enabled;
    s.use_rotate = c.settings.rotate_enabled;
    s.ranges = parse_ranges(c.settings.ranges);
    s.fade_in = c.settings.fade_in;
    s.fade_out = c.settings.fade_out;
    return s;
}

inline FrameRecord expected_source_data() {
    std::vector<std::pair<Frame, Sample>> entries;
    for (Frame f : shot_frames()) entries.emplace_back(f, source_pose(f));
    return make_frame_record(std::move(entries));
}

// What every prepare records of the camera, whatever its mode.
inline ChannelAnim expected_recording() {
    ChannelAnim recorded;
    for (std::size_t k = 0; k < kChannelCount; ++k) {
        ChannelSeries series{kChannels[k], {}};
        for (Frame f : shot_frames()) series.values.push_back(camera_channel(k, f));
        recorded.push_back(std::move(series));
    }
    return recorded;
}

// Keys per channel that the shake computation gives for this shot prepared in `prepared_mode`.
inline std::map<std::string, std::map<Frame, double>> expected_curves(const std::string& prepared_mode,
                                                                      const ShakeControls& c) {
    const std::vector<Frame> frames = shot_frames();
    const FrameRecord deltas = calculate_deltas(expected_source_data(), kFirst);
    const FrameRecord shake = extract_source_shake(deltas, frames, c.settings.lag_trans, c.settings.lag_rot);
    const std::vector<ChannelKeys> keys =
        compute_camera_keys(shake, frames, settings_of(c), camera_start_pose(),
                            camera_mode_from_text(prepared_mode, CameraMode::static_pose), expected_recording());
    std::map<std::string, std::map<Frame, double>> curves;
    for (const ChannelKeys& channel : keys) {
        auto& curve = curves[channel.channel];
        for (std::size_t i = 0; i < frames.size(); ++i) curve[frames[i]] = channel.values.at(i);
    }
    return curves;
}

// Equal channel by channel and frame by frame within rounding: the camera is its own value plus an
// offset that was the keyed value less it.
inline ::testing::AssertionResult same_motion(const std::map<std::string, std::map<Frame, double>>& actual,
                                              const std::map<std::string, std::map<Frame, double>>& expected) {
    if (actual.size() != expected.size()) return ::testing::AssertionFailure() << "other channels";
    for (const auto& [channel, keys] : expected) {
        const auto found = actual.find(channel);
        if (found == actual.end() || found->second.size() != keys.size()) {
            return ::testing::AssertionFailure() << channel << ": other frames";
        }
        for (const auto& [frame, value] : keys) {
            const auto at = found->second.find(frame);
            if (at == found->second.end() || std::abs(at->second - value) > 1e-9) {
                return ::testing::AssertionFailure()
                       << channel << " at " << frame << ": " << (at == found->second.end() ? NAN : at->second)
                       << " not " << value;
            }
        }
    }
    return ::testing::AssertionSuccess();
}

inline ::testing::AssertionResult same_motion(const std::map<Frame, double>& actual,
                                              const std::map<Frame, double>& expected) {
    return same_motion(std::map<std::string, std::map<Frame, double>>{{"", actual}},
                       std::map<std::string, std::map<Frame, double>>{{"", expected}});
}

inline std::map<Frame, double> recorded_keys(std::size_t channel) {
    std::map<Frame, double> keys;
    for (Frame f : shot_frames()) keys[f] = camera_channel(channel, f);
    return keys;
}

class WorkflowTest : public ::testing::Test {
protected:
    WorkflowTest() {
        host.playback_start = static_cast<double>(kFirst);
        host.playback_end = static_cast<double>(kLast);
        host.time = 12;
        host.add_camera(kCamera);
        host.add_node(kSource);
        for (Frame f = kFirst; f <= kLast; ++f) {
            host.set_world(kSource, f, source_pose(f));
            host.set_world(kCamera, f, camera_world_pose(f));
        }
        // The camera's own animation: one curve per channel, keyed on every frame and connected.
        for (std::size_t k = 0; k < kChannelCount; ++k) {
            const std::string curve = own_curve(k);
            host.add_node(curve);
            host.curves[curve] = FakeCurve{k < 3 ? "animCurveTL" : "animCurveTA", recorded_keys(k)};
            host.connections[plug(kChannels[k])] = curve + ".output";
        }
    }

    static std::string own_curve(std::size_t k) { return std::string(kCamera) + "_" + kChannels[k]; }

    // Whether every channel is driven by its own curve again, holding the keys it was made with.
    void expect_own_curves_back() const {
        for (std::size_t k = 0; k < kChannelCount; ++k) {
            EXPECT_EQ(host.connections.at(plug(kChannels[k])), own_curve(k) + ".output") << kChannels[k];
            EXPECT_EQ(host.curves.at(own_curve(k)).keys, recorded_keys(k)) << kChannels[k];
        }
    }

    PrepareOutcome prepare(const ShakeControls& c) {
        return prepare_shake(host, record, saved_mode, c,
                             [this](const std::exception_ptr& failure) { reported.push_back(failure); });
    }

    // Prepares and then forgets the calls and messages, so that a test sees only its own operation.
    void prepare_quietly(const ShakeControls& c) {
        ASSERT_EQ(prepare(c), PrepareOutcome::Prepared);
        host.clear_calls();
        host.printed_lines.clear();
        host.in_view_messages.clear();
    }

    // What each channel with a shake curve moves to on every frame of the shot, by channel: the
    // shake curve adds to the own curve through its blend.
    std::map<std::string, std::map<Frame, double>> shake_curves() {
        std::map<std::string, std::map<Frame, double>> found;
        for (const char* channel : kChannels) {
            if (host.curves.count(shake_curve_name(kCamera, channel)) == 0) continue;
            for (Frame f : shot_frames()) found[channel][f] = host.value_at(plug(channel), static_cast<double>(f));
        }
        return found;
    }

    FakeHost host;
    Prepared record;
    std::optional<std::string> saved_mode;
    std::vector<std::exception_ptr> reported;
};

inline std::string what_of(const std::exception_ptr& failure) {
    try {
        std::rethrow_exception(failure);
    } catch (const std::exception& error) {
        return error.what();
    }
}

// Position of the first call named `op` (optionally with first argument `arg`), or -1.
inline long position_of(const FakeHost& host, const std::string& op, const std::optional<std::string>& arg = {}) {
    const std::vector<HostCall>& calls = host.calls();
    for (std::size_t i = 0; i < calls.size(); ++i) {
        if (calls[i].op == op && (!arg || (!calls[i].args.empty() && calls[i].args[0] == *arg))) return long(i);
    }
    return -1;
}

inline long last_position_of(const FakeHost& host, const std::string& op) {
    const std::vector<HostCall>& calls = host.calls();
    for (std::size_t i = calls.size(); i-- > 0;) {
        if (calls[i].op == op) return long(i);
    }
    return -1;
}

}  // namespace trembla::testing_scene
