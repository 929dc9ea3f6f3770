#include "presets/preset_lock.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QString>

#include "presets/atomic_file.h"

namespace trembla {
namespace {

QString qt_path(const std::string& path) {
#ifdef _WIN32
    return QString::fromUtf8(path.data(), static_cast<int>(path.size()));
#else
    return QFile::decodeName(QByteArray(path.data(), static_cast<int>(path.size())));
#endif
}

std::string describe(const std::string& lock_path, QLockFile::LockError error, int wait_ms) {
    switch (error) {
        case QLockFile::LockFailedError:
            return "another session kept the preset file locked for over " + std::to_string(wait_ms / 1000) +
                   " seconds ('" + lock_path + "'); try again";
        case QLockFile::PermissionError:
            return "cannot create the lock file '" + lock_path + "': permission denied";
        case QLockFile::NoError:
        case QLockFile::UnknownError:
            break;
    }
    // Qt does not say why; the usual reason is the folder itself.
    const QFileInfo folder(QFileInfo(qt_path(lock_path)).absolutePath());
    if (!folder.exists()) return "cannot create the lock file '" + lock_path + "': the folder does not exist";
    if (!folder.isDir()) return "cannot create the lock file '" + lock_path + "': its folder is a file";
    return "cannot create the lock file '" + lock_path + "'";
}

}  // namespace

PresetFileLock::PresetFileLock(const std::string& lock_path, int wait_ms) {
    // Looked at before QLockFile opens or reads anything there.
    failure_ = unusable_lock_path(lock_path);
    if (failure_) return;
    lock_ = std::make_unique<QLockFile>(qt_path(lock_path));
    lock_->setStaleLockTime(kPresetLockStaleAfterMs);
    // QLockFile's own wait sleeps 100 ms, then ever longer, before it looks again; a save that
    // waits for another session's save should follow it within a few milliseconds instead.
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(wait_ms);
    std::chrono::milliseconds pause(2);
    while (!lock_->tryLock(0)) {
        if (lock_->error() != QLockFile::LockFailedError || Clock::now() >= deadline) {
            failure_ = describe(lock_path, lock_->error(), wait_ms);
            return;
        }
        std::this_thread::sleep_for(pause);
        pause = std::min(pause * 2, std::chrono::milliseconds(50));
    }
}

PresetFileLock::~PresetFileLock() = default;  // QLockFile unlocks when destroyed

std::string preset_lock_path(const std::string& path) { return write_target(path) + ".lock"; }

}  // namespace trembla
