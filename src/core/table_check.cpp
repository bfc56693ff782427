// Table checks. Which rows never win is decided from the match rule itself:
//
// Row r (phrase P of length L) wins at a position when it matches there and no earlier row
// does. Only what MatchAt looks at matters: the units of the match, whether the unit before it
// is a word unit, and the units after it. The text after P can be its end, which no longer
// phrase fits into and which counts as a non-word unit. The unit before can be a word unit
// that begins no phrase (the pass copies it and goes on), or the start of the text. So:
//   - without W on r, a word unit goes before the match, and no row with W can match there;
//   - with W on r, nothing goes before and nothing after the match.
// What is left to choose is the spelling of P's units: P itself for a case-sensitive r, any
// unit of the same folded value otherwise. An earlier row q can only match first when its
// folded phrase begins P's folded phrase (it is a prefix along the folded trie below). A
// case-insensitive q without W then always matches first. The others need a closer look: a
// case-sensitive q matches only one spelling of its prefix, and a q with W needs the unit
// after its phrase (inside P, or the end) not to be a word unit. A search over the spellings
// that case-sensitive rows name, one position at a time, settles it; spellings that no such
// row names are all alike and are followed once.
#include "core/table_check.h"

#include <algorithm>
#include <cstdint>
#include <unordered_map>
#include <unordered_set>

#include "core/matching.h"
#include "core/table_file.h"
#include "core/wide_string.h"

namespace palimp {

namespace {

constexpr std::u16string_view kMarker = u"##";

bool IsBlankedMarker(std::u16string_view line) {
    return line != kMarker && TrimWide(line) == kMarker;
}

// The units that fold to the same value as a given unit: the spellings a case-insensitive
// phrase accepts at one position.
class FoldClasses {
public:
    FoldClasses() : start_(0x10001, 0), members_(0x10000) {
        for (std::uint32_t u = 0; u < 0x10000; ++u) ++start_[FoldCase(static_cast<char16_t>(u)) + 1];
        for (std::size_t f = 1; f < start_.size(); ++f) start_[f] += start_[f - 1];
        std::vector<std::uint32_t> next(start_.begin(), start_.end() - 1);
        for (std::uint32_t u = 0; u < 0x10000; ++u) {
            members_[next[FoldCase(static_cast<char16_t>(u))]++] = static_cast<char16_t>(u);
        }
    }
    std::span<const char16_t> Of(char16_t unit) const {
        const char16_t fold = FoldCase(unit);
        return std::span(members_).subspan(start_[fold], start_[fold + 1] - start_[fold]);
    }

private:
    std::vector<std::uint32_t> start_;  // by folded value: where its members begin
    std::vector<char16_t> members_;
};

const FoldClasses& Classes() {
    static const FoldClasses classes;
    return classes;
}

struct Flags {
    bool caseSensitive;
    bool wholeWord;
};

Flags FlagsOf(const TableRow& row) {
    return {HasOption(row[kOptionsColumn], kOptionCase), HasOption(row[kOptionsColumn], kOptionWord)};
}

// The folded phrases of all rows in one trie. Each node keeps the rows whose phrase ends
// there, one per kind of constraint (case-insensitive, or one exact spelling; with or without
// W): a later row of the same kind adds nothing, as the first one matches wherever it does.
class FoldedTrie {
public:
    explicit FoldedTrie(std::span<const TableRow> rows) : rows_(rows), ends_(1) {
        for (std::size_t r = 0; r < rows.size(); ++r) {
            const std::u16string& phrase = rows[r][kSearchColumn];
            if (phrase.empty()) continue;
            std::uint32_t node = 0;
            for (char16_t unit : phrase) node = Child(node, FoldCase(unit));
            AddEnd(node, r);
        }
    }

    // The node reached by the folded phrase after each of its units (path[d - 1] after d).
    std::vector<std::uint32_t> Path(std::u16string_view phrase) const {
        std::vector<std::uint32_t> path;
        path.reserve(phrase.size());
        std::uint32_t node = 0;
        for (char16_t unit : phrase) {
            node = children_.at(Key(node, FoldCase(unit)));
            path.push_back(node);
        }
        return path;
    }

    // Rows ending at node, ascending.
    const std::vector<std::size_t>& Ends(std::uint32_t node) const { return ends_[node]; }

private:
    static std::uint64_t Key(std::uint32_t node, char16_t unit) {
        return (std::uint64_t{node} << 16) | unit;
    }

    std::uint32_t Child(std::uint32_t node, char16_t unit) {
        auto [it, added] = children_.try_emplace(Key(node, unit), static_cast<std::uint32_t>(ends_.size()));
        if (added) ends_.emplace_back();
        return it->second;
    }

