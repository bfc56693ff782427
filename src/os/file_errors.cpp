// What both platforms share: the error classes, the writer's and reader's platform-free
// members and the faults tests inject.
#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <utility>

#include "core/file_io.h"
#include "os/file_replace.h"
#include "os/input_file.h"
#include "os/system_error_text.h"

namespace palimp::os {

FileWriteError::FileWriteError(Kind kind, const std::filesystem::path& path, std::string reason)
    : EFCreateError(u"Cannot create file " + PathToUtf16(path)),
      kind_(kind),
      reason_(std::move(reason)) {}

FileReadError::FileReadError(const std::filesystem::path& path, std::string reason)
    : EFOpenError(u"Cannot open file " + PathToUtf16(path)), reason_(std::move(reason)) {}

InputFile::InputFile(InputFile&& other) noexcept
    : path_(std::move(other.path_)),
      handle_(std::exchange(other.handle_, -1)),
      owned_(other.owned_),
      kind_(other.kind_),
      stamp_(other.stamp_),
      start_(other.start_) {}

FileReplacer::~FileReplacer() { Abandon(); }

void FileReplacer::Fail(FileWriteError::Kind kind, std::string reason) {
    Abandon();
    throw FileWriteError(kind, path_, std::move(reason));
}

bool FileReplacer::AcceptExisting(const Found& found, const std::string& folderReason) {
    using Kind = FileWriteError::Kind;
    if (found.folder) Fail(Kind::kNotRegular, folderReason);
    if (!found.regular) Fail(Kind::kNotRegular, "not a regular file");
    // Nobody may write it: a rename must not be a way around that, not even for root.
    if (found.readOnly) Fail(Kind::kReadOnly, "the file is read-only");
    if (!found.cannotWrite.empty()) Fail(Kind::kSystem, found.cannotWrite);
    if (options_.expected && found.stamp != *options_.expected) {
        Fail(Kind::kChanged, "it was changed by another program meanwhile");
    }
    if (found.names <= 1) return false;
    if (!options_.overwriteInPlace) {
        Fail(Kind::kHardLinks,
             "it has " + std::to_string(found.names) + " names (hard links), and a new file would have only this one");
    }
    return true;
}

void ReplaceFileContent(const std::filesystem::path& path, std::string_view bytes,
                        const ReplaceOptions& options) {
    FileReplacer writer(path, options);
    writer.Write(bytes);
    writer.Commit();
}

namespace detail {

std::string TemporaryName(unsigned long long process, int attempt) {
    static std::atomic<unsigned> counter{0};
    const auto ticks = static_cast<unsigned long long>(
        std::chrono::steady_clock::now().time_since_epoch().count());
    unsigned long long mix = ticks ^ (process << 32) ^
                             (static_cast<unsigned long long>(++counter + attempt) * 0x9E3779B97F4A7C15ull);
    mix ^= mix >> 29;
    char name[32];
    std::snprintf(name, sizeof name, ".palimp-%08x.tmp", static_cast<unsigned>(mix ^ (mix >> 32)));
    return name;
}

namespace {
struct Fault {
    std::atomic<int> error{0};
    std::atomic<int> skip{0};
    std::atomic<std::size_t> part{0};
};
Fault faults[static_cast<int>(Step::kCount)];
std::function<void()> actions[static_cast<int>(Step::kCount)];
}  // namespace

void InjectAction(Step step, std::function<void()> action) { actions[static_cast<int>(step)] = std::move(action); }

void InjectFault(Step step, int error, int skip, std::size_t part) noexcept {
    Fault& fault = faults[static_cast<int>(step)];
    fault.skip = skip;
    fault.part = part;
    fault.error = error;
}

int TakeFault(Step step, std::size_t* part) noexcept {
    if (auto& action = actions[static_cast<int>(step)]) std::exchange(action, nullptr)();
    Fault& fault = faults[static_cast<int>(step)];
    if (part) *part = 0;
    if (fault.error.load() == 0) return 0;
    if (fault.skip.fetch_sub(1) > 0) return 0;
    if (part) *part = fault.part.load();
    return fault.error.exchange(0);
}

}  // namespace detail

}  // namespace palimp::os
