// Win32 file reading with shared read access, and the atomic save through a temporary file.
#include "win/system/document_file.h"

#include <windows.h>

#include <algorithm>
#include <memory>

#include "core/errors.h"
#include "win/system/wide.h"

namespace palimp {

namespace {

struct HandleCloser {
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using FileHandle = std::unique_ptr<void, HandleCloser>;

FileHandle OpenFile(const std::wstring& path, DWORD access, DWORD share, DWORD disposition) {
    HANDLE handle = CreateFileW(path.c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    return FileHandle(handle == INVALID_HANDLE_VALUE ? nullptr : handle);
}

[[noreturn]] void FailOpen(const std::wstring& path) { throw EFOpenError(u"Cannot open file " + ToU16(path)); }
[[noreturn]] void FailCreate(const std::wstring& path) { throw EFCreateError(u"Cannot create file " + ToU16(path)); }

std::wstring FullPath(const std::wstring& path) {
    DWORD length = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (length == 0) FailCreate(path);
    std::wstring full(length, L'\0');
    length = GetFullPathNameW(path.c_str(), length, full.data(), nullptr);
    full.resize(length);
    return full;
}

bool WriteAll(HANDLE file, std::string_view bytes) {
    // WriteFile takes at most 4 GB at a time; smaller pieces keep the system's buffers modest.
    constexpr size_t kPiece = 1 << 24;
    while (!bytes.empty()) {
        DWORD piece = static_cast<DWORD>(std::min(bytes.size(), kPiece));
        DWORD written = 0;
        if (!WriteFile(file, bytes.data(), piece, &written, nullptr) || written != piece) return false;
        bytes.remove_prefix(piece);
    }
    return true;
}

// The target must be replaceable: not a folder, not read-only, not open in another program.
// Opening it exclusively for writing (without changing it) proves all three at once.
void CheckReplaceable(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return;  // a new file
    if (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) FailCreate(path);
    if (!OpenFile(path, GENERIC_WRITE, 0, OPEN_EXISTING)) FailCreate(path);
}

}  // namespace

std::string ReadFileShared(const std::wstring& path) {
    FileHandle file = OpenFile(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
    if (!file) FailOpen(path);
    LARGE_INTEGER size = {};
    // A 32-bit program cannot hold more than about a gigabyte of text anyway.
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart > (1LL << 30)) FailOpen(path);
    std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD got = 0;
        DWORD want = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1 << 24));
        if (!ReadFile(file.get(), bytes.data() + done, want, &got, nullptr)) FailOpen(path);
        if (got == 0) break;  // the file shrank meanwhile
        done += got;
    }
    bytes.resize(done);
    return bytes;
}

void WriteFileReplacing(const std::wstring& path, std::string_view bytes) {
    std::wstring target = FullPath(path);
    CheckReplaceable(target);

    std::wstring folder = target.substr(0, target.find_last_of(L"\\/") + 1);
    wchar_t temporary[MAX_PATH + 16] = {};
    if (folder.empty() || folder.size() > MAX_PATH - 14 || !GetTempFileNameW(folder.c_str(), L"plm", 0, temporary)) {
        FailCreate(path);
    }
    bool moved = false;
    {
        FileHandle file = OpenFile(temporary, GENERIC_WRITE, 0, CREATE_ALWAYS);
        bool written = file && WriteAll(file.get(), bytes) && FlushFileBuffers(file.get());
        file.reset();
        moved = written && MoveFileExW(temporary, target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    }
    if (!moved) {
        DeleteFileW(temporary);
        FailCreate(path);
    }
}

bool FileExists(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace palimp
