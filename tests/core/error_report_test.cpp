// The error report: escaping of values, the assertion path cut, the composed query and text, the
// Send extension, the preview, the request URL, and the ANSI code page's part in all of them.
#include "core/error_report.h"

#include <map>

#include <gtest/gtest.h>

#include "core/errors.h"
#include "core/product.h"

namespace palimp {
namespace {

TEST(EncodeReportValue, EscapesReservedCharactersAndBlankRuns) {
    const struct { std::u16string text, expected; } cases[] = {
        {u"a = b & c", u"a%20%3D%20b%20%26%20c"},
        // The run of line breaks and the blank after it give one "%20".
        {u"50% + 1;\r\n\r\n #2", u"50%25%20%2B%201%3b%20%232"},
        {u" \t\r\n50% + 1;\r\n\r\n #2\r\n ", u"50%25%20%2B%201%3b%20%232"},
        {u"  user@example.com\r\n", u"user@example.com"},
        {u"a\vb", u"a\vb"},       // a vertical tab inside is sent as it is...
        {u"\va b\v", u"a%20b"},   // ...and trimmed at either end
        {u"a\x01" u"b\x7F" u"c", u"a\x01" u"b\x7F" u"c"},
        {u"%25", u"%2525"},       // never decoded, never escaped twice
        {u"a\t \n\rb c", u"a%20b%20c"},
        {u"a\u00A0b\u3000c\u2028d", u"a\u00A0b\u3000c\u2028d"},  // only the four blanks
        {u"Z\u00FCrich \u20AC 5 \U0001F600", u"Z\u00FCrich%20\u20AC%205%20\U0001F600"},
        {u"?/:@!$'()*,", u"?/:@!$'()*,"},
        {u"", u""},
        {u" \r\n\t\v\u3000", u""},
    };
    for (const auto& c : cases) EXPECT_EQ(EncodeReportValue(c.text), c.expected) << ToUtf8(c.text);
}

TEST(CutAssertionPath, DropsTheFolderOfAFailedAssertionOnly) {
    const std::u16string kAssertion = u"EAssertionFailed";
    const struct { std::u16string className, message, expected; } cases[] = {
        {kAssertion, u"Assertion failure (C:\\work\\units\\table, line 12)",
         u"Assertion failure (table, line 12)"},
        {kAssertion, u"Assertion failure (units\\uuFunctions, line 405)",
         u"Assertion failure (uuFunctions, line 405)"},
        {u"Exception", u"Assertion failure (C:\\work\\units\\table, line 12)",
         u"Assertion failure (C:\\work\\units\\table, line 12)"},
        {u"eassertionfailed", u"Assertion failure (a\\b, line 1)", u"Assertion failure (a\\b, line 1)"},
        {kAssertion, u"assertion failure (a\\b, line 1)", u"assertion failure (a\\b, line 1)"},
        {kAssertion, u" Assertion failure (a\\b, line 1)", u" Assertion failure (a\\b, line 1)"},
        // No comma after the prefix, or no backslash before it: nothing to cut.
        {kAssertion, u"Assertion failure (C:\\work\\table line 12)",
         u"Assertion failure (C:\\work\\table line 12)"},
        {kAssertion, u"Assertion failure (table, line 12\\)", u"Assertion failure (table, line 12\\)"},
        {kAssertion, u"Assertion failure (", u"Assertion failure ("},
        {kAssertion, u"Assertion failure", u"Assertion failure"},
        // Only the first comma counts, and the cut may leave nothing of the name.
        {kAssertion, u"Assertion failure (a\\b,c\\d, line 1)", u"Assertion failure (b,c\\d, line 1)"},
        {kAssertion, u"Assertion failure (\\, line 1)", u"Assertion failure (, line 1)"},
        {kAssertion, u"Assertion failure (C:\\w\\\u00E9t\u00E9, line 3)",
         u"Assertion failure (\u00E9t\u00E9, line 3)"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CutAssertionPath(c.className, c.message), c.expected) << ToUtf8(c.message);
}

TLocalInfo Machine(std::u16string version = u"1.2.0.5", std::u16string windows = u"Windows 5.1.2600",
                   int32_t size = 1234567) {
    TLocalInfo info;
    info.ProgramSize = size;
    info.ProgramFolder = u"C:\\Tools\\";
    info.DocumentsFolder = u"\\";
    info.WindowsVersion = std::move(windows);
    info.ProgramVersion = std::move(version);
    return info;
}

TEST(ComposeReport, GivesTheQueryAndTheTextOfAFailure) {
    const struct {
        const char* name;
        FailureFacts failure;
        TLocalInfo info;
        std::u16string query, text;
    } cases[] = {
        {"own failure without a code",
         {u"EDivByZero", u"Division by zero", {}, 0x00401A2B}, Machine(),
         u"p=Palimp&v=1.2.0.5&s=1234567&n=EDivByZero&m=Division%20by%20zero&a=00401A2B"
         u"&o=Windows%205.1.2600",
         u"Program: Palimp 1.2.0.5 (1234567 bytes)\r\nError name: EDivByZero\r\n"
         u"Error message: Division by zero\r\nAddress: 00401A2B\r\nOS: Windows 5.1.2600"},
        {"processor fault with its code",
         {u"EAccessViolation", u"Access violation at address 0040100A. Write of address 00000000",
          0xC0000005u, 0x0040100A}, Machine(),
         u"p=Palimp&v=1.2.0.5&s=1234567&n=EAccessViolation&m=Access%20violation%20at%20address%20"
         u"0040100A.%20Write%20of%20address%2000000000&c=C0000005&a=0040100A&o=Windows%205.1.2600",
         u"Program: Palimp 1.2.0.5 (1234567 bytes)\r\nError name: EAccessViolation\r\n"
         u"Error message: Access violation at address 0040100A. Write of address 00000000\r\n"
         u"Error Code: C0000005\r\nAddress: 0040100A\r\nOS: Windows 5.1.2600"},
        {"a code of zero is still a code",
         {u"E", u"m", 0u, 0xFFFFFFFFu}, Machine(),
         u"p=Palimp&v=1.2.0.5&s=1234567&n=E&m=m&c=00000000&a=FFFFFFFF&o=Windows%205.1.2600",
         u"Program: Palimp 1.2.0.5 (1234567 bytes)\r\nError name: E\r\nError message: m\r\n"
         u"Error Code: 00000000\r\nAddress: FFFFFFFF\r\nOS: Windows 5.1.2600"},
        {"failed assertion: the path is cut in both",
         {u"EAssertionFailed", u"Assertion failure (C:\\work\\units\\table, line 12)", {}, 0x10}, Machine(),
         u"p=Palimp&v=1.2.0.5&s=1234567&n=EAssertionFailed&m=Assertion%20failure%20(table,%20line"
         u"%2012)&a=00000010&o=Windows%205.1.2600",
         u"Program: Palimp 1.2.0.5 (1234567 bytes)\r\nError name: EAssertionFailed\r\n"
         u"Error message: Assertion failure (table, line 12)\r\nAddress: 00000010\r\nOS: Windows 5.1.2600"},
        {"escaped in the query, as it is in the text",
         {u" E&x ", u"  50% + 1;\r\n\r\n #2 ", {}, 0}, Machine(),
         u"p=Palimp&v=1.2.0.5&s=1234567&n=E%26x&m=50%25%20%2B%201%3b%20%232&a=00000000"
         u"&o=Windows%205.1.2600",
         u"Program: Palimp 1.2.0.5 (1234567 bytes)\r\nError name:  E&x \r\n"
         u"Error message:   50% + 1;\r\n\r\n #2 \r\nAddress: 00000000\r\nOS: Windows 5.1.2600"},
        {"unknown version and size; blanks of the versions become %20",
         {u"E", u"", {}, 0}, Machine(u"", u"Windows 4.10.0", 0),
         u"p=Palimp&v=&s=0&n=E&m=&a=00000000&o=Windows%204.10.0",
         u"Program: Palimp  (0 bytes)\r\nError name: E\r\nError message: \r\nAddress: 00000000\r\n"
         u"OS: Windows 4.10.0"},
        {"a version with blanks",
         {u"E", u"m", {}, 0}, Machine(u"1.2 beta 3", u"Windows  10.0.19045", 2147483647),
         u"p=Palimp&v=1.2%20beta%203&s=2147483647&n=E&m=m&a=00000000&o=Windows%20%2010.0.19045",
         u"Program: Palimp 1.2 beta 3 (2147483647 bytes)\r\nError name: E\r\nError message: m\r\n"
         u"Address: 00000000\r\nOS: Windows  10.0.19045"},
    };
    for (const auto& c : cases) {
        const ErrorReport report = ComposeReport(c.failure, c.info);
        EXPECT_EQ(report.query, c.query) << c.name;
        EXPECT_EQ(report.text, c.text) << c.name;
    }
}

TEST(SendQuery, AppendsTheEscapedEmailAndDescription) {
    const struct { std::u16string email, description, expected; } cases[] = {
        {u"", u"", u"Q&e=&d="},
        {u"  me@example.com \r\n", u"a = b & c", u"Q&e=me@example.com&d=a%20%3D%20b%20%26%20c"},
        {u"x", u"50% + 1;\r\n\r\n #2", u"Q&e=x&d=50%25%20%2B%201%3b%20%232"},
        {u"\r\n", u"\vline one\r\nline\vtwo\v", u"Q&e=&d=line%20one%20line\vtwo"},
    };
    for (const auto& c : cases) EXPECT_EQ(SendQuery(u"Q", c.email, c.description), c.expected);
}

TEST(ReportPreviewText, ShowsTheFieldsAsTyped) {
    EXPECT_EQ(ReportPreviewText(u"Program: Palimp\r\nOS: Windows 5.1.2600", u" me@x ", u"a & b\r\n"),
              u"Program: Palimp\r\nOS: Windows 5.1.2600\r\nEmail:  me@x \r\nNote: a & b\r\n");
    EXPECT_EQ(ReportPreviewText(u"T", u"", u""), u"T\r\nEmail: \r\nNote: ");
}

// Windows-1252 with a few of the system's best-fit substitutions, as WideCharToMultiByte makes
// them: fullwidth forms become their ASCII counterparts, wide spaces a blank, U+0100 an 'A'.
class BestFit1252 final : public AnsiCodePage {
public:
    std::u16string ToUtf16(std::string_view bytes) const override { return plain_.ToUtf16(bytes); }
    std::string FromUtf16(std::u16string_view text, bool& lossless) const override {
        static const std::map<char16_t, char> kBestFit = {
            {u'\uFF06', '&'}, {u'\uFF03', '#'}, {u'\uFF05', '%'}, {u'\uFF1D', '='},
            {u'\u3000', ' '}, {u'\u2003', ' '}, {u'\u0100', 'A'}};
        std::string out;
        lossless = true;
        for (char16_t ch : text) {
            const auto fit = kBestFit.find(ch);
            bool one = true;
            if (fit != kBestFit.end()) {
                out += fit->second;
                lossless = false;
            } else {
                out += plain_.FromUtf16(std::u16string(1, ch), one);
                lossless = lossless && one;
            }
        }
        return out;
    }

private:
    Windows1252 plain_;
};

TEST(ComposeReport, ThroughTheCodePageValuesAreEscapedAsTheServerReadsThem) {
    const BestFit1252 codePage;
    const FailureFacts failure{u"E\uFF06x", u"a\uFF03b \u0100 \u4E2D\u3000\u3000c\uFF05", 0xC0000094u,
                               0x401000};
    const ErrorReport report =
        ComposeReport(failure, Machine(u"1.2\u30000.5", u"Windows 5.1.2600"), codePage);
    EXPECT_EQ(report.query,
              u"p=Palimp&v=1.2%200.5&s=1234567&n=E%26x&m=a%23b%20A%20?%20c%25&c=C0000094&a=00401000"
              u"&o=Windows%205.1.2600");
    EXPECT_EQ(report.text,
              u"Program: Palimp 1.2 0.5 (1234567 bytes)\r\nError name: E&x\r\n"
              u"Error message: a#b A ?  c%\r\nError Code: C0000094\r\nAddress: 00401000\r\n"
              u"OS: Windows 5.1.2600");
    // Without the code page nothing is converted, and those characters pass unescaped.
    EXPECT_EQ(ComposeReport(failure, Machine()).query,
              u"p=Palimp&v=1.2.0.5&s=1234567&n=E\uFF06x&m=a\uFF03b%20\u0100%20\u4E2D\u3000\u3000c\uFF05"
              u"&c=C0000094&a=00401000&o=Windows%205.1.2600");

    // Characters the code page holds give the same report either way.
    const FailureFacts plain{u"EFOpenError", u"Cannot open file C:\\Caf\u00E9\\a & b.palimp", {}, 0x1234};
    const ErrorReport converted = ComposeReport(plain, Machine(), codePage);
    const ErrorReport direct = ComposeReport(plain, Machine());
    EXPECT_EQ(converted.query, direct.query);
    EXPECT_EQ(converted.text, direct.text);
}

TEST(SendQuery, ThroughTheCodePageWideBlanksAndFullwidthSignsAreEscaped) {
    const BestFit1252 codePage;
    EXPECT_EQ(SendQuery(u"Q", u"\u3000me\uFF1Dyou@x\u3000", u"a\u2003\u2003b\uFF06e=c", codePage),
              u"Q&e=me%3Dyou@x&d=a%20b%26e%3Dc");
    EXPECT_EQ(SendQuery(u"Q", u" me@x ", u"50% + 1;\r\n\r\n #2", codePage),
              SendQuery(u"Q", u" me@x ", u"50% + 1;\r\n\r\n #2"));
}

TEST(ReportUrl, SendsTheQueryBytesSafelyInTheRequestLine) {
    const Windows1252 codePage;
    const std::u16string url = u"http://127.0.0.1:8080/cgi/send_bug.cgi?";
    const struct { std::u16string query, expected; } cases[] = {
        {u"p=Palimp&v=1.2.0.5&m=a%20%3D%20b%3b&e=me@x.org&d=(1,2)*!$'~_-./:?",
         url + u"p=Palimp&v=1.2.0.5&m=a%20%3D%20b%3b&e=me@x.org&d=(1,2)*!$'~_-./:?"},
        // Non-ASCII characters as their bytes in the code page; controls and the characters a
        // request line cannot carry as they are escaped the same way.
        {u"m=Caf\u00E9\u20AC\u4E2D", url + u"m=Caf%E9%80?"},
        {u"m=C:\\units\\table\v\x01\x7F", url + u"m=C:%5Cunits%5Ctable%0B%01%7F"},
        {u"m=\"<x>\" [y] {z} |^` #", url + u"m=%22%3Cx%3E%22%20%5By%5D%20%7Bz%7D%20%7C%5E%60%20%23"},
        {u"", url},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ReportUrl(u"http://127.0.0.1:8080", c.query, codePage), c.expected) << ToUtf8(c.query);
}

TEST(ReportUrl, TheReportServerIsTheMakersHostOverHttps) {
    EXPECT_EQ(ReportUrl(product::kReportServer, u"p=Palimp", Windows1252()),
              u"https://palimp.example.org/cgi/send_bug.cgi?p=Palimp");
}

}  // namespace
}  // namespace palimp
