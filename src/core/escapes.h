// Extended rows: a phrase or replacement whose backslash escapes name the characters a table
// file cannot carry (TAB, line breaks, NUL) and any other UTF-16 unit.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace palimp {

// Where an escape goes wrong: offset and length in units of the sequence in the cell.
struct EscapeError {
    std::size_t offset = 0;
    std::size_t length = 0;

    bool operator==(const EscapeError&) const = default;
};

// The text with its escapes turned into the units they name: \t TAB, \n LF, \r CR, \0 NUL,
// \\ a backslash, \xHH and \uXXXX the unit with that hexadecimal code (exactly two or four
// digits, either case). A backslash before anything else, or at the end, is no escape: the
// result is empty and *error, if given, tells where.
// Use: ExpandEscapes(u"a\\tb") == u"a\tb"; ExpandEscapes(u"\\r\\n") == u"\r\n".
std::optional<std::u16string> ExpandEscapes(std::u16string_view text, EscapeError* error = nullptr);

// For the user: "\q" (character 3) is no escape; ... with the escapes that are, for a message
// box or a warning line.
std::u16string EscapeErrorText(std::u16string_view text, const EscapeError& error);

}  // namespace palimp
