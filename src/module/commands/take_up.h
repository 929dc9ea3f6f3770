// The window takes up a live shake the scene notes on a camera (applied by an earlier window,
// session or file): the camera, source and settings it was keyed with, the prepared look of the
// prepare button, Reset enabled. Nothing is keyed: the source is sampled again at the first command
// that keys (read_samples_if_pending), as the prepare sampled it.
#pragma once

#include "module/state.h"
#include "pyhost/py_compat.h"

namespace trembla {
class Host;
class TremblaToolWindow;
}  // namespace trembla

namespace trembla::ext {

// When nothing is prepared: the live shake on the camera the window names, or, with an empty
// camera field, on the only camera of the scene that carries one (said in one line; with several,
// none is taken and one line says so). Never throws; a host failure leaves the window as it was.
void take_up_on_show(PyObject* module, TremblaToolWindow& window) noexcept;

// A note that cannot be taken up (cut, out of bounds, another camera's) is said once per camera
// and problem; reset_state() forgets what was said.
void forget_told_notes() noexcept;

// At the start of a window command: a preparation the scene no longer holds (another file opened,
// a new scene) gives way to what the scene holds on the camera the window names, or to nothing
// prepared. With nothing prepared, a live shake on the named camera is taken up. True when the
// window changed.
bool follow_scene(PyObject* module, TremblaToolWindow& window);

// The current record, its samples read first when it was taken up; nothing, and no key may be
// written, when its source is gone (warned once per take-up).
PreparedRecord read_samples_if_pending(PyObject* module, Host& host);

}  // namespace trembla::ext
