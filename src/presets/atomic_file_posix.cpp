#include "presets/atomic_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <system_error>

#include "presets/temporary_names.h"

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

std::string base_name_of(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string link_text(const std::string& path) {
    char buffer[PATH_MAX];
    const ssize_t length = ::readlink(path.c_str(), buffer, sizeof buffer);
    return length < 0 ? std::string("?") : std::string(buffer, static_cast<std::size_t>(length));
}

const char* kind_of(mode_t mode) {
    if (S_ISFIFO(mode)) return "a FIFO";
    if (S_ISCHR(mode)) return "a character device";
    if (S_ISBLK(mode)) return "a block device";
    if (S_ISSOCK(mode)) return "a socket";
    if (S_ISDIR(mode)) return "a directory";
    return "not a regular file";
}

// What lies at a path once links are followed.
struct PathStatus {
    bool missing = false;                // nothing at all at the path (a dangling link is not missing)
    std::optional<std::string> refusal;  // why it cannot be used as a file
    std::string subject;                 // the path as messages name it
    struct stat status {};               // of the final target, when neither missing nor refused
};

PathStatus inspect(const std::string& path) {
    PathStatus result;
    result.subject = "'" + path + "'";
    struct stat link_status {};
    if (::lstat(path.c_str(), &link_status) != 0) {
        if (errno == ENOENT) {
            result.missing = true;
        } else {
            result.refusal = describe("cannot open", path, errno);
        }
        return result;
    }
    if (!S_ISLNK(link_status.st_mode)) {
        result.status = link_status;
        return result;
    }
    const std::string target = link_text(path);
    result.subject = "'" + path + "' (a link to '" + target + "')";
    if (::stat(path.c_str(), &result.status) != 0) {
        if (errno == ENOENT) {
            result.refusal = "'" + path + "' is a link to '" + target + "', which does not exist";
        } else if (errno == ELOOP) {
            result.refusal = "'" + path + "' is a link that leads round in a loop";
        } else {
            result.refusal = describe("cannot follow the link", path, errno);
        }
    }
    return result;
}

std::string not_regular(const std::string& subject, mode_t mode) {
    return subject + " is " + kind_of(mode) + ", not a regular file";
}

std::string too_large(const std::string& subject, std::uint64_t size, std::uint64_t max_bytes) {
    return subject + " holds " + std::to_string(size) + " bytes, more than a preset file may hold (" +
           std::to_string(max_bytes >> 20) + " MiB)";
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

// Writes, flushes and closes fd; the description of the first failure, if any.
std::optional<std::string> write_flush_close(int fd, const std::string& bytes, const std::string& path) {
    std::optional<std::string> error;
    if (!write_all(fd, bytes)) {
        error = describe("cannot write", path, errno);
    } else if (::fsync(fd) != 0) {
        error = describe("cannot flush", path, errno);
    }
    if (::close(fd) != 0 && !error) error = describe("cannot close", path, errno);
    return error;
}

// The host name as it may appear in a file name.
std::string host_tag() {
    char buffer[256] = {};
    if (::gethostname(buffer, sizeof buffer - 1) != 0) return "host";
    return file_name_tag(buffer);
}

// A fresh file in `directory` that no one else uses; created with 0666 so the umask decides.
int create_temporary(const std::string& directory, const std::string& base_name, std::string& temporary_path,
                     int& error_number) {
    static unsigned counter = 0;
    const std::string stem =
        directory + "/" + temporary_stem(base_name, host_tag(), static_cast<unsigned long long>(::getpid()));
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary_path = stem + std::to_string(counter++);
        const int fd = ::open(temporary_path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) return fd;
        if (errno != EEXIST) break;
    }
    error_number = errno;
    return -1;
}

bool process_runs(unsigned long long pid) {
    if (pid == 0 || pid > INT_MAX) return false;
    // EPERM: it runs, under another user.
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH;
}

}  // namespace

