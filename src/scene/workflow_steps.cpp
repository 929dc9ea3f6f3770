#include "scene/workflow_steps.h"

#include <exception>
#include <stdexcept>

#include "scene/suspension.h"

namespace trembla::steps {

bool builds_on_own_animation(const std::string& camera_mode) {
    return camera_mode == "animated" || camera_mode == "relax";
}

std::string plug(const std::string& node, const std::string& channel) { return node + "." + channel; }

std::vector<Frame> prepared_frames(const Prepared& record) { return frame_span(record.start_frame, record.end_frame); }

std::string prepared_camera(const Prepared& record) {
    if (!record.camera) throw std::logic_error("the prepared record names no camera");
    return *record.camera;
}

Sample prepared_camera_base(const Prepared& record) {
    if (!record.camera_base) throw std::logic_error("the prepared record holds no camera start pose");
    return *record.camera_base;
}

ShakeCurves prepared_curves(const Prepared& record, const std::string& camera) {
    ShakeCurves curves = record.shake_curves;
    for (std::size_t k = 0; k < kChannelCount; ++k) {
        if (curves[k].empty()) curves[k] = shake_curve_name(camera, kChannels[k]);
    }
    return curves;
}

void show_in_view(Host& host, const std::string& text) {
    try {
        host.in_view_message(text);
    } catch (const std::exception&) {
    }
}

void leave_quiet_state(Host& host, HostProgress& progress, const std::optional<std::string>& saved_mode) {
    std::exception_ptr failure;
    try {
        progress.end();
    } catch (...) {
        failure = std::current_exception();
    }
    unsuspend(host, saved_mode);
    if (failure) std::rethrow_exception(failure);
}

void take_back(Host& host, UndoChunk& chunk, bool scene_changed) {
    chunk.close();
    if (scene_changed) host.undo();
    host.warning("Trembla: cancelled");
}

}  // namespace trembla::steps
