// The writer on Windows. ReplaceFileW puts the new file in place of the old one and gives it
// the old one's attributes, ACL and alternate streams; the final path of the target (through
// any symbolic links) comes from the system, since MinGW's std::filesystem sees no links.
#include <windows.h>

#include <sddl.h>

#include <atomic>
#include <memory>
#include <utility>
#include <vector>

#include "core/errors.h"
#include "os/file_replace.h"
#include "os/system_error_text.h"
#include "os/win_support.h"

namespace palimp::os {

namespace fs = std::filesystem;
using detail::Step;
using Kind = FileWriteError::Kind;

namespace {

// The new files not yet committed or abandoned, for RemoveUnfinishedFiles on the console
// control thread: each slot holds the file's path, published whole.
std::atomic<const wchar_t*> unfinished[16];
// In-place overwrites in progress, which a console event lets finish first.
std::atomic<int> overwriting{0};

int Register(const std::wstring& path) {
    wchar_t* copy = new wchar_t[path.size() + 1];
    std::copy(path.c_str(), path.c_str() + path.size() + 1, copy);
    for (int slot = 0; slot < static_cast<int>(std::size(unfinished)); ++slot) {
        const wchar_t* free = nullptr;
        if (unfinished[slot].compare_exchange_strong(free, copy)) return slot;
    }
    delete[] copy;
    return -1;
}

void Unregister(int& slot) {
    if (slot >= 0) delete[] unfinished[slot].exchange(nullptr);
    slot = -1;
}

// True, with the injected error as the last error, when a test makes step fail now.
bool Injected(Step step) {
    if (const int fault = detail::TakeFault(step)) {
        SetLastError(static_cast<DWORD>(fault));
        return true;
    }
    return false;
}

// A security descriptor that lets the current user alone at the file, protected from what the
// folder would pass on: the unfinished copy of a file is nobody else's business.
class PrivateSecurity {
public:
    PrivateSecurity() {
        HANDLE token = nullptr;
        if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return;
        DWORD size = 0;
        GetTokenInformation(token, TokenUser, nullptr, 0, &size);
        std::vector<char> user(size);
        wchar_t* sid = nullptr;
        if (GetTokenInformation(token, TokenUser, user.data(), size, &size) &&
            ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid, &sid)) {
            const std::wstring sddl = L"D:P(A;;FA;;;" + std::wstring(sid) + L")";
            ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1,
                                                                 &descriptor_, nullptr);
            LocalFree(sid);
        }
        CloseHandle(token);
        attributes_.nLength = sizeof attributes_;
        attributes_.lpSecurityDescriptor = descriptor_;
    }
    ~PrivateSecurity() { LocalFree(descriptor_); }
    SECURITY_ATTRIBUTES* Attributes() { return descriptor_ ? &attributes_ : nullptr; }

private:
    PSECURITY_DESCRIPTOR descriptor_ = nullptr;
    SECURITY_ATTRIBUTES attributes_ = {};
};

// Locks a byte far beyond any file's end: writers of this program that commit at the same
// moment take turns, while nobody's reading or writing of the content is blocked.
bool LockCommit(HANDLE file) {
    OVERLAPPED at = {};
    at.Offset = 0xFFFFFFFE;
    at.OffsetHigh = 0x7FFFFFFF;
    return LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &at);
}

}  // namespace

struct FileReplacer::State {
    ~State() {
        if (temporary != INVALID_HANDLE_VALUE) CloseHandle(temporary);
    }
    std::wstring target;     // the file's final path, \\?\ form
    std::wstring temporary_path;  // empty once renamed or removed
    HANDLE temporary = INVALID_HANDLE_VALUE;
    int slot = -1;
    bool exists = false;
    FileStamp found;         // the target as the writer found it
    DWORD attributes = 0;    // the target's, when it exists
    bool inPlace = false;
    std::uint64_t size = 0;  // bytes written to the new file
    // The backup being made: its path, and the link or copy that becomes it (empty once
    // renamed or removed).
    std::wstring backup;
    std::wstring backupTemporary;
    int backupSlot = -1;
    bool backupPlaced = false;  // the backup's name leads to the target itself
};

