#include "scene/applied_links.h"

#include <algorithm>
#include <exception>
#include <optional>
#include <stdexcept>

#include "scene/host.h"

namespace trembla {
namespace {

std::string node_of(const std::string& plug) { return plug.substr(0, plug.find('.')); }

std::string element(const std::string& camera, const char* attribute, std::size_t k) {
    return camera + "." + attribute + "[" + std::to_string(k) + "]";
}

bool is_time_curve_node(Host& host, const std::string& node) { return is_time_curve(host.node_type(node)); }

// The tool's blend nodes are of the host's additive blend types (animBlendNodeAdditiveDL / DA).
bool is_blend_node_named(Host& host, const std::string& node) { return is_blend_node(host.node_type(node)); }

// What is wrong, said once for the caller to name the camera before it.
struct Refusal {
    std::string problem;
};

// The node linked into element k of the camera's array; nothing when none is.
std::optional<std::string> linked_at(Host& host, const std::string& camera, const char* attribute, std::size_t k) {
    const std::optional<std::string> input = host.input_plug(element(camera, attribute, k));
    if (!input) return std::nullopt;
    return node_of(*input);
}

// `fallback`, each node that no longer answers to its name replaced by the one linked at its
// channel in `attribute`, when that is of the kind `fits` accepts. A name that still answers is the
// node this session made; the links are asked only for one renamed (or deleted) since, so that a
// live update pays nothing for them.
ShakeCurves linked_where_renamed(Host& host, const std::string& camera, const char* attribute,
                                 const ShakeCurves& fallback, bool (*fits)(Host&, const std::string&)) {
    ShakeCurves nodes = fallback;
    std::optional<bool> linked;
    for (std::size_t k = 0; k < kChannelCount; ++k) {
        if (nodes[k].empty() || host.obj_exists(nodes[k])) continue;
        if (!linked) linked = host.has_attr(camera, attribute) && host.is_message_array(camera, attribute);
        const std::optional<std::string> node = *linked ? linked_at(host, camera, attribute, k) : std::nullopt;
        nodes[k] = node && fits(host, *node) ? *node : std::string();
    }
    return nodes;
}

// The time curve (or, for the blends, the blend node) linked for each channel in `attribute`; any
// other node there is refused.
ShakeCurves linked_curves(Host& host, const std::string& camera, const char* attribute) {
    ShakeCurves curves;
    if (!host.has_attr(camera, attribute)) return curves;
    const bool blends = std::string(attribute) == kBlendLinksAttribute;
    for (std::size_t k = 0; k < kChannelCount; ++k) {
        const std::optional<std::string> node = linked_at(host, camera, attribute, k);
        if (!node) continue;
        if (blends ? !is_blend_node_named(host, *node) : !is_time_curve_node(host, *node)) {
            throw Refusal{std::string(attribute) + "[" + std::to_string(k) + "] links " + shown_name(*node) +
                          (blends ? ", which is no blend node" : ", which is no animation curve of time")};
        }
        curves[k] = *node;
    }
    return curves;
}

bool any_named(const ShakeCurves& curves) {
    return std::any_of(curves.begin(), curves.end(), [](const std::string& name) { return !name.empty(); });
}

// A note of version 1 names its curves; it agrees with the scene when each named shake curve is
// the time curve driving its channel (or is gone, its channel undriven), and each own curve it
// names is the one linked for the channel, or drives the channel still (not set aside).
ShakeCurves agreed_v1_shake(Host& host, const std::string& camera, const AppliedRecord& noted,
                            const ShakeCurves& own_links) {
    const ShakeCurves drivers = driving_curves(host, camera);
    ShakeCurves shake;
    // Not one named shake curve on this camera and no own curve linked: another camera's note.
    bool any_driving = false;
    for (std::size_t k = 0; k < kChannelCount; ++k) {
        any_driving = any_driving || (!noted.shake_curves[k].empty() && drivers[k] == noted.shake_curves[k]);
    }
    if (!any_driving && !any_named(own_links)) return shake;
    for (std::size_t k = 0; k < kChannelCount; ++k) {
        const std::string& named_shake = noted.shake_curves[k];
        const std::string& named_own = noted.own_curves[k];
        const std::string channel = kChannels[k];
        if (!named_shake.empty()) {
            if (drivers[k] == named_shake) {
                shake[k] = named_shake;
            } else if (!drivers[k].empty() || host.obj_exists(named_shake)) {
                throw Refusal{channel + " is not driven by the shake curve its note names (" + shown_name(named_shake) +
                              ")"};
            }
        } else if (!drivers[k].empty() && drivers[k] != named_own && drivers[k] != own_links[k]) {
            throw Refusal{channel + " is driven by " + shown_name(drivers[k]) + ", which its note does not name"};
        }
        // A linked own curve renamed since is still the one; a link the note does not tell of,
        // or an own curve named but neither linked nor driving, is not.
        const bool linked_unnamed = !own_links[k].empty() && named_own.empty();
        const bool named_lost =
            own_links[k].empty() && !named_own.empty() && drivers[k] != named_own && host.obj_exists(named_own);
        if (linked_unnamed || named_lost) {
            throw Refusal{"the own curve of " + channel + " does not agree with the one linked (" +
                          shown_name(named_own.empty() ? own_links[k] : named_own) + ")"};
        }
    }
    return shake;
}

// The shake curves key every whole frame of the noted range: a key on its first and last frame,
// and at least as many keys as frames. A range no curve of the scene keys is no range to sample.
void check_range(Host& host, const AppliedRecord& noted) {
    const std::string range = std::to_string(noted.start_frame) + " to " + std::to_string(noted.end_frame);
    if (noted.end_frame < noted.start_frame ||
        static_cast<std::uint64_t>(noted.end_frame) - static_cast<std::uint64_t>(noted.start_frame) >=
            static_cast<std::uint64_t>(kMaxSampledFrames)) {
        throw Refusal{"its note's range " + range + " is out of bounds"};
    }
    const auto frames = static_cast<std::size_t>(noted.end_frame - noted.start_frame) + 1;
    for (const std::string& curve : noted.shake_curves) {
        if (curve.empty()) continue;
        const std::vector<std::pair<double, double>> keys = host.curve_keys(curve);
        const bool ends = !keys.empty() && keys.front().first <= static_cast<double>(noted.start_frame) &&
                          keys.back().first >= static_cast<double>(noted.end_frame);
        const auto has_key = [&](Frame frame) {
            return std::any_of(keys.begin(), keys.end(),
                               [&](const auto& key) { return key.first == static_cast<double>(frame); });
        };
        if (!ends || keys.size() < frames || !has_key(noted.start_frame) || !has_key(noted.end_frame)) {
            throw Refusal{"its note's range " + range + " is not keyed on every frame by " + shown_name(curve)};
        }
    }
}

void check_arrays(Host& host, const std::string& camera) {
    for (const char* attribute : {kKeptCurvesAttribute, kShakeLinksAttribute, kLayerLinksAttribute,
                                  kMutedLinksAttribute, kBlendLinksAttribute}) {
        if (host.has_attr(camera, attribute) && !host.is_message_array(camera, attribute)) {
            throw Refusal{std::string(attribute) + " is not the tool's array of links"};
        }
    }
}

AppliedFinding read_finding(Host& host, const std::string& camera, bool check_keys) {
    AppliedFinding found;
    std::optional<std::string> text;
    try {
        text = host.string_attr(camera, kAppliedAttribute);
    } catch (const NotTextError&) {
        // A number or a list under the note's name: a note of another kind, refused with one line.
        throw Refusal{std::string(kAppliedAttribute) + " holds no text"};
    } catch (const std::exception&) {
        // Links under the note's name are one too; any other failure of the host is one to report.
        const std::exception_ptr failure = std::current_exception();
        if (!host.has_attr(camera, kAppliedAttribute) || !host.is_message_array(camera, kAppliedAttribute)) {
            std::rethrow_exception(failure);
        }
        throw Refusal{std::string(kAppliedAttribute) + " holds no text"};
    }
    if (!text || text->empty()) return found;
    found.text = *text;
    NoteReading reading = read_note(*text);
    if (!reading.record) throw Refusal{reading.problem};
    check_arrays(host, camera);
    AppliedRecord noted = std::move(*reading.record);
    const ShakeCurves own_links = linked_curves(host, camera, kKeptCurvesAttribute);
    if (reading.version == 1) {
        // No link tells which layers were this tool's: they are left alone.
        found.unproven_layers = noted.layers;
        for (const std::string& layer : noted.muted) {
            if (std::find(found.unproven_layers.begin(), found.unproven_layers.end(), layer) ==
                found.unproven_layers.end())
                found.unproven_layers.push_back(layer);
        }
        noted.layers.clear();
        noted.muted.clear();
    } else {
        noted.layers = linked_layers(host, camera, kLayerLinksAttribute);
        noted.muted.clear();
        for (const std::string& layer : linked_layers(host, camera, kMutedLinksAttribute)) {
            if (std::find(noted.layers.begin(), noted.layers.end(), layer) != noted.layers.end())
                noted.muted.push_back(layer);
        }
    }
    if (!noted.live) {
        noted.own_curves = own_links;
        noted.shake_curves = ShakeCurves{};
        noted.blends = ShakeCurves{};
        found.state = AppliedFinding::State::held;
        found.record = std::move(noted);
        return found;
    }
    const ShakeCurves shake = reading.version == 1 ? agreed_v1_shake(host, camera, noted, own_links)
                                                   : linked_curves(host, camera, kShakeLinksAttribute);
    if (!any_named(shake) && !any_named(own_links)) {
        found.state = AppliedFinding::State::foreign;
        found.problem = shown_name(camera) +
                        ": its note belongs to another camera (a copy carries the note of the camera it was copied "
                        "from); nothing taken up.";
        return found;
    }
    if (reading.version >= 2) {
        // Unlinked, an own curve its note names may still drive its channel (never set aside).
        for (std::size_t k = 0; k < kChannelCount; ++k) {
            if (!own_links[k].empty() || !shake[k].empty() || noted.own_curves[k].empty()) {
                noted.own_curves[k] = own_links[k];
                continue;
            }
            const std::optional<std::string> input = host.input_plug(base_plug(host, camera, kChannels[k]));
            if (!input || node_of(*input) != noted.own_curves[k]) noted.own_curves[k].clear();
        }
    } else {
        // The link wins over the name: a linked own curve renamed since is still the one.
        for (std::size_t k = 0; k < kChannelCount; ++k) {
            if (!own_links[k].empty() || !shake[k].empty()) noted.own_curves[k] = own_links[k];
        }
    }
    noted.shake_curves = shake;
    // Only a note of version 3 tells of blends: the links say which they are. A layer's blend node
    // is of the same types: one adding any curve but the channel's linked shake curve is someone
    // else's, and reset would take it out of their chain. One that lost its curve is still ours.
    noted.blends = reading.version >= 3 ? linked_curves(host, camera, kBlendLinksAttribute) : ShakeCurves{};
    for (std::size_t k = 0; k < kChannelCount; ++k) {
        if (noted.blends[k].empty()) continue;
        const std::optional<std::string> added = host.input_plug(noted.blends[k] + ".inputB");
        if (added && node_of(*added) != shake[k]) {
            throw Refusal{std::string(kBlendLinksAttribute) + "[" + std::to_string(k) + "] links " +
                          shown_name(noted.blends[k]) + ", which does not add the shake curve linked for " +
                          kChannels[k]};
        }
    }
    if (check_keys) check_range(host, noted);
    found.state = AppliedFinding::State::held;
    found.record = std::move(noted);
    return found;
}

}  // namespace

std::string shown_name(const std::string& name) {
    constexpr std::size_t kShown = 100;
    if (name.size() <= kShown) return name;
    std::size_t cut = kShown;
    // Never inside a character: back up over UTF-8 continuation bytes.
    while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) --cut;
    return name.substr(0, cut) + "\xE2\x80\xA6";
}

