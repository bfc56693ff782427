// Text file bytes to UTF-16 and back: byte-order-mark detection, UTF-8 and UTF-16 codecs, the
// ANSI code page, and the CR LF line breaks of the editor. Documents and table files share it.
#pragma once

#include <string>
#include <string_view>

namespace palimp {

// The system's 8-bit "ANSI" code page. The Windows program supplies the real one; elsewhere
// Windows-1252 stands in for it.
class AnsiCodePage {
public:
    virtual ~AnsiCodePage() = default;
    // Every byte becomes one or more UTF-16 units; nothing is dropped, NUL included.
    virtual std::u16string ToUtf16(std::string_view bytes) const = 0;
    // The text in this code page. Units that it cannot represent become substitutes and
    // lossless is set to false; otherwise lossless is set to true.
    virtual std::string FromUtf16(std::u16string_view text, bool& lossless) const = 0;
};

// Windows-1252. The five bytes it leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) stand for the
// units of the same number, as on Windows, so every byte string survives a round trip. Units
// outside the code page become '?'.
class Windows1252 final : public AnsiCodePage {
public:
    std::u16string ToUtf16(std::string_view bytes) const override;
    std::string FromUtf16(std::u16string_view text, bool& lossless) const override;
};

// The code page used where none is given: a shared Windows1252.
const AnsiCodePage& DefaultAnsiCodePage();

// How a text file's bytes are read, and how they can be written back.
enum class TextEncoding {
    kUtf16LeBom,  // FF FE, then UTF-16 little-endian
    kUtf16BeBom,  // FE FF, then UTF-16 big-endian
    kUtf8Bom,     // EF BB BF, then UTF-8
    kUtf8,        // no mark; well-formed UTF-8 with at least one non-ASCII character
    kAnsi,        // no mark; anything else, read in the ANSI code page
};

struct DecodedText {
    std::u16string text;
    TextEncoding encoding;
};

// The encoding DecodeTextFile reads bytes in. A mark needs the whole mark (two bytes for
// UTF-16, three for UTF-8); without one, bytes that are entirely well-formed UTF-8 with at
// least one multi-byte sequence are UTF-8, and everything else (pure ASCII too) is ANSI.
TextEncoding DetectTextEncoding(std::string_view bytes);

// Decodes a text file's bytes as DetectTextEncoding says, without the mark. UTF-16 ignores a
// last odd byte. Ill-formed UTF-8 after a mark becomes U+FFFD, one for each maximal ill-formed
// subsequence. No unit is dropped or changed otherwise: NULs and line breaks stay as they are.
DecodedText DecodeTextFileWithEncoding(std::string_view bytes, const AnsiCodePage& codePage);
DecodedText DecodeTextFileWithEncoding(std::string_view bytes);
std::u16string DecodeTextFile(std::string_view bytes, const AnsiCodePage& codePage);
std::u16string DecodeTextFile(std::string_view bytes);

// UTF-8 to UTF-16 by the Unicode standard: 1- to 4-byte sequences, characters beyond U+FFFF
// as surrogate pairs; overlongs, surrogates and values beyond U+10FFFF are ill-formed, and each
// maximal ill-formed subsequence becomes one U+FFFD.
std::u16string DecodeUtf8(std::string_view bytes);
// Whether bytes are well-formed UTF-8 (an empty string is).
bool IsWellFormedUtf8(std::string_view bytes);

// Every CR LF, lone CR, lone LF and U+2028 becomes CR LF; nothing else changes.
std::u16string NormalizeLineBreaks(std::u16string_view text);

struct EncodedText {
    std::string bytes;
    bool lossless;  // false when some unit had to be substituted
};

// The text written in encoding, with its mark where the encoding has one. UTF-16 is always
// lossless; UTF-8 writes an unpaired surrogate as U+FFFD (lossy); ANSI goes through codePage.
EncodedText EncodeText(std::u16string_view text, TextEncoding encoding,
                       const AnsiCodePage& codePage);
EncodedText EncodeText(std::u16string_view text, TextEncoding encoding);

// The editor's and the table's file content: FF FE, then the text as UTF-16 little-endian,
// with no terminator.
std::string EncodeUtf16LeFile(std::u16string_view text);

}  // namespace palimp
