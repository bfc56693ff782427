// The codecs a piece at a time against the same codecs on the whole text: random inputs full of
// marks, sequences, ill-formed bytes, surrogates and line breaks, cut into pieces of one, two,
// three and random sizes, must give the whole text's results exactly.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/text_codec.h"

namespace palimp {
namespace {

using namespace std::literals;
using enum TextEncoding;

class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed * 0x9E3779B97F4A7C15ull + 7) {}
    std::uint32_t Below(std::size_t bound) {
        state_ = state_ * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<std::uint32_t>((state_ >> 33) % bound);
    }

private:
    std::uint64_t state_;
};

// Byte strings made of the parts that decoders get wrong: marks, ASCII runs longer and shorter
// than the sixteen-byte fast path, whole and cut-off sequences of every length, bytes that can
// never be UTF-8, line breaks.
std::string RandomBytes(Random& random) {
    static const std::string_view kParts[] = {
        "\xFF\xFE"sv, "\xFE\xFF"sv, "\xEF\xBB\xBF"sv, "a"sv, "plain ASCII text run"sv,
        "0123456789abcdefXY"sv, "\xC3\xA9"sv, "\xE2\x82\xAC"sv, "\xF0\x9F\x98\x80"sv, "\xC3"sv,
        "\xE2\x82"sv, "\xF0\x9F"sv, "\x80"sv, "\xFF"sv, "\xC0\xAF"sv, "\xED\xA0\x80"sv, "\r\n"sv,
        "\r"sv, "\n"sv, "\0"sv, "\xE2\x80\xA8"sv, "\x81\x9D"sv,
    };
    std::string bytes;
    const std::size_t parts = random.Below(12);
    for (std::size_t k = 0; k < parts; ++k) bytes += kParts[random.Below(std::size(kParts))];
    return bytes;
}

std::u16string RandomText(Random& random) {
    static const std::u16string_view kParts[] = {
        u"a", u"sixteen and more units", u"\u00E9", u"\u20AC", u"\U0001F600", u"\xD83D",
        u"\xDE00", u"\r", u"\n", u"\r\n", u"\u2028", u"\u0100", u"\u2122", u"\0"sv,
    };
    std::u16string text;
    const std::size_t parts = random.Below(14);
    for (std::size_t k = 0; k < parts; ++k) text += kParts[random.Below(std::size(kParts))];
    return text;
}

// Where a whole is cut: every piece of one size, or of random sizes (empty pieces too).
std::vector<std::size_t> Cuts(std::size_t length, int piece, Random& random) {
    std::vector<std::size_t> sizes;
    for (std::size_t at = 0; at < length;) {
        const std::size_t size = piece > 0 ? static_cast<std::size_t>(piece) : random.Below(6);
        sizes.push_back(std::min(size, length - at));
        at += sizes.back();
    }
    return sizes;
}

constexpr int kPieceSizes[] = {1, 2, 3, 0};  // 0: random sizes

TEST(TextCodecPieces, DetectionAndUtf8ScanAgreeWithTheWhole) {
    Random random(1);
    for (int n = 0; n < 3000; ++n) {
        const std::string bytes = RandomBytes(random);
        for (const int piece : kPieceSizes) {
            EncodingDetector detector;
            Utf8Scanner scanner;
            std::size_t at = 0;
            for (const std::size_t size : Cuts(bytes.size(), piece, random)) {
                detector.Feed(std::string_view(bytes).substr(at, size));
                scanner.Feed(std::string_view(bytes).substr(at, size));
                at += size;
            }
            ASSERT_EQ(detector.Encoding(), DetectTextEncoding(bytes)) << testing::PrintToString(bytes);
            ASSERT_EQ(scanner.WellFormed(), IsWellFormedUtf8(bytes)) << testing::PrintToString(bytes);
            if (scanner.WellFormed()) continue;
            // The first bad byte, wherever the pieces end: all before it is UTF-8.
            Utf8Scanner whole;
            whole.Feed(bytes);
            ASSERT_EQ(scanner.BadAt(), whole.BadAt()) << testing::PrintToString(bytes);
            ASSERT_LT(whole.BadAt(), bytes.size());
            ASSERT_TRUE(IsWellFormedUtf8(std::string_view(bytes).substr(0, whole.BadAt())));
        }
    }
}

