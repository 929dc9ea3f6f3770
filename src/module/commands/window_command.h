// One command of a tool window while it runs. Host commands, argument conversion and the Qt
// binding all run Python, and Python may do anything meanwhile: run another command of the same
// window, replace the window through show(), delete it outright or through a nested event loop.
// A command therefore holds the window only through this scope and asks it again after every such
// call; a second command of the same window while one runs is refused rather than nested.
#pragma once

#include <functional>
#include <stdexcept>

#include <QPointer>

#include "module/binding/error_report.h"
#include "module/commands/window_follow.h"
#include "pyhost/py_compat.h"

namespace trembla {
class TremblaToolWindow;
}

namespace trembla::ext {

// The window was deleted while one of its commands ran; the command stopped there.
class WindowGone : public std::runtime_error {
public:
    WindowGone() : std::runtime_error("The window was deleted while the command ran.") {}
};

// The preparation record was replaced while a command that works on it ran (a command nested in
// a host callback, show(), reset_state()); the command's result was not kept.
class PreparationReplaced : public std::runtime_error {
public:
    PreparationReplaced() : std::runtime_error("The preparation was replaced while the command ran.") {}
};

enum class CommandKind {
    Scene,    // prepare, reset, bake, picking camera or source: alone on its window
    Update,   // re-applying the shake: alone, except inside a preset command that sets controls
    Presets,  // save, load, delete, list, apply settings: their control changes run updates
};

class WindowCommand {
public:
    // Enters the command on `window` unless the window is inside another one (see CommandKind).
    WindowCommand(TremblaToolWindow& window, CommandKind kind);
    ~WindowCommand();
    WindowCommand(const WindowCommand&) = delete;
    WindowCommand& operator=(const WindowCommand&) = delete;

    // False when the window was busy: the caller warns "Trembla: busy" (warn_busy) and stops.
    bool entered() const { return entered_; }

    // The window, asked again at each call; WindowGone once it has been deleted.
    TremblaToolWindow& window() const;
    bool window_alive() const { return !window_.isNull(); }
    CommandKind kind() const { return kind_; }

private:
    QPointer<TremblaToolWindow> window_;
    CommandKind kind_;
    bool entered_ = false;
};

// The warning for a refused nested command.
void warn_busy(PyObject* module);

// Runs `body(command)` as a command of `target` holding the GIL (Qt may run a command straight
// from the host's event loop), or warns "Trembla: busy" when the window is inside another one.
// Refused, it first runs `put_back`, which returns the control that asked for the command to its
// value before (no Python has run yet, so the control is still there). An outermost command first
// shows what the scene holds (window_follow.h).
template <class Body>
void run_window_command(PyObject* module, TremblaToolWindow& target, CommandKind kind, Body&& body,
                        const std::function<void()>& put_back = {}) {
    GilHold gil;
    WindowCommand command(target, kind);
    if (!command.entered()) {
        if (put_back) put_back();
        warn_busy(module);
        return;
    }
    const SceneWatch watch(module, command);
    body(command);
}

}  // namespace trembla::ext
