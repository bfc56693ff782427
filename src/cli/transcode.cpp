// The editor reads every file it can, substituting what it cannot decode; a batch tool that
// rewrites files must not. Decoding here follows the editor, and each place where its reading
// loses bytes is recorded, so that the caller can refuse to write such a file back unchanged.
#include "cli/transcode.h"

#include <utility>

namespace palimp::cli {

namespace {

constexpr size_t kUtf16MarkSize = 2;
constexpr size_t kUtf8MarkSize = 3;

std::string WhatDecodingLoses(std::string_view bytes, const DecodedText& decoded,
                              const CodePageInfo& codePage) {
    switch (decoded.encoding) {
    case TextEncoding::kUtf16LeBom:
    case TextEncoding::kUtf16BeBom:
        if ((bytes.size() - kUtf16MarkSize) % 2 != 0)
            return "an odd trailing byte after the UTF-16 text";
        break;
    case TextEncoding::kUtf8Bom:
        if (!IsWellFormedUtf8(bytes.substr(kUtf8MarkSize)))
            return "ill-formed UTF-8, read as U+FFFD";
        break;
    case TextEncoding::kUtf8:
        break;  // chosen only for well-formed UTF-8
    case TextEncoding::kAnsi:
        if (!codePage.roundTrips) {
            bool lossless = false;
            const std::string again = codePage.page->FromUtf16(decoded.text, lossless);
            if (!lossless || again != bytes) return "bytes that the ANSI code page does not map";
        }
        break;
    }
    return {};
}

}  // namespace

InputText DecodeInput(std::string bytes, OutputEncoding mode, const CodePageInfo& codePage) {
    DecodedText decoded = DecodeTextFileWithEncoding(bytes, *codePage.page);
    InputText input;
    input.unfaithful = WhatDecodingLoses(bytes, decoded, codePage);
    std::string().swap(bytes);
    input.encoding = decoded.encoding;
    if (mode == OutputEncoding::kUtf16Le) {
        input.text = NormalizeLineBreaks(decoded.text);
    } else {
        input.text = std::move(decoded.text);
    }
    return input;
}

OutputBytes EncodeOutput(std::u16string_view text, TextEncoding inputEncoding,
                         OutputEncoding mode, const CodePageInfo& codePage) {
    OutputBytes out;
    if (mode == OutputEncoding::kUtf16Le) {
        out.bytes = EncodeUtf16LeFile(text);
        return out;
    }
    const TextEncoding target = mode == OutputEncoding::kUtf8 ? TextEncoding::kUtf8 : inputEncoding;
    EncodedText encoded = EncodeText(text, target, *codePage.page);
    if (encoded.lossless) {
        out.bytes = std::move(encoded.bytes);
    } else if (target == TextEncoding::kAnsi) {
        out.error = "the result holds characters that the ANSI code page cannot represent"
                    " (--encoding utf8 writes them)";
    } else {
        out.error = "the result holds an unpaired surrogate, which UTF-8 cannot represent"
                    " (--encoding utf16le writes it)";
    }
    return out;
}

}  // namespace palimp::cli
