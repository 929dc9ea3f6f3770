// What this tool made for a camera, found from the camera through connections and never through
// a name held in text: a scene is passed between people, and its nodes are renamed, duplicated
// and edited. The camera links each of its shake curves, each own curve set aside, each layer a
// bake made and each of those the live shake muted through a multi message attribute of its
// own: a link drives nothing, a rename keeps it, deleting the node takes it away, and the host's
// duplicate copies no incoming connection, so a copy of the camera carries the note but none of
// the links. The note (applied_record.h) keeps the settings, the range and Bypass; its names are
// hints for a reader.
#pragma once

#include <string>
#include <vector>

#include "scene/applied_record.h"

namespace trembla {

class Host;

inline constexpr const char* kShakeLinksAttribute = "tremblaShakeCurves";  // element k: channel k
inline constexpr const char* kLayerLinksAttribute = "tremblaLayers";       // the layers baked
inline constexpr const char* kMutedLinksAttribute = "tremblaMutedLayers";  // those the shake muted
inline constexpr const char* kBlendLinksAttribute = "tremblaShakeBlends";  // element k: channel k's blend

// What the scene holds of this tool's work on a camera.
struct AppliedFinding {
    enum class State {
        none,     // no note (or no camera)
        held,     // the note agrees with the links; `record` names the nodes they reach
        foreign,  // a live note whose links are not on this camera: a copy of another camera
        refused,  // the note is cut, out of bounds or disagrees with the links: nothing is taken up
    };
    State state = State::none;
    AppliedRecord record;
    // The note's text as the camera holds it (empty: none): a later look that reads the same text
    // finds the same record, unless the links changed.
    std::string text;
    // foreign and refused: one line naming the camera and what is wrong ("cam: ...; nothing taken up.").
    std::string problem;
    // Layers a note of version 1 names, which no link shows to be this tool's: left as they are.
    std::vector<std::string> unproven_layers;
};

// Reads the note on `camera` and checks it against the links before anything is changed: every
// link is a message array, every curve a link reaches is an animation curve of time, the shake
// curves key every whole frame of the noted range. A note of version 1 (which has no shake links
// yet) agrees when each shake curve it names is the time curve driving its channel and each own
// curve it names is the one linked for that channel. Only host queries.
// `check_keys` false leaves out the keys of the shake curves: for a preparation of this session,
// whose range is its own, and whose curves the animator may have edited since.
AppliedFinding find_applied(Host& host, const std::string& camera, bool check_keys = true);

// One warning naming the layers a note of version 1 names that were left as they are.
void warn_unproven_layers(Host& host, const AppliedFinding& found);

// Throws std::runtime_error "Camera <camera> no longer exists (deleted or renamed)." when it is
// gone: the one line a command says before it changes anything.
void require_camera(Host& host, const std::string& camera);

// The shake curve each channel of the camera links now (renamed or not); `fallback`'s name for
// a channel that links none. A link to anything but a time curve counts as none.
ShakeCurves linked_shake_curves(Host& host, const std::string& camera, const ShakeCurves& fallback);

// A name as a message shows it: its first 100 characters, then "…" when it is longer.
std::string shown_name(const std::string& name);

// Links each curve to the camera as the shake curve of its channel (an empty name: none).
void link_shake_curves(Host& host, const std::string& camera, const ShakeCurves& curves);
// Links each blend node to the camera as the one adding its channel's shake (an empty name: none).
void link_shake_blends(Host& host, const std::string& camera, const ShakeCurves& blends);
// The blend node each channel of the camera links now (renamed or not); `fallback`'s name for a
// channel that links none while it still names a node. A link to anything but a blend node counts
// as none.
ShakeCurves linked_shake_blends(Host& host, const std::string& camera, const ShakeCurves& fallback);
// The layers linked in `attribute` of the camera that are animation layers, in element order.
std::vector<std::string> linked_layers(Host& host, const std::string& camera, const char* attribute);
// Links `layer` into the first free element of `attribute`, made when missing.
void link_layer(Host& host, const std::string& camera, const char* attribute, const std::string& layer);
// Removes `attribute` with its links, when the camera has it.
void drop_links(Host& host, const std::string& camera, const char* attribute);

}  // namespace trembla