FileRead read_whole_file(const std::string& path, std::uint64_t max_bytes) {
    FileRead result;
    const PathStatus found = inspect(path);
    if (found.missing) {
        result.status = FileRead::Status::missing;
        return result;
    }
    result.status = FileRead::Status::failed;
    if (found.refusal) {
        result.error = *found.refusal;
        return result;
    }
    if (S_ISDIR(found.status.st_mode)) {
        result.error = describe("cannot read", path, EISDIR);
        return result;
    }
    if (!S_ISREG(found.status.st_mode)) {
        result.error = not_regular(found.subject, found.status.st_mode);
        return result;
    }
    if (static_cast<std::uint64_t>(found.status.st_size) > max_bytes) {
        result.error = too_large(found.subject, static_cast<std::uint64_t>(found.status.st_size), max_bytes);
        return result;
    }

    // Something else may have been put there since: O_NONBLOCK keeps a FIFO from holding the
    // open, and the descriptor itself is checked again before reading.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        result.error = describe("cannot open", path, errno);
        return result;
    }
    struct stat opened {};
    if (::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode)) {
        result.error = not_regular(found.subject, opened.st_mode);
        ::close(fd);
        return result;
    }
    result.bytes.reserve(static_cast<std::size_t>(opened.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR) continue;
            result.error = describe("cannot read", path, errno);
            result.bytes.clear();
            ::close(fd);
            return result;
        }
        if (got == 0) break;
        result.bytes.append(buffer, static_cast<std::size_t>(got));
        if (result.bytes.size() > max_bytes) {  // grew while being read
            result.error = too_large(found.subject, result.bytes.size(), max_bytes);
            result.bytes.clear();
            ::close(fd);
            return result;
        }
    }
    ::close(fd);
    result.status = FileRead::Status::read;
    return result;
}

std::string write_target(const std::string& path) {
    struct stat link_status {};
    if (::lstat(path.c_str(), &link_status) != 0 || !S_ISLNK(link_status.st_mode)) return path;
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved) == nullptr) return path;
    return resolved;
}

std::optional<std::string> replace_file_atomically(const std::string& path, const std::string& bytes) {
    const PathStatus found = inspect(path);
    if (found.refusal) return found.refusal;
    std::string target = path;
    if (!found.missing) {
        target = write_target(path);
        // A directory is left to the rename, which refuses it.
        if (!S_ISREG(found.status.st_mode) && !S_ISDIR(found.status.st_mode)) {
            return not_regular(found.subject, found.status.st_mode);
        }
        if (S_ISREG(found.status.st_mode)) {
            // The rename needs only the directory's permission; the file's own must count too.
            const int probe = ::open(target.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
            if (probe < 0) return describe("cannot write", target, errno);
            ::close(probe);
        }
    }
    const std::string directory = directory_of(target);

    std::string temporary;
    int error_number = 0;
    const int fd = create_temporary(directory, base_name_of(target), temporary, error_number);
    if (fd < 0) return describe("cannot create a temporary file in", directory, error_number);

    if (!found.missing && S_ISREG(found.status.st_mode)) {
        ::fchmod(fd, found.status.st_mode & 07777);  // best effort: the content matters more
    }

    std::optional<std::string> error = write_flush_close(fd, bytes, temporary);
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

std::optional<std::string> write_new_file(const std::string& path, const std::string& bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOCTTY | O_CLOEXEC, 0666);
    if (fd < 0) return describe("cannot create", path, errno);
    std::optional<std::string> error = write_flush_close(fd, bytes, path);
    if (error) ::unlink(path.c_str());
    return error;
}

void remove_stale_temporaries(const std::string& path) {
    const std::string target = write_target(path);
    const std::string directory = directory_of(target);
    const auto this_pid = static_cast<unsigned long long>(::getpid());
    for (const std::string& name : stale_temporary_names(directory_entries(directory), base_name_of(target), host_tag(),
                                                         this_pid, process_runs)) {
        const std::string file = directory + "/" + name;
        struct stat status {};
        if (::lstat(file.c_str(), &status) == 0 && S_ISREG(status.st_mode)) ::unlink(file.c_str());
    }
}

std::vector<std::string> directory_entries(const std::string& directory) {
    std::vector<std::string> names;
    DIR* listing = ::opendir(directory.c_str());
    if (listing == nullptr) return names;
    while (const dirent* entry = ::readdir(listing)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") names.push_back(name);
    }
    ::closedir(listing);
    return names;
}

std::optional<std::string> unusable_lock_path(const std::string& path) {
    struct stat status {};
    if (::lstat(path.c_str(), &status) != 0) {
        if (errno == ENOENT) return std::nullopt;
        return describe("cannot use the lock file", path, errno);
    }
    if (S_ISREG(status.st_mode)) return std::nullopt;
    const std::string subject = "the lock file '" + path + "'";
    if (S_ISLNK(status.st_mode)) return subject + " is a link to '" + link_text(path) + "', not a regular file";
    return not_regular(subject, status.st_mode);
}

bool remove_file(const std::string& path) { return ::unlink(path.c_str()) == 0; }

}  // namespace trembla
