// What the tool window needs from outside, handed in at construction. The window itself knows
// nothing of Python or of the host: the command bodies (scene workflow, presets) and the error
// report are plugged in here by the module that creates it.
#pragma once

#include <exception>
#include <functional>

class QListWidgetItem;
class QString;
class QWidget;

namespace trembla {

class TremblaToolWindow;

struct WindowContext {
    // Called inside a catch block with the exception a slot or event handler threw; must not throw.
    // Unset: the exception is dropped and the window carries on.
    std::function<void(const std::exception_ptr&)> report_error;

    // The host's main window, used as parent when the window is created without one. Unset, or
    // answering nullptr: the window becomes an independent top-level window.
    std::function<QWidget*()> host_main_window;

    // Bodies of the window's commands. An unset command does nothing.
    using Command = std::function<void(TremblaToolWindow&)>;
    // Puts the control whose change asked for a command back as it was before that change, its
    // signals blocked. Empty when no control asked (a script called the command).
    using PutBack = std::function<void()>;
    // A command a control's change asks for. It calls put_back when it refuses to run because
    // another command of the window is running: the control then shows what the scene carries.
    using Request = std::function<void(TremblaToolWindow&, const PutBack& put_back)>;
    Command prepare_shake;
    Request update_shake;
    Command reset_camera;
    Command bake_to_layer;
    Command set_camera;
    Command set_source;
    Command save_preset;
    Command delete_selected_preset;
    Command refresh_preset_list;
    // A slider drag begins and ends: every update in between is one step for the host's undo.
    // The window notes in _drag_undo_open whether the begin took effect.
    Command begin_slider_drag;
    Command end_slider_drag;
    // The ranges field's text was committed: an update, and a word on the parts it cannot use.
    // Unset: update_shake runs instead.
    Request commit_ranges;
    // A camera mode button was checked: an update, as one step named for the mode. Unset:
    // update_shake runs instead.
    Request change_mode;
    // The "Bypass" box was toggled: the prepared shake goes to amount zero, or comes back.
    Request toggle_bypass;
    // The dock button was clicked: the window goes into the host's workspace control, or out of
    // it. close_dock: the title bar's close button of a docked window; the window leaves the
    // control, hidden, and the control closes. Unset: the buttons do nothing.
    Command toggle_dock;
    Command close_dock;
    // The window was shown / hidden or deleted (not by the host's own minimising): it follows the
    // host's undo only while it is up.
    Command shown;
    Command hidden;
    // item is nullptr when the list's current item is meant.
    std::function<void(TremblaToolWindow&, QListWidgetItem*)> load_selected_preset;
    // A preset file to merge into the user's presets / to write the selected presets to; an empty
    // path asks the user for one.
    using FileCommand = std::function<void(TremblaToolWindow&, const QString& path)>;
    FileCommand import_presets;
    FileCommand export_presets;
    // Save Clip was clicked; the clip list is to be filled again; a clip or its start was chosen
    // (the preview shows the clip while nothing is prepared).
    Command save_clip;
    Command refresh_clip_list;
    Command choose_clip;
    // The presets page was opened: a build without presets of its own may take another release's.
    Command offer_preset_copy;
};

}  // namespace trembla
