// A live shake of this tool found again from what the scene notes on its camera, for a window of
// a new session, a reopened file or a reset module state.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/shake_clip.h"

#include "scene/applied_record.h"
#include "scene/prepared.h"

namespace trembla {

class Host;

// The cameras of the scene that carry a live shake of this tool, in the host's order; `problems`,
// when given, receives the line of each camera whose note cannot be taken up.
std::vector<std::string> cameras_with_live_shake(Host& host, std::vector<std::string>* problems = nullptr);

// The preparation the live shake on `camera` stands for, its samples pending (read_pending_samples)
// and its note (`noted`) the record found, its nodes named as the camera's links reach them;
// nothing when the camera carries none, or a note that cannot be taken up (applied_links.h says
// which): `problem` then receives the one line that says why.
std::optional<Prepared> taken_up_preparation(Host& host, const std::string& camera, std::string* problem = nullptr);

// The clip of a name as the clip list offers it now; nothing when none is found.
using ClipLookup = std::function<std::optional<ShakeClip>(const std::string& name)>;

// Samples the source and reads the camera's own animation over the prepared range, as the prepare
// did; the host's time is put back. False, and nothing read, when the source no longer exists.
// A shake that plays a clip plays it again from `clips`, as noted (rate and offset): false, and
// nothing read, when no clip of its name is found (or no lookup given), or when the one found
// hashes otherwise than the note says (changed since, it would not give the keys on the camera).
bool read_pending_samples(Host& host, Prepared& record, const ClipLookup& clips = {});

}  // namespace trembla
