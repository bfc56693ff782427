// Composition and escaping of the error report.
#include "core/error_report.h"

#include "core/product.h"
#include "core/wide_string.h"

namespace palimp {

namespace {

constexpr std::u16string_view kLineBreak = u"\r\n";

bool IsQueryBlank(char16_t ch) { return ch == u'\t' || ch == u'\n' || ch == u'\r' || ch == u' '; }

std::u16string Decimal(std::int32_t value) {
    std::u16string out;
    for (char c : std::to_string(value)) out += static_cast<char16_t>(c);
    return out;
}

// How values enter the report: as they are, or through the ANSI code page.
class ReportValues {
public:
    explicit ReportValues(const AnsiCodePage* codePage) : codePage_(codePage) {}

    // value as the report's 8-bit text holds it, read back in UTF-16.
    std::u16string Plain(std::u16string_view value) const {
        if (codePage_ == nullptr) return std::u16string(value);
        bool lossless = true;
        return codePage_->ToUtf16(codePage_->FromUtf16(value, lossless));
    }
    // value escaped for the query. It is trimmed before the conversion, as the text is typed,
    // and escaped after it, as the server will read it.
    std::u16string Escaped(std::u16string_view value) const {
        if (codePage_ == nullptr) return EncodeReportValue(value);
        return EncodeReportValue(Plain(TrimWide(value)));
    }

private:
    const AnsiCodePage* codePage_;
};

ErrorReport Compose(const FailureFacts& failure, const TLocalInfo& info, const ReportValues& values) {
    const std::u16string version = values.Plain(info.ProgramVersion);
    const std::u16string size = Decimal(info.ProgramSize);
    const std::u16string message = CutAssertionPath(failure.className, failure.message);
    const std::u16string windows = values.Plain(info.WindowsVersion);

    ErrorReport report;
    std::u16string& query = report.query;
    std::u16string& text = report.text;
    query.append(u"p=").append(product::kName).append(u"&v=").append(version);
    query.append(u"&s=").append(size);
    text.append(u"Program: ").append(product::kName).append(u" ").append(version);
    text.append(u" (").append(size).append(u" bytes)");

    query.append(u"&n=").append(values.Escaped(failure.className));
    text.append(kLineBreak).append(u"Error name: ").append(values.Plain(failure.className));

    query.append(u"&m=").append(values.Escaped(message));
    text.append(kLineBreak).append(u"Error message: ").append(values.Plain(message));

    if (failure.code) {
        const std::u16string code = HexDigits8(*failure.code);
        query.append(u"&c=").append(code);
        text.append(kLineBreak).append(u"Error Code: ").append(code);
    }
    const std::u16string address = HexDigits8(failure.address);
    query.append(u"&a=").append(address);
    text.append(kLineBreak).append(u"Address: ").append(address);

    query.append(u"&o=").append(windows);
    text.append(kLineBreak).append(u"OS: ").append(windows);

    // The values that are not escaped (the versions) may hold blanks.
    query = ReplaceAllText(u" ", u"%20", query);
    return report;
}

std::u16string Send(std::u16string_view query, std::u16string_view email,
                    std::u16string_view description, const ReportValues& values) {
    std::u16string result(query);
    result.append(u"&e=").append(values.Escaped(email));
    result.append(u"&d=").append(values.Escaped(description));
    return result;
}

// Bytes that may stand in the query of a request line as they are: letters, digits, the
// query's own separators and escapes, and the other characters URLs allow there unescaped.
bool StandsInRequestLine(unsigned char byte) {
    if ((byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') || (byte >= '0' && byte <= '9'))
        return true;
    return std::u16string_view(u"-._~!$&'()*+,;=:@/?%").find(static_cast<char16_t>(byte)) !=
           std::u16string_view::npos;
}

}  // namespace

std::u16string EncodeReportValue(std::u16string_view text) {
    const std::u16string trimmed = TrimWide(text);
    std::u16string result;
    result.reserve(trimmed.size());
    bool afterBlank = false;
    for (char16_t ch : trimmed) {
        const bool blank = IsQueryBlank(ch);
        if (blank) {
            if (!afterBlank) result += u"%20";
        } else {
            switch (ch) {
                case u'#': result += u"%23"; break;
                case u'%': result += u"%25"; break;
                case u'&': result += u"%26"; break;
                case u'+': result += u"%2B"; break;
                case u';': result += u"%3b"; break;
                case u'=': result += u"%3D"; break;
                default: result += ch; break;
            }
        }
        afterBlank = blank;
    }
    return result;
}

std::u16string CutAssertionPath(std::u16string_view className, std::u16string_view message) {
    constexpr std::u16string_view kPrefix = u"Assertion failure (";
    if (className != u"EAssertionFailed" || message.substr(0, kPrefix.size()) != kPrefix)
        return std::u16string(message);
    const std::size_t comma = message.find(u',', kPrefix.size());
    if (comma == std::u16string_view::npos) return std::u16string(message);
    const std::u16string_view path = message.substr(kPrefix.size(), comma - kPrefix.size());
    const std::size_t slash = path.rfind(u'\\');
    if (slash == std::u16string_view::npos) return std::u16string(message);
    std::u16string result(message);
    result.erase(kPrefix.size(), slash + 1);
    return result;
}

ErrorReport ComposeReport(const FailureFacts& failure, const TLocalInfo& info) {
    return Compose(failure, info, ReportValues(nullptr));
}

ErrorReport ComposeReport(const FailureFacts& failure, const TLocalInfo& info,
                          const AnsiCodePage& codePage) {
    return Compose(failure, info, ReportValues(&codePage));
}

std::u16string SendQuery(std::u16string_view query, std::u16string_view email,
                         std::u16string_view description) {
    return Send(query, email, description, ReportValues(nullptr));
}

std::u16string SendQuery(std::u16string_view query, std::u16string_view email,
                         std::u16string_view description, const AnsiCodePage& codePage) {
    return Send(query, email, description, ReportValues(&codePage));
}

std::u16string ReportPreviewText(std::u16string_view reportText, std::u16string_view email,
                                 std::u16string_view note) {
    std::u16string result(reportText);
    result.append(kLineBreak).append(u"Email: ").append(email);
    result.append(kLineBreak).append(u"Note: ").append(note);
    return result;
}

std::u16string ReportUrl(std::u16string_view server, std::u16string_view query,
                         const AnsiCodePage& codePage) {
    static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
    bool lossless = true;
    const std::string bytes = codePage.FromUtf16(query, lossless);
    std::u16string url(server);
    url.append(kReportPath).append(u"?");
    for (char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (StandsInRequestLine(byte)) {
            url += static_cast<char16_t>(byte);
        } else {
            url += u'%';
            url += kDigits[byte >> 4];
            url += kDigits[byte & 0xF];
        }
    }
    return url;
}

std::u16string HexDigits8(std::uint32_t value) {
    static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
    std::u16string out(8, u'0');
    for (int i = 7; i >= 0; --i, value >>= 4) out[static_cast<std::size_t>(i)] = kDigits[value & 0xF];
    return out;
}

}  // namespace palimp
