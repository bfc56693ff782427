// String helpers shared by the table code, the file formats and the error report.
#include "core/wide_string.h"

#include <cstddef>

#include "core/char_classes.h"
#include "core/errors.h"

namespace palimp {

namespace {

// 0-based index for a 1-based start, or npos when start lies outside 1..length(text).
std::size_t StartIndex(std::u16string_view text, int start) {
    if (start < 1 || static_cast<std::size_t>(start) > text.size()) {
        return std::u16string_view::npos;
    }
    return static_cast<std::size_t>(start) - 1;
}

bool IsTrimmed(char16_t ch) { return IsWhiteChar(ch) || IsControlChar(ch); }

}  // namespace

int PosChar(char16_t ch, std::u16string_view text, int start) {
    const std::size_t from = StartIndex(text, start);
    if (from == std::u16string_view::npos) return 0;
    const std::size_t found = text.find(ch, from);
    return found == std::u16string_view::npos ? 0 : static_cast<int>(found + 1);
}

int PosText(std::u16string_view sub, std::u16string_view text, int start) {
    const std::size_t from = StartIndex(text, start);
    if (from == std::u16string_view::npos || sub.empty()) return 0;
    // find() only reports runs that fit completely in text.
    const std::size_t found = text.find(sub, from);
    return found == std::u16string_view::npos ? 0 : static_cast<int>(found + 1);
}

std::u16string ReplaceAllText(std::u16string_view find, std::u16string_view replace,
                              std::u16string_view source) {
    if (find == replace || find.empty()) return std::u16string(source);
    // Built in one pass instead of deleting and inserting in place: the search always resumes
    // behind the inserted text, where the result still equals the rest of the source, so the
    // outcome is the same without the quadratic moves.
    std::u16string result;
    result.reserve(source.size());
    std::size_t from = 0;
    for (;;) {
        const std::size_t q = source.find(find, from);
        if (q == std::u16string_view::npos) break;
        result.append(source, from, q - from);
        result.append(replace);
        from = q + find.size();
    }
    result.append(source.substr(from));
    return result;
}

std::u16string StripExtension(std::u16string_view path) {
    const std::size_t slash = path.find_last_of(u"\\:");
    std::u16string_view name = slash == std::u16string_view::npos ? path : path.substr(slash + 1);
    const std::size_t dot = name.rfind(u'.');
    if (dot != std::u16string_view::npos) name = name.substr(0, dot);
    return std::u16string(name);
}

std::u16string GetField(int index, std::u16string_view text, char16_t delimiter, bool trim) {
    int p = 0;
    for (int i = 0; i < index; ++i) {
        p = PosChar(delimiter, text, p + 1);
        if (p == 0) return {};
    }
    const int start = p + 1;
    int end = PosChar(delimiter, text, start);
    if (end == 0) end = static_cast<int>(text.size()) + 1;
    Check(start <= end, unit::kUuFunctions, 405);
    const std::u16string_view field =
        text.substr(static_cast<std::size_t>(start) - 1, static_cast<std::size_t>(end - start));
    return trim ? TrimWide(field) : std::u16string(field);
}

std::u16string TrimWide(std::u16string_view text) {
    std::size_t end = text.size();
    while (end > 0 && IsTrimmed(text[end - 1])) --end;
    std::size_t begin = 0;
    while (begin < end && IsTrimmed(text[begin])) ++begin;
    return std::u16string(text.substr(begin, end - begin));
}

}  // namespace palimp
