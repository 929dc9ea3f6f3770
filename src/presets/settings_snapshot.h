// The snapshot of the controls a preset stores, and what applying a stored preset sets.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/settings.h"
#include "presets/preset_json.h"

namespace trembla {

// {"camera", "source", "settings": {the twenty members in order}}, a fresh object each call, with
// "clip" after "source" when the shake is made of the clip `clip` rather than the object (a
// preset of an object's shake is written as before).
PresetJson to_json(const ShakeControls& snapshot, const std::string& clip = std::string());

// What applying a preset record sets, member by member in apply order.
struct PresetToApply {
    // A non-empty camera / source name from the record; the caller sets its field only when the
    // host reports a node of that name. Nothing when missing, empty or ignored.
    std::optional<std::string> camera;
    std::optional<std::string> source;
    // The clip the preset's shake is made of, as a non-empty name; it counts as the source.
    std::optional<std::string> clip;
    // Every member resolved: missing or ignored ones hold the defaults; a mode text that names
    // none of the three reads as animated.
    ControlValues settings;
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
