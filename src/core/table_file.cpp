// Reading and writing the table file and the clipboard's TAB-separated table text.
#include "core/table_file.h"

#include <utility>

#include "core/wide_string.h"

namespace palimp {

namespace {

constexpr char16_t kTab = u'\t';
constexpr char16_t kCr = 0x000D;
constexpr char16_t kLf = 0x000A;
constexpr char16_t kLineSeparator = 0x2028;
constexpr std::u16string_view kCrLf = u"\r\n";
constexpr std::u16string_view kMarker = u"##";

bool IsLineEnd(char16_t ch) { return ch == kCr || ch == kLf || ch == kLineSeparator; }

void AppendPairLine(std::u16string& out, const TableRow& row) {
    out.append(row[0]).append(1, kTab).append(row[1]).append(1, kTab).append(row[2]);
    out.append(kCrLf);
}

size_t PairLinesLength(std::span<const TableRow> rows) {
    size_t length = 0;
    for (const TableRow& row : rows) length += row[0].size() + row[1].size() + row[2].size() + 4;
    return length;
}

}  // namespace

std::vector<std::u16string> SplitLines(std::u16string_view text) {
    const size_t nul = text.find(u'\0');
    if (nul != std::u16string_view::npos) text = text.substr(0, nul);
    std::vector<std::u16string> lines;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = pos;
        while (end < text.size() && !IsLineEnd(text[end])) ++end;
        lines.emplace_back(text.substr(pos, end - pos));
        // One break is at most one CR, one LF and one U+2028, in that order.
        pos = end;
        if (pos < text.size() && text[pos] == kCr) ++pos;
        if (pos < text.size() && text[pos] == kLf) ++pos;
        if (pos < text.size() && text[pos] == kLineSeparator) ++pos;
    }
    return lines;
}

TableRow ParsePairLine(std::u16string_view line) {
    return {GetField(0, line, kTab, false), GetField(1, line, kTab, false),
            GetField(2, line, kTab, false)};
}

std::vector<TableRow> ParsePairLines(std::span<const std::u16string> lines) {
    std::vector<TableRow> rows;
    rows.reserve(lines.size());
    for (const std::u16string& line : lines) rows.push_back(ParsePairLine(line));
    return rows;
}

TableFileContent ReadTableFile(std::string_view bytes, const AnsiCodePage& codePage) {
    const std::vector<std::u16string> lines = SplitLines(DecodeTextFile(bytes, codePage));
    TableFileContent content;
    size_t i = 0;
    for (; i < lines.size() && lines[i] != kMarker; ++i) {
        if (i > 0) content.preamble.append(kCrLf);
        content.preamble.append(lines[i]);
    }
    if (i < lines.size()) ++i;  // the marker itself
    content.rows = ParsePairLines(std::span(lines).subspan(i));
    // A file without pair lines still gives a valid table: one empty row.
    if (content.rows.empty()) content.rows.emplace_back();
    return content;
}

TableFileContent ReadTableFile(std::string_view bytes) {
    return ReadTableFile(bytes, DefaultAnsiCodePage());
}

std::string WriteTableFile(const TableFileContent& content) {
    std::u16string text;
    text.reserve(content.preamble.size() + 6 + PairLinesLength(content.rows));
    text.append(content.preamble).append(kCrLf);
    text.append(kMarker).append(kCrLf);
    for (const TableRow& row : content.rows) AppendPairLine(text, row);
    return EncodeUtf16LeFile(text);
}

std::u16string CopyAllText(std::span<const TableRow> rows) {
    std::u16string text;
    text.reserve(PairLinesLength(rows));
    for (const TableRow& row : rows) AppendPairLine(text, row);
    return text;
}

std::vector<TableRow> ParsePastedTable(std::u16string_view text) {
    return ParsePairLines(SplitLines(text));
}

bool PasteAllText(ReplacementTable& table, std::u16string_view text) {
    std::vector<TableRow> rows = ParsePastedTable(text);
    if (rows.empty()) return false;
    table.SetItems(std::move(rows));
    return true;
}

TableFileContent TableContentOf(const ReplacementTable& table) {
    const auto items = table.Items();
    return {table.Preamble(), std::vector<TableRow>(items.begin(), items.end())};
}

void LoadTableContent(ReplacementTable& table, TableFileContent content) {
    table.SetPreamble(std::move(content.preamble));
    table.SetItems(std::move(content.rows));
}

}  // namespace palimp