TEST(TextCodec, BytesThatAreNoEightBitTextAreToldApart) {
    using Kind = ByteLook::Kind;
    using namespace std::string_literals;
    const struct {
        const char* name;
        std::string bytes;
        Kind kind;
        std::size_t firstNul;
    } cases[] = {
        {"text", "caf\xE9\tx\r\n\f", Kind::kText, std::string::npos},
        {"UTF-16 LE", "T\0i\0t\0\xE9\0\r\0\n\0"s, Kind::kUtf16Le, 1},
        {"UTF-16 BE", "\0T\0i\0t\0\xE9"s, Kind::kUtf16Be, 0},
        {"UTF-16 of other scripts", "\x10\x04\x11\x04 \0"s, Kind::kBinary, 5},
        {"a NUL", "ab\0cd"s, Kind::kBinary, 2},
        {"control codes", "\x7F" "ELF\x01\x02\x03", Kind::kBinary, std::string::npos},
        {"one control code in much text", "\x01" + std::string(200, 'x'), Kind::kText, std::string::npos},
    };
    for (const auto& c : cases) {
        const ByteLook look = LookAtBytes(c.bytes);
        EXPECT_EQ(look.kind, c.kind) << c.name;
        EXPECT_EQ(look.firstNul, c.firstNul) << c.name;
    }
}

// The mark, and what reading loses, by the whole-text rules.
std::size_t MarkSize(TextEncoding encoding) {
    return encoding == kUtf8Bom ? 3 : encoding == kUtf16LeBom || encoding == kUtf16BeBom ? 2 : 0;
}

TEST(TextCodecPieces, DecodingAgreesWithTheWhole) {
    Random random(2);
    const Windows1252 cp1252;
    for (int n = 0; n < 3000; ++n) {
        const std::string bytes = RandomBytes(random);
        const DecodedText whole = DecodeTextFileWithEncoding(bytes, cp1252);
        const std::string_view content = std::string_view(bytes).substr(MarkSize(whole.encoding));
        for (const int piece : kPieceSizes) {
            TextDecoder decoder(whole.encoding, cp1252, false);
            std::u16string text;
            std::size_t at = 0;
            for (const std::size_t size : Cuts(bytes.size(), piece, random)) {
                std::u16string room(TextDecoder::MaxUnits(size), u'#');
                room.resize(decoder.Decode(std::string_view(bytes).substr(at, size), room.data()));
                text += room;
                at += size;
            }
            std::u16string rest(TextDecoder::MaxUnits(0), u'#');
            rest.resize(decoder.Finish(rest.data()));
            text += rest;
            ASSERT_EQ(text, whole.text) << testing::PrintToString(bytes) << " piece " << piece;
            ASSERT_EQ(decoder.IllFormedUtf8(),
                      whole.encoding == kUtf8Bom && !IsWellFormedUtf8(content));
            ASSERT_EQ(decoder.OddByte(), MarkSize(whole.encoding) == 2 && content.size() % 2 == 1);
            ASSERT_FALSE(decoder.UnmappedAnsi());
        }
    }
}

TEST(TextCodecPieces, LineBreaksAgreeWithTheWhole) {
    Random random(3);
    for (int n = 0; n < 2000; ++n) {
        const std::u16string text = RandomText(random);
        for (const int piece : kPieceSizes) {
            LineBreakNormalizer normalizer;
            std::u16string out;
            std::size_t at = 0;
            for (const std::size_t size : Cuts(text.size(), piece, random)) {
                std::u16string room(LineBreakNormalizer::MaxUnits(size), u'#');
                room.resize(normalizer.Normalize(std::u16string_view(text).substr(at, size),
                                                 room.data()));
                out += room;
                at += size;
            }
            ASSERT_EQ(out, NormalizeLineBreaks(text)) << testing::PrintToString(text);
        }
    }
}

TEST(TextCodecPieces, EncodingAgreesWithTheWhole) {
    Random random(4);
    for (int n = 0; n < 2000; ++n) {
        const std::u16string text = RandomText(random);
        for (const TextEncoding encoding : {kUtf16LeBom, kUtf16BeBom, kUtf8Bom, kUtf8, kAnsi}) {
            const EncodedText whole = EncodeText(text, encoding);
            for (const int piece : kPieceSizes) {
                TextEncoder encoder(encoding, DefaultAnsiCodePage());
                std::string bytes;
                std::size_t at = 0;
                for (const std::size_t size : Cuts(text.size(), piece, random)) {
                    std::string room(TextEncoder::MaxBytes(size), '#');
                    room.resize(encoder.Encode(std::u16string_view(text).substr(at, size),
                                               room.data()));
                    bytes += room;
                    at += size;
                }
                std::string rest(TextEncoder::MaxBytes(0), '#');
                rest.resize(encoder.Finish(rest.data()));
                bytes += rest;
                ASSERT_EQ(bytes, whole.bytes) << testing::PrintToString(text) << " piece " << piece;
                ASSERT_EQ(encoder.Lossless(), whole.lossless);
            }
        }
    }
}

