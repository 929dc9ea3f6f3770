// Saving replaces the whole file atomically, keeps the old file on every failure, and keeps a
// copy of a file it replaces that could not be used.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <cmath>
#include <filesystem>
#include <limits>
#include <string>

#include "presets/preset_store.h"
#include "presets/settings_snapshot.h"
#include "scratch_directory.h"

namespace trembla {
namespace {

using testing::read_bytes;
using testing::ScratchDirectory;
using testing::write_bytes;

const std::string kSaveFailed = "Trembla: Failed to save presets: ";

PresetJson two_presets() {
    ShakeControls handheld;
    handheld.camera_field = "shotCam";
    handheld.source_field = "locator1";
    handheld.settings.amount = 140;
    handheld.settings.mode = CameraMode::relax;
    handheld.settings.ranges = "1-50, 80-120";
    ShakeControls quake;
    quake.camera_field = "cam\xC3\xA9ra";  // caméra
    quake.settings.rotate_enabled = false;

    PresetJson presets = PresetJson::object();
    presets["Handheld"] = to_json(handheld);
    presets["\xE5\x9C\xB0\xE9\x9C\x87 quake \xF0\x9F\x8C\x8B"] = to_json(quake);  // 地震 quake 🌋
    return presets;
}

class PresetSave : public ::testing::Test {
protected:
    ScratchDirectory directory;
    std::string path = preset_file_path(directory.path());
    std::string backup = path + ".1.bak";
};

TEST_F(PresetSave, RoundTripKeepsEveryPresetAndNonAsciiNames) {
    const PresetJson presets = two_presets();
    const SavedPresets saved = save_presets(path, presets);
    EXPECT_TRUE(saved.ok);
    EXPECT_TRUE(saved.warnings.empty());

    const LoadedPresets loaded = load_presets(path);
    EXPECT_EQ(loaded.status, PresetFileStatus::loaded);
    EXPECT_EQ(loaded.presets, presets);  // ordered_json equality includes member order
    EXPECT_NE(read_bytes(path).find(R"("\u5730\u9707 quake \ud83c\udf0b": {)"), std::string::npos);
    EXPECT_NE(read_bytes(path).find(R"("camera": "cam\u00e9ra",)"), std::string::npos);
}

TEST_F(PresetSave, ReplacesTheWholeContentAndLeavesNoTemporaryFile) {
    ASSERT_TRUE(save_presets(path, two_presets()).ok);
    ASSERT_TRUE(save_presets(path, PresetJson::object()).ok);
    EXPECT_EQ(read_bytes(path), "{}");
    EXPECT_EQ(directory.listing(), "trembla_presets.json;");
}

TEST_F(PresetSave, KeepsTheFilesPermissionsAndFollowsALink) {
    const std::string real = directory.file("real.json");
    write_bytes(real, "{}");
    ::chmod(real.c_str(), 0640);
    std::filesystem::create_symlink(real, path);

    ASSERT_TRUE(save_presets(path, two_presets()).ok);
    EXPECT_TRUE(std::filesystem::is_symlink(path));
    EXPECT_EQ(load_presets(real).presets, two_presets());
    struct stat status {};
    ASSERT_EQ(::stat(real.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0640u);
}

TEST_F(PresetSave, MissingDirectoryIsNotCreatedAndTheSaveFails) {
    const std::string missing = directory.file("no_such_dir");
    const SavedPresets saved = save_presets(preset_file_path(missing), two_presets());
    EXPECT_FALSE(saved.ok);
    ASSERT_EQ(saved.warnings.size(), 1u);
    EXPECT_EQ(saved.warnings[0], kSaveFailed + "cannot create the lock file '" + missing +
                                     "/trembla_presets.json.lock': the folder does not exist");
    EXPECT_FALSE(std::filesystem::exists(missing));
}

TEST_F(PresetSave, TargetThatIsADirectoryStaysAndTheSaveFails) {
    std::filesystem::create_directory(path);
    write_bytes(directory.file("trembla_presets.json/inside"), "kept");

    const SavedPresets saved = save_presets(path, two_presets());
    EXPECT_FALSE(saved.ok);
    ASSERT_EQ(saved.warnings.size(), 1u);
    EXPECT_EQ(saved.warnings[0].rfind(kSaveFailed + "cannot replace '" + path + "': ", 0), 0u) << saved.warnings[0];
    EXPECT_EQ(read_bytes(directory.file("trembla_presets.json/inside")), "kept");
    EXPECT_EQ(directory.listing(), "trembla_presets.json;");
}

// Running as root, permission bits stop nothing; a file size limit makes the write itself fail.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &old_);
        old_handler_ = ::signal(SIGXFSZ, SIG_IGN);
        rlimit limited = old_;
        limited.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &old_);
        ::signal(SIGXFSZ, old_handler_);
    }

private:
    rlimit old_{};
    void (*old_handler_)(int) = nullptr;
};

