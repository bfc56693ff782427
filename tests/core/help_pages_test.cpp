// The help page that F1 and the Help menu open, for the pages a help folder holds.
#include "core/help_pages.h"

#include <gtest/gtest.h>

#include <set>

namespace palimp {
namespace {

TEST(HelpPages, TheContextPageOnlyFromF1AndIndexAsTheFallback) {
    struct Row {
        const char* what;
        std::set<std::u16string> folder;
        int context;
        bool byF1;
        std::u16string page;
    };
    const Row rows[] = {
        {"F1 in the table editor", {u"index.html", u"0004.html"}, 4, true, u"0004.html"},
        {"F1 without that page", {u"index.html"}, 4, true, u"index.html"},
        {"the menu always opens the index", {u"index.html", u"0006.html"}, 6, false, u"index.html"},
        {"no context", {u"index.html", u"0000.html"}, 0, true, u"index.html"},
        {"no index and no page", {u"0005.html"}, 4, true, u""},
        {"F1 with the page but no index", {u"0005.html"}, 5, true, u"0005.html"},
        {"no help folder", {}, 5, true, u""},
    };
    for (const Row& row : rows) {
        auto exists = [&row](const std::u16string& page) { return row.folder.count(page) > 0; };
        EXPECT_EQ(ChooseHelpPage(row.context, row.byF1, exists), row.page) << row.what;
    }
    EXPECT_EQ(HelpPageName(5), u"0005.html");
    EXPECT_EQ(HelpPageName(12345), u"12345.html");
}

}  // namespace
}  // namespace palimp
