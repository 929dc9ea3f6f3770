// What the window's controls hold, as one record for the scene commands and the preset file.
#pragma once

#include <string>

#include "core/camera_mode.h"

namespace trembla {

// The twenty settings in preset-file order, which is also the order a preset is applied in and
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
    CameraMode mode = CameraMode::static_pose;
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

    // Shake page, last: preset files written before it lack it and play the shake as extracted.
    int speed = 100;
};

// The one list of the settings: `visit(name, member)` for each in the order above, with the name
// the preset file and the Python face know it by. Every walk over all settings goes through here
// (snapshot, preset reading, the window's controls), so names and order cannot drift apart.
template <typename Settings, typename Visitor>
void for_each_setting(Settings& s, Visitor&& visit) {
    visit("lag_trans", s.lag_trans);
    visit("lag_rot", s.lag_rot);
    visit("smooth", s.smooth);
    visit("amount", s.amount);
    visit("trans_amp", s.trans_amp);
    visit("rot_amp", s.rot_amp);
    visit("fade_in", s.fade_in);
    visit("fade_out", s.fade_out);
    visit("ranges", s.ranges);
    visit("mode", s.mode);
    visit("layer_name", s.layer_name);
    visit("translate_enabled", s.translate_enabled);
    visit("rotate_enabled", s.rotate_enabled);
    visit("trans_x", s.trans_x);
    visit("trans_y", s.trans_y);
    visit("trans_z", s.trans_z);
    visit("rot_x", s.rot_x);
    visit("rot_y", s.rot_y);
    visit("rot_z", s.rot_z);
    visit("speed", s.speed);
}

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