AppliedFinding find_applied(Host& host, const std::string& camera, bool check_keys) {
    if (camera.empty() || !host.obj_exists(camera)) return {};
    try {
        return read_finding(host, camera, check_keys);
    } catch (const Refusal& refusal) {
        AppliedFinding found;
        found.state = AppliedFinding::State::refused;
        found.problem = shown_name(camera) + ": " + refusal.problem + "; nothing taken up.";
        return found;
    }
}

void warn_unproven_layers(Host& host, const AppliedFinding& found) {
    if (found.unproven_layers.empty()) return;
    std::string names;
    for (const std::string& layer : found.unproven_layers) names += (names.empty() ? "" : ", ") + shown_name(layer);
    host.warning("Layers the note names but nothing shows to be this tool's were left as they are: " + names + ".");
}

void require_camera(Host& host, const std::string& camera) {
    if (camera.empty() || !host.obj_exists(camera)) {
        throw std::runtime_error("Camera " + shown_name(camera) + " no longer exists (deleted or renamed).");
    }
}

ShakeCurves linked_shake_curves(Host& host, const std::string& camera, const ShakeCurves& fallback) {
    return linked_where_renamed(host, camera, kShakeLinksAttribute, fallback, is_time_curve_node);
}

void link_shake_curves(Host& host, const std::string& camera, const ShakeCurves& curves) {
    if (!any_named(curves)) return;
    if (!host.has_attr(camera, kShakeLinksAttribute)) host.add_message_attr(camera, kShakeLinksAttribute);
    // Each curve was made in this same step: no link holds it yet, and the one of the curve it
    // replaced went with that curve (connect_attr forces).
    for (std::size_t k = 0; k < kChannelCount; ++k) {
        if (!curves[k].empty()) host.connect_attr(curves[k] + ".message", element(camera, kShakeLinksAttribute, k));
    }
}

