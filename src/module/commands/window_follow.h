// A window shows what the scene holds (scene/scene_follow.h): at the start of every command of
// the window, when the window is shown, and at the host's events that change the scene under it
// (Undo, Redo, a file opened, a new scene, a scene read), which its script jobs catch. The host's
// undo restores the note on the camera with the curves, so following the scene follows undo and
// redo too; a window keeps no steps of its own.
#pragma once

#include "module/state.h"
#include "pyhost/py_compat.h"

namespace trembla {
class Host;
class TremblaToolWindow;
}  // namespace trembla

namespace trembla::ext {

class WindowCommand;

// The window shows the scene: the preparation that stands for it is installed, and the window's
// camera and source, settings, mode, Bypass, buttons and preview show it; with nothing live the
// fields and controls stay as they are. A taken-up shake is said in one line when no camera was
// named; notes that cannot be taken up are said once each. `scan` looks for a prepared camera
// gone among the others (follow_scene): when the window is shown and at the host's events; a
// command leaves a camera gone to itself, to say so. Never throws; a host failure leaves
// the window as it was and no Python error set.
void show_the_scene(PyObject* module, TremblaToolWindow& window, bool scan) noexcept;

// The window's looks for a preparation, with no handler run: the prepare button as after a
// prepare ("Re-Prepare"); nothing prepared (the button's first look, Reset and Bake disabled, an
// empty preview, Bypass cleared); and the Bypass box cleared alone, which would otherwise key
// the shake again. Only Qt.
void show_prepared_button(TremblaToolWindow& window);
void show_unprepared(TremblaToolWindow& window);
void clear_bypass(TremblaToolWindow& window);

// Around one outermost command of the window: the window shows the scene before the command
// reads its controls, and afterwards notes that its controls are what the camera notes.
class SceneWatch {
public:
    SceneWatch(PyObject* module, WindowCommand& command) noexcept;
    ~SceneWatch();
    SceneWatch(const SceneWatch&) = delete;
    SceneWatch& operator=(const SceneWatch&) = delete;

private:
    PyObject* module_;
    WindowCommand& command_;
    bool outermost_ = false;
};

// The window's script jobs on the events above: made when it is shown, killed when it is hidden
// or deleted. Never throw.
void install_scene_jobs(PyObject* module, TremblaToolWindow& window) noexcept;
void kill_scene_jobs(PyObject* module, TremblaToolWindow& window) noexcept;

// A note that cannot be taken up is said once per camera and problem; reset_state() forgets what
// was said, with the samples kept and what the last look found.
void forget_seen_scene() noexcept;

// The current record, its samples read first when it was taken up; nothing, and no key may be
// written, when its source is gone (warned once per take-up).
PreparedRecord read_samples_if_pending(PyObject* module, Host& host);

}  // namespace trembla::ext
