#include "presets/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <system_error>

namespace trembla {
namespace {

std::string describe(const std::string& action, const std::string& path, int error_number) {
    return action + " '" + path + "': " + std::system_category().message(error_number);
}

std::string directory_of(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

// Where the new content must go: the final target of a link, so that the link survives.
std::string resolve_target(const std::string& path) {
    struct stat link_status {};
    if (::lstat(path.c_str(), &link_status) != 0 || !S_ISLNK(link_status.st_mode)) return path;
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved) == nullptr) return path;
    return resolved;
}

bool write_all(int fd, const std::string& bytes) {
    const char* data = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, left);
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += written;
        left -= static_cast<std::size_t>(written);
    }
    return true;
}

// A fresh file in `directory` that no one else uses; created with 0666 so the umask decides.
int create_temporary(const std::string& directory, const std::string& base_name, std::string& temporary_path,
                     int& error_number) {
    static unsigned counter = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary_path = directory + "/." + base_name + ".tmp-" + std::to_string(::getpid()) + "-" +
                         std::to_string(counter++);
        const int fd = ::open(temporary_path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) return fd;
        if (errno != EEXIST) break;
    }
    error_number = errno;
    return -1;
}

}  // namespace

FileRead read_whole_file(const std::string& path) {
    FileRead result;
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) {
        result.status = FileRead::Status::missing;
        return result;
    }
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        result.status = FileRead::Status::failed;
        result.error = describe("cannot open", path, errno);
        return result;
    }
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR) continue;
            result.status = FileRead::Status::failed;
            result.error = describe("cannot read", path, errno);
            result.bytes.clear();
            ::close(fd);
            return result;
        }
        if (got == 0) break;
        result.bytes.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(fd);
    result.status = FileRead::Status::read;
    return result;
}

std::optional<std::string> replace_file_atomically(const std::string& path, const std::string& bytes) {
    const std::string target = resolve_target(path);
    const std::string directory = directory_of(target);
    const std::size_t slash = target.find_last_of('/');
    const std::string base_name = slash == std::string::npos ? target : target.substr(slash + 1);

    std::string temporary;
    int error_number = 0;
    const int fd = create_temporary(directory, base_name, temporary, error_number);
    if (fd < 0) return describe("cannot create a temporary file in", directory, error_number);

    struct stat old_status {};
    if (::stat(target.c_str(), &old_status) == 0 && S_ISREG(old_status.st_mode)) {
        ::fchmod(fd, old_status.st_mode & 07777);  // best effort: the content matters more
    }

    std::optional<std::string> error;
    if (!write_all(fd, bytes)) {
        error = describe("cannot write", temporary, errno);
    } else if (::fsync(fd) != 0) {
        error = describe("cannot flush", temporary, errno);
    }
    if (::close(fd) != 0 && !error) error = describe("cannot close", temporary, errno);
    if (!error && ::rename(temporary.c_str(), target.c_str()) != 0) error = describe("cannot replace", target, errno);
    if (error) {
        ::unlink(temporary.c_str());
        return error;
    }

    // Make the rename itself durable; the new content is already safe, so failure here is silent.
    const int directory_fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (directory_fd >= 0) {
        ::fsync(directory_fd);
        ::close(directory_fd);
    }
    return std::nullopt;
}

}  // namespace trembla
