// The writer on POSIX systems. Everything after the links are followed is done relative to a
// descriptor of the target's folder (openat, renameat, fsync), so that the folder cannot be
// swapped meanwhile and no step builds a path longer than the one given.
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

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

bool WriteAll(int fd, const char* data, std::size_t size, off_t* offset, Step step) {
    while (size > 0) {
        const ssize_t put = Attempt(step, [&] {
            return offset ? pwrite(fd, data, size, *offset) : write(fd, data, size);
        });
        if (put < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += put;
        size -= static_cast<std::size_t>(put);
        if (offset) *offset += put;
    }
    return true;
}

}  // namespace

struct FileReplacer::State {
    ~State() {
        for (int fd : {folder, temporary, target}) {
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
};

FileReplacer::FileReplacer(const fs::path& path, const ReplaceOptions& options)
    : path_(path), options_(options), state_(new State) {
    State& state = *state_;
    int error = 0;
    target_ = FollowLinks(path, error);
    if (error) Fail(Kind::kSystem, detail::SystemErrorText(error));
    state.name = target_.filename().native();
    if (state.name.empty() || state.name == "." || state.name == "..") {
        Fail(Kind::kNotRegular, detail::SystemErrorText(EISDIR));
    }
    const fs::path folder = target_.has_parent_path() ? target_.parent_path() : fs::path(".");
    state.folder = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (state.folder < 0) Fail(Kind::kSystem, detail::SystemErrorText(errno));

    struct stat& found = state.found;
    if (fstatat(state.folder, state.name.c_str(), &found, AT_SYMLINK_NOFOLLOW) == 0) {
        state.exists = true;
    } else if (errno != ENOENT) {
        Fail(Kind::kSystem, detail::SystemErrorText(errno));
    }
    if (state.exists) {
        if (S_ISDIR(found.st_mode)) Fail(Kind::kNotRegular, detail::SystemErrorText(EISDIR));
        if (!S_ISREG(found.st_mode)) Fail(Kind::kNotRegular, "not a regular file");
        // Nobody may write it: a rename must not be a way around that, not even for root.
        if ((found.st_mode & 0222) == 0) Fail(Kind::kReadOnly, "the file is read-only");
        if (faccessat(state.folder, state.name.c_str(), W_OK, AT_EACCESS) != 0) {
            Fail(Kind::kSystem, detail::SystemErrorText(errno));
        }
        if (options_.expected && StampOf(found) != *options_.expected) {
            Fail(Kind::kChanged, "it was changed by another program meanwhile");
        }
        if (found.st_nlink > 1) {
            if (!options_.overwriteInPlace) {
                Fail(Kind::kHardLinks, "it has " + std::to_string(found.st_nlink) +
                                           " names (hard links), and a new file would have only this one");
            }
            state.inPlace = true;
        }
        const char* name = state.name.c_str();
        state.target = openat(state.folder, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        state.readable = state.target >= 0;
#if defined(O_PATH)
        if (!state.readable) state.target = openat(state.folder, name, O_PATH | O_NOFOLLOW | O_CLOEXEC);
#endif
    }

    // Created with the signals held, so that a signal finds it registered for removal.
    {
        SignalsHeld held;
        for (int attempt = 0; attempt < 100 && state.temporary < 0; ++attempt) {
            std::string name = detail::TemporaryName(static_cast<unsigned long long>(getpid()), attempt);
            // Private while the content is incomplete; a new file gets the folder's defaults.
            const mode_t mode = state.exists ? 0600 : 0666;
            state.temporary = Attempt(Step::kCreate, [&] {
                return openat(state.folder, name.c_str(),
                              O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
            });
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
    if (!WriteAll(state_->temporary, bytes.data(), bytes.size(), nullptr, Step::kWrite)) {
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
// replaced.
bool TargetUnchanged(const FileReplacer::State& state, const ReplaceOptions& options, int fd,
                     bool lock) {
    while (lock && flock(fd, LOCK_EX) != 0 && errno == EINTR) {
    }
    struct stat now, named;
    if (fstat(fd, &now) != 0) return false;
    const FileStamp wanted = options.expected ? *options.expected : StampOf(state.found);
    if (StampOf(now) != wanted) return false;
    // And the name still leads to that file.
    return fstatat(state.folder, state.name.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
           named.st_dev == now.st_dev && named.st_ino == now.st_ino;
}

}  // namespace

void FileReplacer::RenameOver() {
    State& state = *state_;
    const char* from = state.temporaryName.c_str();
    const char* to = state.name.c_str();
    int renamed;
    if (state.exists) {
        if (state.target >= 0 && !TargetUnchanged(state, options_, state.target, state.readable)) {
            Fail(Kind::kChanged, "it was changed by another program meanwhile");
        }
        renamed = Attempt(Step::kRename, [&] { return renameat(state.folder, from, state.folder, to); });
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
    const int out = openat(state.folder, state.name.c_str(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC);
    if (out < 0) Fail(Kind::kSystem, detail::SystemErrorText(errno));
    struct Closer {
        int fd;
        ~Closer() { close(fd); }
    } closer{out};
    if (!TargetUnchanged(state, options_, out, true)) Fail(Kind::kChanged, "it was changed by another program meanwhile");

    SignalsHeld held;
    off_t read = 0, written = 0;
    std::vector<char> buffer(std::size_t{1} << 20);
    bool ok = true;
    for (;;) {
        const ssize_t got = pread(state.temporary, buffer.data(), buffer.size(), read);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) {
            ok = got == 0;
            break;
        }
        read += got;
        if (!WriteAll(out, buffer.data(), static_cast<std::size_t>(got), &written, Step::kWrite)) {
            ok = false;
            break;
        }
    }
    ok = ok && ftruncate(out, written) == 0 &&
         Attempt(Step::kFlush, [&] { return fsync(out); }) == 0;
    if (!ok) {
        const std::string reason = detail::SystemErrorText(errno);
        if (written == 0) Fail(Kind::kSystem, reason);
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
