// The status line under the editor: the caret's line and column in characters, the selection's
// length, the encoding a save writes; shown and hidden from the View menu; never more often
// than every 50 ms.
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

#include "core/errors.h"
#include "gui_support.h"

namespace palimp {
namespace {

class StatusLineTest : public GuiTest {
protected:
    HWND Bar() { return Named(Main(), "statusBar"); }
    // The text of a part as the user reads it (without the tabs that align it).
    std::wstring Part(int part) {
        const int length = LOWORD(SendMessageW(Bar(), SB_GETTEXTLENGTHW, part, 0));
        std::wstring text(static_cast<size_t>(length) + 1, L'\0');
        SendMessageW(Bar(), SB_GETTEXTW, part, reinterpret_cast<LPARAM>(text.data()));
        text.resize(static_cast<size_t>(length));
        text.erase(0, text.find_first_not_of(L'\t') == std::wstring::npos ? text.size() : text.find_first_not_of(L'\t'));
        return text;
    }
    // Long enough for the line's timer to come round.
    void Settle() {
        Sleep(70);
        Pump();
    }
    RECT PlaceInMain(HWND control) {
        RECT r = ScreenRectOf(control);
        MapWindowPoints(nullptr, MainHandle(), reinterpret_cast<POINT*>(&r), 2);
        return r;
    }
};

TEST_F(StatusLineTest, ShowsTheCaretsLineAndColumnTheSelectionAndTheSaveEncoding) {
    struct Row {
        const char* name;
        std::wstring text;
        std::function<void()> act;
        std::wstring place;
        std::wstring selection;
    };
    const Row rows[] = {
        {"an empty document", L"", [] {}, L"Ln 1, Col 1", L""},
        {"typed", L"", [this] { Type(L"ab\rc"); }, L"Ln 2, Col 2", L""},
        {"on the second line", L"one\r\ntwo", [this] { Select(7, 7); }, L"Ln 2, Col 3", L""},
        {"a tab is one column", L"\tx", [this] { Select(1, 1); }, L"Ln 1, Col 2", L""},
        {"a surrogate pair is one column", L"a\U0001F600b", [this] { Select(3, 3); }, L"Ln 1, Col 3",
         L""},
        {"a selection across a line break", L"one\r\ntwo", [this] { Select(2, 6); }, L"Ln 2, Col 2",
         L"4 characters selected"},
        {"a selection holding a surrogate pair", L"a\U0001F600b", [this] { Select(0, 4); },
         L"Ln 1, Col 4", L"3 characters selected"},
        {"one character", L"abc", [this] { Select(1, 2); }, L"Ln 1, Col 3", L"1 character selected"},
        {"after Select All (the caret at the start)", L"x\r\n", [this] { PressKey('A', kCtrl); }, L"Ln 1, Col 1",
         L"3 characters selected"},
        {"the selection typed over", L"abc", [this] { PressKey('A', kCtrl); Type(L"z"); },
         L"Ln 1, Col 2", L""},
    };
    Start();
    SetFocus(Memo());
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        SetDocument(row.text);
        row.act();
        Settle();
        EXPECT_EQ(Part(0), row.place);
        EXPECT_EQ(Part(1), row.selection);
        EXPECT_EQ(Part(2), L"Saves as UTF-16 LE");
    }
}

TEST_F(StatusLineTest, TheViewMenuShowsAndHidesItUnderTheEditorWithEveryTextWhole) {
    for (int dpi : {96, 144}) {
        SCOPED_TRACE(std::to_string(dpi) + " DPI");
        SetEnvironmentVariableW(L"PALIMP_FORCE_DPI", std::to_wstring(dpi).c_str());
        Start();
        SetEnvironmentVariableW(L"PALIMP_FORCE_DPI", nullptr);
        EXPECT_TRUE(MenuChecked("actionStatusBar"));
        SetDocument(L"one two");
        Select(4, 7);
        Settle();
        RECT client = ClientOf(MainHandle());
        ASSERT_TRUE(IsWindowVisible(Bar()));
        EXPECT_EQ(PlaceInMain(Bar()).bottom, client.bottom);
        EXPECT_EQ(PlaceInMain(Memo()).bottom, PlaceInMain(Bar()).top);
        // Each part holds its text whole, in the line's font; in the narrowest window the
        // selection may give way, the caret's place and the encoding never.
        HDC dc = GetDC(Bar());
        HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(Bar(), WM_GETFONT, 0, 0)));
        for (bool narrowest : {false, true}) {
            if (narrowest) {
                SetWindowPos(MainHandle(), nullptr, 0, 0, 0, Main().Scale(450), SWP_NOMOVE | SWP_NOZORDER);
                Settle();
            }
            for (int part : narrowest ? std::vector<int>{0, 2} : std::vector<int>{0, 1, 2}) {
                RECT r = {};
                SendMessageW(Bar(), SB_GETRECT, part, reinterpret_cast<LPARAM>(&r));
                SIZE text = {};
                const std::wstring shown = Part(part);
                GetTextExtentPoint32W(dc, shown.c_str(), static_cast<int>(shown.size()), &text);
                EXPECT_LE(text.cx, r.right - r.left) << ToUtf8(ToU16(shown)) << (narrowest ? " (narrowest)" : "");
                EXPECT_LE(text.cy, r.bottom - r.top) << ToUtf8(ToU16(shown));
            }
        }
        SelectObject(dc, old);
        ReleaseDC(Bar(), dc);
        GetClientRect(MainHandle(), &client);

        Choose("actionStatusBar");
        EXPECT_FALSE(MenuChecked("actionStatusBar"));
        EXPECT_FALSE(IsWindowVisible(Bar()));
        EXPECT_EQ(PlaceInMain(Memo()).bottom, client.bottom);  // the editor takes the room
        Select(0, 0);
        Choose("actionStatusBar");
        EXPECT_TRUE(MenuChecked("actionStatusBar"));
        EXPECT_EQ(Part(0), L"Ln 1, Col 1");  // up to date as soon as it shows
        EXPECT_EQ(PlaceInMain(Memo()).bottom, PlaceInMain(Bar()).top);
        Stop();
    }
}

// Typing as fast as the keys come never updates the line more often than every 50 ms, and it
// shows the caret's last place soon after.
TEST_F(StatusLineTest, ItChangesAtMostEveryFiftyMilliseconds) {
    Start();
    SetFocus(Memo());
    Settle();
    int updates = 0;
    SentMessageWatch watch([&](HWND hwnd, UINT message, WPARAM part, LPARAM) {
        if (hwnd == Bar() && message == SB_SETTEXTW && LOBYTE(part) == 0) ++updates;
    });
    const DWORD start = GetTickCount();
    for (int i = 0; i < 40; ++i) {
        Type(L"x");
        Sleep(5);
    }
    const DWORD elapsed = GetTickCount() - start;
    EXPECT_LE(updates, static_cast<int>(elapsed / 50) + 1) << elapsed << " ms";
    Settle();
    EXPECT_EQ(Part(0), L"Ln 1, Col 41");
}

}  // namespace
}  // namespace palimp
