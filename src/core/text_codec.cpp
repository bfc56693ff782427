// Text file decoding and encoding. These run over files of hundreds of megabytes, whole or a
// piece at a time, so every loop writes into a buffer sized once and ASCII runs are copied
// sixteen at a time by loops that compilers turn into vector code.
#include "core/text_codec.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <stdexcept>

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

constexpr std::uint64_t kHighBits = 0x8080808080808080ull;

// Copies the leading ASCII bytes of p[0, n) to out as units and returns how many there were.
size_t WidenAscii(const unsigned char* p, size_t n, char16_t* out) {
    size_t i = 0;
    while (n - i >= 16) {
        std::uint64_t a, b;
        std::memcpy(&a, p + i, 8);
        std::memcpy(&b, p + i + 8, 8);
        if ((a | b) & kHighBits) break;
        for (size_t k = 0; k < 16; ++k) out[i + k] = p[i + k];
        i += 16;
    }
    while (i < n && p[i] < 0x80) {
        out[i] = p[i];
        ++i;
    }
    return i;
}

// Copies the leading units below 0x80 of s[0, n) to out as bytes and returns how many.
size_t NarrowAscii(const char16_t* s, size_t n, unsigned char* out) {
    size_t i = 0;
    while (n - i >= 16) {
        unsigned bits = 0;
        for (size_t k = 0; k < 16; ++k) bits |= s[i + k];
        if (bits >= 0x80) break;
        for (size_t k = 0; k < 16; ++k) out[i + k] = static_cast<unsigned char>(s[i + k]);
        i += 16;
    }
    while (i < n && s[i] < 0x80) {
        out[i] = static_cast<unsigned char>(s[i]);
        ++i;
    }
    return i;
}

// One UTF-8 sequence: its scalar value when whole and well-formed; otherwise how many bytes
// form the maximal ill-formed prefix, and whether that prefix is only cut off by the end of
// the bytes (it might go on in the next piece).
struct Sequence {
    size_t length;
    char32_t value;
    enum Status { kWhole, kIllFormed, kCutOff } status;
};

// Reads the sequence at p (p < end, *p >= 0x80) by the table of well-formed byte sequences of
// the Unicode standard. The second byte's range excludes overlongs, surrogates and values
// past U+10FFFF.
Sequence ReadSequence(const unsigned char* p, const unsigned char* end) {
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
        return {1, 0, Sequence::kIllFormed};
    }
    for (size_t i = 1; i <= trail; ++i) {
        if (p + i >= end) return {i, 0, Sequence::kCutOff};
        if (p[i] < lo || p[i] > hi) return {i, 0, Sequence::kIllFormed};
        value = (value << 6) | (p[i] & 0x3Fu);
        lo = 0x80;
        hi = 0xBF;
    }
    return {trail + 1, value, Sequence::kWhole};
}

// Writes a whole sequence's value (a surrogate pair beyond U+FFFF), or U+FFFD for an
// ill-formed one; returns the units written.
size_t PutSequence(const Sequence& sequence, char16_t* q) {
    if (sequence.status != Sequence::kWhole) {
        *q = kReplacementChar;
        return 1;
    }
    if (sequence.value >= 0x10000) {
        q[0] = static_cast<char16_t>(0xD800 + ((sequence.value - 0x10000) >> 10));
        q[1] = static_cast<char16_t>(0xDC00 + ((sequence.value - 0x10000) & 0x3FF));
        return 2;
    }
    *q = static_cast<char16_t>(sequence.value);
    return 1;
}