    void AddEnd(std::uint32_t node, std::size_t row) {
        const Flags flags = FlagsOf(rows_[row]);
        for (std::size_t other : ends_[node]) {
            const Flags seen = FlagsOf(rows_[other]);
            if (seen.caseSensitive != flags.caseSensitive || seen.wholeWord != flags.wholeWord) continue;
            if (!flags.caseSensitive || rows_[other][kSearchColumn] == rows_[row][kSearchColumn]) return;
        }
        ends_[node].push_back(row);
    }

    std::span<const TableRow> rows_;
    std::unordered_map<std::uint64_t, std::uint32_t> children_;
    std::vector<std::vector<std::size_t>> ends_;  // by node
};

// The question for one row, with the earlier rows that can match where it does.
class Reach {
public:
    Reach(std::span<const TableRow> rows, const FoldedTrie& trie, std::size_t row)
        : rows_(rows), phrase_(rows[row][kSearchColumn]), flags_(FlagsOf(rows[row])) {
        const std::size_t length = phrase_.size();
        wordEnder_.assign(length + 1, kNone);
        const std::vector<std::uint32_t> path = trie.Path(phrase_);
        for (std::size_t depth = 1; depth <= length; ++depth) {
            for (std::size_t q : trie.Ends(path[depth - 1])) {
                if (q >= row) break;
                const Flags flags = FlagsOf(rows[q]);
                // Before a row without W a word unit can stand, where no row with W matches.
                if (flags.wholeWord && !flags_.wholeWord) continue;
                if (!flags.caseSensitive && !flags.wholeWord) {
                    blockedBy_ = q;  // it matches wherever this row does
                    return;
                }
                if (flags.caseSensitive) {
                    exact_.push_back({q, depth, flags.wholeWord});
                } else if (wordEnder_[depth] == kNone) {
                    wordEnder_[depth] = q;
                }
            }
        }
    }

    RowReach Decide() {
        if (blockedBy_ != kNone) return {false, {blockedBy_}};
        FindFreeFailures();
        std::vector<std::size_t> all(exact_.size());
        for (std::size_t i = 0; i < all.size(); ++i) all[i] = i;
        // Depth-first over spellings, with an explicit stack: a phrase may be very long.
        std::vector<std::pair<std::size_t, std::vector<std::size_t>>> stack;
        stack.emplace_back(0, std::move(all));
        while (!stack.empty()) {
            auto [depth, alive] = std::move(stack.back());
            stack.pop_back();
            if (Visit(depth, std::move(alive), stack)) return {true, {}};
        }
        std::sort(blockers_.begin(), blockers_.end());
        blockers_.erase(std::unique(blockers_.begin(), blockers_.end()), blockers_.end());
        return {false, std::move(blockers_)};
    }

private:
    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

    // A case-sensitive earlier row: it matches where the text spells its phrase exactly.
    struct Exact {
        std::size_t row;
        std::size_t length;
        bool wholeWord;
    };

    std::u16string_view ExactPhrase(const Exact& e) const {
        return rows_[e.row][kSearchColumn];
    }

    // The units the text may hold at index depth of the match.
    std::vector<char16_t> Spellings(std::size_t depth, bool wordOnly) const {
        std::vector<char16_t> units;
        if (flags_.caseSensitive) {
            units.push_back(phrase_[depth]);
        } else {
            const auto members = Classes().Of(phrase_[depth]);
            units.assign(members.begin(), members.end());
        }
        if (wordOnly) std::erase_if(units, [](char16_t u) { return !IsWordChar(u); });
        return units;
    }

    bool HasWordSpelling(std::size_t depth) const { return !Spellings(depth, true).empty(); }

    // Where the spellings that no case-sensitive row names first fail, from each depth on:
    // only case-insensitive rows with W are left, and each needs a word unit after its phrase.
    void FindFreeFailures() {
        const std::size_t length = phrase_.size();
        freeFailure_.assign(length + 2, kNone);
        for (std::size_t depth = length + 1; depth-- > 1;) {
            const bool fails = wordEnder_[depth] != kNone && (depth == length || !HasWordSpelling(depth));
            freeFailure_[depth] = fails ? depth : freeFailure_[depth + 1];
        }
    }

