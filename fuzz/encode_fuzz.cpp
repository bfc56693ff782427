// Fuzzes the encoders from the text side: any UTF-16 text, unpaired surrogates and units the
// code page lacks included, must encode to exactly what an encoder written out unit by unit
// gives, say lossless exactly when nothing was substituted, and read back as the text (or, when
// lossy, as the text with each substituted unit replaced).
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/text_codec.h"

#include "fuzz_check.h"

namespace {

using palimp::TextEncoding;

bool IsHigh(char16_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool IsLow(char16_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

void AppendUtf8(char32_t c, std::string& out) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | c >> 6);
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | c >> 12);
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | c >> 18);
        out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// UTF-8 by code points: a pair is one character, an unpaired half is U+FFFD. Also gives the
// text that reading the bytes back must give.
std::string ReferenceUtf8(std::u16string_view text, bool& lossless, std::u16string& readBack) {
    std::string out;
    lossless = true;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t u = text[i];
        if (IsHigh(u) && i + 1 < text.size() && IsLow(text[i + 1])) {
            AppendUtf8(0x10000 + ((u - 0xD800) << 10) + (text[i + 1] - 0xDC00), out);
            readBack += u;
            readBack += text[++i];
        } else if (IsHigh(u) || IsLow(u)) {
            AppendUtf8(0xFFFD, out);
            readBack += u'\uFFFD';
            lossless = false;
        } else {
            AppendUtf8(u, out);
            readBack += u;
        }
    }
    return out;
}

std::string ReferenceUtf16(std::u16string_view text, bool bigEndian) {
    std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (const char16_t u : text) {
        const char high = static_cast<char>(u >> 8), low = static_cast<char>(u & 0xFF);
        out += bigEndian ? high : low;
        out += bigEndian ? low : high;
    }
    return out;
}

// The code page's own reading of each byte, inverted: a unit is written as the byte that reads
// as it, or as '?' (lossy) when none does.
std::string ReferenceAnsi(std::u16string_view text, bool& lossless) {
    static const std::u16string byteUnits = [] {
        std::string all(256, '\0');
        for (int b = 0; b < 256; ++b) all[b] = static_cast<char>(b);
        return palimp::DefaultAnsiCodePage().ToUtf16(all);
    }();
    FUZZ_CHECK(byteUnits.size() == 256);
    std::string out;
    lossless = true;
    for (const char16_t u : text) {
        const std::size_t b = byteUnits.find(u);
        lossless = lossless && b != std::u16string::npos;
        out += b == std::u16string::npos ? '?' : static_cast<char>(b);
    }
    return out;
}

std::u16string ReferenceLineBreaks(std::u16string_view text) {
    std::u16string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'\r' || text[i] == u'\n' || text[i] == 0x2028) {
            out += u"\r\n";
            if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

void CheckEncoding(std::u16string_view text, TextEncoding encoding, const std::string& expected,
                   bool lossless, std::u16string_view readBack) {
    const palimp::EncodedText encoded = palimp::EncodeText(text, encoding);
    FUZZ_CHECK(encoded.bytes == expected);
    FUZZ_CHECK(encoded.lossless == lossless);
    // What the decoder makes of the bytes: the same text, or the substitutes. Without a mark
    // the decoder guesses, so only the marked encodings are read back whatever the text.
    if (encoding != TextEncoding::kUtf8 && encoding != TextEncoding::kAnsi) {
        const palimp::DecodedText decoded = palimp::DecodeTextFileWithEncoding(encoded.bytes);
        FUZZ_CHECK(decoded.encoding == encoding);
        FUZZ_CHECK(decoded.text == readBack);
    } else if (encoding == TextEncoding::kAnsi) {
        FUZZ_CHECK(palimp::DefaultAnsiCodePage().ToUtf16(encoded.bytes).size() == text.size());
        if (lossless) FUZZ_CHECK(palimp::DefaultAnsiCodePage().ToUtf16(encoded.bytes) == text);
    } else {
        FUZZ_CHECK(palimp::DecodeUtf8(encoded.bytes) == readBack);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Units little-endian; half the inputs are read through a small table of units that the
    // encoders treat differently (ASCII, the code page's upper half and its gaps, line breaks,
    // both surrogate halves, the largest units), so that every kind meets every other.
    static constexpr char16_t kUnits[] = {
        u'a',   u'\r',  u'\n',  0x2028, 0x00E9, 0x20AC, 0x0081, 0x008D, 0x0152, 0x07FF,
        0x0800, 0xD800, 0xDBFF, 0xDC00, 0xDFFF, 0xFFFD, 0xFFFF, 0x0000, 0x007F, 0x0080,
    };
    std::u16string text;
    if (size > 0 && data[0] % 2 == 0) {
        for (std::size_t k = 1; k < size; ++k) text += kUnits[data[k] % std::size(kUnits)];
    } else {
        for (std::size_t k = 1; k + 1 < size; k += 2) {
            text += static_cast<char16_t>(data[k] | data[k + 1] << 8);
        }
    }

    bool utf8Lossless = false;
    std::u16string readBack;
    const std::string utf8 = ReferenceUtf8(text, utf8Lossless, readBack);
    CheckEncoding(text, TextEncoding::kUtf8, utf8, utf8Lossless, readBack);
    CheckEncoding(text, TextEncoding::kUtf8Bom, "\xEF\xBB\xBF" + utf8, utf8Lossless, readBack);
    CheckEncoding(text, TextEncoding::kUtf16LeBom, ReferenceUtf16(text, false), true, text);
    CheckEncoding(text, TextEncoding::kUtf16BeBom, ReferenceUtf16(text, true), true, text);
    FUZZ_CHECK(palimp::EncodeUtf16LeFile(text) == ReferenceUtf16(text, false));
    bool ansiLossless = false;
    const std::string ansi = ReferenceAnsi(text, ansiLossless);
    CheckEncoding(text, TextEncoding::kAnsi, ansi, ansiLossless, text);

    FUZZ_CHECK(palimp::NormalizeLineBreaks(text) == ReferenceLineBreaks(text));
    return 0;
}
