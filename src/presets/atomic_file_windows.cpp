#include "presets/atomic_file.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <cerrno>
#include <system_error>

namespace trembla {
namespace {

std::wstring widen(const std::string& utf8) {
    if (utf8.empty()) return std::wstring();
    const int length = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &wide[0], length);
    return wide;
}

std::string describe_errno(const std::string& action, const std::string& path, int error_number) {
    return action + " '" + path + "': " + std::generic_category().message(error_number);
}

std::string describe_last_error(const std::string& action, const std::string& path) {
    return action + " '" + path + "': " + std::system_category().message(static_cast<int>(::GetLastError()));
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

}  // namespace

FileRead read_whole_file(const std::string& path) {
    FileRead result;
    const std::wstring wide_path = widen(path);
    const DWORD attributes = ::GetFileAttributesW(wide_path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        result.status = FileRead::Status::missing;
        return result;
    }
    result.status = FileRead::Status::failed;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        result.error = "cannot read '" + path + "': it is a directory";
        return result;
    }
    const int fd = ::_wopen(wide_path.c_str(), _O_RDONLY | _O_BINARY | _O_NOINHERIT);
    if (fd < 0) {
        result.error = describe_errno("cannot open", path, errno);
        return result;
    }
    char buffer[65536];
    for (;;) {
        const int got = ::_read(fd, buffer, sizeof buffer);
        if (got < 0) {
            result.error = describe_errno("cannot read", path, errno);
            result.bytes.clear();
            ::_close(fd);
            return result;
        }
        if (got == 0) break;
        result.bytes.append(buffer, static_cast<std::size_t>(got));
    }
    ::_close(fd);
    result.status = FileRead::Status::read;
    return result;
}

std::optional<std::string> replace_file_atomically(const std::string& path, const std::string& bytes) {
    const std::size_t separator = path.find_last_of("/\\");
    const std::string directory = separator == std::string::npos ? std::string(".") : path.substr(0, separator);
    const std::string base_name = separator == std::string::npos ? path : path.substr(separator + 1);

    static unsigned counter = 0;
    std::string temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temporary = directory + "\\." + base_name + ".tmp-" + std::to_string(::GetCurrentProcessId()) + "-" +
                    std::to_string(counter++);
        fd = ::_wopen(widen(temporary).c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT,
                      _S_IREAD | _S_IWRITE);
        if (fd < 0 && errno != EEXIST) break;
    }
    if (fd < 0) return describe_errno("cannot create a temporary file in", directory, errno);

    std::optional<std::string> error;
    if (!write_all(fd, bytes)) {
        error = describe_errno("cannot write", temporary, errno);
    } else if (::_commit(fd) != 0) {
        error = describe_errno("cannot flush", temporary, errno);
    }
    if (::_close(fd) != 0 && !error) error = describe_errno("cannot close", temporary, errno);
    if (!error && !::MoveFileExW(widen(temporary).c_str(), widen(path).c_str(),
                                 MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        error = describe_last_error("cannot replace", path);
    }
    if (error) {
        ::_wunlink(widen(temporary).c_str());
        return error;
    }
    return std::nullopt;
}

}  // namespace trembla
