#include "module/commands/take_up.h"

#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include <QCheckBox>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSignalBlocker>

#include "module/binding/error_report.h"
#include "module/binding/qt_values.h"
#include "module/commands/window_command.h"
#include "module/commands/window_controls.h"
#include "pyhost/python_error.h"
#include "pyhost/python_host.h"
#include "scene/applied_links.h"
#include "scene/take_up.h"
#include "ui/main_window.h"
#include "ui/theme.h"

namespace trembla::ext {

namespace {

void show_field(QLineEdit* field, const std::string& text) {
    const QSignalBlocker blocker(field);
    field->setText(qstring_of(text));
}

void show_box(QAbstractButton* box, bool checked) {
    const QSignalBlocker blocker(box);
    box->setChecked(checked);
}

// The window shows `applied` as prepared, with no handler run: the scene already is as it says.
void show_taken_up(TremblaToolWindow& w, const std::string& camera, const AppliedRecord& applied) {
    show_field(w.camera_field, camera);
    show_field(w.source_field, applied.source);
    if (applied.settings) {
        for_each_setting(*applied.settings,
                         [&w](const char* name, const auto& value) { show_control(w, name, value); });
    } else {
        show_control(w, "mode", camera_mode_from_text(applied.mode, CameraMode::static_pose));
    }
    show_box(w.bypass_cb, applied.bypass);
    w.prepare_btn->setText(QStringLiteral("Re-Prepare"));
    change_style_class(w.prepare_btn, "preparedBtn");
    w._show_applied(true);
    // The preview needs the source's samples, read at the first command that keys (which shows
    // the graph); showing the window steps no time to read them.
    w.shake_preview->show_hint(QString::fromLatin1(ShakePreview::TAKEN_UP_HINT));
}

void show_nothing_prepared(TremblaToolWindow& w) {
    w.prepare_btn->setText(QStringLiteral("Prepare Shake"));
    change_style_class(w.prepare_btn, "primaryBtn");
    w._show_applied(false);
    w.shake_preview->clear();
    show_box(w.bypass_cb, false);
}

// The notes said so far, each as its line: not at every show or scene change that meets it
// again. Only the texts are kept, touched between host calls.
std::set<std::string>& told_notes() {
    static std::set<std::string> told;
    return told;
}

void tell_once(Host& host, const std::string& problem) {
    if (problem.empty() || !told_notes().insert(problem).second) return;
    host.warning(problem);
}

// Installs the preparation of the live shake on `camera` and shows it; false when there is none.
bool take_up(PyObject* module, TremblaToolWindow& window, py::PythonHost& host, const std::string& camera) {
    const QPointer<TremblaToolWindow> alive(&window);
    const PreparedRecord before = current_prepared(module);
    AppliedRecord applied;
    std::string problem;
    std::optional<Prepared> taken = taken_up_preparation(host, camera, &applied, &problem);
    tell_once(host, problem);
    if (!taken || !alive) return false;
    if (!replace_prepared(module, before, std::move(*taken))) return false;
    show_taken_up(*alive, camera, applied);
    return true;
}

std::string joined(const std::vector<std::string>& names) {
    std::string out;
    for (const std::string& name : names) out += (out.empty() ? "" : ", ") + name;
    return out;
}

}  // namespace

void take_up_on_show(PyObject* module, TremblaToolWindow& window) noexcept {
    GilHold gil;
    const py::PendingErrorSaver keep;
    try {
        if (window.prepare_btn == nullptr || current_prepared(module)->ready) return;
        const QPointer<TremblaToolWindow> alive(&window);
        py::PythonHost host = host_for(module);
        const std::string named = utf8_of(window.camera_field->text());
        if (!named.empty()) {
            take_up(module, window, host, named);
            return;
        }
        std::vector<std::string> problems;
        const std::vector<std::string> live = cameras_with_live_shake(host, &problems);
        for (const std::string& problem : problems) tell_once(host, problem);
        if (!alive || live.empty()) return;
        if (live.size() > 1) {
            host.print_line("Shakes are applied to several cameras (" + joined(live) +
                            "): none is taken up. Set the camera to show its shake.");
            return;
        }
        if (take_up(module, *alive, host, live.front())) {
            host.print_line("Taken up the shake applied to " + live.front() + ".");
        }
    } catch (...) {
        // The window stays as it was built: nothing prepared. Reset still finds the shake.
    }
}

void forget_told_notes() noexcept { told_notes().clear(); }

bool follow_scene(PyObject* module, TremblaToolWindow& window) {
    const QPointer<TremblaToolWindow> alive(&window);
    py::PythonHost host = host_for(module);
    const PreparedRecord record = current_prepared(module);
    const std::string named = utf8_of(window.camera_field->text());
    if (!record->ready) {
        if (named.empty() || !host.obj_exists(named)) return false;
        return alive && take_up(module, *alive, host, named);
    }
    if (scene_holds(host, *record) || !alive) return false;
    // Another scene: the preparation in memory keys nothing any more.
    const std::string camera = record->camera.value_or(named);
    if (take_up(module, *alive, host, camera)) return true;
    Prepared ended = *record;
    ended.ready = false;
    if (!replace_prepared(module, record, std::move(ended)) || !alive) return false;
    show_nothing_prepared(*alive);
    return true;
}

PreparedRecord read_samples_if_pending(PyObject* module, Host& host) {
    const PreparedRecord record = current_prepared(module);
    if (!record->ready || !record->samples_pending) return record;
    Prepared next = *record;
    if (!read_pending_samples(host, next)) {
        if (record->source_missing_told) return nullptr;
        next.source_missing_told = true;
        replace_prepared(module, record, std::move(next));
        host.warning("Source " + shown_name(record->source.value_or(std::string())) + " of the shake on " +
                     shown_name(record->camera.value_or(std::string())) +
                     " no longer exists: the shake stays as keyed. Reset takes it off; Re-Prepare needs a source.");
        return nullptr;
    }
    if (!replace_prepared(module, record, std::move(next))) throw PreparationReplaced();
    return current_prepared(module);
}

}  // namespace trembla::ext
