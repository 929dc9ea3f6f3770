// Fuzzes applying a stored preset record: the input is JSON text, either one record or a whole
// preset file (then every member is applied as well). Input that is not JSON is skipped.
//
// Invariants: reading never throws; the mode is one of the three; every member resolves to its
// value from the record when it has the right type (slider numbers rounded half away from zero
// and held within int) or else to its default with one warning naming it; and what it resolves
// to, stored and read again, comes back unchanged and without warnings.
#include <climits>
#include <cmath>
#include <cstdint>
#include <exception>
#include <optional>
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "presets/settings_snapshot.h"

namespace trembla {
namespace {

std::string ignored(const std::string& member, const char* kind) {
    return "Preset value for '" + member + "' ignored: expected " + kind + ".";
}

int held_within_int(double whole) {
    if (whole >= static_cast<double>(INT_MAX)) return INT_MAX;
    if (whole <= static_cast<double>(INT_MIN)) return INT_MIN;
    return static_cast<int>(whole);
}

double rounded_half_away_from_zero(double number) {
    const double whole = std::trunc(number);
    const double rest = number - whole;  // exact for doubles
    if (rest >= 0.5) return whole + 1;
    if (rest <= -0.5) return whole - 1;
    return whole;
}

// What one member of `settings` must resolve to, and the warning it must cause.
struct Expectation {
    const PresetJson& settings;
    std::vector<std::string>& warnings;

