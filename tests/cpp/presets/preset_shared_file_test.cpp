// A preset file shared by several host sessions and found in odd states: saves are one
// read-modify-write under a lock, leftovers of dead hosts are cleaned up, and anything but a
// regular file (or one too large) is refused with one description and left exactly as it was.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "presets/atomic_file.h"
#include "presets/preset_lock.h"
#include "presets/preset_store.h"
#include "scratch_directory.h"

namespace trembla {
namespace {

using testing::read_bytes;
using testing::ScratchDirectory;
using testing::write_bytes;

const std::string kSaveFailed = "Trembla: Failed to save presets: ";
const std::string kLoadFailed = "Trembla: Failed to load presets: ";
const std::string kNoCopy = "cannot keep a copy of the unusable preset file: ";

// What is at each entry of a directory: its kind, a link's text, a file's bytes.
std::map<std::string, std::string> snapshot(const std::string& directory) {
    std::map<std::string, std::string> entries;
    for (const auto& entry : std::filesystem::directory_iterator(directory)) {
        const std::string path = entry.path().string();
        const auto status = std::filesystem::symlink_status(path);
        std::string state = std::to_string(static_cast<int>(status.type()));
        if (std::filesystem::is_symlink(status)) state += " -> " + std::filesystem::read_symlink(path).string();
        if (std::filesystem::is_regular_file(status)) {
            const auto size = std::filesystem::file_size(path);
            state += " " + std::to_string(size) + " " + (size < 4096 ? read_bytes(path) : std::string());
        }
        entries[entry.path().filename().string()] = state;
    }
    return entries;
}

PresetJson one_preset(const std::string& name) {
    PresetJson presets = PresetJson::object();
    presets[name] = PresetJson::parse(R"({"camera": "cam", "settings": {"amount": 120}})");
    return presets;
}

bool add_preset(PresetJson& presets, const std::string& name) {
    presets[name] = PresetJson::object();
    return true;
}

// A process id that no process has any more.
pid_t dead_pid() {
    const pid_t child = ::fork();
    if (child == 0) ::_exit(0);
    ::waitpid(child, nullptr, 0);
    return child;
}

std::string host_name() {
    char buffer[256] = {};
    ::gethostname(buffer, sizeof buffer - 1);
    return buffer;
}

// Runs `body` in a child process and returns its exit status (0 when it succeeded).
int in_child(const std::function<int()>& body) {
    const pid_t child = ::fork();
    if (child == 0) ::_exit(body());
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

class SharedPresetFile : public ::testing::Test {
protected:
    ScratchDirectory directory;
    std::string path = preset_file_path(directory.path());
};

TEST_F(SharedPresetFile, TwoProcessesSavingAndDeletingAtOnceKeepEachOthersPresets) {
    constexpr int kSaves = 100;
    const auto session = [&](const std::string& prefix) {
        return [&, prefix]() {
            for (int i = 0; i < kSaves; ++i) {
                const std::string name = prefix + std::to_string(i);
                if (!update_presets(path, [&](PresetJson& p) { return add_preset(p, name); }).ok) return 1;
                if (i % 3 == 0 && !update_presets(path, [&](PresetJson& p) { return p.erase(name) == 1; }).ok) return 2;
            }
            return 0;
        };
    };
    pid_t children[2];
    const char* prefixes[2] = {"first ", "second "};
    for (int c = 0; c < 2; ++c) {
        children[c] = ::fork();
        if (children[c] == 0) ::_exit(session(prefixes[c])());
    }
    for (pid_t child : children) {
        int status = 0;
        ::waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    }

    std::set<std::string> expected;
    for (const char* prefix : prefixes) {
        for (int i = 0; i < kSaves; ++i) {
            if (i % 3 != 0) expected.insert(prefix + std::to_string(i));
        }
    }
    const LoadedPresets loaded = load_presets(path);
    ASSERT_EQ(loaded.status, PresetFileStatus::loaded);
    std::set<std::string> names;
    for (const auto& member : loaded.presets.items()) names.insert(member.key());
    EXPECT_EQ(names, expected);
    EXPECT_EQ(directory.listing(), "trembla_presets.json;");
}

TEST_F(SharedPresetFile, ALockLeftByAKilledHostDoesNotStopTheNextSave) {
    ASSERT_EQ(in_child([&] {
                  const PresetFileLock lock(preset_lock_path(path));
                  ::_exit(lock.failure() ? 1 : 0);  // gone without unlocking
                  return 0;
              }),
              0);
    ASSERT_TRUE(std::filesystem::exists(path + ".lock"));

    const auto start = std::chrono::steady_clock::now();
    const PresetUpdate update = update_presets(path, [](PresetJson& p) { return add_preset(p, "after"); });
    EXPECT_TRUE(update.ok) << (update.warnings.empty() ? "" : update.warnings[0]);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(kPresetLockWaitMs / 2));
    EXPECT_EQ(directory.listing(), "trembla_presets.json;");
}

// Anything but a regular file at the lock path: QLockFile would read a FIFO or /dev/zero for ever,
// or wait on a folder or a dangling link as if another session held it. Each save says what is
// there at once and leaves it alone. Run in a child with an alarm, so that a hang fails the case.
TEST_F(SharedPresetFile, ALockPathThatIsNoRegularFileFailsEachSaveAtOnceNamingIt) {
    const std::string lock = preset_lock_path(path);
    const struct {
        const char* what;
        std::function<void()> make;
        std::string reason;
    } cases[] = {
        {"FIFO", [&] { ::mkfifo(lock.c_str(), 0644); }, "is a FIFO, not a regular file"},
        {"link to /dev/zero", [&] { ::symlink("/dev/zero", lock.c_str()); },
         "is a link to '/dev/zero', not a regular file"},
        {"folder", [&] { ::mkdir(lock.c_str(), 0755); }, "is a directory, not a regular file"},
        {"dangling link", [&] { ::symlink("gone", lock.c_str()); }, "is a link to 'gone', not a regular file"},
    };
    for (const auto& odd : cases) {
        SCOPED_TRACE(odd.what);
        std::filesystem::remove(lock);
        odd.make();
        const auto before = snapshot(directory.path());
        const std::string expected = kSaveFailed + "the lock file '" + lock + "' " + odd.reason;
        EXPECT_EQ(in_child([&] {
                      ::alarm(5);
                      for (int i = 0; i < 2; ++i) {
                          const SavedPresets saved = save_presets(path, one_preset("p"), ExistingPresetFile::replace);
                          const PresetUpdate update =
                              update_presets(path, [](PresetJson& p) { return add_preset(p, "q"); });
                          if (saved.ok || saved.warnings != std::vector<std::string>{expected}) return 1;
                          if (update.ok || update.warnings != std::vector<std::string>{expected}) return 2;
                      }
                      return 0;
                  }),
                  0);
        EXPECT_EQ(snapshot(directory.path()), before);
    }
}

TEST_F(SharedPresetFile, DeletingANameAnotherSessionRemovedWritesNothing) {
    ASSERT_TRUE(save_presets(path, one_preset("kept")).ok);
    const std::string before = read_bytes(path);
    const PresetUpdate update = update_presets(path, [](PresetJson& p) { return p.erase("gone") == 1; });
    EXPECT_TRUE(update.ok);
    EXPECT_FALSE(update.changed);
    EXPECT_TRUE(update.warnings.empty());
    EXPECT_EQ(read_bytes(path), before);
}

TEST_F(SharedPresetFile, TemporaryFilesOfDeadProcessesOfThisMachineAreRemovedOnTheNextSave) {
    const std::string dead = std::to_string(dead_pid());
    const std::string live = std::to_string(::getppid());
    const std::string stem = ".trembla_presets.json.tmp-";
    struct Case {
        std::string name;
        bool removed;
    };
    const Case cases[] = {
        {stem + host_name() + "-" + dead + "-0", true},
        {stem + dead + "-7", true},  // as earlier versions named them
        {stem + host_name() + "-" + live + "-0", false},
        {stem + "other-workstation-" + dead + "-0", false},  // liveness cannot be judged there
        {stem + "not-ours", false},
        {".other_file.tmp-" + dead + "-0", false},
    };
    for (const Case& c : cases) write_bytes(directory.file(c.name), "partial");

    ASSERT_TRUE(save_presets(path, one_preset("a")).ok);
    for (const Case& c : cases) {
        EXPECT_EQ(std::filesystem::exists(directory.file(c.name)), !c.removed) << c.name;
    }
}

TEST_F(SharedPresetFile, EveryUnusableFileIsKeptUnderANewNumberAndOnlyTheNewestTenStay) {
    for (int save = 1; save <= 12; ++save) {
        write_bytes(path, "{broken " + std::to_string(save));
        const PresetUpdate update = update_presets(path, [](PresetJson& p) { return add_preset(p, "x"); });
        ASSERT_TRUE(update.ok);
        EXPECT_EQ(update.warnings.back(),
                  "Trembla: Kept a copy of the unusable preset file as " + path + "." + std::to_string(save) + ".bak");
    }
    const std::vector<std::string> backups = preset_backups(path);
    ASSERT_EQ(backups.size(), static_cast<std::size_t>(kPresetBackupsKept));
    for (int i = 0; i < kPresetBackupsKept; ++i) {
        const int number = i + 3;
        EXPECT_EQ(backups[i], path + "." + std::to_string(number) + ".bak");
        EXPECT_EQ(read_bytes(backups[i]), "{broken " + std::to_string(number));
    }
}

// Something other than a regular file at the path: a load says what it is, a save changes
// nothing at all.
struct OddPath {
    const char* what;
    bool regular;  // a regular file (too large), which a plain replace may still overwrite
    std::function<void(const std::string& path, const ScratchDirectory& directory)> make;
    std::function<std::string(const std::string& path)> reason;
};

const OddPath kOddPaths[] = {
    {"FIFO", false, [](const std::string& path, const ScratchDirectory&) { ::mkfifo(path.c_str(), 0644); },
     [](const std::string& path) { return "'" + path + "' is a FIFO, not a regular file"; }},
    {"link to a FIFO", false,
     [](const std::string& path, const ScratchDirectory& directory) {
         ::mkfifo(directory.file("pipe").c_str(), 0644);
         ::symlink("pipe", path.c_str());
     },
     [](const std::string& path) { return "'" + path + "' (a link to 'pipe') is a FIFO, not a regular file"; }},
    {"dangling link", false,
     [](const std::string& path, const ScratchDirectory&) { ::symlink("nowhere.json", path.c_str()); },
     [](const std::string& path) { return "'" + path + "' is a link to 'nowhere.json', which does not exist"; }},
    {"link loop", false,
     [](const std::string& path, const ScratchDirectory& directory) {
         ::symlink("loop_b", path.c_str());
         ::symlink("trembla_presets.json", directory.file("loop_b").c_str());
     },
     [](const std::string& path) { return "'" + path + "' is a link that leads round in a loop"; }},
    {"file over the size limit", true,
     [](const std::string& path, const ScratchDirectory&) {
         write_bytes(path, "{}");
         ::truncate(path.c_str(), static_cast<off_t>(kMaxPresetFileBytes + 1));  // sparse: costs no disk
     },
     [](const std::string& path) {
         return "'" + path + "' holds " + std::to_string(kMaxPresetFileBytes + 1) +
                " bytes, more than a preset file may hold (128 MiB)";
     }},
};

TEST_F(SharedPresetFile, AnythingButARegularFileIsRefusedOnLoadAndLeftAloneBySaves) {
    for (const OddPath& odd : kOddPaths) {
        SCOPED_TRACE(odd.what);
        ScratchDirectory here;
        const std::string file = preset_file_path(here.path());
        odd.make(file, here);
        const auto before = snapshot(here.path());
        const std::string reason = odd.reason(file);

        const LoadedPresets loaded = load_presets(file);
        EXPECT_EQ(loaded.status, PresetFileStatus::unreadable);
        EXPECT_EQ(loaded.warning, kLoadFailed + reason);

        const PresetUpdate update = update_presets(file, [](PresetJson& p) { return add_preset(p, "new"); });
        EXPECT_FALSE(update.ok);
        EXPECT_EQ(update.warnings, (std::vector<std::string>{kLoadFailed + reason, kSaveFailed + kNoCopy + reason}));

        const SavedPresets saved = save_presets(file, one_preset("new"), ExistingPresetFile::back_up_if_unusable);
        EXPECT_FALSE(saved.ok);
        EXPECT_EQ(saved.warnings, std::vector<std::string>{kSaveFailed + kNoCopy + reason});

        if (!odd.regular) {
            EXPECT_EQ(replace_file_atomically(file, "{}"), reason);
        }
        EXPECT_EQ(snapshot(here.path()), before);
    }
}

TEST_F(SharedPresetFile, ALinkToADeviceIsNeverRead) {
    ::symlink("/dev/zero", path.c_str());
    const LoadedPresets loaded = load_presets(path);
    EXPECT_EQ(loaded.warning,
              kLoadFailed + "'" + path + "' (a link to '/dev/zero') is a character device, not a regular file");
}

TEST_F(SharedPresetFile, SizeLimitAdmitsAFileOfExactlyTheLimit) {
    struct Case {
        std::string bytes;
        FileRead::Status status;
    };
    for (const Case& c : {Case{"0123456789", FileRead::Status::read}, Case{"0123456789A", FileRead::Status::failed}}) {
        write_bytes(path, c.bytes);
        EXPECT_EQ(read_whole_file(path, 10).status, c.status) << c.bytes;
    }
}

// Permission bits stop no one running as root, so the save runs as "nobody" then.
int as_unprivileged_user(const std::string& directory, const std::function<int()>& body) {
    if (::geteuid() != 0) return body();
    const passwd* nobody = ::getpwnam("nobody");
    if (nobody == nullptr) return -1;
    if (::chown(directory.c_str(), nobody->pw_uid, nobody->pw_gid) != 0) return -1;
    return in_child([&] {
        if (::setgid(nobody->pw_gid) != 0 || ::setuid(nobody->pw_uid) != 0) return 99;
        return body();
    });
}

TEST_F(SharedPresetFile, AWriteProtectedFileInAWritableFolderIsNotReplaced) {
    write_bytes(path, "{\"old\": {}}");
    ::chmod(path.c_str(), 0444);
    const int outcome = as_unprivileged_user(directory.path(), [&] {
        const SavedPresets saved = save_presets(path, one_preset("new"));
        if (saved.ok) return 1;
        if (saved.warnings !=
            std::vector<std::string>{kSaveFailed + "cannot write '" + path + "': Permission denied"}) {
            return 2;
        }
        return 0;
    });
    if (outcome == -1 || outcome == 99) GTEST_SKIP() << "cannot run as an unprivileged user here";
    EXPECT_EQ(outcome, 0);
    EXPECT_EQ(read_bytes(path), "{\"old\": {}}");
    struct stat status {};
    ASSERT_EQ(::stat(path.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0444u);
    EXPECT_EQ(directory.listing(), "trembla_presets.json;");
}

}  // namespace
}  // namespace trembla
