// The process around palimp-replace on Windows: binary standard streams (no CR LF or Ctrl+Z
// translation by the C runtime) and the system's ANSI code page through Win32.
#include "cli/console.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <map>

namespace palimp::cli {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "UTF-16 wchar_t expected");

void PrepareBinaryStdio() {
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
}

namespace {

std::error_code LastError() { return std::error_code(errno, std::generic_category()); }

}  // namespace

namespace {

std::error_code WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const unsigned chunk = static_cast<unsigned>(std::min<size_t>(bytes.size(), 1u << 24));
        int put = _write(fd, bytes.data(), chunk);
        if (put < 0) return LastError();
        if (put == 0) return std::make_error_code(std::errc::io_error);
        bytes.remove_prefix(static_cast<size_t>(put));
    }
    return {};
}

// A Windows code page through MultiByteToWideChar / WideCharToMultiByte; CP_ACP is how the
// editor reads files.
class SystemCodePage final : public AnsiCodePage {
public:
    explicit SystemCodePage(UINT page) : page_(page) {}

    std::u16string ToUtf16(std::string_view bytes) const override {
        std::u16string text;
        if (bytes.empty()) return text;
        const int size = static_cast<int>(std::min<size_t>(bytes.size(), INT_MAX));
        const int units = MultiByteToWideChar(page_, 0, bytes.data(), size, nullptr, 0);
        text.resize(static_cast<size_t>(units));
        MultiByteToWideChar(page_, 0, bytes.data(), size, reinterpret_cast<wchar_t*>(text.data()),
                            units);
        return text;
    }

    std::string FromUtf16(std::u16string_view text, bool& lossless) const override {
        lossless = true;
        std::string bytes;
        if (text.empty()) return bytes;
        const auto* units = reinterpret_cast<const wchar_t*>(text.data());
        const int size = static_cast<int>(std::min<size_t>(text.size(), INT_MAX));
        // UTF-8 has no default character; it fails on lone surrogates.
        const bool utf8 = page_ == CP_UTF8;
        const DWORD flags = utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
        BOOL usedDefault = FALSE;
        BOOL* usedDefaultOut = utf8 ? nullptr : &usedDefault;
        int length = WideCharToMultiByte(page_, flags, units, size, nullptr, 0, nullptr,
                                         usedDefaultOut);
        if (length == 0 && utf8) {
            lossless = false;
            length = WideCharToMultiByte(page_, 0, units, size, nullptr, 0, nullptr, nullptr);
            bytes.resize(static_cast<size_t>(length));
            WideCharToMultiByte(page_, 0, units, size, bytes.data(), length, nullptr, nullptr);
            return bytes;
        }
        bytes.resize(static_cast<size_t>(length));
        WideCharToMultiByte(page_, flags, units, size, bytes.data(), length, nullptr,
                            usedDefaultOut);
        if (usedDefault) lossless = false;
        return bytes;
    }

    // Single-byte code pages turn every byte into one unit on its own; double-byte ones and
    // UTF-8 need their neighbours.
    bool DecodesByteByByte() const override {
        CPINFO info;
        return GetCPInfo(page_, &info) && info.MaxCharSize == 1;
    }

private:
    UINT page_;
};

}  // namespace

std::error_code WriteStandardOutput(std::string_view bytes) { return WriteAll(1, bytes); }

std::error_code WriteStandardError(std::string_view bytes) { return WriteAll(2, bytes); }

unsigned DefaultCodePage() { return GetACP(); }

CodePageInfo CodePageNumbered(unsigned number) {
    if (number == kUtf8CodePage) return PortableCodePage(number);
    if (!IsValidCodePage(number)) return {};
    static std::map<unsigned, SystemCodePage> pages;  // a map's elements never move
    const SystemCodePage* codePage = &pages.try_emplace(number, number).first->second;
    // Whether the system's tables give every byte a character of its own is not ours to
    // know (double-byte code pages do not), so the caller checks each input's round trip.
    return {codePage, false, false};
}

}  // namespace palimp::cli
