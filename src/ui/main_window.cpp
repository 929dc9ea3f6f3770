// The window's own logic: building it in place of an earlier one, the guarded connections from its
// controls to the commands, putting a refused change back, and the commands' hand-over to the
// context. The frame (title bar, tabs, action buttons, drag) is in window_frame.cpp, each page in
// its own file.
#include "ui/main_window.h"

#include <algorithm>
#include <initializer_list>
#include <utility>
#include <vector>

#include <QAbstractButton>
#include <QApplication>
#include <QHideEvent>
#include <QLayout>
#include <QPalette>
#include <QPointer>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QTimer>

#include "ui/theme.h"

namespace trembla {

namespace {

// The buttons whose toggled signal is running a command now, innermost last. Only the interface
// thread runs commands.
std::vector<QAbstractButton*>& toggling_buttons() {
    static std::vector<QAbstractButton*> buttons;
    return buttons;
}

// Buttons taken out of deleted windows while their toggled signal ran, waiting for deletion.
std::vector<QPointer<QAbstractButton>>& retired_buttons() {
    static std::vector<QPointer<QAbstractButton>> buttons;
    return buttons;
}

bool is_toggling(const QAbstractButton* button) {
    const std::vector<QAbstractButton*>& buttons = toggling_buttons();
    return std::find(buttons.begin(), buttons.end(), button) != buttons.end();
}

// Deletes the retired buttons whose toggle has returned. Runs from a timer, so from the event
// loop: a button still toggling there is inside a nested loop of its command, and waits.
void delete_retired_buttons() {
    std::vector<QPointer<QAbstractButton>> waiting;
    for (const QPointer<QAbstractButton>& button : std::exchange(retired_buttons(), {})) {
        if (button.isNull()) continue;
        if (is_toggling(button.data())) {
            waiting.push_back(button);
        } else {
            delete button.data();
        }
    }
    for (QPointer<QAbstractButton>& button : waiting) retired_buttons().push_back(std::move(button));
    if (!retired_buttons().empty()) QTimer::singleShot(100, qApp, &delete_retired_buttons);
}

class TogglingScope {
public:
    explicit TogglingScope(QAbstractButton* button) { toggling_buttons().push_back(button); }
    ~TogglingScope() { toggling_buttons().pop_back(); }
    TogglingScope(const TogglingScope&) = delete;
    TogglingScope& operator=(const TogglingScope&) = delete;
};

}  // namespace

void TremblaToolWindow::_connect_toggle(QCheckBox* box,
                                        void (TremblaToolWindow::*request)(const WindowContext::PutBack&)) {
    connect(box, &QAbstractButton::toggled, this, [this, box, request] {
        _run_toggling(box, [this, box, request] { (this->*request)(_put_back_box(box)); });
    });
}

void TremblaToolWindow::_connect_user_command(QPushButton* button, void (TremblaToolWindow::*command)()) {
    connect(button, &QPushButton::clicked, this, [this, command] {
        _guarded([&] {
            // The command may delete the window; the mark is cleared only on a window still there.
            const QPointer<TremblaToolWindow> alive(this);
            const bool before = _by_own_control;
            _by_own_control = true;
            try {
                (this->*command)();
            } catch (...) {
                if (alive) alive->_by_own_control = before;
                throw;
            }
            if (alive) alive->_by_own_control = before;
        });
    });
}

void TremblaToolWindow::_connect_slider(SliderRow* row) {
    connect(row, &SliderRow::valueChanged, this, [this, row] {
        _guarded([&] {
            const QPointer<SliderRow> alive(row);
            const int before = row->value_before();
            _request_update([alive, before] {
                if (alive.isNull()) return;
                const QSignalBlocker blocker(alive.data());
                alive->setValue(before);
            });
        });
    });
}

WindowContext::PutBack TremblaToolWindow::_put_back_box(QCheckBox* box) {
    const QPointer<QCheckBox> alive(box);
    const bool before = !box->isChecked();
    return [alive, before] {
        if (alive.isNull()) return;
        const QSignalBlocker blocker(alive.data());
        // setCheckState, not setChecked: inside a click the box would keep announcing the refused
        // state and stay silent on the next real change.
        alive->setCheckState(before ? Qt::Checked : Qt::Unchecked);
    };
}

WindowContext::PutBack TremblaToolWindow::_put_back_mode(QRadioButton* left) {
    if (left == nullptr) return {};
    const QPointer<TremblaToolWindow> window(this);
    return [window, left] {
        if (window.isNull()) return;
        const QSignalBlocker block_static(window->mode_static);
        const QSignalBlocker block_animated(window->mode_animated);
        const QSignalBlocker block_relax(window->mode_relax);
        left->setChecked(true);
        window->_show_mode_rows();
    };
}

WindowContext::PutBack TremblaToolWindow::_put_back_ranges(const QString& before) {
    const QPointer<TremblaToolWindow> window(this);
    return [window, before] {
        if (window.isNull()) return;
        const QSignalBlocker blocker(window->ranges_field);
        window->ranges_field->setText(before);
        window->_ranges_before = before;
        window->_show_fade_rows();
    };
}

void TremblaToolWindow::_run_toggling(QAbstractButton* button, const std::function<void()>& handler) noexcept {
    // Nothing of the window is touched once the handler has run: the window may be gone by then.
    const TogglingScope scope(button);
    _guarded(handler);
}

QWidget* TremblaToolWindow::_parent_after_replacing(const WindowContext& context, QWidget* parent) {
    if (parent == nullptr && context.host_main_window) {
        // The host lookup reports its own failures; here a failure only means "no parent".
        run_guarded({}, [&] { parent = context.host_main_window(); });
    }
    _delete_existing();
    return parent;
}

TremblaToolWindow::TremblaToolWindow(WindowContext context, QWidget* parent)
    : QDialog(_parent_after_replacing(context, parent)), _context(std::move(context)) {
    setObjectName(QString::fromLatin1(WINDOW_OBJECT));
    setWindowTitle(QString::fromLatin1(WINDOW_TITLE));
    setFixedWidth(260);
    // No system frame: the window draws its own rounded body and title bar, and only mainFrame shows.
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_TranslucentBackground);
    setStyleSheet(QString::fromStdString(STYLESHEET()));
    _drag_pos.reset();
    _build_ui();
    // A dialog turns Return into a click on its default button, which would be whichever push button
    // came first in the focus chain (the help button): Return in a field must only commit that field.
    for (QPushButton* button : findChildren<QPushButton*>()) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }
    _fit_minimum_height();
    // After the polish above: a field's first style-sheet polish puts the sheet's text colour into
    // the placeholder role on Qt 5.12-5.15; a role set on the widget after that is kept.
    for (QLineEdit* field : findChildren<QLineEdit*>()) {
        dim_placeholder(field);
    }
}

