// The lock that makes a save or delete one read-modify-write among every host session sharing a
// preset file: a QLockFile beside the file, which Qt declares stale when the process that made it
// no longer runs on this machine, or when it is older than kPresetLockStaleAfterMs.
#pragma once

#include <memory>
#include <optional>
#include <string>

class QLockFile;

namespace trembla {

// No save takes this long; a lock older than this is left over from a host that hangs.
inline constexpr int kPresetLockStaleAfterMs = 30000;
// How long a save waits for another session's save before it gives up with a warning.
inline constexpr int kPresetLockWaitMs = 10000;

class PresetFileLock {
public:
    // lock_path: the lock file's own path, in the system's bytes (UTF-8 on Windows).
    explicit PresetFileLock(const std::string& lock_path, int wait_ms = kPresetLockWaitMs);
    ~PresetFileLock();
    PresetFileLock(const PresetFileLock&) = delete;
    PresetFileLock& operator=(const PresetFileLock&) = delete;

    // Nothing when the lock is held, else why it could not be taken.
    const std::optional<std::string>& failure() const { return failure_; }

private:
    std::unique_ptr<QLockFile> lock_;
    std::optional<std::string> failure_;
};

// The lock file that guards the preset file at `path` (beside a link's target, so that every link
// to one file shares its lock).
std::string preset_lock_path(const std::string& path);

}  // namespace trembla
