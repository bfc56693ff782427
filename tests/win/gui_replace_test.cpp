// Replace Many as the user meets it: the pass over the document with the rows of the table,
// one Undo, the figures in the caption, the progress dialog with each way of cancelling, and a
// clipboard that keeps what it held.
#include <windows.h>

#include "core/errors.h"
#include "core/replacement_table.h"
#include "core/table_file.h"
#include "gui_support.h"
#include "win/dlg_progress.h"
#include "win/form_table.h"

namespace palimp {
namespace {

struct Pair {
    std::u16string search, replace, options;
};

ReplacementTable TableOf(const std::vector<Pair>& pairs) {
    ReplacementTable table;
    std::vector<TableRow> rows;
    for (const Pair& p : pairs) rows.push_back({p.search, p.replace, p.options});
    table.SetItems(rows);
    return table;
}

class ReplaceTest : public GuiTest {
protected:
    void StartWith(const std::wstring& text) {
        Start();
        SetFocus(Memo());
        SetDocument(text);
    }
    // A clock that moves 300 ms at every reading, so that the pass refreshes at every chance;
    // onReading runs at each reading.
    void FastClock(std::function<void(int reading)> onReading = nullptr) {
        Main().SetPassClock([this, onReading] {
            ++readings_;
            if (onReading) onReading(readings_);
            return static_cast<std::uint32_t>(readings_ * 300);
        });
    }
    TdlgProgress& Progress() { return App().dlgProgress(); }
    int readings_ = 0;
};

TEST_F(ReplaceTest, OnePassOverTheTextWithTheFirstMatchingRowWinning) {
    struct Row {
        const char* what;
        std::wstring text;
        std::vector<Pair> pairs;
        std::wstring expected;
        int found;
    };
    const std::vector<Row> rows = {
        {"case folded", L"Cat cat CAT", {{u"cat", u"dog", u""}}, L"dog dog dog", 3},
        {"case sensitive", L"Cat cat CAT", {{u"cat", u"dog", u"C"}}, L"Cat dog CAT", 1},
        {"whole words", L"cat concat cats cat.", {{u"cat", u"dog", u"W"}}, L"dog concat cats dog.", 2},
        {"replacements are never rescanned", L"ab", {{u"a", u"b", u""}, {u"b", u"c", u""}}, L"bc", 2},
        {"the earlier row wins", L"ab", {{u"a", u"x", u""}, {u"ab", u"y", u""}}, L"xb", 1},
        {"the earlier row wins, reversed", L"ab", {{u"ab", u"y", u""}, {u"a", u"x", u""}}, L"y", 1},
        {"an empty replacement deletes", L"a-b-c", {{u"-", u"", u""}}, L"abc", 2},
        {"lower-case option letters are no options", L"Cat concat", {{u"cat", u"dog", u"c,w"}}, L"dog condog", 2},
        {"rows with an empty phrase are skipped", L"xyz", {{u"", u"never", u""}, {u"y", u"Y", u""}}, L"xYz", 1},
        {"line breaks are text like any other", L"a\r\nb", {{u"\r\n", u" ", u""}}, L"a b", 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        StartWith(L"");
        SetDocument(row.text);
        Main().ReplaceManyPass(TableOf(row.pairs));
        EXPECT_EQ(Text(), row.expected);
        EXPECT_TRUE(Modified());
        EXPECT_TRUE(ActionNamed("actionSave").Enabled());
        EXPECT_NE(Caption().find(L" (Found: " + std::to_wstring(row.found) + L"; Time: "), std::wstring::npos)
            << ToUtf8(AsU16(Caption().c_str()));
        Stop();
    }
}

TEST_F(ReplaceTest, OneUndoBringsBackTheOldTextAndTheCaretEndsAtTheEnd) {
    StartWith(L"one two one");
    Main().ReplaceManyPass(TableOf({{u"one", u"1", u""}}));
    EXPECT_EQ(Text(), L"1 two 1");
    EXPECT_EQ(Selection(), (std::pair<DWORD, DWORD>{7, 7}));
    Choose("actionEditUndo");
    EXPECT_EQ(Text(), L"one two one");
    EXPECT_FALSE(IsWindowVisible(Progress().Handle()));
    EXPECT_TRUE(IsWindowEnabled(MainHandle()));
}

TEST_F(ReplaceTest, NoPairInTheTextLeavesItAloneAndStillReportsFoundZero) {
    StartWith(L"nothing here");
    FastClock();
    Main().ReplaceManyPass(TableOf({{u"absent", u"x", u""}, {u"", u"y", u""}}));
    EXPECT_EQ(Text(), L"nothing here");
    EXPECT_FALSE(Modified());
    EXPECT_FALSE(Main().Editor().CanUndo());
    EXPECT_FALSE(Progress().IsVisible());
    EXPECT_EQ(Caption(), L"Untitled - Palimp 1.2 Free (Found: 0; Time: 0.3s)");
}

TEST_F(ReplaceTest, TheCommandShowsTheTableWindowAndTwoRunsShowOneSuffix) {
    StartWith(L"text");
    EXPECT_TRUE(ActionNamed("actionReplaceMany").Enabled());
    prompter_.WhenShownModally(App().FormTable(), nullptr, ModalResult::Cancel);
    PressKey(VK_F6);
    EXPECT_EQ(Caption(), L"Untitled - Palimp 1.2 Free");  // Cancel: nothing but the reset title
    for (int run = 0; run < 2; ++run) {
        prompter_.WhenShownModally(App().FormTable(), nullptr, ModalResult::OK);
        Choose("actionReplaceMany");
    }
    std::wstring caption = Caption();
    EXPECT_EQ(caption.find(L"(Found:"), caption.rfind(L"(Found:"));
    EXPECT_EQ(App().Title(), L"Untitled - Palimp 1.2 Free");  // the taskbar keeps the plain title
}

TEST_F(ReplaceTest, F6ThroughTheRealTableWindowReplacesWithItsRows) {
    StartWith(L"Cat cat concat");
    std::wstring table = temp_.Path(L"pets.palimp");
    WriteBytes(table, WriteTableFile({u"", {{u"cat", u"dog", u"W"}, {u"", u"", u""}}}));
    bool refusedWithoutPhrase = false;
    prompter_.WhenShownModallyRun(App().FormTable(), {
        [&] { PostKey(GetFocus(), VK_RETURN); },  // "Replace All" on the new, empty table: refused
        [&] {
            refusedWithoutPhrase = App().FormTable().IsModal();
            App().FormTable().LoadTable(table);
            PostKey(GetFocus(), VK_RETURN);
        },
    });
    PressKey(VK_F6);
    EXPECT_TRUE(refusedWithoutPhrase);
    EXPECT_EQ(Text(), L"dog dog concat");
    EXPECT_NE(Caption().find(L" (Found: 2; Time: "), std::wstring::npos);
    Choose("actionEditUndo");
    EXPECT_EQ(Text(), L"Cat cat concat");
}

TEST_F(ReplaceTest, InTheSelectionOnlyTheSelectedTextIsRewrittenAndThenSelected) {
    const std::wstring text = L"cat one\r\ncat two\r\ncat three";
    const struct Case {
        const char* what;
        int start, length;
        bool offered, tickedAtFirst, pressAltS;
        std::wstring after;
        std::pair<int, int> selectionAfter;
    } cases[] = {
        {"no selection: the whole text", 3, 0, false, false, false, L"lion one\r\nlion two\r\nlion three", {30, 0}},
        {"within a line: offered, not ticked", 9, 7, true, false, false, L"lion one\r\nlion two\r\nlion three",
         {30, 0}},
        {"within a line, ticked with Alt+S", 9, 7, true, false, true, L"cat one\r\nlion two\r\ncat three", {9, 8}},
        {"over two lines: ticked at once", 9, 12, true, true, false, L"cat one\r\nlion two\r\nlion three",
         {9, 14}},
        {"over two lines, unticked", 9, 12, true, true, true, L"lion one\r\nlion two\r\nlion three", {30, 0}},
        {"cutting a word: its edges are the text's ends", 10, 6, true, false, true,
         L"cat one\r\ncAT two\r\ncat three", {10, 6}},
    };
    StartWith(text);
    const std::wstring table = temp_.Path(L"cats.palimp");
    WriteBytes(table, WriteTableFile({u"", {{u"cat", u"lion", u"W"}, {u"at", u"AT", u"W"}, {u"", u"", u""}}}));
    App().FormTable().LoadTable(table);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetDocument(text);
        Select(c.start, c.start + c.length);
        HWND box = Named(App().FormTable(), "checkInSelection");
        bool offered = false, ticked = false;
        prompter_.WhenShownModallyRun(App().FormTable(), {[&] {
            offered = IsWindowEnabled(box) != FALSE;
            ticked = SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED;
            if (c.pressAltS) PressKey('S', kAlt);
            PostKey(GetFocus(), VK_RETURN);
        }});
        PressKey(VK_F6);
        EXPECT_EQ(offered, c.offered);
        EXPECT_EQ(ticked, c.tickedAtFirst);
        EXPECT_EQ(Text(), c.after);
        EXPECT_EQ(Main().Editor().Selection(), c.selectionAfter);
        // One Undo brings the text before the pass back.
        Choose("actionEditUndo");
        EXPECT_EQ(Text(), text);
    }
}

TEST_F(ReplaceTest, TheProgressDialogCountsAndEveryWayOfClosingItCancels) {
    std::wstring text;
    for (int line = 0; line < 20000; ++line) text += L"aaaa aaaa\r\n";
    const struct {
        const char* how;
        std::function<void(HWND dialog)> close;
    } ways[] = {
        {"Cancel", [](HWND dialog) { PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                                                  reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDCANCEL))); }},
        {"Esc", [](HWND dialog) { PostKey(GetDlgItem(dialog, IDCANCEL), VK_ESCAPE); }},
        {"close box", [](HWND dialog) { PostMessageW(dialog, WM_CLOSE, 0, 0); }},
        {"Alt+F4", [](HWND dialog) { PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); }},
    };
    for (const auto& way : ways) {
        SCOPED_TRACE(way.how);
        Start();
        SetDocument(text);
        std::wstring count;
        bool mainDisabled = false;
        FastClock([&](int reading) {
            if (reading == 3) {
                count = TextOf(Named(Progress(), "labelCount"));
                mainDisabled = !IsWindowEnabled(MainHandle());
                way.close(Progress().Handle());
            }
        });
        Main().ReplaceManyPass(TableOf({{u"a", u"b", u""}}));
        EXPECT_TRUE(CancelRequested);
        EXPECT_EQ(Text(), text);  // the document is as it was
        EXPECT_FALSE(Modified());
        EXPECT_EQ(Caption(), L"Untitled - Palimp 1.2 Free");
        EXPECT_TRUE(mainDisabled);
        EXPECT_TRUE(IsWindowEnabled(MainHandle()));
        EXPECT_FALSE(Progress().IsVisible());
        EXPECT_EQ(count.rfind(L"Found: ", 0), 0u) << ToUtf8(AsU16(count.c_str()));
        Stop();
        readings_ = 0;
    }
    // The next pass clears the flag and runs to the end.
    Start();
    SetDocument(L"aa");
    Main().ReplaceManyPass(TableOf({{u"a", u"b", u""}}));
    EXPECT_FALSE(CancelRequested);
    EXPECT_EQ(Text(), L"bb");
}

