// Text file decoding and encoding: the byte order marks, UTF-8 without a mark, ill-formed
// UTF-8, Windows-1252, the encoders and the CR LF normalisation.
#include "core/text_codec.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <string_view>

namespace palimp {
namespace {

using namespace std::literals;
using enum TextEncoding;

struct DecodeCase {
    const char* name;
    std::string_view bytes;
    std::u16string_view text;
    TextEncoding encoding;
};

void PrintTo(const DecodeCase& c, std::ostream* os) { *os << c.name; }

class DecodeTextFileCases : public testing::TestWithParam<DecodeCase> {};

TEST_P(DecodeTextFileCases, PicksTheEncodingAndDecodes) {
    const DecodeCase& c = GetParam();
    const DecodedText decoded = DecodeTextFileWithEncoding(c.bytes);
    EXPECT_EQ(decoded.text, c.text);
    EXPECT_EQ(decoded.encoding, c.encoding);
}

INSTANTIATE_TEST_SUITE_P(
    TextCodec, DecodeTextFileCases,
    testing::Values(
        DecodeCase{"Empty", ""sv, u"", kAnsi},
        DecodeCase{"OneByte", "\xFF"sv, u"\u00FF", kAnsi},
        DecodeCase{"PureAscii", "abc\r\n"sv, u"abc\r\n", kAnsi},
        DecodeCase{"Utf16LeMarkOnly", "\xFF\xFE"sv, u"", kUtf16LeBom},
        DecodeCase{"Utf16LeOddByteIgnored", "\xFF\xFE" "A\0\xAC\x20" "B"sv, u"A\u20AC",
                   kUtf16LeBom},
        DecodeCase{"Utf16LeKeepsNulAndLoneSurrogates", "\xFF\xFE" "a\0\0\0\x00\xD8" "b\0"sv,
                   u"a\0\xD800" "b"sv, kUtf16LeBom},
        DecodeCase{"Utf16Be", "\xFE\xFF\0A\x20\xAC\xD8\x3D\xDE\x00" "\0"sv,
                   u"A\u20AC\U0001F600", kUtf16BeBom},
        DecodeCase{"Utf8MarkOnly", "\xEF\xBB\xBF"sv, u"", kUtf8Bom},
        DecodeCase{"Utf8WithMark", "\xEF\xBB\xBF" "caf\xC3\xA9 \xF0\x9F\x98\x80"sv,
                   u"caf\u00E9 \U0001F600", kUtf8Bom},
        DecodeCase{"Utf8CutOffMarkIsAnsi", "\xEF\xBB"sv, u"\u00EF\u00BB", kAnsi},
        DecodeCase{"Utf8WithoutMark", "\0caf\xC3\xA9\r\n"sv, u"\0caf\u00E9\r\n"sv, kUtf8},
        DecodeCase{"Utf8WithoutMarkFourBytes", "\xF0\x9F\x98\x80"sv, u"\U0001F600", kUtf8},
        DecodeCase{"AccentedAnsi", "caf\xE9"sv, u"caf\u00E9", kAnsi},
        DecodeCase{"AnsiThatIsAlmostUtf8", "\xC3\xA9\xFF"sv, u"\u00C3\u00A9\u00FF", kAnsi},
        DecodeCase{"AnsiKeepsNul", "a\0\x80"sv, u"a\0\u20AC"sv, kAnsi}),
    [](const testing::TestParamInfo<DecodeCase>& p) { return p.param.name; });

INSTANTIATE_TEST_SUITE_P(Regressions, DecodeTextFileCases,
                         testing::Values(DecodeCase{"IllFormedUtf8AfterTheMarkEmptiedTheDocument",
                                                    "\xEF\xBB\xBF" "ab\xE2\x82"sv, u"ab\uFFFD", kUtf8Bom}),
                         [](const testing::TestParamInfo<DecodeCase>& p) { return p.param.name; });

// Each maximal ill-formed subsequence gives one U+FFFD; the rest decodes normally.
TEST(TextCodec, IllFormedUtf8BecomesOneReplacementPerMaximalSubpart) {
    struct Case {
        std::string_view bytes;
        std::u16string_view text;
    } cases[] = {
        {"\x61\xF1\x80\x80\xE1\x80\xC2\x62\x80\x63\x80\xBF\x64"sv,
         u"a\uFFFD\uFFFD\uFFFDb\uFFFDc\uFFFD\uFFFDd"},
        {"\xC0\xAF\xE0\x80\xAF"sv, u"\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD"},  // overlongs
        {"\xED\xA0\x80"sv, u"\uFFFD\uFFFD\uFFFD"},                      // a surrogate
        {"\xF4\x90\x80\x80\xF5\x80"sv, u"\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD"},  // > U+10FFFF
        {"\xF0\x9F\x98"sv, u"\uFFFD"},                                  // cut off at the end
        {"\xE2\x82" "A\xE2\x82\xE2\x82\xAC"sv, u"\uFFFD" "A\uFFFD\u20AC"},  // cut off inside
        {"\xDF\xBF\xE0\xA0\x80\xED\x9F\xBF\xEE\x80\x80"sv, u"\u07FF\u0800\uD7FF\uE000"},
        {"\xEF\xBF\xBF\xF0\x90\x80\x80\xF4\x8F\xBF\xBF"sv, u"\uFFFF\U00010000\U0010FFFF"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::string(c.bytes)));
        EXPECT_EQ(DecodeUtf8(c.bytes), c.text);
        EXPECT_EQ(IsWellFormedUtf8(c.bytes), c.text.find(u'\uFFFD') == c.text.npos);
    }
}

// The eight-byte ASCII fast path must hand over correctly at every offset.
TEST(TextCodec, Utf8SequencesAtEveryOffsetAroundAsciiRuns) {
    for (size_t lead = 0; lead < 20; ++lead) {
        const std::string bytes = std::string(lead, 'a') + "\xC3\xA9\xE2\x82\xAC" "bbbbbbbbb\x80";
        const std::u16string text = std::u16string(lead, u'a') + u"\u00E9\u20AC" u"bbbbbbbbb\uFFFD";
        ASSERT_EQ(DecodeUtf8(bytes), text) << lead;
        ASSERT_EQ(DetectTextEncoding(bytes), kAnsi) << lead;
        ASSERT_EQ(DetectTextEncoding(bytes.substr(0, bytes.size() - 1)), kUtf8) << lead;
    }
}

TEST(TextCodec, Windows1252MapsEveryByteAndBack) {
    const Windows1252 cp;
    std::string all;
    for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
    const std::u16string text = cp.ToUtf16(all);
    EXPECT_EQ(text.substr(0x80, 2), u"\u20AC\u0081");
    EXPECT_EQ(text.substr(0x8D, 4), u"\u008D\u017D\u008F\u0090");
    EXPECT_EQ(text.substr(0x9D, 3), u"\u009D\u017E\u0178");
    bool lossless = false;
    EXPECT_EQ(cp.FromUtf16(text, lossless), all);
    EXPECT_TRUE(lossless);
    EXPECT_EQ(cp.FromUtf16(u"a\u0080\u0100\U0001F600\u2122", lossless), "a????\x99");
    EXPECT_FALSE(lossless);
}

TEST(TextCodec, EncodersWriteTheMarkAndTheUnits) {
    const std::u16string_view text = u"A\u20AC";
    EXPECT_EQ(EncodeText(text, kUtf16LeBom).bytes, "\xFF\xFE" "A\0\xAC\x20"sv);
    EXPECT_EQ(EncodeText(text, kUtf16BeBom).bytes, "\xFE\xFF\0A\x20\xAC"sv);
    EXPECT_EQ(EncodeText(text, kUtf8Bom).bytes, "\xEF\xBB\xBF" "A\xE2\x82\xAC");
    EXPECT_EQ(EncodeText(text, kAnsi).bytes, "A\x80");
    EXPECT_EQ(EncodeUtf16LeFile(u"a\r\n"), "\xFF\xFE" "a\0\r\0\n\0"sv);
    const EncodedText utf8 = EncodeText(u"\U0001F600\xDC00"sv, kUtf8);
    EXPECT_EQ(utf8.bytes, "\xF0\x9F\x98\x80\xEF\xBF\xBD") << "an unpaired surrogate is lost";
    EXPECT_FALSE(utf8.lossless);

    const std::u16string sample = u"Zo\u00EB\0\r\n\u20AC"s;
    for (TextEncoding encoding : {kUtf16LeBom, kUtf16BeBom, kUtf8Bom, kUtf8, kAnsi}) {
        const EncodedText encoded = EncodeText(sample, encoding);
        EXPECT_TRUE(encoded.lossless);
        const DecodedText decoded = DecodeTextFileWithEncoding(encoded.bytes);
        EXPECT_EQ(decoded.text, sample);
        EXPECT_EQ(decoded.encoding, encoding);
    }
}

TEST(TextCodec, NormalizeLineBreaksMakesEveryBreakCrLf) {
    struct Case {
        std::u16string_view in, out;
    } cases[] = {
        {u"", u""},
        {u"a\r\nb\rc\nd", u"a\r\nb\r\nc\r\nd"},
        {u"a\n\r\r\n\n", u"a\r\n\r\n\r\n\r\n"},
        {u"\n\n\u2028\n", u"\r\n\r\n\r\n\r\n"},
        {u"a\u2028b\r\u2028", u"a\r\nb\r\n\r\n"},
        {u"x\0\r"sv, u"x\0\r\n"sv},
        {u"\u2029\u0085\x0B", u"\u2029\u0085\x0B"},  // other separators stay
        {u"a\r\n\r\nb\r\n", u"a\r\n\r\nb\r\n"},
        {u"a\r\nb\r", u"a\r\nb\r\n"},
        {u"\r\n\n", u"\r\n\r\n"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(NormalizeLineBreaks(c.in), c.out) << testing::PrintToString(std::u16string(c.in));
        // A string of its own, normalized in place when it can be: the same result.
        EXPECT_EQ(NormalizeLineBreaks(std::u16string(c.in)), c.out) << testing::PrintToString(std::u16string(c.in));
    }
}

}  // namespace
}  // namespace palimp
