// The settings snapshot a preset stores, and what applying a stored preset sets.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "presets/preset_json.h"

namespace trembla {

// The nineteen settings in file order, which is also the order a preset is applied in.
// The initial values are a fresh window's, and the defaults for members a preset lacks.
struct PresetSettings {
    int lag_trans = 0;
    int lag_rot = 0;
    int smooth = 0;
    int amount = 100;
    int trans_amp = 100;
    int rot_amp = 100;
    int fade_in = 3;
    int fade_out = 3;
    std::string ranges;
    std::string mode = "static";  // "static", "animated" or "relax"
    std::string layer_name = "trembla_layer";
    bool translate_enabled = true;
    bool rotate_enabled = true;
    int trans_x = 100;
    int trans_y = 100;
    int trans_z = 100;
    int rot_x = 100;
    int rot_y = 100;
    int rot_z = 100;
};

struct SettingsSnapshot {
    std::string camera;
    std::string source;
    PresetSettings settings;
};

// {"camera", "source", "settings": {the nineteen members in order}}, a fresh object each call.
PresetJson to_json(const SettingsSnapshot& snapshot);

// What applying a preset record sets, member by member in apply order.
struct PresetToApply {
    // A non-empty camera / source name from the record; the caller sets its field only when the
    // host reports a node of that name. Nothing when missing, empty or ignored.
    std::optional<std::string> camera;
    std::optional<std::string> source;
    // Every member resolved: missing or ignored ones hold the defaults, `mode` is always one of
    // the three modes ("static" stays static, "relax" is relax, any other text is animated).
    PresetSettings settings;
    // One message per ignored member, for the host's warning command.
    std::vector<std::string> warnings;
};

// Reads a preset record as stored, hand edits included: a slider number with a fraction is
// rounded to the nearest whole number (halves away from zero) and held within int; a value of the
// wrong type (text for a slider or check box, a number for a text, a bool for a slider, null, an
// object, a non-finite number) is ignored in favour of the default with a warning
// "Preset value for '{member}' ignored: expected {kind}.". Members not listed are ignored
// silently. Values are not range-checked: the controls keep them within their ranges.
PresetToApply read_preset_record(const PresetJson& record);

}  // namespace trembla
