#include "scene/applied_record.h"

#include <algorithm>
#include <array>
#include <locale>
#include <sstream>

#include "scene/applied_links.h"
#include "scene/host.h"

namespace trembla {
namespace {

// Version 1 ends where its last line does, so that a note cut short reads as a shorter note;
// versions 2 and 3 close with "end <lines above it>" and are read only whole. Version 3 names the
// blend node of each channel ("blend <channel> <node>"): its shake curve adds to the own curve.
// Version 4 adds the clip a shake plays ("clip <offset> <frame rate> <hash> <name>", the name the
// rest of the line, escaped as a text setting) and is the only version that has that line.
constexpr const char* kHeaderV1 = "trembla-applied 1";
constexpr const char* kHeaderV2 = "trembla-applied 2";
constexpr const char* kHeaderV3 = "trembla-applied 3";
constexpr const char* kHeaderV4 = "trembla-applied 4";
constexpr const char* kEndKey = "end";

std::string node_of(const std::string& plug) { return plug.substr(0, plug.find('.')); }

std::string channel_plug(const std::string& camera, const char* channel) { return camera + "." + channel; }

// The inputA plug that matches a blend node's output plug: "output" -> "inputA", and for a node
// that blends a whole rotation, "outputX" -> "inputAX".
std::string blend_input_a(const std::string& output_plug) {
    const std::string::size_type dot = output_plug.find('.');
    const std::string attribute = dot == std::string::npos ? std::string() : output_plug.substr(dot + 1);
    const std::string suffix = attribute.rfind("output", 0) == 0 ? attribute.substr(6) : std::string();
    return node_of(output_plug) + ".inputA" + suffix;
}

std::optional<std::size_t> channel_position(const std::string& name) {
    for (std::size_t k = 0; k < kChannelCount; ++k) {
        if (name == kChannels[k]) return k;
    }
    return std::nullopt;
}

// A text setting is the rest of its line: a backslash and a line break are escaped.
std::string escaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\\') {
            out += "\\\\";
        } else if (c == '\n') {
            out += "\\n";
        } else {
            out += c;
        }
    }
    return out;
}

std::string unescaped(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            out += text[++i] == 'n' ? '\n' : text[i];
        } else {
            out += text[i];
        }
    }
    return out;
}

// One "setting <name> <value>" line per setting, named and ordered as the preset file has them.
struct SettingWriter {
    std::ostream& out;
    void operator()(const char* name, int value) const { out << "setting " << name << " " << value << "\n"; }
    void operator()(const char* name, bool value) const { out << "setting " << name << " " << (value ? 1 : 0) << "\n"; }
    void operator()(const char* name, const std::string& value) const {
        out << "setting " << name << " " << escaped(value) << "\n";
    }
    void operator()(const char* name, CameraMode value) const {
        out << "setting " << name << " " << camera_mode_text(value) << "\n";
    }
};

// Reads the value of the setting `wanted`, the rest of a "setting" line; a value that does not
// read leaves the setting as it was.
struct SettingReader {
    const std::string& wanted;
    const std::string& text;
    void operator()(const char* name, int& value) const {
        if (wanted != name) return;
        std::istringstream in(text);
        in.imbue(std::locale::classic());
        int read = 0;
        if (in >> read) value = read;
    }
    void operator()(const char* name, bool& value) const {
        if (wanted == name && (text == "0" || text == "1")) value = text == "1";
    }
    void operator()(const char* name, std::string& value) const {
        if (wanted == name) value = unescaped(text);
    }
    void operator()(const char* name, CameraMode& value) const {
        if (wanted == name) value = camera_mode_from_text(text, value);
    }
};

}  // namespace

bool is_time_curve(const std::string& type) { return type.rfind("animCurveT", 0) == 0; }

bool is_blend_node(const std::string& type) { return type.rfind("animBlendNode", 0) == 0; }

