// The writer on POSIX systems. Everything after the links are followed is done relative to a
// descriptor of the target's folder (openat, renameat, fsync), so that the folder cannot be
// swapped meanwhile and no step builds a path longer than the one given.
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <system_error>
#include <vector>

#if defined(__linux__)
#include <sys/xattr.h>
#endif

#include "os/file_replace.h"
#include "os/posix_support.h"
#include "os/system_error_text.h"

namespace palimp::os {

namespace fs = std::filesystem;
using detail::Step;
using Kind = FileWriteError::Kind;

namespace {

// The new files not yet committed or abandoned, for RemoveUnfinishedFiles in a signal
// handler: plain slots and lock-free atomics only. A slot is free (0), being filled (1) or
// names a file (2).
struct Unfinished {
    std::atomic<int> state{0};
    int folder = -1;
    char name[32] = {};
};
Unfinished unfinished[16];
static_assert(std::atomic<int>::is_always_lock_free);

int Register(int folder, const char* name) {
    for (int slot = 0; slot < static_cast<int>(std::size(unfinished)); ++slot) {
        int free = 0;
        if (!unfinished[slot].state.compare_exchange_strong(free, 1)) continue;
        unfinished[slot].folder = folder;
        std::snprintf(unfinished[slot].name, sizeof unfinished[slot].name, "%s", name);
        unfinished[slot].state = 2;
        return slot;
    }
    return -1;  // more writers than slots: the extra ones are not cleaned up after a signal
}

void Unregister(int& slot) {
    if (slot >= 0) unfinished[slot].state = 0;
    slot = -1;
}

// Runs a system call that the tests may make fail at step; returns its result, -1 with errno
// set when it failed.
template <class Call>
auto Attempt(Step step, Call call) {
    if (const int fault = detail::TakeFault(step)) {
        errno = fault;
        return decltype(call())(-1);
    }
    return call();
}

// The file that path leads to through symbolic links; a link to a missing file leads to that
// file, which will be created.
fs::path FollowLinks(const fs::path& path, int& error) {
    fs::path at = path;
    for (int hop = 0; hop < 40; ++hop) {
        struct stat status;
        if (lstat(at.c_str(), &status) != 0) {
            if (errno == ENOENT) return at;
            error = errno;
            return {};
        }
        if (!S_ISLNK(status.st_mode)) return at;
        std::vector<char> link(static_cast<std::size_t>(status.st_size > 0 ? status.st_size : 255) + 1);
        ssize_t length;
        while ((length = readlink(at.c_str(), link.data(), link.size())) ==
               static_cast<ssize_t>(link.size())) {
            link.resize(link.size() * 2);
        }
        if (length < 0) {
            error = errno;
            return {};
        }
        const fs::path next(std::string(link.data(), static_cast<std::size_t>(length)));
        at = next.is_absolute() ? next : at.parent_path() / next;
    }
    error = ELOOP;
    return {};
}

// Holds off the signals that end a process politely while a step must not be cut short;
// they are delivered when it ends.
class SignalsHeld {
public:
    SignalsHeld() {
        sigset_t held;
        sigemptyset(&held);
        for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) sigaddset(&held, signal);
        pthread_sigmask(SIG_BLOCK, &held, &previous_);
    }
    ~SignalsHeld() { pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }

private:
    sigset_t previous_;
};

// Writes every byte, at *offset when given (which then counts every byte written, also of a
// write that stopped midway); false with errno set otherwise.
bool WriteAll(int fd, const char* data, std::size_t size, off_t* offset, Step step) {
    while (size > 0) {
        std::size_t part = 0;
        const int fault = detail::TakeFault(step, &part);
        if (fault && part == 0) {
            errno = fault;
            return false;
        }
        const std::size_t now = fault ? std::min(part, size) : size;
        const ssize_t put = offset ? pwrite(fd, data, now, *offset) : write(fd, data, now);
        if (put < 0) {
            if (errno == EINTR && !fault) continue;
            return false;
        }
        data += put;
        size -= static_cast<std::size_t>(put);
        if (offset) *offset += put;
        if (fault) {
            errno = fault;  // the disk filled after part of the buffer
            return false;
        }
    }
    return true;
}

// Closes a descriptor, if any, when it goes.
struct Closer {
    int fd;
    ~Closer() {
        if (fd >= 0) close(fd);
    }
};

// The open folder of path's parent, or -1 with errno set.
int OpenParent(const fs::path& path) {
    const fs::path folder = path.has_parent_path() ? path.parent_path() : fs::path(".");
    return AboveStandardStreams(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
}

}  // namespace

struct FileReplacer::State {
    ~State() {
        for (int fd : {folder, temporary, target, backupFolder}) {
            if (fd >= 0) close(fd);
        }
    }
    int folder = -1;
    std::string name;           // the target's name in folder
    std::string temporaryName;  // empty once renamed or removed
    int temporary = -1;
    int slot = -1;              // in unfinished
    bool exists = false;
    struct stat found = {};     // the target as the writer found it
    int target = -1;            // the target, opened to read what it carries and to lock it
    bool readable = false;      // whether target is open for reading, not just a path
    bool inPlace = false;       // the result is written into the target itself
    off_t size = 0;             // bytes written to the new file
    // The backup being made: its folder, its name there, and the name of the copy or link
    // that becomes it (empty once renamed or removed).
    int backupFolder = -1;
    std::string backupName;
    std::string backupTemporary;
    int backupSlot = -1;
    bool backupPlaced = false;  // the backup's name leads to the target itself
};

FileReplacer::FileReplacer(const fs::path& path, const ReplaceOptions& options)
    : path_(path), options_(options), state_(new State) {
    State& state = *state_;
    // What the name leads to, also where no path does (a descriptor under /proc naming a
    // pipe or a terminal): a device or a pipe is never replaced.
    struct stat named;
    if (stat(path.c_str(), &named) == 0 && !S_ISREG(named.st_mode) && !S_ISDIR(named.st_mode)) {
        Fail(Kind::kNotRegular, "not a regular file");
    }
    int error = 0;
    target_ = FollowLinks(path, error);
    if (error) Fail(Kind::kSystem, detail::SystemErrorText(error));
    state.name = target_.filename().native();
    if (state.name.empty() || state.name == "." || state.name == "..") {
        Fail(Kind::kNotRegular, detail::SystemErrorText(EISDIR));
    }
    state.folder = OpenParent(target_);
    if (state.folder < 0) Fail(Kind::kSystem, detail::SystemErrorText(errno));

    struct stat& found = state.found;
    if (fstatat(state.folder, state.name.c_str(), &found, AT_SYMLINK_NOFOLLOW) == 0) {
        state.exists = true;
    } else if (errno != ENOENT) {
        Fail(Kind::kSystem, detail::SystemErrorText(errno));
    }
    if (state.exists) {
        const int denied = faccessat(state.folder, state.name.c_str(), W_OK, AT_EACCESS) != 0 ? errno : 0;
        state.inPlace = AcceptExisting({.folder = S_ISDIR(found.st_mode),
                                        .regular = S_ISREG(found.st_mode),
                                        .readOnly = (found.st_mode & 0222) == 0,
                                        .cannotWrite = denied ? detail::SystemErrorText(denied) : std::string(),
                                        .stamp = StampOf(found),
                                        .names = found.st_nlink},
                                       detail::SystemErrorText(EISDIR));
        const char* name = state.name.c_str();
        state.target = AboveStandardStreams(openat(state.folder, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
        state.readable = state.target >= 0;
#if defined(O_PATH)
        if (!state.readable) {
            state.target = AboveStandardStreams(openat(state.folder, name, O_PATH | O_NOFOLLOW | O_CLOEXEC));
        }
#endif
    }

    // Created with the signals held, so that a signal finds it registered for removal.
    {
        SignalsHeld held;
        for (int attempt = 0; attempt < 100 && state.temporary < 0; ++attempt) {
            std::string name = detail::TemporaryName(static_cast<unsigned long long>(getpid()), attempt);
            // Private while the content is incomplete; a new file gets the folder's defaults.
            const mode_t mode = state.exists ? 0600 : 0666;
            state.temporary = AboveStandardStreams(Attempt(Step::kCreate, [&] {
                return openat(state.folder, name.c_str(),
                              O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
            }));
            if (state.temporary >= 0) {
                state.temporaryName = std::move(name);
                state.slot = Register(state.folder, state.temporaryName.c_str());
            } else if (errno != EEXIST) {
                break;
            }
        }
    }
    if (state.temporary < 0) Fail(Kind::kSystem, detail::SystemErrorText(errno));

    if (state.exists && !state.inPlace &&
        (found.st_uid != geteuid() || found.st_gid != getegid()) &&
        Attempt(Step::kAttributes, [&] { return fchown(state.temporary, found.st_uid, found.st_gid); }) != 0) {
        if (errno != EPERM) Fail(Kind::kSystem, detail::SystemErrorText(errno));
        if (!options_.overwriteInPlace) {
            Fail(Kind::kOwner, "it belongs to another user or group, which a new file would not keep");
        }
        state.inPlace = true;
    }
}

void FileReplacer::Write(std::string_view bytes) {
    if (!state_) throw FileWriteError(Kind::kSystem, path_, detail::SystemErrorText(EBADF));
    if (!WriteAll(state_->temporary, bytes.data(), bytes.size(), &state_->size, Step::kWrite)) {
        Fail(Kind::kSystem, detail::SystemErrorText(errno));
    }
}

namespace {

// Copies the extended attributes of from (ACLs among them on Linux) to the descriptor to;
// returns an error text or empty.
std::string CopyExtendedAttributes(int from, bool readable, int to) {
#if defined(__linux__)
    // A file open only as a path carries its attributes under /proc.
    const std::string procPath = "/proc/self/fd/" + std::to_string(from);
    auto list = [&](char* buffer, std::size_t size) {
        return readable ? flistxattr(from, buffer, size) : listxattr(procPath.c_str(), buffer, size);
    };
    auto get = [&](const char* name, void* buffer, std::size_t size) {
        return readable ? fgetxattr(from, name, buffer, size)
                        : getxattr(procPath.c_str(), name, buffer, size);
    };
    std::vector<char> names;
    for (;;) {
        const ssize_t size = list(nullptr, 0);
        if (size < 0) return errno == ENOTSUP ? std::string() : detail::SystemErrorText(errno);
        names.resize(static_cast<std::size_t>(size));
        const ssize_t got = list(names.data(), names.size());
        if (got >= 0) {
            names.resize(static_cast<std::size_t>(got));
            break;
        }
        if (errno != ERANGE) return detail::SystemErrorText(errno);
    }
    std::vector<char> value;
    for (std::size_t at = 0; at < names.size(); at += std::strlen(names.data() + at) + 1) {
        const char* name = names.data() + at;
        ssize_t size;
        for (;;) {
            size = get(name, nullptr, 0);
            if (size < 0) break;
            value.resize(static_cast<std::size_t>(size));
            size = get(name, value.data(), value.size());
            if (size >= 0 || errno != ERANGE) break;
        }
        if (size < 0 && errno == ENODATA) continue;  // removed meanwhile
        if (size < 0 || Attempt(Step::kAttributes, [&] {
                return fsetxattr(to, name, value.data(), static_cast<std::size_t>(size), 0);
            }) != 0) {
            return "cannot keep its extended attribute " + std::string(name) + ": " +
                   detail::SystemErrorText(errno);
        }
    }
#else
    (void)from, (void)readable, (void)to;
#endif
    return {};
}

}  // namespace

void FileReplacer::Commit() {
    if (!state_) throw FileWriteError(Kind::kSystem, path_, detail::SystemErrorText(EBADF));
    State& state = *state_;
    if (state.exists && !state.inPlace && state.target >= 0) {
        // After the content: writing would clear set-user-ID bits and file capabilities.
        const std::string problem = CopyExtendedAttributes(state.target, state.readable, state.temporary);
        if (!problem.empty()) Fail(Kind::kSystem, problem);
        if (Attempt(Step::kAttributes, [&] { return fchmod(state.temporary, state.found.st_mode & 07777); }) != 0) {
            Fail(Kind::kSystem, detail::SystemErrorText(errno));
        }
    }
    if (Attempt(Step::kFlush, [&] { return fsync(state.temporary); }) != 0) {
        Fail(Kind::kSystem, detail::SystemErrorText(errno));
    }
    if (state.inPlace) {
        OverwriteInPlace();
    } else {
        RenameOver();
    }
    // The rename is on disk only once the folder is.
    const int flushed = Attempt(Step::kFlushFolder, [&] { return fsync(state.folder); });
    const int error = errno;
    Abandon();
    if (flushed != 0 && error != EINVAL && error != ENOTSUP) {
        throw FileWriteError(Kind::kNotDurable, path_,
                             "the new content replaced it, but the system could not flush the"
                             " folder to disk: " + detail::SystemErrorText(error));
    }
}

namespace {

// Whether fd, the target, still has the stamp it must have, checked with the target locked:
// another writer of this program that commits at the same moment waits, then sees the file it
// replaced. After the backup's link, which changes the change time itself, the rest is compared.
bool TargetUnchanged(const FileReplacer::State& state, const ReplaceOptions& options, int fd,
                     bool lock, bool linkedSince = false) {
    while (lock && flock(fd, LOCK_EX) != 0 && errno == EINTR) {
    }
    struct stat now, named;
    if (fstat(fd, &now) != 0) return false;
    const FileStamp wanted = options.expected ? *options.expected : StampOf(state.found);
    FileStamp stamp = StampOf(now);
    if (linkedSince) stamp.changed = wanted.changed;
    if (stamp != wanted) return false;
    // And the name still leads to that file.
    return fstatat(state.folder, state.name.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
           named.st_dev == now.st_dev && named.st_ino == now.st_ino;
}

// Copies the bytes of from (read with pread, so its offset stays) to the start of to; an error
// text or empty.
std::string CopyContent(int from, int to) {
    std::vector<char> buffer(std::size_t{1} << 20);
    off_t read = 0, written = 0;
    for (;;) {
        const ssize_t got = pread(from, buffer.data(), buffer.size(), read);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return detail::SystemErrorText(errno);
        if (got == 0) return {};
        read += got;
        if (!WriteAll(to, buffer.data(), static_cast<std::size_t>(got), &written, Step::kBackup)) {
            return detail::SystemErrorText(errno);
        }
    }
}

}  // namespace

void FileReplacer::KeepBackup(bool mayLink) {
    State& state = *state_;
    const fs::path& backup = *options_.backup;
    auto fail = [&](std::string reason) {
        DropBackup();
        Fail(Kind::kBackup, std::move(reason));
    };
    state.backupName = backup.filename().native();
    if (state.backupName.empty() || state.backupName == "." || state.backupName == "..") {
        fail(detail::SystemErrorText(EISDIR));
    }
    state.backupFolder = OpenParent(backup);
    if (state.backupFolder < 0) fail(detail::SystemErrorText(errno));

    // The link or copy is made under a name of its own, registered for removal on a signal, so
    // that an older backup stays until the new one is complete.
    int copy = -1;
    for (int attempt = 0; attempt < 100 && state.backupTemporary.empty(); ++attempt) {
        std::string name = detail::TemporaryName(static_cast<unsigned long long>(getpid()), attempt);
        SignalsHeld held;
        int made = -1;
        if (mayLink) {
            made = Attempt(Step::kBackup, [&] {
                return linkat(state.folder, state.name.c_str(), state.backupFolder, name.c_str(), 0);
            });
            // Another file system, or one without links: a copy will do.
            if (made != 0 && (errno == EXDEV || errno == EPERM || errno == EMLINK || errno == ENOTSUP ||
                              errno == EOPNOTSUPP)) {
                mayLink = false;
            }
        }
        if (!mayLink) {
            copy = AboveStandardStreams(openat(state.backupFolder, name.c_str(),
                                               O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
            made = copy >= 0 ? 0 : -1;
        }
        if (made == 0) {
            state.backupTemporary = std::move(name);
            state.backupSlot = Register(state.backupFolder, state.backupTemporary.c_str());
        } else if (errno != EEXIST) {
            fail(detail::SystemErrorText(errno));
        }
    }
    if (state.backupTemporary.empty()) fail(detail::SystemErrorText(EEXIST));

    if (!mayLink) {
        Closer closer{copy};
        // The target's own descriptor when it is open for reading, else one for the copy.
        const int opened = state.readable ? -1
                                          : AboveStandardStreams(openat(state.folder, state.name.c_str(),
                                                                        O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
        if (!state.readable && opened < 0) fail(detail::SystemErrorText(errno));
        Closer openedCloser{opened};
        const int from = state.readable ? state.target : opened;
        const struct stat& found = state.found;
        std::string problem = CopyContent(from, copy);
        // The owner first (it clears set-user-ID bits and capabilities), then the attributes,
        // the mode and the times; a file whose owner cannot be kept loses set-user-ID and
        // set-group-ID, so that the copy grants nobody else's rights.
        mode_t mode = found.st_mode & 07777;
        if (problem.empty() && fchown(copy, found.st_uid, found.st_gid) != 0) {
            if (errno != EPERM) problem = detail::SystemErrorText(errno);
            mode &= ~static_cast<mode_t>(S_ISUID | S_ISGID);
        }
        if (problem.empty()) problem = CopyExtendedAttributes(from, true, copy);
        if (problem.empty() && fchmod(copy, mode) != 0) problem = detail::SystemErrorText(errno);
        const struct timespec times[2] = {found.st_atim, found.st_mtim};
        if (problem.empty() && futimens(copy, times) != 0) problem = detail::SystemErrorText(errno);
        if (problem.empty() && Attempt(Step::kFlush, [&] { return fsync(copy); }) != 0) {
            problem = detail::SystemErrorText(errno);
        }
        if (!problem.empty()) fail(problem);
    }
    {
        SignalsHeld held;
        if (renameat(state.backupFolder, state.backupTemporary.c_str(), state.backupFolder,
                     state.backupName.c_str()) != 0) {
            fail(detail::SystemErrorText(errno));
        }
        Unregister(state.backupSlot);
        state.backupTemporary.clear();
        state.backupPlaced = mayLink;
    }
    // On disk before the file it keeps is replaced.
    fsync(state.backupFolder);
}

void FileReplacer::DropBackup() noexcept {
    State& state = *state_;
    if (!state.backupTemporary.empty()) unlinkat(state.backupFolder, state.backupTemporary.c_str(), 0);
    state.backupTemporary.clear();
    Unregister(state.backupSlot);
    // A link to the target that stays would give it a second name.
    struct stat backup, target;
    if (state.backupPlaced && fstatat(state.backupFolder, state.backupName.c_str(), &backup, AT_SYMLINK_NOFOLLOW) == 0 &&
        fstatat(state.folder, state.name.c_str(), &target, AT_SYMLINK_NOFOLLOW) == 0 &&
        backup.st_dev == target.st_dev && backup.st_ino == target.st_ino) {
        unlinkat(state.backupFolder, state.backupName.c_str(), 0);
    }
    state.backupPlaced = false;
}

void FileReplacer::RenameOver() {
    State& state = *state_;
    const char* from = state.temporaryName.c_str();
    const char* to = state.name.c_str();
    int renamed;
    if (state.exists) {
        // The check, the backup and the rename at once, with the lock held: a signal waits
        // until the file is replaced and has its backup, or neither.
        SignalsHeld held;
        if (state.target >= 0 && !TargetUnchanged(state, options_, state.target, state.readable)) {
            Fail(Kind::kChanged, "it was changed by another program meanwhile");
        }
        if (options_.backup) {
            KeepBackup(true);
            // The backup took a while (a link, a flush of its folder), and a line appended
            // meanwhile would live on in the backup only: the file is checked once more.
            if (state.target >= 0 && !TargetUnchanged(state, options_, state.target, false, true)) {
                DropBackup();
                Fail(Kind::kChanged, "it was changed by another program meanwhile");
            }
        }
        renamed = Attempt(Step::kRename, [&] { return renameat(state.folder, from, state.folder, to); });
        if (renamed != 0) {
            const int error = errno;
            DropBackup();
            errno = error;
        }
    } else {
        // A file that appeared meanwhile is somebody else's: it is not replaced.
#if defined(__linux__)
        renamed = Attempt(Step::kRename, [&] {
            return renameat2(state.folder, from, state.folder, to, RENAME_NOREPLACE);
        });
        if (renamed != 0 && (errno == EINVAL || errno == ENOSYS))
#endif
        {
            struct stat named;
            if (fstatat(state.folder, to, &named, AT_SYMLINK_NOFOLLOW) == 0) {
                errno = EEXIST;
                renamed = -1;
            } else {
                renamed = Attempt(Step::kRename, [&] { return renameat(state.folder, from, state.folder, to); });
            }
        }
        if (renamed != 0 && errno == EEXIST) {
            Fail(Kind::kChanged, "another program created it meanwhile");
        }
    }
    if (renamed != 0) Fail(Kind::kSystem, detail::SystemErrorText(errno));
    Unregister(state.slot);
    state.temporaryName.clear();
}

void FileReplacer::OverwriteInPlace() {
    State& state = *state_;
    const int out = AboveStandardStreams(openat(state.folder, state.name.c_str(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC));
    if (out < 0) Fail(Kind::kSystem, detail::SystemErrorText(errno));
    Closer closer{out};
    if (!TargetUnchanged(state, options_, out, true)) Fail(Kind::kChanged, "it was changed by another program meanwhile");
    // The file itself is about to change: the backup is a copy, complete before it does, and
    // of the file as checked.
    if (options_.backup) {
        KeepBackup(false);
        if (!TargetUnchanged(state, options_, out, false)) Fail(Kind::kChanged, "it was changed by another program meanwhile");
    }

    SignalsHeld held;
    const off_t original = state.found.st_size;  // as checked
    bool touched = false;  // whether the file differs from what it was
    bool ok = true;
    int error = 0;
    // Room for the whole result first, so that a full disk fails before a byte changes.
    if (state.size > original) {
        int reserved = detail::TakeFault(Step::kExtend);
        if (reserved == 0) reserved = posix_fallocate(out, 0, state.size);
        struct stat now;
        touched = fstat(out, &now) != 0 || now.st_size != original;
        if (reserved != 0 && reserved != EOPNOTSUPP && reserved != EINVAL && reserved != ENOSYS) {
            ok = false;
            error = reserved;
        }
    }
    off_t read = 0, written = 0;
    std::vector<char> buffer(std::size_t{1} << 20);
    while (ok) {
        const ssize_t got = pread(state.temporary, buffer.data(), buffer.size(), read);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) {
            ok = got == 0;
            error = errno;
            break;
        }
        read += got;
        const bool whole = WriteAll(out, buffer.data(), static_cast<std::size_t>(got), &written, Step::kWrite);
        error = errno;
        touched = touched || written > 0;
        ok = whole;
    }
    if (ok) {
        touched = touched || written != original;
        ok = ftruncate(out, written) == 0 && Attempt(Step::kFlush, [&] { return fsync(out); }) == 0;
        error = errno;
    }
    if (!ok) {
        const std::string reason = detail::SystemErrorText(error);
        // Nothing written but room made: the file gets its own size back, and is as it was.
        if (touched && written == 0 && ftruncate(out, original) == 0) touched = false;
        if (!touched) Fail(Kind::kSystem, reason);
        // The file holds part of the result: the whole of it stays beside it, where the
        // message says.
        const fs::path kept = target_.parent_path() / state.temporaryName;
        Unregister(state.slot);
        state.temporaryName.clear();
        Fail(Kind::kPartlyWritten, reason + "; the file is partly rewritten, and its new content is in " +
                                       kept.string());
    }
}

void FileReplacer::Abandon() noexcept {
    if (!state_) return;
    if (!state_->temporaryName.empty()) unlinkat(state_->folder, state_->temporaryName.c_str(), 0);
    Unregister(state_->slot);
    if (!state_->backupTemporary.empty()) unlinkat(state_->backupFolder, state_->backupTemporary.c_str(), 0);
    Unregister(state_->backupSlot);
    delete state_;
    state_ = nullptr;
}

std::string detail::SystemErrorText(int error) { return std::generic_category().message(error); }

void RemoveUnfinishedFiles() noexcept {
    for (Unfinished& file : unfinished) {
        if (file.state.load() == 2) unlinkat(file.folder, file.name, 0);
    }
}

}  // namespace palimp::os
