// The error report of an uncaught failure: the query sent to the maker's report server in one
// GET request, and the readable text the user can preview. Composed here from the facts of the
// failure and the system facts; the dialog only shows, extends and sends them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/local_info.h"
#include "core/text_codec.h"

namespace palimp {

// The report script on the report server (product::kReportServer).
inline constexpr std::u16string_view kReportPath = u"/cgi/send_bug.cgi";

// A value escaped for the report query. The text is trimmed (TrimWide), each run of tab, LF, CR
// and space becomes one "%20", and # % & + ; = become %23 %25 %26 %2B %3b %3D. Every other unit,
// control characters inside the text and non-ASCII characters included, stays as it is; the
// escapes are never escaped again.
// Use: EncodeReportValue(u" a = b & c\r\n") == u"a%20%3D%20b%20%26%20c"
std::u16string EncodeReportValue(std::u16string_view text);

// The message of a failed assertion without the folder of its source path: for the class
// "EAssertionFailed" and a message beginning "Assertion failure (", everything from there through
// the last '\' before the first ',' is dropped, so "Assertion failure (C:\work\units\table, line
// 12)" gives "Assertion failure (table, line 12)". Any other message comes back unchanged.
std::u16string CutAssertionPath(std::u16string_view className, std::u16string_view message);

// What the report says of the failure.
struct FailureFacts {
    std::u16string className;           // "EAssertionFailed", "EAccessViolation"
    std::u16string message;
    std::optional<std::uint32_t> code;  // key c and the "Error Code: " line, when present
    std::uint32_t address = 0;          // the code address where the failure was raised
};

// The two texts of the dialog: query is what follows "?" in the report URL, text is the
// human-readable report (lines separated by CR LF, none after the last).
struct ErrorReport {
    std::u16string query;
    std::u16string text;
};

// The report of one failure: the query "p=Palimp&v=...&s=...&n=...&m=...[&c=...]&a=...&o=..."
// with every " " made "%20", and the text of the lines Program, Error name, Error message,
// [Error Code,] Address and OS. The class name and the message are escaped in the query only;
// the message of a failed assertion loses the folder of its source path in both.
// Use: ComposeReport({u"EDivByZero", u"Division by zero", {}, 0x00401A2B}, LocalInfo)
ErrorReport ComposeReport(const FailureFacts& failure, const TLocalInfo& info);

// The same report as the dialog holds it: both texts are 8-bit texts in codePage, and this gives
// them as they read back in UTF-16 (what the preview shows, what ReportUrl sends). Every value is
// converted by codePage before it is escaped, so that a character which the code page writes as
// one the query reserves (U+FF06 becomes "&", U+3000 becomes " " in Windows-1252) is escaped
// like that one instead of breaking the query. For values that the code page holds as they are,
// this equals ComposeReport without a code page.
ErrorReport ComposeReport(const FailureFacts& failure, const TLocalInfo& info,
                          const AnsiCodePage& codePage);

// The query once the user sends: query + "&e=" + the escaped e-mail + "&d=" + the escaped
// description. With codePage, the two values are converted before they are escaped, as above.
std::u16string SendQuery(std::u16string_view query, std::u16string_view email,
                         std::u16string_view description);
std::u16string SendQuery(std::u16string_view query, std::u16string_view email,
                         std::u16string_view description, const AnsiCodePage& codePage);

// What the preview shows: the report text, then "Email: " and "Note: " lines with the fields as
// typed (neither trimmed nor escaped).
std::u16string ReportPreviewText(std::u16string_view reportText, std::u16string_view email,
                                 std::u16string_view note);

// The URL of the report request: server (scheme, host and port, no trailing '/'), kReportPath,
// "?" and the query as its bytes in codePage. Bytes that cannot stand in a request line as they
// are (controls, blanks, '#', '\', non-ASCII bytes, ...) are written as %XX, so the server
// decodes exactly the query's 8-bit text; the query's own escapes and separators stay as they
// are. The result is ASCII only.
// Use: ReportUrl(product::kReportServer, SendQuery(report.query, email, note, cp), cp)
std::u16string ReportUrl(std::u16string_view server, std::u16string_view query,
                         const AnsiCodePage& codePage);

// value as 8 upper-case hexadecimal digits: "C0000005".
std::u16string HexDigits8(std::uint32_t value);

}  // namespace palimp
