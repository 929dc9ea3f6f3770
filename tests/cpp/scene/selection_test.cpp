#include <gtest/gtest.h>

#include "fake_host.h"
#include "scene/workflow.h"

namespace trembla {
namespace {

using Names = std::vector<std::string>;

TEST(SetCamera, TakesTheFirstSelectedTransformWhenItIsACamera) {
    FakeHost host;
    host.add_camera("shotCam");
    host.add_camera("otherCam");
    host.selection = {"shotCam", "otherCam"};
    EXPECT_EQ(set_camera(host), std::optional<std::string>("shotCam"));
    EXPECT_TRUE(host.warnings.empty());
}

TEST(SetCamera, WarnsWhenNothingIsSelected) {
    FakeHost host;
    EXPECT_EQ(set_camera(host), std::nullopt);
    EXPECT_EQ(host.warnings, Names{"Nothing selected."});
    EXPECT_EQ(host.count("has_camera_shape"), 0u);
}

TEST(SetCamera, OnlyTheFirstSelectedTransformCounts) {
    FakeHost host;
    host.add_node("pCube1");
    host.add_camera("shotCam");
    host.selection = {"pCube1", "shotCam"};
    EXPECT_EQ(set_camera(host), std::nullopt);
    EXPECT_EQ(host.warnings, Names{"Selected object is not a camera."});
}

TEST(SetSource, TakesTheFirstSelectedTransformWithoutAnyTest) {
    FakeHost host;
    host.add_node("pCube1");
    host.add_camera("shotCam");
    host.selection = {"pCube1", "shotCam"};
    EXPECT_EQ(set_source(host), std::optional<std::string>("pCube1"));
    EXPECT_EQ(host.count("has_camera_shape"), 0u);
    EXPECT_TRUE(host.warnings.empty());
}

TEST(SetSource, WarnsWhenNothingIsSelected) {
    FakeHost host;
    EXPECT_EQ(set_source(host), std::nullopt);
    EXPECT_EQ(host.warnings, Names{"Nothing selected."});
}

TEST(Selection, HostFailuresReachTheCaller) {
    FakeHost host;
    host.fail_always("selected_transforms");
    EXPECT_THROW(set_camera(host), HostError);
    EXPECT_THROW(set_source(host), HostError);
}

}  // namespace
}  // namespace trembla
