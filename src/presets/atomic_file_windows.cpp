#include "presets/atomic_file.h"

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <system_error>

#include "presets/temporary_names.h"
#include "presets/wide_text_windows.h"

namespace trembla {
namespace {

std::string describe_errno(const std::string& action, const std::string& path, int error_number) {
    return action + " '" + path + "': " + std::generic_category().message(error_number);
}

std::string describe_error(const std::string& action, const std::string& path, DWORD error) {
    return action + " '" + path + "': " + std::system_category().message(static_cast<int>(error));
}

std::string describe_last_error(const std::string& action, const std::string& path) {
    return describe_error(action, path, ::GetLastError());
}

std::string directory_of(const std::string& path) {
    const std::size_t separator = path.find_last_of("/\\");
    return separator == std::string::npos ? std::string(".") : path.substr(0, separator);
}

std::string base_name_of(const std::string& path) {
    const std::size_t separator = path.find_last_of("/\\");
    return separator == std::string::npos ? path : path.substr(separator + 1);
}

bool is_not_found(DWORD error) { return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND; }

// Closes a handle on every way out.
class Handle {
public:
    explicit Handle(HANDLE handle) : handle_(handle) {}
    ~Handle() {
        if (valid()) ::CloseHandle(handle_);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    bool valid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
    HANDLE get() const { return handle_; }

private:
    HANDLE handle_;
};

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// Opens what the path finally names (links followed) without reading or writing it.
HANDLE open_final(const std::wstring& path, DWORD access) {
    return ::CreateFileW(path.c_str(), access, kShareAll, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

// Why a link at `path` cannot be followed, from the error of opening through it.
std::string unfollowable_link(const std::string& path, DWORD error) {
    if (is_not_found(error)) return "'" + path + "' is a link to something that does not exist";
    if (error == ERROR_CANT_RESOLVE_FILENAME) return "'" + path + "' is a link that leads round in a loop";
    return describe_error("cannot follow the link", path, error);
}

std::string not_regular(const std::string& path) { return "'" + path + "' is a device or a pipe, not a regular file"; }

std::string too_large(const std::string& path, std::uint64_t size, std::uint64_t max_bytes) {
    return "'" + path + "' holds " + std::to_string(size) + " bytes, more than a preset file may hold (" +
           std::to_string(max_bytes >> 20) + " MiB)";
}

// The path of an open file, without the "\\?\" prefix that GetFinalPathNameByHandleW adds.
std::string final_path(HANDLE handle, const std::string& fallback) {
    const DWORD length = ::GetFinalPathNameByHandleW(handle, nullptr, 0, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (length == 0) return fallback;
    std::wstring wide(length, L'\0');
    const DWORD written = ::GetFinalPathNameByHandleW(handle, &wide[0], length, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (written == 0 || written >= length) return fallback;
    wide.resize(written);
    if (wide.compare(0, 8, L"\\\\?\\UNC\\") == 0) {
        wide = L"\\\\" + wide.substr(8);
    } else if (wide.compare(0, 4, L"\\\\?\\") == 0) {
        wide = wide.substr(4);
    }
    return narrow(wide);
}

bool write_all(int fd, const std::string& bytes) {
    const char* data = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        const unsigned chunk = left > (1u << 30) ? (1u << 30) : static_cast<unsigned>(left);
        const int written = ::_write(fd, data, chunk);
        if (written < 0) return false;
        data += written;
        left -= static_cast<std::size_t>(written);
    }
    return true;
}

std::optional<std::string> write_flush_close(int fd, const std::string& bytes, const std::string& path) {
    std::optional<std::string> error;
    if (!write_all(fd, bytes)) {
        error = describe_errno("cannot write", path, errno);
    } else if (::_commit(fd) != 0) {
        error = describe_errno("cannot flush", path, errno);
    }
    if (::_close(fd) != 0 && !error) error = describe_errno("cannot close", path, errno);
    return error;
}

std::string host_tag() {
    wchar_t buffer[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    if (!::GetComputerNameW(buffer, &size)) return "host";
    return file_name_tag(narrow(std::wstring(buffer, size)));
}

bool process_runs(unsigned long long pid) {
    if (pid == 0 || pid > 0xFFFFFFFFull) return false;
    HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(pid));
    if (process == nullptr) return ::GetLastError() == ERROR_ACCESS_DENIED;  // runs, under another user
    DWORD code = 0;
    const bool ended = ::GetExitCodeProcess(process, &code) && code != STILL_ACTIVE;
    ::CloseHandle(process);
    return !ended;
}

}  // namespace

FileRead read_whole_file(const std::string& path, std::uint64_t max_bytes) {
    FileRead result;
    const std::wstring wide_path = widen(path);
    const DWORD attributes = ::GetFileAttributesW(wide_path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = ::GetLastError();
        if (is_not_found(error)) {
            result.status = FileRead::Status::missing;
        } else {
            result.status = FileRead::Status::failed;
            result.error = describe_error("cannot open", path, error);
        }
        return result;
    }
    result.status = FileRead::Status::failed;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        result.error = "cannot read '" + path + "': it is a directory";
        return result;
    }
    Handle file(::CreateFileW(wide_path.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                              nullptr));
    if (!file.valid()) {
        const DWORD error = ::GetLastError();
        result.error = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) ? unfollowable_link(path, error)
                                                                   : describe_error("cannot open", path, error);
        return result;
    }
    if (::GetFileType(file.get()) != FILE_TYPE_DISK) {
        result.error = not_regular(path);
        return result;
    }
    BY_HANDLE_FILE_INFORMATION information{};
    if (!::GetFileInformationByHandle(file.get(), &information)) {
        result.error = describe_last_error("cannot read", path);
        return result;
    }
    if (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        result.error = "cannot read '" + path + "': it is a directory";
        return result;
    }
    const std::uint64_t size = (static_cast<std::uint64_t>(information.nFileSizeHigh) << 32) | information.nFileSizeLow;
    if (size > max_bytes) {
        result.error = too_large(path, size, max_bytes);
        return result;
    }
    result.bytes.reserve(static_cast<std::size_t>(size));
    char buffer[65536];
    for (;;) {
        DWORD got = 0;
        if (!::ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr)) {
            result.error = describe_last_error("cannot read", path);
            result.bytes.clear();
            return result;
        }
        if (got == 0) break;
        result.bytes.append(buffer, got);
        if (result.bytes.size() > max_bytes) {  // grew while being read
            result.error = too_large(path, result.bytes.size(), max_bytes);
            result.bytes.clear();
            return result;
        }
    }
    result.status = FileRead::Status::read;
    return result;
}

std::string write_target(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesW(widen(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return path;
    Handle file(open_final(widen(path), 0));
    if (!file.valid()) return path;
    return final_path(file.get(), path);
}

std::optional<std::string> replace_file_atomically(const std::string& path, const std::string& bytes) {
    std::string target = path;
    const DWORD attributes = ::GetFileAttributesW(widen(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = ::GetLastError();
        if (!is_not_found(error)) return describe_error("cannot open", path, error);
    } else {
        Handle file(open_final(widen(path), 0));
        if (!file.valid()) {
            const DWORD error = ::GetLastError();
            if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return unfollowable_link(path, error);
        } else {
            if (::GetFileType(file.get()) != FILE_TYPE_DISK) return not_regular(path);
            if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) target = final_path(file.get(), path);
        }
        const DWORD target_attributes = ::GetFileAttributesW(widen(target).c_str());
        const bool directory =
            target_attributes != INVALID_FILE_ATTRIBUTES && (target_attributes & FILE_ATTRIBUTE_DIRECTORY);
        // A directory is left to the move, which refuses it. The move itself would refuse a
        // read-only file too, but with a bare "Access is denied".
        if (!directory && target_attributes != INVALID_FILE_ATTRIBUTES &&
            (target_attributes & FILE_ATTRIBUTE_READONLY)) {
            return "cannot write '" + target + "': the file is read-only";
        }
        if (!directory) {
            Handle probe(::CreateFileW(widen(target).c_str(), GENERIC_WRITE, kShareAll, nullptr, OPEN_EXISTING,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
            if (!probe.valid()) return describe_last_error("cannot write", target);
        }
    }
    const std::string directory = directory_of(target);
    const std::string stem =
        directory + "\\" + temporary_stem(base_name_of(target), host_tag(), ::GetCurrentProcessId());

    static unsigned counter = 0;
    std::string temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temporary = stem + std::to_string(counter++);
        fd = ::_wopen(widen(temporary).c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT,
                      _S_IREAD | _S_IWRITE);
        if (fd < 0 && errno != EEXIST) break;
    }
    if (fd < 0) return describe_errno("cannot create a temporary file in", directory, errno);

    std::optional<std::string> error = write_flush_close(fd, bytes, temporary);
    if (!error && !::MoveFileExW(widen(temporary).c_str(), widen(target).c_str(),
                                 MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        error = describe_last_error("cannot replace", target);
    }
    if (error) {
        ::_wunlink(widen(temporary).c_str());
        return error;
    }
    return std::nullopt;
}

std::optional<std::string> write_new_file(const std::string& path, const std::string& bytes) {
    const int fd =
        ::_wopen(widen(path).c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT, _S_IREAD | _S_IWRITE);
    if (fd < 0) return describe_errno("cannot create", path, errno);
    std::optional<std::string> error = write_flush_close(fd, bytes, path);
    if (error) ::_wunlink(widen(path).c_str());
    return error;
}

void remove_stale_temporaries(const std::string& path) {
    const std::string target = write_target(path);
    const std::string directory = directory_of(target);
    for (const std::string& name : stale_temporary_names(directory_entries(directory), base_name_of(target), host_tag(),
                                                         ::GetCurrentProcessId(), process_runs)) {
        ::DeleteFileW(widen(directory + "\\" + name).c_str());
    }
}

std::vector<std::string> directory_entries(const std::string& directory) {
    std::vector<std::string> names;
    WIN32_FIND_DATAW entry{};
    HANDLE search = ::FindFirstFileW(widen(directory + "\\*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        const std::string name = narrow(entry.cFileName);
        if (name != "." && name != "..") names.push_back(name);
    } while (::FindNextFileW(search, &entry));
    ::FindClose(search);
    return names;
}

std::optional<std::string> unusable_lock_path(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesW(widen(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = ::GetLastError();
        if (is_not_found(error)) return std::nullopt;
        return describe_error("cannot use the lock file", path, error);
    }
    const std::string subject = "the lock file '" + path + "'";
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return subject + " is a link, not a regular file";
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return subject + " is a directory, not a regular file";
    if (attributes & FILE_ATTRIBUTE_DEVICE) return subject + " is a device, not a regular file";
    return std::nullopt;
}

bool remove_file(const std::string& path) { return ::DeleteFileW(widen(path).c_str()) != 0; }

}  // namespace trembla