    // Looks at the text once depth units of the match are spelled so that the case-sensitive
    // rows alive spell them exactly; pushes the ways on. True when this row wins.
    bool Visit(std::size_t depth, std::vector<std::size_t> alive,
               std::vector<std::pair<std::size_t, std::vector<std::size_t>>>& stack) {
        const std::size_t length = phrase_.size();
        std::vector<std::size_t> wordEnders;
        if (depth > 0 && wordEnder_[depth] != kNone) wordEnders.push_back(wordEnder_[depth]);
        std::vector<std::size_t> longer;
        for (std::size_t i : alive) {
            const Exact& e = exact_[i];
            if (e.length > depth) {
                longer.push_back(i);
            } else if (!e.wholeWord) {
                blockers_.push_back(e.row);
                return false;
            } else {
                wordEnders.push_back(e.row);
            }
        }
        if (!wordEnders.empty() && depth == length) {
            blockers_.insert(blockers_.end(), wordEnders.begin(), wordEnders.end());
            return false;
        }
        if (depth == length) return true;
        const std::vector<char16_t> spellings = Spellings(depth, !wordEnders.empty());
        if (spellings.empty()) {
            blockers_.insert(blockers_.end(), wordEnders.begin(), wordEnders.end());
            return false;
        }
        std::sort(longer.begin(), longer.end(), [&](std::size_t a, std::size_t b) {
            return ExactPhrase(exact_[a])[depth] < ExactPhrase(exact_[b])[depth];
        });
        std::size_t named = 0;  // spellings some alive row names
        for (std::size_t i = 0; i < longer.size();) {
            const char16_t unit = ExactPhrase(exact_[longer[i]])[depth];
            std::size_t end = i;
            while (end < longer.size() && ExactPhrase(exact_[longer[end]])[depth] == unit) ++end;
            if (std::find(spellings.begin(), spellings.end(), unit) != spellings.end()) {
                ++named;
                stack.emplace_back(depth + 1, std::vector<std::size_t>(longer.begin() + i, longer.begin() + end));
            }
            i = end;
        }
        if (named == spellings.size()) return false;
        // A spelling no case-sensitive row names leaves none of them alive.
        const std::size_t failure = freeFailure_[depth + 1];
        if (failure == kNone) return true;
        blockers_.push_back(wordEnder_[failure]);
        return false;
    }

    std::span<const TableRow> rows_;
    std::u16string_view phrase_;
    Flags flags_;
    std::size_t blockedBy_ = kNone;
    std::vector<Exact> exact_;
    std::vector<std::size_t> wordEnder_;    // by length: the first case-insensitive row with W
    std::vector<std::size_t> freeFailure_;  // by depth
    std::vector<std::size_t> blockers_;
};

// Whether a row that replaces its phrase by itself still keeps later rows from matching
// where it matches: a guard ("a b" -> "a b" before "a" -> "x" keeps the "a" of "a b"). It
// does when a later row's folded phrase and the folded rest of its phrase from some offset
// on begin alike. Phrases are compared up to kReach units; a longer identity row counts as a
// guard, so that no warning is given that might be wrong.
class GuardFinder {
public:
    explicit GuardFinder(std::span<const TableRow> rows) {
        bool anyIdentity = false;
        for (const TableRow& row : rows) {
            anyIdentity = anyIdentity || (!row[kSearchColumn].empty() && row[kSearchColumn] == row[kReplaceColumn]);
        }
        if (!anyIdentity) return;  // the common case costs nothing
        for (std::size_t r = 0; r < rows.size(); ++r) {
            const std::u16string folded = Folded(rows[r][kSearchColumn]);
            if (folded.empty()) continue;
            last_[folded] = r;
            for (std::size_t length = 1; length <= std::min(folded.size(), kReach); ++length) {
                lastByPrefix_[folded.substr(0, length)] = r;
            }
        }
    }

