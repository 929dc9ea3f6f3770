#include "presets/settings_snapshot.h"

#include <climits>
#include <cmath>
#include <cstdint>

namespace trembla {
namespace {

template <typename T>
PresetJson stored(const T& value) {
    return value;
}
PresetJson stored(CameraMode mode) { return camera_mode_text(mode); }

std::string ignored(const std::string& member, const char* kind) {
    return "Preset value for '" + member + "' ignored: expected " + kind + ".";
}

std::optional<int> slider_value(const PresetJson& value) {
    if (value.is_number_integer()) {  // signed or unsigned, never a bool
        if (value.is_number_unsigned()) {
            const auto number = value.get<std::uint64_t>();
            return number > static_cast<std::uint64_t>(INT_MAX) ? INT_MAX : static_cast<int>(number);
        }
        const auto number = value.get<std::int64_t>();
        if (number > INT_MAX) return INT_MAX;
        if (number < INT_MIN) return INT_MIN;
        return static_cast<int>(number);
    }
    if (value.is_number_float()) {
        const double number = value.get<double>();
        if (!std::isfinite(number)) return std::nullopt;
        const double rounded = std::round(number);
        if (rounded >= static_cast<double>(INT_MAX)) return INT_MAX;
        if (rounded <= static_cast<double>(INT_MIN)) return INT_MIN;
        return static_cast<int>(rounded);
    }
    return std::nullopt;
}

struct MemberReader {
    const PresetJson& settings;
    std::vector<std::string>& warnings;

    const PresetJson* find(const char* name) const {
        const auto it = settings.find(name);
        return it == settings.end() ? nullptr : &*it;
    }
    void operator()(const char* name, int& target) const {
        if (const PresetJson* value = find(name)) {
            if (auto number = slider_value(*value)) target = *number;
            else warnings.push_back(ignored(name, "a number"));
        }
    }
    void operator()(const char* name, std::string& target) const {
        if (const PresetJson* value = find(name)) {
            if (value->is_string()) target = value->get<std::string>();
            else warnings.push_back(ignored(name, "text"));
        }
    }
    void operator()(const char* name, bool& target) const {
        if (const PresetJson* value = find(name)) {
            if (value->is_boolean()) target = value->get<bool>();
            else warnings.push_back(ignored(name, "true or false"));
        }
    }
    // Text that names no mode reads as animated.
    void operator()(const char* name, CameraMode& target) const {
        if (const PresetJson* value = find(name)) {
            if (value->is_string()) target = camera_mode_from_text(value->get<std::string>(), CameraMode::animated);
            else warnings.push_back(ignored(name, "text"));
        }
    }
};

// A non-empty name, or nothing; warns when the member holds something other than text.
std::optional<std::string> scene_name(const PresetJson& record, const char* member,
                                      std::vector<std::string>& warnings) {
    const auto it = record.find(member);
    if (it == record.end()) return std::nullopt;
    if (!it->is_string()) {
        warnings.push_back(ignored(member, "text"));
        return std::nullopt;
    }
    const std::string& name = it->get_ref<const std::string&>();
    if (name.empty()) return std::nullopt;
    return name;
}

}  // namespace

PresetJson to_json(const ShakeControls& snapshot, const std::string& clip) {
    PresetJson settings = PresetJson::object();
    for_each_setting(snapshot.settings,
                     [&settings](const char* name, const auto& value) { settings[name] = stored(value); });

    PresetJson record = PresetJson::object();
    record["camera"] = snapshot.camera_field;
    record["source"] = snapshot.source_field;
    if (!clip.empty()) record["clip"] = clip;
    record["settings"] = std::move(settings);
    return record;
}

PresetToApply read_preset_record(const PresetJson& record) {
    PresetToApply result;
    if (!record.is_object()) {
        result.warnings.push_back("Preset ignored: expected an object.");
        return result;
    }
    result.camera = scene_name(record, "camera", result.warnings);
    result.source = scene_name(record, "source", result.warnings);
    result.clip = scene_name(record, "clip", result.warnings);

    const auto settings = record.find("settings");
    if (settings == record.end()) return result;
    if (!settings->is_object()) {
        result.warnings.push_back(ignored("settings", "an object"));
        return result;
    }
    for_each_setting(result.settings, MemberReader{*settings, result.warnings});
    return result;
}

}  // namespace trembla
