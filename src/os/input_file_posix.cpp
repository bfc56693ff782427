// Reading on POSIX systems: descriptors, read(2) and the errno of every failure.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <utility>

#include "os/input_file.h"
#include "os/posix_support.h"
#include "os/system_error_text.h"

namespace palimp::os {

namespace fs = std::filesystem;

namespace {

FileKind KindOf(mode_t mode) {
    if (S_ISREG(mode)) return FileKind::kRegular;
    if (S_ISDIR(mode)) return FileKind::kDirectory;
    if (S_ISFIFO(mode) || S_ISSOCK(mode)) return FileKind::kPipe;
    return FileKind::kOther;
}

// Closes a descriptor unless it is released.
struct Descriptor {
    int fd;
    ~Descriptor() {
        if (fd >= 0) close(fd);
    }
    int Release() { return std::exchange(fd, -1); }
};

const fs::path kStandardInput = "standard input";

}  // namespace

InputFile::InputFile(const fs::path& path, bool regularOnly) : path_(path) {
    // A FIFO waits for its writer when opened, as reading one means; anything else is opened
    // with O_NONBLOCK, so that a FIFO put in its place meanwhile is seen before waiting, and
    // refused before a byte is consumed when only a regular file will do.
    struct stat named;
    const bool fifo = !regularOnly && stat(path.c_str(), &named) == 0 && S_ISFIFO(named.st_mode);
    Descriptor file{AboveStandardStreams(open(path.c_str(), O_RDONLY | O_NOCTTY | O_CLOEXEC | (fifo ? 0 : O_NONBLOCK)))};
    if (file.fd < 0) throw FileReadError(path, detail::SystemErrorText(errno));
    struct stat status;
    if (fstat(file.fd, &status) != 0) throw FileReadError(path, detail::SystemErrorText(errno));
    kind_ = KindOf(status.st_mode);
    if (kind_ == FileKind::kDirectory) throw FileReadError(path, detail::SystemErrorText(EISDIR));
    if (regularOnly && kind_ != FileKind::kRegular) throw FileReadError(path, "not a regular file");
    if (!fifo) fcntl(file.fd, F_SETFL, fcntl(file.fd, F_GETFL) & ~O_NONBLOCK);
    stamp_ = StampOf(status);
    handle_ = file.Release();
}

InputFile InputFile::StandardInput() {
    InputFile input;
    input.path_ = kStandardInput;
    input.handle_ = STDIN_FILENO;
    input.owned_ = false;
    struct stat status;
    if (fstat(STDIN_FILENO, &status) != 0) {
        throw FileReadError(kStandardInput, detail::SystemErrorText(errno));
    }
    input.kind_ = KindOf(status.st_mode);
    input.stamp_ = StampOf(status);
    if (input.kind_ == FileKind::kRegular) {
        const off_t at = lseek(STDIN_FILENO, 0, SEEK_CUR);
        if (at < 0) {
            input.kind_ = FileKind::kOther;  // read as a stream
        } else {
            input.start_ = static_cast<std::uint64_t>(at);
        }
    }
    return input;
}

InputFile::~InputFile() {
    if (owned_ && handle_ >= 0) close(static_cast<int>(handle_));
}

std::optional<std::uint64_t> InputFile::Size() const {
    if (kind_ != FileKind::kRegular) return std::nullopt;
    return stamp_.size > start_ ? stamp_.size - start_ : 0;
}

std::size_t InputFile::Read(char* buffer, std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
        const ssize_t got = read(static_cast<int>(handle_), buffer + done, size - done);
        if (got == 0) break;
        if (got < 0) {
            if (errno == EINTR) continue;
            throw FileReadError(path_, detail::SystemErrorText(errno));
        }
        done += static_cast<std::size_t>(got);
    }
    return done;
}

void InputFile::Rewind() {
    if (!Rewindable() || lseek(static_cast<int>(handle_), static_cast<off_t>(start_), SEEK_SET) < 0) {
        throw FileReadError(path_, detail::SystemErrorText(Rewindable() ? errno : ESPIPE));
    }
}

ScratchFile::ScratchFile() {
    const char* folder = std::getenv("TMPDIR");
    folder_ = folder && *folder ? folder : "/tmp";
    int fd = -1;
#if defined(O_TMPFILE)
    fd = open(folder_.c_str(), O_TMPFILE | O_RDWR | O_EXCL | O_CLOEXEC, 0600);
#endif
    if (fd < 0) {
        // No unnamed files here: a named one, removed at once.
        std::string name = (folder_ / ".palimp-scratch-XXXXXX").string();
        fd = mkostemp(name.data(), O_CLOEXEC);
        if (fd >= 0) unlink(name.c_str());
    }
    // Never as a standard stream the process was started without, where output would land in it.
    fd = AboveStandardStreams(fd);
    if (fd < 0) throw FileWriteError(FileWriteError::Kind::kSystem, folder_, detail::SystemErrorText(errno));
    handle_ = fd;
}

ScratchFile::~ScratchFile() {
    if (handle_ >= 0) close(static_cast<int>(handle_));
}

void ScratchFile::Write(std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t put = pwrite(static_cast<int>(handle_), bytes.data(), bytes.size(),
                                   static_cast<off_t>(written_));
        if (put < 0) {
            if (errno == EINTR) continue;
            throw FileWriteError(FileWriteError::Kind::kSystem, folder_, detail::SystemErrorText(errno));
        }
        bytes.remove_prefix(static_cast<std::size_t>(put));
        written_ += static_cast<std::uint64_t>(put);
    }
}

void ScratchFile::Rewind() { read_ = 0; }

std::size_t ScratchFile::Read(char* buffer, std::size_t size) {
    std::size_t done = 0;
    while (done < size && read_ < written_) {
        const ssize_t got = pread(static_cast<int>(handle_), buffer + done, size - done,
                                  static_cast<off_t>(read_));
        if (got == 0) break;
        if (got < 0) {
            if (errno == EINTR) continue;
            throw FileReadError(folder_, detail::SystemErrorText(errno));
        }
        done += static_cast<std::size_t>(got);
        read_ += static_cast<std::uint64_t>(got);
    }
    return done;
}

}  // namespace palimp::os
