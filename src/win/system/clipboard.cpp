// The clipboard's text formats, with the ANSI code page for the 8-bit one.
#include "win/system/clipboard.h"

#include <cstring>

#include "win/system/ansi_code_page.h"

namespace palimp {

namespace {

// Open for as long as the object lives; another program holding it gets a few chances to let go.
class OpenedClipboard {
public:
    explicit OpenedClipboard(HWND owner) {
        for (int attempt = 0; attempt < 10 && !open_; ++attempt) {
            if (attempt > 0) Sleep(10);
            open_ = OpenClipboard(owner) != FALSE;
        }
    }
    ~OpenedClipboard() {
        if (open_) CloseClipboard();
    }
    OpenedClipboard(const OpenedClipboard&) = delete;
    OpenedClipboard& operator=(const OpenedClipboard&) = delete;
    bool IsOpen() const { return open_; }

private:
    bool open_ = false;
};

// A movable memory block holding bytes followed by a terminating zero of terminatorSize bytes.
HGLOBAL MemoryOf(const void* bytes, size_t size, size_t terminatorSize) {
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size + terminatorSize);
    if (!memory) return nullptr;
    void* target = GlobalLock(memory);
    if (!target) {
        GlobalFree(memory);
        return nullptr;
    }
    if (size) std::memcpy(target, bytes, size);
    GlobalUnlock(memory);
    return memory;
}

bool Put(UINT format, HGLOBAL memory) {
    if (!memory) return false;
    if (SetClipboardData(format, memory)) return true;  // the clipboard owns it now
    GlobalFree(memory);
    return false;
}

// The units of a clipboard block up to its first zero, never beyond the block's size.
template <typename Unit>
std::basic_string<Unit> Read(UINT format) {
    HANDLE data = GetClipboardData(format);
    if (!data) return {};
    const auto* units = static_cast<const Unit*>(GlobalLock(data));
    if (!units) return {};
    const size_t capacity = GlobalSize(data) / sizeof(Unit);
    size_t length = 0;
    while (length < capacity && units[length] != 0) ++length;
    std::basic_string<Unit> text(units, length);
    GlobalUnlock(data);
    return text;
}

}  // namespace

bool PutClipboardText(HWND owner, std::u16string_view text) {
    OpenedClipboard clipboard(owner);
    if (!clipboard.IsOpen() || !EmptyClipboard()) return false;
    bool lossless = true;
    const std::string ansi = SystemAnsiCodePage().FromUtf16(text, lossless);
    bool unicode = Put(CF_UNICODETEXT, MemoryOf(text.data(), text.size() * sizeof(char16_t), sizeof(char16_t)));
    bool eightBit = Put(CF_TEXT, MemoryOf(ansi.data(), ansi.size(), 1));
    return unicode || eightBit;
}

std::optional<std::u16string> ReadClipboardText(HWND owner) {
    OpenedClipboard clipboard(owner);
    if (!clipboard.IsOpen()) return std::nullopt;
    if (IsClipboardFormatAvailable(CF_UNICODETEXT)) {
        std::u16string text = Read<char16_t>(CF_UNICODETEXT);
        if (!text.empty()) return text;
    }
    if (IsClipboardFormatAvailable(CF_TEXT)) return SystemAnsiCodePage().ToUtf16(Read<char>(CF_TEXT));
    return std::u16string();
}

}  // namespace palimp
