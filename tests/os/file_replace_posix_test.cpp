// The writer against real faults of a POSIX system: other owners, set-user-ID bits, ACLs and
// extended attributes, other users trying to read the unfinished file, full, read-only and
// failing file systems, immutable files and FIFOs. Cases that need root skip themselves
// otherwise; the mounts live in a mount namespace of the test's own, so they vanish with it.
#include <fcntl.h>
#include <linux/fs.h>
#include <sched.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <thread>

#include "os/termination.h"
#include "os_test_support.h"

namespace palimp::os::test {
namespace {

using ::testing::ElementsAre;
using Kind = FileWriteError::Kind;

constexpr uid_t kNobody = 65534;

bool IsRoot() { return geteuid() == 0; }

// Mounts made from here on are seen by this process alone.
bool PrivateMounts() {
    static const bool ready = IsRoot() && unshare(CLONE_NEWNS) == 0 &&
                              mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
    return ready;
}

// Runs body as the user nobody in a child process and returns what it reported: empty for
// success, else the problem.
std::string AsNobody(const std::function<std::string()>& body) {
    int report[2];
    if (pipe(report) != 0) return "no pipe";
    const pid_t child = fork();
    if (child == 0) {
        close(report[0]);
        std::string problem;
        if (setresgid(kNobody, kNobody, kNobody) != 0 || setresuid(kNobody, kNobody, kNobody) != 0) {
            problem = "cannot become nobody";
        } else {
            try {
                problem = body();
            } catch (const std::exception& failure) {
                problem = std::string("threw ") + failure.what();
            }
        }
        (void)!write(report[1], problem.data(), problem.size());
        _exit(0);
    }
    close(report[1]);
    std::string problem;
    char buffer[256];
    ssize_t got;
    while ((got = read(report[0], buffer, sizeof buffer)) > 0) problem.append(buffer, static_cast<std::size_t>(got));
    close(report[0]);
    int status = 0;
    waitpid(child, &status, 0);
    return problem;
}

// The reason of the FileWriteError or FileReadError that act throws, or "no error".
std::string ReasonOf(const std::function<void()>& act) {
    try {
        act();
    } catch (const FileWriteError& error) {
        return error.Reason();
    } catch (const FileReadError& error) {
        return error.Reason();
    }
    return "no error";
}

std::string Attribute(const fs::path& path, const char* name) {
    char value[256];
    const ssize_t size = getxattr(path.c_str(), name, value, sizeof value);
    return size < 0 ? std::string("none: ") + std::strerror(errno) : std::string(value, static_cast<std::size_t>(size));
}

// A POSIX ACL as Linux stores it in system.posix_acl_access: a version, then (tag, permissions,
// id) entries in tag order.
std::string AclGranting(uid_t user, unsigned permissions) {
    struct Entry {
        std::uint16_t tag, perm;
        std::uint32_t id;
    };
    const Entry entries[] = {{0x01, 7, ~0u}, {0x02, static_cast<std::uint16_t>(permissions), user},
                             {0x04, 5, ~0u}, {0x10, 7, ~0u}, {0x20, 5, ~0u}};
    std::string acl(4, '\0');
    acl[0] = 2;  // version
    for (const Entry& entry : entries) acl.append(reinterpret_cast<const char*>(&entry), sizeof entry);
    return acl;
}

class FileReplacePosix : public ScratchFolder {
protected:
    void TearDown() override {
        // An immutable file would outlive the folder.
        for (const auto& entry : fs::recursive_directory_iterator(dir_, fs::directory_options::skip_permission_denied)) {
            int fd = open(entry.path().c_str(), O_RDONLY | O_NONBLOCK);
            int flags = 0;
            if (fd >= 0 && ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0 && (flags & FS_IMMUTABLE_FL)) {
                flags &= ~FS_IMMUTABLE_FL;
                ioctl(fd, FS_IOC_SETFLAGS, &flags);
            }
            if (fd >= 0) close(fd);
        }
        for (const fs::path& mount : mounts_) umount2(mount.c_str(), MNT_DETACH);
        ScratchFolder::TearDown();
    }

    // A tmpfs of size bytes at dir_/name, or empty when this process may not mount.
    fs::path SmallFileSystem(const std::string& name, const std::string& size) {
        if (!PrivateMounts()) return {};
        const fs::path at = dir_ / name;
        fs::create_directory(at);
        if (mount("tmpfs", at.c_str(), "tmpfs", 0, ("size=" + size).c_str()) != 0) return {};
        mounts_.push_back(at);
        return at;
    }

