#include "module/commands/window_controls.h"

#include <cstring>
#include <stdexcept>
#include <string>

#include <QSignalBlocker>
#include <QString>

#include "module/binding/qt_values.h"
#include "ui/main_window.h"

namespace trembla::ext {

namespace {

// Which of the window's controls holds a setting; the settings' list and order come from
// for_each_setting, this only pairs each name with its control.
template <typename Control>
struct Bound {
    const char* setting;
    Control* TremblaToolWindow::*control;
};

using W = TremblaToolWindow;

const Bound<SliderRow> kSliders[] = {
    {"lag_trans", &W::lag_trans_slider}, {"lag_rot", &W::lag_rot_slider},     {"smooth", &W::smoothing_slider},
    {"amount", &W::amount_slider},       {"trans_amp", &W::trans_amp_slider}, {"rot_amp", &W::rot_amp_slider},
    {"fade_in", &W::fade_in_slider},     {"fade_out", &W::fade_out_slider},   {"trans_x", &W::trans_x_slider},
    {"trans_y", &W::trans_y_slider},     {"trans_z", &W::trans_z_slider},     {"rot_x", &W::rot_x_slider},
    {"rot_y", &W::rot_y_slider},         {"rot_z", &W::rot_z_slider},         {"speed", &W::speed_slider},
};
// The layer name is kept as typed: the workflow falls back to its default layer name when empty.
const Bound<QLineEdit> kFields[] = {{"ranges", &W::ranges_field}, {"layer_name", &W::layer_field}};
const Bound<QCheckBox> kBoxes[] = {{"translate_enabled", &W::translate_cb}, {"rotate_enabled", &W::rotate_cb}};

template <typename Control, std::size_t N>
Control* control_for(const TremblaToolWindow& window, const Bound<Control> (&table)[N], const char* setting) {
    for (const Bound<Control>& bound : table) {
        if (std::strcmp(bound.setting, setting) == 0) return window.*bound.control;
    }
    throw std::logic_error(std::string("the window has no control for the setting ") + setting);
}

struct ControlReader {
    const TremblaToolWindow& w;

    void operator()(const char* name, int& value) const { value = control_for(w, kSliders, name)->value(); }
    void operator()(const char* name, std::string& value) const {
        value = utf8_of(control_for(w, kFields, name)->text());
    }
    void operator()(const char* name, bool& value) const { value = control_for(w, kBoxes, name)->isChecked(); }
    void operator()(const char*, CameraMode& value) const {
        value = camera_mode_from_text(w._get_camera_mode(), CameraMode::static_pose);
    }
};

}  // namespace

ShakeControls read_controls(const TremblaToolWindow& w) {
    ShakeControls controls;
    controls.camera_field = utf8_of(w.camera_field->text());
    controls.source_field = utf8_of(w.source_field->text());
    for_each_setting(controls.settings, ControlReader{w});
    controls.bypass = w.bypass_cb->isChecked();
    return controls;
}

void set_control(TremblaToolWindow& window, const char* setting, int value) {
    control_for(window, kSliders, setting)->setValue(value);
}

void set_control(TremblaToolWindow& window, const char* setting, const std::string& value) {
    // The ranges are committed as the user's Return would: the shake follows them.
    if (std::strcmp(setting, "ranges") == 0) {
        window._set_ranges_text(qstring_of(value));
        return;
    }
    control_for(window, kFields, setting)->setText(qstring_of(value));
}

void set_control(TremblaToolWindow& window, const char* setting, bool value) {
    control_for(window, kBoxes, setting)->setChecked(value);
}

namespace {

QRadioButton* mode_button(const TremblaToolWindow& window, CameraMode value) {
    switch (value) {
        case CameraMode::relax:
            return window.mode_relax;
        case CameraMode::animated:
            return window.mode_animated;
        case CameraMode::static_pose:
            break;
    }
    return window.mode_static;
}

}  // namespace

void set_control(TremblaToolWindow& window, const char*, CameraMode value) {
    mode_button(window, value)->setChecked(true);
}

void show_control(TremblaToolWindow& window, const char* setting, int value) {
    SliderRow* row = control_for(window, kSliders, setting);
    const QSignalBlocker blocker(row);
    row->setValue(value);
}

void show_control(TremblaToolWindow& window, const char* setting, const std::string& value) {
    QLineEdit* field = control_for(window, kFields, setting);
    {
        const QSignalBlocker blocker(field);
        field->setText(qstring_of(value));
    }
    // The fade rows follow the ranges text, which the blocked signal would have told them.
    if (field == window.ranges_field) window._show_fade_rows();
}

void show_control(TremblaToolWindow& window, const char* setting, bool value) {
    QCheckBox* box = control_for(window, kBoxes, setting);
    const QSignalBlocker blocker(box);
    box->setChecked(value);
}

void show_control(TremblaToolWindow& window, const char*, CameraMode value) {
    const QSignalBlocker block_static(window.mode_static);
    const QSignalBlocker block_animated(window.mode_animated);
    const QSignalBlocker block_relax(window.mode_relax);
    mode_button(window, value)->setChecked(true);
    window._show_mode_rows();
}

}  // namespace trembla::ext
