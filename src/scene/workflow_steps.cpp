#include "scene/workflow_steps.h"

#include <exception>
#include <stdexcept>

#include "scene/suspension.h"

namespace trembla::steps {

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

std::vector<std::string> missing_shake_curves(Host& host, const Prepared& record) {
    std::vector<std::string> missing;
    for (const std::string& curve : record.shake_curves) {
        if (!curve.empty() && !host.obj_exists(curve)) missing.push_back(curve);
    }
    return missing;
}

void adopt_found_curves(Host& host, Prepared& record, const AppliedRecord& found) {
    for (std::size_t k = 0; k < kChannelCount; ++k) {
        std::string& shake = record.shake_curves[k];
        if (!found.shake_curves[k].empty()) {
            shake = found.shake_curves[k];
        } else if (!shake.empty() && host.obj_exists(shake)) {
            shake.clear();
        }
        record.own_curves[k] = found.own_curves[k];
        record.shake_blends[k] = found.blends[k];
    }
}

std::string joined(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names) text += (text.empty() ? "" : ", ") + name;
    return text;
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

bool may_cancel(Host& host, UndoChunk& chunk, bool scene_changed) {
    if (!scene_changed) return true;
    // The name alone could be an earlier step of the same name: the close must also have put one
    // more entry on the queue. A full queue drops its oldest for it and stays as long; there the
    // step on top before must have had another name.
    const long before = host.undo_count();
    const std::string top_before = host.undo_name();
    chunk.close();
    if (host.undo_enabled() && host.undo_name() == chunk.name()) {
        const long after = host.undo_count();
        if (after == before + 1) return true;
        const std::optional<long> limit = host.undo_limit();
        if (limit && after == before && after >= *limit && top_before != chunk.name()) return true;
    }
    chunk.reopen();
    return false;
}

}  // namespace trembla::steps
