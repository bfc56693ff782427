// The escapes of extended rows: what each one names, and where a bad one is found.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "core/escapes.h"

namespace palimp {
namespace {

TEST(Escapes, ExpandToTheUnitsTheyName) {
    const struct {
        std::u16string_view text;
        std::u16string expanded;
    } cases[] = {
        {u"", u""},
        {u"plain text", u"plain text"},
        {u"a\\tb", u"a\tb"},
        {u"\\r\\n", u"\r\n"},
        {u"x\\0y", std::u16string(u"x\0y", 3)},
        {u"\\\\t", u"\\t"},                         // a doubled backslash, then a plain t
        {u"\\x41\\x7e\\x7E", u"A~~"},              // two digits, either case
        {u"\\x411", u"A1"},                         // exactly two digits
        {u"\\u00e9\\u20AC", u"\u00e9\u20ac"},
        {u"\\uD83D\\uDE00", u"\U0001F600"},         // a surrogate pair as two units
        {u"\\u00411", u"A1"},                       // exactly four digits
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ExpandEscapes(c.text), std::optional<std::u16string>(c.expanded)) << c.expanded.size();
    }
}

TEST(Escapes, ABadEscapeIsFoundWhereItStands) {
    const struct {
        std::u16string_view text;
        EscapeError error;
    } cases[] = {
        {u"\\", {0, 1}},            // a backslash at the end
        {u"ab\\", {2, 1}},
        {u"a\\qb", {1, 2}},         // no such escape
        {u"\\T", {0, 2}},           // the letters are lower case
        {u"\\x4", {0, 3}},          // one digit short, cut at the end
        {u"\\x4g", {0, 4}},
        {u"ok \\u12G4 x", {3, 6}},
        {u"\\t\\", {2, 1}},         // the first bad one counts, behind good ones
    };
    for (const auto& c : cases) {
        EscapeError error;
        EXPECT_FALSE(ExpandEscapes(c.text, &error).has_value());
        EXPECT_EQ(error, c.error) << error.offset << "," << error.length;
    }
    EXPECT_EQ(EscapeErrorText(u"a\\qb", {1, 2}),
              u"\"\\q\" (character 2) is no escape; the escapes are \\t, \\n, \\r, \\0, \\\\, \\xHH and \\uXXXX");
}

}  // namespace
}  // namespace palimp
