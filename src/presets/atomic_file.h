// Whole-file reads and crash-safe whole-file replacement. Paths are UTF-8 on Windows and the
// file system's bytes elsewhere. Nothing here throws; failures come back as a description for the
// user.
//
// Only regular files are read or replaced. A link is followed to its final target, which must be
// a regular file (or not exist yet when the link itself is absent); anything else at the path -
// a FIFO, a device, a socket, a dangling link, a link loop - is refused without being opened for
// reading or replaced, so a shared preset path can neither hang the host nor destroy a device.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace trembla {

// Larger files are refused before a byte is read: a preset file of this size would hold some
// 200,000 presets, and holding it in memory as JSON already takes around a gigabyte.
inline constexpr std::uint64_t kMaxPresetFileBytes = std::uint64_t{128} << 20;  // 128 MiB

struct FileRead {
    enum class Status { read, missing, failed };
    Status status = Status::missing;
    std::string bytes;  // the whole content when read
    std::string error;  // what went wrong when failed
};

// `missing` only when nothing at all is at the path; `failed` when something is there but is not
// a regular file of at most max_bytes that can be opened and read (a directory, a FIFO, a device,
// a dangling link or a link loop). Opening never waits for a writer.
FileRead read_whole_file(const std::string& path, std::uint64_t max_bytes = kMaxPresetFileBytes);

// The file a write to `path` must go to: the final target of a link that resolves, otherwise
// `path` itself. Locks and copies belong beside this file, so that every link to it shares them.
std::string write_target(const std::string& path);

// Writes `bytes` to a new file beside the target, flushes it to disk and renames it over the
// target, so that the file holds either its old content or the new, never a part. On failure the
// temporary file is removed, the target is left as it was, and the description is returned.
// The directory is never created. A link at `path` stays and its target is replaced; an existing
// target must be a regular file that this process may write (the permission bits, or the
// read-only attribute on Windows, are honoured although the rename alone would not need them),
// and its permission bits carry over to the new file.
// Temporary files are named ".<name>.tmp-<host>-<pid>-<n>" so that remove_stale_temporaries can
// tell whose they are.
std::optional<std::string> replace_file_atomically(const std::string& path, const std::string& bytes);

// Creates `path` with `bytes` and flushes it; fails rather than replacing anything already there.
std::optional<std::string> write_new_file(const std::string& path, const std::string& bytes);

// Removes the temporary files that replace_file_atomically left beside the target of `path` in
// processes of this machine that no longer run (a host killed while saving). Files of running
// processes and of other machines are kept. Best effort and silent.
void remove_stale_temporaries(const std::string& path);

// The names of the entries of `directory` (without "." and ".."); empty when it cannot be read.
std::vector<std::string> directory_entries(const std::string& directory);

// Why `path` cannot be a lock file, found without following a link or opening anything: only a
// regular file or nothing at all will do. A link (even to a regular file), a FIFO, a device, a
// socket or a folder is refused: QLockFile would read a FIFO or a link to /dev/zero without end,
// and take a folder or a dangling link for a lock that another session holds for ever.
// Nothing when the path can be used.
std::optional<std::string> unusable_lock_path(const std::string& path);

// Removes a file; false when it could not be removed.
bool remove_file(const std::string& path);

}  // namespace trembla
