// The tool's only window: a frameless, fixed-width dialog with its own title bar, four tabbed pages
// and two action buttons. The controls are public members: the scene workflow and the presets read
// and write them directly, there is no separate settings object.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPoint>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStackedWidget>

#include "ui/guard.h"
#include "ui/shake_preview.h"
#include "ui/slider_row.h"
#include "ui/window_context.h"

class QMouseEvent;

namespace trembla {

class TremblaToolWindow : public QDialog {
    Q_OBJECT

public:
    static constexpr const char* WINDOW_TITLE = "Trembla v2.1";
    static constexpr const char* WINDOW_OBJECT = "tremblaToolPySide";

    // Without a parent the window goes under the host's main window (context.host_main_window).
    // Any earlier window of the tool is closed and scheduled for deletion first.
    explicit TremblaToolWindow(WindowContext context = {}, QWidget* parent = nullptr);
    ~TremblaToolWindow() override;

    // Closes and deletes later every top-level widget named WINDOW_OBJECT; never throws.
    static void _delete_existing();

    // The commands. Their bodies come from the context (see WindowContext); unset ones do nothing.
    // They let exceptions through: the Qt connections that call them guard them.
    void _prepare_shake();
    void _update_shake();
    void _reset_camera();
    void _bake_to_layer();
    void _set_camera();
    void _set_source();
    void _save_preset();
    void _load_selected_preset(QListWidgetItem* item = nullptr);
    void _delete_selected_preset();
    void _refresh_preset_list();
    // Merges a preset file into the user's presets / writes the selected presets to one; without a
    // path the user picks the file.
    void _import_presets(const QString& path = QString());
    void _export_presets(const QString& path = QString());
    void _offer_preset_copy();
    // The ranges whose fades overlap that the user was last told of (set by the commands), so that
    // dragging a fade on says it once.
    std::string _fade_overlap_said;
    // The copy of another release's presets was offered in this window (asked at most once).
    bool _preset_copy_offered = false;
    void _begin_slider_drag();
    void _end_slider_drag();
    void _toggle_bypass();
    // The same two commands asked for by a control's change; see WindowContext::Request.
    void _request_update(const WindowContext::PutBack& put_back);
    void _request_bypass(const WindowContext::PutBack& put_back);
    // Sets the ranges text as a program would, then commits it as Return in the field does: the
    // shake follows it. Nothing happens when the text is already there.
    void _set_ranges_text(const QString& text);
    // A slider drag's undo step is open in the host (set and cleared by the context's hooks).
    bool _drag_undo_open = false;
    // The host's script jobs that tell the window of a change of the scene under it (an undo, a
    // redo, a file opened), while it is up.
    std::vector<long> _scene_jobs;
    // The note's text on the camera that the controls show (empty: they show no live shake): a
    // look at the scene rewrites them only when the camera notes something else.
    std::string _shown_note;
    // The shake clip SOURCE plays instead of the object in source_field (empty: the object), and
    // the clip frame the range starts on; a prepare reads them.
    std::string _source_clip;
    long long _clip_offset = 0;
    // Saves the prepared shake as a clip under a name the user gives (the context's save_clip).
    void _save_clip();
    // Fills clip_combo again from the clip files and the built-in profiles (refresh_clip_list).
    void _refresh_clip_list();
    // Shows _source_clip and _clip_offset on clip_combo and clip_offset_spin, no handler run: a
    // program chose them (a prepare, a shake taken up, an object picked).
    void _show_source_choice();
    // Save Clip saves a shake sampled from an object: enabled while one is applied, its tooltip
    // saying why not otherwise. The commands call this whenever that changes.
    void _show_clip_saving(bool from_object);
    // The roles of a clip entry of clip_combo: the clip's name (none on the object's entry), and
    // its length in frames at its own rate.
    static constexpr int kClipNameRole = Qt::UserRole;
    static constexpr int kClipFramesRole = Qt::UserRole + 1;
    // Shows the amount, speed and lag rows unless the mode is relax, and the axes' tooltips of the
    // mode.
    void _show_mode_rows();
    // The preview's line when the settings add nothing: in the relax mode, what that mode needs.
    void _show_relax_needs();
    // Every control's tooltip: its effect and unit (control_tips.cpp).
    void _set_control_tips();
    void _show_axis_tips(bool relax);
    static const char* const kFadeInTip;
    static const char* const kFadeOutTip;
    // The command running now was asked for by the window's own button (a user's click), not by a
    // script calling the method: only such a command lets Esc cancel it.
    bool _by_own_control = false;

    // Draws the field's placeholder in the theme's dim text colour (see the Qt 5.12 note there).
    static void dim_placeholder(QLineEdit* field);