std::string applied_text(const AppliedRecord& record) {
    std::ostringstream out;
    out.imbue(std::locale::classic());
    out.precision(17);
    out << (record.clip ? kHeaderV4 : kHeaderV3) << "\n";
    out << "live " << (record.live ? 1 : 0) << "\n";
    if (!record.source.empty()) out << "source " << record.source << "\n";
    if (const std::optional<NotedClip>& clip = record.clip) {
        out << "clip " << clip->offset << " " << clip->frame_rate << " " << clip->hash << " " << escaped(clip->name)
            << "\n";
    }
    if (!record.mode.empty()) out << "mode " << record.mode << "\n";
    out << "range " << record.start_frame << " " << record.end_frame << "\n";
    for (std::size_t k = 0; k < kChannelCount; ++k) {
        out << "base " << kChannels[k] << " " << record.base[k] << "\n";
        if (!record.own_curves[k].empty()) out << "own " << kChannels[k] << " " << record.own_curves[k] << "\n";
        if (!record.shake_curves[k].empty()) out << "shake " << kChannels[k] << " " << record.shake_curves[k] << "\n";
        if (!record.blends[k].empty()) out << "blend " << kChannels[k] << " " << record.blends[k] << "\n";
    }
    for (const std::string& layer : record.layers) out << "layer " << layer << "\n";
    for (const std::string& layer : record.muted) out << "muted " << layer << "\n";
    if (record.settings) {
        for_each_setting(*record.settings, SettingWriter{out});
        out << "bypass " << (record.bypass ? 1 : 0) << "\n";
    }
    std::string text = out.str();
    const auto lines = std::count(text.begin(), text.end(), '\n');
    text += std::string(kEndKey) + " " + std::to_string(lines) + "\n";
    return text;
}

NoteReading read_note(const std::string& text) {
    NoteReading reading;
    if (text.size() > kMaxNoteBytes) {
        reading.problem = "its note is " + std::to_string(text.size()) + " bytes, more than a note holds (1 MiB)";
        return reading;
    }
    const std::string::size_type first_end = text.find('\n');
    const std::string header = text.substr(0, first_end);
    if (header == kHeaderV4) {
        reading.version = 4;
    } else if (header == kHeaderV3) {
        reading.version = 3;
    } else if (header == kHeaderV2) {
        reading.version = 2;
    } else if (header == kHeaderV1) {
        reading.version = 1;
    } else {
        reading.problem = "its note is not one this tool wrote";
        return reading;
    }
    std::string body = text;
    if (reading.version >= 2) {
        // The end line is the last, and counts the lines above it: a note cut anywhere lacks it
        // or miscounts.
        const std::string::size_type last_start =
            text.size() < 2 ? std::string::npos : text.rfind('\n', text.size() - 2);
        const std::string end_line = last_start == std::string::npos || text.back() != '\n'
                                         ? std::string()
                                         : text.substr(last_start + 1, text.size() - last_start - 2);
        body = last_start == std::string::npos ? std::string() : text.substr(0, last_start + 1);
        const auto lines = std::count(body.begin(), body.end(), '\n');
        if (end_line != std::string(kEndKey) + " " + std::to_string(lines)) {
            reading.problem = "its note is cut short";
            return reading;
        }
    }
    reading.record = parse_applied(body);
    if (!reading.record) reading.problem = "its note does not read";
    return reading;
}