    bool Guards(std::size_t row, std::u16string_view phrase) const {
        if (phrase.size() > kReach) return true;
        const std::u16string folded = Folded(phrase);
        for (std::size_t k = 0; k < folded.size(); ++k) {
            const std::u16string rest = folded.substr(k);
            // A later phrase that the rest begins with, or that begins with the rest.
            for (std::size_t length = 1; length <= rest.size(); ++length) {
                const auto it = last_.find(rest.substr(0, length));
                if (it != last_.end() && it->second > row) return true;
            }
            const auto it = lastByPrefix_.find(rest);
            if (it != lastByPrefix_.end() && it->second > row) return true;
        }
        return false;
    }

private:
    static constexpr std::size_t kReach = 64;
    static std::u16string Folded(std::u16string_view text) {
        std::u16string folded(text);
        for (char16_t& unit : folded) unit = FoldCase(unit);
        return folded;
    }
    std::unordered_map<std::u16string, std::size_t> last_;          // the last row of each phrase
    std::unordered_map<std::u16string, std::size_t> lastByPrefix_;  // ... of each phrase's start
};

}  // namespace

LinedTable ReadLinedTable(std::u16string_view text, bool tsv) {
    const std::vector<std::u16string> lines = SplitLines(text);
    LinedTable table;
    // SplitLines stops at a U+0000; the lines cut off are worth a word unless only more U+0000
    // follows (padding). The unit after the U+0000 counts as the start of its line's rest.
    if (const std::size_t nul = text.find(u'\0'); nul != std::u16string_view::npos &&
        text.find_first_not_of(u'\0', nul) != std::u16string_view::npos) {
        std::u16string before(text.substr(0, nul));
        table.nulLine = static_cast<int>(SplitLines(before.append(1, u'x')).size());
    }
    std::size_t first = 0;
    if (!tsv) {
        while (first < lines.size() && lines[first] != kMarker) {
            if (IsBlankedMarker(lines[first])) table.blankedMarkers.push_back(static_cast<int>(first + 1));
            ++first;
        }
        if (first == lines.size()) return table;
        table.markerLine = static_cast<int>(++first);
    }
    for (std::size_t i = first; i < lines.size(); ++i) {
        table.rows.push_back(ParsePairLine(lines[i]));
        table.lines.push_back(static_cast<int>(i + 1));
        table.fields.push_back(static_cast<int>(std::count(lines[i].begin(), lines[i].end(), u'\t')) + 1);
        if (!tsv && IsBlankedMarker(lines[i])) table.blankedMarkers.push_back(static_cast<int>(i + 1));
    }
    return table;
}

bool HasNoTab(const LinedTable& table, std::size_t row) {
    return row < table.fields.size() && table.fields[row] == 1 && !table.rows[row][kSearchColumn].empty();
}

bool IsBlankRow(const TableRow& row) {
    return row[0].empty() && row[1].empty() && row[2].empty();
}

std::vector<TableWarning> FindTableWarnings(const LinedTable& table) {
    std::vector<TableWarning> warnings;
    for (int line : table.blankedMarkers) {
        warnings.push_back({TableWarningKind::kBlankedMarker, line, table.markerLine, {}});
    }
    std::unordered_map<std::u16string_view, int> firstLine;
    bool anyPhrase = false;
    const GuardFinder guards(table.rows);
    for (std::size_t i = 0; i < table.rows.size(); ++i) {
        const TableRow& row = table.rows[i];
        const int line = table.lines[i];
        const std::u16string& phrase = row[kSearchColumn];
        std::u16string unknown;
        for (char16_t unit : row[kOptionsColumn]) {
            if (unit == kOptionCase || unit == kOptionWord || unit == kOptionExtended || unit == kOptionOff ||
                !IsWordChar(unit)) {
                continue;
            }
            if (unknown.find(unit) == std::u16string::npos) unknown += unit;
        }
        if (!unknown.empty()) {
            warnings.push_back({TableWarningKind::kUnknownOptionLetters, line, 0, unknown});
        }
        if (HasNoTab(table, i)) warnings.push_back({TableWarningKind::kNoTab, line, 0, {}});
        if (i < table.fields.size() && table.fields[i] > 3) {
            warnings.push_back({TableWarningKind::kExtraFields, line, 0, {}, table.fields[i]});
        }
        if (phrase.empty()) {
            if (!IsBlankRow(row)) warnings.push_back({TableWarningKind::kEmptyPhrase, line, 0, {}});
            continue;
        }
        anyPhrase = true;
        const auto [it, added] = firstLine.try_emplace(phrase, line);
        if (!added) warnings.push_back({TableWarningKind::kDuplicatePhrase, line, it->second, phrase});
        // A case-insensitive row that replaces a phrase by itself still evens out its case.
        const bool caseless = std::all_of(phrase.begin(), phrase.end(),
                                          [](char16_t u) { return Classes().Of(u).size() == 1; });
        if (row[kReplaceColumn] == phrase && (FlagsOf(row).caseSensitive || caseless) &&
            !guards.Guards(i, phrase)) {
            warnings.push_back({TableWarningKind::kReplacesByItself, line, 0, phrase});
        }
    }
    if (!anyPhrase) warnings.push_back({TableWarningKind::kNoPairs, table.markerLine, 0, {}});
    if (table.nulLine > 0) warnings.push_back({TableWarningKind::kNulEndsTable, table.nulLine, 0, {}});
    std::stable_sort(warnings.begin(), warnings.end(),
                     [](const TableWarning& a, const TableWarning& b) { return a.line < b.line; });
    return warnings;
}

std::vector<RowReach> FindRowsThatNeverWin(std::span<const TableRow> rows) {
    const FoldedTrie trie(rows);
    std::vector<RowReach> reach(rows.size());
    for (std::size_t r = 0; r < rows.size(); ++r) {
        if (rows[r][kSearchColumn].empty()) continue;
        reach[r] = Reach(rows, trie, r).Decide();
    }
    return reach;
}

}  // namespace palimp
