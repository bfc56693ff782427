// The character classes of the "Search for" commands and the scan that finds the first unit of
// a class. The class lists are fixed by the program (not a Unicode version), so they are kept
// here as range tables.
#include "core/char_classes.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <iterator>

#include "core/errors.h"
#include "core/matching.h"

namespace palimp {

namespace {

struct Range {
    char16_t first;
    char16_t last;
};

// The 298 punctuation units: Pc, Pd, Ps, Pe, Pi, Pf and Po of the BMP as classified before
// Unicode 3.2. Sorted, non-overlapping.
constexpr Range kPunctuationRanges[] = {
    {0x0021, 0x0023}, {0x0025, 0x002A}, {0x002C, 0x002F}, {0x003A, 0x003B}, {0x003F, 0x0040},
    {0x005B, 0x005D}, {0x005F, 0x005F}, {0x007B, 0x007B}, {0x007D, 0x007D}, {0x00A1, 0x00A1},
    {0x00AB, 0x00AB}, {0x00AD, 0x00AD}, {0x00B7, 0x00B7}, {0x00BB, 0x00BB}, {0x00BF, 0x00BF},
    {0x037E, 0x037E}, {0x0387, 0x0387}, {0x055A, 0x055F}, {0x0589, 0x058A}, {0x05BE, 0x05BE},
    {0x05C0, 0x05C0}, {0x05C3, 0x05C3}, {0x05F3, 0x05F4}, {0x060C, 0x060C}, {0x061B, 0x061B},
    {0x061F, 0x061F}, {0x066A, 0x066D}, {0x06D4, 0x06D4}, {0x0700, 0x070D}, {0x0964, 0x0965},
    {0x0970, 0x0970}, {0x0DF4, 0x0DF4}, {0x0E4F, 0x0E4F}, {0x0E5A, 0x0E5B}, {0x0F04, 0x0F12},
    {0x0F3A, 0x0F3D}, {0x0F85, 0x0F85}, {0x104A, 0x104F}, {0x10FB, 0x10FB}, {0x1361, 0x1368},
    {0x166D, 0x166E}, {0x169B, 0x169C}, {0x16EB, 0x16ED}, {0x17D4, 0x17DA}, {0x17DC, 0x17DC},
    {0x1800, 0x180A}, {0x2010, 0x2027}, {0x2030, 0x2043}, {0x2045, 0x2046}, {0x2048, 0x204D},
    {0x207D, 0x207E}, {0x208D, 0x208E}, {0x2329, 0x232A}, {0x3001, 0x3003}, {0x3008, 0x3011},
    {0x3014, 0x301F}, {0x3030, 0x3030}, {0x30FB, 0x30FB}, {0xFD3E, 0xFD3F}, {0xFE30, 0xFE44},
    {0xFE49, 0xFE52}, {0xFE54, 0xFE61}, {0xFE63, 0xFE63}, {0xFE68, 0xFE68}, {0xFE6A, 0xFE6B},
    {0xFF01, 0xFF03}, {0xFF05, 0xFF0A}, {0xFF0C, 0xFF0F}, {0xFF1A, 0xFF1B}, {0xFF1F, 0xFF20},
    {0xFF3B, 0xFF3D}, {0xFF3F, 0xFF3F}, {0xFF5B, 0xFF5B}, {0xFF5D, 0xFF5D}, {0xFF61, 0xFF65},
};

// The digit zeros of the 20 runs of ten decimal digits. The superscript and subscript runs
// count whole (U+2071-U+2073 included); the Tamil and Ethiopic digits, which have no zero, do
// not.
constexpr char16_t kDigitZeros[] = {
    0x0030, 0x0660, 0x06F0, 0x0966, 0x09E6, 0x0A66, 0x0AE6, 0x0B66, 0x0C66, 0x0CE6,
    0x0D66, 0x0E50, 0x0ED0, 0x0F20, 0x1040, 0x17E0, 0x1810, 0x2070, 0x2080, 0xFF10,
};

// ASCII punctuation as a 128-bit mask built from the same list, so the two cannot disagree.
constexpr std::array<std::uint64_t, 2> AsciiMask(const Range* ranges, std::size_t count) {
    std::array<std::uint64_t, 2> mask{};
    for (std::size_t i = 0; i < count; ++i) {
        for (unsigned c = ranges[i].first; c <= ranges[i].last && c < 0x80; ++c) {
            mask[c >> 6] |= std::uint64_t{1} << (c & 63);
        }
    }
    return mask;
}

constexpr auto kAsciiPunctuation = AsciiMask(kPunctuationRanges, std::size(kPunctuationRanges));

bool InRanges(const Range* begin, const Range* end, char16_t ch) {
    // The first range whose last unit is at or above ch is the only one that can hold it.
    const Range* r = std::lower_bound(begin, end, ch,
                                      [](const Range& range, char16_t c) { return range.last < c; });
    return r != end && r->first <= ch;
}

// Whether c passes the test of a scan kind 1 to 5.
bool PassesKind(int kind, char16_t c) {
    switch (kind) {
        case kNonAscii: return !IsAsciiChar(c);
        case kNonAlphabetic: return !IsWhiteChar(c) && !IsWordChar(c);
        case kNonNumeric: return !IsWhiteChar(c) && !IsDecimalDigitChar(c);
        case kNonAlphanumeric: return !IsWhiteChar(c) && !IsDecimalDigitChar(c) && !IsWordChar(c);
        default: return IsPunctuationChar(c);
    }
}

}  // namespace

bool IsAsciiChar(char16_t ch) { return ch <= 0x7F; }

bool IsWhiteChar(char16_t ch) {
    if (ch < 0x80) return ch == 0x20 || (ch >= 0x09 && ch <= 0x0D);
    switch (ch) {
        case 0x0085: case 0x00A0: case 0x1680: case 0x2028: case 0x2029: case 0x202F:
        case 0x3000:
            return true;
        default:
            return ch >= 0x2000 && ch <= 0x200A;
    }
}

bool IsDecimalDigitChar(char16_t ch) {
    if (ch < 0x80) return ch >= u'0' && ch <= u'9';
    for (char16_t zero : kDigitZeros) {
        if (ch < zero) return false;  // sorted: no later run can hold it
        if (ch <= zero + 9) return true;
    }
    return false;
}

bool IsPunctuationChar(char16_t ch) {
    if (ch < 0x80) return (kAsciiPunctuation[ch >> 6] >> (ch & 63)) & 1u;
    return InRanges(std::begin(kPunctuationRanges), std::end(kPunctuationRanges), ch);
}

bool IsControlChar(char16_t ch) { return ch <= 0x1F || (ch >= 0x7F && ch <= 0x9F); }

int FindSpecialChar(int kind, std::u16string_view text, int start, int& selLength) {
    selLength = 1;
    if (start < 1 || static_cast<std::size_t>(start) > text.size()) return 0;
    Check(!text.empty(), unit::kFunctions, 96);
    Check(kind >= 1, unit::kFunctions, 97);
    Check(kind <= 6, unit::kFunctions, 98);

    const std::size_t length = text.size();
    if (kind != kWhite) {
        for (std::size_t i = static_cast<std::size_t>(start) - 1; i < length; ++i) {
            if (PassesKind(kind, text[i])) return static_cast<int>(i + 1);
        }
        return 0;
    }
    // White: a CR LF line end is reported once, at its CR, with the caret before it. A scan
    // that starts on the LF of a CR LF skips it, and the caret mode it set stays for whatever
    // white unit comes next.
    for (std::size_t i = static_cast<std::size_t>(start) - 1; i < length; ++i) {
        const char16_t c = text[i];
        if (!IsWhiteChar(c)) continue;
        if (c == u'\r' || c == u'\n') selLength = 0;
        if (c != u'\n' || i == 0 || text[i - 1] != u'\r') return static_cast<int>(i + 1);
    }
    return 0;
}

}  // namespace palimp
