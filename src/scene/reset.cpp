// Taking the shake off the camera and giving back its own animation.
#include "scene/workflow.h"

#include <algorithm>

#include "scene/applied_links.h"
#include "scene/applied_record.h"
#include "scene/lock_check.h"
#include "scene/own_keys.h"
#include "scene/workflow_steps.h"

namespace trembla {

using namespace steps;

bool reset_camera(Host& host, Prepared& record) {
    if (!record.ready) return false;
    if (!record.camera || record.camera->empty()) return false;
    const std::string camera = *record.camera;
    if (!host.obj_exists(camera)) return false;
    // Everything is found before the first change: the nodes through the camera's links (renamed
    // or not), and a note the scene does not bear out stops the reset with one line.
    const AppliedFinding found = find_applied(host, camera, false);
    if (found.state == AppliedFinding::State::refused || found.state == AppliedFinding::State::foreign) {
        host.warning("Cannot reset " + found.problem);
        return false;
    }
    if (found.state == AppliedFinding::State::held && found.record.live) adopt_found_curves(host, record, found.record);
    if (refuse_locked(host, "reset", camera, every_channel())) return false;
    // The shake taken off already (by hand, or by the host's undo): nothing of it is left to take
    // off, and the preparation ends. A curve deleted by hand leaves its channel without input: the
    // camera's own curve, kept aside, is connected again. With only some curves gone, the reset
    // goes on and says which.
    const std::vector<std::string> missing = missing_shake_curves(host, record);
    const auto made_count = std::count_if(record.shake_curves.begin(), record.shake_curves.end(),
                                          [](const std::string& name) { return !name.empty(); });
    if (made_count > 0 && missing.size() == static_cast<std::size_t>(made_count)) {
        host.warning("Nothing to reset: shake curve not found: " + joined(missing) + ".");
        const ShakeCurves own = record.own_curves;
        const ShakeCurves blends = record.shake_blends;
        const Sample base = prepared_camera_base(record);
        record.ready = false;
        if (own_curves_set_aside(host, camera, own, blends)) {
            const UndoChunk chunk(host, "Trembla: reset");
            take_off_shake(host, camera, own, ShakeCurves{}, base, blends);
            note_taken_off(host, camera, std::nullopt);
        }
        return true;
    }
    if (!missing.empty()) host.warning("Shake curve not found: " + joined(missing) + ".");
    const UndoChunk chunk(host, "Trembla: reset");
    carry_animator_keys(host, record);  // the animator's keys on the shake curves stay theirs
    const ShakeCurves own = record.own_curves;
    const ShakeCurves made = record.shake_curves;
    const ShakeCurves blends = record.shake_blends;
    const Sample base = prepared_camera_base(record);

    // Every channel, whatever the switches say: a channel switched off after an update still
    // carries the curve of that update. Each own curve is connected again as it was made.
    take_off_shake(host, camera, own, made, base, blends);
    note_taken_off(host, camera, std::nullopt);
    record.ready = false;
    return true;
}

bool reset_applied_shake(Host& host, const std::string& camera) {
    if (camera.empty() || !host.obj_exists(camera)) return false;
    const AppliedFinding found = find_applied(host, camera);
    if (found.state == AppliedFinding::State::refused || found.state == AppliedFinding::State::foreign) {
        host.warning("Cannot reset " + found.problem);
        return false;
    }
    if (found.state != AppliedFinding::State::held || !found.record.live) return false;
    const AppliedRecord& applied = found.record;
    if (refuse_locked(host, "reset", camera, every_channel())) return false;
    const UndoChunk chunk(host, "Trembla: reset");
    take_off_shake(host, camera, applied.own_curves, applied.shake_curves, applied.base, applied.blends);
    note_taken_off(host, camera, std::nullopt);
    warn_unproven_layers(host, found);
    return true;
}

}  // namespace trembla
