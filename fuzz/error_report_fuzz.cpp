// Fuzzes the error report: every escaped value decodes back to its trimmed text with each blank
// run made one blank and holds none of the query's reserved characters; the composed and sent
// query keeps its keys in order whatever the failure says; the request URL is plain ASCII that
// carries exactly the query's bytes.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/error_report.h"
#include "core/text_codec.h"
#include "core/wide_string.h"

#include "fuzz_check.h"

namespace {

using palimp::EncodeReportValue;

bool IsQueryBlank(char16_t ch) { return ch == u'\t' || ch == u'\n' || ch == u'\r' || ch == u' '; }

int HexValue(char32_t ch) {
    if (ch >= u'0' && ch <= u'9') return ch - u'0';
    if (ch >= u'A' && ch <= u'F') return ch - u'A' + 10;
    if (ch >= u'a' && ch <= u'f') return ch - u'a' + 10;
    return -1;
}

// Every %XX made the unit or byte it stands for; anything else stays.
template <typename Char>
std::basic_string<Char> Unescape(std::basic_string_view<Char> text) {
    std::basic_string<Char> out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 &&
            HexValue(text[i + 2]) >= 0) {
            out += static_cast<Char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

// What an escaped value must decode to: the trimmed text with each blank run one ' '.
std::u16string Expected(std::u16string_view text) {
    std::u16string out;
    bool afterBlank = false;
    for (char16_t ch : palimp::TrimWide(text)) {
        if (!IsQueryBlank(ch)) out += ch;
        else if (!afterBlank) out += u' ';
        afterBlank = IsQueryBlank(ch);
    }
    return out;
}

void CheckEscaped(std::u16string_view text, std::u16string_view escaped) {
    FUZZ_CHECK(escaped.find_first_of(u"\t\n\r #&+;=") == std::u16string_view::npos);
    for (std::size_t p = escaped.find(u'%'); p != std::u16string_view::npos;
         p = escaped.find(u'%', p + 1)) {
        const std::u16string_view code = escaped.substr(p + 1, 2);
        FUZZ_CHECK(code == u"20" || code == u"23" || code == u"25" || code == u"26" || code == u"2B" ||
                   code == u"3b" || code == u"3D");
    }
    FUZZ_CHECK(escaped.find(u"%20%20") == std::u16string_view::npos);
    FUZZ_CHECK(Unescape(escaped) == Expected(text));
}

std::uint32_t Word32(const std::uint8_t* bytes) {
    return bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

// The versions go into the query unescaped: the characters that would end a key are left out.
std::u16string WithoutKeyEnders(std::u16string_view text) {
    std::u16string out;
    for (char16_t ch : text)
        if (std::u16string_view(u"&%#").find(ch) == std::u16string_view::npos) out += ch;
    return out;
}

std::vector<std::u16string_view> Split(std::u16string_view text, char16_t at) {
    std::vector<std::u16string_view> parts;
    for (std::size_t from = 0;;) {
        const std::size_t p = text.find(at, from);
        parts.push_back(text.substr(from, p == std::u16string_view::npos ? p : p - from));
        if (p == std::u16string_view::npos) return parts;
        from = p + 1;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 9) return 0;
    const bool hasCode = data[0] & 1;
    const bool throughCodePage = data[0] & 2;
    const std::uint32_t code = Word32(data + 1);
    const std::uint32_t address = Word32(data + 5);
    std::u16string units;
    for (std::size_t i = 9; i + 1 < size; i += 2)
        units += static_cast<char16_t>(data[i] | data[i + 1] << 8);

    // Fields separated by U+FFFF: class name, message, version, Windows version, e-mail, note.
    auto fields = Split(units, u'\uFFFF');
    fields.resize(6);
    for (std::u16string_view field : fields) CheckEscaped(field, EncodeReportValue(field));

    const palimp::Windows1252 codePage;
    const palimp::FailureFacts failure{std::u16string(fields[0]), std::u16string(fields[1]),
                                       hasCode ? std::optional<std::uint32_t>(code) : std::nullopt,
                                       address};
    palimp::TLocalInfo info;
    info.ProgramSize = static_cast<std::int32_t>(code & 0x7FFFFFFF);
    info.ProgramVersion = WithoutKeyEnders(fields[2]);
    info.WindowsVersion = WithoutKeyEnders(fields[3]);

    const palimp::ErrorReport report = throughCodePage
        ? palimp::ComposeReport(failure, info, codePage)
        : palimp::ComposeReport(failure, info);
    const std::u16string sent = throughCodePage
        ? palimp::SendQuery(report.query, fields[4], fields[5], codePage)
        : palimp::SendQuery(report.query, fields[4], fields[5]);
    auto plain = [&](std::u16string_view text) {
        bool lossless = true;
        if (!throughCodePage) return std::u16string(text);
        return codePage.ToUtf16(codePage.FromUtf16(text, lossless));
    };
    FUZZ_CHECK(sent.compare(0, report.query.size(), report.query) == 0);
    FUZZ_CHECK(report.query.find(u' ') == std::u16string::npos);

    // Keys in order, each value what its fact says.
    const auto pairs = Split(sent, u'&');
    const std::vector<std::u16string_view> keys = hasCode
        ? std::vector<std::u16string_view>{u"p", u"v", u"s", u"n", u"m", u"c", u"a", u"o", u"e", u"d"}
        : std::vector<std::u16string_view>{u"p", u"v", u"s", u"n", u"m", u"a", u"o", u"e", u"d"};
    FUZZ_CHECK(pairs.size() == keys.size());
    for (std::size_t i = 0; i < keys.size(); ++i) {
        FUZZ_CHECK(pairs[i].substr(0, keys[i].size() + 1) == std::u16string(keys[i]) + u"=");
    }
    auto value = [&](std::size_t i) { return pairs[i].substr(keys[i].size() + 1); };
    const std::size_t m = 4, a = hasCode ? 6 : 5;
    FUZZ_CHECK(value(0) == u"Palimp");
    FUZZ_CHECK(value(1) == palimp::ReplaceAllText(u" ", u"%20", plain(info.ProgramVersion)));
    CheckEscaped(plain(palimp::TrimWide(fields[0])), value(3));
    CheckEscaped(plain(palimp::TrimWide(palimp::CutAssertionPath(fields[0], fields[1]))), value(m));
    if (hasCode) FUZZ_CHECK(value(5) == palimp::HexDigits8(code));
    FUZZ_CHECK(value(a) == palimp::HexDigits8(address));
    FUZZ_CHECK(value(a + 1) == palimp::ReplaceAllText(u" ", u"%20", plain(info.WindowsVersion)));
    CheckEscaped(plain(palimp::TrimWide(fields[4])), value(a + 2));
    CheckEscaped(plain(palimp::TrimWide(fields[5])), value(a + 3));

    FUZZ_CHECK(report.text.compare(0, 16, u"Program: Palimp ") == 0);
    const std::u16string osLine = u"\r\nOS: " + plain(info.WindowsVersion);
    FUZZ_CHECK(report.text.size() >= osLine.size() &&
               report.text.compare(report.text.size() - osLine.size(), osLine.size(), osLine) == 0);

    // The URL: printable ASCII only, carrying the query's bytes.
    const std::u16string url = palimp::ReportUrl(u"http://127.0.0.1:1", sent, codePage);
    const std::u16string_view head = u"http://127.0.0.1:1/cgi/send_bug.cgi?";
    FUZZ_CHECK(url.compare(0, head.size(), head) == 0);
    std::string ascii;
    for (char16_t ch : url.substr(head.size())) {
        FUZZ_CHECK(ch > 0x20 && ch < 0x7F && ch != u'#' && ch != u'\\');
        ascii += static_cast<char>(ch);
    }
    bool lossless = true;
    const std::string bytes = codePage.FromUtf16(sent, lossless);
    FUZZ_CHECK(Unescape(std::string_view(ascii)) == Unescape(std::string_view(bytes)));
    return 0;
}
