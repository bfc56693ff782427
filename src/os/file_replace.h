// Replacing a file's whole content so that a failure, a signal or a power loss leaves either the
// old content or the new one, never a mix, and never silently drops what the file had besides
// its bytes: the one writer behind the editor's Save and palimp-replace's -o and -i.
//
// Use:
//     os::FileReplacer out(path, {.expected = input.Stamp()});
//     out.Write(piece);  // as often as needed
//     out.Commit();      // or let it go out of scope: nothing changes, nothing is left
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "core/errors.h"

namespace palimp::os {

// Which file a name led to and the state of its content: the identity of the file (device and
// inode; volume serial and file index on Windows), its size, its modification time and its
// change time, which no program can set back (a writer that restores the modification time
// still moves it).
struct FileStamp {
    std::uint64_t device = 0;
    std::uint64_t file = 0;
    std::uint64_t size = 0;
    std::int64_t modified = 0;  // nanoseconds since 1970 (POSIX), 100 ns units since 1601 (Windows)
    std::int64_t changed = 0;   // the same units; 0 where the system does not tell it
    bool operator==(const FileStamp&) const = default;
};

// A file that could not be written. Message() is "Cannot create file <path>"; Reason() says
// why in one line without the file name: the system's own text for its error code ("No space
// left on device", "Read-only file system") or one of the writer's refusals below.
class FileWriteError : public EFCreateError {
public:
    enum class Kind {
        kSystem,         // the system refused a step; Reason() is its text
        kNotRegular,     // a folder, a device or a pipe is never replaced
        kReadOnly,       // nobody may write the file (no write permission bit at all)
        kChanged,        // the target is no longer the file that was read: nothing written
        kHardLinks,      // the file has other names, which a new file would not have
        kOwner,          // the file's owner or group cannot be given to a new file by us
        kPartlyWritten,  // an in-place overwrite failed midway; Reason() says where the result is
        kNotDurable,     // the result replaced the file but the system could not flush its folder
        kBackup,         // the backup could not be made; Reason() is the system's text
    };
    FileWriteError(Kind kind, const std::filesystem::path& path, std::string reason);
    Kind GetKind() const noexcept { return kind_; }
    const std::string& Reason() const noexcept { return reason_; }
    const char* ClassName() const noexcept override { return "EFCreateError"; }

private:
    Kind kind_;
    std::string reason_;
};

struct ReplaceOptions {
    // The file the result was computed from: the target must still be that file, unchanged,
    // when the result replaces it, or nothing is written (kChanged). Without it, the target as
    // the writer found it when it was opened.
    std::optional<FileStamp> expected;
    // A file with several names (hard links), or with an owner or group that this process
    // cannot give to a new file, would lose them if a new file took its place. false refuses
    // such a file before anything is written (kHardLinks, kOwner); true writes the finished
    // result into the file itself, which keeps everything but is not atomic: the result is
    // first flushed to a file beside it, then copied over the file's own bytes with the
    // termination signals held off, and a failure midway keeps that copy (kPartlyWritten).
    bool overwriteInPlace = false;
    // Before the new content replaces the file, the file as it is gets this name too (an older
    // file of that name is replaced): the file itself, by a hard link, so that it keeps its
    // owner, mode, ACL, extended attributes and times; where no link can be made (another file
    // system, links not allowed, or the result written in place) a copy that keeps them
    // (set-user-ID and set-group-ID dropped when the owner cannot be kept, as cp does), flushed
    // to disk first. A failure leaves the target and an older backup as they were (kBackup).
    std::optional<std::filesystem::path> backup;
};

// Writes a file's new content a piece at a time and puts it in place at Commit, all at once.
//
// The pieces go to a new file beside the target (so that a rename can replace it), created
// exclusively (never through a link an attacker planted) and readable by its owner alone until
// the content is complete. Its name is short whatever the target's (".palimp-XXXXXXXX.tmp"),
// so any name the system allows can be rewritten. A symbolic link is followed to the file it
// names, through any number of links; the link stays. At Commit the new file receives the
// target's owner, group, permission bits (set-user-ID included), ACL and extended attributes
// (on Windows ReplaceFileW carries attributes, ACL and alternate streams), is flushed to disk,
// the target is checked to be unchanged, the new file is renamed over it, and the folder is
// flushed, so that a power loss leaves the old content or the new. A file that did not exist
// is created with the permissions a new file gets in that folder.
//
// Under Wine an existing file is always written in place (as overwriteInPlace describes): a new
// file there cannot take the old one's Unix owner, group, mode and extended attributes.
//
// Every failure throws FileWriteError, removes the new file, and leaves the target as it was.
class FileReplacer {
public:
    // Finds the file that path leads to, checks that it can be replaced (a regular file that
    // is writable, or none), and creates the new file beside it.
    FileReplacer(const std::filesystem::path& path, const ReplaceOptions& options = {});
    FileReplacer(const FileReplacer&) = delete;
    FileReplacer& operator=(const FileReplacer&) = delete;
    // Abandons the new content unless it was committed.
    ~FileReplacer();

