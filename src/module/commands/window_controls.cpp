#include "module/commands/window_controls.h"

#include <string>

#include <QString>

#include "module/binding/qt_values.h"
#include "ui/main_window.h"

namespace trembla::ext {

ShakeControls read_controls(const TremblaToolWindow& w) {
    ShakeControls controls;
    controls.camera_field = utf8_of(w.camera_field->text());
    controls.source_field = utf8_of(w.source_field->text());

    ControlValues& s = controls.settings;
    s.lag_trans = w.lag_trans_slider->value();
    s.lag_rot = w.lag_rot_slider->value();
    s.smooth = w.smoothing_slider->value();
    s.amount = w.amount_slider->value();
    s.trans_amp = w.trans_amp_slider->value();
    s.rot_amp = w.rot_amp_slider->value();
    s.fade_in = w.fade_in_slider->value();
    s.fade_out = w.fade_out_slider->value();
    s.ranges = utf8_of(w.ranges_field->text());
    s.mode = w._get_camera_mode();
    // Kept as typed: the workflow falls back to its default layer name when this is empty.
    s.layer_name = utf8_of(w.layer_field->text());
    s.translate_enabled = w.translate_cb->isChecked();
    s.rotate_enabled = w.rotate_cb->isChecked();
    s.trans_x = w.trans_x_slider->value();
    s.trans_y = w.trans_y_slider->value();
    s.trans_z = w.trans_z_slider->value();
    s.rot_x = w.rot_x_slider->value();
    s.rot_y = w.rot_y_slider->value();
    s.rot_z = w.rot_z_slider->value();
    controls.bypass = w.bypass_cb->isChecked();
    return controls;
}

}  // namespace trembla::ext