void TremblaToolWindow::dim_placeholder(QLineEdit* field) {
#if QT_VERSION >= QT_VERSION_CHECK(5, 12, 0)
    // The style sheet's text colour reaches the placeholder role on Qt 5.12-5.15, which then reads
    // as typed text ("10-50, 70-80" looks set).
    QPalette palette = field->palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        palette.setColor(group, QPalette::PlaceholderText, theme_color("text_dim"));
    }
    field->setPalette(palette);
#else
    // Before 5.12 there is no placeholder role: QLineEdit draws the placeholder in the text colour
    // at half opacity, which over the field's background (#c0c0c0 over #2a2a32) comes out at
    // #75757a, within a few steps of text_dim (#707078). Nothing to set.
    (void)field;
#endif
}

void TremblaToolWindow::_fit_minimum_height() {
    // An explicit minimum replaces the one the layout would keep, so it must come from the content:
    // the tallest page (the stack asks for the tallest) with the bars and the action buttons, once
    // the style sheet has set paddings and fonts. 380 stays the floor.
    ensurePolished();
    for (QWidget* child : findChildren<QWidget*>()) {
        child->ensurePolished();
    }
    layout()->invalidate();
    setMinimumHeight(std::max(380, layout()->totalMinimumSize().height()));
}

TremblaToolWindow::~TremblaToolWindow() {
    // The dialog hides itself on its way out, which moves the focus, and a field losing the focus
    // reports the end of editing: no command may run on a window whose own members are gone.
    for (QObject* child : findChildren<QObject*>()) {
        child->blockSignals(true);
    }
    // Deleted from inside a toggle of one of its buttons: QAbstractButton::setChecked still uses
    // the button after the signal (its accessibility update), so the button leaves the window,
    // hidden, and is deleted from the event loop once nothing toggles it.
    bool retired = false;
    for (QAbstractButton* button : findChildren<QAbstractButton*>()) {
        if (is_toggling(button)) {
            button->setParent(nullptr);
            retired_buttons().emplace_back(button);
            retired = true;
        }
    }
    if (retired) {
        QTimer::singleShot(0, qApp, &delete_retired_buttons);
    }
    // A window deleted in mid-drag never sees the release: its undo step is closed here.
    if (_drag_undo_open && _context.end_slider_drag) {
        run_guarded({}, [this] { _context.end_slider_drag(*this); });
    }
    if (_context.hidden) {
        run_guarded({}, [this] { _context.hidden(*this); });
    }
}

void TremblaToolWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous() && _context.shown) _guarded([this] { _context.shown(*this); });
}

void TremblaToolWindow::hideEvent(QHideEvent* event) {
    QDialog::hideEvent(event);
    if (!event->spontaneous() && _context.hidden) _guarded([this] { _context.hidden(*this); });
}

void TremblaToolWindow::reject() {
    _guarded([this] {
        if (isWindow()) QDialog::reject();
    });
}

