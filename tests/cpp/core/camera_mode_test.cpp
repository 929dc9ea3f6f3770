#include "core/camera_mode.h"

#include <gtest/gtest.h>

namespace trembla {
namespace {

// Each mode's text reads back as that mode whatever the fallback; other text (case and blanks
// count) is the fallback the caller names: static where keys are computed, animated for presets.
TEST(CameraMode, TextReadsBackAndUnknownTextIsTheCallersFallback) {
    for (const CameraMode mode : {CameraMode::static_pose, CameraMode::animated, CameraMode::relax}) {
        for (const CameraMode fallback : {CameraMode::static_pose, CameraMode::animated}) {
            EXPECT_EQ(camera_mode_from_text(camera_mode_text(mode), fallback), mode) << camera_mode_text(mode);
        }
    }
    EXPECT_STREQ(camera_mode_text(CameraMode::static_pose), "static");
    for (const char* text : {"", "Relax", "STATIC", " animated", "wobbly"}) {
        EXPECT_EQ(camera_mode_from_text(text, CameraMode::static_pose), CameraMode::static_pose) << text;
        EXPECT_EQ(camera_mode_from_text(text, CameraMode::animated), CameraMode::animated) << text;
    }
}

}  // namespace
}  // namespace trembla
