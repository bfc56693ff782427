// What the Windows files of this library share: handles that close themselves, full and final
// paths in the form without a length limit, stamps, complete writes, and whether Wine runs us.
#pragma once

#include <windows.h>

#include <algorithm>
#include <memory>
#include <string>
#include <string_view>

#include "os/file_replace.h"
#include "os/system_error_text.h"

namespace palimp::os {

struct HandleCloser {
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};
// A file handle, or empty when CreateFileW failed.
class Handle : public std::unique_ptr<void, HandleCloser> {
public:
    explicit Handle(HANDLE handle)
        : std::unique_ptr<void, HandleCloser>(handle == INVALID_HANDLE_VALUE ? nullptr : handle) {}
};

// The absolute form of path; empty when the system cannot make one (GetLastError says why).
inline std::wstring FullPath(const std::wstring& path) {
    DWORD length = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (length == 0) return {};
    std::wstring full(length, L'\0');
    length = GetFullPathNameW(path.c_str(), length, full.data(), nullptr);
    full.resize(length);
    return full;
}

// A full path in the \\?\ form, which has no MAX_PATH limit.
inline std::wstring LongPath(const std::wstring& full) {
    if (full.empty() || full.starts_with(L"\\\\?\\") || full.starts_with(L"\\\\.\\")) return full;
    if (full.starts_with(L"\\\\")) return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

// The path of the file the handle is open on, after every link; empty on failure.
inline std::wstring FinalPath(HANDLE file) {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetFinalPathNameByHandleW(file, path.data(), static_cast<DWORD>(path.size()),
                                                       FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (length > 0 && length < path.size()) {
            path.resize(length);
            return LongPath(path);
        }
        // Too small: the size needed, or (Wine) no size at all but ERROR_MORE_DATA.
        if (length == 0 && (GetLastError() != ERROR_MORE_DATA || path.size() >= 32768)) return {};
        path.resize(std::max<std::size_t>(length + 1, path.size() * 2));
    }
}

// The stamp of the file open as file, whose information is given; its change time comes from
// the file's basic information (0 where the system does not give it).
// Whether the program runs under Wine, whose files are Unix files underneath.
inline bool UnderWine() {
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

inline FileStamp StampOf(HANDLE file, const BY_HANDLE_FILE_INFORMATION& information) {
    FileStamp stamp;
    FILE_BASIC_INFO basic;
    if (GetFileInformationByHandleEx(file, FileBasicInfo, &basic, sizeof basic)) {
        stamp.changed = basic.ChangeTime.QuadPart;
    }
    stamp.device = information.dwVolumeSerialNumber;
    stamp.file = (std::uint64_t{information.nFileIndexHigh} << 32) | information.nFileIndexLow;
    stamp.size = (std::uint64_t{information.nFileSizeHigh} << 32) | information.nFileSizeLow;
    stamp.modified = static_cast<std::int64_t>((std::uint64_t{information.ftLastWriteTime.dwHighDateTime} << 32) |
                                               information.ftLastWriteTime.dwLowDateTime);
    return stamp;
}

// Writes every byte; false with the last error set otherwise. *written, when given, counts
// every byte written, also of a write that stopped midway. A test may make a write fail at
// step, after writing part of it, as a disk that fills midway does.
inline bool WriteAll(HANDLE file, std::string_view bytes, detail::Step step, std::uint64_t* written = nullptr) {
    // WriteFile takes at most 4 GB at a time; smaller pieces keep the system's buffers modest.
    constexpr std::size_t kPiece = std::size_t{1} << 24;
    while (!bytes.empty()) {
        std::size_t part = 0;
        const int fault = detail::TakeFault(step, &part);
        if (fault && part == 0) {
            SetLastError(static_cast<DWORD>(fault));
            return false;
        }
        const DWORD piece = static_cast<DWORD>(std::min({bytes.size(), kPiece, fault ? part : bytes.size()}));
        DWORD put = 0;
        const BOOL done = WriteFile(file, bytes.data(), piece, &put, nullptr);
        bytes.remove_prefix(put);
        if (written) *written += put;
        if (!done) return false;
        if (fault) {
            SetLastError(static_cast<DWORD>(fault));  // the disk filled after part of the buffer
            return false;
        }
    }
    return true;
}

}  // namespace palimp::os
