// The failure classes: names the error report sends, the assertion message format, and the
// UTF-8 conversions used for messages.
#include "core/errors.h"

#include <gtest/gtest.h>

namespace palimp {
namespace {

TEST(Errors, AssertionMessageNamesUnitAndLine) {
    try {
        Check(false, unit::kUuFunctions, 405);
        FAIL() << "no exception";
    } catch (const EAssertionFailed& e) {
        EXPECT_EQ(e.Message(), u"Assertion failure (units\\uuFunctions, line 405)");
        EXPECT_STREQ(e.ClassName(), "EAssertionFailed");
        EXPECT_STREQ(e.what(), "Assertion failure (units\\uuFunctions, line 405)");
    }
    EXPECT_NO_THROW(Check(true, unit::kGlowny, 286));
}

TEST(Errors, ClassNamesAreThoseTheReportSends) {
    EXPECT_STREQ(EAbort().ClassName(), "EAbort");
    EXPECT_STREQ(EDivByZero().ClassName(), "EDivByZero");
    EXPECT_EQ(EDivByZero().Message(), u"Division by zero");
    EXPECT_STREQ(EFOpenError(u"Cannot open file x").ClassName(), "EFOpenError");
    EXPECT_STREQ(EFCreateError(u"Cannot create file x").ClassName(), "EFCreateError");
    // Caught through the base class, the most derived name still comes out.
    try {
        throw EDivByZero();
    } catch (const Exception& e) {
        EXPECT_STREQ(e.ClassName(), "EDivByZero");
        EXPECT_FALSE(e.HasErrorCode());
    }
}

TEST(Errors, Utf8ConversionsRoundTripEveryPlane) {
    const std::u16string text = u"a\u00E9\u20AC\U0001F600z";
    EXPECT_EQ(ToUtf8(text), "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80z");
    EXPECT_EQ(FromUtf8(ToUtf8(text)), text);
    // A lone surrogate cannot be written as UTF-8; it becomes U+FFFD instead of bad bytes.
    EXPECT_EQ(ToUtf8(std::u16string(1, char16_t(0xD800))), "\xEF\xBF\xBD");
    // A truncated sequence at the end does not read past the input.
    EXPECT_EQ(FromUtf8("a\xE2\x82"), u"a\uFFFD");
}

}  // namespace
}  // namespace palimp