    std::vector<fs::path> mounts_;
};

using FileReplacePosixRegressions = FileReplacePosix;

// Root rewriting a file of uid 65534 with mode 4755 left a root-owned set-user-ID file, and an
// ACL entry and a user.* attribute vanished.
TEST_F(FileReplacePosixRegressions, OwnerGroupModeAclOrExtendedAttributesWereLost) {
    if (!IsRoot()) GTEST_SKIP() << "giving a file to another owner needs root";
    const fs::path file = dir_ / "own.txt";
    Put(file, "old");
    ASSERT_EQ(chown(file.c_str(), kNobody, kNobody), 0);
    ASSERT_EQ(chmod(file.c_str(), 04755), 0);
    ASSERT_EQ(setxattr(file.c_str(), "user.note", "kept", 4, 0), 0) << std::strerror(errno);
    const std::string acl = AclGranting(kNobody, 6);
    ASSERT_EQ(setxattr(file.c_str(), "system.posix_acl_access", acl.data(), acl.size(), 0), 0)
        << std::strerror(errno);
    struct stat before;
    ASSERT_EQ(stat(file.c_str(), &before), 0);

    ReplaceFileContent(file, "new content");

    struct stat after;
    ASSERT_EQ(stat(file.c_str(), &after), 0);
    EXPECT_EQ(Get(file), "new content");
    EXPECT_EQ(after.st_uid, kNobody);
    EXPECT_EQ(after.st_gid, kNobody);
    EXPECT_EQ(after.st_mode, before.st_mode) << std::oct << after.st_mode;
    EXPECT_EQ(Attribute(file, "user.note"), "kept");
    EXPECT_EQ(Attribute(file, "system.posix_acl_access"), acl);
    EXPECT_THAT(Names(), ElementsAre("own.txt"));
}

TEST_F(FileReplacePosix, ANewFileGetsTheFoldersDefaults) {
    const mode_t mask = umask(027);
    ReplaceFileContent(dir_ / "new.txt", "x");
    umask(mask);
    struct stat status;
    ASSERT_EQ(stat((dir_ / "new.txt").c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0640u);
}

// The unfinished copy of a private file was created 0644, readable by everyone while the pass
// ran, and stayed so after a signal.
TEST_F(FileReplacePosixRegressions, TheUnfinishedContentWasReadableByEveryone) {
    const fs::path file = dir_ / "private.txt";
    Put(file, "old");
    ASSERT_EQ(chmod(file.c_str(), 0644), 0);  // even a file others may read: the new text is not theirs yet
    FileReplacer writer(file);
    writer.Write("secret new content");
    const std::vector<std::string> names = Names();
    ASSERT_EQ(names.size(), 2u);
    const fs::path unfinished = dir_ / (names[0] == "private.txt" ? names[1] : names[0]);
    struct stat status;
    ASSERT_EQ(lstat(unfinished.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u);
    if (IsRoot()) {
        EXPECT_EQ(AsNobody([&] {
                      return open(unfinished.c_str(), O_RDONLY) < 0 && errno == EACCES ? "" : "readable";
                  }),
                  "");
    }
    writer.Commit();
    ASSERT_EQ(stat(file.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0644u);
}

TEST_F(FileReplacePosix, AnOwnerThatCannotBeKeptIsRefusedOrKeptInPlace) {
    if (!IsRoot()) GTEST_SKIP() << "a file of another owner needs root to set up";
    ASSERT_EQ(chmod(dir_.c_str(), 0777), 0);
    const fs::path file = dir_ / "shared.txt";
    Put(file, "old");
    ASSERT_EQ(chmod(file.c_str(), 0666), 0);  // root's file, which everyone may write
    EXPECT_EQ(AsNobody([&] { return ReasonOf([&] { ReplaceFileContent(file, "new"); }); }),
              "it belongs to another user or group, which a new file would not keep");
    EXPECT_EQ(Get(file), "old");
    EXPECT_EQ(AsNobody([&] {
                  return ReasonOf([&] { ReplaceFileContent(file, "new", {.overwriteInPlace = true}); });
              }),
              "no error");
    EXPECT_EQ(Get(file), "new");
    struct stat status;
    ASSERT_EQ(stat(file.c_str(), &status), 0);
    EXPECT_EQ(status.st_uid, 0u);
    EXPECT_THAT(Names(), ElementsAre("shared.txt"));
}

TEST_F(FileReplacePosix, AFolderOthersOwnIsRefusedWithTheSystemsReason) {
    if (!IsRoot()) GTEST_SKIP() << "another user needs root";
    const fs::path file = dir_ / "theirs.txt";
    Put(file, "old");
    ASSERT_EQ(chmod(file.c_str(), 0666), 0);
    EXPECT_EQ(AsNobody([&] { return ReasonOf([&] { ReplaceFileContent(file, "new"); }); }),
              "Permission denied");
    EXPECT_EQ(Get(file), "old");
}

// ENOSPC, EROFS and the rest all read "the folder is not writable or the disk is full". Real
// file systems here; EDQUOT and EIO on writing are injected in the portable suite.
TEST_F(FileReplacePosixRegressions, AFullFileSystemWasCalledAnUnwritableFolder) {
    const fs::path small = SmallFileSystem("small", "64k");
    if (small.empty()) GTEST_SKIP() << "mounting needs root";
    Put(small / "doc.txt", "old");
    EXPECT_EQ(ReasonOf([&] { ReplaceFileContent(small / "doc.txt", std::string(200000, 'x')); }),
              "No space left on device");
    EXPECT_EQ(Get(small / "doc.txt"), "old");
    EXPECT_THAT(Names(small), ElementsAre("doc.txt"));
}

TEST_F(FileReplacePosix, ADiskThatFillsOnlyWhenFlushedIsCaughtBeforeTheRename) {
    // An ext4 image on a nearly full tmpfs: writes land in memory and succeed, and the disk
    // is found full only when fsync pushes them to the device.
    const fs::path back = SmallFileSystem("back", "2m");
    if (back.empty() || system("command -v mkfs.ext4 >/dev/null") != 0) GTEST_SKIP() << "needs root and mkfs.ext4";
    const fs::path image = back / "image", disk = dir_ / "disk";
    fs::create_directory(disk);
    ASSERT_EQ(system(("truncate -s 16M " + image.string() + " && mkfs.ext4 -q -F " + image.string() +
                      " && mount -o loop " + image.string() + " " + disk.string()).c_str()),
              0);
    mounts_.insert(mounts_.begin(), disk);
    Put(disk / "doc.txt", "old");
    sync();
    std::string fill;
    for (int i = 0; i < 4096 && fill.empty(); ++i) {
        // Fill the tmpfs under the image.
        std::ofstream(back / "fill", std::ios::binary | std::ios::app) << std::string(65536, 'f');
        if (fs::space(back).available == 0) fill = "full";
    }
    std::string random(1 << 20, '\0');
    for (std::size_t i = 0; i < random.size(); ++i) random[i] = static_cast<char>((i * 2654435761u) >> 13);
    EXPECT_EQ(ReasonOf([&] { ReplaceFileContent(disk / "doc.txt", random); }), "No space left on device");
    EXPECT_EQ(Get(disk / "doc.txt"), "old");
}

TEST_F(FileReplacePosixRegressions, AReadOnlyFileSystemOrAnImmutableFileIsNamed) {
    const fs::path frozen = SmallFileSystem("frozen", "1m");
    if (frozen.empty()) GTEST_SKIP() << "mounting needs root";
    Put(frozen / "doc.txt", "old");
    ASSERT_EQ(mount(nullptr, frozen.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr), 0);
    EXPECT_EQ(ReasonOf([&] { ReplaceFileContent(frozen / "doc.txt", "new"); }), "Read-only file system");
    EXPECT_EQ(ReasonOf([&] { ReplaceFileContent(frozen / "new.txt", "new"); }), "Read-only file system");

    const fs::path file = dir_ / "immutable.txt";
    Put(file, "old");
    const int fd = open(file.c_str(), O_RDONLY);
    int flags = 0;
    if (ioctl(fd, FS_IOC_GETFLAGS, &flags) != 0 || (flags |= FS_IMMUTABLE_FL, ioctl(fd, FS_IOC_SETFLAGS, &flags)) != 0) {
        close(fd);
        GTEST_SKIP() << "no immutable files here";
    }
    close(fd);
    EXPECT_EQ(ReasonOf([&] { ReplaceFileContent(file, "new"); }), "Operation not permitted");
    EXPECT_EQ(Get(file), "old");
}

TEST_F(FileReplacePosix, AFifoIsNeitherReadWithRegularOnlyNorReplaced) {
    const fs::path fifo = dir_ / "fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    // Refused at once: no writer is waited for, and nothing is read.
    EXPECT_EQ(ReasonOf([&] { InputFile input(fifo, true); }), "not a regular file");
    EXPECT_EQ(ReasonOf([&] { ReplaceFileContent(fifo, "x"); }), "not a regular file");

    // Without regularOnly it is read as a FIFO is: once its writer comes.
    std::thread writer([&] { std::ofstream(fifo) << "through the pipe"; });
    InputFile input(fifo);
    EXPECT_EQ(input.Kind(), FileKind::kPipe);
    char buffer[64];
    EXPECT_EQ(std::string(buffer, input.Read(buffer, sizeof buffer)), "through the pipe");
    writer.join();
}

TEST_F(FileReplacePosixRegressions, AReadingErrorWasCalledPermissionDenied) {
    // EIO read "cannot open: Permission denied". Offset 0 of a process's memory is never
    // mapped, so reading it fails with EIO.
    InputFile memory("/proc/self/mem");
    char byte;
    EXPECT_EQ(ReasonOf([&] { memory.Read(&byte, 1); }), "Input/output error");
}

// SIGINT, SIGTERM or SIGHUP during -i left the unfinished file of hundreds of MB; later SIGQUIT
// did. Now each removes it and ends the process by the same signal.
TEST_F(FileReplacePosixRegressions, TerminationSignalsLeftTheUnfinishedFile) {
    const fs::path file = dir_ / "doc.txt";
    for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, 0}) {
        Put(file, "old");
        int ready[2];
        ASSERT_EQ(pipe(ready), 0);
        const pid_t child = fork();
        if (child == 0) {
            // 0: SIGHUP ignored from the start, as under nohup, stays ignored.
            if (signal == 0) ::signal(SIGHUP, SIG_IGN);
            RemoveUnfinishedFilesOnTermination();
            FileReplacer writer(file);
            writer.Write("unfinished");
            (void)!write(ready[1], "!", 1);
            pause();
            _exit(0);
        }
        char byte;
        ASSERT_EQ(read(ready[0], &byte, 1), 1);
        close(ready[0]);
        close(ready[1]);
        ASSERT_EQ(Names().size(), 2u);
        kill(child, signal == 0 ? SIGHUP : signal);
        if (signal == 0) {
            usleep(100000);
            EXPECT_EQ(Names().size(), 2u) << "an ignored SIGHUP ended the writer";
            kill(child, SIGKILL);
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFSIGNALED(status)) << signal;
        EXPECT_EQ(WTERMSIG(status), signal == 0 ? SIGKILL : signal);
        EXPECT_EQ(Get(file), "old");
        if (signal != 0) EXPECT_THAT(Names(), ElementsAre("doc.txt")) << signal;
        for (const std::string& name : Names()) {
            if (name != "doc.txt") fs::remove(dir_ / name);
        }
    }
}

void RemoveOnSignal(int) { RemoveUnfinishedFiles(); }

TEST_F(FileReplacePosix, ASignalHandlerRemovesTheUnfinishedFile) {
    struct sigaction action = {}, previous;
    action.sa_handler = RemoveOnSignal;
    sigaction(SIGUSR1, &action, &previous);
    FileReplacer writer(dir_ / "doc.txt");
    writer.Write("unfinished");
    EXPECT_EQ(Names().size(), 1u);
    raise(SIGUSR1);
    sigaction(SIGUSR1, &previous, nullptr);
    EXPECT_TRUE(Names().empty());
}

// Regression: on a disk that filled during an in-place overwrite (--keep-links, a hard-linked
// file), 300,000 bytes became the first part of the new text. Room for the whole result is
// made first, so the disk is found full before a byte changes.
TEST_F(FileReplacePosixRegressions, AnInPlaceOverwriteOnAFullDiskChangesNoByte) {
    const fs::path small = SmallFileSystem("small", "1m");
    if (small.empty()) GTEST_SKIP() << "mounting needs root";
    const fs::path file = small / "doc.txt";
    const std::string original(300000, 'o');
    Put(file, original);
    ASSERT_EQ(link(file.c_str(), (small / "alias.txt").c_str()), 0);
    // The new content fits beside the file, but not also in it.
    EXPECT_EQ(ReasonOf([&] { ReplaceFileContent(file, std::string(600000, 'n'), {.overwriteInPlace = true}); }),
              "No space left on device");
    EXPECT_TRUE(Get(file) == original) << "the file changed";
    EXPECT_THAT(Names(small), ElementsAre("alias.txt", "doc.txt"));
}

// Regression: beyond the file size limit (ulimit -f) SIGXFSZ ended the process and left the
// unfinished file; now the write fails with the system's reason and nothing is left.
TEST_F(FileReplacePosixRegressions, AWriteBeyondTheFileSizeLimitFailsAndLeavesNothing) {
    const fs::path file = dir_ / "doc.txt";
    Put(file, "old");
    const pid_t child = fork();
    if (child == 0) {
        RemoveUnfinishedFilesOnTermination();
        const struct rlimit limit = {65536, RLIM_INFINITY};
        setrlimit(RLIMIT_FSIZE, &limit);
        _exit(ReasonOf([&] { ReplaceFileContent(file, std::string(200000, 'n')); }) == "File too large" ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << (WIFSIGNALED(status) ? WTERMSIG(status) : -1);
    EXPECT_EQ(Get(file), "old");
    EXPECT_THAT(Names(), ElementsAre("doc.txt"));
}

// Regression: --backup was a copy: as root the copy of a user's set-user-ID program was a
// set-user-ID program of root's, and owner, group, ACL, extended attributes and times were
// lost. The backup is now the file itself; where it cannot be (another file system, or the
// file written in place), a copy that keeps them, set-user-ID dropped when the owner cannot be.
TEST_F(FileReplacePosixRegressions, ABackupKeepsOwnerModeAttributesAndTimesAndGrantsNoOneElsesRights) {
    if (!IsRoot()) GTEST_SKIP() << "giving a file to another owner needs root";
    const fs::path elsewhere = SmallFileSystem("elsewhere", "1m");
    ASSERT_FALSE(elsewhere.empty());
    const fs::path file = dir_ / "program";
    struct Case {
        const char* name;
        fs::path backup;
        bool linked;  // a second name, so the file is written in place
    } cases[] = {{"the file itself", dir_ / "program.bak", false},
                 {"a copy on another file system", elsewhere / "program.bak", false},
                 {"a copy before an in-place overwrite", dir_ / "program.bak", true}};
    for (const Case& c : cases) {
        Put(file, "old program");
        if (c.linked) ASSERT_EQ(link(file.c_str(), (dir_ / "alias").c_str()), 0);
        ASSERT_EQ(chown(file.c_str(), kNobody, kNobody), 0);
        ASSERT_EQ(chmod(file.c_str(), 04755), 0);
        ASSERT_EQ(setxattr(file.c_str(), "user.note", "kept", 4, 0), 0);
        const struct timespec times[2] = {{1000000000, 0}, {1200000000, 500}};
        ASSERT_EQ(utimensat(AT_FDCWD, file.c_str(), times, 0), 0);
        ReplaceFileContent(file, "new program", {.overwriteInPlace = c.linked, .backup = c.backup});
        struct stat backup;
        ASSERT_EQ(stat(c.backup.c_str(), &backup), 0) << c.name;
        EXPECT_EQ(Get(c.backup), "old program") << c.name;
        EXPECT_EQ(Get(file), "new program") << c.name;
        EXPECT_EQ(backup.st_uid, kNobody) << c.name;
        EXPECT_EQ(backup.st_gid, kNobody) << c.name;
        EXPECT_EQ(backup.st_mode & 07777, 04755u) << c.name;
        EXPECT_EQ(backup.st_mtim.tv_sec, 1200000000) << c.name;
        EXPECT_EQ(backup.st_mtim.tv_nsec, 500) << c.name;
        EXPECT_EQ(Attribute(c.backup, "user.note"), "kept") << c.name;
        fs::remove(c.backup);
        fs::remove(dir_ / "alias");
    }
    EXPECT_THAT(Names(elsewhere), ElementsAre());

    // Made by nobody of a program of root's that everyone may write: the copy is nobody's, so
    // it loses set-user-ID and set-group-ID.
    ASSERT_EQ(chmod(dir_.c_str(), 0777), 0);
    Put(file, "root's program");
    ASSERT_EQ(chown(file.c_str(), 0, 0), 0);
    ASSERT_EQ(chmod(file.c_str(), 06777), 0);
    EXPECT_EQ(AsNobody([&] {
                  return ReasonOf([&] {
                      ReplaceFileContent(file, "new", {.overwriteInPlace = true, .backup = dir_ / "program.bak"});
                  });
              }),
              "no error");
    struct stat copy;
    ASSERT_EQ(stat((dir_ / "program.bak").c_str(), &copy), 0);
    EXPECT_EQ(copy.st_uid, kNobody);
    EXPECT_EQ(copy.st_mode & 07777, 0777u);
    EXPECT_EQ(Get(dir_ / "program.bak"), "root's program");
}

}  // namespace
}  // namespace palimp::os::test
