// Module functions of the shake computation: get_world_transform, collect_source_motion,
// calculate_deltas, unwrap_angles, smooth_camera_anim, smooth_camera_anim_per_axis,
// extract_source_shake, parse_ranges, calculate_fade_multiplier, apply_shake_to_camera.
#pragma once

#include "pyhost/py_compat.h"

namespace trembla::ext {

void register_shake_functions(PyObject* module);

}  // namespace trembla::ext
