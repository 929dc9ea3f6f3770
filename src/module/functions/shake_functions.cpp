// The shake computation as module functions, callable from scripts as well as by the window.
// Every function converts and checks all of its arguments before it makes a host call.
#include "module/functions/shake_functions.h"

#include <cmath>
#include <sstream>
#include <stdexcept>
#include <string>

#include "core/apply.h"
#include "core/extraction.h"
#include "core/ranges.h"
#include "core/sampling.h"
#include "core/shake_speed.h"
#include "core/smoothing.h"
#include "core/whole_numbers.h"
#include "module/binding/arguments.h"
#include "module/binding/errors.h"
#include "module/binding/readers.h"
#include "module/binding/results.h"
#include "module/registry.h"
#include "module/state.h"
#include "scene/shake_curves.h"
#include "scene/source_motion.h"

namespace trembla::ext {

using py::PyRef;

namespace {

PyObject* same_object(PyObject* obj) {
    Py_INCREF(obj);
    return obj;
}

PyObject* py_get_world_transform(PyObject* module, PyObject* args, PyObject* kwargs) {
    return guarded([&] {
        auto a = bind_arguments<2>("get_world_transform", args, kwargs, {"obj", "frame"});
        const std::string obj = text_arg(a[0].get(), "obj");
        const double frame = number_arg(a[1].get(), "frame");
        py::PythonHost host = host_for(module);
        return sample_to_python(get_world_transform(host, obj, frame)).release();
    });
}

// Bounds that are not frame numbers at all (not finite, beyond the 64-bit frame range) are the
// sampling's own to refuse, with its own message.
void refuse_unsampleable_span(double start_frame, double end_frame) {
    const auto is_frame = [](double bound) {
        return std::isfinite(bound) && detail::truncates_into_frame_range(bound);
    };
    if (!is_frame(start_frame) || !is_frame(end_frame)) return;
    const double frames = std::trunc(end_frame) - std::trunc(start_frame) + 1;
    if (frames > static_cast<double>(kMaxSampledFrames)) {
        std::ostringstream text;
        text << "collect_source_motion: start_frame " << start_frame << " to end_frame " << end_frame << " spans "
             << frames << " frames; at most " << kMaxSampledFrames << " frames are sampled at once";
        throw std::invalid_argument(text.str());
    }
}

PyObject* py_collect_source_motion(PyObject* module, PyObject* args, PyObject* kwargs) {
    return guarded([&] {
        auto a = bind_arguments<3>("collect_source_motion", args, kwargs, {"source_obj", "start_frame", "end_frame"});
        const std::string source_obj = text_arg(a[0].get(), "source_obj");
        const double start_frame = number_arg(a[1].get(), "start_frame");
        const double end_frame = number_arg(a[2].get(), "end_frame");
        refuse_unsampleable_span(start_frame, end_frame);
        py::PythonHost host = host_for(module);
        return frame_record_to_python(collect_source_motion(host, source_obj, start_frame, end_frame)).release();
    });
}

PyObject* py_calculate_deltas(PyObject*, PyObject* args, PyObject* kwargs) {
    return guarded([&] {
        auto a = bind_arguments<2>("calculate_deltas", args, kwargs, {"source_data", "start_frame"});
        ObjectRefs keys;
        const FrameRecord source_data = frame_record_arg(a[0].get(), "source_data", &keys);
        const std::optional<Frame> start_frame = frame_key_arg(a[1].get(), "start_frame");
        if (!start_frame) {
            return frame_record_to_python(FrameRecord{}).release();
        }
        const FrameRecord deltas = calculate_deltas(source_data, *start_frame);
        return frame_record_to_python(deltas, deltas.frames == source_data.frames ? &keys : nullptr).release();
    });
}

PyObject* py_unwrap_angles(PyObject*, PyObject* args, PyObject* kwargs) {
    return guarded([&] {
        auto a = bind_arguments<1>("unwrap_angles", args, kwargs, {"values"});
        if (!truth_arg(a[0].get())) {
            return same_object(a[0].get());
        }
        return numbers_to_python(unwrap_angles(numbers_arg(a[0].get(), "values"))).release();
    });
}

PyObject* py_smooth_camera_anim(PyObject*, PyObject* args, PyObject* kwargs) {
    return guarded([&] {
        auto a = bind_arguments<3>("smooth_camera_anim", args, kwargs, {"camera_original_anim", "frames", "smoothing"});
        ChannelObjects objects;
        const ChannelAnim anim = channel_anim_arg(a[0].get(), "camera_original_anim", &objects);
        const std::vector<Frame> frames = frames_arg(a[1].get(), "frames");
        const double smoothing = number_arg(a[2].get(), "smoothing");
        if (smoothing <= 0) {
            return same_object(a[0].get());
        }
        return channel_anim_to_python(smooth_camera_anim(anim, frames, smoothing), &objects).release();
    });
}

PyObject* py_smooth_camera_anim_per_axis(PyObject*, PyObject* args, PyObject* kwargs) {
    return guarded([&] {
        auto a = bind_arguments<6>(
            "smooth_camera_anim_per_axis", args, kwargs,
            {"original_anim", "base_smoothed_anim", "frames", "base_smoothing", "trans_axis_mult", "rot_axis_mult"});
        const ChannelAnim original = channel_anim_arg(a[0].get(), "original_anim");
        ChannelObjects base_objects;
        const ChannelAnim base_smoothed = channel_anim_arg(a[1].get(), "base_smoothed_anim", &base_objects);
        const std::vector<Frame> frames = frames_arg(a[2].get(), "frames");
        const double base_smoothing = number_arg(a[3].get(), "base_smoothing");
        const AxisTriple trans_axis_mult = axis_triple_arg(a[4].get(), "trans_axis_mult");
        const AxisTriple rot_axis_mult = axis_triple_arg(a[5].get(), "rot_axis_mult");
        if (original.empty() || base_smoothing <= 0) {
            return same_object(a[1].get());
        }
        // A channel the relax leaves at its base smoothing keeps the caller's list itself.
        return channel_anim_to_python(smooth_camera_anim_per_axis(original, base_smoothed, frames, base_smoothing,
                                                                  trans_axis_mult, rot_axis_mult),
                                      &base_objects, true)
            .release();
    });
}

PyObject* py_extract_source_shake(PyObject*, PyObject* args, PyObject* kwargs) {
    return guarded([&] {
        auto a = bind_arguments<4>("extract_source_shake", args, kwargs,
                                   {"delta_data", "frames", "lag_translate", "lag_rotate"});
        const FrameRecord delta_data = frame_record_arg(a[0].get(), "delta_data");
        ObjectRefs frame_keys;
        const std::vector<Frame> frames = frames_arg(a[1].get(), "frames", &frame_keys);
        const double lag_translate = number_arg(a[2].get(), "lag_translate");
        const double lag_rotate = number_arg(a[3].get(), "lag_rotate");
        const FrameRecord shake = extract_source_shake(delta_data, frames, lag_translate, lag_rotate);
        return frame_record_to_python(shake, shake.frames == frames ? &frame_keys : nullptr).release();
    });
}

PyObject* py_parse_ranges(PyObject*, PyObject* args, PyObject* kwargs) {
    return guarded([&] {
        auto a = bind_arguments<1>("parse_ranges", args, kwargs, {"range_str"});
        return ranges_to_python(parse_ranges(text_arg(a[0].get(), "range_str"))).release();
    });
}

PyObject* py_calculate_fade_multiplier(PyObject*, PyObject* args, PyObject* kwargs) {
    return guarded([&] {
        auto a =
            bind_arguments<4>("calculate_fade_multiplier", args, kwargs, {"frame", "ranges", "fade_in", "fade_out"});
        const Frame frame = whole_frame_arg(a[0].get(), "frame");
        const Ranges ranges = ranges_arg(a[1].get(), "ranges");
        const double fade_in = number_arg(a[2].get(), "fade_in");
        const double fade_out = number_arg(a[3].get(), "fade_out");
        return py::checked(PyFloat_FromDouble(calculate_fade_multiplier(frame, ranges, fade_in, fade_out))).release();
    });
}

PyObject* py_apply_shake_to_camera(PyObject* module, PyObject* args, PyObject* kwargs) {
    return guarded([&] {
        auto a = bind_arguments<18>(
            "apply_shake_to_camera", args, kwargs,
            {"camera", "shake_data", "frames", "smoothing", "amplitude", "translate_amp", "rotate_amp",
             "trans_axis_mult", "rot_axis_mult", "use_translate", "use_rotate", "ranges", "fade_in", "fade_out",
             "camera_base", "camera_mode", "camera_original_anim", "speed"},
            17);
        const std::string camera = text_arg(a[0].get(), "camera");
        const FrameRecord shake_data = frame_record_arg(a[1].get(), "shake_data");
        const std::vector<Frame> frames = frames_arg(a[2].get(), "frames");
        ShakeSettings settings;
        settings.smoothing = number_arg(a[3].get(), "smoothing");
        settings.amount = number_arg(a[4].get(), "amplitude");  // the keyword keeps its name
        settings.trans_amp = number_arg(a[5].get(), "translate_amp");
        settings.rot_amp = number_arg(a[6].get(), "rotate_amp");
        settings.trans_axis_mult = axis_triple_arg(a[7].get(), "trans_axis_mult");
        settings.rot_axis_mult = axis_triple_arg(a[8].get(), "rot_axis_mult");
        settings.use_translate = truth_arg(a[9].get());
        settings.use_rotate = truth_arg(a[10].get());
        settings.ranges = ranges_arg(a[11].get(), "ranges");
        settings.fade_in = number_arg(a[12].get(), "fade_in");
        settings.fade_out = number_arg(a[13].get(), "fade_out");
        const Sample camera_base = sample_arg(a[14].get(), "camera_base");
        // Text that names no mode keys as the static mode.
        const CameraMode camera_mode =
            camera_mode_from_text(text_arg(a[15].get(), "camera_mode"), CameraMode::static_pose);
        const ChannelAnim camera_original_anim = channel_anim_arg(a[16].get(), "camera_original_anim");
        // Added after the others, so optional: scripts written before it play the shake as extracted.
        settings.speed = a[17] ? number_arg(a[17].get(), "speed") : kNormalSpeed;
        py::PythonHost host = host_for(module);
        apply_shake_to_camera(host, camera, shake_data, frames, settings, camera_base, camera_mode,
                              camera_original_anim);
        Py_RETURN_NONE;
    });
}

PyMethodDef kShakeFunctions[] = {
    {"get_world_transform", TREMBLA_KEYWORDS_FUNCTION(py_get_world_transform), METH_VARARGS | METH_KEYWORDS,
     "get_world_transform(obj, frame) -> (tx, ty, tz, rx, ry, rz)\n\n"
     "World translation and rotation of node obj at frame. Leaves the current time at frame."},
    {"collect_source_motion", TREMBLA_KEYWORDS_FUNCTION(py_collect_source_motion), METH_VARARGS | METH_KEYWORDS,
     "collect_source_motion(source_obj, start_frame, end_frame) -> {frame: sample}\n\n"
     "World samples of source_obj at every whole frame from start_frame to end_frame (both\n"
     "truncated, both included). The current time is put back afterwards. A span of more than\n"
     "10,000,000 frames raises ValueError before the host is asked anything."},
    {"calculate_deltas", TREMBLA_KEYWORDS_FUNCTION(py_calculate_deltas), METH_VARARGS | METH_KEYWORDS,
     "calculate_deltas(source_data, start_frame) -> {frame: sample}\n\n"
     "Every sample minus the sample at start_frame; empty when start_frame was not sampled."},
    {"unwrap_angles", TREMBLA_KEYWORDS_FUNCTION(py_unwrap_angles), METH_VARARGS | METH_KEYWORDS,
     "unwrap_angles(values) -> list\n\n"
     "Angles in degrees made continuous by whole turns (steps of at most 180). An empty argument\n"
     "is returned as it is."},
    {"smooth_camera_anim", TREMBLA_KEYWORDS_FUNCTION(py_smooth_camera_anim), METH_VARARGS | METH_KEYWORDS,
     "smooth_camera_anim(camera_original_anim, frames, smoothing) -> {channel: [values]}\n\n"
     "Centred moving average whose width follows smoothing (0-100), narrower near the ends so that\n"
     "it stays centred (the first and last values stay as they are); rotation channels are unwrapped\n"
     "first. With smoothing <= 0 the record itself is returned."},
    {"smooth_camera_anim_per_axis", TREMBLA_KEYWORDS_FUNCTION(py_smooth_camera_anim_per_axis),
     METH_VARARGS | METH_KEYWORDS,
     "smooth_camera_anim_per_axis(original_anim, base_smoothed_anim, frames, base_smoothing,\n"
     "                            trans_axis_mult, rot_axis_mult) -> {channel: [values]}\n\n"
     "Relax: blends each channel between the base smoothing and twice that smoothing of the\n"
     "original animation by its axis setting (100 keeps the base). Returns base_smoothed_anim\n"
     "itself when original_anim is empty or base_smoothing <= 0."},
    {"extract_source_shake", TREMBLA_KEYWORDS_FUNCTION(py_extract_source_shake), METH_VARARGS | METH_KEYWORDS,
     "extract_source_shake(delta_data, frames, lag_translate, lag_rotate) -> {frame: sample}\n\n"
     "The lagged deltas minus their 11-frame centred average (narrower near the ends, still centred):\n"
     "the shake for every frame of frames."},
    {"parse_ranges", TREMBLA_KEYWORDS_FUNCTION(py_parse_ranges), METH_VARARGS | METH_KEYWORDS,
     "parse_ranges(range_str) -> [(start, end), ...]\n\n"
     "Frame ranges typed as '10-50, 70-80'; parts that do not parse are dropped."},
    {"calculate_fade_multiplier", TREMBLA_KEYWORDS_FUNCTION(py_calculate_fade_multiplier), METH_VARARGS | METH_KEYWORDS,
     "calculate_fade_multiplier(frame, ranges, fade_in, fade_out) -> float\n\n"
     "1.0 without ranges; otherwise the largest multiplier of the ranges holding frame (0.0 when\n"
     "none does), each with linear fades of fade_in and fade_out frames at its edges."},
    {"apply_shake_to_camera", TREMBLA_KEYWORDS_FUNCTION(py_apply_shake_to_camera), METH_VARARGS | METH_KEYWORDS,
     "apply_shake_to_camera(camera, shake_data, frames, smoothing, amplitude, translate_amp,\n"
     "                      rotate_amp, trans_axis_mult, rot_axis_mult, use_translate, use_rotate,\n"
     "                      ranges, fade_in, fade_out, camera_base, camera_mode,\n"
     "                      camera_original_anim, speed=100) -> None\n\n"
     "Writes the shake onto the camera: per enabled channel the camera's keys are cut and a new\n"
     "curve named camera + '_shake_' + channel, keyed on every frame, drives the channel. speed\n"
     "(percent) plays shake_data faster or slower from the first frame, interpolated between\n"
     "frames and looping past the last, before the ranges and fades weigh it."},
    {nullptr, nullptr, 0, nullptr},
};

}  // namespace

void register_shake_functions(PyObject* module) { add_functions(module, kShakeFunctions); }

}  // namespace trembla::ext
