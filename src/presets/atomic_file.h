// Whole-file reads and crash-safe whole-file replacement. Paths are UTF-8.
// Nothing here throws; failures come back as a description for the user.
#pragma once

#include <optional>
#include <string>

namespace trembla {

struct FileRead {
    enum class Status { read, missing, failed };
    Status status = Status::missing;
    std::string bytes;  // the whole content when read
    std::string error;  // what went wrong when failed
};

// `missing` when nothing can be found at the path (as os.path.exists answers false, which
// includes a dangling link); `failed` when something is there but cannot be opened or read,
// for example a directory.
FileRead read_whole_file(const std::string& path);

// Writes `bytes` to a new file beside `path`, flushes it to disk and renames it over `path`, so
// that the file holds either its old content or the new, never a part. On failure the
// temporary file is removed, `path` is left as it was, and the description is returned.
// The directory is never created. On POSIX systems a link at `path` is followed (its target is
// replaced and the link stays) and an existing file's permission bits carry over to the new one.
std::optional<std::string> replace_file_atomically(const std::string& path, const std::string& bytes);

}  // namespace trembla
