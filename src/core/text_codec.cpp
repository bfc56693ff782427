// Text file decoding and encoding. These run over whole files of a hundred megabytes, so every
// loop writes into a buffer sized once and ASCII runs take a fast path.
#include "core/text_codec.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace palimp {

namespace {

constexpr char16_t kReplacementChar = 0xFFFD;
constexpr char16_t kCr = 0x000D;
constexpr char16_t kLf = 0x000A;
constexpr char16_t kLineSeparator = 0x2028;

// Windows-1252 bytes 0x80-0x9F. The five bytes the code page leaves undefined map to the unit
// of the same number, as Windows' own conversion does.
constexpr std::array<char16_t, 32> kCp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

constexpr std::array<char16_t, 256> BuildCp1252ToUnit() {
    std::array<char16_t, 256> table{};
    for (int b = 0; b < 256; ++b) table[b] = static_cast<char16_t>(b);
    for (int i = 0; i < 32; ++i) table[0x80 + i] = kCp1252High[i];
    return table;
}
constexpr auto kCp1252ToUnit = BuildCp1252ToUnit();

// Reverse table for units up to the highest one the code page holds (U+2122); 0 marks a unit
// that has no byte (unit 0 itself is handled before the lookup).
constexpr size_t kCp1252ReverseSize = 0x2123;
constexpr std::array<std::uint8_t, kCp1252ReverseSize> BuildUnitToCp1252() {
    std::array<std::uint8_t, kCp1252ReverseSize> table{};
    for (int b = 1; b < 256; ++b) table[kCp1252ToUnit[b]] = static_cast<std::uint8_t>(b);
    return table;
}
constexpr auto kUnitToCp1252 = BuildUnitToCp1252();

// True when the eight bytes at p are all ASCII.
inline bool EightAscii(const unsigned char* p) {
    std::uint64_t word;
    std::memcpy(&word, p, sizeof word);
    return (word & 0x8080808080808080ull) == 0;
}

constexpr char32_t kIllFormed = 0xFFFFFFFF;

// Reads the UTF-8 sequence starting at p (p < end, *p >= 0x80) by the table of well-formed
// byte sequences of the Unicode standard. Returns the bytes consumed: the whole sequence with
// its scalar value in cp, or the maximal ill-formed prefix (at least one byte) with cp set to
// kIllFormed. The second byte's range excludes overlongs, surrogates and values past U+10FFFF.
size_t ReadSequence(const unsigned char* p, const unsigned char* end, char32_t& cp) {
    const unsigned char lead = p[0];
    size_t trail;
    unsigned char lo = 0x80;
    unsigned char hi = 0xBF;
    char32_t value;
    if (lead >= 0xC2 && lead <= 0xDF) {
        trail = 1;
        value = lead & 0x1Fu;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        trail = 2;
        value = lead & 0x0Fu;
        if (lead == 0xE0) lo = 0xA0;
        if (lead == 0xED) hi = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        trail = 3;
        value = lead & 0x07u;
        if (lead == 0xF0) lo = 0x90;
        if (lead == 0xF4) hi = 0x8F;
    } else {
        cp = kIllFormed;
        return 1;
    }
    for (size_t i = 1; i <= trail; ++i) {
        if (p + i >= end || p[i] < lo || p[i] > hi) {
            cp = kIllFormed;
            return i;
        }
        value = (value << 6) | (p[i] & 0x3Fu);
        lo = 0x80;
        hi = 0xBF;
    }
    cp = value;
    return trail + 1;
}

// Well-formedness, and whether any sequence is longer than one byte.
bool ScanUtf8(std::string_view bytes, bool& hasMultiByte) {
    auto p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto end = p + bytes.size();
    hasMultiByte = false;
    while (p < end) {
        if (end - p >= 8 && EightAscii(p)) {
            p += 8;
        } else if (*p < 0x80) {
            ++p;
        } else {
            char32_t cp;
            p += ReadSequence(p, end, cp);
            if (cp == kIllFormed) return false;
            hasMultiByte = true;
        }
    }
    return true;
}

std::u16string DecodeUtf16(std::string_view bytes, bool bigEndian) {
    auto p = reinterpret_cast<const unsigned char*>(bytes.data());
    const size_t count = bytes.size() / 2;  // a last odd byte is ignored
    std::u16string out(count, u'\0');
    const int hiByte = bigEndian ? 0 : 1;
    for (size_t i = 0; i < count; ++i)
        out[i] = static_cast<char16_t>(p[2 * i + hiByte] << 8 | p[2 * i + 1 - hiByte]);
    return out;
}

bool StartsWith(std::string_view bytes, std::string_view mark) {
    return bytes.size() >= mark.size() && bytes.substr(0, mark.size()) == mark;
}

constexpr std::string_view kUtf16LeMark = "\xFF\xFE";
constexpr std::string_view kUtf16BeMark = "\xFE\xFF";
constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

bool IsHighSurrogate(char16_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool IsLowSurrogate(char16_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

std::string EncodeUtf16(std::u16string_view text, std::string_view mark, bool bigEndian) {
    std::string out(mark.size() + 2 * text.size(), '\0');
    mark.copy(out.data(), mark.size());
    char* q = out.data() + mark.size();
    for (char16_t u : text) {
        const char lo = static_cast<char>(u & 0xFF);
        const char hi = static_cast<char>(u >> 8);
        *q++ = bigEndian ? hi : lo;
        *q++ = bigEndian ? lo : hi;
    }
    return out;
}

// Bytes of the UTF-8 form of the unit at text[i]; a valid surrogate pair counts 4 at its high
// unit and 0 at its low one, an unpaired surrogate 3 (U+FFFD).
size_t Utf8Length(std::u16string_view text) {
    size_t length = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t u = text[i];
        if (u < 0x80) {
            length += 1;
        } else if (u < 0x800) {
            length += 2;
        } else if (IsHighSurrogate(u) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
            length += 4;
            ++i;
        } else {
            length += 3;
        }
    }
    return length;
}

EncodedText EncodeUtf8(std::u16string_view text, std::string_view mark) {
    EncodedText result{std::string(mark.size() + Utf8Length(text), '\0'), true};
    mark.copy(result.bytes.data(), mark.size());
    auto q = reinterpret_cast<unsigned char*>(result.bytes.data()) + mark.size();
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c < 0x80) {
            *q++ = static_cast<unsigned char>(c);
            continue;
        }
        if (c < 0x800) {
            *q++ = static_cast<unsigned char>(0xC0 | c >> 6);
            *q++ = static_cast<unsigned char>(0x80 | (c & 0x3F));
            continue;
        }
        if (IsHighSurrogate(text[i]) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00u);
            *q++ = static_cast<unsigned char>(0xF0 | c >> 18);
            *q++ = static_cast<unsigned char>(0x80 | (c >> 12 & 0x3F));
            *q++ = static_cast<unsigned char>(0x80 | (c >> 6 & 0x3F));
            *q++ = static_cast<unsigned char>(0x80 | (c & 0x3F));
            continue;
        }
        if (IsHighSurrogate(text[i]) || IsLowSurrogate(text[i])) {
            c = kReplacementChar;
            result.lossless = false;
        }
        *q++ = static_cast<unsigned char>(0xE0 | c >> 12);
        *q++ = static_cast<unsigned char>(0x80 | (c >> 6 & 0x3F));
        *q++ = static_cast<unsigned char>(0x80 | (c & 0x3F));
    }
    return result;
}

}  // namespace

