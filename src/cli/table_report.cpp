// The wording of palimp-replace's reports about its table.
#include "cli/table_report.h"

#include <algorithm>

#include "core/errors.h"
#include "core/pass_rows.h"
#include "core/replacement_table.h"

namespace palimp::cli {

namespace {

// Built by appending: GCC 12 warns wrongly about a literal + std::string (its bug 105329).
std::string Line(int line) {
    std::string text(":");
    text += std::to_string(line);
    return text;
}

// At most this many rows are named in one message.
constexpr std::size_t kNamedRows = 5;

}  // namespace

std::string Quoted(std::u16string_view text) {
    std::string quoted("\"");
    quoted += ToUtf8(text);
    quoted += '"';
    return quoted;
}

TableRead ReadTable(std::string_view bytes, const CodePageInfo& codePage, bool tsv) {
    TableRead read;
    if (codePage.utf8 && DetectTextEncoding(bytes) == TextEncoding::kAnsi && !IsWellFormedUtf8(bytes)) {
        read.refusal = "has no byte order mark and is not UTF-8 (--ansi 1252 reads it as Windows-1252)";
        return read;
    }
    read.table = ReadLinedTable(DecodeTextFile(bytes, *codePage.page), tsv);
    if (tsv || read.table.markerLine > 0) return read;
    read.refusal = "has no \"##\" line, so no line of it is a pair";
    if (!read.table.blankedMarkers.empty()) {
        read.refusal += " (" + LineList(read.table.blankedMarkers) + " would be, without the blanks around \"##\")";
    }
    read.refusal += ". A table file is a line or more about the table, a line \"##\", then one "
                    "line per pair: phrase, TAB, replacement, TAB, options; --tsv reads plain "
                    "TAB-separated lines, every line a pair";
    return read;
}

std::string LineList(std::span<const int> lines) {
    std::vector<std::string> parts;
    for (std::size_t i = 0; i < lines.size();) {
        std::size_t end = i + 1;
        while (end < lines.size() && lines[end] == lines[end - 1] + 1) ++end;
        parts.push_back(std::to_string(lines[i]));
        if (end - i > 2) {
            parts.back() += '-';
            parts.back() += std::to_string(lines[end - 1]);
        } else if (end - i == 2) {
            parts.push_back(std::to_string(lines[i + 1]));
        }
        i = end;
    }
    std::string text = lines.size() == 1 ? "line " : "lines ";
    for (std::size_t p = 0; p < parts.size(); ++p) {
        if (p > 0) text += p + 1 == parts.size() ? " and " : ", ";
        text += parts[p];
    }
    return text;
}

std::string WarningLines(std::string_view name, const LinedTable& table) {
    std::string text;
    for (const TableWarning& w : FindTableWarnings(table)) {
        text += name;
        if (w.line > 0) text += Line(w.line);
        text += ": warning: ";
        switch (w.kind) {
            case TableWarningKind::kUnknownOptionLetters: {
                // Lines ascend with the rows.
                const auto at = std::lower_bound(table.lines.begin(), table.lines.end(), w.line);
                const TableRow& row = table.rows[static_cast<std::size_t>(at - table.lines.begin())];
                std::string letters;
                for (char16_t unit : w.detail) {
                    if (!letters.empty()) letters += ", ";
                    letters += ToUtf8(std::u16string_view(&unit, 1));
                }
                text += "options " + Quoted(row[kOptionsColumn]) + ": " + letters +
                        (w.detail.size() == 1 ? " is no option" : " are no options") +
                        "; only the capitals C (case sensitive), W (whole words), E (extended: "
                        "escapes such as \\t) and X (switched off) count";
                break;
            }
            case TableWarningKind::kBlankedMarker:
                text += w.line < w.otherLine || w.otherLine == 0
                            ? "\"##\" with blanks around it is not the marker line"
                            : "\"##\" with blanks around it is read as a pair";
                break;
            case TableWarningKind::kDuplicatePhrase:
                text += "phrase " + Quoted(w.detail) + " also on line " + std::to_string(w.otherLine);
                break;
            case TableWarningKind::kReplacesByItself:
                text += "replaces " + Quoted(w.detail) + " by itself, which changes nothing";
                break;
            case TableWarningKind::kEmptyPhrase:
                text += "no phrase, so the row never matches";
                break;
            case TableWarningKind::kNoPairs:
                text += "the table holds no pair";
                break;
        }
        text += "\n";
    }
    return text;
}

std::string EscapeWarningLines(std::string_view program, std::string_view name, const LinedTable& table) {
    std::string text;
    for (std::size_t r = 0; r < table.rows.size(); ++r) {
        const std::optional<RowEscapeError> error = FindRowEscapeError(table.rows[r]);
        if (!error) continue;
        text += std::string(program) + ": " + std::string(name) + Line(table.lines[r]) + ": warning: " +
                ToUtf8(RowEscapeErrorText(table.rows[r], *error)) + "; the row is skipped\n";
    }
    return text;
}

std::string NeverWinsText(const LinedTable& table, std::size_t row, const RowReach& reach) {
    const std::u16string& phrase = table.rows[row][kSearchColumn];
    if (phrase.empty()) return "never matches: it has no phrase";
    if (const std::optional<RowEscapeError> error = FindRowEscapeError(table.rows[row])) {
        return "never matches: " + ToUtf8(RowEscapeErrorText(table.rows[row], *error));
    }
    const auto& blockers = reach.blockers;
    if (blockers.size() == 1) {
        const TableRow& other = table.rows[blockers[0]];
        const auto flags = [](const TableRow& r) {
            return std::pair(HasOption(r[kOptionsColumn], kOptionCase), HasOption(r[kOptionsColumn], kOptionWord));
        };
        if (other[kSearchColumn] == phrase && flags(other) == flags(table.rows[row])) {
            return "never wins: same phrase and options as line " + std::to_string(table.lines[blockers[0]]);
        }
    }
    std::vector<int> lines;
    std::string phrases;
    for (std::size_t i = 0; i < blockers.size() && i < kNamedRows; ++i) {
        lines.push_back(table.lines[blockers[i]]);
        if (!phrases.empty()) phrases += ", ";
        phrases += Quoted(table.rows[blockers[i]][kSearchColumn]);
    }
    std::string text = "never wins: " + LineList(lines);
    if (blockers.size() > kNamedRows) text += " and " + std::to_string(blockers.size() - kNamedRows) + " more";
    text += " (" + phrases + ") match" + (blockers.size() == 1 ? "es" : "") + " first wherever " +
            Quoted(phrase) + " does";
    return text;
}

std::string HitLines(const LinedTable& table, std::span<const int> rowHits, std::string_view prefix) {
    std::string text;
    std::vector<int> without;
    for (std::size_t r = 0; r < rowHits.size(); ++r) {
        if (PassRowOf(table.rows[r])[kSearchColumn].empty()) continue;
        if (rowHits[r] == 0) {
            without.push_back(table.lines[r]);
            continue;
        }
        text += std::string(prefix) + "line " + std::to_string(table.lines[r]) + ": " +
                std::to_string(rowHits[r]) + "\n";
    }
    if (!without.empty()) text += std::string(prefix) + "0 hits: " + LineList(without) + "\n";
    return text;
}

}  // namespace palimp::cli
