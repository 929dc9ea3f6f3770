#include "presets/file_identity.h"

#include "presets/wide_text_windows.h"

namespace trembla {
std::optional<FileIdentity> existing_file_identity(const std::string& path) {
    if (path.empty()) return std::nullopt;
    // No access asked for, so a file another process holds open still answers; backup semantics
    // let a folder be opened too. Links are followed to their target.
    const HANDLE handle = ::CreateFileW(widen(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return std::nullopt;
    BY_HANDLE_FILE_INFORMATION information{};
    const BOOL known = ::GetFileInformationByHandle(handle, &information);
    ::CloseHandle(handle);
    if (!known) return std::nullopt;
    FileIdentity identity;
    identity.volume = information.dwVolumeSerialNumber;
    identity.index = (static_cast<std::uint64_t>(information.nFileIndexHigh) << 32) | information.nFileIndexLow;
    return identity;
}

bool same_entry_name(const std::string& first, const std::string& second) {
    const std::wstring one = widen(first);
    const std::wstring other = widen(second);
    return ::CompareStringOrdinal(one.data(), static_cast<int>(one.size()), other.data(),
                                  static_cast<int>(other.size()), TRUE) == CSTR_EQUAL;
}

}  // namespace trembla