std::u16string Windows1252::ToUtf16(std::string_view bytes) const {
    std::u16string out(bytes.size(), u'\0');
    auto p = reinterpret_cast<const unsigned char*>(bytes.data());
    for (size_t i = 0; i < bytes.size(); ++i) out[i] = kCp1252ToUnit[p[i]];
    return out;
}

std::string Windows1252::FromUtf16(std::u16string_view text, bool& lossless) const {
    std::string out(text.size(), '\0');
    lossless = true;
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t u = text[i];
        std::uint8_t b = 0;
        if (u != 0 && u < kCp1252ReverseSize) b = kUnitToCp1252[u];
        if (b == 0 && u != 0) {
            b = '?';
            lossless = false;
        }
        out[i] = static_cast<char>(b);
    }
    return out;
}

const AnsiCodePage& DefaultAnsiCodePage() {
    static const Windows1252 codePage;
    return codePage;
}

std::u16string DecodeUtf8(std::string_view bytes) {
    // A UTF-8 text never has more UTF-16 units than bytes: four bytes give at most two units,
    // and every U+FFFD stands for at least one byte.
    std::u16string out(bytes.size(), u'\0');
    char16_t* q = out.data();
    auto p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto end = p + bytes.size();
    while (p < end) {
        if (end - p >= 8 && EightAscii(p)) {
            for (int i = 0; i < 8; ++i) *q++ = p[i];
            p += 8;
            continue;
        }
        if (*p < 0x80) {
            *q++ = *p++;
            continue;
        }
        char32_t cp;
        p += ReadSequence(p, end, cp);
        if (cp == kIllFormed) {
            *q++ = kReplacementChar;
        } else if (cp >= 0x10000) {
            *q++ = static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
            *q++ = static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            *q++ = static_cast<char16_t>(cp);
        }
    }
    out.resize(static_cast<size_t>(q - out.data()));
    return out;
}