TEST_F(PresetSave, FailedWriteKeepsTheOldFileExactly) {
    ASSERT_TRUE(save_presets(path, PresetJson::parse(R"({"old": {}})")).ok);
    const std::string before = read_bytes(path);

    SavedPresets saved;
    {
        FileSizeLimit limit(512);  // room for the lock file, not for the presets
        saved = save_presets(path, two_presets());
    }
    EXPECT_FALSE(saved.ok);
    ASSERT_EQ(saved.warnings.size(), 1u);
    EXPECT_EQ(saved.warnings[0].rfind(kSaveFailed + "cannot write '", 0), 0u) << saved.warnings[0];
    EXPECT_NE(saved.warnings[0].find("File too large"), std::string::npos) << saved.warnings[0];
    EXPECT_EQ(read_bytes(path), before);
    EXPECT_EQ(directory.listing(), "trembla_presets.json;");
}

TEST_F(PresetSave, NonFiniteNumbersRefuseTheSave) {
    write_bytes(path, "{}");
    PresetJson presets = two_presets();
    presets["Handheld"]["settings"]["amount"] = std::numeric_limits<double>::infinity();

    const SavedPresets saved = save_presets(path, presets);
    EXPECT_FALSE(saved.ok);
    EXPECT_EQ(saved.warnings,
              std::vector<std::string>{kSaveFailed + "cannot write a number that is not finite (NaN or infinity) "
                                                     "at /Handheld/settings/amount"});
    EXPECT_EQ(read_bytes(path), "{}");
}

