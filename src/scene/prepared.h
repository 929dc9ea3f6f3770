// The preparation record: what prepare samples and every later update, reset and bake reuse.
// One instance lives in the module state, shared by every window.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/apply.h"
#include "core/records.h"
#include "scene/applied_record.h"
#include "scene/host.h"

namespace trembla {

struct Prepared {
    bool ready = false;                 // a preparation is current
    std::optional<std::string> camera;  // camera transform taken at prepare
    std::optional<std::string> source;  // source transform taken at prepare; nothing for a clip
    std::optional<NotedClip> clip;      // the clip played instead of a source, as the camera notes it
    FrameRecord source_data;            // the source's world samples per frame (empty for a clip)
    FrameRecord delta_data;             // those samples minus the first frame's, or the clip as played
    std::optional<Sample> camera_base;  // the camera's own six channels on the first frame
    Frame start_frame = 0;              // prepared range, both ends included
    Frame end_frame = 100;
    CameraMode camera_mode = CameraMode::static_pose;
    ChannelAnim camera_original_anim;  // recorded camera channels (animated / relax only)
    // The shake curves of this preparation under the names the host gave them (empty until made):
    // a wanted name that was taken belongs to another node, so they are found by these names.
    ShakeCurves shake_curves;
    // The blend node of each channel (empty until made): the own curve drives its inputA, the
    // shake curve its inputB, and its sum the channel, so that outside the prepared range, where
    // the shake curve holds 0, the camera moves as its own curve at every time.
    ShakeCurves shake_blends;
    // The camera's own curve of each channel at prepare (empty: the channel had none). It keeps
    // driving its channel through the blend, and reset and bake connect it to the channel again:
    // every key, tangent and infinity comes back as the animator made it. (A shake applied by an
    // earlier release disconnected it instead, and its shake curve drove the channel.)
    ShakeCurves own_curves;
    // The keys (time, value) of each own curve as the tool last saw them: a key the animator sets
    // on the shaken camera goes into the own curve through the blend, and is told by these.
    std::array<std::vector<std::pair<double, double>>, kChannelCount> own_keys;
    // The plug each channel's own animation drives, found at prepare: the channel, or on a channel
    // in animation layers the bottom blend node's inputA. The shake curves connect there.
    ShakeCurves base_plugs;
    // The keys (time, value) of each own curve outside the prepared range, which a shake curve of
    // an earlier release carries (a shake taken up from a scene it saved): there a key is the
    // tool's own, not the animator's.
    std::array<std::vector<std::pair<double, double>>, kChannelCount> own_keys_outside;
    // Unused since the own curve drives its channel outside the range; kept for the steps that
    // remember records.
    std::array<CurveLook, kChannelCount> own_looks;
    // What the tool last keyed on each shake curve, one value per prepared frame, and of each
    // value the shake it added (empty: not known). A key there that differs, or a key at another
    // time, is the animator's own.
    std::array<std::vector<double>, kChannelCount> keyed_values;
    std::array<std::vector<double>, kChannelCount> keyed_shake;
    // The host's curve-edit mark taken right after the tool last keyed the shake curves, as
    // keyed_values say: while the host's mark is still this one, no curve was edited since and
    // the shake curves hold no key of the animator's. Nothing: not known, the keys are read.
    std::optional<std::uint64_t> edits_seen;
    // Where the prepare left the host's current time (its last time edit): the last frame the
    // tool knows to be current without asking the host. The user may have moved it since.
    std::optional<Frame> time_after_prepare;
    // Taken up from what the scene notes on the camera (a new window, session or file): the
    // source's samples and the camera's recorded animation are read again at the first command
    // that keys, so that showing a window never steps the host's time.
    bool samples_pending = false;
    bool source_missing_told = false;  // the missing source (or clip) of a taken-up shake was warned about
    // What the prepare (or the take-up) noted on the camera: an update notes its settings from it
    // without reading the camera again.
    std::optional<AppliedRecord> noted;
    // The note's text as the tool last saw the camera hold it (read, or written by its own step):
    // while the camera holds the same text, the scene holds this preparation's shake as noted.
    std::string noted_text;
};

}  // namespace trembla
