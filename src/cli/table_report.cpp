// The wording of palimp-replace's reports about its table.
#include "cli/table_report.h"

#include <algorithm>

#include "core/errors.h"
#include "core/pass_rows.h"
#include "core/replacement_table.h"

namespace palimp::cli {

namespace {

// "0xE9 at offset 12, line 3".
std::string ByteAt(unsigned char byte, std::uint64_t offset, std::uint64_t line) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string text = "0x";
    text += kHex[byte >> 4];
    text += kHex[byte & 15];
    return text + " at offset " + std::to_string(offset) + ", line " + std::to_string(line);
}

std::string ByteAt(std::string_view bytes, std::size_t offset) {
    const auto line = std::count(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(offset), '\n') + 1;
    return ByteAt(static_cast<unsigned char>(bytes[offset]), offset, static_cast<std::uint64_t>(line));
}

std::string LooksLikeUtf16(ByteLook::Kind kind) {
    return std::string("has no byte order mark and looks like UTF-16 ") +
           (kind == ByteLook::Kind::kUtf16Le ? "LE" : "BE") + " (NUL bytes in every other place)";
}

std::string BinaryText(const ByteLook& look) {
    return look.firstNul != std::string_view::npos
               ? "is binary, not text: a NUL byte at offset " + std::to_string(look.firstNul)
               : std::string("is binary, not text: it holds control codes that text does not");
}

// Line numbers of one kind, ascending, runs shortened: "4, 6-8 and 10".
std::vector<std::string> Runs(std::span<const int> lines, int base) {
    std::vector<std::string> parts;
    for (std::size_t i = 0; i < lines.size();) {
        std::size_t end = i + 1;
        while (end < lines.size() && lines[end] == lines[end - 1] + 1) ++end;
        parts.push_back(std::to_string(lines[i] - base));
        if (end - i > 2) {
            parts.back() += '-';
            parts.back() += std::to_string(lines[end - 1] - base);
        } else if (end - i == 2) {
            parts.push_back(std::to_string(lines[i + 1] - base));
        }
        i = end;
    }
    return parts;
}

std::string Joined(const std::vector<std::string>& parts) {
    std::string text;
    for (std::size_t p = 0; p < parts.size(); ++p) {
        if (p > 0) text += p + 1 == parts.size() ? " and " : ", ";
        text += parts[p];
    }
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
    if (DetectTextEncoding(bytes) == TextEncoding::kAnsi) {
        const ByteLook look = LookAtBytes(bytes);
        if (look.kind == ByteLook::Kind::kUtf16Le || look.kind == ByteLook::Kind::kUtf16Be) {
            read.refusal = LooksLikeUtf16(look.kind) + "; the editor saves tables with the mark";
            return read;
        }
        if (look.kind == ByteLook::Kind::kBinary) {
            read.refusal = BinaryText(look);
            return read;
        }
        if (codePage.utf8 && !IsWellFormedUtf8(bytes)) {
            Utf8Scanner scanner;
            scanner.Feed(bytes);
            read.refusal = "has no byte order mark and is not UTF-8: byte " +
                           ByteAt(bytes, static_cast<std::size_t>(scanner.BadAt())) +
                           " (--ansi 1252 reads it as Windows-1252)";
            return read;
        }
    }
    const std::u16string text = DecodeTextFile(bytes, *codePage.page);
    read.table = ReadLinedTable(text, tsv);
    if (tsv) {
        if (const int marker = ReadLinedTable(text, false).markerLine; marker > 0) {
            read.refusal = "line " + std::to_string(marker) + " is \"##\", so this is a table file, not "
                           "TAB-separated lines; --tsv would read its description and \"##\" as pairs (leave "
                           "--tsv out)";
        }
        return read;
    }
    if (read.table.markerLine > 0) return read;
    read.refusal = "has no \"##\" line, so no line of it is a pair";
    if (!read.table.blankedMarkers.empty()) {
        read.refusal += " (" + LineList(read.table.blankedMarkers) + " would be, without the blanks around \"##\")";
    }
    read.refusal += ". A table file is a line or more about the table, a line \"##\", then one "
                    "line per pair: phrase, TAB, replacement, TAB, options; --tsv reads plain "
                    "TAB-separated lines, every line a pair";
    return read;
}

std::string AddPairs(std::span<const CommandLinePair> pairs, LinedTable& table) {
    for (std::size_t k = 0; k < pairs.size(); ++k) {
        const CommandLinePair& pair = pairs[k];
        const int line = kFirstPairLine + static_cast<int>(k);
        if (!IsWellFormedUtf8(pair.search) || !IsWellFormedUtf8(pair.replace)) return RowName(line);
        table.rows.push_back({DecodeUtf8(pair.search), DecodeUtf8(pair.replace), DecodeUtf8(pair.options)});
        table.lines.push_back(line);
        table.fields.push_back(3);
    }
    return {};
}

std::string NotUtf8Text(const PassOutcome& outcome) {
    switch (outcome.look.kind) {
        case ByteLook::Kind::kUtf16Le:
        case ByteLook::Kind::kUtf16Be: return LooksLikeUtf16(outcome.look.kind);
        case ByteLook::Kind::kBinary: return BinaryText(outcome.look);
        case ByteLook::Kind::kText: break;
    }
    return "has no byte order mark and is not UTF-8: byte " +
           ByteAt(outcome.badByte, outcome.badByteAt, outcome.badByteLine);
}

std::string NotUtf8Advice(const PassOutcome& outcome) {
    return outcome.look.kind == ByteLook::Kind::kText ? " (--ansi 1252 reads it as Windows-1252)" : "";
}

std::string RowName(int line) {
    if (line >= kFirstPairLine) return "--pair " + std::to_string(line - kFirstPairLine + 1);
    return "line " + std::to_string(line);
}

std::string RowPlace(std::string_view tableName, int line) {
    if (line >= kFirstPairLine) return RowName(line);
    std::string place(tableName);
    place += ':';
    place += std::to_string(line);
    return place;
}

std::string LineList(std::span<const int> lines) {
    const auto pairsAt = std::lower_bound(lines.begin(), lines.end(), kFirstPairLine);
    const std::span<const int> tableLines(lines.begin(), pairsAt), pairs(pairsAt, lines.end());
    std::vector<std::string> parts = Runs(tableLines, 0);
    std::string text = parts.empty() ? "" : (tableLines.size() == 1 ? "line " : "lines ");
    if (!pairs.empty()) {
        std::vector<std::string> pairParts = Runs(pairs, kFirstPairLine - 1);
        pairParts.front().insert(0, pairs.size() == 1 ? "--pair " : "--pairs ");
        if (parts.empty()) return Joined(pairParts);
        parts.push_back(Joined(pairParts));
    }
    return text + Joined(parts);
}

std::string WarningLines(std::string_view name, const LinedTable& table) {
    std::string text;
    for (const TableWarning& w : FindTableWarnings(table)) {
        text += w.line > 0 ? RowPlace(name, w.line) : std::string(name.empty() ? "--pair" : name);
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
                text += "phrase " + Quoted(w.detail) + " also on " + RowName(w.otherLine);
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
            case TableWarningKind::kNoTab:
                text += "the line has no TAB, so its whole text is a phrase replaced by nothing";
                break;
            case TableWarningKind::kExtraFields:
                text += "the line has " + std::to_string(w.count) + " fields; " +
                        (w.count == 4 ? std::string("the 4th is ignored")
                                      : "fields 4 to " + std::to_string(w.count) + " are ignored");
                break;
            case TableWarningKind::kNulEndsTable:
                text += "a NUL character (U+0000) ends the table here; the rest of the file is ignored";
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
        text += std::string(program) + ": " + RowPlace(name, table.lines[r]) + ": warning: " +
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
            return "never wins: same phrase and options as " + RowName(table.lines[blockers[0]]);
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
        text += std::string(prefix) + RowName(table.lines[r]) + ": " + std::to_string(rowHits[r]) + "\n";
    }
    if (!without.empty()) text += std::string(prefix) + "0 hits: " + LineList(without) + "\n";
    return text;
}

}  // namespace palimp::cli