std::optional<AppliedRecord> parse_applied(const std::string& text) {
    std::istringstream in(text);
    in.imbue(std::locale::classic());
    std::string line;
    if (!std::getline(in, line) || (line != kHeaderV4 && line != kHeaderV3 && line != kHeaderV2 && line != kHeaderV1)) {
        return std::nullopt;
    }
    const bool names_clip = line == kHeaderV4;
    AppliedRecord record;
    bool has_range = false;
    bool has_bypass = false;
    bool has_settings = false;
    std::array<bool, kChannelCount> has_base{};
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        fields.imbue(std::locale::classic());
        std::string key;
        fields >> key;
        if (key == "live") {
            int live = 0;
            if (!(fields >> live)) return std::nullopt;
            record.live = live != 0;
        } else if (key == "source") {
            fields >> record.source;
        } else if (key == "clip") {
            NotedClip clip;
            std::string name;
            if (!(fields >> clip.offset >> clip.frame_rate >> clip.hash) || !std::getline(fields, name)) {
                return std::nullopt;
            }
            if (name.size() < 2 || name.front() != ' ') return std::nullopt;
            clip.name = unescaped(name.substr(1));
            record.clip = std::move(clip);
        } else if (key == "mode") {
            fields >> record.mode;
        } else if (key == "range") {
            if (!(fields >> record.start_frame >> record.end_frame)) return std::nullopt;
            has_range = true;
        } else if (key == "layer") {
            std::string layer;
            if (fields >> layer) record.layers.push_back(layer);
        } else if (key == "muted") {
            std::string layer;
            if (fields >> layer) record.muted.push_back(layer);
        } else if (key == "setting") {
            std::string name;
            fields >> name;
            std::string value;
            std::getline(fields, value);
            if (!value.empty() && value.front() == ' ') value.erase(0, 1);
            if (!record.settings) record.settings = ControlValues{};
            has_settings = true;
            for_each_setting(*record.settings, SettingReader{name, value});
        } else if (key == "bypass") {
            int bypass = 0;
            if (!(fields >> bypass)) return std::nullopt;
            record.bypass = bypass != 0;
            has_bypass = true;
        } else if (key == "base" || key == "own" || key == "shake" || key == "blend") {
            std::string channel;
            fields >> channel;
            const std::optional<std::size_t> k = channel_position(channel);
            if (!k) return std::nullopt;
            if (key == "base") {
                if (!(fields >> record.base[*k])) return std::nullopt;
                has_base[*k] = true;
            } else {
                ShakeCurves& names = key == "own"     ? record.own_curves
                                     : key == "shake" ? record.shake_curves
                                                      : record.blends;
                fields >> names[*k];
            }
        }
    }
    // The clip line and version 4 come together.
    if (record.clip.has_value() != names_clip) return std::nullopt;
    // A live note without its range, a channel's base or the bypass that closes its settings was
    // cut short (the writer always gives them).
    if (record.live) {
        if (!has_range || std::find(has_base.begin(), has_base.end(), false) != has_base.end()) return std::nullopt;
        if (has_settings && !has_bypass) return std::nullopt;
    }
    return record;
}

std::optional<AppliedRecord> read_applied(Host& host, const std::string& camera) {
    const std::optional<std::string> text = host.string_attr(camera, kAppliedAttribute);
    if (!text) return std::nullopt;
    return parse_applied(*text);
}

void write_applied(Host& host, const std::string& camera, const AppliedRecord& record) {
    host.set_string_attr(camera, kAppliedAttribute, applied_text(record));
}

std::string base_plug(Host& host, const std::string& camera, const char* channel, const std::string& through) {
    std::string plug = channel_plug(camera, channel);
    // A cycle of blend nodes cannot be made in the host; the bound only keeps a broken scene from
    // hanging the tool.
    for (int depth = 0; depth < 1000; ++depth) {
        const std::optional<std::string> input = host.input_plug(plug);
        if (!input || (!through.empty() && node_of(*input) == through)) break;
        if (!is_blend_node(host.node_type(node_of(*input)))) break;
        plug = blend_input_a(*input);
    }
    return plug;
}

std::vector<std::string> foreign_drivers(Host& host, const std::string& camera) {
    std::vector<std::string> driven;
    for (const char* channel : kChannels) {
        const std::optional<std::string> input = host.input_plug(base_plug(host, camera, channel));
        if (input && !is_time_curve(host.node_type(node_of(*input)))) {
            driven.push_back(channel_plug(camera, channel) + " (driven by " + *input + ")");
        }
    }
    return driven;
}