    const PresetJson* find(const char* name) const {
        if (!settings.is_object()) return nullptr;
        const auto it = settings.find(name);
        return it == settings.end() ? nullptr : &*it;
    }
    void slider(const char* name, int resolved, int fallback) const {
        const PresetJson* value = find(name);
        int expected = fallback;
        if (value && value->is_number_unsigned()) {
            const auto number = value->get<std::uint64_t>();
            expected = number > static_cast<std::uint64_t>(INT_MAX) ? INT_MAX : static_cast<int>(number);
        } else if (value && value->is_number_integer()) {
            const auto number = value->get<std::int64_t>();
            expected = number > INT_MAX ? INT_MAX : number < INT_MIN ? INT_MIN : static_cast<int>(number);
        } else if (value && value->is_number_float() && std::isfinite(value->get<double>())) {
            expected = held_within_int(rounded_half_away_from_zero(value->get<double>()));
        } else if (value) {
            warnings.push_back(ignored(name, "a number"));
        }
        FUZZ_REQUIRE(resolved == expected, std::string("slider member resolves as stored: ") + name);
    }
    void text(const char* name, const std::string& resolved, const std::string& fallback) const {
        const PresetJson* value = find(name);
        std::string expected = fallback;
        if (value && value->is_string()) expected = value->get<std::string>();
        else if (value) warnings.push_back(ignored(name, "text"));
        FUZZ_REQUIRE(resolved == expected, std::string("text member resolves as stored: ") + name);
    }
    // Judged by its text: "static" and "relax" stay, any other text is animated.
    void mode(const std::string& resolved) const {
        const PresetJson* value = find("mode");
        std::string expected = "static";
        if (value && value->is_string()) {
            expected = value->get<std::string>();
            if (expected != "static" && expected != "relax") expected = "animated";
        } else if (value) {
            warnings.push_back(ignored("mode", "text"));
        }
        FUZZ_REQUIRE(resolved == expected, "the mode resolves from its text");
    }
    void flag(const char* name, bool resolved) const {
        const PresetJson* value = find(name);
        bool expected = true;
        if (value && value->is_boolean()) expected = value->get<bool>();
        else if (value) warnings.push_back(ignored(name, "true or false"));
        FUZZ_REQUIRE(resolved == expected, std::string("check box member resolves as stored: ") + name);
    }
};

std::optional<std::string> expected_scene_name(const PresetJson& record, const char* member,
                                               std::vector<std::string>& warnings) {
    const auto it = record.find(member);
    if (it == record.end()) return std::nullopt;
    if (!it->is_string()) {
        warnings.push_back(ignored(member, "text"));
        return std::nullopt;
    }
    if (it->get<std::string>().empty()) return std::nullopt;
    return it->get<std::string>();
}

// The settings a record resolves into.
using Settings = decltype(PresetToApply::settings);

PresetToApply read_or_fail(const PresetJson& record) {
    try {
        return read_preset_record(record);
    } catch (const std::exception& error) {
        fuzzing::fail(__FILE__, __LINE__, "read_preset_record", std::string("threw: ") + error.what());
    } catch (...) {
        fuzzing::fail(__FILE__, __LINE__, "read_preset_record", "threw a non-standard exception");
    }
}

void check_record(const PresetJson& record) {
    const PresetToApply applied = read_or_fail(record);
    const Settings& s = applied.settings;

    std::vector<std::string> warnings;
    if (!record.is_object()) {
        FUZZ_REQUIRE(!applied.camera && !applied.source, "a record that is not an object names no nodes");
        FUZZ_REQUIRE(applied.warnings.size() == 1, "a record that is not an object gives one warning");
        FUZZ_REQUIRE(to_json({"", "", s}) == to_json(ShakeControls{}), "it applies the defaults");
        return;
    }
    FUZZ_REQUIRE(applied.camera == expected_scene_name(record, "camera", warnings), "the camera is taken as stored");
    FUZZ_REQUIRE(applied.source == expected_scene_name(record, "source", warnings), "the source is taken as stored");

    const auto settings_member = record.find("settings");
    const PresetJson none = PresetJson::object();
    const PresetJson& settings = settings_member == record.end() ? none : *settings_member;
    if (!settings.is_object()) warnings.push_back(ignored("settings", "an object"));

    const Settings defaults;
    const Expectation expect{settings, warnings};
    expect.slider("lag_trans", s.lag_trans, defaults.lag_trans);
    expect.slider("lag_rot", s.lag_rot, defaults.lag_rot);
    expect.slider("smooth", s.smooth, defaults.smooth);
    expect.slider("amount", s.amount, defaults.amount);
    expect.slider("trans_amp", s.trans_amp, defaults.trans_amp);
    expect.slider("rot_amp", s.rot_amp, defaults.rot_amp);
    expect.slider("fade_in", s.fade_in, defaults.fade_in);
    expect.slider("fade_out", s.fade_out, defaults.fade_out);
    expect.text("ranges", s.ranges, defaults.ranges);
    expect.mode(camera_mode_text(s.mode));
    expect.text("layer_name", s.layer_name, defaults.layer_name);
    expect.flag("translate_enabled", s.translate_enabled);
    expect.flag("rotate_enabled", s.rotate_enabled);
    expect.slider("trans_x", s.trans_x, defaults.trans_x);
    expect.slider("trans_y", s.trans_y, defaults.trans_y);
    expect.slider("trans_z", s.trans_z, defaults.trans_z);
    expect.slider("rot_x", s.rot_x, defaults.rot_x);
    expect.slider("rot_y", s.rot_y, defaults.rot_y);
    expect.slider("rot_z", s.rot_z, defaults.rot_z);
    expect.slider("speed", s.speed, defaults.speed);
    FUZZ_REQUIRE(applied.warnings == warnings, "one warning per ignored member, in apply order");

    // What the window was set to, saved as a preset and applied again, sets the same.
    const ShakeControls snapshot{applied.camera.value_or(""), applied.source.value_or(""), s};
    const PresetToApply again = read_or_fail(to_json(snapshot));
    FUZZ_REQUIRE(again.warnings.empty(), "a snapshot reads back without warnings");
    FUZZ_REQUIRE(again.camera == applied.camera && again.source == applied.source, "names read back unchanged");
    FUZZ_REQUIRE(to_json({"", "", again.settings}) == to_json({"", "", s}), "settings read back unchanged");

    // The snapshot holds only what the file layout can write, and the text reads back as the same JSON.
    const PresetJson stored = to_json(snapshot);
    std::string text;
    try {
        text = dump_like_python(stored);
    } catch (const std::exception& error) {
        fuzzing::fail(__FILE__, __LINE__, "dump_like_python", std::string("refused a snapshot: ") + error.what());
    }
    FUZZ_REQUIRE(PresetJson::parse(text) == stored, "the written snapshot parses back unchanged");
}

}  // namespace
}  // namespace trembla

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace trembla;
    const char* text = reinterpret_cast<const char*>(data);
    const PresetJson parsed = PresetJson::parse(text, text + size, nullptr, /*allow_exceptions=*/false);
    if (parsed.is_discarded()) return 0;
    check_record(parsed);
    if (parsed.is_object()) {
        for (const auto& member : parsed.items()) check_record(member.value());
    }
    return 0;
}
