// Text file bytes to UTF-16 and back: byte-order-mark detection, UTF-8 and UTF-16 codecs, the
// ANSI code page, and the CR LF line breaks of the editor. Documents and table files share it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
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
    // Whether every byte becomes exactly one unit whatever its neighbours (a single-byte code
    // page), so that bytes may be decoded a piece at a time, cut anywhere.
    virtual bool DecodesByteByByte() const { return false; }
};

// Windows-1252. The five bytes it leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) stand for the
// units of the same number, as on Windows, so every byte string survives a round trip. Units
// outside the code page become '?'.
class Windows1252 final : public AnsiCodePage {
public:
    std::u16string ToUtf16(std::string_view bytes) const override;
    std::string FromUtf16(std::u16string_view text, bool& lossless) const override;
    bool DecodesByteByByte() const override { return true; }
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

// What bytes without a mark look like when they are not text in any 8-bit code page, for a
// message that says what is really wrong with a file: UTF-16 without its mark (NUL bytes at
// most odd or most even offsets), or binary (NUL bytes elsewhere, or control codes that text
// does not hold). firstNul is the offset of the first NUL byte, or npos.
struct ByteLook {
    enum class Kind { kText, kUtf16Le, kUtf16Be, kBinary };
    Kind kind = Kind::kText;
    std::size_t firstNul = std::string_view::npos;
};
ByteLook LookAtBytes(std::string_view head);

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

// ---- The same a piece at a time, for inputs too large to hold whole ----
// A piece may end anywhere: inside a mark, a UTF-8 sequence, a UTF-16 unit, a CR LF pair or a
// surrogate pair. The results are those of the whole-text functions above.

// Whether bytes fed a piece at a time are well-formed UTF-8, and whether any sequence is
// longer than one byte.
class Utf8Scanner {
public:
    void Feed(std::string_view bytes);
    // Whether everything fed so far is well-formed, a sequence cut off at the end included.
    bool WellFormed() const { return wellFormed_ && pendingSize_ == 0; }
    bool HasMultiByte() const { return hasMultiByte_; }
    // Unless WellFormed: the offset of the first byte of the first ill-formed or cut-off
    // sequence, counted over everything fed.
    std::uint64_t BadAt() const { return wellFormed_ ? fed_ - pendingSize_ : badAt_; }

private:
    std::uint64_t fed_ = 0;
    std::uint64_t badAt_ = 0;
    bool wellFormed_ = true;
    bool hasMultiByte_ = false;
    std::array<unsigned char, 4> pending_{};  // a sequence begun in an earlier piece
    std::size_t pendingSize_ = 0;
};

// What DetectTextEncoding says of all the bytes fed, fed a piece at a time.
class EncodingDetector {
public:
    void Feed(std::string_view bytes);
    // Whether the bytes fed begin with a mark, so that no further byte can change the answer.
    bool HasMark() const;
    // The answer for the bytes fed so far.
    TextEncoding Encoding() const;

private:
    std::array<unsigned char, 3> head_{};
    std::size_t headSize_ = 0;
    Utf8Scanner utf8_;
};

// DecodeTextFileWithEncoding's decoding, a piece at a time, once the encoding is known: the
// mark of the encoding is skipped, and a cut-off end decodes only when the bytes end.
class TextDecoder {
public:
    // kAnsi needs a code page that decodes byte by byte (std::invalid_argument otherwise).
    // With checkAnsiRoundTrip, bytes that the code page does not give back unchanged are
    // noted (UnmappedAnsi).
    TextDecoder(TextEncoding encoding, const AnsiCodePage& codePage, bool checkAnsiRoundTrip);

    // Room Decode and Finish need for a piece of this many bytes.
    static std::size_t MaxUnits(std::size_t bytes) { return bytes + 4; }
    // Decodes the next piece into out and returns the number of units written.
    std::size_t Decode(std::string_view bytes, char16_t* out);
    // The bytes have ended: what is left of a cut-off sequence (U+FFFD) goes to out.
    std::size_t Finish(char16_t* out);

    // What reading lost: ill-formed UTF-8 (read as U+FFFD), an odd byte after UTF-16 (ignored),
    // bytes the code page does not give back.
    bool IllFormedUtf8() const { return illFormed_; }
    bool OddByte() const { return pendingSize_ != 0 && utf16_; }
    bool UnmappedAnsi() const { return unmapped_; }

private:
    std::size_t DecodeUtf8Piece(const unsigned char* p, const unsigned char* end, char16_t* out,
                                bool last);

    TextEncoding encoding_;
    bool utf16_ = false;
    std::size_t markLeft_ = 0;  // bytes of the mark still to skip
    std::array<char16_t, 256> ansi_{};
    std::array<bool, 256> ansiUnmapped_{};
    bool asciiIsAscii_ = true;  // the code page maps bytes below 0x80 to the same units
    std::array<unsigned char, 4> pending_{};  // a unit or sequence begun in an earlier piece
    std::size_t pendingSize_ = 0;
    bool illFormed_ = false;
    bool unmapped_ = false;
};

// NormalizeLineBreaks a piece at a time.
class LineBreakNormalizer {
public:
    // Room Normalize needs for a piece of this many units.
    static std::size_t MaxUnits(std::size_t units) { return 2 * units; }
    // Writes the piece with its breaks made CR LF to out; returns the number of units written.
    std::size_t Normalize(std::u16string_view text, char16_t* out);

private:
    bool afterCr_ = false;  // an LF next belongs to the CR LF already written
};

// EncodeText a piece at a time: the mark goes out first, and a high surrogate at the end of a
// piece waits for the next.
class TextEncoder {
public:
    TextEncoder(TextEncoding encoding, const AnsiCodePage& codePage);

    // Room Encode and Finish need for a piece of this many units.
    static std::size_t MaxBytes(std::size_t units) { return 4 * units + 8; }
    // Encodes the next piece into out and returns the number of bytes written.
    std::size_t Encode(std::u16string_view text, char* out);
    // The text has ended: what waits (a mark, a surrogate) goes to out.
    std::size_t Finish(char* out);
    // False once some unit had to be substituted.
    bool Lossless() const { return lossless_; }

private:
    std::size_t EncodeWhole(std::u16string_view text, char* out);

    TextEncoding encoding_;
    const AnsiCodePage& codePage_;
    bool markDone_ = false;
    char16_t held_ = 0;  // a high surrogate waiting for the next piece
    bool holding_ = false;
    bool lossless_ = true;
};

}  // namespace palimp
