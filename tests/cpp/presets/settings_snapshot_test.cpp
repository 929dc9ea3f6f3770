// The snapshot's layout, and how a stored (possibly hand-edited) preset record is applied.
#include <gtest/gtest.h>

#include <climits>
#include <limits>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "presets/settings_snapshot.h"

namespace trembla {
namespace {

std::vector<std::string> member_names(const PresetJson& object) {
    std::vector<std::string> names;
    for (const auto& member : object.items()) names.push_back(member.key());
    return names;
}

TEST(SettingsSnapshot, WritesCameraSourceAndTheTwentySettingsInOrder) {
    ShakeControls snapshot;
    snapshot.camera_field = " shotCam ";  // as typed, not trimmed
    snapshot.source_field = "";
    const PresetJson record = to_json(snapshot);

    EXPECT_EQ(member_names(record), (std::vector<std::string>{"camera", "source", "settings"}));
    EXPECT_EQ(record["camera"], " shotCam ");
    EXPECT_EQ(
        member_names(record["settings"]),
        (std::vector<std::string>{"lag_trans",      "lag_rot",  "smooth",  "amount",  "trans_amp",  "rot_amp",
                                  "fade_in",        "fade_out", "ranges",  "mode",    "layer_name", "translate_enabled",
                                  "rotate_enabled", "trans_x",  "trans_y", "trans_z", "rot_x",      "rot_y",
                                  "rot_z",          "speed"}));
}

TEST(SettingsSnapshot, FreshWindowValuesAreTheDefaults) {
    const PresetJson settings = to_json(ShakeControls{})["settings"];
    EXPECT_EQ(settings, PresetJson::parse(R"({"lag_trans": 0, "lag_rot": 0, "smooth": 0, "amount": 100,
        "trans_amp": 100, "rot_amp": 100, "fade_in": 3, "fade_out": 3, "ranges": "", "mode": "static",
        "layer_name": "trembla_layer", "translate_enabled": true, "rotate_enabled": true, "trans_x": 100,
        "trans_y": 100, "trans_z": 100, "rot_x": 100, "rot_y": 100, "rot_z": 100, "speed": 100})"));
    EXPECT_TRUE(settings["amount"].is_number_integer());
    EXPECT_TRUE(settings["translate_enabled"].is_boolean());
}

TEST(PresetRecord, SnapshotReadsBackUnchanged) {
    ShakeControls snapshot;
    snapshot.camera_field = "shotCam";
    snapshot.source_field = "loc";
    ControlValues& s = snapshot.settings;
    s.lag_trans = 4, s.lag_rot = 5, s.smooth = 60, s.amount = 180, s.trans_amp = 20, s.rot_amp = 0;
    s.fade_in = 0, s.fade_out = 30, s.ranges = " 1-10 ", s.mode = CameraMode::animated, s.layer_name = "";
    s.translate_enabled = false, s.rotate_enabled = true;
    s.trans_x = 1, s.trans_y = 2, s.trans_z = 3, s.rot_x = 4, s.rot_y = 5, s.rot_z = 6, s.speed = 7;

    const PresetToApply applied = read_preset_record(to_json(snapshot));
    EXPECT_TRUE(applied.warnings.empty());
    EXPECT_EQ(applied.camera, std::string("shotCam"));
    EXPECT_EQ(applied.source, std::string("loc"));
    EXPECT_EQ(to_json({"shotCam", "loc", applied.settings}), to_json(snapshot));
}

TEST(PresetRecord, MissingMembersTakeTheDefaultsOnApply) {
    const PresetToApply applied = read_preset_record(PresetJson::parse(R"({"camera": "cam", "source": "src"})"));
    EXPECT_TRUE(applied.warnings.empty());
    EXPECT_EQ(applied.camera, std::string("cam"));
    EXPECT_EQ(to_json({"", "", applied.settings}), to_json(ShakeControls{}));

    const PresetToApply partial = read_preset_record(PresetJson::parse(R"({"settings": {"rot_y": 7, "unknown": 1}})"));
    EXPECT_TRUE(partial.warnings.empty());
    EXPECT_FALSE(partial.camera);
    EXPECT_FALSE(partial.source);
    ControlValues expected;
    expected.rot_y = 7;
    EXPECT_EQ(to_json({"", "", partial.settings}), to_json({"", "", expected}));
}

TEST(PresetRecord, EmptyCameraOrSourceIsNotApplied) {
    const PresetToApply applied = read_preset_record(PresetJson::parse(R"({"camera": "", "source": ""})"));
    EXPECT_FALSE(applied.camera);
    EXPECT_FALSE(applied.source);
    EXPECT_TRUE(applied.warnings.empty());
}

TEST(PresetRecord, AClipIsWrittenAfterTheSourceOnlyWhenChosenAndReadBackAsTheSource) {
    const struct {
        const char* clip;
        std::vector<std::string> members;
        std::optional<std::string> read;
    } cases[] = {
        {"", {"camera", "source", "settings"}, std::nullopt},
        {"take 3", {"camera", "source", "clip", "settings"}, std::string("take 3")},
    };
    for (const auto& c : cases) {
        const PresetJson record = to_json(ShakeControls{}, c.clip);
        EXPECT_EQ(member_names(record), c.members) << c.clip;
        EXPECT_EQ(read_preset_record(record).clip, c.read) << c.clip;
    }
    const PresetToApply wrong = read_preset_record(PresetJson::parse(R"({"clip": 3})"));
    EXPECT_FALSE(wrong.clip);
    EXPECT_EQ(wrong.warnings, (std::vector<std::string>{"Preset value for 'clip' ignored: expected text."}));
}

TEST(PresetRecord, ModeIsStaticRelaxOrElseAnimated) {
    const std::pair<const char*, const char*> cases[] = {
        {"static", "static"},   {"relax", "relax"}, {"animated", "animated"}, {"Relax", "animated"},
        {"STATIC", "animated"}, {"", "animated"},   {"wobbly", "animated"},
    };
    for (const auto& [stored, applied] : cases) {
        PresetJson record;
        record["settings"]["mode"] = stored;
        EXPECT_STREQ(camera_mode_text(read_preset_record(record).settings.mode), applied) << stored;
    }
    EXPECT_EQ(read_preset_record(PresetJson::parse(R"({"settings": {}})")).settings.mode, CameraMode::static_pose);
}

TEST(PresetRecord, SliderFractionsRoundToNearestAndHugeNumbersClamp) {
    const PresetToApply applied = read_preset_record(PresetJson::parse(R"({"settings": {
        "lag_trans": 2.4, "lag_rot": 2.5, "smooth": -0.5, "amount": 99.99,
        "trans_amp": 1e300, "rot_amp": -1e300, "fade_in": 18446744073709551615, "fade_out": -9223372036854775807,
        "trans_x": 250}})"));
    EXPECT_TRUE(applied.warnings.empty());
    EXPECT_EQ(applied.settings.lag_trans, 2);
    EXPECT_EQ(applied.settings.lag_rot, 3);
    EXPECT_EQ(applied.settings.smooth, -1);
    EXPECT_EQ(applied.settings.amount, 100);
    EXPECT_EQ(applied.settings.trans_amp, INT_MAX);
    EXPECT_EQ(applied.settings.rot_amp, INT_MIN);
    EXPECT_EQ(applied.settings.fade_in, INT_MAX);
    EXPECT_EQ(applied.settings.fade_out, INT_MIN);
    EXPECT_EQ(applied.settings.trans_x, 250);  // range is the slider's business
}

TEST(PresetRecord, WrongTypedValuesFallBackToDefaultsWithOneWarningEach) {
    const PresetToApply applied = read_preset_record(PresetJson::parse(R"({
        "camera": 12, "source": null,
        "settings": {"lag_trans": "5", "amount": true, "fade_in": null, "rot_z": {"v": 1},
                     "ranges": 10, "mode": 3, "layer_name": ["L"],
                     "translate_enabled": "false", "rotate_enabled": 0, "trans_y": 40}})"));

    EXPECT_FALSE(applied.camera);
    EXPECT_FALSE(applied.source);
    ControlValues expected;
    expected.trans_y = 40;
    EXPECT_EQ(to_json({"", "", applied.settings}), to_json({"", "", expected}));
    EXPECT_EQ(applied.warnings, (std::vector<std::string>{
                                    "Preset value for 'camera' ignored: expected text.",
                                    "Preset value for 'source' ignored: expected text.",
                                    "Preset value for 'lag_trans' ignored: expected a number.",
                                    "Preset value for 'amount' ignored: expected a number.",
                                    "Preset value for 'fade_in' ignored: expected a number.",
                                    "Preset value for 'ranges' ignored: expected text.",
                                    "Preset value for 'mode' ignored: expected text.",
                                    "Preset value for 'layer_name' ignored: expected text.",
                                    "Preset value for 'translate_enabled' ignored: expected true or false.",
                                    "Preset value for 'rotate_enabled' ignored: expected true or false.",
                                    "Preset value for 'rot_z' ignored: expected a number.",
                                }));
}

TEST(PresetRecord, NonFiniteSliderNumbersAreIgnored) {
    PresetJson record;
    record["settings"]["smooth"] = std::numeric_limits<double>::quiet_NaN();
    const PresetToApply applied = read_preset_record(record);
    EXPECT_EQ(applied.settings.smooth, 0);
    EXPECT_EQ(applied.warnings, std::vector<std::string>{"Preset value for 'smooth' ignored: expected a number."});
}

TEST(PresetRecord, RecordOrSettingsOfTheWrongKindApplyAllDefaults) {
    PresetToApply applied = read_preset_record(PresetJson::parse(R"({"camera": "cam", "settings": [1, 2]})"));
    EXPECT_EQ(applied.camera, std::string("cam"));
    EXPECT_EQ(applied.warnings, std::vector<std::string>{"Preset value for 'settings' ignored: expected an object."});
    EXPECT_EQ(to_json({"", "", applied.settings}), to_json(ShakeControls{}));

    applied = read_preset_record(PresetJson::parse("[\"camera\"]"));
    EXPECT_FALSE(applied.camera);
    EXPECT_EQ(applied.warnings, std::vector<std::string>{"Preset ignored: expected an object."});
}

}  // namespace
}  // namespace trembla