TEST_F(PresetSave, PresetsThatALoadWouldRejectAreNotWritten) {
    const SavedPresets saved = save_presets(path, PresetJson::parse(R"({"a": {"settings": 3}})"));
    EXPECT_FALSE(saved.ok);
    ASSERT_EQ(saved.warnings.size(), 1u);
    EXPECT_EQ(saved.warnings[0].rfind(kSaveFailed + "cannot write presets that a load would reject", 0), 0u);
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(PresetSave, RejectedFileIsCopiedAsideUnderTheNextNumberKeepingEarlierCopies) {
    const std::string hand_edited = "{\"Handheld\": {\"settings\": {\"amount\": 120,}}}\n";  // one stray comma
    write_bytes(path, hand_edited);
    write_bytes(backup, "an older backup");
    const std::string next_backup = path + ".2.bak";

    LoadedPresets loaded = load_presets(path);
    ASSERT_EQ(loaded.status, PresetFileStatus::unparsable);
    loaded.presets["New"] = to_json(ShakeControls{});
    const SavedPresets saved = save_presets(path, loaded.presets, existing_file_rule(loaded));

    EXPECT_TRUE(saved.ok);
    EXPECT_EQ(saved.warnings,
              std::vector<std::string>{"Trembla: Kept a copy of the unusable preset file as " + next_backup});
    EXPECT_EQ(read_bytes(next_backup), hand_edited);
    EXPECT_EQ(read_bytes(backup), "an older backup");
    EXPECT_EQ(load_presets(path).presets, loaded.presets);
    EXPECT_EQ(directory.listing(), "trembla_presets.json;trembla_presets.json.1.bak;trembla_presets.json.2.bak;");
}

TEST_F(PresetSave, WrongStructureIsBackedUpToo) {
    write_bytes(path, "[\"not\", \"presets\"]");
    LoadedPresets loaded = load_presets(path);
    ASSERT_EQ(loaded.status, PresetFileStatus::invalid_structure);
    EXPECT_TRUE(save_presets(path, loaded.presets, existing_file_rule(loaded)).ok);
    EXPECT_EQ(read_bytes(backup), "[\"not\", \"presets\"]");
    EXPECT_EQ(read_bytes(path), "{}");
}

TEST_F(PresetSave, AScriptsSaveCopiesExactlyTheFilesALoadWouldReject) {
    struct Case {
        const char* text;
        bool copied;
    };
    const Case cases[] = {
        {"{}", false},
        {R"({"a": {"settings": {"amount": 1}}, "b": {}})", false},
        {R"({"a": {"camera": {"settings": 1}, "list": [{"settings": 2}]}})", false},  // only a record's own
        {R"({"a": {"settings": 1}})", true},
        {R"({"a": 1})", true},
        {"[]", true},
        {"{oops", true},
        {"", true},
    };
    for (const Case& c : cases) {
        ScratchDirectory here;
        const std::string file = preset_file_path(here.path());
        write_bytes(file, c.text);
        EXPECT_EQ(load_presets(file).status == PresetFileStatus::loaded, !c.copied) << c.text;
        ASSERT_TRUE(save_presets(file, two_presets(), ExistingPresetFile::back_up_if_unusable).ok) << c.text;
        EXPECT_EQ(preset_backups(file).size(), c.copied ? 1u : 0u) << c.text;
    }
}

TEST_F(PresetSave, UsableOrMissingFilesAreNotBackedUp) {
    LoadedPresets loaded = load_presets(path);
    ASSERT_TRUE(save_presets(path, two_presets(), existing_file_rule(loaded)).ok);
    loaded = load_presets(path);
    ASSERT_EQ(loaded.status, PresetFileStatus::loaded);
    loaded.presets.erase("Handheld");
    ASSERT_TRUE(save_presets(path, loaded.presets, existing_file_rule(loaded)).ok);
    EXPECT_FALSE(std::filesystem::exists(backup));
}

TEST_F(PresetSave, FileGoneSinceTheLoadNeedsNoBackup) {
    write_bytes(path, "{broken");
    const LoadedPresets loaded = load_presets(path);
    std::filesystem::remove(path);
    const SavedPresets saved = save_presets(path, loaded.presets, existing_file_rule(loaded));
    EXPECT_TRUE(saved.ok);
    EXPECT_TRUE(saved.warnings.empty());
    EXPECT_FALSE(std::filesystem::exists(backup));
}

TEST_F(PresetSave, UnreadableFileThatCannotBeCopiedIsNotReplaced) {
    std::filesystem::create_directory(path);
    const LoadedPresets loaded = load_presets(path);
    ASSERT_EQ(loaded.status, PresetFileStatus::unreadable);

    const SavedPresets saved = save_presets(path, two_presets(), existing_file_rule(loaded));
    EXPECT_FALSE(saved.ok);
    EXPECT_EQ(saved.warnings,
              std::vector<std::string>{kSaveFailed + "cannot keep a copy of the unusable preset file: cannot read '" +
                                       path + "': Is a directory"});
    EXPECT_TRUE(std::filesystem::is_directory(path));
    EXPECT_EQ(directory.listing(), "trembla_presets.json;");
}

}  // namespace
}  // namespace trembla
