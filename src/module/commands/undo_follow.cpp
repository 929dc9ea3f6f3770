#include "module/commands/undo_follow.h"

#include <cstddef>
#include <exception>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <QPointer>
#include <QSignalBlocker>
#include <QString>

#include "module/binding/error_report.h"
#include "module/binding/qt_values.h"
#include "module/commands/shake_preview_feed.h"
#include "module/commands/take_up.h"
#include "module/commands/window_command.h"
#include "module/commands/window_controls.h"
#include "module/state.h"
#include "pyhost/python_host.h"
#include "scene/workflow.h"
#include "ui/main_window.h"
#include "ui/theme.h"

namespace trembla::ext {

namespace {

// The steps remembered for one window; a long session keeps only the newest.
constexpr std::size_t kMostSteps = 500;

struct ToolState {
    PreparedRecord record;
    ShakeControls controls;
    QString prepare_text;
    std::string prepare_class;
};

struct Step {
    std::string name;  // the step's name on the host's queue
    ToolState before;
    ToolState after;
};

struct Pending {
    ToolState state;
    std::size_t closed;  // tool_steps_closed() when it was taken
};

// Only the interface thread runs commands and host events.
struct History {
    QPointer<TremblaToolWindow> owner;
    std::vector<Step> steps;
    std::size_t applied = 0;  // the steps the host's queue holds now: the first `applied`
    long seen_count = -1;     // the queue's length when last looked at; -1: not known
    // The queue was emptied since the last look, not by an undo the tool followed: a file opened
    // or a new scene, whose shake the window may not show.
    bool moved_elsewhere = false;
    std::optional<Pending> drag;
    // The controls as the last command of the window left them: a control's change runs its
    // command after the control has changed, so that is what the tool showed before it.
    std::optional<ShakeControls> last_controls;
    int depth = 0;  // window commands running now
};

History& history() {
    static History h;
    return h;
}

}  // namespace

void forget_undo_history() noexcept {
    History& h = history();
    const int depth = h.depth;
    h = History{};
    h.depth = depth;
}

namespace {

ToolState take_state(PyObject* module, const TremblaToolWindow& w) {
    return {current_prepared(module), read_controls(w), w.prepare_btn->text(),
            utf8_of(w.prepare_btn->property("class").toString())};
}

void set_box(QAbstractButton* box, bool checked) {
    const QSignalBlocker blocker(box);
    box->setChecked(checked);
}

void set_field(QLineEdit* field, const std::string& text) {
    const QSignalBlocker blocker(field);
    field->setText(qstring_of(text));
}

// Every control as `c` says, with no command run: the scene already is as they describe it.
void write_controls(TremblaToolWindow& w, const ShakeControls& c) {
    set_field(w.camera_field, c.camera_field);
    set_field(w.source_field, c.source_field);
    for_each_setting(c.settings, [&w](const char* name, const auto& value) { show_control(w, name, value); });
    set_box(w.bypass_cb, c.bypass);
}

// The tool shows `state` again: its record behind `_prepared`, its controls, its prepare and reset
// buttons and the preview of its shake.
void show_state(PyObject* module, TremblaToolWindow& w, const ToolState& state) {
    const PreparedRecord now = current_prepared(module);
    if (now != state.record) replace_prepared(module, now, *state.record);
    write_controls(w, state.controls);
    w.prepare_btn->setText(state.prepare_text);
    change_style_class(w.prepare_btn, state.prepare_class.c_str());
    const Prepared& record = *state.record;
    w.reset_btn->setEnabled(record.ready);
    if (record.ready && !record.samples_pending) {
        w.shake_preview->set_data(
            preview_of(record, prepared_shake_offsets(record, state.controls), state.controls.bypass));
    } else {
        w.shake_preview->clear();
    }
}

void remember(TremblaToolWindow& window, std::string name, ToolState before, ToolState after) {
    History& h = history();
    if (h.owner != &window) return;  // the window's history was begun by its first command
    h.steps.resize(h.applied);
    h.steps.push_back({std::move(name), std::move(before), std::move(after)});
    if (h.steps.size() > kMostSteps) h.steps.erase(h.steps.begin());
    h.applied = h.steps.size();
    // The step is the newest entry of the queue now (unless the queue is full or off, which the
    // next look finds out).
    if (h.seen_count >= 0) ++h.seen_count;
}

PyObject* on_host_event(PyObject* module, PyObject* /*unused*/) {
    const QPointer<TremblaToolWindow> owner = history().owner;
    if (owner) follow_host_undo(module, *owner);
    Py_RETURN_NONE;
}

PyMethodDef kOnHostEvent = {"_follow_host_undo", on_host_event, METH_NOARGS,
                            "Runs from the host's Undo and Redo script jobs: the tool window follows the step."};

}  // namespace

void follow_host_undo(PyObject* module, TremblaToolWindow& window) noexcept {
    GilHold gil;
    const py::PendingErrorSaver keep;  // Python errors set meanwhile are the caller's business
    try {
        const QPointer<TremblaToolWindow> alive(&window);
        History& h = history();
        if (h.owner != &window) {  // a new window begins a history of its own
            const int depth = h.depth;
            h = History{};
            h.owner = &window;
            h.depth = depth;
        }
        py::PythonHost host = host_for(module);
        const long count = host.undo_count();
        History& now = history();
        if (now.owner != alive) return;
        const long seen = now.seen_count;
        now.seen_count = count;
        if (seen < 0 || count == seen) return;
        // Emptied: a file opened or a new scene (a full queue keeps its length while it moves).
        if (count == 0) now.moved_elsewhere = true;
        std::optional<ToolState> target;
        if (count < seen && now.applied > 0) {
            const std::string name = now.steps[now.applied - 1].name;
            if (host.redo_name() != name) return;
            History& after_query = history();
            if (after_query.owner != alive || after_query.applied == 0) return;
            --after_query.applied;
            after_query.moved_elsewhere = false;
            target = after_query.steps[after_query.applied].before;
        } else if (count > seen && now.applied < now.steps.size()) {
            const std::string name = now.steps[now.applied].name;
            if (host.undo_name() != name) return;
            History& after_query = history();
            if (after_query.owner != alive || after_query.applied >= after_query.steps.size()) return;
            target = after_query.steps[after_query.applied].after;
            ++after_query.applied;
            after_query.moved_elsewhere = false;
        }
        if (target && alive) {
            show_state(module, *alive, *target);
            history().last_controls = target->controls;
        }
    } catch (...) {
        // A host that cannot answer leaves the tool as it is; the next command looks again.
    }
}

struct StepWatch::Before {
    ToolState state;
    std::size_t closed;
};

StepWatch::StepWatch(PyObject* module, WindowCommand& command) noexcept : module_(module), command_(command) {
    if (++history().depth != 1) return;  // a command inside another: the outer one is the step
    const py::PendingErrorSaver keep;
    try {
        // The drag is the step; a window still being built (its preset list filled) has none.
        if (command.window()._drag_undo_open || command.window().prepare_btn == nullptr) return;
        follow_host_undo(module, command.window());
        if (!command.window_alive()) return;
        // A scene opened meanwhile (it empties the queue) holds another shake, or none: the window
        // takes up what it holds. Only then is the scene asked: a command of an unchanged scene
        // asks the host nothing more.
        const bool moved = std::exchange(history().moved_elsewhere, false);
        const bool took_up = moved && follow_scene(module, command.window());
        if (!command.window_alive()) return;
        before_ = new Before{take_state(module, command.window()), py::tool_steps_closed()};
        History& h = history();
        if (h.owner == &command.window() && took_up) h.last_controls = before_->state.controls;
        if (h.owner == &command.window() && h.last_controls) before_->state.controls = *h.last_controls;
    } catch (...) {
    }
}

StepWatch::~StepWatch() {
    --history().depth;
    if (before_ == nullptr) return;
    const py::PendingErrorSaver keep;
    try {
        if (command_.window_alive()) {
            ToolState after = take_state(module_, command_.window());
            if (history().owner == &command_.window()) history().last_controls = after.controls;
            if (py::tool_steps_closed() != before_->closed) {
                remember(command_.window(), py::last_tool_step(), std::move(before_->state), std::move(after));
            }
        }
    } catch (...) {
    }
    delete before_;
}

void begin_drag_step(PyObject* module, TremblaToolWindow& window) noexcept {
    GilHold gil;
    const py::PendingErrorSaver keep;
    try {
        const QPointer<TremblaToolWindow> alive(&window);
        follow_host_undo(module, window);
        if (alive) history().drag = Pending{take_state(module, *alive), py::tool_steps_closed()};
    } catch (...) {
    }
}

void end_drag_step(PyObject* module, TremblaToolWindow& window) noexcept {
    GilHold gil;
    const py::PendingErrorSaver keep;
    try {
        std::optional<Pending> pending = std::exchange(history().drag, std::nullopt);
        ToolState after = take_state(module, window);
        if (history().owner == &window) history().last_controls = after.controls;
        if (pending && py::tool_steps_closed() != pending->closed) {
            remember(window, py::last_tool_step(), std::move(pending->state), std::move(after));
        }
    } catch (...) {
    }
}

void install_undo_jobs(PyObject* module, TremblaToolWindow& window) noexcept {
    GilHold gil;
    const py::PendingErrorSaver keep;
    if (!window._undo_jobs.empty()) return;
    try {
        const QPointer<TremblaToolWindow> alive(&window);
        py::PyRef script = py::checked(PyCFunction_New(&kOnHostEvent, module));
        py::PythonHost host = host_for(module);
        for (const char* event : {"Undo", "Redo"}) {
            const std::optional<long> job = host.add_event_job(event, script.get());
            if (!alive) {
                if (job) host.kill_job(*job);
                return;
            }
            if (job) alive->_undo_jobs.push_back(*job);
        }
    } catch (...) {
        // Without the jobs the tool still looks at the queue at the start of every command.
    }
}

void kill_undo_jobs(PyObject* module, TremblaToolWindow& window) noexcept {
    GilHold gil;
    const py::PendingErrorSaver keep;
    const std::vector<long> jobs = std::exchange(window._undo_jobs, {});
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