// Decodes UTF-8 from p into q until end, or until a sequence cut off by end when stopAtCutOff
// (p is left there). Sets illFormed when a U+FFFD was written.
void DecodeUtf8Run(const unsigned char*& p, const unsigned char* end, char16_t*& q,
                   bool stopAtCutOff, bool& illFormed) {
    while (p < end) {
        const size_t ascii = WidenAscii(p, static_cast<size_t>(end - p), q);
        p += ascii;
        q += ascii;
        if (p == end) break;
        const Sequence sequence = ReadSequence(p, end);
        if (sequence.status == Sequence::kCutOff && stopAtCutOff) return;
        if (sequence.status != Sequence::kWhole) illFormed = true;
        q += PutSequence(sequence, q);
        p += sequence.length;
    }
}

// Scans UTF-8 from p until end, or until a sequence cut off by end (p is left there). False
// at the first ill-formed sequence.
bool ScanUtf8Run(const unsigned char*& p, const unsigned char* end, bool& hasMultiByte) {
    while (p < end) {
        if (end - p >= 32) {
            std::uint64_t words[4];
            std::memcpy(words, p, 32);
            if (((words[0] | words[1] | words[2] | words[3]) & kHighBits) == 0) {
                p += 32;
                continue;
            }
        }
        if (end - p >= 8) {
            std::uint64_t word;
            std::memcpy(&word, p, 8);
            if ((word & kHighBits) == 0) {
                p += 8;
                continue;
            }
        }
        if (*p < 0x80) {
            ++p;
            continue;
        }
        const Sequence sequence = ReadSequence(p, end);
        if (sequence.status == Sequence::kCutOff) return true;
        if (sequence.status == Sequence::kIllFormed) return false;
        hasMultiByte = true;
        p += sequence.length;
    }
    return true;
}

