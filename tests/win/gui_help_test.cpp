// Context help as the user meets it: F1 in each place opens its page from the help folder
// beside the program (through the shell), the Help menu always the index, and nothing at all
// when the folder or the page is missing.
#include <windows.h>

#include "core/local_info.h"
#include "core/product.h"
#include "gui_support.h"

namespace palimp {
namespace {

class HelpTest : public GuiTest {
protected:
    // A program folder of the test's own, whose help folder holds these pages.
    void StartWithHelp(std::initializer_list<const wchar_t*> pages) {
        Start();
        CreateDirectoryW(temp_.Path(L"help").c_str(), nullptr);
        for (const wchar_t* page : pages) WriteBytes(temp_.Path(L"help\\") + page, "<html></html>");
        LocalInfo.ProgramFolder = ToU16(temp_.Root());
    }
    std::wstring Page(const wchar_t* name) { return temp_.Path(L"help\\") + name; }
    std::vector<std::wstring> Opened() { return prompter_.ShellOpens(); }
};

TEST_F(HelpTest, F1OpensThePageOfTheFocusedPlace) {
    StartWithHelp({L"index.html", L"0006.html"});
    SetFocus(Memo());
    PressKey(VK_F1);
    Type(L"x");  // F1 went to no window: the editor typed nothing else
    EXPECT_EQ(Text(), L"x");
    Choose("actionShowHideFindPanel");
    ASSERT_EQ(GetFocus(), Named(Main(), "edFind"));
    PressKey(VK_F1);
    Choose("actionHelp");  // the menu: the index, even from the find box
    EXPECT_EQ(Opened(), (std::vector<std::wstring>{Page(L"index.html"), Page(L"0006.html"), Page(L"index.html")}));
}

TEST_F(HelpTest, F1WithModifiersDoesNothing) {
    StartWithHelp({L"index.html"});
    SetFocus(Memo());
    for (unsigned modifiers : {kShift, kCtrl, kAlt}) PressKey(VK_F1, modifiers);
    EXPECT_TRUE(Opened().empty());
}

TEST_F(HelpTest, AMissingPageFallsBackToTheIndexAndAMissingFolderIsSilent) {
    StartWithHelp({L"index.html"});
    Choose("actionShowHideFindPanel");
    PressKey(VK_F1);  // no 0006.html
    EXPECT_EQ(Opened(), (std::vector<std::wstring>{Page(L"index.html")}));
    LocalInfo.ProgramFolder = ToU16(temp_.Path(L"nowhere\\"));
    PressKey(VK_F1);
    Choose("actionHelp");
    EXPECT_EQ(Opened().size(), 1u);  // no message either: the prompter would have failed the test
}

TEST_F(HelpTest, TheWebAddressesAreOnTheMakersHost) {
    Start();
    Choose("actionOnlineHelp");
    Choose("actionWebPage");
    EXPECT_EQ(Opened(), (std::vector<std::wstring>{L"https://" PALIMP_MAKER_DOMAIN L"/Palimp/help/",
                                                   L"https://" PALIMP_MAKER_DOMAIN L"/Palimp/?ver=1.2"}));
}

}  // namespace
}  // namespace palimp