FileReplacer::FileReplacer(const fs::path& path, const ReplaceOptions& options)
    : path_(path), options_(options), state_(new State) {
    State& state = *state_;
    const std::wstring full = LongPath(FullPath(path.native()));
    if (full.empty()) Fail(Kind::kSystem, detail::SystemErrorText(static_cast<int>(GetLastError())));

    // Opening the path follows its links; the handle then names the file at their end.
    Handle found(CreateFileW(full.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                             nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION information = {};
    if (found) {
        state.exists = true;
        state.target = FinalPath(found.get());
        const DWORD finalError = GetLastError();
        // Wine cannot tell the final path of a long one; a path that is no link is its own.
        const DWORD attributes = GetFileAttributesW(full.c_str());
        if (state.target.empty() && finalError == ERROR_MORE_DATA && attributes != INVALID_FILE_ATTRIBUTES &&
            !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
            state.target = full;
        }
        if (state.target.empty()) Fail(Kind::kSystem, detail::SystemErrorText(static_cast<int>(finalError)));
        if (!GetFileInformationByHandle(found.get(), &information)) {
            Fail(Kind::kSystem, detail::SystemErrorText(static_cast<int>(GetLastError())));
        }
    } else {
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_NOT_FOUND) Fail(Kind::kSystem, detail::SystemErrorText(static_cast<int>(error)));
        const DWORD attributes = GetFileAttributesW(full.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
            Fail(Kind::kSystem, "it is a symbolic link to a missing file");
        }
        state.target = full;
    }
    target_ = fs::path(state.target);

    if (state.exists) {
        state.found = StampOf(found.get(), information);
        state.attributes = information.dwFileAttributes;
        state.inPlace = AcceptExisting({.folder = (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0,
                                        .regular = GetFileType(found.get()) == FILE_TYPE_DISK,
                                        .readOnly = (information.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0,
                                        .stamp = state.found,
                                        .names = information.nNumberOfLinks},
                                       "it is a folder");
        // Under Wine a new file can take neither the old one's Unix owner and group (Wine
        // cannot give a file to another user) nor its mode (Wine maps a descriptor to user and
        // others bits only) nor its extended attributes; and its ReplaceFileW moves the old
        // file away before the new one takes its name. Written in place, the file keeps them.
        if (UnderWine()) state.inPlace = true;
    }
    found.reset();

    const std::wstring folder = state.target.substr(0, state.target.find_last_of(L'\\') + 1);
    PrivateSecurity privacy;
    DWORD error = ERROR_FILE_EXISTS;
    for (int attempt = 0; attempt < 100 && error == ERROR_FILE_EXISTS; ++attempt) {
        const std::string ascii = detail::TemporaryName(GetCurrentProcessId(), attempt);
        const std::wstring name = folder + std::wstring(ascii.begin(), ascii.end());
        // Private while the content is incomplete; a new file gets the folder's defaults.
        state.temporary = Injected(Step::kCreate)
                              ? INVALID_HANDLE_VALUE
                              : CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, FILE_SHARE_DELETE,
                                            state.exists ? privacy.Attributes() : nullptr, CREATE_NEW,
                                            FILE_ATTRIBUTE_NORMAL, nullptr);
        if (state.temporary != INVALID_HANDLE_VALUE) {
            state.temporary_path = name;
            state.slot = Register(name);
            error = 0;
        } else {
            error = GetLastError();
        }
    }
    if (error) Fail(Kind::kSystem, detail::SystemErrorText(static_cast<int>(error)));
}

void FileReplacer::Write(std::string_view bytes) {
    if (!state_) throw FileWriteError(Kind::kSystem, path_, detail::SystemErrorText(ERROR_INVALID_HANDLE));
    if (!WriteAll(state_->temporary, bytes, Step::kWrite, &state_->size)) {
        Fail(Kind::kSystem, detail::SystemErrorText(static_cast<int>(GetLastError())));
    }
}

void FileReplacer::Commit() {
    if (!state_) throw FileWriteError(Kind::kSystem, path_, detail::SystemErrorText(ERROR_INVALID_HANDLE));
    State& state = *state_;
    if (Injected(Step::kFlush) || !FlushFileBuffers(state.temporary)) {
        Fail(Kind::kSystem, detail::SystemErrorText(static_cast<int>(GetLastError())));
    }
    if (state.inPlace) {
        OverwriteInPlace();
        Abandon();
        return;
    }
    RenameOver();
    // ReplaceFileW has no write-through: flushing the file that now holds the name commits
    // the rename to the volume's log with it.
    bool flushed = false;
    DWORD error = 0;
    if (state.exists) {
        Handle placed(CreateFileW(state.target.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, 0, nullptr));
        flushed = placed && !Injected(Step::kFlushFolder) && FlushFileBuffers(placed.get());
        error = GetLastError();
    } else {
        flushed = !Injected(Step::kFlushFolder);
        error = GetLastError();
    }
    Abandon();
    if (!flushed) {
        throw FileWriteError(Kind::kNotDurable, path_,
                             "the new content replaced it, but the system could not flush the"
                             " folder to disk: " + detail::SystemErrorText(static_cast<int>(error)));
    }
}

namespace {

// Whether the target still has the stamp it must have; the lock, taken by the first check, is
// held while the handle is. After the backup's link, which changes the change time itself, the
// rest is compared.
enum class Check { kFirst, kAgain, kAgainAfterLink };
bool TargetUnchanged(HANDLE target, const FileStamp& wanted, Check check = Check::kFirst) {
    BY_HANDLE_FILE_INFORMATION now;
    if ((check == Check::kFirst && !LockCommit(target)) || !GetFileInformationByHandle(target, &now)) return false;
    FileStamp stamp = StampOf(target, now);
    if (check == Check::kAgainAfterLink) stamp.changed = wanted.changed;
    return stamp == wanted;
}

std::string LastErrorText() { return detail::SystemErrorText(static_cast<int>(GetLastError())); }

// The path without the \\?\ prefix, in UTF-8, for messages.
std::string Shown(std::wstring path) {
    if (path.starts_with(L"\\\\?\\")) path.erase(0, 4);
    return ToUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(path.data()), path.size()));
}

// Sets the file's end; false with the last error set otherwise.
bool SetEnd(HANDLE file, std::uint64_t size) {
    FILE_END_OF_FILE_INFO end = {};
    end.EndOfFile.QuadPart = static_cast<LONGLONG>(size);
    return SetFileInformationByHandle(file, FileEndOfFileInfo, &end, sizeof end);
}

}  // namespace