    void Write(std::string_view bytes);
    // Puts the content written in place of the target, as described above.
    void Commit();
    // Removes the new file; the target stays as it was. Idempotent.
    void Abandon() noexcept;

    // The file the writer replaces (the end of the links path led to).
    const std::filesystem::path& Target() const noexcept { return target_; }

    struct State;  // the platform's handles and what the writer found

private:
    [[noreturn]] void Fail(FileWriteError::Kind kind, std::string reason);
    // An existing target as the platform found it, in the terms both platforms judge it by.
    struct Found {
        bool folder = false;
        bool regular = true;
        bool readOnly = false;     // no write permission for anybody
        std::string cannotWrite;   // the system's reason this process may not write it, if any
        FileStamp stamp;
        unsigned long long names = 1;  // hard links
    };
    // Refuses a folder (with folderReason, the platform's words), a device or a pipe, a file
    // nobody or this process may not write, one changed since options_.expected, and one with
    // other names unless overwriteInPlace; true when the result must go into the file itself.
    bool AcceptExisting(const Found& found, const std::string& folderReason);
    // The two ways Commit puts the content in place, once it is complete and flushed.
    void RenameOver();
    void OverwriteInPlace();
    // Gives the target the backup's name too, by a link when mayLink, else by a copy.
    void KeepBackup(bool mayLink);
    // Removes the backup KeepBackup made, when the content could not replace the target.
    void DropBackup() noexcept;

    std::filesystem::path path_;    // as given, for messages
    std::filesystem::path target_;  // where links led
    ReplaceOptions options_;
    State* state_ = nullptr;        // null once committed or abandoned
};

// Replaces the file at path by bytes, or creates it, with FileReplacer's guarantees.
void ReplaceFileContent(const std::filesystem::path& path, std::string_view bytes,
                        const ReplaceOptions& options = {});

// Removes the new files of every writer not yet committed or abandoned, for a process that is
// about to end on a signal or a console event. Safe in a POSIX signal handler (it only calls
// unlinkat) and in a Windows console control handler; the writers must not be used afterwards.
void RemoveUnfinishedFiles() noexcept;

namespace detail {
// The steps at which tests make the writer fail as the system would, with an error code of
// the platform (errno, or a Win32 error code), to reach errors no test can provoke for real
// (EDQUOT without quotas, EIO on a healthy disk).
// kExtend is the growing of a file to the result's size before it is written in place;
// kBackup the hard link that makes a backup, or the writing of its copy.
enum class Step { kCreate, kWrite, kFlush, kAttributes, kRename, kFlushFolder, kExtend, kBackup, kCount };
// Makes a call of step fail with error, after skip calls that succeed; 0 clears it. With part, a
// failing write first writes that many bytes for real, as a disk that fills midway does.
// Tests only.
void InjectFault(Step step, int error, int skip = 0, std::size_t part = 0) noexcept;
// Runs action once, when step is next attempted, as another program acting at that moment
// would; an empty action clears it. Tests only.
void InjectAction(Step step, std::function<void()> action);
}  // namespace detail

}  // namespace palimp::os
