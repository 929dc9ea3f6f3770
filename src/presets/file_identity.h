// Which file a path names, however it is spelled: through a link, a linked folder, "..", doubled
// separators or a hard link. A write to a path the user picks is refused when it names a file the
// tool reads its presets from; comparing spellings would let an alias through and lose the file.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace trembla {

// The file system's own name for a file: st_dev and st_ino on POSIX, the volume serial number
// and the file index on Windows. A path with nothing at it yet is named by the identity of the
// folder it would be made in and its last part, so that two aliases of one folder with the same
// file name are the same file before it exists.
struct FileIdentity {
    std::uint64_t volume = 0;
    std::uint64_t index = 0;
    std::optional<std::string> name_in_folder;  // only for a path with nothing at it yet
};

// The identity of what `path` finally names (links followed); nothing when neither it nor its
// folder can be reached.
std::optional<FileIdentity> file_identity(const std::string& path);

// True when both paths name one file (or one file yet to be made). Paths spelled the same always
// do, so that a path whose identity cannot be found is still caught in its own spelling.
bool same_file(const std::string& first, const std::string& second);

// The identity of what `path` finally names when something is there; the platform's part.
std::optional<FileIdentity> existing_file_identity(const std::string& path);

// Whether two names of entries in one folder name the same entry: byte for byte on POSIX, without
// regard to case on Windows, whose file systems ignore it.
bool same_entry_name(const std::string& first, const std::string& second);

}  // namespace trembla