void TremblaToolWindow::_delete_existing() {
    run_guarded({}, [] {
        // Every widget, not only the top-level ones: a docked window sits inside its dock.
        const QList<QWidget*> windows = QApplication::allWidgets();
        for (QWidget* widget : windows) {
            // Guarded pointer: closing one window may delete another of the list.
            QPointer<QWidget> guarded(widget);
            if (guarded && guarded->objectName() == QLatin1String(WINDOW_OBJECT)) {
                guarded->close();
                if (guarded) {
                    guarded->deleteLater();
                }
            }
        }
    });
}

std::string TremblaToolWindow::_get_camera_mode() const {
    if (mode_static->isChecked()) {
        return "static";
    }
    if (mode_animated->isChecked()) {
        return "animated";
    }
    return "relax";
}

void TremblaToolWindow::_on_mode_changed(bool checked) {
    if (!checked) {
        return;
    }
    _change_mode({});
}

void TremblaToolWindow::_change_mode(const WindowContext::PutBack& put_back) {
    _show_mode_rows();
    if (_context.change_mode) {
        _context.change_mode(*this, put_back);
    } else {
        _request_update(put_back);
    }
}

void TremblaToolWindow::_show_mode_rows() {
    // Hidden rows keep their values, so switching back to another mode shows them unchanged.
    const bool relax = _get_camera_mode() == "relax";
    // The relax mode keys the smoothed move alone: no shake to scale, to play faster or slower, or
    // to delay behind the source. Speed keeps its place, so the mode buttons under it stay where
    // the pointer is.
    for (QWidget* row : std::initializer_list<QWidget*>{amp_header, amount_slider, trans_amp_slider, rot_amp_slider,
                                                        speed_slider, lag_trans_slider, lag_rot_slider}) {
        row->setVisible(!relax);
    }
    _show_axis_tips(relax);
    _show_relax_needs();
}

void TremblaToolWindow::_show_relax_needs() {
    const bool relax = _get_camera_mode() == "relax";
    QString hint;
    if (relax) {
        hint = smoothing_slider->value() > 0
                   ? QStringLiteral(
                         "Relax adds no shake: it smooths the camera's own move (Smooth on SETUP, the "
                         "axes on ADVANCED).")
                   : QStringLiteral(
                         "Relax needs Smooth above 0 (SETUP): at 0 the camera keeps its own move "
                         "unchanged.");
    }
    shake_preview->set_no_offsets_hint(hint);
}

// The command bodies live with the scene workflow and the presets; see WindowContext.
void TremblaToolWindow::_prepare_shake() {
    if (_context.prepare_shake) _context.prepare_shake(*this);
}
void TremblaToolWindow::_update_shake() { _request_update({}); }
void TremblaToolWindow::_request_update(const WindowContext::PutBack& put_back) {
    if (_context.update_shake) _context.update_shake(*this, put_back);
}
void TremblaToolWindow::_begin_slider_drag() {
    if (_context.begin_slider_drag) _context.begin_slider_drag(*this);
}
void TremblaToolWindow::_end_slider_drag() {
    if (_context.end_slider_drag) _context.end_slider_drag(*this);
}
void TremblaToolWindow::_toggle_bypass() { _request_bypass({}); }
void TremblaToolWindow::_request_bypass(const WindowContext::PutBack& put_back) {
    if (_context.toggle_bypass) _context.toggle_bypass(*this, put_back);
}
void TremblaToolWindow::_reset_camera() {
    if (_context.reset_camera) _context.reset_camera(*this);
}
void TremblaToolWindow::_bake_to_layer() {
    if (_context.bake_to_layer) _context.bake_to_layer(*this);
}
void TremblaToolWindow::_set_camera() {
    if (_context.set_camera) _context.set_camera(*this);
}
void TremblaToolWindow::_set_source() {
    if (_context.set_source) _context.set_source(*this);
}
void TremblaToolWindow::_save_preset() {
    if (_context.save_preset) _context.save_preset(*this);
}
void TremblaToolWindow::_load_selected_preset(QListWidgetItem* item) {
    if (_context.load_selected_preset) _context.load_selected_preset(*this, item);
}
void TremblaToolWindow::_delete_selected_preset() {
    if (_context.delete_selected_preset) _context.delete_selected_preset(*this);
}
void TremblaToolWindow::_refresh_preset_list() {
    if (_context.refresh_preset_list) _context.refresh_preset_list(*this);
}
void TremblaToolWindow::_import_presets(const QString& path) {
    if (_context.import_presets) _context.import_presets(*this, path);
}
void TremblaToolWindow::_export_presets(const QString& path) {
    if (_context.export_presets) _context.export_presets(*this, path);
}
void TremblaToolWindow::_save_clip() {
    if (_context.save_clip) _context.save_clip(*this);
}
void TremblaToolWindow::_refresh_clip_list() {
    if (_context.refresh_clip_list) _context.refresh_clip_list(*this);
}
void TremblaToolWindow::_offer_preset_copy() {
    if (_context.offer_preset_copy) _context.offer_preset_copy(*this);
}

}  // namespace trembla
