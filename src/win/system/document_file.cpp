// Win32 file reading with shared read access; saving goes through the writer palimp-replace
// shares.
#include "win/system/document_file.h"

#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <memory>

#include "core/errors.h"
#include "os/file_replace.h"
#include "os/system_error_text.h"
#include "os/win_support.h"
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

[[noreturn]] void FailOpen(const std::wstring& path, std::u16string reason) {
    throw DocumentReadError(u"Cannot open file " + ToU16(path), std::move(reason));
}

// The system's reason for the last failed call.
[[noreturn]] void FailOpen(const std::wstring& path) {
    FailOpen(path, FromUtf8(os::detail::SystemErrorText(static_cast<int>(GetLastError()))));
}

}  // namespace

std::string ReadFileShared(const std::wstring& path, os::FileStamp* stamp) {
    FileHandle file = OpenFile(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
    if (!file) FailOpen(path);
    if (stamp) {
        BY_HANDLE_FILE_INFORMATION information;
        if (!GetFileInformationByHandle(file.get(), &information)) FailOpen(path);
        *stamp = os::StampOf(file.get(), information);
    }
    LARGE_INTEGER size = {};
    // A 32-bit program cannot hold more than about a gigabyte of text anyway.
    if (!GetFileSizeEx(file.get(), &size)) FailOpen(path);
    if (size.QuadPart > (1LL << 30)) FailOpen(path, u"The file is larger than the 1 GB Palimp can hold");
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

std::optional<os::FileStamp> FileStampOf(const std::wstring& path) {
    // Only the attributes are read, so that a file held open by its writer still answers.
    FileHandle file = OpenFile(path, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               OPEN_EXISTING);
    BY_HANDLE_FILE_INFORMATION information;
    if (!file || !GetFileInformationByHandle(file.get(), &information)) return std::nullopt;
    if (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return std::nullopt;
    return os::StampOf(file.get(), information);
}

void WriteFileReplacing(const std::wstring& path, std::string_view bytes, std::optional<os::FileStamp> expected) {
    // A file with several names is written in place, so that every name shows the new text.
    os::ReplaceFileContent(std::filesystem::path(path), bytes, {.expected = expected, .overwriteInPlace = true});
}

std::wstring WriteRecoveryFile(const std::wstring& folder, const std::wstring& stem, std::string_view bytes) {
    std::wstring bare = folder;
    while (bare.size() > 3 && bare.back() == L'\\') bare.pop_back();
    const int made = SHCreateDirectoryExW(nullptr, bare.c_str(), nullptr);
    if (made != ERROR_SUCCESS && made != ERROR_ALREADY_EXISTS && made != ERROR_FILE_EXISTS) {
        throw EFCreateError(u"Cannot create folder " + ToU16(folder));
    }
    SYSTEMTIME now;
    GetLocalTime(&now);
    wchar_t when[32];
    swprintf(when, 32, L" %04u-%02u-%02u %02u%02u%02u", now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute,
             now.wSecond);
    const std::wstring base = folder + stem + when;
    std::wstring path = base + L".txt";
    for (int number = 2; GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; ++number) {
        path = base + L" (" + std::to_wstring(number) + L").txt";
    }
    WriteFileReplacing(path, bytes);
    return path;
}

std::wstring DefaultRecoveryFolder() {
    PWSTR local = nullptr;
    std::wstring folder;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &local))) {
        folder = std::wstring(local) + L"\\Palimp\\Recovered\\";
    }
    CoTaskMemFree(local);
    return folder;
}

bool FileExists(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace palimp
