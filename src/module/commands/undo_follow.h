// The tool follows the host's undo and redo of its own steps: each step the tool makes on the
// host's undo queue is remembered with what the tool showed before and after it (the preparation
// record, every control, the prepare button), and when the host undoes or redoes that step, the
// tool shows that again. The host tells of an undo or redo through its "Undo" and "Redo" events
// (scriptJob), which it runs at its next idle; every command of the window also checks first, so
// that no command works from a state the host has taken back.
#pragma once

#include "pyhost/py_compat.h"

namespace trembla {
class TremblaToolWindow;
}

namespace trembla::ext {

class WindowCommand;

// Brings the tool back in line with the host's undo queue: after an undo of the newest of the
// tool's steps the tool shows what it showed before that step, after a redo what it showed after
// it. Never throws; a host failure leaves the tool as it was and no Python error set.
void follow_host_undo(PyObject* module, TremblaToolWindow& window) noexcept;

// Around one outermost command of the window: follows the host first, then takes what the tool
// shows; at the end, when the command made a step on the host's queue, remembers the step.
class StepWatch {
public:
    StepWatch(PyObject* module, WindowCommand& command) noexcept;
    ~StepWatch();
    StepWatch(const StepWatch&) = delete;
    StepWatch& operator=(const StepWatch&) = delete;

private:
    struct Before;
    PyObject* module_;
    WindowCommand& command_;
    Before* before_ = nullptr;
};

// Forgets the steps remembered and the queue's length: the host's queue may belong to another
// scene now (reset_state()). A command running now keeps its own depth.
void forget_undo_history() noexcept;

// A slider drag is one step that spans many commands: taken at its press, remembered at its release.
void begin_drag_step(PyObject* module, TremblaToolWindow& window) noexcept;
void end_drag_step(PyObject* module, TremblaToolWindow& window) noexcept;

// The window's "Undo" and "Redo" script jobs: made when it is shown, killed when it is hidden or
// deleted. Never throw.
void install_undo_jobs(PyObject* module, TremblaToolWindow& window) noexcept;
void kill_undo_jobs(PyObject* module, TremblaToolWindow& window) noexcept;

}  // namespace trembla::ext
