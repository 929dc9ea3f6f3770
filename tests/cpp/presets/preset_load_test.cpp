// Locating, validating and loading the preset file: every outcome and its message.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "presets/preset_store.h"
#include "scratch_directory.h"

namespace trembla {
namespace {

using testing::ScratchDirectory;
using testing::write_bytes;

TEST(PresetPaths, FileNameIsJoinedWithOneSeparator) {
    EXPECT_EQ(preset_file_path("/home/anim/maya/scripts"), "/home/anim/maya/scripts/trembla_presets.json");
    EXPECT_EQ(preset_file_path("/home/anim/maya/scripts/"), "/home/anim/maya/scripts/trembla_presets.json");
    EXPECT_EQ(preset_file_path(""), "trembla_presets.json");
}

TEST(PresetPaths, FallbackDropsEveryTrailingSlash) {
    EXPECT_EQ(script_directory_fallback("/home/anim/maya/scripts///"), "/home/anim/maya/scripts");
    EXPECT_EQ(script_directory_fallback("/home/anim/maya/scripts"), "/home/anim/maya/scripts");
    EXPECT_EQ(script_directory_fallback("/"), "");
}

TEST(PresetValidation, AcceptsObjectsOfRecordsWithOptionalObjectSettings) {
    EXPECT_TRUE(validate_preset_data(PresetJson::parse("{}")));
    EXPECT_TRUE(validate_preset_data(PresetJson::parse(R"({"a": {}, "b": {"camera": 5, "settings": {}}})")));
    EXPECT_TRUE(validate_preset_data(PresetJson::parse(R"({"a": {"settings": {"amount": "loud"}}})")));
}

TEST(PresetValidation, RejectsAnyOtherShape) {
    for (const char* text :
         {"[]", "\"presets\"", "3", "null", R"({"good": {}, "bad": 1})", R"({"a": []})", R"({"a": {"settings": null}})",
          R"({"a": {"settings": 3}})", R"({"a": {"settings": []}})"}) {
        EXPECT_FALSE(validate_preset_data(PresetJson::parse(text))) << text;
    }
}

class PresetLoad : public ::testing::Test {
protected:
    ScratchDirectory directory;
    std::string path = preset_file_path(directory.path());
};

TEST_F(PresetLoad, NoFileGivesNoPresetsAndNoMessage) {
    const LoadedPresets loaded = load_presets(path);
    EXPECT_EQ(loaded.status, PresetFileStatus::missing);
    EXPECT_EQ(loaded.presets, PresetJson::object());
    EXPECT_FALSE(loaded.warning);
}

TEST_F(PresetLoad, EmptyObjectIsValidAndSilent) {
    write_bytes(path, "{}");
    const LoadedPresets loaded = load_presets(path);
    EXPECT_EQ(loaded.status, PresetFileStatus::loaded);
    EXPECT_TRUE(loaded.presets.is_object());
    EXPECT_TRUE(loaded.presets.empty());
    EXPECT_FALSE(loaded.warning);
}

TEST_F(PresetLoad, KeepsMemberOrderAsWritten) {
    write_bytes(path, R"({"zeta": {"settings": {"rot_z": 1, "amount": 2}}, "alpha": {}, "Mid": {}})");
    const LoadedPresets loaded = load_presets(path);
    std::vector<std::string> names;
    for (const auto& member : loaded.presets.items()) names.push_back(member.key());
    EXPECT_EQ(names, (std::vector<std::string>{"zeta", "alpha", "Mid"}));
    EXPECT_EQ(loaded.presets["zeta"]["settings"].begin().key(), "rot_z");
}

TEST_F(PresetLoad, ByteOrderMarkOfWindowsEditorsIsAccepted) {
    write_bytes(path, "\xEF\xBB\xBF{\"a\": {}}");
    const LoadedPresets loaded = load_presets(path);
    EXPECT_EQ(loaded.status, PresetFileStatus::loaded);
    EXPECT_EQ(loaded.presets, PresetJson::parse(R"({"a": {}})"));
}

TEST_F(PresetLoad, WrongStructureRejectsTheWholeFile) {
    for (const char* text :
         {"[1, 2]", "\"text\"", "12", R"({"good": {"settings": {}}, "bad": 7})", R"({"a": {"settings": null}})"}) {
        write_bytes(path, text);
        const LoadedPresets loaded = load_presets(path);
        EXPECT_EQ(loaded.status, PresetFileStatus::invalid_structure) << text;
        EXPECT_EQ(loaded.presets, PresetJson::object()) << text;
        EXPECT_EQ(loaded.warning, std::string("Trembla: Preset file has invalid structure.")) << text;
    }
}

TEST_F(PresetLoad, TextThatIsNotJsonGivesTheParseWarning) {
    const std::string cases[] = {
        "",                                    // empty file
        R"({"a": {"settings": {"amount": 1)",  // cut off
        "{\"caf\xC3\": {}}",                   // not UTF-8
        "{\"a\": {}} trailing",
        "{\"a\": {\"x\": NaN}}",
    };
    for (const std::string& text : cases) {
        write_bytes(path, text);
        const LoadedPresets loaded = load_presets(path);
        EXPECT_EQ(loaded.status, PresetFileStatus::unparsable) << text;
        EXPECT_EQ(loaded.presets, PresetJson::object()) << text;
        ASSERT_TRUE(loaded.warning) << text;
        EXPECT_EQ(loaded.warning->rfind("Trembla: Failed to parse presets file: parse error at line 1", 0), 0u)
            << *loaded.warning;
    }
}

TEST_F(PresetLoad, NestingTooDeepToWriteBackIsRefusedAsUnparsable) {
    write_bytes(path, "{\"a\": {\"x\": " + std::string(600, '[') + std::string(600, ']') + "}}");
    const LoadedPresets loaded = load_presets(path);
    EXPECT_EQ(loaded.status, PresetFileStatus::unparsable);
    EXPECT_EQ(loaded.warning, std::string("Trembla: Failed to parse presets file: nesting deeper than 512 levels"));
}

TEST_F(PresetLoad, PathThatCannotBeReadGivesTheLoadWarning) {
    std::filesystem::create_directory(path);
    const LoadedPresets loaded = load_presets(path);
    EXPECT_EQ(loaded.status, PresetFileStatus::unreadable);
    EXPECT_EQ(loaded.presets, PresetJson::object());
    EXPECT_EQ(loaded.warning, "Trembla: Failed to load presets: cannot read '" + path + "': Is a directory");
}

TEST_F(PresetLoad, ListNamesAreExactlyTheNamesAndWarningOfAFullLoad) {
    for (const char* text : {"{}", R"({"b": {}, "B": {"settings": {}}, "a": {"x": [{"settings": 1}]}})",
                             R"({"a": {}, "b": {}, "a": {"camera": "c"}})",
                             R"({"a": 1, "b": {}, "a": {}})",  // a name given twice, first to a non-object
                             R"({"a": {}, "b": 2})", R"({"a": {"settings": []}})", "[]", "{oops", ""}) {
        write_bytes(path, text);
        const LoadedPresets loaded = load_presets(path);
        const LoadedPresetNames names = load_preset_names(path);
        EXPECT_EQ(names.names, preset_names_in_list_order(loaded.presets)) << text;
        EXPECT_EQ(names.warning, loaded.warning) << text;
    }
    std::filesystem::remove(path);
    EXPECT_EQ(load_preset_names(path).names, std::vector<std::string>{});
    EXPECT_FALSE(load_preset_names(path).warning);
}

TEST(PresetBackupRule, OnlyFilesThatCouldNotBeUsedAreBackedUp) {
    LoadedPresets loaded;
    for (auto status : {PresetFileStatus::missing, PresetFileStatus::loaded}) {
        loaded.status = status;
        EXPECT_EQ(existing_file_rule(loaded), ExistingPresetFile::replace);
    }
    for (auto status :
         {PresetFileStatus::unreadable, PresetFileStatus::unparsable, PresetFileStatus::invalid_structure}) {
        loaded.status = status;
        EXPECT_EQ(existing_file_rule(loaded), ExistingPresetFile::back_up_then_replace);
    }
}

TEST(PresetList, NamesSortByCharacterCode) {
    const PresetJson presets =
        PresetJson::parse("{\"b\": {}, \"\xC3\xA9t\xC3\xA9\": {}, \"B\": {}, \"a\": {}, \"z\": {}}");
    EXPECT_EQ(preset_names_in_list_order(presets), (std::vector<std::string>{"B", "a", "b", "z", "\xC3\xA9t\xC3\xA9"}));
}

}  // namespace
}  // namespace trembla