ShakeCurves driving_curves(Host& host, const std::string& camera) {
    ShakeCurves curves;
    for (std::size_t k = 0; k < kChannelCount; ++k) {
        const std::optional<std::string> input = host.input_plug(base_plug(host, camera, kChannels[k]));
        if (input && is_time_curve(host.node_type(node_of(*input)))) curves[k] = node_of(*input);
    }
    return curves;
}

namespace {

std::string kept_link(const std::string& camera, std::size_t k) {
    return camera + "." + kKeptCurvesAttribute + "[" + std::to_string(k) + "]";
}

// The links of the own curves come off with the attribute that held them: the camera is left as
// the animator made it.
void unlink_kept_curves(Host& host, const std::string& camera) {
    if (!host.has_attr(camera, kKeptCurvesAttribute)) return;
    for (std::size_t k = 0; k < kChannelCount; ++k) {
        const std::string link = kept_link(camera, k);
        if (const std::optional<std::string> input = host.input_plug(link)) host.disconnect_attr(*input, link);
    }
    host.delete_attr(camera, kKeptCurvesAttribute);
}

}  // namespace

void link_kept_curve(Host& host, const std::string& camera, std::size_t k, const std::string& curve) {
    if (!host.has_attr(camera, kKeptCurvesAttribute)) host.add_message_attr(camera, kKeptCurvesAttribute);
    const std::optional<std::string> linked = host.input_plug(kept_link(camera, k));
    if (!linked || node_of(*linked) != curve) host.connect_attr(curve + ".message", kept_link(camera, k));
}

namespace {

// A channel whose shake curve adds through a blend node: the curve driving the blend's inputA now
// (the own curve, or one a key on the shaken camera made there) drives the plug the blend drove
// again, or that plug gets its first-frame value back; then the blend goes. The own curve is
// connected before the blend is deleted, so that it never drives nothing.
void take_off_blend(Host& host, const std::string& camera, std::size_t k, const std::string& blend,
                    const std::string& own, double base) {
    const std::string plug = base_plug(host, camera, kChannels[k], blend);
    const std::optional<std::string> below = host.input_plug(blend + ".inputA");
    std::string own_now = own;
    if (below && is_time_curve(host.node_type(node_of(*below)))) own_now = node_of(*below);
    const std::optional<std::string> input = host.input_plug(plug);
    if (!input || node_of(*input) != blend) {
        // Something else drives the channel now (the user, or the host keying the shaken camera
        // by a curve of its own): it stays, and so does the own curve, only unconnected.
        host.warning("Trembla: " + plug + " is no longer driven by the shake; it is left as it is" +
                     (own_now.empty() || !host.obj_exists(own_now)
                          ? std::string(".")
                          : ", and its own curve " + own_now + " stays in the scene, unconnected."));
        // Cut from the blend first: the host deletes a curve that drives nothing with the node it
        // drove.
        if (below) host.disconnect_attr(*below, blend + ".inputA");
        host.delete_node(blend);
        return;
    }
    if (!own_now.empty() && host.obj_exists(own_now) && is_time_curve(host.node_type(own_now))) {
        host.connect_attr(own_now + ".output", plug);
    } else {
        if (input) host.disconnect_attr(*input, plug);
        host.set_attr(plug, base);
    }
    host.delete_node(blend);
}

}  // namespace

void take_off_shake(Host& host, const std::string& camera, const ShakeCurves& own_curves,
                    const ShakeCurves& shake_curves, const Sample& base, const ShakeCurves& blends) {
    for (std::size_t k = 0; k < kChannelCount; ++k) {
        if (!blends[k].empty() && host.obj_exists(blends[k])) {
            take_off_blend(host, camera, k, blends[k], own_curves[k], base[k]);
            const std::string& shake = shake_curves[k];
            if (!shake.empty() && shake != own_curves[k] && host.obj_exists(shake)) host.delete_node(shake);
            continue;
        }
        const std::string plug = base_plug(host, camera, kChannels[k]);
        const std::string& own = own_curves[k];
        const std::string& shake = shake_curves[k];
        // Only the curves found through this camera's links (or agreed by its note) are passed
        // here: a node named alike is someone else's.
        if (!shake.empty() && shake != own && host.obj_exists(shake)) host.delete_node(shake);
        const std::optional<std::string> input = host.input_plug(plug);
        if (!own.empty() && host.obj_exists(own) && is_time_curve(host.node_type(own))) {
            if (!input || *input != own + ".output") host.connect_attr(own + ".output", plug);
        } else if (!input) {
            host.set_attr(plug, base[k]);
        }
    }
    unlink_kept_curves(host, camera);
    drop_links(host, camera, kShakeLinksAttribute);
    drop_links(host, camera, kBlendLinksAttribute);
}

