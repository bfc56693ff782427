// What the main window shows while it changes and while it works: the toolbar strip after a
// resize, and the new title, a fresh painting and the hourglass during long operations.
#include "gui_support.h"

#include <Scintilla.h>

#include <functional>
#include <vector>

#include "core/errors.h"
#include "win/form_table.h"
#include "win/ui/busy_cursor.h"

namespace palimp {
namespace {

class FeedbackTest : public GuiTest {
protected:
    // The pixels of the top panel that the screen shows and its painting does not: its own
    // ground and bevels only, not its controls (which paint themselves). Returns the first
    // such pixel's column, or -1.
    int FirstStalePanelColumn() {
        HWND panel = Named(Main(), "panelTop");
        Rendering shown(panel, RenderingSource::Screen);
        Rendering painted(panel);
        std::vector<RECT> controls;
        for (HWND child = GetWindow(panel, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            if (IsWindowVisible(child)) controls.push_back(PlaceOf(child));
        }
        for (int x = 0; x < shown.Width(); ++x) {
            for (int y = 0; y < shown.Height(); ++y) {
                POINT p = {x, y};
                bool onControl = false;
                for (const RECT& r : controls) onControl = onControl || PtInRect(&r, p);
                if (!onControl && shown.At(x, y) != painted.At(x, y)) return x;
            }
        }
        return -1;
    }
    void Resize(int widthChange) {
        RECT r = ScreenRectOf(MainHandle());
        SetWindowPos(MainHandle(), nullptr, 0, 0, r.right - r.left + widthChange, r.bottom - r.top,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        Pump();
    }
};

// (Regression: widening the window, by its edge or with F11, left a raised vertical line at
// each former right edge of the toolbar strip; narrowing it left the new edge undrawn.)
// Regressions: widening the window used to leave old edges in the toolbar strip; long work used
// to show the old title, no hourglass and an unpainted window.
using FeedbackRegressions = FeedbackTest;

TEST_F(FeedbackRegressions, TheToolbarStripShowsNoOldEdgesAfterAResize) {
    struct Row {
        const char* name;
        std::function<void()> resize;
    };
    const Row rows[] = {
        {"wider by the edge", [this] { Resize(100); }},
        {"narrower by the edge", [this] { Resize(-150); }},
        {"maximised with F11", [this] { PressKey(VK_F11); }},
        {"restored with F11", [this] { PressKey(VK_F11); }},
        {"a little wider", [this] { Resize(3); }},
    };
    Start();
    UpdateWindow(MainHandle());
    ASSERT_EQ(FirstStalePanelColumn(), -1);
    for (const Row& row : rows) {
        row.resize();
        UpdateWindow(MainHandle());
        EXPECT_EQ(FirstStalePanelColumn(), -1) << row.name;
    }
}

// Long work: the title names the file and the window is painted before the work starts, the
// hourglass shows while it runs, and the arrow is back for any message and afterwards.
// (Regression: opening 20 MB kept the old title and menu remnants for 11 s, with the arrow.)
TEST_F(FeedbackRegressions, LongWorkShowsTheNewTitleAPaintedWindowAndTheHourglass) {
    std::wstring path = temp_.Path(L"big.txt");
    std::string bytes;
    for (int i = 0; i < 20000; ++i) bytes += "a line of a big enough text\r\n";
    WriteBytes(path, bytes);
    Start();
    HWND toolBar = Named(Main(), "toolBar");

    struct Seen {
        bool happened = false;
        bool hourglass = false;
        bool hourglassAfterMouseMove = false;
        std::wstring caption;
        bool toolbarUnpainted = false;
    };
    // Looks at the program when the editor is sent message during the command.
    auto during = [&](UINT message, const std::function<void()>& command) {
        Seen seen;
        SentMessageWatch watch([&](HWND hwnd, UINT sent, WPARAM, LPARAM) {
            if (sent != message || seen.happened || GetParent(hwnd) != MainHandle()) return;
            seen.happened = true;
            seen.hourglass = HourglassShown();
            seen.caption = Caption();
            seen.toolbarUnpainted = GetUpdateRect(toolBar, nullptr, FALSE) != FALSE;
            // The mouse moves over the window meanwhile: the windows keep the hourglass.
            SetCursor(LoadCursorW(nullptr, IDC_ARROW));
            SendMessageW(MainHandle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(Memo()), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
            seen.hourglassAfterMouseMove = HourglassShown();
        });
        command();
        return seen;
    };
    struct Row {
        const char* name;
        UINT message;  // sent to the editor while the work runs
        std::function<void()> command;
        std::wstring caption;
    };
    const Row rows[] = {
        {"open", SCI_ADDTEXT, [&] { OpenThroughDialog(path); }, L"big.txt - Palimp 1.2 Free"},
        {"word wrap off", SCI_SETWRAPMODE, [&] { Choose("actionWordWrap"); }, L"big.txt - Palimp 1.2 Free"},
        {"word wrap on", SCI_SETWRAPMODE, [&] { Choose("actionWordWrap"); }, L"big.txt - Palimp 1.2 Free"},
        {"a larger font", SCI_STYLESETSIZEFRACTIONAL, [&] { Choose("actionFontLarger"); }, L"big.txt - Palimp 1.2 Free"},
        {"save as", SCI_GETCHARACTERPOINTER,
         [&] {
             prompter_.ChooseInSave(temp_.Path(L"copy.txt"));
             Choose("actionSaveAs");
         },
         L"copy.txt - Palimp 1.2 Free"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        InvalidateRect(toolBar, nullptr, TRUE);  // as a closed menu leaves it
        Seen seen = during(row.message, row.command);
        ASSERT_TRUE(seen.happened);
        EXPECT_TRUE(seen.hourglass);
        EXPECT_TRUE(seen.hourglassAfterMouseMove);
        EXPECT_EQ(seen.caption, row.caption);
        EXPECT_FALSE(seen.toolbarUnpainted);
        EXPECT_FALSE(HourglassShown());
        EXPECT_FALSE(BusyCursor::Active());
    }
    EXPECT_EQ(ReadBytes(temp_.Path(L"copy.txt")).size(), 2 + 2 * bytes.size());

    // Messages come with the arrow, after the work.
    HANDLE lock = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    prompter_.ChooseInOpen(path);
    prompter_.AnswerMessage(L"Error #4020. Problem during loading file.", IDOK);
    Choose("actionOpen");
    CloseHandle(lock);
    ASSERT_GE(prompter_.Messages().size(), 1u);
    for (const TestPrompter::Message& message : prompter_.Messages()) EXPECT_FALSE(message.hourglass) << ToUtf8(ToU16(message.text));
}

// Work starts with every window of the program painted, and the hourglass shows over whichever
// window the pointer is on. (Regression: with the pointer where the Open dialog had been, or
// over the text, the arrow or the I-beam stayed for the whole load of a big file.)
TEST_F(FeedbackRegressions, TheHourglassShowsOverEveryWindowOfTheProgramPaintedFirst) {
    Start();
    Choose("actionShowHideFindPanel");
    App().FormTable().Show();
    Pump();
    const struct {
        const char* name;
        HWND window;
    } rows[] = {
        {"the editor", Memo()},
        {"the find box", Named(Main(), "edFind")},
        {"the toolbar", Named(Main(), "toolBar")},
        {"the status line", Named(Main(), "statusBar")},
        {"the main window", MainHandle()},
        {"the table grid", Named(App().FormTable(), "sgTable")},
        {"a button of the table window", Named(App().FormTable(), "btnAdd")},
    };
    for (const auto& row : rows) InvalidateRect(row.window, nullptr, TRUE);  // as a closed dialog leaves them
    {
        BusyCursor busy;
        for (const auto& row : rows) {
            SCOPED_TRACE(row.name);
            EXPECT_FALSE(GetUpdateRect(row.window, nullptr, FALSE)) << "unpainted";
            SetCursor(LoadCursorW(nullptr, IDC_ARROW));
            SendMessageW(row.window, WM_SETCURSOR, reinterpret_cast<WPARAM>(row.window), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
            EXPECT_TRUE(HourglassShown());
        }
    }
    App().FormTable().Hide();
}

TEST(BusyCursor, NestedScopesShareOneShowingAndTheCursorBeforeComesBack) {
    HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW);
    SetCursor(arrow);
    {
        BusyCursor outer;
        EXPECT_TRUE(HourglassShown());
        {
            BusyCursor inner;
            EXPECT_TRUE(BusyCursor::Active());
        }
        EXPECT_TRUE(BusyCursor::Active());
        EXPECT_TRUE(HourglassShown());
    }
    EXPECT_FALSE(BusyCursor::Active());
    EXPECT_EQ(GetCursor(), arrow);
}

}  // namespace
}  // namespace palimp
