#include "module/commands/undo_follow.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstring>
#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <QPointer>
#include <QSignalBlocker>
#include <QString>

#include "module/binding/error_report.h"
#include "module/binding/qt_values.h"
#include "module/commands/known_keying.h"
#include "module/commands/shake_preview_feed.h"
#include "module/commands/take_up.h"
#include "module/commands/window_command.h"
#include "module/commands/window_controls.h"
#include "module/state.h"
#include "pyhost/curve_edits.h"
#include "pyhost/python_host.h"
#include "scene/applied_record.h"
#include "scene/workflow.h"
#include "ui/main_window.h"
#include "ui/theme.h"

namespace trembla::ext {

namespace {

// The steps remembered for one window; a long session keeps only the newest. A step costs a few
// kilobytes whatever the shot's length: see KeptRecord.
constexpr std::size_t kMostSteps = 500;

struct ToolState {
    PreparedRecord record;
    ShakeControls controls;
    QString prepare_text;
    std::string prepare_class;
};

// What scales with the shot in a preparation and stays the same from one update to the next: the
// steps between two prepares share one copy.
struct Bulk {
    FrameRecord source_data;
    FrameRecord delta_data;
    ChannelAnim camera_original_anim;
    std::array<std::vector<std::pair<double, double>>, kChannelCount> own_keys_outside;
    std::array<CurveLook, kChannelCount> own_looks;
};

using Values = std::shared_ptr<const std::vector<double>>;

// A preparation as a step keeps it: the record without its bulk and its keyed values, the bulk
// shared with the steps around it, and of the keyed values only those that its controls do not
// key again (a channel switched off keeps what an earlier keying wrote), shared too. Keying is
// deterministic, so the values told again are the ones the record held, bit for bit.
struct KeptRecord {
    PreparedRecord slim;
    std::shared_ptr<const Bulk> bulk;
    std::array<Values, kChannelCount> keyed_values;  // nullptr: keyed again from the controls
    std::array<Values, kChannelCount> keyed_shake;
    // The newest step's record as it was kept from, and the controls it keys again with: the next
    // step usually starts from that same record, which is then kept as this one is. Not kept
    // alive, and forgotten once a newer step is remembered.
    std::weak_ptr<const Prepared> from;
    ShakeControls keyed_with;
};

struct KeptState {
    KeptRecord record;
    ShakeControls controls;
    QString prepare_text;
    std::string prepare_class;
};

// Equal bit for bit: a value compared with == would take -0.0 for 0.0, and never NaN for itself.
bool same(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }
bool same(Frame a, Frame b) { return a == b; }
bool same(const std::string& a, const std::string& b) { return a == b; }
template <class A, class B>
bool same(const std::pair<A, B>& a, const std::pair<A, B>& b) {
    return same(a.first, b.first) && same(a.second, b.second);
}
template <class T, std::size_t N>
bool same(const std::array<T, N>& a, const std::array<T, N>& b);
template <class T>
bool same(const std::vector<T>& a, const std::vector<T>& b);
bool same(const KeyTangent& a, const KeyTangent& b) {
    return same(a.in_type, b.in_type) && same(a.out_type, b.out_type) && same(a.in_angle, b.in_angle) &&
           same(a.out_angle, b.out_angle) && same(a.in_weight, b.in_weight) && same(a.out_weight, b.out_weight);
}
bool same(const CurveLook& a, const CurveLook& b) {
    return a.weighted == b.weighted && same(a.pre_infinity, b.pre_infinity) && same(a.post_infinity, b.post_infinity) &&
           same(a.tangents, b.tangents);
}
bool same(const ChannelSeries& a, const ChannelSeries& b) { return same(a.name, b.name) && same(a.values, b.values); }
bool same(const FrameRecord& a, const FrameRecord& b) { return same(a.frames, b.frames) && same(a.samples, b.samples); }
template <class T, std::size_t N>
bool same(const std::array<T, N>& a, const std::array<T, N>& b) {
    for (std::size_t i = 0; i < N; ++i) {
        if (!same(a[i], b[i])) return false;
    }
    return true;
}
template <class T>
bool same(const std::vector<T>& a, const std::vector<T>& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (!same(a[i], b[i])) return false;
    }
    return true;
}
bool same(const Bulk& a, const Bulk& b) {
    return same(a.source_data, b.source_data) && same(a.delta_data, b.delta_data) &&
           same(a.camera_original_anim, b.camera_original_anim) && same(a.own_keys_outside, b.own_keys_outside) &&
           same(a.own_looks, b.own_looks);
}

using KeyedArrays =
    std::pair<std::array<std::vector<double>, kChannelCount>, std::array<std::vector<double>, kChannelCount>>;

// The values and the shake the record's keying with `controls` writes, by channel (empty: a
// channel it does not write, or a record with nothing to key from).
KeyedArrays keyed_again(const Prepared& record, const ShakeControls& controls) {
    KeyedArrays keyed;
    if (!record.ready || record.samples_pending) return keyed;
    try {
        ShakeKeying keying = compute_shake_keying(record, controls);
        for (ChannelKeys& channel : keying.keys) {
            const std::size_t k = channel_index(channel.channel);
            keyed.first[k] = std::move(channel.values);
            keyed.second[k] = std::move(keying.keyed_shake[k]);
        }
    } catch (...) {
        return {};  // then every channel is kept as it is
    }
    return keyed;
}

// `values` as one of `near` holds them, else a copy of its own.
Values shared_values(const std::vector<double>& values,
                     const std::array<Values, kChannelCount>& (*pick)(const KeptRecord&), std::size_t k,
                     const std::vector<const KeptRecord*>& near) {
    for (const KeptRecord* other : near) {
        const Values& held = pick(*other)[k];
        if (held && same(*held, values)) return held;
    }
    return std::make_shared<const std::vector<double>>(values);
}

const std::array<Values, kChannelCount>& pick_values(const KeptRecord& kept) { return kept.keyed_values; }
const std::array<Values, kChannelCount>& pick_shake(const KeptRecord& kept) { return kept.keyed_shake; }

// `record` as a step keeps it, sharing what it can with the records of `near`.
KeptRecord keep_record(const PreparedRecord& record, const ShakeControls& controls,
                       const std::vector<const KeptRecord*>& near) {
    for (const KeptRecord* other : near) {
        if (other->from.lock() == record && same_keying(other->keyed_with, controls)) return *other;
    }
    const Prepared& full = *record;
    KeptRecord kept;
    kept.from = record;
    kept.keyed_with = controls;
    Prepared slim = full;  // what is moved out is left empty, its storage gone with it
    Bulk bulk{std::move(slim.source_data), std::move(slim.delta_data), std::move(slim.camera_original_anim),
              std::move(slim.own_keys_outside), std::move(slim.own_looks)};
    for (const KeptRecord* other : near) {
        if (other->bulk && same(*other->bulk, bulk)) {
            kept.bulk = other->bulk;
            break;
        }
    }
    if (!kept.bulk) kept.bulk = std::make_shared<const Bulk>(std::move(bulk));
    // A keying the update just wrote is known without computing it again.
    const std::optional<KeyedChannels> known = known_keying(full, controls);
    const KeyedArrays again = known ? KeyedArrays{} : keyed_again(full, controls);
    for (std::size_t k = 0; k < kChannelCount; ++k) {
        const bool told_again = known && (*known)[k];
        if (!told_again &&
            (!same(full.keyed_values[k], again.first[k]) || !same(full.keyed_shake[k], again.second[k]))) {
            kept.keyed_values[k] = shared_values(full.keyed_values[k], pick_values, k, near);
            kept.keyed_shake[k] = shared_values(full.keyed_shake[k], pick_shake, k, near);
        }
        // Emptied with their storage: `= {}` would keep the capacity.
        std::vector<double>().swap(slim.keyed_values[k]);
        std::vector<double>().swap(slim.keyed_shake[k]);
    }
    kept.slim = std::make_shared<const Prepared>(std::move(slim));
    return kept;
}

// The preparation `kept` was made from, whole again.
Prepared whole_record(const KeptRecord& kept, const ShakeControls& controls) {
    Prepared full = *kept.slim;
    const Bulk& bulk = *kept.bulk;
    full.source_data = bulk.source_data;
    full.delta_data = bulk.delta_data;
    full.camera_original_anim = bulk.camera_original_anim;
    full.own_keys_outside = bulk.own_keys_outside;
    full.own_looks = bulk.own_looks;
    // The host's undo and redo edit curves whatever its messages say of it: the next command reads
    // the curves.
    full.edits_seen.reset();
    KeyedArrays again = keyed_again(full, controls);
    for (std::size_t k = 0; k < kChannelCount; ++k) {
        full.keyed_values[k] = kept.keyed_values[k] ? *kept.keyed_values[k] : std::move(again.first[k]);
        full.keyed_shake[k] = kept.keyed_shake[k] ? *kept.keyed_shake[k] : std::move(again.second[k]);
    }
    return full;
}

KeptState keep_state(ToolState state, const std::vector<const KeptRecord*>& near) {
    KeptRecord record = keep_record(state.record, state.controls, near);
    return {std::move(record), std::move(state.controls), std::move(state.prepare_text),
            std::move(state.prepare_class)};
}

// What the tool shows in a kept state, with its preparation whole again.
ToolState whole_state(const KeptState& kept) {
    return {std::make_shared<const Prepared>(whole_record(kept.record, kept.controls)), kept.controls,
            kept.prepare_text, kept.prepare_class};
}

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
    KeptState before_state;
    KeptState after_state;
};

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
    // The newest step was made inside a caller's chunk that may still be open: the queue's redo
    // top then, which the caller's undo of its closed chunk changes while length and top stay.
    std::optional<std::string> held_redo;
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
    w._show_applied(record.ready);
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
    if (h.owner != &window) return;          // the window's history was begun by its first command
    const long count_before = h.seen_count;  // the look at the start of the command
    py::PythonHost host = host_for(module);
    Step step{std::move(name), host.undo_count(), std::move(mark), {}, {}, {}};
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
    // A step that left a queue with room as long as it found it is held by a caller's chunk
    // still open: its entry comes when the caller closes it, one place up, under the caller's
    // name. (A full queue keeps its length either way; its steps are told by name as before.)
    const long count_now = step.count_after;
    const bool full = limit.has_value() && count_now >= limit.value_or(0);
    const bool held = count_before >= 0 && count_now == count_before && !full;
    std::optional<std::string> held_redo;
    if (held) held_redo = host.redo_name();
    History& now = history();
    if (now.owner != &window) return;
    now.steps.resize(now.applied);
    // Kept now, with no host call left: each shares what it can with the step before it.
    std::vector<const KeptRecord*> near;
    if (!now.steps.empty()) near.push_back(&now.steps.back().after_state.record);
    step.before_state = keep_state(std::move(before), near);
    near.insert(near.begin(), &step.before_state.record);
    step.after_state = keep_state(std::move(after), near);
    // Only the newest step's record may be the one the next step starts from.
    step.before_state.record.from.reset();
    if (!now.steps.empty()) now.steps.back().after_state.record.from.reset();
    if (full) {
        for (Step& earlier : now.steps) --earlier.count_after;
    }
    if (held) {
        step.name.clear();
        ++step.count_after;
    }
    now.held_redo = std::move(held_redo);
    now.seen_count = count_now;
    now.seen_top = top;
    now.seen_mark = SceneMark{step.before.cameras, step.after_mark};
    now.steps.push_back(std::move(step));
    if (now.steps.size() > kMostSteps) now.steps.erase(now.steps.begin());
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
        // Empty with nothing to redo, the queue holds none of the steps remembered, whatever the
        // last look found: flushed, or a file opened or a new scene on a queue already empty.
        // They are forgotten, so that no later walk takes another scene for one of them, and the
        // command shows what the scene holds.
        if (count == 0 && host.redo_name().empty()) {
            History& gone = history();
            if (gone.owner != alive || !alive) return;
            gone.steps.clear();
            gone.applied = 0;
            gone.seen_count = 0;
            gone.seen_top.clear();
            gone.seen_mark.reset();
            gone.held_redo.reset();
            gone.moved_elsewhere = true;
            return;
        }
        if (history().seen_count == count) {
            const std::string top = host.undo_name();
            const std::optional<std::string> held_redo = history().held_redo;
            if (history().seen_top == top && (!held_redo || host.redo_name() == *held_redo)) {
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
        now.held_redo.reset();  // the caller's chunk is closed: the queue moved
        if (done == now.applied || now.steps.size() != snapshot.steps.size()) return;
        now.moved_elsewhere = false;
        const ToolState target =
            whole_state(done < now.applied ? now.steps[done].before_state : now.steps[done - 1].after_state);
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
    py::listen_to_curve_edits();
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
