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

// The shake curves the preparation made that the scene no longer holds (deleted by hand, or taken
// back by the host's undo), in channel order.
std::vector<std::string> missing_shake_curves(Host& host, const Prepared& record);

// Takes the curves found through the camera's links (applied_links.h) into the record: a
// channel's shake curve under its name now, and its own curve. A name of the record that no link
// bears is kept only while no node has it (to be told missing); a node bearing it now is not ours.
void adopt_found_curves(Host& host, Prepared& record, const AppliedRecord& found);

// "a, b, c"
std::string joined(const std::vector<std::string>& names);

// Ends the progress bar and resumes the viewport, both on every way out of the quiet state; a
// failure to end the bar propagates once the viewport is resumed.
void leave_quiet_state(Host& host, HostProgress& progress, const std::optional<std::string>& saved_mode);

// After the user cancelled: the command's undo step is closed and, when the command had changed
// the scene, undone, so that the scene is as before the command. An undo with nothing changed
// would take back the step before it instead (a host keeps no empty steps). The undone step
// stays on the redo queue, as any undone step does, until the next change clears it.
void take_back(Host& host, UndoChunk& chunk, bool scene_changed);

// Whether a cancel the user asked for can be taken back: yes when nothing has changed yet; else
// the command's chunk is closed and its step must be the one on top of the host's undo queue, with
// the queue on. Inside a caller's open chunk, or with the queue off, the top is something else:
// the chunk is opened again and the command goes on to its end (false), so that no step the tool
// did not make is ever undone and nothing is left half done.
bool may_cancel(Host& host, UndoChunk& chunk, bool scene_changed);

}  // namespace trembla::steps
