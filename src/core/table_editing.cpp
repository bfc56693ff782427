// The table editor's rules: counter, pair editing, fonts and columns, labels, menu captions.
#include "core/table_editing.h"

#include <algorithm>

#include "core/wide_string.h"

namespace palimp {

namespace {

std::u16string Number(int value) {
    std::string digits = std::to_string(value);
    return std::u16string(digits.begin(), digits.end());
}

}  // namespace

std::u16string CountLabelText(const ReplacementTable& table) {
    const std::u16string items = Number(table.ItemCount());
    if (table.Top() == table.Bottom()) return u"Item: " + Number(table.Row()) + u" / " + items;
    return u"Items: " + Number(table.Top()) + u".." + Number(table.Bottom()) + u"/" + items;
}

std::u16string WidestCountLabelText(int itemCount) {
    const std::u16string items = Number(itemCount);
    return u"Items: " + items + u".." + items + u"/" + items;
}

bool HasSearchPhrase(const ReplacementTable& table) {
    const auto items = table.Items();
    return std::any_of(items.begin(), items.end(), [](const TableRow& row) { return !row[kSearchColumn].empty(); });
}

PairEditState PairEditStateForAdd() {
    return {.changeSearch = true, .changeReplace = true, .changeCase = true, .changeWord = true,
            .changeExtended = true};
}

PairEditState PairEditStateForEdit(const ReplacementTable& table) {
    const int top = table.Top();
    const int bottom = table.Bottom();
    const std::u16string& options = table.Cell(kOptionsColumn, top);
    PairEditState state{.searchText = table.Cell(kSearchColumn, top),
                        .replaceText = table.Cell(kReplaceColumn, top),
                        .caseSensitive = HasOption(options, kOptionCase),
                        .wholeWords = HasOption(options, kOptionWord),
                        .multiRow = top != bottom,
                        .changeSearch = true,
                        .changeReplace = true,
                        .changeCase = true,
                        .changeWord = true,
                        .extended = HasOption(options, kOptionExtended),
                        .changeExtended = true};
    for (int r = top + 1; r <= bottom; ++r) {
        if (state.changeSearch && table.Cell(kSearchColumn, r) != state.searchText) {
            state.changeSearch = false;
            state.searchText.clear();
        }
        if (state.changeReplace && table.Cell(kReplaceColumn, r) != state.replaceText) {
            state.changeReplace = false;
            state.replaceText.clear();
        }
        const std::u16string& rowOptions = table.Cell(kOptionsColumn, r);
        if (state.changeCase && HasOption(rowOptions, kOptionCase) != state.caseSensitive) state.changeCase = false;
        if (state.changeWord && HasOption(rowOptions, kOptionWord) != state.wholeWords) state.changeWord = false;
        if (state.changeExtended && HasOption(rowOptions, kOptionExtended) != state.extended) {
            state.changeExtended = false;
        }
    }
    return state;
}

void AddPair(ReplacementTable& table, const PairEditState& state) {
    table.AppendRow(state.searchText, state.replaceText,
                    WithOption(ComposeOptions(u"", true, state.caseSensitive, true, state.wholeWords),
                               kOptionExtended, state.extended));
}

void ApplyPairEdit(ReplacementTable& table, const PairEditState& state) {
    for (int r = table.Top(); r <= table.Bottom(); ++r) {
        if (state.changeSearch) table.SetCell(kSearchColumn, r, state.searchText);
        if (state.changeReplace) table.SetCell(kReplaceColumn, r, state.replaceText);
        if (state.changeCase || state.changeWord || state.changeExtended) {
            std::u16string options = ComposeOptions(table.Cell(kOptionsColumn, r), state.changeCase,
                                                    state.caseSensitive, state.changeWord, state.wholeWords);
            if (state.changeExtended) options = WithOption(options, kOptionExtended, state.extended);
            table.SetCell(kOptionsColumn, r, std::move(options));
        }
    }
}

bool ComboHasItem(std::u16string_view text, std::span<const std::u16string> items) {
    return std::find(items.begin(), items.end(), text) != items.end();
}

int GridRowHeight(int points) { return std::max(16, 2 * points); }

int TextColumnWidth(int gridWidth, int optionsWidth, int scrollBarRoom) {
    return (gridWidth - optionsWidth - scrollBarRoom) / 2;
}

std::u16string CharacterCodeText(std::u16string_view text, int caret) {
    if (caret < 0 || static_cast<size_t>(caret) >= text.size()) return {};
    const char16_t unit = text[static_cast<size_t>(caret)];
    static constexpr char16_t kHex[] = u"0123456789ABCDEF";
    std::u16string label = u"U+";
    for (int shift = 12; shift >= 0; shift -= 4) label += kHex[(unit >> shift) & 0xF];
    label += u" (";
    label += unit;
    label += u")";
    return label;
}

std::u16string TableMenuCaption(std::u16string_view fileName) { return StripExtension(fileName); }

std::u16string TableFileOfCaption(std::u16string_view folder, std::u16string_view caption) {
    std::u16string path(folder);
    path.append(caption).append(u".").append(kTableExtension);
    return path;
}

std::u16string MenuTextOf(std::u16string_view caption) {
    std::u16string text;
    text.reserve(caption.size());
    for (char16_t unit : caption) {
        text += unit;
        if (unit == u'&') text += u'&';
    }
    return text;
}

bool IsCellBreak(char16_t unit) {
    return unit == u'\t' || unit == u'\r' || unit == u'\n' || unit == u'\u2028' || unit == u'\0';
}

std::u16string KeepOutOfCell(std::u16string_view text, bool* replaced) {
    std::u16string cell;
    cell.reserve(text.size());
    bool any = false;
    for (size_t i = 0; i < text.size(); ++i) {
        if (!IsCellBreak(text[i])) {
            cell += text[i];
            continue;
        }
        any = true;
        cell += u' ';
        while (i + 1 < text.size() && IsCellBreak(text[i + 1])) ++i;
    }
    if (replaced) *replaced = any;
    return cell;
}

std::vector<SpaceMark> SpaceMarks(std::u16string_view text) {
    std::vector<SpaceMark> marks(text.size(), SpaceMark::kNone);
    const size_t first = text.find_first_not_of(u' ');
    const size_t last = text.find_last_not_of(u' ');
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != u' ') continue;
        const bool edge = first == std::u16string_view::npos || i < first || i > last;
        marks[i] = edge ? SpaceMark::kEdge : SpaceMark::kInner;
    }
    return marks;
}

}  // namespace palimp