void link_shake_blends(Host& host, const std::string& camera, const ShakeCurves& blends) {
    if (!any_named(blends)) return;
    if (!host.has_attr(camera, kBlendLinksAttribute)) host.add_message_attr(camera, kBlendLinksAttribute);
    for (std::size_t k = 0; k < kChannelCount; ++k) {
        if (blends[k].empty()) continue;
        const std::string link = element(camera, kBlendLinksAttribute, k);
        const std::optional<std::string> input = host.input_plug(link);
        if (!input || node_of(*input) != blends[k]) host.connect_attr(blends[k] + ".message", link);
    }
}

ShakeCurves linked_shake_blends(Host& host, const std::string& camera, const ShakeCurves& fallback) {
    return linked_where_renamed(host, camera, kBlendLinksAttribute, fallback, is_blend_node_named);
}

std::vector<std::string> linked_layers(Host& host, const std::string& camera, const char* attribute) {
    std::vector<std::string> layers;
    if (!host.has_attr(camera, attribute)) return layers;
    for (const std::string& node : host.linked_nodes(camera, attribute)) {
        if (host.anim_layer_exists(node)) layers.push_back(node);
    }
    return layers;
}

void link_layer(Host& host, const std::string& camera, const char* attribute, const std::string& layer) {
    if (!host.has_attr(camera, attribute)) host.add_message_attr(camera, attribute);
    for (std::size_t k = 0;; ++k) {
        const std::optional<std::string> input = host.input_plug(element(camera, attribute, k));
        if (input && node_of(*input) == layer) return;
        if (!input) {
            host.connect_attr(layer + ".message", element(camera, attribute, k));
            return;
        }
    }
}

void drop_links(Host& host, const std::string& camera, const char* attribute) {
    if (host.has_attr(camera, attribute)) host.delete_attr(camera, attribute);
}

}  // namespace trembla
