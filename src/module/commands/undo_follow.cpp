#include "module/commands/undo_follow.h"

#include <algorithm>
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
#include "scene/applied_record.h"
#include "scene/workflow.h"
#include "ui/main_window.h"
#include "ui/theme.h"

namespace trembla::ext {

namespace {

// The steps remembered for one window; a long session keeps only the newest. Each step of a
// live shake holds the preparation before and after it (every update keys other values), so on
// long shots memory bounds them first: at most this many frames of preparations in all (some
// 200 bytes each), the newest step always kept.
constexpr std::size_t kMostSteps = 500;
constexpr std::size_t kMostRememberedFrames = 200000;

struct ToolState {
    PreparedRecord record;
    ShakeControls controls;
    QString prepare_text;
    std::string prepare_class;
};

// What the scene holds of the tool on some cameras: what drives each of their channels (a shake
// curve, the camera's own curve, a layer). A tool step that adds or takes off a shake changes it; one that keys the
// shake again (a slider) does not, and is told by its place on the host's queue.
struct SceneMark {
    std::vector<std::string> cameras;
    std::string text;
};

struct Step {
    std::string name;  // the step's name on the host's queue; empty when a caller's chunk held it
    long count_after;  // the queue's length with the step on it; -1: not known
    SceneMark before;
    std::string after_mark;  // the mark's text after the step, on the same cameras
    ToolState before_state;
    ToolState after_state;
};

// The frames of the preparations a step holds (before and after it).
std::size_t remembered_frames(const Step& step) {
    std::size_t frames = 0;
    for (const ToolState* state : {&step.before_state, &step.after_state}) {
        const Prepared& record = *state->record;
        if (record.ready && record.end_frame >= record.start_frame) {
            frames += static_cast<std::size_t>(record.end_frame - record.start_frame) + 1;
        }
    }
    return frames;
}

struct Pending {
    ToolState state;
    SceneMark mark;
    std::size_t closed;  // tool_steps_closed() when it was taken
};

// Only the interface thread runs commands and host events.
struct History {
    QPointer<TremblaToolWindow> owner;
    std::vector<Step> steps;
    std::size_t applied = 0;  // the steps the host's queue holds now: the first `applied`
    std::optional<Pending> drag;
    // The controls as the last command of the window left them: a control's change runs its
    // command after the control has changed, so that is what the tool showed before it.
    std::optional<ShakeControls> last_controls;
    int depth = 0;  // window commands running now
    // The queue's length and top entry when last looked at (-1: not known), and the scene's mark
    // then: while the queue stays as it was, so does what it holds of the scene.
    long seen_count = -1;
    std::string seen_top;
    std::optional<SceneMark> seen_mark;
    // The queue was emptied since the last look, not by an undo the tool followed: a file opened
    // or a new scene, whose shake the window may not show.
    bool moved_elsewhere = false;
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

std::string mark_text(Host& host, const std::vector<std::string>& cameras) {
    std::string text;
    for (const std::string& camera : cameras) {
        text += camera + "\n";
        if (!host.obj_exists(camera)) continue;
        for (const char* channel : kChannels) text += host.input_plug(camera + "." + channel).value_or("-") + "\n";
    }
    return text;
}

// The marks taken during one look at the scene, by cameras: the scene does not change meanwhile.
using MarkMemo = std::vector<std::pair<std::vector<std::string>, std::string>>;

std::string marked(Host& host, MarkMemo& memo, const std::vector<std::string>& cameras) {
    for (const auto& each : memo) {
        if (each.first == cameras) return each.second;
    }
    memo.emplace_back(cameras, mark_text(host, cameras));
    return memo.back().second;
}

// The cameras a state may touch: the one its record shakes and the one its window names.
std::vector<std::string> state_cameras(const ToolState& state) {
    SceneMark mark;
    for (const std::optional<std::string>& camera :
         {state.record->camera, std::optional(state.controls.camera_field)}) {
        if (camera && !camera->empty() &&
            std::find(mark.cameras.begin(), mark.cameras.end(), *camera) == mark.cameras.end()) {
            mark.cameras.push_back(*camera);
        }
    }
    return mark.cameras;
}

// The scene's mark on the cameras of `state`: the one last taken while the queue has not changed
// since, else asked of the host.
SceneMark take_mark(Host& host, const ToolState& state, MarkMemo& memo, bool queue_unchanged) {
    SceneMark mark;
    mark.cameras = state_cameras(state);
    const std::optional<SceneMark>& seen = history().seen_mark;
    if (queue_unchanged && seen && seen->cameras == mark.cameras) return *seen;
    mark.text = marked(host, memo, mark.cameras);
    return mark;
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

void remember(PyObject* module, TremblaToolWindow& window, std::string name, ToolState before, SceneMark mark,
              ToolState after) {
    History& h = history();
    if (h.owner != &window) return;  // the window's history was begun by its first command
    py::PythonHost host = host_for(module);
    Step step{std::move(name), host.undo_count(), std::move(mark), {}, std::move(before), std::move(after)};
    step.after_mark = mark_text(host, step.before.cameras);
    // On top of the queue is the step itself, unless a caller's chunk still open holds it (its
    // entry comes under the caller's name when the caller closes it) or it changed nothing the
    // queue keeps: then its place is not known by name.
    const std::string top = host.undo_name();
    if (top != step.name) step.name.clear();
    // A queue that grew past the newest step done has room; else it may be full, and then it
    // dropped its oldest entry for this one: the steps before moved down one place.
    const History& looked = history();
    const bool grew = looked.applied > 0 && step.count_after > looked.steps[looked.applied - 1].count_after;
    const std::optional<long> limit = grew ? std::nullopt : host.undo_limit();
    History& now = history();
    if (now.owner != &window) return;
    now.steps.resize(now.applied);
    if (limit && step.count_after >= *limit) {
        for (Step& earlier : now.steps) --earlier.count_after;
    }
    now.seen_count = step.count_after;
    now.seen_top = top;
    now.seen_mark = SceneMark{step.before.cameras, step.after_mark};
    now.steps.push_back(std::move(step));
    if (now.steps.size() > kMostSteps) now.steps.erase(now.steps.begin());
    std::size_t oldest_kept = 0;
    std::size_t frames = 0;
    for (std::size_t i = now.steps.size(); i-- > 0;) {
        frames += remembered_frames(now.steps[i]);
        if (frames > kMostRememberedFrames && i + 1 < now.steps.size()) {
            oldest_kept = i + 1;
            break;
        }
    }
    now.steps.erase(now.steps.begin(), now.steps.begin() + static_cast<std::ptrdiff_t>(oldest_kept));
    now.applied = now.steps.size();
}

PyObject* on_host_event(PyObject* module, PyObject* /*unused*/) {
    const QPointer<TremblaToolWindow> owner = history().owner;
    if (owner) follow_host_undo(module, *owner);
    Py_RETURN_NONE;
}

PyMethodDef kOnHostEvent = {"_follow_host_undo", on_host_event, METH_NOARGS,
                            "Runs from the host's Undo and Redo script jobs: the tool window follows the step."};

}  // namespace

namespace {

// Where the host's queue and the scene have the tool's steps now: how many of the steps remembered
// are done. A step that changes what the scene holds (SceneMark) is done when the scene holds
// what it left; a step that does not, when the queue holds it at its place. So any number of
// undos and redos between two looks, and the undo of a caller's chunk holding a step, are followed.
// Whether the scene, marked `now` on the cameras of step `last`, is as it was before that step
// or one before it on the same cameras.
bool held_before(const std::vector<Step>& steps, std::size_t last, const std::string& now) {
    for (std::size_t i = last + 1; i-- > 0;) {
        if (steps[i].before.cameras == steps[last].before.cameras && steps[i].before.text == now) return true;
    }
    return false;
}

std::size_t steps_done(py::PythonHost& host, const History& h, MarkMemo& memo, long count) {
    // The queue is asked only what a step needs: most looks find the newest step done, by the
    // scene alone.
    std::optional<bool> known;
    // An emptied queue (flushUndo) says nothing of the steps: only the scene counts then.
    auto queue_known = [&] {
        if (!known) known = count > 0 || !host.redo_name().empty();
        return *known;
    };
    const std::vector<Step>& steps = h.steps;
    auto walk_back = [&] {
        std::size_t done = h.applied;
        std::size_t by_scene = h.applied;  // where the steps the scene alone shows undone end
        bool by_count = false;
        while (done > 0) {
            const Step& step = steps[done - 1];
            const std::string now = marked(host, memo, step.before.cameras);
            const bool marked_step = step.before.text != step.after_mark;
            // A scene that is neither (a shake curve deleted by hand) is left to the commands.
            const bool undone = marked_step ? now != step.after_mark && held_before(steps, done - 1, now)
                                            : step.count_after >= 0 && count < step.count_after && queue_known();
            if (!undone) break;
            --done;
            by_count = !marked_step;
            if (marked_step && by_scene == done + 1) by_scene = done;
        }
        // The last step undone by its place alone must be the one redo would bring back: a queue
        // emptied and refilled since (flushUndo) is shorter without any step undone.
        if (by_count && !steps[done].name.empty() && host.redo_name() != steps[done].name) return by_scene;
        return done;
    };
    auto walk_forward = [&] {
        std::size_t redone = h.applied;
        for (std::size_t i = h.applied; i < steps.size(); ++i) {
            const Step& step = steps[i];
            const std::string now = marked(host, memo, step.before.cameras);
            if (step.before.text != step.after_mark) {
                if (now != step.after_mark) break;
                redone = i + 1;
                continue;
            }
            if (step.count_after < 0 || count < step.count_after || !queue_known()) break;
            // The step at the queue's top is this one by name: another command after an undo
            // takes that place and clears the redo queue.
            if (count == step.count_after && !step.name.empty() && host.undo_name() != step.name) break;
            if (count == step.count_after) redone = i + 1;
        }
        return redone;
    };
    // A scene may look the same before a step and after a later one (before a prepare, after a
    // bake): a queue grown since the last look is walked forward first, else back first.
    if (h.seen_count >= 0 && count > h.seen_count) {
        const std::size_t redone = walk_forward();
        return redone != h.applied ? redone : walk_back();
    }
    const std::size_t done = walk_back();
    return done != h.applied ? done : walk_forward();
}

// follow_host_undo, leaving in `memo` the marks it took; `unchanged` tells whether the queue was
// as at the last look.
void follow(PyObject* module, TremblaToolWindow& window, MarkMemo& memo, bool& unchanged) noexcept {
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
        if (h.steps.empty()) return;
        py::PythonHost host = host_for(module);
        // The queue as it was at the last look (its length, then its top): nothing was undone,
        // redone or done since, and the scene holds what it held then.
        const long count = host.undo_count();
        // Emptied: a file opened or a new scene (a full queue keeps its length while it moves),
        // unless the steps judged below show that undo emptied it.
        if (count == 0 && history().seen_count > 0) history().moved_elsewhere = true;
        if (history().seen_count == count) {
            const std::string top = host.undo_name();
            if (history().seen_top == top) {
                unchanged = true;
                return;
            }
        }
        const History snapshot = history();
        const std::size_t done = steps_done(host, snapshot, memo, count);
        History& now = history();
        if (now.owner != alive || !alive) return;
        now.seen_count = count;
        now.seen_top = host.undo_name();
        now.seen_mark.reset();
        if (done == now.applied || now.steps.size() != snapshot.steps.size()) return;
        now.moved_elsewhere = false;
        const ToolState target = done < now.applied ? now.steps[done].before_state : now.steps[done - 1].after_state;
        now.applied = done;
        show_state(module, *alive, target);
        history().last_controls = target.controls;
    } catch (...) {
        // A host that cannot answer leaves the tool as it is; the next command looks again.
    }
}

}  // namespace

void follow_host_undo(PyObject* module, TremblaToolWindow& window) noexcept {
    MarkMemo memo;
    bool unchanged = false;
    follow(module, window, memo, unchanged);
}

struct StepWatch::Before {
    ToolState state;
    SceneMark mark;
    std::size_t closed;
};

StepWatch::StepWatch(PyObject* module, WindowCommand& command) noexcept : module_(module), command_(command) {
    if (++history().depth != 1) return;  // a command inside another: the outer one is the step
    const py::PendingErrorSaver keep;
    try {
        // The drag is the step; a window still being built (its preset list filled) has none.
        if (command.window()._drag_undo_open || command.window().prepare_btn == nullptr) return;
        MarkMemo memo;
        bool unchanged = false;
        follow(module, command.window(), memo, unchanged);
        if (!command.window_alive()) return;
        // A scene opened meanwhile (it empties the queue) holds another shake, or none: the window
        // takes up what it holds. Only then is the scene asked: a command of an unchanged scene
        // asks the host nothing more.
        const bool moved = std::exchange(history().moved_elsewhere, false);
        const bool took_up = moved && follow_scene(module, command.window());
        if (!command.window_alive()) return;
        if (took_up) unchanged = false;
        ToolState state = take_state(module, command.window());
        py::PythonHost host = host_for(module);
        // A control's change with nothing prepared touches nothing, and makes no step to mark.
        SceneMark mark;
        if (state.record->ready || command.kind() == CommandKind::Scene) {
            mark = take_mark(host, state, memo, unchanged);
        }
        if (!command.window_alive()) return;
        before_ = new Before{std::move(state), std::move(mark), py::tool_steps_closed()};
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
                remember(module_, command_.window(), py::last_tool_step(), std::move(before_->state),
                         std::move(before_->mark), std::move(after));
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
        MarkMemo memo;
        bool unchanged = false;
        follow(module, window, memo, unchanged);
        if (!alive) return;
        ToolState state = take_state(module, *alive);
        py::PythonHost host = host_for(module);
        SceneMark mark = take_mark(host, state, memo, unchanged);
        if (alive) history().drag = Pending{std::move(state), std::move(mark), py::tool_steps_closed()};
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
            remember(module, window, py::last_tool_step(), std::move(pending->state), std::move(pending->mark),
                     std::move(after));
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