namespace {

// Gives to a file the owner, group and access list of another, as far as this process may set
// them: the access list always, the owner and group where the system allows (it does not let
// an ordinary user give a file away); an error text or empty.
std::string CopySecurity(const std::wstring& from, const std::wstring& to) {
    const SECURITY_INFORMATION wanted = OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
    DWORD size = 0;
    GetFileSecurityW(from.c_str(), wanted, nullptr, 0, &size);
    std::vector<unsigned char> descriptor(size);
    if (size == 0 || !GetFileSecurityW(from.c_str(), wanted, descriptor.data(), size, &size)) return LastErrorText();
    // Wine describes a Unix file's mode with execute rights wherever it may be read, and makes
    // every right given back an x bit: there, the copy is given no execute rights, so that a
    // 0644 file's backup stays 0644 (a 0755 one's becomes 0644).
    BOOL present = FALSE, defaulted = FALSE;
    ACL* dacl = nullptr;
    if (UnderWine() && GetSecurityDescriptorDacl(descriptor.data(), &present, &dacl, &defaulted) && present && dacl) {
        for (DWORD i = 0; i < dacl->AceCount; ++i) {
            void* ace = nullptr;
            if (GetAce(dacl, i, &ace) && static_cast<ACE_HEADER*>(ace)->AceType == ACCESS_ALLOWED_ACE_TYPE) {
                ACCESS_MASK& mask = static_cast<ACCESS_ALLOWED_ACE*>(ace)->Mask;
                if (mask & GENERIC_ALL) mask = (mask & ~GENERIC_ALL) | FILE_ALL_ACCESS;
                mask &= ~static_cast<ACCESS_MASK>(FILE_EXECUTE | GENERIC_EXECUTE);
            }
        }
    }
    if (SetFileSecurityW(to.c_str(), wanted, descriptor.data())) return {};
    if (!SetFileSecurityW(to.c_str(), DACL_SECURITY_INFORMATION, descriptor.data())) return LastErrorText();
    return {};
}

}  // namespace