bool own_curves_set_aside(Host& host, const std::string& camera, const ShakeCurves& own_curves,
                          const ShakeCurves& blends) {
    for (std::size_t k = 0; k < kChannelCount; ++k) {
        if (!blends[k].empty() && host.obj_exists(blends[k])) return true;
        const std::string own = own_curves[k];
        if (own.empty() || !host.obj_exists(own)) continue;
        const std::optional<std::string> input = host.input_plug(base_plug(host, camera, kChannels[k]));
        if (!input || *input != own + ".output") return true;
    }
    return false;
}

void mute_baked_layers(Host& host, const std::string& camera, AppliedRecord& record) {
    const std::vector<std::string> baked = linked_layers(host, camera, kLayerLinksAttribute);
    for (const std::string& layer : baked) {
        const bool noted = std::find(record.muted.begin(), record.muted.end(), layer) != record.muted.end();
        if (!noted && !host.layer_muted(layer)) {
            host.set_layer_muted(layer, true);
            link_layer(host, camera, kMutedLinksAttribute, layer);
            record.muted.push_back(layer);
        }
    }
}

void unmute_noted_layers(Host& host, const std::string& camera, AppliedRecord& record) {
    const std::vector<std::string> baked = linked_layers(host, camera, kLayerLinksAttribute);
    for (const std::string& layer : linked_layers(host, camera, kMutedLinksAttribute)) {
        if (std::find(baked.begin(), baked.end(), layer) != baked.end()) host.set_layer_muted(layer, false);
    }
    drop_links(host, camera, kMutedLinksAttribute);
    record.muted.clear();
}

AppliedRecord note_keyed_settings(Host& host, const std::string& camera, const AppliedRecord& noted,
                                  const std::string& noted_text, const ShakeControls& controls,
                                  const ShakeCurves& keyed, const ShakeCurves& blends) {
    AppliedRecord applied = noted;
    applied.settings = controls.settings;
    applied.bypass = controls.bypass;
    applied.mode = camera_mode_text(controls.settings.mode);
    for (std::size_t k = 0; k < kChannelCount; ++k) {
        if (!keyed[k].empty()) applied.shake_curves[k] = keyed[k];
        if (!blends[k].empty()) applied.blends[k] = blends[k];
    }
    const std::string after = applied_text(applied);
    // Compared with the text seen, not with `noted`: an undo since may have put another text there.
    if (after != noted_text) host.set_string_attr(camera, kAppliedAttribute, after);
    return applied;
}

void note_taken_off(Host& host, const std::string& camera, const std::optional<std::string>& new_layer) {
    AppliedRecord applied = read_applied(host, camera).value_or(AppliedRecord{});
    applied.live = false;
    applied.shake_curves = ShakeCurves{};
    applied.own_curves = ShakeCurves{};
    applied.blends = ShakeCurves{};
    applied.bypass = false;  // nothing left to bypass
    unmute_noted_layers(host, camera, applied);
    if (new_layer) link_layer(host, camera, kLayerLinksAttribute, *new_layer);
    // The names are hints for a reader: the links say which layers are this tool's.
    applied.layers = linked_layers(host, camera, kLayerLinksAttribute);
    write_applied(host, camera, applied);
}

}  // namespace trembla
