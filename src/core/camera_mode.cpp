#include "core/camera_mode.h"

namespace trembla {

CameraMode camera_mode_from_text(const std::string& text, CameraMode fallback) {
    if (text == "static") return CameraMode::static_pose;
    if (text == "animated") return CameraMode::animated;
    if (text == "relax") return CameraMode::relax;
    return fallback;
}

const char* camera_mode_text(CameraMode mode) {
    switch (mode) {
        case CameraMode::animated:
            return "animated";
        case CameraMode::relax:
            return "relax";
        case CameraMode::static_pose:
            break;
    }
    return "static";
}

}  // namespace trembla