bool IsWellFormedUtf8(std::string_view bytes) {
    bool hasMultiByte;
    return ScanUtf8(bytes, hasMultiByte);
}

TextEncoding DetectTextEncoding(std::string_view bytes) {
    if (StartsWith(bytes, kUtf16LeMark)) return TextEncoding::kUtf16LeBom;
    if (StartsWith(bytes, kUtf16BeMark)) return TextEncoding::kUtf16BeBom;
    if (StartsWith(bytes, kUtf8Mark)) return TextEncoding::kUtf8Bom;
    // Without a mark, only text that cannot be anything but UTF-8 is read as UTF-8: it must be
    // well-formed and hold a multi-byte sequence. Accented 8-bit text is almost never
    // well-formed UTF-8, so it keeps its ANSI reading.
    bool hasMultiByte;
    if (ScanUtf8(bytes, hasMultiByte) && hasMultiByte) return TextEncoding::kUtf8;
    return TextEncoding::kAnsi;
}

DecodedText DecodeTextFileWithEncoding(std::string_view bytes, const AnsiCodePage& codePage) {
    const TextEncoding encoding = DetectTextEncoding(bytes);
    switch (encoding) {
    case TextEncoding::kUtf16LeBom:
        return {DecodeUtf16(bytes.substr(kUtf16LeMark.size()), false), encoding};
    case TextEncoding::kUtf16BeBom:
        return {DecodeUtf16(bytes.substr(kUtf16BeMark.size()), true), encoding};
    case TextEncoding::kUtf8Bom:
        return {DecodeUtf8(bytes.substr(kUtf8Mark.size())), encoding};
    case TextEncoding::kUtf8:
        return {DecodeUtf8(bytes), encoding};
    case TextEncoding::kAnsi:
        break;
    }
    return {codePage.ToUtf16(bytes), TextEncoding::kAnsi};
}

DecodedText DecodeTextFileWithEncoding(std::string_view bytes) {
    return DecodeTextFileWithEncoding(bytes, DefaultAnsiCodePage());
}

std::u16string DecodeTextFile(std::string_view bytes, const AnsiCodePage& codePage) {
    return DecodeTextFileWithEncoding(bytes, codePage).text;
}

std::u16string DecodeTextFile(std::string_view bytes) {
    return DecodeTextFileWithEncoding(bytes, DefaultAnsiCodePage()).text;
}

std::u16string NormalizeLineBreaks(std::u16string_view text) {
    std::u16string out;
    out.reserve(text.size() + text.size() / 16);
    size_t i = 0;
    while (i < text.size()) {
        // Copy the run up to the next break in one piece.
        size_t j = i;
        while (j < text.size() && text[j] != kCr && text[j] != kLf && text[j] != kLineSeparator)
            ++j;
        out.append(text.substr(i, j - i));
        if (j == text.size()) break;
        out.append(u"\r\n");
        i = j + 1;
        if (text[j] == kCr && i < text.size() && text[i] == kLf) ++i;
    }
    return out;
}

EncodedText EncodeText(std::u16string_view text, TextEncoding encoding,
                       const AnsiCodePage& codePage) {
    switch (encoding) {
    case TextEncoding::kUtf16LeBom:
        return {EncodeUtf16(text, kUtf16LeMark, false), true};
    case TextEncoding::kUtf16BeBom:
        return {EncodeUtf16(text, kUtf16BeMark, true), true};
    case TextEncoding::kUtf8Bom:
        return EncodeUtf8(text, kUtf8Mark);
    case TextEncoding::kUtf8:
        return EncodeUtf8(text, {});
    case TextEncoding::kAnsi:
        break;
    }
    EncodedText result;
    result.bytes = codePage.FromUtf16(text, result.lossless);
    return result;
}

EncodedText EncodeText(std::u16string_view text, TextEncoding encoding) {
    return EncodeText(text, encoding, DefaultAnsiCodePage());
}

std::string EncodeUtf16LeFile(std::u16string_view text) {
    return EncodeUtf16(text, kUtf16LeMark, false);
}

}  // namespace palimp
