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

void show_in_view(Host& host, const std::string& text) {
    try {
        host.in_view_message(text);
    } catch (const std::exception&) {
    }
}

void key_recorded_animation(Host& host, const std::string& camera, const std::vector<std::string>& channels,
                            const std::vector<Frame>& frames, const ChannelAnim& recorded) {
    for (const std::string& channel : channels) {
        const std::vector<double>* values = find_channel(recorded, channel);
        if (values == nullptr) continue;
        for (std::size_t i = 0; i < frames.size(); ++i) {
            host.set_channel_key(camera, channel, frames[i], values->at(i));
        }
    }
}

void set_start_pose(Host& host, const std::string& camera, const Sample& camera_base) {
    for (std::size_t i = 0; i < kChannelCount; ++i) host.set_attr(plug(camera, kChannels[i]), camera_base[i]);
}

void clear_shake(Host& host, const std::string& camera, const std::vector<std::string>& channels,
                 const ShakeCurves& curves) {
    for (const std::string& channel : channels) {
        host.cut_key(camera, channel);
        const std::string& curve = curves[channel_index(channel)];
        if (host.obj_exists(curve)) host.delete_node(curve);
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

void restore_camera(Host& host, const std::string& camera, const std::vector<std::string>& channels,
                    const std::vector<Frame>& frames, bool own_animation, const ChannelAnim& recorded,
                    const Sample& base) {
    if (own_animation) {
        key_recorded_animation(host, camera, channels, frames, recorded);
    } else {
        set_start_pose(host, camera, base);
    }
}

}  // namespace trembla::steps
