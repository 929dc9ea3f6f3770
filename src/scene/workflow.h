// The window's scene commands without the window: choosing camera and source, preparing a shake,
// re-applying it live, taking it off again and baking it onto an animation layer. The window reads
// its controls into a ShakeControls at the moment of the call and acts on the answer (field text,
// button look); everything that touches the scene happens here, through the Host. One file per
// command: selection.cpp, prepare.cpp, update.cpp, reset.cpp, bake.cpp; the steps they share are
// workflow_steps.h.
#pragma once

#include <array>
#include <exception>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/apply.h"
#include "core/settings.h"
#include "core/shake_clip.h"
#include "core/shake_offsets.h"
#include "scene/host_progress.h"
#include "scene/prepared.h"

namespace trembla {

class Host;

// The name for camera_field, or nothing after warning "Nothing selected." or
// "Selected object is not a camera.".
std::optional<std::string> set_camera(Host& host);

// The name for source_field (any transform), or nothing after warning "Nothing selected.".
std::optional<std::string> set_source(Host& host);

// Prints the traceback of a failure that prepare_shake has already reported as a warning.
// May be empty.
using FailureReporter = std::function<void(const std::exception_ptr&)>;

enum class PrepareOutcome {
    Rejected,   // camera, source or playback range invalid: warned, nothing changed, the button keeps its look
    Prepared,   // record written and shake applied
    Failed,     // warned and reported; the viewport is resumed
    Cancelled,  // the user pressed Esc: the step is undone, the record is as before, warned "Trembla: cancelled"
};

// A shake clip played instead of a source object, as the module found it by name.
struct ClipSource {
    std::string name;
    ShakeClip clip;
    Frame offset = 0;  // the clip frame the range's first frame shows (play_clip)
};

// Samples the source over the playback range, records what a reset needs, writes `record` and
// applies the shake once. A camera that the current preparation still shakes is reset first, so
// that what is recorded is the animator's own. Failures inside the sampling/apply block are
// reported, not thrown; the record keeps its previous contents unless the failure came after it was
// written (or after that reset). A failure of the viewport suspension itself, or of the reads before
// it, propagates. After Prepared and Failed alike the prepare button becomes "Re-Prepare".
// A prepare that runs long shows its progress in the host's main progress bar (`timing`), and Esc
// cancels it: see PrepareOutcome::Cancelled. `applied`, when given, receives the offsets of the
// shake the prepare applied; it is not set when the prepare applied none.
// With `clip`, no object is sampled and controls.source_field is not read: the displacements are
// the clip played over the range at the scene's frame rate (resample_clip, play_clip), and the
// camera notes the clip's name and hash instead of a source. Everything after (lag, extraction,
// the settings, the modes, reset, bake) is the same. A clip that cannot be played is rejected.
PrepareOutcome prepare_shake(Host& host, Prepared& record, std::optional<std::string>& saved_eval_mode,
                             const ShakeControls& controls, const FailureReporter& report_failure,
                             const ProgressTiming& timing = {}, std::optional<ShakeOffsets>* applied = nullptr,
                             const ClipSource* clip = nullptr);

// Re-applies the prepared shake with the controls' current values and notes the curves made in the
// record; does nothing when the record is not ready. Answers the offsets applied (nothing when the
// record is not ready). Errors propagate.
// Keys on the shake curves that the tool did not write (the animator's, set on the shaken camera)
// are first carried into the camera's own curves, in the same undo step (see own_keys.h).
std::optional<ShakeOffsets> update_shake(Host& host, Prepared& record, const ShakeControls& controls);
// update_shake without that carry: for a command that has just carried them.
std::optional<ShakeOffsets> rekey_shake(Host& host, Prepared& record, const ShakeControls& controls);

// What one application keyed: the curves made, under the names the host gave them (empty for a
// channel not written), and the offsets the controls give the shake, as the sliders say them.
struct AppliedShake {
    ShakeCurves curves;
    ShakeCurves blends;  // the blend node each curve adds through
    ShakeOffsets offsets;
    CameraMode camera_mode = CameraMode::static_pose;  // the mode keyed: the controls' own
    // By channel index, for each curve made: the value keyed on every frame, and the shake in it.
    std::array<std::vector<double>, kChannelCount> keyed;
    std::array<std::vector<double>, kChannelCount> keyed_shake;
    // What the camera notes after the keying (nothing: it notes nothing of this tool's).
    std::optional<AppliedRecord> noted;
};

// The keying half of update_shake for a record nobody may change meanwhile; the curves it answers
// are for record_shake_curves. Nothing is keyed, and nothing answered, when the record is not ready
// or a channel it keys, or the camera, is locked (warned, see lock_check.h).
// With controls.bypass it keys keyed_settings(controls): the shake with its amount at zero; the
// offsets it answers are the un-bypassed ones, as the sliders say them.
std::optional<AppliedShake> apply_prepared_shake(Host& host, const Prepared& record, const ShakeControls& controls);

// What apply_prepared_shake keys for these controls over the prepared frames, computed without the
// host: the offsets it answers, the mode keyed, the keys of every channel written and, by channel
// index, the shake in them. The same inputs give the same keys bit for bit, so a keying can be told
// again from the record and its controls instead of being kept.
struct ShakeKeying {
    ShakeOffsets offsets;
    CameraMode camera_mode = CameraMode::static_pose;
    std::vector<ChannelKeys> keys;
    std::array<std::vector<double>, kChannelCount> keyed_shake;
};
ShakeKeying compute_shake_keying(const Prepared& record, const ShakeControls& controls);

// The offsets apply_prepared_shake would answer for these controls, computed without the host.
ShakeOffsets prepared_shake_offsets(const Prepared& record, const ShakeControls& controls);

// The settings apply_prepared_shake keys: controls.settings, with the amount at zero while
// bypassed. A copy: controls.settings themselves always hold the un-bypassed shake.
ControlValues keyed_settings(const ShakeControls& controls);

// Notes on the record, as its keyed_values and keyed_shake, what apply_prepared_shake keys on each
// of its shake curves for these controls, computed without the host: a taken-up shake learns what
// its session keyed, so that keys set on the shaken camera since are told from the tool's own.
void note_planned_keys(Prepared& record, const ShakeControls& controls);

// Whether an update made a curve under another name than the record holds, or keyed another mode;
// record_shake_curves notes them, what each curve was keyed with, and the host's curve-edit mark
// right after that keying.
bool has_new_curve_names(const Prepared& record, const AppliedShake& made);
void record_shake_curves(Host& host, Prepared& record, const AppliedShake& made);

// Removes the shake from all six channels and connects each channel's own curve again (a channel
// without one gets its first-frame value). True when the preparation ended and the
// prepare button must return to "Prepare Shake"; false when nothing was prepared or the camera is
// gone. Errors propagate, leaving the record ready.
bool reset_camera(Host& host, Prepared& record);
// Takes off a shake the scene says is live on `camera` (noted there by a prepare of this tool),
// when no preparation of this session knows it: a new window, session or reopened file. True
// when it took one off.
bool reset_applied_shake(Host& host, const std::string& camera);

// Moves the shaken values of the enabled channels onto a new override layer and ends the
// preparation; true when it did (then the prepare button returns to "Prepare Shake"). Every shake
// curve of the camera goes, switched-off channels get their recorded animation back, and a channel
// the layer refuses is not keyed (one warning names them). Warns "Please prepare shake first." and
// answers false when nothing is prepared. Errors propagate, leaving the record ready and the
// scene as before the bake (its undo step undone when it is on top of the queue, else the layer
// deleted and the shake keyed again); a failing in-view message is ignored. With controls.bypass the shake is first keyed again as if bypass
// were off, in the same undo step, so that the layer gets the real shake. A bake that runs long shows its progress in the host's main progress
// bar (`timing`); Esc cancels it: the step is undone, the record stays ready, it warns
// "Trembla: cancelled" and answers false.
bool bake_to_layer(Host& host, Prepared& record, std::optional<std::string>& saved_eval_mode,
                   const ShakeControls& controls, const ProgressTiming& timing = {});

}  // namespace trembla
