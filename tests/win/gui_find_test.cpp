// The find panel and the special searches as the user drives them: showing and hiding the
// panel, the keys of the find box, the options menu, the buttons, and the "Search for" classes
// with F4. Where each search lands is tested in core; here the wiring and what the user sees.
#include <windows.h>

#include "gui_support.h"

namespace palimp {
namespace {

class FindTest : public GuiTest {
protected:
    // The document holds text, typed (Enter gives a CR LF), with the caret at its start.
    void StartWith(const std::wstring& text) {
        Start();
        SetFocus(Memo());
        Type(text);
        Select(0, 0);
    }
    HWND FindBox() { return Named(Main(), "edFind"); }
    bool PanelShown() { return IsWindowVisible(Named(Main(), "panelFind")) != FALSE; }
    // Types the phrase into the find box and presses Enter count times, collecting the
    // selections.
    std::vector<std::pair<DWORD, DWORD>> EnterTimes(int count) {
        std::vector<std::pair<DWORD, DWORD>> seen;
        for (int i = 0; i < count; ++i) {
            PressKey(VK_RETURN);
            seen.push_back(Selection());
        }
        return seen;
    }
};

TEST_F(FindTest, ThePanelShowsLeftOfTheLogoAndTakesTheFocus) {
    StartWith(L"");
    EXPECT_FALSE(ActionNamed("actionFind").Enabled());  // Ctrl+F needs text
    PressKey('F', kCtrl);
    EXPECT_FALSE(PanelShown());
    Choose("actionShowHideFindPanel");  // the View menu works on an empty document
    ASSERT_TRUE(PanelShown());
    EXPECT_TRUE(MenuChecked("actionShowHideFindPanel"));
    EXPECT_EQ(GetFocus(), FindBox());
    RECT panel = PlaceOf(Named(Main(), "panelFind"));
    RECT logo = PlaceOf(Named(Main(), "imageLogo"));
    EXPECT_EQ(panel.right, logo.left);
    EXPECT_EQ(panel.right - panel.left, 236);
    EXPECT_EQ(panel.bottom - panel.top, 36);
    EXPECT_EQ(SendMessageW(FindBox(), EM_GETLIMITTEXT, 0, 0), 100);
    EXPECT_EQ(ControlHelpContext(FindBox()), 6);

    PressKey(VK_ESCAPE);  // hides the panel and hands the focus back
    EXPECT_FALSE(PanelShown());
    EXPECT_FALSE(MenuChecked("actionShowHideFindPanel"));
    EXPECT_EQ(GetFocus(), Memo());
    EXPECT_EQ(Text(), L"");  // Escape typed nothing anywhere
}

TEST_F(FindTest, TabMovesOnWhileThePanelIsUpAndTypesATabOtherwise) {
    StartWith(L"ab");
    Choose("actionShowHideFindPanel");
    SetFocus(Memo());
    PressKey(VK_TAB);
    EXPECT_NE(GetFocus(), Memo());
    EXPECT_EQ(Text(), L"ab");
    SetFocus(FindBox());
    PressKey(VK_ESCAPE);
    Select(1, 1);
    PressKey(VK_TAB);
    EXPECT_EQ(GetFocus(), Memo());
    EXPECT_EQ(Text(), L"a\tb");
}

TEST_F(FindTest, EnterSearchesOnFromTheSelectionAndTheFocusStaysInTheBox) {
    StartWith(L"aaaa");
    PressKey('F', kCtrl);
    Type(L"aa");
    using Sel = std::pair<DWORD, DWORD>;
    EXPECT_EQ(EnterTimes(4), (std::vector<Sel>{{0, 2}, {1, 3}, {2, 4}, {0, 2}}));
    EXPECT_EQ(prompter_.Beeps(), 1);  // the wrap-around
    EXPECT_EQ(GetFocus(), FindBox());
    EXPECT_TRUE(IsWindowEnabled(MainHandle()));

    Select(2, 4);
    Choose("actionFindBack");
    EXPECT_EQ(Selection(), (Sel{1, 3}));
    SetWindowTextW(FindBox(), L"x");
    PressKey(VK_F3);
    EXPECT_EQ(Selection(), (Sel{1, 3}));  // a miss keeps the selection
    EXPECT_EQ(prompter_.Beeps(), 2);

    PressKey('F', kCtrl);  // on a visible panel: the whole phrase is selected, ready to retype
    DWORD start = 1, end = 0;
    SendMessageW(FindBox(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 0u);
    EXPECT_EQ(end, 1u);
}

TEST_F(FindTest, TheOptionsMenuDropsBelowTheBoxAndSwitchesTheOptions) {
    StartWith(L"Cat cat");
    PressKey('F', kCtrl);
    Type(L"cat");
    prompter_.ChooseInMenu(L"Case sensitive");
    SendMessageW(Named(Main(), "sbtnFindOptions"), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    SendMessageW(Named(Main(), "sbtnFindOptions"), WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
    Pump();
    ASSERT_EQ(prompter_.Popups().size(), 1u);
    const auto& popup = prompter_.Popups()[0];
    EXPECT_EQ(popup.items, (std::vector<std::wstring>{L"Case sensitive", L"Whole words only", L"-", L"Hide Find Panel"}));
    const RECT box = ScreenRectOf(Named(Main(), "shapeFindEdit")), arrow = ScreenRectOf(Named(Main(), "sbtnFindOptions"));
    EXPECT_EQ(popup.at.x, box.left);
    EXPECT_EQ(popup.at.y, arrow.bottom + 1);
    EXPECT_TRUE(ItemNamed("miCaseSensitive").Checked());
    PressKey(VK_RETURN);
    EXPECT_EQ(Selection(), (std::pair<DWORD, DWORD>{4, 7}));  // only the lower-case one

    prompter_.ChooseInMenu(L"Hide Find Panel");
    SetFocus(Named(Main(), "edFind"));
    PressKey(VK_DOWN, kAlt);  // the keyboard's way to the options
    EXPECT_EQ(prompter_.Popups().size(), 2u);
    EXPECT_FALSE(PanelShown());
    EXPECT_TRUE(ItemNamed("miCaseSensitive").Checked());  // options stay for the next showing
}

TEST_F(FindTest, TheButtonsFollowTheTextAndSearch) {
    StartWith(L"");
    Choose("actionShowHideFindPanel");
    HWND next = Named(Main(), "sbtnFindNext");
    HWND back = Named(Main(), "sbtnFindBack");
    EXPECT_FALSE(IsWindowEnabled(next));
    EXPECT_FALSE(IsWindowEnabled(back));
    EXPECT_EQ(Main().HintOf(next), L"Find Next");
    SetFocus(Memo());
    Type(L"one two one");
    ASSERT_TRUE(IsWindowEnabled(back));
    SetWindowTextW(FindBox(), L"one");
    Select(11, 11);
    SendMessageW(back, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageW(back, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(Selection(), (std::pair<DWORD, DWORD>{8, 11}));
}

TEST_F(FindTest, SearchForRemembersTheClassAndF4RepeatsIt) {
    StartWith(L"ab, cd. ef");
    Choose("miPunctuation1");
    EXPECT_EQ(Selection(), (std::pair<DWORD, DWORD>{2, 3}));
    EXPECT_TRUE(MenuChecked("miPunctuation1"));
    EXPECT_FALSE(MenuChecked("miNonASCIICharacter1"));
    EXPECT_EQ(ItemNamed("miSearchFor").Tag(), 5);
    PressKey(VK_F4);
    EXPECT_EQ(Selection(), (std::pair<DWORD, DWORD>{6, 7}));
    PressKey(VK_F4);
    EXPECT_EQ(Selection(), (std::pair<DWORD, DWORD>{2, 3}));
    EXPECT_EQ(prompter_.Beeps(), 1);

    Choose("miNonASCIICharacter1");  // none here: a beep, the selection stays, the mark moves
    EXPECT_EQ(Selection(), (std::pair<DWORD, DWORD>{2, 3}));
    EXPECT_TRUE(MenuChecked("miNonASCIICharacter1"));
    EXPECT_EQ(prompter_.Beeps(), 2);

    prompter_.AnswerMessage(L"Save changes?", IDNO);
    Choose("actionNew");
    PressKey(VK_F4);  // F4 does not need text: it only beeps
    EXPECT_EQ(prompter_.Beeps(), 3);
}

// Faults found and fixed; each test names the one it guards against.
using FindRegressions = FindTest;

// A repeated "White Character" search reported the line end it had just reported, forever.
TEST_F(FindRegressions, ARepeatedWhiteSearchMovesPastTheLineEndItReported) {
    StartWith(L"a\rb c");
    Choose("miWhiteCharacter1");
    EXPECT_EQ(Selection(), (std::pair<DWORD, DWORD>{1, 1}));  // caret before the line end
    PressKey(VK_F4);
    EXPECT_EQ(Selection(), (std::pair<DWORD, DWORD>{4, 5}));  // on past it, to the space
    EXPECT_EQ(prompter_.Beeps(), 0);
}

// Disabling the main window during a search took the focus out of the find box, so a second
// Enter went to the editor instead.
TEST_F(FindRegressions, TheFocusStaysInTheFindBoxAcrossSearches) {
    StartWith(L"x x x");
    PressKey('F', kCtrl);
    Type(L"x");
    EnterTimes(2);
    EXPECT_EQ(GetFocus(), FindBox());
    EXPECT_EQ(Text(), L"x x x");
    EXPECT_EQ(Selection(), (std::pair<DWORD, DWORD>{2, 3}));
}

// In a narrow window the logo covered the Back button, and at the smallest width the find panel
// was 20 pixels wide: the focused find box could not be seen.
TEST_F(FindRegressions, InANarrowWindowTheFindBoxWasCoveredOrSqueezedAway) {
    StartWith(L"text");
    PressKey('F', kCtrl);
    const HWND top = Named(Main(), "panelTop");
    for (int width : {625, 524, 450, 350}) {
        SetWindowPos(MainHandle(), nullptr, 0, 0, Main().Scale(width), Main().Scale(450), SWP_NOMOVE | SWP_NOZORDER);
        Pump();
        const RECT panel = ScreenRectOf(top);
        const RECT box = ScreenRectOf(FindBox());
        EXPECT_GE(box.right - box.left, Main().Scale(80)) << width;
        EXPECT_EQ(GetFocus(), FindBox()) << width;
        for (const char* part : {"edFind", "sbtnFindOptions", "sbtnFindNext", "sbtnFindBack"}) {
            const RECT r = ScreenRectOf(Named(Main(), part));
            RECT inside;
            IntersectRect(&inside, &r, &panel);
            EXPECT_EQ(inside, r) << part << " is cut at a width of " << width;
            EXPECT_TRUE(IsWindowVisible(Named(Main(), part))) << part << " at " << width;
            for (const char* other : {"toolBar", "imageLogo"}) {
                HWND window = Named(Main(), other);
                const RECT o = ScreenRectOf(window);
                RECT overlap;
                EXPECT_FALSE(IsWindowVisible(window) && IntersectRect(&overlap, &r, &o))
                    << other << " covers " << part << " at a width of " << width;
            }
        }
        // The editor starts under the top panel, whatever its height.
        EXPECT_GE(ScreenRectOf(Memo()).top, panel.bottom) << width;
    }
}

// Tab into the find box kept the caret where it was; a Windows user expects the text selected,
// to type over it.
TEST_F(FindRegressions, TabIntoTheFindBoxDidNotSelectItsText) {
    StartWith(L"abc");
    PressKey('F', kCtrl);
    Type(L"ab");
    for (unsigned modifiers : {kNoModifier, kShift}) {
        SendMessageW(FindBox(), EM_SETSEL, 1, 1);
        SetFocus(Memo());
        for (int i = 0; i < 8 && GetFocus() != FindBox(); ++i) PressKey(VK_TAB, modifiers);
        ASSERT_EQ(GetFocus(), FindBox());
        DWORD start = 9, end = 9;
        SendMessageW(FindBox(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
        EXPECT_EQ(start, 0u) << modifiers;
        EXPECT_EQ(end, 2u) << modifiers;
    }
    EXPECT_EQ(Text(), L"abc");
}

// After File > Open with the panel shown the focus went back to the find box, not to the
// document just opened.
TEST_F(FindRegressions, AfterOpenTheFocusWentBackToTheFindBox) {
    StartWith(L"");
    Choose("actionShowHideFindPanel");
    ASSERT_EQ(GetFocus(), FindBox());
    OpenFileHolding("opened");
    EXPECT_EQ(Text(), L"opened");
    EXPECT_EQ(GetFocus(), Memo());
}

}  // namespace
}  // namespace palimp
