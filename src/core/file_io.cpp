// Paths from and to UTF-16, and whole-file reading, with the standard library alone.
#include "core/file_io.h"

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

}  // namespace

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

}  // namespace palimp