TEST_F(ReplaceTest, TheCountWithItsRateFitsOnItsLine) {
    Start();
    HWND label = Named(Progress(), "labelCount");
    Progress().SetCount(L"Found: 12345678 (12345678/s)");  // eight digits each
    EXPECT_TRUE(ShowsWholeText(label));
    EXPECT_EQ(PlaceOf(label).right, PlaceOf(Named(Progress(), "gauge")).right);
    HWND replacing = Named(Progress(), "labelReplacing");
    EXPECT_TRUE(ShowsWholeText(replacing));
    EXPECT_LE(PlaceOf(replacing).right, PlaceOf(label).left);
}

TEST_F(ReplaceTest, TheGaugeShowsThePercentageInvertedOverTheFilledPart) {
    Start();
    HWND gauge = Named(Progress(), "gauge");
    RECT client = ClientOf(gauge);
    Progress().SetPercent(140);  // clamped
    Rendering full(gauge);
    EXPECT_EQ(full.At(2, 2), RGB(0, 0, 0));
    EXPECT_EQ(full.At(client.right - 2, client.bottom - 2), RGB(0, 0, 0));
    Progress().SetPercent(50);
    Rendering half(gauge);
    EXPECT_EQ(half.At(2, 2), RGB(0, 0, 0));
    EXPECT_EQ(half.At(client.right - 2, 2), RGB(255, 255, 255));
    // The text "50%" straddles the edge: light pixels left of it, dark ones right of it.
    int white = 0, black = 0;
    for (int x = client.right / 2 - 40; x < client.right / 2 + 40; ++x) {
        for (int y = 0; y < client.bottom; ++y) {
            COLORREF c = half.At(x, y);
            int light = GetRValue(c) + GetGValue(c) + GetBValue(c);  // smoothed text is grey at its edges
            if (x < client.right / 2 && light > 500) ++white;
            if (x >= client.right / 2 && light < 265) ++black;
        }
    }
    EXPECT_GT(white, 10);
    EXPECT_GT(black, 10);
}

// Faults found and fixed; each test names the one it guards against.
using ReplaceRegressions = ReplaceTest;

// Delivering the result through the clipboard destroyed whatever else it held (a picture, a
// file list); the result now goes straight into the editor.
TEST_F(ReplaceRegressions, WhateverTheClipboardHeldIsStillThereAfterARun) {
    StartWith(L"cat");
    HDC screen = GetDC(nullptr);
    HBITMAP picture = CreateCompatibleBitmap(screen, 8, 8);
    ReleaseDC(nullptr, screen);
    ASSERT_TRUE(OpenClipboard(MainHandle()));
    EmptyClipboard();
    SetClipboardData(CF_BITMAP, picture);
    CloseClipboard();
    Main().ReplaceManyPass(TableOf({{u"cat", u"dog", u""}}));
    EXPECT_EQ(Text(), L"dog");
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_BITMAP));
    EXPECT_FALSE(IsClipboardFormatAvailable(CF_UNICODETEXT));
}

}  // namespace
}  // namespace palimp
