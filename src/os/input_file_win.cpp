// Reading on Windows: CreateFileW with the editor's sharing (others may read, not write), and
// GetLastError's text for every failure.
#include <windows.h>

#include <cstdlib>

#include "os/input_file.h"
#include "os/system_error_text.h"
#include "os/win_support.h"

namespace palimp::os {

namespace fs = std::filesystem;

namespace {

const fs::path kStandardInput = L"standard input";

[[noreturn]] void ThrowRead(const fs::path& path) {
    throw FileReadError(path, detail::SystemErrorText(static_cast<int>(GetLastError())));
}

FileKind KindOf(HANDLE file, const BY_HANDLE_FILE_INFORMATION* information) {
    switch (GetFileType(file)) {
    case FILE_TYPE_DISK:
        if (information && (information->dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) return FileKind::kDirectory;
        return FileKind::kRegular;
    case FILE_TYPE_PIPE:
        return FileKind::kPipe;
    default:
        return FileKind::kOther;
    }
}

}  // namespace

InputFile::InputFile(const fs::path& path, bool regularOnly) : path_(path) {
    const std::wstring full = LongPath(FullPath(path.native()));
    // A device or pipe name (\\.\...) is opened as given.
    const std::wstring& name = path.native().starts_with(L"\\\\.\\") || full.empty() ? path.native() : full;
    Handle file(CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!file) ThrowRead(path);
    BY_HANDLE_FILE_INFORMATION information = {};
    const bool disk = GetFileType(file.get()) == FILE_TYPE_DISK;
    if (disk && !GetFileInformationByHandle(file.get(), &information)) ThrowRead(path);
    kind_ = KindOf(file.get(), disk ? &information : nullptr);
    if (kind_ == FileKind::kDirectory) throw FileReadError(path, "it is a folder");
    if (regularOnly && kind_ != FileKind::kRegular) throw FileReadError(path, "not a regular file");
    if (disk) stamp_ = StampOf(file.get(), information);
    handle_ = reinterpret_cast<std::intptr_t>(file.release());
}

InputFile InputFile::StandardInput() {
    InputFile input;
    input.path_ = kStandardInput;
    input.owned_ = false;
    HANDLE handle = GetStdHandle(STD_INPUT_HANDLE);
    input.handle_ = reinterpret_cast<std::intptr_t>(handle);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) {
        throw FileReadError(kStandardInput, detail::SystemErrorText(ERROR_INVALID_HANDLE));
    }
    BY_HANDLE_FILE_INFORMATION information = {};
    const bool disk = GetFileType(handle) == FILE_TYPE_DISK && GetFileInformationByHandle(handle, &information);
    input.kind_ = KindOf(handle, disk ? &information : nullptr);
    if (input.kind_ == FileKind::kRegular) {
        LARGE_INTEGER zero = {}, at = {};
        if (!disk || !SetFilePointerEx(handle, zero, &at, FILE_CURRENT)) {
            input.kind_ = FileKind::kOther;  // read as a stream
        } else {
            input.stamp_ = StampOf(handle, information);
            input.start_ = static_cast<std::uint64_t>(at.QuadPart);
        }
    }
    return input;
}

InputFile::~InputFile() {
    if (owned_ && handle_ != -1) CloseHandle(reinterpret_cast<HANDLE>(handle_));
}

std::optional<std::uint64_t> InputFile::Size() const {
    if (kind_ != FileKind::kRegular) return std::nullopt;
    return stamp_.size > start_ ? stamp_.size - start_ : 0;
}

std::size_t InputFile::Read(char* buffer, std::size_t size) {
    HANDLE file = reinterpret_cast<HANDLE>(handle_);
    std::size_t done = 0;
    while (done < size) {
        DWORD got = 0;
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(size - done, std::size_t{1} << 24));
        if (!ReadFile(file, buffer + done, want, &got, nullptr)) {
            // The writer of a pipe closing its end is the end of the input.
            if (GetLastError() == ERROR_BROKEN_PIPE) break;
            ThrowRead(path_);
        }
        if (got == 0) break;
        done += got;
    }
    return done;
}

void InputFile::Rewind() {
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(start_);
    if (!Rewindable()) throw FileReadError(path_, detail::SystemErrorText(ERROR_SEEK_ON_DEVICE));
    if (!SetFilePointerEx(reinterpret_cast<HANDLE>(handle_), at, nullptr, FILE_BEGIN)) ThrowRead(path_);
}

ScratchFile::ScratchFile() {
    wchar_t folder[MAX_PATH + 1];
    const DWORD length = GetTempPathW(MAX_PATH + 1, folder);
    folder_ = std::wstring(folder, length);
    for (int attempt = 0; attempt < 100; ++attempt) {
        wchar_t name[40];
        std::swprintf(name, 40, L".palimp-scratch-%08lx-%d.tmp", GetCurrentProcessId() ^ GetTickCount(), attempt);
        HANDLE file = CreateFileW((folder_ / name).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            handle_ = reinterpret_cast<std::intptr_t>(file);
            return;
        }
        if (GetLastError() != ERROR_FILE_EXISTS) break;
    }
    throw FileWriteError(FileWriteError::Kind::kSystem, folder_,
                         detail::SystemErrorText(static_cast<int>(GetLastError())));
}

ScratchFile::~ScratchFile() {
    if (handle_ != -1) CloseHandle(reinterpret_cast<HANDLE>(handle_));
}

namespace {

OVERLAPPED At(std::uint64_t offset) {
    OVERLAPPED at = {};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    return at;
}

}  // namespace

void ScratchFile::Write(std::string_view bytes) {
    HANDLE file = reinterpret_cast<HANDLE>(handle_);
    while (!bytes.empty()) {
        const DWORD piece = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), std::size_t{1} << 24));
        DWORD put = 0;
        OVERLAPPED at = At(written_);
        if (!WriteFile(file, bytes.data(), piece, &put, &at)) {
            throw FileWriteError(FileWriteError::Kind::kSystem, folder_,
                                 detail::SystemErrorText(static_cast<int>(GetLastError())));
        }
        bytes.remove_prefix(put);
        written_ += put;
    }
}

void ScratchFile::Rewind() { read_ = 0; }

std::size_t ScratchFile::Read(char* buffer, std::size_t size) {
    HANDLE file = reinterpret_cast<HANDLE>(handle_);
    std::size_t done = 0;
    while (done < size && read_ < written_) {
        const DWORD want = static_cast<DWORD>(std::min<std::uint64_t>(size - done, written_ - read_));
        DWORD got = 0;
        OVERLAPPED at = At(read_);
        if (!ReadFile(file, buffer + done, want, &got, &at)) ThrowRead(folder_);
        if (got == 0) break;
        done += got;
        read_ += got;
    }
    return done;
}

}  // namespace palimp::os
