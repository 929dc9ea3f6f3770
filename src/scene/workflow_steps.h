// Steps the scene commands share (prepare, update, reset and bake: prepare.cpp, update.cpp,
// reset.cpp, bake.cpp): reading the prepared record, giving the camera its own values back,
// clearing the shake, leaving the quiet state of a long command. Internal to the scene library.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/apply.h"
#include "core/records.h"
#include "scene/host.h"
#include "scene/host_progress.h"
#include "scene/prepared.h"
#include "scene/undo_chunk.h"

namespace trembla::steps {

// The animated and relax modes build on the camera's own recorded animation; static on its start pose.
bool builds_on_own_animation(const std::string& camera_mode);

std::string plug(const std::string& node, const std::string& channel);

// Every whole frame of the prepared range.
std::vector<Frame> prepared_frames(const Prepared& record);

// Copies, not references: every host call can run scripts that replace the record's contents.
std::string prepared_camera(const Prepared& record);

Sample prepared_camera_base(const Prepared& record);

// The shake curve of each channel: the name the host gave it, else the name it was asked for.
ShakeCurves prepared_curves(const Prepared& record, const std::string& camera);

// Decoration only: a message the viewport cannot show must not turn finished work into a failure.
void show_in_view(Host& host, const std::string& text);

// Ends the progress bar and resumes the viewport, both on every way out of the quiet state; a
// failure to end the bar propagates once the viewport is resumed.
void leave_quiet_state(Host& host, HostProgress& progress, const std::optional<std::string>& saved_mode);

// After the user cancelled: the command's undo step is closed and, when the command had changed
// the scene, undone, so that the scene is as before the command. An undo with nothing changed
// would take back the step before it instead (a host keeps no empty steps). The undone step
// stays on the redo queue, as any undone step does, until the next change clears it.
void take_back(Host& host, UndoChunk& chunk, bool scene_changed);

}  // namespace trembla::steps
