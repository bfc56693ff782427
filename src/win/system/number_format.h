// Numbers written with the user's locale: decimal separator, thousands separator and grouping.
#pragma once

#include <string>
#include <string_view>

namespace palimp {

// value with exactly `decimals` decimals, thousands grouped, as the user's locale writes it
// ("1,234.5", "1.234,5").
std::wstring FormatLocaleNumber(double value, int decimals);

// The Grouping field of NUMBERFMTW from a LOCALE_SGROUPING text: "3;0" -> 3, "3;2;0" -> 32,
// "3" -> 30 (a final group size that does not end in 0 repeats no further), "0" -> 0.
unsigned GroupingFromLocale(std::wstring_view grouping);

}  // namespace palimp