    // "static", "animated" or "relax", read from the mode buttons.
    std::string _get_camera_mode() const;
    // Called on every toggle of a mode button; acts on the button being checked only.
    void _on_mode_changed(bool checked);

    void _show_about();
    void _switch_tab(int index);

    // The dock button: moves this window into the host's workspace control, or back out of it
    // (the context's toggle_dock does the host's part).
    void _toggle_dock();
    // Puts the window into a dock's container (its layout, made when it has none): it follows the
    // container's width from the floating column's width up, the sliders stretching.
    void _place_in_dock(QWidget* container);
    // Takes the window out of its dock: a frameless window again under `parent`, of the column's
    // fixed width, where it stood before it was docked; shown when `visible`.
    void _place_floating(QWidget* parent, bool visible);
    // The title bar's close button: a floating window hides; a docked one asks the context to
    // close the dock (close_dock), which leaves the window hidden and floating.
    void _close_from_title_bar();
    // The title bar's fold button: a floating window folds to its title bar, or unfolds to the
    // height it had. Docked, the host's workspace sizes the panel and the button is hidden.
    void _toggle_fold();
    bool _is_folded() const { return _folded; }
    void _set_fold_tip();
    // Reset and Bake act on an applied shake only: enabled while one is, each with a tooltip that
    // says what it does, or why it cannot act now. The commands call this whenever that changes.
    void _show_applied(bool applied);
    // The fade rows act only at the ends of typed ranges: without any they are disabled. A ranges
    // text set with its signals blocked (the window showing the scene) calls it itself.
    void _show_fade_rows();
    // Export needs a selection, Delete a preset of the user's own (a shared one stays where it came
    // from): each button is enabled only when it can act, its tooltip saying why not.
    void _show_preset_buttons();
    // A list entry of a shared preset keeps its preset name under this role, its folder in the
    // entry's tooltip; the user's own entries carry none.
    static constexpr int kPresetNameRole = Qt::UserRole;
    // The window sits inside a container (docked) rather than being a window of its own.
    bool _is_docked() const { return !isWindow(); }
    // The container of the tool window that is docked now, if there is one; never throws.
    static QWidget* _docked_container() noexcept;
    // The floating window's width (the column every page is laid out for).
    static constexpr int kColumnWidth = 260;

    const WindowContext& context() const { return _context; }

    // Frame (window_frame.cpp).
    QStackedWidget* content_stack = nullptr;
    std::vector<QPushButton*> tab_buttons;
    QPushButton* prepare_btn = nullptr;
    QPushButton* bake_btn = nullptr;
    // Takes the applied shake off; enabled only while a shake is applied (set by the commands).
    QPushButton* reset_btn = nullptr;
    // In the title bar: docks the window into the host's workspace, or floats it again.
    QPushButton* dock_btn = nullptr;
    // In the title bar of a floating window: folds it to the title bar and back.
    QPushButton* fold_btn = nullptr;

    // Setup page.
    QLineEdit* camera_field = nullptr;
    QLineEdit* source_field = nullptr;
    // What the shake is made of: the object in source_field (the first entry), or a clip. The
    // clip plays from clip frame clip_offset_spin; Save Clip keeps the prepared shake as a clip.
    QComboBox* clip_combo = nullptr;
    QSpinBox* clip_offset_spin = nullptr;
    QPushButton* save_clip_btn = nullptr;
    SliderRow* lag_trans_slider = nullptr;
    SliderRow* lag_rot_slider = nullptr;
    SliderRow* smoothing_slider = nullptr;
    QLabel* amp_header = nullptr;
    SliderRow* amount_slider = nullptr;
    SliderRow* trans_amp_slider = nullptr;
    SliderRow* rot_amp_slider = nullptr;

    // Shake page.
    QLineEdit* ranges_field = nullptr;
    SliderRow* fade_in_slider = nullptr;
    SliderRow* fade_out_slider = nullptr;
    SliderRow* speed_slider = nullptr;
    QButtonGroup* mode_button_group = nullptr;
    QRadioButton* mode_static = nullptr;
    QRadioButton* mode_animated = nullptr;
    QRadioButton* mode_relax = nullptr;
    // Checked: the camera shows the prepared shake at amount zero, the settings unchanged.
    QCheckBox* bypass_cb = nullptr;
    QLineEdit* layer_field = nullptr;
    ShakePreview* shake_preview = nullptr;

