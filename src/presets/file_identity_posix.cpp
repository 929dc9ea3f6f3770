#include <sys/stat.h>

#include "presets/file_identity.h"

namespace trembla {

std::optional<FileIdentity> existing_file_identity(const std::string& path) {
    struct stat status {};
    if (path.empty() || ::stat(path.c_str(), &status) != 0) return std::nullopt;
    FileIdentity identity;
    identity.volume = static_cast<std::uint64_t>(status.st_dev);
    identity.index = static_cast<std::uint64_t>(status.st_ino);
    return identity;
}

bool same_entry_name(const std::string& first, const std::string& second) { return first == second; }

}  // namespace trembla
