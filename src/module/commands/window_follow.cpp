#include "module/commands/window_follow.h"

#include <algorithm>
#include <exception>
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
#include "module/commands/shake_preview_feed.h"
#include "module/commands/window_command.h"
#include "module/commands/window_controls.h"
#include "module/functions/clip_functions.h"
#include "pyhost/curve_edits.h"
#include "pyhost/python_error.h"
#include "pyhost/python_host.h"
#include "scene/applied_links.h"
#include "scene/scene_follow.h"
#include "scene/take_up.h"
#include "scene/workflow.h"
#include "ui/main_window.h"
#include "ui/theme.h"

namespace trembla::ext {

namespace {

// The events after which the scene may hold another shake than the window shows (scriptJob
// -listEvents): an undo or redo of the user's, a file opened, a new scene, a scene read (also
// after an import or a reference loaded).
constexpr const char* kSceneEvents[] = {"Undo", "Redo", "SceneOpened", "NewSceneOpened", "PostSceneRead"};

void show_field(QLineEdit* field, const std::string& text) {
    const QSignalBlocker blocker(field);
    field->setText(qstring_of(text));
}

void show_box(QAbstractButton* box, bool checked) {
    const QSignalBlocker blocker(box);
    box->setChecked(checked);
}

void show_prepare_button(TremblaToolWindow& w, const char* text, const char* style_class) {
    w.prepare_btn->setText(QString::fromLatin1(text));
    change_style_class(w.prepare_btn, style_class);
}

// The window shows `record` as the camera notes it, with no handler run: the scene already is as
// the controls then say. Only Qt: no host call, no Python.
void show_record(TremblaToolWindow& w, const Prepared& record) {
    if (!record.ready) {
        if (w.reset_btn->isEnabled() || !w._shown_note.empty()) show_unprepared(w);
        w._shown_note.clear();
        return;
    }
    if (w._shown_note == record.noted_text && w.reset_btn->isEnabled()) return;  // shown already
    show_field(w.camera_field, record.camera.value_or(std::string()));
    show_field(w.source_field, record.source.value_or(std::string()));
    // A shake that plays a clip names it as its source: Re-Prepare plays it again.
    w._source_clip = record.clip ? record.clip->name : std::string();
    w._clip_offset = record.clip ? record.clip->offset : 0;
    w._show_source_choice();
    ShakeControls shown = read_controls(w);
    if (record.noted && record.noted->settings) {
        shown.settings = *record.noted->settings;
        for_each_setting(shown.settings, [&w](const char* name, const auto& value) { show_control(w, name, value); });
    } else {
        show_control(w, "mode", record.camera_mode);
    }
    shown.bypass = record.noted && record.noted->bypass;
    show_box(w.bypass_cb, shown.bypass);
    show_prepared_button(w);
    w._show_applied(true);
    w._show_clip_saving(!record.clip);
    if (record.samples_pending) {
        // The preview needs the source's samples, read at the first command that keys: showing
        // the window steps no time to read them.
        w.shake_preview->show_hint(QString::fromLatin1(ShakePreview::TAKEN_UP_HINT));
    } else {
        w.shake_preview->set_data(preview_of(record, prepared_shake_offsets(record, shown), shown.bypass));
    }
    w._shown_note = record.noted_text;
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

std::string joined(const std::vector<std::string>& names) {
    std::string out;
    for (const std::string& name : names) out += (out.empty() ? "" : ", ") + name;
    return out;
}

// What the tool keeps between two looks at the scene (scene_follow.h). Only the interface thread
// runs commands and host events.
SceneFollower& follower() {
    static SceneFollower kept;
    return kept;
}

void follow(PyObject* module, TremblaToolWindow& window, bool scan) {
    const QPointer<TremblaToolWindow> alive(&window);
    const PreparedRecord before = current_prepared(module);
    const std::string named = utf8_of(window.camera_field->text());
    py::PythonHost host = host_for(module);
    SceneFollowed followed = follower().look(host, before, named, scan);
    for (const std::string& problem : followed.problems) tell_once(host, problem);
    if (!followed.several.empty()) {
        host.print_line("Shakes are applied to several cameras (" + joined(followed.several) +
                        "): none is taken up. Set the camera to show its shake.");
    }
    if (followed.record) {
        const bool taken_up = followed.record->ready && !before->ready;
        const std::string camera = followed.record->camera.value_or(std::string());
        if (!replace_prepared(module, before, std::move(*followed.record))) return;
        if (taken_up && named.empty()) host.print_line("Taken up the shake applied to " + camera + ".");
    }
    // Also when nothing changed: a window shown since may not show it yet.
    if (alive) show_record(*alive, *current_prepared(module));
}

// The windows whose script jobs run now: each shows the scene at an event. Only the interface
// thread runs events and windows.
std::vector<QPointer<TremblaToolWindow>>& watching_windows() {
    static std::vector<QPointer<TremblaToolWindow>> windows;
    return windows;
}

PyObject* on_scene_event(PyObject* module, PyObject* /*unused*/) {
    // A copy: showing the scene runs Python, which may show or hide a window meanwhile.
    const std::vector<QPointer<TremblaToolWindow>> windows = watching_windows();
    for (const QPointer<TremblaToolWindow>& window : windows) {
        if (window) show_the_scene(module, *window, true);
    }
    Py_RETURN_NONE;
}

PyMethodDef kOnSceneEvent = {"_show_the_scene", on_scene_event, METH_NOARGS,
                             "Runs from the host's scene events: the tool window shows what the scene holds."};

int& command_depth() {
    static int depth = 0;
    return depth;
}

}  // namespace

void show_prepared_button(TremblaToolWindow& window) { show_prepare_button(window, "Re-Prepare", "preparedBtn"); }

void show_unprepared(TremblaToolWindow& window) {
    show_prepare_button(window, "Prepare Shake", "primaryBtn");
    window._show_applied(false);
    window._show_clip_saving(false);
    window.shake_preview->clear();
    clear_bypass(window);
}

void clear_bypass(TremblaToolWindow& window) { show_box(window.bypass_cb, false); }

void show_the_scene(PyObject* module, TremblaToolWindow& window, bool scan) noexcept {
    GilHold gil;
    const py::PendingErrorSaver keep;  // Python errors set meanwhile are the caller's business
    try {
        if (window.prepare_btn == nullptr) return;  // still being built
        follow(module, window, scan);
    } catch (...) {
        // A host that cannot answer leaves the window as it was; the next command looks again.
    }
}

SceneWatch::SceneWatch(PyObject* module, WindowCommand& command) noexcept : module_(module), command_(command) {
    outermost_ = ++command_depth() == 1;
    if (outermost_) show_the_scene(module, command.window(), false);
}

SceneWatch::~SceneWatch() {
    --command_depth();
    if (!outermost_) return;
    try {
        if (!command_.window_alive()) return;
        // The command keyed what its controls say, and the camera notes it so.
        const PreparedRecord record = current_prepared(module_);
        command_.window()._shown_note = record->ready ? record->noted_text : std::string();
        // Save Clip follows what the command left: a shake of an object, or none to save.
        // (Not while the window is still being built.)
        if (command_.window().save_clip_btn != nullptr) {
            command_.window()._show_clip_saving(record->ready && !record->clip);
        }
        py::PythonHost host = host_for(module_);
        follower().after_command(host, record);
    } catch (...) {
        PyErr_Clear();
    }
}

void forget_seen_scene() noexcept {
    told_notes().clear();
    follower().forget();
}

PreparedRecord read_samples_if_pending(PyObject* module, Host& host) {
    const PreparedRecord record = current_prepared(module);
    if (!record->ready || !record->samples_pending) return record;
    Prepared next = *record;
    if (!read_pending_samples(host, next, clip_lookup(module, host))) {
        if (record->source_missing_told) return nullptr;
        next.source_missing_told = true;
        replace_prepared(module, record, std::move(next));
        const std::string camera = shown_name(record->camera.value_or(std::string()));
        if (record->clip) {
            host.warning("Clip " + shown_name(record->clip->name) + " of the shake on " + camera +
                         " is gone or changed since Prepare: the shake stays as keyed. Reset takes it off; "
                         "Re-Prepare plays the clip as it is now.");
        } else {
            host.warning("Source " + shown_name(record->source.value_or(std::string())) + " of the shake on " + camera +
                         " no longer exists: the shake stays as keyed. Reset takes it off; Re-Prepare needs a source.");
        }
        return nullptr;
    }
    if (!replace_prepared(module, record, std::move(next))) throw PreparationReplaced();
    return current_prepared(module);
}

void install_scene_jobs(PyObject* module, TremblaToolWindow& window) noexcept {
    GilHold gil;
    const py::PendingErrorSaver keep;
    if (!window._scene_jobs.empty()) return;
    py::listen_to_curve_edits();
    try {
        const QPointer<TremblaToolWindow> alive(&window);
        py::PyRef script = py::checked(PyCFunction_New(&kOnSceneEvent, module));
        py::PythonHost host = host_for(module);
        for (const char* event : kSceneEvents) {
            const std::optional<long> job = host.add_event_job(event, script.get());
            if (!alive) {
                if (job) host.kill_job(*job);
                return;
            }
            if (job) alive->_scene_jobs.push_back(*job);
        }
        if (alive && !alive->_scene_jobs.empty()) watching_windows().push_back(alive);
    } catch (...) {
        // Without the jobs the window still looks at the scene at the start of every command.
    }
}

void kill_scene_jobs(PyObject* module, TremblaToolWindow& window) noexcept {
    GilHold gil;
    const py::PendingErrorSaver keep;
    auto& windows = watching_windows();
    windows.erase(std::remove_if(windows.begin(), windows.end(),
                                 [&window](const QPointer<TremblaToolWindow>& w) { return !w || w == &window; }),
                  windows.end());
    const std::vector<long> jobs = std::exchange(window._scene_jobs, {});
    for (long job : jobs) {
        try {
            py::PythonHost host = host_for(module);
            host.kill_job(job);
        } catch (...) {
            // Already gone (a new scene, the host's own clean-up): nothing left to kill.
        }
    }
}

}  // namespace trembla::ext
