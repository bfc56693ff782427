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

// A starter table run over a text, and its --check, both without a word on standard error.
class StarterTables : public CliTest {
protected:
    void ExpectChanges(const char* table, const std::string& text, const std::string& expected) {
        defaultCodePage_ = kUtf8CodePage;
        const CliOutcome run = RunWithStdin({"-t", Starter(table)}, text);
        EXPECT_EQ(run.exit, kExitOk) << table;
        EXPECT_EQ(run.err, "") << table;
        EXPECT_EQ(run.out, expected) << table;
        const CliOutcome check = Run({"-t", Starter(table), "--check"});
        EXPECT_EQ(check.exit, kExitOk) << table << ": " << check.out;
        EXPECT_EQ(check.err, "") << table;
    }
};
using StarterTableRegressions = StarterTables;

TEST_F(StarterTables, ChangeOnlyWhatTheyAreSureOf) {
    const struct {
        const char* table;
        std::string text, expected;
    } cases[] = {
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
    for (const auto& c : cases) ExpectChanges(c.table, c.text, c.expected);
}

TEST_F(StarterTableRegressions, AQuoteAtALineStartAfterATabOrAHyphenBecameAClosingOne) {
    ExpectChanges("Typographic quotes",
                  "\"Start,\" she said. (She said \"no\" -- and left...)\n"
                  "\t\"Tabbed\" and 'single' don't, it's 5' 10\" tall -\"dash\" ['bracket'] \" alone \" here\n"
                  "He said \"wait...\" and --help stays.\n",
                  "\"Start,\u201D she said. (She said \u201Cno\u201D \u2013 and left\u2026)\n"
                  "\t\"Tabbed\u201D and 'single\u2019 don\u2019t, it\u2019s 5' 10\" tall -\u201Cdash\u201D ['bracket\u2019] \" alone \" here\n"
                  "He said \u201Cwait\u2026\u201D and --help stays.\n");
}

}  // namespace
}  // namespace palimp::cli::test
