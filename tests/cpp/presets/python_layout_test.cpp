// The preset file must read exactly as Python's json.dump(presets, f, indent=2) writes it, so a
// file is the same whichever build wrote it. Expected texts were produced by Python 3.11.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <stdexcept>

#include "presets/preset_json.h"
#include "presets/settings_snapshot.h"

namespace trembla {
namespace {

TEST(PythonLayout, SnapshotPresetIsIndentedByTwoWithOneMemberPerLine) {
    ShakeControls snapshot;
    snapshot.camera_field = "camShape";
    snapshot.source_field = "shaker";
    PresetJson presets = PresetJson::object();
    presets["Handheld"] = to_json(snapshot);

    EXPECT_EQ(dump_like_python(presets), R"({
  "Handheld": {
    "camera": "camShape",
    "source": "shaker",
    "settings": {
      "lag_trans": 0,
      "lag_rot": 0,
      "smooth": 0,
      "amount": 100,
      "trans_amp": 100,
      "rot_amp": 100,
      "fade_in": 3,
      "fade_out": 3,
      "ranges": "",
      "mode": "static",
      "layer_name": "trembla_layer",
      "translate_enabled": true,
      "rotate_enabled": true,
      "trans_x": 100,
      "trans_y": 100,
      "trans_z": 100,
      "rot_x": 100,
      "rot_y": 100,
      "rot_z": 100,
      "speed": 100
    }
  }
})");
}

TEST(PythonLayout, EmptyContainersStayOnOneLine) {
    EXPECT_EQ(dump_like_python(PresetJson::object()), "{}");
    EXPECT_EQ(dump_like_python(PresetJson::array()), "[]");
}

TEST(PythonLayout, NonAsciiAndControlCharactersAreEscapedLikeEnsureAscii) {
    const PresetJson presets = PresetJson::parse(
        "{\"Cam\xC3\xA9ra \xE6\x9D\xB1\xE4\xBA\xAC \xF0\x9F\x98\x80\": {\"camera\": \"\\u007f\\t\\n\\\"\\\\/\\u0001\","
        " \"settings\": {}, \"list\": [], \"nested\": [1, [2, {}], -3.5, null, false]}}");

    EXPECT_EQ(dump_like_python(presets), R"({
  "Cam\u00e9ra \u6771\u4eac \ud83d\ude00": {
    "camera": "\u007f\t\n\"\\/\u0001",
    "settings": {},
    "list": [],
    "nested": [
      1,
      [
        2,
        {}
      ],
      -3.5,
      null,
      false
    ]
  }
})");
}

TEST(PythonLayout, NumbersAreWrittenAsPythonsRepr) {
    PresetJson numbers = PresetJson::array();
    for (double value : {0.1, 1e15, 1e16, 1e-05, 0.0001, -0.0, 0.0, 5e-324, 1.7976931348623157e+308, 123456789.0,
                         1.5e+300, 2.5e-10, 468.00327462525547, -1393520913245595.2}) {
        numbers.push_back(value);
    }
    numbers.push_back(std::numeric_limits<std::uint64_t>::max());
    numbers.push_back(std::numeric_limits<std::int64_t>::min());
    PresetJson presets = PresetJson::object();
    presets["f"]["a"] = numbers;

    // 468.0032746252555 and -1393520913245595.2 are where nlohmann's own dump differs.
    EXPECT_EQ(dump_like_python(presets), R"({
  "f": {
    "a": [
      0.1,
      1000000000000000.0,
      1e+16,
      1e-05,
      0.0001,
      -0.0,
      0.0,
      5e-324,
      1.7976931348623157e+308,
      123456789.0,
      1.5e+300,
      2.5e-10,
      468.0032746252555,
      -1393520913245595.2,
      18446744073709551615,
      -9223372036854775808
    ]
  }
})");
}

TEST(PythonLayout, RefusesWhatJsonCannotHoldAndSaysWhere) {
    PresetJson presets = PresetJson::object();
    presets["a/b"]["settings"]["amount"] = std::numeric_limits<double>::quiet_NaN();
    try {
        dump_like_python(presets);
        FAIL() << "NaN was written";
    } catch (const std::invalid_argument& error) {
        EXPECT_STREQ(error.what(), "a number that is not finite (NaN or infinity) at /a~1b/settings/amount");
    }

    presets["a/b"]["settings"]["amount"] = -std::numeric_limits<double>::infinity();
    EXPECT_THROW(dump_like_python(presets), std::invalid_argument);

    PresetJson bad_text = PresetJson::object();
    bad_text["p"]["camera"] = std::string("cam\xC3");  // cut-off sequence
    EXPECT_THROW(dump_like_python(bad_text), std::invalid_argument);
    bad_text["p"]["camera"] = std::string("\xED\xA0\x80");  // an encoded surrogate
    EXPECT_THROW(dump_like_python(bad_text), std::invalid_argument);
    bad_text["p"]["camera"] = std::string("\xC0\xAF");  // overlong "/"
    EXPECT_THROW(dump_like_python(bad_text), std::invalid_argument);
}

TEST(PythonLayout, NestingDepthIgnoresBracketsInsideStrings) {
    EXPECT_EQ(json_text_nesting_depth("{}"), 1);
    EXPECT_EQ(json_text_nesting_depth(R"({"a": [[{}]], "b": "[[[[\"{{{"})"), 4);
    EXPECT_EQ(json_text_nesting_depth("42"), 0);
}

}  // namespace
}  // namespace trembla
