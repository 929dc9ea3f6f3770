// How the keys build on the camera: its start pose, its own animation, or that animation relaxed.
// The text form lives only at the edges (the preset file, the Python face, the window's buttons).
#pragma once

#include <string>

namespace trembla {

enum class CameraMode { static_pose, animated, relax };

// "static", "animated" or "relax" as the enum; any other text is `fallback`. Where keys are
// computed an unknown text acts as static; where a preset is read it reads as animated.
CameraMode camera_mode_from_text(const std::string& text, CameraMode fallback);

// The text each mode is stored and shown as.
const char* camera_mode_text(CameraMode mode);

// The animated and relax modes build on the camera's own recorded animation; static on its start pose.
inline bool builds_on_own_animation(CameraMode mode) { return mode != CameraMode::static_pose; }

// False for the relax mode, whose keys are the relaxed animation alone: the offsets are computed
// there too but added to nothing.
inline bool mode_adds_shake(CameraMode mode) { return mode != CameraMode::relax; }

}  // namespace trembla
