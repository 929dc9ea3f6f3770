// Presets beyond the user's own file: the shared folders' list, which preset a name shows, what an
// import changes, and which other release's file a new build is offered.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "presets/preset_store.h"
#include "presets/shared_presets.h"
#include "scratch_directory.h"

namespace trembla {
namespace {

using testing::ScratchDirectory;
using testing::write_bytes;
using Names = std::vector<std::string>;

TEST(PresetPathFolders, SplitsOnTheSeparatorSkippingEmptyAndRepeatedEntries) {
    const struct {
        const char* value;
        char separator;
        Names folders;
    } cases[] = {
        {"", ':', {}},
        {"/studio/presets", ':', {"/studio/presets"}},
        {"/a:/b", ':', {"/a", "/b"}},
        {":/a::/b:", ':', {"/a", "/b"}},
        {"/a:/b:/a", ':', {"/a", "/b"}},
        {"C:\\presets;\\\\server\\share", ';', {"C:\\presets", "\\\\server\\share"}},  // ':' is no separator there
    };
    for (const auto& c : cases) EXPECT_EQ(preset_path_folders(c.value, c.separator), c.folders) << c.value;
}

TEST(ListedPresets, UserPresetsComeFirstAndHideSharedOnesOfTheSameName) {
    const std::vector<std::pair<std::string, Names>> shared = {{"/show", {"b", "shake", "Aa"}},
                                                               {"/studio", {"shake", "a", "zz"}}};
    const std::vector<ListedPreset> expected = {
        {"shake", std::nullopt}, {"zz", std::nullopt}, {"Aa", "/show"}, {"a", "/studio"}, {"b", "/show"}};
    EXPECT_EQ(listed_presets({"shake", "zz"}, shared), expected);
    // Without presets of the user's the first folder that holds a name wins.
    EXPECT_EQ(listed_presets({}, shared)[3], (ListedPreset{"shake", std::string("/show")}));  // Aa a b shake zz
}

TEST(ImportPlan, AddsNewNamesAndReplacesDifferentRecordsOnlyWhenAsked) {
    const PresetJson current = PresetJson::parse(R"({"keep": {"camera": "a"}, "same": {"camera": "s"}})");
    const PresetJson incoming =
        PresetJson::parse(R"({"keep": {"camera": "b"}, "same": {"camera": "s"}, "new": {"camera": "n"}})");
    const ImportPlan plan = plan_import(current, incoming);
    EXPECT_EQ(plan.added, Names{"new"});
    EXPECT_EQ(plan.replaced, Names{"keep"});
    const struct {
        bool replace;
        int changed;
        const char* keep;
    } cases[] = {{false, 1, "a"}, {true, 2, "b"}};
    for (const auto& c : cases) {
        PresetJson merged = current;
        EXPECT_EQ(merge_presets(merged, incoming, c.replace), c.changed);
        EXPECT_EQ(merged.at("keep").at("camera"), c.keep);
        EXPECT_EQ(merged.size(), 3u);
    }
}

TEST(ReleaseFolders, OnlyThePackagesFolderNamesCount) {
    for (const char* name : {"linux-maya2024-py310", "win64-maya2019-py27", "mac-maya2025-py311"}) {
        EXPECT_TRUE(is_release_folder_name(name)) << name;
    }
    for (const char* name : {"", "scripts", "maya2024-py310", "-maya2024-py310", "linux-maya2024", "linux-mayaX-py3",
                             "linux-maya2024-py", "trembla_presets_abc"}) {
        EXPECT_FALSE(is_release_folder_name(name)) << name;
    }
}

TEST(ReleaseFolders, OffersTheNewestOtherReleaseThatHoldsPresets) {
    const struct {
        Names with_presets;
        Names empty_files;
        const char* offered;  // nullptr: nothing
    } cases[] = {
        {{}, {}, nullptr},
        {{"linux-maya2023-py39"}, {}, "linux-maya2023-py39"},
        {{"linux-maya2023-py39", "linux-maya2022-py37"}, {}, "linux-maya2023-py39"},
        {{"linux-maya2022-py37"}, {"linux-maya2023-py39"}, "linux-maya2022-py37"},  // "{}" offers nothing
        {{"not-a-release"}, {}, nullptr},
    };
    for (const auto& c : cases) {
        ScratchDirectory package;
        const std::string own = package.file("linux-maya2024-py310");
        std::filesystem::create_directory(own);
        for (const Names* names : {&c.with_presets, &c.empty_files}) {
            for (const std::string& name : *names) {
                std::filesystem::create_directory(package.file(name));
                write_bytes(preset_file_path(package.file(name)),
                            names == &c.with_presets ? R"({"handheld": {}})" : "{}");
            }
        }
        const std::optional<std::string> offered = other_release_preset_file(own);
        if (c.offered == nullptr) {
            EXPECT_FALSE(offered) << *offered;
        } else {
            EXPECT_EQ(offered, preset_file_path(package.file(c.offered)));
        }
    }
    // A module outside a release folder (a build tree, a test's folder) is offered nothing.
    ScratchDirectory other;
    std::filesystem::create_directory(other.file("linux-maya2023-py39"));
    write_bytes(preset_file_path(other.file("linux-maya2023-py39")), R"({"a": {}})");
    EXPECT_FALSE(other_release_preset_file(other.file("build")));
}

}  // namespace
}  // namespace trembla
