// What this tool has applied to a camera, kept on the camera itself (a string attribute), so that
// a new window, a new session or a reopened file finds it again from the scene alone: the curves
// the animator made, kept aside while the shake drives the channels, and the layers baked so far.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/apply.h"
#include "core/records.h"
#include "core/settings.h"

namespace trembla {

class Host;

inline constexpr const char* kAppliedAttribute = "tremblaShake";

// The shake clip a shake plays instead of a source object: its name as the clip list offers it,
// the hash of its content (clip_content_hash) at prepare, the scene's frame rate it was played at
// and the clip frame the range's first frame shows. The clip itself stays in its file: a shake
// taken up reads it again by name, and plays it only while its hash is still this one.
struct NotedClip {
    std::string name;
    std::string hash;
    double frame_rate = 24;
    Frame offset = 0;
    bool operator==(const NotedClip& other) const {
        return name == other.name && hash == other.hash && frame_rate == other.frame_rate && offset == other.offset;
    }
    bool operator!=(const NotedClip& other) const { return !(*this == other); }
};

struct AppliedRecord {
    bool live = false;              // shake curves drive the camera's channels now
    std::string source;             // empty for a shake that plays a clip
    std::optional<NotedClip> clip;  // a note of version 4
    std::string mode;
    Frame start_frame = 0;
    Frame end_frame = 0;
    ShakeCurves own_curves;    // the camera's own curve of each channel; empty: it had none
    Sample base{};             // each channel's own value on the first frame
    ShakeCurves shake_curves;  // the shake curve of each channel; empty: none made
    // The blend node adding each channel's shake curve to its own animation (a note of version 3);
    // empty: none, the shake curve drives the channel itself (versions 1 and 2).
    ShakeCurves blends;
    std::vector<std::string> layers;  // override layers this tool baked on the camera
    // Those of `layers` the live shake muted (the others were muted already, or are gone): the
    // shake is seen and baked as keyed, not under an earlier bake. They sound again when it
    // comes off.
    std::vector<std::string> muted;
    // The controls the live shake was last keyed with, so that a window taking it up shows them;
    // nothing when the text predates them (the window then keeps its own).
    std::optional<ControlValues> settings;
    bool bypass = false;
};

// A curve with time input: what keys on a channel make (animCurveTL/TA/TU/TT). A driven key is an
// animCurveU* (its input is another attribute), a layer a blend node: neither is the camera's own,
// and only such a curve is ever connected back to a channel.
bool is_time_curve(const std::string& type);

// A blend node of the host's (animBlendNodeAdditiveDL, ...DA, ...Rotation, ...): a layer's, or
// one the tool adds its shake through. Its inputA carries what lies below it, down to the base
// animation.
bool is_blend_node(const std::string& type);

// One line per entry ("source cam_src", "own translateX cam_translateX", ...): node names hold no
// blanks, so the text needs no quoting.
std::string applied_text(const AppliedRecord& record);
// Nothing for an empty or unreadable text (written by another version, or edited by hand).
std::optional<AppliedRecord> parse_applied(const std::string& text);

// The most a note may hold: one written by this tool is a few kilobytes.
inline constexpr std::size_t kMaxNoteBytes = std::size_t{1} << 20;
// A note's text read whole, or what is wrong with it, said after "<camera>: " ("its note is cut
// short"). A note of version 2 or later ends with a line counting the lines above it; one of
// version 1 has none, and is checked against the scene by the caller (applied_links.h). Version 3
// names the blend nodes that add the shake to the own animation; version 4 is version 3 with the
// clip the shake plays, and is written only for such a shake, so that a shake of a source object
// stays readable by a release that knows version 3.
struct NoteReading {
    std::optional<AppliedRecord> record;
    int version = 0;
    std::string problem;
};
NoteReading read_note(const std::string& text);

std::optional<AppliedRecord> read_applied(Host& host, const std::string& camera);
void write_applied(Host& host, const std::string& camera, const AppliedRecord& record);

// The plug a channel's own animation drives: the channel itself, or, on a channel in animation
// layers, the inputA at the bottom of its chain of blend nodes (the base layer), so that the
// shake goes in under the animator's layers and they keep combining on top.
// With `through` named, the walk stops below no blend node but that one: the plug it drives.
std::string base_plug(Host& host, const std::string& camera, const char* channel, const std::string& through = {});

// The channels of `camera` whose base animation is driven by something else than an animation
// curve of their own (a constraint, an expression, a driven key, another connection), each as
// "plug (driven by source)". Layers' blend nodes are no such driver.
std::vector<std::string> foreign_drivers(Host& host, const std::string& camera);
// The animation curve (time-input: animCurveTL/TA/TU) driving each channel's base plug now;
// empty: none.
ShakeCurves driving_curves(Host& host, const std::string& camera);

// The camera's multi message attribute holding a link from each own curve kept aside (element k:
// channel k's curve). A curve with no connection at all is what the host's scene cleanup (File >
// Optimize Scene Size, "Remove unused: animation curves") deletes; the link is a connection that
// drives nothing.
inline constexpr const char* kKeptCurvesAttribute = "tremblaOwnCurves";
void link_kept_curve(Host& host, const std::string& camera, std::size_t k, const std::string& curve);

// Takes an applied shake off the camera: deletes its shake curves and blend nodes (those found
// through the camera's links: applied_links.h), connects each channel's own curve (a time curve;
// on a blend, the one driving its inputA now) again to its base plug and gives a channel without
// one its first-frame value, and removes the links of the own and shake curves and the blends.
// Nothing else is touched.
void take_off_shake(Host& host, const std::string& camera, const ShakeCurves& own_curves,
                    const ShakeCurves& shake_curves, const Sample& base, const ShakeCurves& blends = {});

// Whether an own curve that still exists drives nothing on its channel: kept aside for a shake
// that is no longer there.
// A blend of the tool still there (`blends`) is such a shake too.
bool own_curves_set_aside(Host& host, const std::string& camera, const ShakeCurves& own_curves,
                          const ShakeCurves& blends = {});

// Mutes each layer a bake of this tool made for `camera` (linked to it, applied_links.h) that
// sounds, linking it as muted and noting it in `record.muted`; the animator's own layers are not
// among them, whatever a note names.
void mute_baked_layers(Host& host, const std::string& camera, AppliedRecord& record);
// Gives each baked layer the live shake muted (linked as muted) its sound back, removes those
// links and empties `record.muted`.
void unmute_noted_layers(Host& host, const std::string& camera, AppliedRecord& record);

// Notes the controls a live shake was just keyed with, its mode and the curves keyed (empty: not
// keyed) with their blends, over `noted`, what the camera noted last; written only when the text
// differs from `noted_text`, the text the camera was last seen to hold. Answers what the camera notes now.
AppliedRecord note_keyed_settings(Host& host, const std::string& camera, const AppliedRecord& noted,
                                  const std::string& noted_text, const ShakeControls& controls,
                                  const ShakeCurves& keyed, const ShakeCurves& blends = {});

// Notes on the camera that no shake is live any more, and the layer a bake just made, if any; the
// layers the shake muted sound again (a new layer overrides them inside its range).
void note_taken_off(Host& host, const std::string& camera, const std::optional<std::string>& new_layer);

}  // namespace trembla