    // Advanced page.
    QCheckBox* translate_cb = nullptr;
    QCheckBox* rotate_cb = nullptr;
    SliderRow* trans_x_slider = nullptr;
    SliderRow* trans_y_slider = nullptr;
    SliderRow* trans_z_slider = nullptr;
    SliderRow* rot_x_slider = nullptr;
    SliderRow* rot_y_slider = nullptr;
    SliderRow* rot_z_slider = nullptr;

    // Presets page.
    QListWidget* preset_list = nullptr;
    QLineEdit* preset_name_field = nullptr;
    QPushButton* load_btn = nullptr;
    QPushButton* delete_btn = nullptr;
    QPushButton* save_btn = nullptr;
    QPushButton* import_btn = nullptr;
    QPushButton* export_btn = nullptr;

    // Offset of the cursor from the window's top-left corner while a left-button drag is on.
    std::optional<QPoint> _drag_pos;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    // Esc rejects a dialog, which hides it: docked, that would leave an empty dock.
    void reject() override;

private:
    // Runs before the QDialog base exists: picks the parent and removes the earlier window.
    static QWidget* _parent_after_replacing(const WindowContext& context, QWidget* parent);

    // The frame (window_frame.cpp) and the pages (one file each).
    void _build_ui();
    QFrame* _build_title_bar();
    QFrame* _build_tab_bar();
    QFrame* _build_buttons();
    QWidget* _build_setup_page();
    QWidget* _build_shake_page();
    QWidget* _build_advanced_page();
    QWidget* _build_presets_page();
    // The page's file buttons: the user picks the file.
    void _import_chosen_presets() { _import_presets(); }
    void _export_chosen_presets() { _export_presets(); }
    // Sets the minimum height from what the pages, bars and buttons need (not below 380).
    void _fit_minimum_height();
    // An entry of clip_combo was chosen / the start frame changed: the next prepare plays it, and
    // the context's choose_clip shows it in the preview.
    void _choose_clip(int index);
    void _change_clip_offset(int offset);
    // The object's entry names the object in source_field.
    void _show_object_entry();

    // Every Qt entry point runs through this: a throw is reported, never passed to Qt. The reporter
    // is copied first: a command may delete the window, and its context with it.
    template <class Body>
    void _guarded(Body&& body) noexcept {
        ErrorReporter report;
        try {
            report = _context.report_error;
        } catch (...) {
            // Without memory for a copy, the error goes unreported; the handler still runs guarded.
        }
        run_guarded(report, std::forward<Body>(body));
    }

    // Connects a signal to a command of the window, dropping the signal's arguments.
    template <class Sender, class Signal>
    void _connect_command(Sender* sender, Signal signal, void (TremblaToolWindow::*command)()) {
        connect(sender, signal, this, [this, command] { _guarded([&] { (this->*command)(); }); });
    }

    // The same for a button whose click starts a long command: the command knows the user asked.
    void _connect_user_command(QPushButton* button, void (TremblaToolWindow::*command)());

    // The same for a check box's toggled signal, where the command may delete the window: Qt's
    // setChecked goes on using the box after the signal, so the window's destructor hands such a
    // box over to be deleted once that call has returned (see main_window.cpp). A refused command
    // puts the box back.
    void _connect_toggle(QCheckBox* box, void (TremblaToolWindow::*request)(const WindowContext::PutBack&));
    // A slider row's change asks for an update; a refused update puts the row back.
    void _connect_slider(SliderRow* row);
    // A mode button was checked: shows the rows the mode uses and asks for an update.
    void _change_mode(const WindowContext::PutBack& put_back);
    // Puts back a check box / the mode / the ranges text (WindowContext::PutBack).
    static WindowContext::PutBack _put_back_box(QCheckBox* box);
    WindowContext::PutBack _put_back_mode(QRadioButton* left);
    WindowContext::PutBack _put_back_ranges(const QString& before);
    // The ranges text was committed (Return, leaving the field, a preset); `before` is put back if
    // the update is refused.
    void _commit_ranges(const QString& before);
    // Runs a handler of a button's check-state signal (toggled, stateChanged) so guarded: every
    // button whose command may end in a host callback that deletes the window goes through here.
    void _run_toggling(QAbstractButton* button, const std::function<void()>& handler) noexcept;

    const WindowContext _context;
    // Where the floating window stood before it was docked, and its height, to put it back so.
    std::optional<QPoint> _floating_pos;
    std::optional<int> _floating_height;
    // Folded to the title bar, and the height to unfold to.
    bool _folded = false;
    int _unfolded_height = 0;
    // The mode button that was just unchecked, while the newly checked one's signal is to come.
    QRadioButton* _mode_left = nullptr;
    // The ranges text as set by a program or last committed, before the user's typing.
    QString _ranges_before;
};

}  // namespace trembla
