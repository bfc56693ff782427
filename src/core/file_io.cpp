// File reading and atomic writing with the standard library alone. On Windows, libstdc++'s
// std::filesystem::rename is MoveFileExW with MOVEFILE_REPLACE_EXISTING, so the final rename
// replaces the old file in one step there as on POSIX.
#include "core/file_io.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <fstream>

#include "core/errors.h"
#include "core/text_codec.h"

namespace palimp {

namespace fs = std::filesystem;

namespace {

// Windows paths are UTF-16 already and are taken unit for unit, unpaired surrogates included;
// POSIX paths are bytes, by convention UTF-8.
template <class Char>
fs::path MakePath(std::u16string_view text) {
    if constexpr (sizeof(Char) == sizeof(char16_t)) {
        return fs::path(std::basic_string<Char>(text.begin(), text.end()));
    } else {
        return fs::path(EncodeText(text, TextEncoding::kUtf8).bytes);
    }
}

template <class Native>
std::u16string NativeToUtf16(const Native& native) {
    if constexpr (sizeof(typename Native::value_type) == sizeof(char16_t)) {
        return std::u16string(native.begin(), native.end());
    } else {
        return DecodeUtf8(std::string_view(native.data(), native.size()));
    }
}

[[noreturn]] void ThrowOpenError(const fs::path& path) {
    throw EFOpenError(u"Cannot open file " + PathToUtf16(path));
}

[[noreturn]] void ThrowCreateError(const fs::path& path) {
    throw EFCreateError(u"Cannot create file " + PathToUtf16(path));
}

// A name beside target that no file has yet. The name is derived from the clock and a counter,
// so two saves, also from two processes, do not pick the same one.
fs::path UnusedTemporaryPath(const fs::path& target) {
    static std::atomic<std::uint32_t> counter{0};
    const auto ticks = static_cast<std::uint64_t>(
        std::chrono::high_resolution_clock::now().time_since_epoch().count());
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::uint64_t mix = ticks ^ (std::uint64_t{++counter} * 0x9E3779B97F4A7C15ull);
        mix ^= mix >> 29;
        static const char kHex[] = "0123456789abcdef";
        std::string suffix = ".~";
        for (int i = 0; i < 8; ++i) suffix += kHex[(mix >> (4 * i)) & 0xF];
        suffix += ".tmp";
        fs::path candidate = target;
        candidate += suffix;
        std::error_code error;
        if (!fs::exists(candidate, error) && !error) return candidate;
    }
    return {};
}

}  // namespace

void detail::StandardRename(const fs::path& from, const fs::path& to, std::error_code& error) {
    fs::rename(from, to, error);
}

fs::path PathFromUtf16(std::u16string_view path) { return MakePath<fs::path::value_type>(path); }

std::u16string PathToUtf16(const fs::path& path) { return NativeToUtf16(path.native()); }

std::string ReadFileBytes(const fs::path& path) {
    std::error_code error;
    if (fs::is_directory(path, error)) ThrowOpenError(path);
    std::ifstream in(path, std::ios::binary);
    if (!in) ThrowOpenError(path);
    // The size is only a hint: one read takes the whole file unless it grows meanwhile, and
    // the byte asked for beyond the size is what shows the end has been reached.
    const std::uintmax_t size = fs::file_size(path, error);
    size_t chunk = error || size > SIZE_MAX / 2 ? size_t{1} << 20 : static_cast<size_t>(size) + 1;
    std::string bytes;
    size_t have = 0;
    for (;;) {
        bytes.resize(have + chunk);
        in.read(bytes.data() + have, static_cast<std::streamsize>(chunk));
        have += static_cast<size_t>(in.gcount());
        if (!in) break;
        chunk = size_t{1} << 20;
    }
    if (in.bad()) ThrowOpenError(path);
    bytes.resize(have);
    return bytes;
}

FileReader::FileReader(const fs::path& path) : path_(path) {
    std::error_code error;
    if (fs::is_directory(path, error)) ThrowOpenError(path);
    in_.open(path, std::ios::binary);
    if (!in_) ThrowOpenError(path);
}

std::size_t FileReader::Read(char* buffer, std::size_t size) {
    // Large requests go straight from the system into buffer, past the stream's own buffer.
    in_.read(buffer, static_cast<std::streamsize>(size));
    if (in_.bad()) ThrowOpenError(path_);
    return static_cast<std::size_t>(in_.gcount());
}

void FileReader::Rewind() {
    in_.clear();
    in_.seekg(0);
    if (!in_) ThrowOpenError(path_);
}

void WriteFileAtomically(const fs::path& path, std::string_view bytes) {
    detail::WriteFileAtomically(path, bytes, detail::StandardRename);
}

void detail::WriteFileAtomically(const fs::path& path, std::string_view bytes,
                                 RenameStep rename) {
    AtomicFileWriter writer(path, rename);
    writer.Write(bytes);
    writer.Commit();
}

AtomicFileWriter::AtomicFileWriter(const fs::path& path, detail::RenameStep rename)
    : path_(path), target_(path), rename_(rename) {
    std::error_code error;
    // Renaming over a symbolic link would replace the link itself by a plain file.
    if (fs::is_symlink(fs::symlink_status(path, error))) {
        target_ = fs::canonical(path, error);
        if (error) ThrowCreateError(path);
    }
    const fs::file_status status = fs::status(target_, error);
    const bool replacing = fs::exists(status);
    // Only a regular file is replaced, and not a read-only one: truncating it in place would
    // fail too, and a rename must not be a way around that.
    if (replacing && !fs::is_regular_file(status)) ThrowCreateError(path);
    if (replacing && (status.permissions() & fs::perms::owner_write) == fs::perms::none)
        ThrowCreateError(path);
    if (replacing) permissions_ = status.permissions();

    fs::path temporary = UnusedTemporaryPath(target_);
    if (temporary.empty()) ThrowCreateError(path);
    out_.open(temporary, std::ios::binary | std::ios::trunc);
    if (!out_) {
        fs::remove(temporary, error);
        ThrowCreateError(path);
    }
    temporary_ = std::move(temporary);
}

AtomicFileWriter::~AtomicFileWriter() { Abandon(); }

void AtomicFileWriter::Fail() {
    Abandon();
    ThrowCreateError(path_);
}

void AtomicFileWriter::Write(std::string_view bytes) {
    if (temporary_.empty()) Fail();
    // Large pieces go straight to the system, past the stream's own buffer.
    out_.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out_) Fail();
}

void AtomicFileWriter::Commit() {
    if (temporary_.empty()) Fail();
    out_.flush();
    out_.close();
    if (out_.fail()) Fail();
    std::error_code error;
    if (permissions_ != fs::perms::unknown) fs::permissions(temporary_, permissions_, error);
    error.clear();
    rename_(temporary_, target_, error);
    if (error) Fail();
    temporary_.clear();
}

void AtomicFileWriter::Abandon() noexcept {
    if (temporary_.empty()) return;
    if (out_.is_open()) out_.close();
    std::error_code error;
    fs::remove(temporary_, error);
    temporary_.clear();
}

}  // namespace palimp
