// Taking the shake off the camera and giving back its own values.
#include "scene/workflow.h"

#include <algorithm>

#include "scene/workflow_steps.h"

namespace trembla {

using namespace steps;

bool reset_camera(Host& host, Prepared& record) {
    if (!record.ready) return false;
    if (!record.camera || record.camera->empty()) return false;
    const std::string camera = *record.camera;
    if (!host.obj_exists(camera)) return false;
    // The shake taken off already (by hand, or by the host's undo): cutting the camera's keys now
    // would take its own animation with them. Nothing changes, and the preparation ends. With
    // only some curves gone, the reset goes on and says which.
    const std::vector<std::string> missing = missing_shake_curves(host, record);
    const auto made = std::count_if(record.shake_curves.begin(), record.shake_curves.end(),
                                    [](const std::string& name) { return !name.empty(); });
    if (made > 0 && missing.size() == static_cast<std::size_t>(made)) {
        host.warning("Nothing to reset: shake curve not found: " + joined(missing) + ".");
        record.ready = false;
        return true;
    }
    if (!missing.empty()) host.warning("Shake curve not found: " + joined(missing) + ".");
    const UndoChunk chunk(host, "Trembla: reset");
    const std::vector<Frame> frames = prepared_frames(record);
    const std::vector<std::string> all_channels(kChannels.begin(), kChannels.end());
    const ShakeCurves curves = prepared_curves(record, camera);
    const bool own_animation = builds_on_own_animation(record.camera_mode);
    const ChannelAnim recorded = record.camera_original_anim;
    const Sample base = prepared_camera_base(record);

    // Every channel, whatever the switches say: a channel switched off after an update still
    // carries the curve of that update.
    clear_shake(host, camera, all_channels, curves);
    restore_camera(host, camera, all_channels, frames, own_animation, recorded, base);
    record.ready = false;
    return true;
}

}  // namespace trembla
