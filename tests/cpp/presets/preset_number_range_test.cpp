// A preset file with a number that no double can hold: found by fuzzing the loader, where it was
// reported as a file that cannot be opened, with the JSON library's raw error text.
#include <gtest/gtest.h>

#include <string>

#include "presets/preset_store.h"
#include "scratch_directory.h"

namespace trembla {
namespace {

using testing::ScratchDirectory;
using testing::write_bytes;

TEST(PresetLoadNumbers, NumberBeyondTheDoubleRangeIsAParseFailure) {
    ScratchDirectory directory;
    const std::string path = preset_file_path(directory.path());
    for (const char* text : {"-1e400", R"({"Handheld": {"settings": {"amount": 1e400}}})"}) {
        write_bytes(path, text);
        const LoadedPresets loaded = load_presets(path);
        EXPECT_EQ(loaded.status, PresetFileStatus::unparsable) << text;
        EXPECT_EQ(loaded.presets, PresetJson::object()) << text;
        ASSERT_TRUE(loaded.warning) << text;
        EXPECT_EQ(loaded.warning->rfind("Trembla: Failed to parse presets file: number overflow parsing '", 0), 0u)
            << *loaded.warning;
    }
}

TEST(PresetLoadNumbers, LargestFiniteNumbersStillLoad) {
    ScratchDirectory directory;
    const std::string path = preset_file_path(directory.path());
    write_bytes(path, R"({"Handheld": {"settings": {"amount": 1.7976931348623157e308, "smooth": -1e308}}})");
    const LoadedPresets loaded = load_presets(path);
    EXPECT_EQ(loaded.status, PresetFileStatus::loaded);
    EXPECT_FALSE(loaded.warning);
}

}  // namespace
}  // namespace trembla
