#include "scene/own_keys.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <locale>
#include <optional>
#include <sstream>
#include <utility>
#include <vector>

#include "scene/applied_record.h"
#include "scene/take_up.h"
#include "scene/workflow_steps.h"

namespace trembla {

using namespace steps;

namespace {

// A value keyed by the tool and read back through the host went through its internal units and
// back (cm, radians): equal within a few ulps, never more than this part of its size.
constexpr double kRoundTrip = 1e-9;

bool same_value(double read, double keyed) {
    return std::fabs(read - keyed) <= kRoundTrip * std::max(1.0, std::fabs(keyed));
}

// More changed keys than this on one channel, and more than half of them, are no animator's.
constexpr std::size_t kMostHandKeys = 10;

bool same_time(double a, double b) { return std::fabs(a - b) <= kRoundTrip; }

bool outside(const Prepared& record, double time) {
    return time < static_cast<double>(record.start_frame) || time > static_cast<double>(record.end_frame);
}

// The shake the tool added at `time` on channel k: the keyed shake of that frame, between two
// frames the straight line between them; none outside the range, where the own keys are copied.
double shake_at(const Prepared& record, std::size_t k, double time) {
    const std::vector<double>& shake = record.keyed_shake[k];
    if (outside(record, time) || shake.empty()) return 0.0;
    const double at = time - static_cast<double>(record.start_frame);
    const auto below = static_cast<std::size_t>(std::floor(at));
    const std::size_t above = std::min(below + 1, shake.size() - 1);
    if (below >= shake.size()) return shake.back();
    const double part = at - std::floor(at);
    return part == 0.0 ? shake[below] : shake[below] + (shake[above] - shake[below]) * part;
}

// What the tool keyed at `time` on channel k, or nothing when it keyed no key there.
std::optional<double> keyed_at(const Prepared& record, std::size_t k, double time) {
    if (outside(record, time)) {
        for (const auto& [own_time, value] : record.own_keys_outside[k]) {
            if (same_time(own_time, time)) return value;
        }
        return std::nullopt;
    }
    const double at = time - static_cast<double>(record.start_frame);
    if (std::floor(at) != at) return std::nullopt;
    const auto i = static_cast<std::size_t>(at);
    if (i >= record.keyed_values[k].size()) return std::nullopt;
    return record.keyed_values[k][i];
}

std::string time_text(double time) {
    std::ostringstream out;
    out.imbue(std::locale::classic());
    out << time;
    return out.str();
}

// The channel's own curve, made through the host (in the caller's undo step) when it had none,
// under the name the host gives a channel's first key's curve.
std::string own_curve_for(Host& host, Prepared& record, const std::string& camera, std::size_t k) {
    if (!record.own_curves[k].empty() && host.obj_exists(record.own_curves[k])) return record.own_curves[k];
    const std::size_t bar = camera.rfind('|');
    const std::string leaf = bar == std::string::npos ? camera : camera.substr(bar + 1);
    const char* type = is_translate_channel(kChannels[k]) ? "animCurveTL" : "animCurveTA";
    const std::string made = host.create_node(type, leaf + "_" + kChannels[k]);
    // Linked as the channel's own curve at once: kept from the host's cleanup, and found again by
    // the link whatever it is called later.
    link_kept_curve(host, camera, k, made);
    record.own_curves[k] = made;
    return made;
}

// The record's samples of channel k read again from its own curve: the shake goes on top of the
// new keys.
void resample_channel(Host& host, Prepared& record, std::size_t k) {
    const std::string& curve = record.own_curves[k];
    const std::vector<Frame> frames = prepared_frames(record);
    std::vector<double> values =
        host.eval_curve_frames(curve, frames).value_or(std::vector<double>(frames.size(), 0.0));
    if (record.camera_base && !values.empty()) (*record.camera_base)[k] = values.front();
    for (ChannelSeries& series : record.camera_original_anim) {
        if (series.name == kChannels[k]) {
            series.values = std::move(values);
            return;
        }
    }
    record.camera_original_anim.push_back({kChannels[k], std::move(values)});
}

// Keys on the own curve under channel k's blend that the tool did not see there: the animator's,
// keyed on the shaken camera (an own curve the host made for such a key is new altogether).
void find_own_keys(Host& host, const Prepared& record, std::size_t k, std::vector<AnimatorKey>& found) {
    const std::string blend = record.shake_blends[k];
    if (!host.obj_exists(blend)) return;
    const std::optional<std::string> below = host.input_plug(blend + ".inputA");
    if (!below) return;
    const std::string own = below->substr(0, below->find('.'));
    if (!is_time_curve(host.node_type(own))) return;
    const std::vector<std::pair<double, double>> none;
    const auto& seen = own == record.own_curves[k] ? record.own_keys[k] : none;
    for (const auto& [time, value] : host.curve_keys(own)) {
        const bool known = std::any_of(seen.begin(), seen.end(), [&](const std::pair<double, double>& key) {
            return same_time(key.first, time) && same_value(value, key.second);
        });
        if (!known) found.push_back({k, time, value, own});
    }
}

}  // namespace

void record_own_keys_outside(Host& host, Prepared& record) {
    for (std::size_t k = 0; k < kChannelCount; ++k) {
        record.own_keys_outside[k].clear();
        record.own_keys[k].clear();
        record.own_looks[k] = CurveLook{};
        if (record.own_curves[k].empty()) continue;
        const std::vector<std::pair<double, double>> keys = host.curve_keys(record.own_curves[k]);
        record.own_keys[k] = keys;
        CurveLook look = host.curve_look(record.own_curves[k]);
        std::vector<KeyTangent> tangents;
        for (std::size_t i = 0; i < keys.size(); ++i) {
            if (!outside(record, keys[i].first)) continue;
            record.own_keys_outside[k].push_back(keys[i]);
            tangents.push_back(i < look.tangents.size() ? look.tangents[i] : KeyTangent{});
        }
        look.tangents = std::move(tangents);
        record.own_looks[k] = std::move(look);
    }
}

void copy_own_keys_outside(Host& host, const std::vector<std::pair<double, double>>& keys, const CurveLook& look,
                           const std::string& shake_curve) {
    for (const auto& [time, value] : keys) host.set_curve_key_at(shake_curve, time, value);
    // Weighting first: the weights below mean something only on a weighted curve. A new curve
    // is unweighted with constant infinity already.
    if (look.weighted || look.pre_infinity != "constant" || look.post_infinity != "constant") {
        host.set_curve_look(shake_curve, look);
    }
    for (std::size_t i = 0; i < keys.size() && i < look.tangents.size(); ++i) {
        host.set_key_tangent(shake_curve, keys[i].first, look.tangents[i]);
    }
}

std::vector<AnimatorKey> find_animator_keys(Host& host, const Prepared& record) {
    std::vector<AnimatorKey> found;
    if (!record.ready || !record.camera) return found;
    // No curve edited since the tool keyed these curves: they hold its keys alone, and reading
    // them back (every key of a long shot) would find nothing.
    const std::optional<std::uint64_t> mark = host.curve_edit_mark();
    if (mark && record.edits_seen == mark) return found;
    for (std::size_t k = 0; k < kChannelCount; ++k) {
        if (!record.shake_blends[k].empty()) {
            find_own_keys(host, record, k, found);
            continue;
        }
        const std::string curve = record.shake_curves[k];
        if (curve.empty() || record.keyed_values[k].empty() || !host.obj_exists(curve)) continue;
        std::size_t changed = 0;
        for (const auto& [time, value] : host.curve_keys(curve)) {
            const std::optional<double> keyed = keyed_at(record, k, time);
            if (keyed && same_value(value, *keyed)) continue;
            found.push_back({k, time, value, {}});
            if (keyed) ++changed;
        }
        // Most of the tool's own keys changed is not an animator's hand but keys the record does
        // not know (a step of the host's queue the tool could not follow): nothing is carried
        // rather than the shake written into the camera's own animation.
        if (changed > std::max<std::size_t>(kMostHandKeys, record.keyed_values[k].size() / 2)) return {};
    }
    return found;
}

bool carry_animator_keys(Host& host, Prepared& record) {
    // A taken-up shake knows what its session keyed once its samples are read again; a source
    // gone leaves nothing to tell the animator's keys by.
    if (record.ready && record.samples_pending) read_pending_samples(host, record);
    const std::vector<AnimatorKey> found = find_animator_keys(host, record);
    if (found.empty()) return false;
    carry_animator_keys(host, record, found);
    return true;
}

void carry_animator_keys(Host& host, Prepared& record, const std::vector<AnimatorKey>& carried) {
    if (carried.empty() || !record.camera) return;
    const std::string camera = *record.camera;

    std::string channels;
    for (std::size_t k = 0; k < kChannelCount; ++k) {
        std::string frames;
        std::size_t count = 0;
        for (const AnimatorKey& key : carried) {
            if (key.channel != k) continue;
            if (!key.own_curve.empty()) {
                // Already in the own animation: the host keyed it through the blend. A curve the
                // host made there for a channel that had none becomes the channel's own.
                if (record.own_curves[k] != key.own_curve) {
                    record.own_curves[k] = key.own_curve;
                    link_kept_curve(host, camera, k, key.own_curve);
                }
            } else {
                // The animator posed the shaken camera: without the shake, the camera stands at
                // the pose minus the shake keyed there, and that is the animator's own key.
                const std::string own = own_curve_for(host, record, camera, k);
                host.set_curve_key_at(own, key.time, key.pose - shake_at(record, k, key.time));
            }
            frames += (frames.empty() ? "" : ", ") + time_text(key.time);
            ++count;
        }
        if (count == 0) continue;
        resample_channel(host, record, k);
        channels +=
            (channels.empty() ? "" : "; ") + std::string(kChannels[k]) + (count == 1 ? " frame " : " frames ") + frames;
    }
    record_own_keys_outside(host, record);
    if (std::optional<AppliedRecord> applied = read_applied(host, camera)) {
        applied->own_curves = record.own_curves;
        if (record.camera_base) applied->base = *record.camera_base;
        write_applied(host, camera, *applied);
        record.noted = applied;
        record.noted_text = applied_text(*applied);
    }
    host.print_line("Trembla: keys set on the shaken camera kept in " + camera + "'s own animation: " + channels + ".");
}

}  // namespace trembla
