// Fuzzes text file decoding: any bytes decode without fault, and what was read without loss
// writes back to the very same bytes in the encoding it was read in.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/text_codec.h"

#include "fuzz_check.h"

namespace {

using palimp::TextEncoding;

bool HasUnpairedSurrogate(std::u16string_view text) {
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t u = text[i];
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            ++i;
        } else if (u >= 0xD800 && u <= 0xDFFF) {
            return true;
        }
    }
    return false;
}

std::u16string WithoutBreaks(std::u16string_view text) {
    std::u16string out;
    for (char16_t u : text)
        if (u != u'\r' && u != u'\n' && u != 0x2028) out += u;
    return out;
}

void CheckNormalized(std::u16string_view original, std::u16string_view text) {
    for (size_t i = 0; i < text.size(); ++i) {
        FUZZ_CHECK(text[i] != 0x2028);
        if (text[i] == u'\r') FUZZ_CHECK(i + 1 < text.size() && text[i + 1] == u'\n');
        if (text[i] == u'\n') FUZZ_CHECK(i > 0 && text[i - 1] == u'\r');
    }
    FUZZ_CHECK(WithoutBreaks(text) == WithoutBreaks(original));
    FUZZ_CHECK(palimp::NormalizeLineBreaks(text) == text);
}

void CheckUtf8(std::string_view bytes) {
    const std::u16string text = palimp::DecodeUtf8(bytes);
    FUZZ_CHECK(text.size() <= bytes.size());
    FUZZ_CHECK(!HasUnpairedSurrogate(text));
    if (palimp::IsWellFormedUtf8(bytes)) {
        const palimp::EncodedText back = palimp::EncodeText(text, TextEncoding::kUtf8);
        FUZZ_CHECK(back.lossless && back.bytes == bytes);
    } else {
        FUZZ_CHECK(text.find(u'\uFFFD') != std::u16string::npos);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const palimp::DecodedText decoded = palimp::DecodeTextFileWithEncoding(bytes);
    FUZZ_CHECK(decoded.encoding == palimp::DetectTextEncoding(bytes));
    FUZZ_CHECK(palimp::DecodeTextFile(bytes) == decoded.text);

    // Whatever was read survives the editor's own file format.
    const std::string saved = palimp::EncodeUtf16LeFile(decoded.text);
    const palimp::DecodedText reread = palimp::DecodeTextFileWithEncoding(saved);
    FUZZ_CHECK(reread.encoding == TextEncoding::kUtf16LeBom && reread.text == decoded.text);

    // Text read without loss goes back to the same bytes in its own encoding.
    const palimp::EncodedText back = palimp::EncodeText(decoded.text, decoded.encoding);
    switch (decoded.encoding) {
    case TextEncoding::kUtf16LeBom:
    case TextEncoding::kUtf16BeBom:
        FUZZ_CHECK(back.lossless && back.bytes == bytes.substr(0, size - size % 2));
        break;
    case TextEncoding::kUtf8Bom:
        if (palimp::IsWellFormedUtf8(bytes.substr(3))) FUZZ_CHECK(back.bytes == bytes);
        break;
    case TextEncoding::kUtf8:
    case TextEncoding::kAnsi:
        FUZZ_CHECK(back.lossless && back.bytes == bytes);
        break;
    }

    CheckUtf8(bytes);
    CheckNormalized(decoded.text, palimp::NormalizeLineBreaks(decoded.text));
    return 0;
}