void FileReplacer::KeepBackup(bool mayLink) {
    State& state = *state_;
    auto fail = [&](std::string reason) {
        DropBackup();
        Fail(Kind::kBackup, std::move(reason));
    };
    state.backup = LongPath(FullPath(options_.backup->native()));
    if (state.backup.empty()) fail(LastErrorText());
    const std::wstring folder = state.backup.substr(0, state.backup.find_last_of(L'\\') + 1);
    // The link or copy is made under a name of its own, removed on a console event, so that
    // an older backup stays until the new one is complete.
    DWORD error = ERROR_FILE_EXISTS;
    for (int attempt = 0; attempt < 100 && error == ERROR_FILE_EXISTS; ++attempt) {
        const std::string ascii = detail::TemporaryName(GetCurrentProcessId(), attempt);
        const std::wstring name = folder + std::wstring(ascii.begin(), ascii.end());
        bool made = false;
        if (mayLink) {
            made = !Injected(Step::kBackup) && CreateHardLinkW(name.c_str(), state.target.c_str(), nullptr);
            error = made ? 0 : GetLastError();
            // Another volume, or one without links: a copy will do.
            if (!made && error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) mayLink = false;
        }
        if (!mayLink) {
            // Content, attributes and times; flushed below.
            made = !Injected(Step::kBackup) && CopyFileW(state.target.c_str(), name.c_str(), TRUE);
            error = made ? 0 : GetLastError();
        }
        if (error == ERROR_ALREADY_EXISTS) error = ERROR_FILE_EXISTS;
        if (made) {
            state.backupTemporary = name;
            state.backupSlot = Register(name);
        }
    }
    if (error) fail(detail::SystemErrorText(static_cast<int>(error)));
    if (!mayLink) {
        // A copy starts with its folder's security: the original's is given to it, so that the
        // backup of a private file stays private (under Wine this sets the Unix mode too).
        if (std::string problem = CopySecurity(state.target, state.backupTemporary); !problem.empty()) fail(problem);
        Handle copy(CreateFileW(state.backupTemporary.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        if (!copy || !FlushFileBuffers(copy.get())) fail(LastErrorText());
    }
    if (!MoveFileExW(state.backupTemporary.c_str(), state.backup.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        fail(LastErrorText());
    }
    Unregister(state.backupSlot);
    state.backupTemporary.clear();
    state.backupPlaced = mayLink;
}

void FileReplacer::DropBackup() noexcept {
    State& state = *state_;
    if (!state.backupTemporary.empty()) DeleteFileW(state.backupTemporary.c_str());
    state.backupTemporary.clear();
    Unregister(state.backupSlot);
    // A link to the target that stays would give it a second name.
    if (state.backupPlaced) {
        Handle backup(CreateFileW(state.backup.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, 0, nullptr));
        Handle target(CreateFileW(state.target.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, 0, nullptr));
        BY_HANDLE_FILE_INFORMATION one, two;
        if (backup && target && GetFileInformationByHandle(backup.get(), &one) &&
            GetFileInformationByHandle(target.get(), &two) && one.dwVolumeSerialNumber == two.dwVolumeSerialNumber &&
            one.nFileIndexHigh == two.nFileIndexHigh && one.nFileIndexLow == two.nFileIndexLow) {
            backup.reset();
            DeleteFileW(state.backup.c_str());
        }
    }
    state.backupPlaced = false;
}

void FileReplacer::RenameOver() {
    State& state = *state_;
    if (state.exists) {
        // ReplaceFileW merges the old file's attributes into the new one; Wine's does not, so
        // the ones a user sets (hidden, system, archive, not indexed) are given here too.
        FILE_BASIC_INFO basic = {};
        basic.FileAttributes = state.attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                                                   FILE_ATTRIBUTE_NOT_CONTENT_INDEXED);
        if (basic.FileAttributes != 0 &&
            (Injected(Step::kAttributes) ||
             !SetFileInformationByHandle(state.temporary, FileBasicInfo, &basic, sizeof basic))) {
            Fail(Kind::kSystem, LastErrorText());
        }
    }
    CloseHandle(std::exchange(state.temporary, INVALID_HANDLE_VALUE));
    if (state.exists) {
        // A program that holds the file open without letting it be deleted makes ReplaceFileW
        // fail, and Wine's then leaves a file of its own beside it: that is asked first.
        if (!Handle(CreateFileW(state.target.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, 0, nullptr))) {
            Fail(Kind::kSystem, LastErrorText());
        }
        Handle target(CreateFileW(state.target.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, 0, nullptr));
        if (!target || !TargetUnchanged(target.get(), options_.expected ? *options_.expected : state.found)) {
            Fail(Kind::kChanged, "it was changed by another program meanwhile");
        }
        if (options_.backup) {
            KeepBackup(true);
            // The backup took a while, and a line appended meanwhile would live on in the backup
            // only: the file is checked once more.
            if (!TargetUnchanged(target.get(), options_.expected ? *options_.expected : state.found, Check::kAgainAfterLink)) {
                DropBackup();
                Fail(Kind::kChanged, "it was changed by another program meanwhile");
            }
        }
        // Attributes, ACL and alternate streams of the old file go to the new one.
        if (Injected(Step::kRename) ||
            !ReplaceFileW(state.target.c_str(), state.temporary_path.c_str(), nullptr, 0, nullptr, nullptr)) {
            const DWORD error = GetLastError();
            DropBackup();
            Fail(Kind::kSystem, detail::SystemErrorText(static_cast<int>(error)));
        }
    } else if (Injected(Step::kRename) ||
               !MoveFileExW(state.temporary_path.c_str(), state.target.c_str(), MOVEFILE_WRITE_THROUGH)) {
        const DWORD error = GetLastError();
        if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS) {
            Fail(Kind::kChanged, "another program created it meanwhile");
        }
        Fail(Kind::kSystem, detail::SystemErrorText(static_cast<int>(error)));
    }
    Unregister(state.slot);
    state.temporary_path.clear();
}

void FileReplacer::OverwriteInPlace() {
    State& state = *state_;
    Handle out(CreateFileW(state.target.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!out) Fail(Kind::kSystem, LastErrorText());
    if (!TargetUnchanged(out.get(), options_.expected ? *options_.expected : state.found)) {
        Fail(Kind::kChanged, "it was changed by another program meanwhile");
    }
    // The file itself is about to change: the backup is a copy, complete before it does, and
    // of the file as checked.
    if (options_.backup) {
        KeepBackup(false);
        if (!TargetUnchanged(out.get(), options_.expected ? *options_.expected : state.found, Check::kAgain)) {
            Fail(Kind::kChanged, "it was changed by another program meanwhile");
        }
    }
    ++overwriting;
    struct Done {
        ~Done() { --overwriting; }
    } done;
    const std::uint64_t original = state.found.size;  // as checked
    bool touched = false;  // whether the file differs from what it was
    bool ok = true;
    DWORD error = 0;
    // Room for the whole result first, so that a full disk fails before a byte changes.
    if (state.size > original) {
        FILE_ALLOCATION_INFO room = {};
        room.AllocationSize.QuadPart = static_cast<LONGLONG>(state.size);
        if (Injected(Step::kExtend) ||
            (!SetFileInformationByHandle(out.get(), FileAllocationInfo, &room, sizeof room) &&
             GetLastError() != ERROR_INVALID_PARAMETER && GetLastError() != ERROR_NOT_SUPPORTED &&
             GetLastError() != ERROR_CALL_NOT_IMPLEMENTED) ||
            !SetEnd(out.get(), state.size)) {
            ok = false;
            error = GetLastError();
        }
        touched = true;  // the allocation or the end may have moved: put back below
    }
    LARGE_INTEGER start = {};
    ok = ok && SetFilePointerEx(state.temporary, start, nullptr, FILE_BEGIN);
    std::vector<char> buffer(std::size_t{1} << 20);
    std::uint64_t written = 0;
    while (ok) {
        DWORD got = 0;
        if (!ReadFile(state.temporary, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr)) {
            ok = false;
        } else if (got == 0) {
            break;
        } else if (!WriteAll(out.get(), std::string_view(buffer.data(), got), Step::kWrite, &written)) {
            ok = false;
        }
        if (!ok) error = GetLastError();
    }
    if (ok) {
        touched = true;
        ok = SetEndOfFile(out.get()) && !Injected(Step::kFlush) && FlushFileBuffers(out.get());
        if (!ok) error = GetLastError();
    }
    if (!ok) {
        const std::string reason = detail::SystemErrorText(static_cast<int>(error));
        // Nothing written but room made: the file gets its own size back, and is as it was.
        if (touched && written == 0 && SetEnd(out.get(), original)) touched = false;
        if (!touched) Fail(Kind::kSystem, reason);
        // The file holds part of the result: the whole of it stays beside it.
        const std::wstring kept = std::exchange(state.temporary_path, std::wstring());
        Unregister(state.slot);
        Fail(Kind::kPartlyWritten, reason + "; the file is partly rewritten, and its new content is in " + Shown(kept));
    }
}

void FileReplacer::Abandon() noexcept {
    if (!state_) return;
    if (state_->temporary != INVALID_HANDLE_VALUE) CloseHandle(std::exchange(state_->temporary, INVALID_HANDLE_VALUE));
    if (!state_->temporary_path.empty()) DeleteFileW(state_->temporary_path.c_str());
    Unregister(state_->slot);
    if (!state_->backupTemporary.empty()) DeleteFileW(state_->backupTemporary.c_str());
    Unregister(state_->backupSlot);
    delete state_;
    state_ = nullptr;
}

void RemoveUnfinishedFiles() noexcept {
    while (overwriting.load() > 0) Sleep(1);
    for (auto& slot : unfinished) {
        const wchar_t* path = slot.load();
        if (!path) continue;
        // Still open here (shared for deletion alone): it goes when the process's handles close.
        DeleteFileW(path);
    }
}

std::string detail::SystemErrorText(int error) {
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                            FORMAT_MESSAGE_IGNORE_INSERTS,
                                        nullptr, static_cast<DWORD>(error), MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                                        reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::u16string line(reinterpret_cast<const char16_t*>(text), length);
    LocalFree(text);
    while (!line.empty() && (line.back() == u'\r' || line.back() == u'\n' || line.back() == u' ' || line.back() == u'.')) {
        line.pop_back();
    }
    if (line.empty()) return "error " + std::to_string(error);
    return ToUtf8(line);
}

}  // namespace palimp::os
