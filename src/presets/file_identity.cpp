#include "presets/file_identity.h"

namespace trembla {
namespace {

#ifdef _WIN32
constexpr const char* kSeparators = "/\\:";
#else
constexpr const char* kSeparators = "/";
#endif

bool same_identity(const FileIdentity& first, const FileIdentity& second) {
    if (first.volume != second.volume || first.index != second.index) return false;
    if (!first.name_in_folder || !second.name_in_folder) return !first.name_in_folder && !second.name_in_folder;
    return same_entry_name(*first.name_in_folder, *second.name_in_folder);
}

}  // namespace

std::optional<FileIdentity> file_identity(const std::string& path) {
    if (std::optional<FileIdentity> found = existing_file_identity(path)) return found;
    // The folder keeps its separator: "/" and "C:\" stay the roots they are, and a link to a
    // folder is followed.
    const std::size_t separator = path.find_last_of(kSeparators);
    const std::string folder = separator == std::string::npos ? std::string(".") : path.substr(0, separator + 1);
    const std::string name = separator == std::string::npos ? path : path.substr(separator + 1);
    if (name.empty() || name == "." || name == "..") return std::nullopt;
    std::optional<FileIdentity> in_folder = existing_file_identity(folder);
    if (in_folder) in_folder->name_in_folder = name;
    return in_folder;
}

bool same_file(const std::string& first, const std::string& second) {
    if (first == second) return true;
    const std::optional<FileIdentity> one = file_identity(first);
    const std::optional<FileIdentity> other = file_identity(second);
    return one && other && same_identity(*one, *other);
}

}  // namespace trembla