bool IsHighSurrogate(char16_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool IsLowSurrogate(char16_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

// UTF-16 units from bytes, count units of them.
void UnitsFromBytes(const unsigned char* p, size_t count, bool bigEndian, char16_t* out) {
    if (count == 0) return;  // p may be null then, which memcpy must not see
    if (!bigEndian && std::endian::native == std::endian::little) {
        std::memcpy(out, p, 2 * count);
        return;
    }
    const int hiByte = bigEndian ? 0 : 1;
    for (size_t i = 0; i < count; ++i) {
        out[i] = static_cast<char16_t>(p[2 * i + hiByte] << 8 | p[2 * i + 1 - hiByte]);
    }
}

void BytesFromUnits(std::u16string_view text, bool bigEndian, char* out) {
    if (text.empty()) return;  // its data may be null, which memcpy must not see
    if (!bigEndian && std::endian::native == std::endian::little) {
        std::memcpy(out, text.data(), 2 * text.size());
        return;
    }
    for (char16_t u : text) {
        const char lo = static_cast<char>(u & 0xFF);
        const char hi = static_cast<char>(u >> 8);
        *out++ = bigEndian ? hi : lo;
        *out++ = bigEndian ? lo : hi;
    }
}

std::u16string DecodeUtf16(std::string_view bytes, bool bigEndian) {
    const size_t count = bytes.size() / 2;  // a last odd byte is ignored
    std::u16string out(count, u'\0');
    UnitsFromBytes(reinterpret_cast<const unsigned char*>(bytes.data()), count, bigEndian,
                   out.data());
    return out;
}

bool StartsWith(std::string_view bytes, std::string_view mark) {
    return bytes.size() >= mark.size() && bytes.substr(0, mark.size()) == mark;
}

constexpr std::string_view kUtf16LeMark = "\xFF\xFE";
constexpr std::string_view kUtf16BeMark = "\xFE\xFF";
constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

std::string_view MarkOf(TextEncoding encoding) {
    switch (encoding) {
    case TextEncoding::kUtf16LeBom:
        return kUtf16LeMark;
    case TextEncoding::kUtf16BeBom:
        return kUtf16BeMark;
    case TextEncoding::kUtf8Bom:
        return kUtf8Mark;
    case TextEncoding::kUtf8:
    case TextEncoding::kAnsi:
        break;
    }
    return {};
}

std::string EncodeUtf16(std::u16string_view text, std::string_view mark, bool bigEndian) {
    std::string out(mark.size() + 2 * text.size(), '\0');
    mark.copy(out.data(), mark.size());
    BytesFromUnits(text, bigEndian, out.data() + mark.size());
    return out;
}

// Bytes of the UTF-8 form of the text: a valid surrogate pair counts 4 at its high unit and 0
// at its low one, an unpaired surrogate 3 (U+FFFD).
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

// Writes the UTF-8 form of text to q and returns the end; an unpaired surrogate becomes
// U+FFFD and clears lossless.
unsigned char* EncodeUtf8Into(std::u16string_view text, unsigned char* q, bool& lossless) {
    const char16_t* s = text.data();
    const size_t n = text.size();
    for (size_t i = 0; i < n;) {
        const size_t ascii = NarrowAscii(s + i, n - i, q);
        i += ascii;
        q += ascii;
        if (i == n) break;
        char32_t c = s[i];
        if (c < 0x80) {
            *q++ = static_cast<unsigned char>(c);
        } else if (c < 0x800) {
            *q++ = static_cast<unsigned char>(0xC0 | c >> 6);
            *q++ = static_cast<unsigned char>(0x80 | (c & 0x3F));
        } else if (IsHighSurrogate(s[i]) && i + 1 < n && IsLowSurrogate(s[i + 1])) {
            c = 0x10000 + ((c - 0xD800) << 10) + (s[++i] - 0xDC00u);
            *q++ = static_cast<unsigned char>(0xF0 | c >> 18);
            *q++ = static_cast<unsigned char>(0x80 | (c >> 12 & 0x3F));
            *q++ = static_cast<unsigned char>(0x80 | (c >> 6 & 0x3F));
            *q++ = static_cast<unsigned char>(0x80 | (c & 0x3F));
        } else {
            if (IsHighSurrogate(s[i]) || IsLowSurrogate(s[i])) {
                c = kReplacementChar;
                lossless = false;
            }
            *q++ = static_cast<unsigned char>(0xE0 | c >> 12);
            *q++ = static_cast<unsigned char>(0x80 | (c >> 6 & 0x3F));
            *q++ = static_cast<unsigned char>(0x80 | (c & 0x3F));
        }
        ++i;
    }
    return q;
}

EncodedText EncodeUtf8(std::u16string_view text, std::string_view mark) {
    EncodedText result{std::string(mark.size() + Utf8Length(text), '\0'), true};
    mark.copy(result.bytes.data(), mark.size());
    EncodeUtf8Into(text, reinterpret_cast<unsigned char*>(result.bytes.data()) + mark.size(),
                   result.lossless);
    return result;
}

}  // namespace

std::u16string Windows1252::ToUtf16(std::string_view bytes) const {
    std::u16string out(bytes.size(), u'\0');
    auto p = reinterpret_cast<const unsigned char*>(bytes.data());
    for (size_t i = 0; i < bytes.size();) {
        i += WidenAscii(p + i, bytes.size() - i, out.data() + i);
        if (i < bytes.size()) {
            out[i] = kCp1252ToUnit[p[i]];
            ++i;
        }
    }
    return out;
}

std::string Windows1252::FromUtf16(std::u16string_view text, bool& lossless) const {
    std::string out(text.size(), '\0');
    auto q = reinterpret_cast<unsigned char*>(out.data());
    lossless = true;
    for (size_t i = 0; i < text.size();) {
        i += NarrowAscii(text.data() + i, text.size() - i, q + i);
        if (i == text.size()) break;
        const char16_t u = text[i];
        std::uint8_t b = 0;
        if (u < kCp1252ReverseSize) b = kUnitToCp1252[u];
        if (b == 0) {
            b = '?';
            lossless = false;
        }
        q[i++] = b;
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
    bool illFormed = false;
    DecodeUtf8Run(p, p + bytes.size(), q, false, illFormed);
    out.resize(static_cast<size_t>(q - out.data()));
    return out;
}

bool IsWellFormedUtf8(std::string_view bytes) {
    Utf8Scanner scanner;
    scanner.Feed(bytes);
    return scanner.WellFormed();
}

ByteLook LookAtBytes(std::string_view head) {
    ByteLook look;
    look.firstNul = head.find('\0');
    std::size_t nulEven = 0, nulOdd = 0, controls = 0;
    for (std::size_t i = 0; i < head.size(); ++i) {
        const auto byte = static_cast<unsigned char>(head[i]);
        if (byte == 0) {
            ++(i % 2 == 0 ? nulEven : nulOdd);
        } else if (byte < 0x20 && byte != '\t' && byte != '\n' && byte != '\r' && byte != '\f' &&
                   byte != 0x1B) {
            ++controls;
        }
    }
    // Mostly Latin text in UTF-16 has a NUL in most units, always on the same side.
    const std::size_t units = head.size() / 2;
    if (units > 0 && nulOdd * 2 > units && nulEven * 20 < units) {
        look.kind = ByteLook::Kind::kUtf16Le;
    } else if (units > 0 && nulEven * 2 > units && nulOdd * 20 < units) {
        look.kind = ByteLook::Kind::kUtf16Be;
    } else if (nulEven + nulOdd > 0 || controls * 100 > head.size()) {
        look.kind = ByteLook::Kind::kBinary;
    }
    return look;
}

TextEncoding DetectTextEncoding(std::string_view bytes) {
    // Without a mark, only text that cannot be anything but UTF-8 is read as UTF-8: it must be
    // well-formed and hold a multi-byte sequence. Accented 8-bit text is almost never
    // well-formed UTF-8, so it keeps its ANSI reading.
    EncodingDetector detector;
    detector.Feed(bytes);
    return detector.Encoding();
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

// ---- A piece at a time ----

void Utf8Scanner::Feed(std::string_view bytes) {
    if (!wellFormed_) return;  // nothing further can change the answers that matter
    const std::uint64_t fedBefore = fed_;
    fed_ += bytes.size();
    auto p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto start = p;
    const auto end = p + bytes.size();
    if (pendingSize_ > 0) {
        // Finish the sequence an earlier piece began, with as many bytes as it may need.
        std::array<unsigned char, 4> joined = pending_;
        const size_t take = std::min<size_t>(4 - pendingSize_, bytes.size());
        std::copy_n(p, take, joined.data() + pendingSize_);
        const Sequence sequence = ReadSequence(joined.data(), joined.data() + pendingSize_ + take);
        if (sequence.status == Sequence::kCutOff) {
            pending_ = joined;
            pendingSize_ += take;
            return;
        }
        if (sequence.status == Sequence::kIllFormed) {
            wellFormed_ = false;
            badAt_ = fedBefore - pendingSize_;
            return;
        }
        hasMultiByte_ = true;
        p += sequence.length - pendingSize_;
        pendingSize_ = 0;
    }
    if (!ScanUtf8Run(p, end, hasMultiByte_)) {
        wellFormed_ = false;
        badAt_ = fedBefore + static_cast<std::uint64_t>(p - start);
        return;
    }
    pendingSize_ = static_cast<size_t>(end - p);
    std::copy(p, end, pending_.data());
}

void EncodingDetector::Feed(std::string_view bytes) {
    const size_t take = std::min(head_.size() - headSize_, bytes.size());
    std::copy_n(bytes.data(), take, reinterpret_cast<char*>(head_.data()) + headSize_);
    headSize_ += take;
    if (!HasMark()) utf8_.Feed(bytes);
}

bool EncodingDetector::HasMark() const {
    const std::string_view head(reinterpret_cast<const char*>(head_.data()), headSize_);
    return StartsWith(head, kUtf16LeMark) || StartsWith(head, kUtf16BeMark) ||
           StartsWith(head, kUtf8Mark);
}

TextEncoding EncodingDetector::Encoding() const {
    const std::string_view head(reinterpret_cast<const char*>(head_.data()), headSize_);
    if (StartsWith(head, kUtf16LeMark)) return TextEncoding::kUtf16LeBom;
    if (StartsWith(head, kUtf16BeMark)) return TextEncoding::kUtf16BeBom;
    if (StartsWith(head, kUtf8Mark)) return TextEncoding::kUtf8Bom;
    if (utf8_.WellFormed() && utf8_.HasMultiByte()) return TextEncoding::kUtf8;
    return TextEncoding::kAnsi;
}

TextDecoder::TextDecoder(TextEncoding encoding, const AnsiCodePage& codePage,
                         bool checkAnsiRoundTrip)
    : encoding_(encoding),
      utf16_(encoding == TextEncoding::kUtf16LeBom || encoding == TextEncoding::kUtf16BeBom),
      markLeft_(MarkOf(encoding).size()) {
    if (encoding != TextEncoding::kAnsi) return;
    if (!codePage.DecodesByteByByte()) {
        throw std::invalid_argument("the code page cannot be decoded a piece at a time");
    }
    // One byte at a time gives the code page's whole table, and what each byte comes back as.
    for (int b = 0; b < 256; ++b) {
        const std::string byte(1, static_cast<char>(b));
        const std::u16string unit = codePage.ToUtf16(byte);
        if (unit.size() != 1) throw std::invalid_argument("a byte that is not one unit");
        ansi_[b] = unit[0];
        if (b < 0x80 && unit[0] != b) asciiIsAscii_ = false;
        if (checkAnsiRoundTrip) {
            bool lossless = false;
            ansiUnmapped_[b] = codePage.FromUtf16(unit, lossless) != byte || !lossless;
        }
    }
    if (std::any_of(ansiUnmapped_.begin(), ansiUnmapped_.begin() + 0x80,
                    [](bool unmapped) { return unmapped; })) {
        asciiIsAscii_ = false;  // the fast path would pass over them
    }
}

std::size_t TextDecoder::Decode(std::string_view bytes, char16_t* out) {
    auto p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto end = p + bytes.size();
    for (; markLeft_ > 0 && p < end; --markLeft_) ++p;
    char16_t* q = out;
    if (utf16_) {
        const bool bigEndian = encoding_ == TextEncoding::kUtf16BeBom;
        if (pendingSize_ == 1 && p < end) {
            const unsigned char pair[2] = {pending_[0], *p++};
            UnitsFromBytes(pair, 1, bigEndian, q++);
            pendingSize_ = 0;
        }
        const size_t count = static_cast<size_t>(end - p) / 2;
        UnitsFromBytes(p, count, bigEndian, q);
        q += count;
        p += 2 * count;
        if (p < end) {
            pending_[0] = *p;
            pendingSize_ = 1;
        }
        return static_cast<size_t>(q - out);
    }
    if (encoding_ == TextEncoding::kAnsi) {
        while (p < end) {
            if (asciiIsAscii_) {
                const size_t ascii = WidenAscii(p, static_cast<size_t>(end - p), q);
                p += ascii;
                q += ascii;
                if (p == end) break;
            }
            unmapped_ = unmapped_ || ansiUnmapped_[*p];
            *q++ = ansi_[*p++];
        }
        return static_cast<size_t>(q - out);
    }
    return DecodeUtf8Piece(p, end, out, false);
}

std::size_t TextDecoder::DecodeUtf8Piece(const unsigned char* p, const unsigned char* end,
                                         char16_t* out, bool last) {
    char16_t* q = out;
    if (pendingSize_ > 0) {
        // Finish the sequence an earlier piece began, with as many bytes as it may need.
        std::array<unsigned char, 4> joined = pending_;
        const size_t take = std::min<size_t>(4 - pendingSize_, static_cast<size_t>(end - p));
        std::copy_n(p, take, joined.data() + pendingSize_);
        const Sequence sequence = ReadSequence(joined.data(), joined.data() + pendingSize_ + take);
        if (sequence.status == Sequence::kCutOff && !last) {
            pending_ = joined;
            pendingSize_ += take;
            return 0;
        }
        if (sequence.status != Sequence::kWhole) illFormed_ = true;
        q += PutSequence(sequence, q);
        p += sequence.length - pendingSize_;
        pendingSize_ = 0;
    }
    DecodeUtf8Run(p, end, q, !last, illFormed_);
    pendingSize_ = static_cast<size_t>(end - p);
    std::copy(p, end, pending_.data());
    return static_cast<size_t>(q - out);
}

std::size_t TextDecoder::Finish(char16_t* out) {
    if (utf16_ || encoding_ == TextEncoding::kAnsi || pendingSize_ == 0) return 0;
    const unsigned char* p = pending_.data();
    return DecodeUtf8Piece(p, p, out, true);
}

std::size_t LineBreakNormalizer::Normalize(std::u16string_view text, char16_t* out) {
    char16_t* q = out;
    for (char16_t unit : text) {
        if (afterCr_) {
            afterCr_ = false;
            if (unit == kLf) continue;
        }
        if (unit == kCr || unit == kLf || unit == kLineSeparator) {
            *q++ = kCr;
            *q++ = kLf;
            afterCr_ = unit == kCr;
        } else {
            *q++ = unit;
        }
    }
    return static_cast<size_t>(q - out);
}

TextEncoder::TextEncoder(TextEncoding encoding, const AnsiCodePage& codePage)
    : encoding_(encoding), codePage_(codePage) {}

std::size_t TextEncoder::EncodeWhole(std::u16string_view text, char* out) {
    switch (encoding_) {
    case TextEncoding::kUtf16LeBom:
    case TextEncoding::kUtf16BeBom:
        BytesFromUnits(text, encoding_ == TextEncoding::kUtf16BeBom, out);
        return 2 * text.size();
    case TextEncoding::kUtf8Bom:
    case TextEncoding::kUtf8: {
        auto q = reinterpret_cast<unsigned char*>(out);
        return static_cast<size_t>(EncodeUtf8Into(text, q, lossless_) - q);
    }
    case TextEncoding::kAnsi:
        break;
    }
    if (text.empty()) return 0;
    bool lossless = true;
    const std::string bytes = codePage_.FromUtf16(text, lossless);
    lossless_ = lossless_ && lossless;
    std::copy(bytes.begin(), bytes.end(), out);
    return bytes.size();
}

std::size_t TextEncoder::Encode(std::u16string_view text, char* out) {
    char* q = out;
    if (!markDone_) {
        const std::string_view mark = MarkOf(encoding_);
        q = std::copy(mark.begin(), mark.end(), q);
        markDone_ = true;
    }
    if (holding_ && !text.empty()) {
        // The held high surrogate goes out with its low half, or alone when there is none.
        const char16_t pair[2] = {held_, text[0]};
        const bool paired = IsLowSurrogate(text[0]);
        q += EncodeWhole(std::u16string_view(pair, paired ? 2 : 1), q);
        if (paired) text.remove_prefix(1);
        holding_ = false;
    }
    if (!text.empty() && IsHighSurrogate(text.back())) {
        held_ = text.back();
        holding_ = true;
        text.remove_suffix(1);
    }
    q += EncodeWhole(text, q);
    return static_cast<size_t>(q - out);
}

std::size_t TextEncoder::Finish(char* out) {
    char* q = out + Encode({}, out);
    if (holding_) {
        q += EncodeWhole(std::u16string_view(&held_, 1), q);
        holding_ = false;
    }
    return static_cast<size_t>(q - out);
}

}  // namespace palimp
