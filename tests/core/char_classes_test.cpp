// The character classes of the "Search for" commands and the scan over them, including the
// line-end rules of kind 6 and the checks on the kind.
#include "core/char_classes.h"

#include <string>

#include <gtest/gtest.h>

#include "core/errors.h"

namespace palimp {
namespace {

TEST(CharClasses, AsciiPunctuationIsExactlyTheListedSigns) {
    const std::u16string listed = u"!\"#%&'()*,-./:;?@[\\]_{}";
    for (char16_t ch = 0; ch < 0x80; ++ch) {
        EXPECT_EQ(IsPunctuationChar(ch), listed.find(ch) != std::u16string::npos) << int{ch};
    }
}

TEST(CharClasses, UnitsAtTheEdgesOfEachClass) {
    const struct { char16_t ch; bool white, digit, punctuation, control; } cases[] = {
        {u' ', true, false, false, false},   {0x0008, false, false, false, true},
        {0x0009, true, false, false, true},  {0x000D, true, false, false, true},
        {0x000E, false, false, false, true}, {0x007F, false, false, false, true},
        {0x0085, true, false, false, true},  {0x009F, false, false, false, true},
        {0x00A0, true, false, false, false}, {0x200A, true, false, false, false},
        {0x200B, false, false, false, false}, {0x205F, false, false, false, false},
        {0xFEFF, false, false, false, false}, {0x3000, true, false, false, false},
        {u'0', false, true, false, false},   {u'9', false, true, false, false},
        {0x0669, false, true, false, false}, {0x066A, false, false, true, false},
        {0x2071, false, true, false, false}, {0x2075, false, true, false, false},
        {0x00B2, false, false, false, false}, {0x0BE7, false, false, false, false},
        {0x1369, false, false, false, false}, {0xFF19, false, true, false, false},
        {0x0CE6, false, true, false, false}, {0x0CEF, false, true, false, false},
        {0x00AD, false, false, true, false}, {0x00B7, false, false, true, false},
        {0x2044, false, false, false, false}, {0x2045, false, false, true, false},
        {0xFE53, false, false, false, false}, {0xFF65, false, false, true, false},
        {0xFF66, false, false, false, false}, {0x3030, false, false, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << "U+" << int{c.ch});
        EXPECT_EQ(IsWhiteChar(c.ch), c.white);
        EXPECT_EQ(IsDecimalDigitChar(c.ch), c.digit);
        EXPECT_EQ(IsPunctuationChar(c.ch), c.punctuation);
        EXPECT_EQ(IsControlChar(c.ch), c.control);
    }
    EXPECT_TRUE(IsAsciiChar(0x7F));
    EXPECT_FALSE(IsAsciiChar(0x80));
}

TEST(FindSpecialChar, FindsTheFirstUnitOfEachKind) {
    const struct {
        int kind;
        std::u16string text;
        int start, position, selLength;
    } cases[] = {
        {kNonAscii, u"abc\u00E9", 1, 4, 1},
        {kNonAscii, u"abc", 1, 0, 1},
        {kNonAlphabetic, u"ab 1", 1, 4, 1},
        {kNonAlphabetic, u"ab cd", 1, 0, 1},
        {kNonAlphabetic, u"\u03B1\u05D0\u00B5!", 1, 4, 1},
        {kNonNumeric, u"12 3x", 1, 5, 1},
        {kNonNumeric, u"\u2075\u00B2", 1, 2, 1},
        {kNonAlphanumeric, u"a1 b_", 1, 5, 1},
        {kPunctuation, u"a$b,c", 1, 4, 1},
        {kPunctuation, u"a,b,c", 3, 4, 1},
        {kWhite, u"a\r\nb", 1, 2, 0},
        {kWhite, u"a\r\nb", 3, 0, 0},  // the LF of a CR LF is skipped
        {kWhite, u"a b", 1, 2, 1},
        {kWhite, u"\na", 1, 1, 0},
        {kWhite, u"a\rb", 1, 2, 0},
        {kWhite, u"a\nb", 1, 2, 0},
        {kWhite, u"a\r\n ", 3, 4, 0},  // the skipped LF leaves the caret mode on
        {kWhite, u"a\r\n\r\n", 3, 4, 0},
        {kWhite, u"a\u3000", 1, 2, 1},
        {kWhite, u"a\t", 2, 2, 1},
        {kNonAscii, u"\u00E9", 0, 0, 1},
        {kWhite, u"a ", 3, 0, 1},
        {kWhite, u"", 1, 0, 1},
        {7, u"abc", 0, 0, 1},  // an out-of-range start wins over a wrong kind
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "kind " << c.kind << ", start " << c.start);
        int selLength = -1;
        EXPECT_EQ(FindSpecialChar(c.kind, c.text, c.start, selLength), c.position);
        EXPECT_EQ(selLength, c.selLength);
    }
}

TEST(FindSpecialChar, WrongKindFailsTheCheckOfItsLine) {
    const struct { int kind; const char* message; } cases[] = {
        {0, "Assertion failure (units\\functions, line 97)"},
        {-1, "Assertion failure (units\\functions, line 97)"},
        {7, "Assertion failure (units\\functions, line 98)"},
    };
    for (const auto& c : cases) {
        int selLength = 0;
        try {
            FindSpecialChar(c.kind, u"a b", 1, selLength);
            ADD_FAILURE() << "kind " << c.kind << " did not fail";
        } catch (const EAssertionFailed& e) {
            EXPECT_STREQ(e.what(), c.message);
            EXPECT_EQ(e.Message(), FromUtf8(c.message));
        }
    }
}

}  // namespace
}  // namespace palimp
