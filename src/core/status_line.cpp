// The status line's texts.
#include "core/status_line.h"

namespace palimp {

namespace {

// Digits in groups of three, as "1,234,567": a 20 MB selection stays readable.
std::u16string Grouped(long long number) {
    std::u16string digits;
    for (const char c : std::to_string(number < 0 ? -number : number)) digits += static_cast<char16_t>(c);
    for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3) digits.insert(static_cast<size_t>(at), 1, u',');
    return number < 0 ? u"-" + digits : digits;
}

}  // namespace

std::u16string CaretPlaceText(int line, int column) {
    return u"Ln " + Grouped(static_cast<long long>(line) + 1) + u", Col " + Grouped(static_cast<long long>(column) + 1);
}

std::u16string SelectionText(int characters) {
    if (characters <= 0) return {};
    return Grouped(characters) + (characters == 1 ? u" character selected" : u" characters selected");
}

std::u16string WidestSelectionText() { return SelectionText(888'888'888); }

}  // namespace palimp
