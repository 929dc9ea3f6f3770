// One line per control: what it does and in which unit, shown as the control's tooltip. The
// Advanced axes mean something else in the relax mode, so their lines follow the mode.
#include <QPushButton>

#include "ui/main_window.h"
#include "ui/tool_tip.h"

namespace trembla {

namespace {

using Control = QWidget* (*)(TremblaToolWindow&);
struct ControlTip {
    Control control;
    const char* text;
};

// The window's controls by their member names; buttons made locally by their object names.
#define MEMBER(name) [](TremblaToolWindow& w) -> QWidget* { return w.name; }
#define NAMED(name) [](TremblaToolWindow& w) -> QWidget* { return w.findChild<QWidget*>(QStringLiteral(name)); }
#define TAB(index) [](TremblaToolWindow& w) -> QWidget* { return w.tab_buttons.at(index); }

const ControlTip kTips[] = {
    {NAMED("helpBtn"), "About Trembla Tool: version and contact."},
    {MEMBER(dock_btn),
     "Docks the panel into Maya's workspace, or floats it again; docked, it returns in the next session."},
    {NAMED("closeBtn"), "Closes the window; a shake on the camera stays, and a new window takes it up."},
    {TAB(0), "Setup: the camera, the source, how the shake follows it and how strong it is."},
    {TAB(1), "Shake: where the shake acts, its fades and speed, the camera mode, Bypass and the bake layer."},
    {TAB(2), "Advanced: the channels and the axes the shake is keyed on."},
    {TAB(3), "Presets: save the settings under a name, load or delete them."},
    {MEMBER(camera_field), "The camera the shake is keyed onto (its transform)."},
    {NAMED("camera_pick_btn"), "Takes the camera from the selection."},
    {MEMBER(source_field), "The object whose world motion becomes the shake, e.g. a hand-held rig."},
    {NAMED("source_pick_btn"), "Takes the source from the selection."},
    {MEMBER(clip_combo),
     "What the shake is made of: the object in SOURCE, or a saved clip or built-in profile (its length, rate "
     "and origin shown), which needs no object in the scene. Applies at the next Prepare."},
    {MEMBER(clip_offset_spin),
     "Start, in clip frames: the clip frame the playback range starts on; the clip loops to fill the range. "
     "Applies at the next Prepare."},
    {MEMBER(lag_trans_slider), "Lag T, in frames (0-15): the camera follows the source's translation this late."},
    {MEMBER(lag_rot_slider), "Lag R, in frames (0-15): the camera follows the source's rotation this late."},
    {MEMBER(smoothing_slider),
     "Smooth (0-100): smooths the camera's own move in the Animated and Relax modes; 100 averages 21 frames."},
    {MEMBER(amount_slider), "Amount, in % (0-200): the whole shake; 100 is the source's own shake."},
    {MEMBER(trans_amp_slider), "Trans, in % (0-200): the shake's translation, on top of Amount."},
    {MEMBER(rot_amp_slider), "Rotate, in % (0-200): the shake's rotation, on top of Amount."},
    {MEMBER(ranges_field),
     "Frames where the shake acts, e.g. 10-50, 70-80; Return applies. Empty: the whole prepared range."},
    {MEMBER(speed_slider),
     "Speed, in % (25-400): how fast the shake plays; 200 twice as fast, 50 half as fast, looping at the end."},
    {MEMBER(mode_static), "Static: the camera holds its pose of the first frame, plus the shake."},
    {MEMBER(mode_animated), "Animated: the camera keeps its own move, smoothed, plus the shake."},
    {MEMBER(mode_relax), "Relax: the camera keeps its own move, smoothed and relaxed per axis; no shake is added."},
    {MEMBER(bypass_cb), "Bypass: the camera without the shake, every setting kept; clear it to see the shake again."},
    {MEMBER(layer_field), "The animation layer Bake makes; a name already taken gets the next free number."},
    {MEMBER(translate_cb), "Translate: key the camera's translate X, Y and Z."},
    {MEMBER(rotate_cb), "Rotate: key the camera's rotate X, Y and Z."},
    {MEMBER(preset_list), "The saved presets; a double-click loads one."},
    {NAMED("load_btn"), "Loads the selected preset: every control takes its value and the camera follows."},
    {NAMED("import_btn"), "Adds the presets of a preset file to yours; asks before replacing one of the same name."},
    {MEMBER(preset_name_field), "The name Save Preset saves under; a preset of that name is replaced after asking."},
    {NAMED("save_btn"), "Saves every setting of the window as a preset under the name above."},
    {MEMBER(prepare_btn),
     "Samples the source and the camera over the playback range and keys the shake (one undo step)."},
};

#undef MEMBER
#undef NAMED
#undef TAB

}  // namespace

const char* const TremblaToolWindow::kFadeInTip =
    "Fade In, in frames (0-30): the shake grows over the first frames of each range.";
const char* const TremblaToolWindow::kFadeOutTip =
    "Fade Out, in frames (0-30): the shake dies away over the last frames of each range.";

void TremblaToolWindow::_set_control_tips() {
    for (const ControlTip& tip : kTips) {
        if (QWidget* widget = tip.control(*this)) widget->setToolTip(wrapped_tip(QString::fromUtf8(tip.text)));
    }
    _show_axis_tips(_get_camera_mode() == "relax");
    _show_applied(reset_btn->isEnabled());
    _set_fold_tip();
}

void TremblaToolWindow::_show_applied(bool applied) {
    const char* const why_not = "nothing is prepared: click Prepare Shake first.";
    const struct {
        QPushButton* button;
        const char* tip;
        const char* name;
    } buttons[] = {
        {bake_btn, "Bakes the shake onto a new animation layer and gives the camera its own curves back.", "Bake"},
        {reset_btn, "Takes the shake off: the camera's own animation comes back as it was.", "Reset"},
    };
    for (const auto& entry : buttons) {
        entry.button->setEnabled(applied);
        entry.button->setToolTip(
            wrapped_tip(applied ? QString::fromUtf8(entry.tip)
                                : QStringLiteral("%1: %2").arg(QLatin1String(entry.name), QString::fromUtf8(why_not))));
    }
}

void TremblaToolWindow::_show_axis_tips(bool relax) {
    const struct {
        SliderRow* row;
        const char* channel;
    } axes[] = {{trans_x_slider, "Translate X"}, {trans_y_slider, "Translate Y"}, {trans_z_slider, "Translate Z"},
                {rot_x_slider, "Rotate X"},      {rot_y_slider, "Rotate Y"},      {rot_z_slider, "Rotate Z"}};
    for (const auto& axis : axes) {
        const QString channel = QString::fromLatin1(axis.channel);
        axis.row->setToolTip(
            wrapped_tip(relax ? QStringLiteral("%1, in % (0-100), Relax: 100 keeps the base smoothing, 0 relaxes fully "
                                               "(twice the smoothing).")
                                    .arg(channel)
                              : QStringLiteral("%1, in % (0-100): the shake on this axis.").arg(channel)));
    }
}

}  // namespace trembla
