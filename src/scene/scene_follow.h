// The tool's state is the scene's. What a window shows and what the tool keys from come from the
// note and the links on the camera (applied_links.h), never from a history of steps: the host's
// undo and redo, a file opened, a new scene, another window or a script change the scene, and
// the next look at it shows them. What the tool keeps besides is a cache checked against the
// scene: the preparation's samples, kept while the camera still notes the shake they were
// sampled for, and the note's text as the tool last saw it, which tells in one host call that
// nothing changed since.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "scene/prepared.h"

namespace trembla {

class Host;

struct SceneFollowed {
    // The preparation to install for what the scene holds now: nothing while it still holds the
    // current one's shake as last seen (the current one stands); else one that follows the note
    // (its samples kept when the shake is the one they were sampled for, pending when another was
    // taken up), else the current one ended.
    std::optional<Prepared> record;
    // Lines to say once each: notes that cannot be taken up, and several cameras with a live shake
    // when one was looked for (none is then taken up).
    std::vector<std::string> problems;
    std::vector<std::string> several;
};

// Looks at the scene for `current`: its camera when it is ready, else the camera the window
// names, else, with none named, the scene's only camera with a live shake. A ready record's
// camera gone is looked for among the cameras with `scan` (a window shown, a scene opened or read,
// an undo or redo): renamed, it still links the record's curves; without `scan` it is left to the
// command, which says so. Only host queries; while the record's camera notes what the tool last
// saw, one of them.
// `cached`, when given, is a preparation seen ready earlier (before a reset or bake that an undo
// took back): a shake taken up that is the one it prepared keeps its samples.
SceneFollowed follow_scene(Host& host, const Prepared& current, const std::string& named_camera, bool scan,
                           const Prepared* cached = nullptr);

// What a tool keeps between two looks at the scene, each a cache checked against it: the samples
// of the newest preparation seen ready (an undo of a reset or bake brings its shake back, and a
// shake taken up that is the one they were sampled for keeps them, in the same scene read only),
// and the host's curve-edit mark when the tool last knew the scene (a command of an unchanged
// scene then asks the host nothing).
class SceneFollower {
public:
    // Looks at the scene as follow_scene does, unless the scene is as the tool last saw it:
    // without `scan`, a ready record while no curve was edited since the tool keyed it, or
    // nothing ready while none was since a look or a command found nothing, answers `current`
    // as it is, with no host call but the marks.
    // The records are shared, never copied: a long shot's samples are large.
    using Record = std::shared_ptr<const Prepared>;
    SceneFollowed look(Host& host, const Record& current, const std::string& named_camera, bool scan);
    // After a command of the tool: `record` is what the scene holds now, as the tool left it.
    void after_command(Host& host, const Record& record);
    void forget();

private:
    void keep_if_ready(Host& host, const Record& record);

    Record samples_;
    std::optional<std::uint64_t> samples_scene_;
    std::optional<std::uint64_t> quiet_mark_;
};

// Tells the record what the tool keyed from its note's settings, as a new look at the scene
// finds them: a channel those settings do not key holds what an earlier keying wrote, which no
// note says, so its keys are not known (and none of them is taken for an animator's).
void know_keys_from_note(Prepared& record);

}  // namespace trembla
