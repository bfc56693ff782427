// The starter tables on paragraphs of real text: each changes only what it can be sure of,
// with quotes at line starts, after TABs, brackets, dashes and digits, and spaces that are
// indentation. Every row of each can win and none draws a warning.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "cli_test_support.h"

namespace palimp::cli::test {
namespace {

std::string Starter(const char* name) {
    return ToUtf8(PathToUtf16(fs::path(PALIMP_DIST_DIR) / "replace" / (std::string(name) + ".palimp")));
}

TEST_F(CliTest, StarterTablesChangeOnlyWhatTheyAreSureOf) {
    defaultCodePage_ = kUtf8CodePage;
    const struct {
        const char* table;
        std::string text, expected;
    } cases[] = {
        // Regression: a quote at a line start, after a TAB or a hyphen became a closing one.
        {"Typographic quotes",
         "\"Start,\" she said. (She said \"no\" -- and left...)\n"
         "\t\"Tabbed\" and 'single' don't, it's 5' 10\" tall -\"dash\" ['bracket'] \" alone \" here\n"
         "He said \"wait...\" and --help stays.\n",
         "\"Start,\u201D she said. (She said \u201Cno\u201D \u2013 and left\u2026)\n"
         "\t\"Tabbed\u201D and 'single\u2019 don\u2019t, it\u2019s 5' 10\" tall -\u201Cdash\u201D ['bracket\u2019] \" alone \" here\n"
         "He said \u201Cwait\u2026\u201D and --help stays.\n"},
        {"Tidy spaces",
         "Tidy:  two  spaces, a run     here , ( inside ) and\n    indented code  stays\n"
         "\tTAB  kept;  French ! stays, .NET stays. \"Quoted\"  too.\n",
         "Tidy: two spaces, a run here, (inside) and\n    indented code stays\n"
         "\tTAB kept; French ! stays, .NET stays. \"Quoted\" too.\n"},
        {"HTML entities (encode)", "Caf\u00E9 & <b> \"\u00A0\" \u2014\n",
         "Caf&eacute; &amp; &lt;b&gt; &quot;&nbsp;&quot; &mdash;\n"},
        {"HTML entities (decode)", "&lt;b&gt; &amp;lt; &eacute;&#39;s\n", "<b> &lt; \u00E9's\n"},
        {"Remove diacritics", "Cr\u00E8me br\u00FBl\u00E9e, \u00C6sop, Stra\u00DFe\n", "Creme brulee, AEsop, Strasse\n"},
    };
    for (const auto& c : cases) {
        const CliOutcome run = RunWithStdin({"-t", Starter(c.table)}, c.text);
        EXPECT_EQ(run.exit, kExitOk) << c.table;
        EXPECT_EQ(run.err, "") << c.table;
        EXPECT_EQ(run.out, c.expected) << c.table;
        const CliOutcome check = Run({"-t", Starter(c.table), "--check"});
        EXPECT_EQ(check.exit, kExitOk) << c.table << ": " << check.out;
        EXPECT_EQ(check.err, "") << c.table;
    }
}

}  // namespace
}  // namespace palimp::cli::test
