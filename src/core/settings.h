// What the window's controls hold, as one record for the scene commands and the preset file.
#pragma once

#include <string>

namespace trembla {

// The nineteen settings in preset-file order, which is also the order a preset is applied in and
// the order the window's controls are read in. The initial values are a fresh window's, and the
// defaults for members a preset lacks.
struct ControlValues {
    // Setup page
    int lag_trans = 0;
    int lag_rot = 0;
    int smooth = 0;
    int amount = 100;
    int trans_amp = 100;
    int rot_amp = 100;

    // Shake page
    int fade_in = 3;
    int fade_out = 3;
    std::string ranges;
    std::string mode = "static";  // "static", "animated" or "relax", from the radio buttons
    std::string layer_name = "trembla_layer";

    // Advanced page
    bool translate_enabled = true;
    bool rotate_enabled = true;
    int trans_x = 100;
    int trans_y = 100;
    int trans_z = 100;
    int rot_x = 100;
    int rot_y = 100;
    int rot_z = 100;
};

// The camera and source fields as typed, the settings, and the bypass switch.
struct ShakeControls {
    std::string camera_field;
    std::string source_field;
    ControlValues settings;
    // The shake page's "Bypass" box: the prepared shake is keyed with its amount at zero while
    // `settings` keep their values. A switch of the moment, not a setting: presets never hold it.
    bool bypass = false;
};

}  // namespace trembla