TEST(TextCodecPieces, AnEmptyTextStillGetsItsMark) {
    for (const auto& [encoding, mark] : {std::pair{kUtf16LeBom, "\xFF\xFE"sv},
                                         std::pair{kUtf8Bom, "\xEF\xBB\xBF"sv},
                                         std::pair{kUtf8, ""sv}}) {
        TextEncoder encoder(encoding, DefaultAnsiCodePage());
        std::string out(TextEncoder::MaxBytes(0), '#');
        out.resize(encoder.Finish(out.data()));
        EXPECT_EQ(out, mark);
    }
}

// A single-byte code page whose bytes 0x41 ('A') and 0xE9 do not come back as they went in.
class LossyCodePage final : public AnsiCodePage {
public:
    std::u16string ToUtf16(std::string_view bytes) const override {
        return Windows1252().ToUtf16(bytes);
    }
    std::string FromUtf16(std::u16string_view text, bool& lossless) const override {
        std::string bytes = Windows1252().FromUtf16(text, lossless);
        for (char& b : bytes) {
            if (b == 'A') b = 'a';
            if (b == '\xE9') lossless = false;
        }
        return bytes;
    }
    bool DecodesByteByByte() const override { return true; }
};

TEST(TextCodecPieces, AnsiBytesThatDoNotComeBackAreNoted) {
    const LossyCodePage lossy;
    const struct {
        std::string_view bytes;
        bool unmapped;
    } cases[] = {{"plain text, all of it ascii"sv, false},
                 {"sixteen bytes ok then A"sv, true},
                 {"caf\xE9"sv, true},
                 {"\x80\x81"sv, false}};
    for (const auto& c : cases) {
        TextDecoder checked(kAnsi, lossy, true);
        TextDecoder unchecked(kAnsi, lossy, false);
        std::u16string room(TextDecoder::MaxUnits(c.bytes.size()), u'#');
        room.resize(checked.Decode(c.bytes, room.data()));
        EXPECT_EQ(room, Windows1252().ToUtf16(c.bytes));
        EXPECT_EQ(checked.UnmappedAnsi(), c.unmapped) << c.bytes;
        unchecked.Decode(c.bytes, room.data());
        EXPECT_FALSE(unchecked.UnmappedAnsi());
    }
}

// A code page that needs whole texts (one standing for double-byte ones).
class PairedCodePage final : public AnsiCodePage {
public:
    std::u16string ToUtf16(std::string_view bytes) const override {
        return std::u16string(bytes.size() / 2, u'x');
    }
    std::string FromUtf16(std::u16string_view text, bool& lossless) const override {
        lossless = true;
        return std::string(text.size() * 2, 'x');
    }
};

TEST(TextCodecPieces, CodePagesThatNeedWholeTextsAreRefused) {
    EXPECT_THROW(TextDecoder(kAnsi, PairedCodePage(), false), std::invalid_argument);
    EXPECT_NO_THROW(TextDecoder(kUtf8, PairedCodePage(), false));
}

// The sixteen-unit fast paths must hand over at every offset.
TEST(TextCodecPieces, AsciiFastPathsHandOverAtEveryOffset) {
    for (std::size_t lead = 0; lead < 40; ++lead) {
        const std::u16string text = std::u16string(lead, u'a') + u"\u00E9" +
                                    std::u16string(lead % 17, u'b') + u"\u20AC\u0080";
        EXPECT_EQ(EncodeText(text, kUtf8).bytes,
                  std::string(lead, 'a') + "\xC3\xA9" + std::string(lead % 17, 'b') +
                      "\xE2\x82\xAC\xC2\x80");
        bool lossless = true;
        EXPECT_EQ(Windows1252().FromUtf16(text, lossless),
                  std::string(lead, 'a') + "\xE9" + std::string(lead % 17, 'b') + "\x80?");
        EXPECT_FALSE(lossless);
        const std::string ansi = std::string(lead, 'a') + "\x80" + std::string(lead % 17, 'b');
        EXPECT_EQ(Windows1252().ToUtf16(ansi),
                  std::u16string(lead, u'a') + u"\u20AC" + std::u16string(lead % 17, u'b'));
    }
}

}  // namespace
}  // namespace palimp
