// The about box: its texts, fonts, colours and places (unscaled at any DPI), the link that
// continues the copyright line, and closing it with Enter, Esc and the close box through its
// real modal loop.
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <utility>
#include <vector>

#include "core/product.h"
#include "gui_support.h"
#include "win/ui/dpi.h"
#include "win/ui/fonts.h"
#include "win/dlg_about.h"
#include "win/resources/resource_ids.h"
#include "win/system/wide.h"

namespace palimp {

namespace {

// The text colour the dialog gives a label when it is drawn.
COLORREF TextColourOf(HWND dialog, HWND label) {
    HDC dc = CreateCompatibleDC(nullptr);
    SendMessageW(dialog, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(label));
    COLORREF colour = GetTextColor(dc);
    DeleteDC(dc);
    return colour;
}

constexpr const char* kControls[] = {"imageTop",     "imageLogo40",    "labelProgramName", "labelSlogan", "Bevel1",
                                     "labelVersion", "labelCopyright", "labelWww",         "OKBtn"};

struct Snapshot {
    std::vector<std::wstring> texts;
    std::vector<std::vector<LONG>> places;
    bool operator==(const Snapshot&) const = default;
};

Snapshot Take(TdlgAbout& about) {
    Snapshot s;
    s.texts.push_back(about.Caption());
    for (const char* name : kControls) {
        HWND control = Named(about, name);
        RECT r = PlaceOf(control);
        s.texts.push_back(TextOf(control));
        s.places.push_back({r.left, r.top, r.right, r.bottom});
    }
    return s;
}

class AboutTest : public GuiTest {
protected:
    TdlgAbout& About() { return App().dlgAbout(); }
    HWND Get(const char* name) { return Named(About(), name); }
    ModalResult ShowModalWith(std::vector<std::function<void()>> steps) { return RunModal(About(), std::move(steps)); }
};

TEST_F(AboutTest, ShowsItsTextsAtTheirPlaces) {
    Start();
    RECT client = ClientOf(About().Handle());
    EXPECT_EQ(client.right, 416);
    EXPECT_EQ(client.bottom, 252);
    EXPECT_EQ(About().Caption(), L"About Palimp");
    EXPECT_FALSE(About().IsVisible());

    // Zero width or height: the label's size follows its text.
    ExpectLayout(About(), {{"imageTop", 0, 0, 416, 91},
                           {"imageLogo40", 20, 99, 40, 40},
                           {"labelProgramName", 68, 98, 0, 0},
                           {"labelSlogan", 68, 122, 0, 0},
                           {"Bevel1", 184, 193, 232, 8},
                           {"labelVersion", 8, 216, 0, 0},
                           {"labelCopyright", 8, 232, 0, 0},
                           {"OKBtn", 294, 213, 90, 30}});
    const struct { const char* name; std::wstring text; } texts[] = {
        {"labelProgramName", L"Palimp 1.2 Free"},
        {"labelSlogan", L"Replace many text phrases at once"},
        {"labelVersion", L"Version: 1.2 Free"},
        {"labelCopyright", std::wstring(WideView(u"" PALIMP_COPYRIGHT)) + L" "},
        {"OKBtn", L"OK"},
    };
    for (const auto& e : texts) {
        SCOPED_TRACE(e.name);
        HWND control = Get(e.name);
        EXPECT_EQ(TextOf(control), e.text);
        RECT r = PlaceOf(control);
        if (e.name != std::string("OKBtn")) {
            EXPECT_EQ(r.right - r.left, TextExtent(control).cx);
            EXPECT_GT(r.bottom - r.top, 10);
        }
    }
}

TEST_F(AboutTest, TheWebAddressContinuesTheCopyrightLineClearOfTheButton) {
    Start();
    HWND www = Get("labelWww");
    EXPECT_EQ(TextOf(www), std::wstring(WideView(product::kMakerDomain)));
    RECT copyright = PlaceOf(Get("labelCopyright"));
    RECT link = PlaceOf(www);
    EXPECT_EQ(link.left, copyright.right);
    EXPECT_EQ(link.top, copyright.top);
    EXPECT_EQ(link.right - link.left, TextExtent(www).cx);
    // The line must fit beside the OK button, or the button hides the end of the address.
    RECT ok = PlaceOf(Get("OKBtn"));
    RECT overlap;
    EXPECT_FALSE(IntersectRect(&overlap, &link, &ok)) << "the address runs to x=" << link.right << " under the OK button";
}

TEST_F(AboutTest, LabelsHaveTheirFontsAndColours) {
    Start();
    const std::wstring tahoma = Fonts::ResolveFace(L"Tahoma");
    const struct { const char* name; LONG height; bool italic, underline; COLORREF colour; } expected[] = {
        {"labelProgramName", -19, false, false, RGB(0x3E, 0x3E, 0x86)},
        {"labelSlogan", -13, true, false, RGB(0x00, 0x40, 0x00)},
        {"labelVersion", -11, false, false, GetSysColor(COLOR_WINDOWTEXT)},
        {"labelCopyright", -11, false, false, GetSysColor(COLOR_WINDOWTEXT)},
        {"labelWww", -11, false, true, RGB(0x00, 0x00, 0xFF)},
    };
    for (const auto& e : expected) {
        SCOPED_TRACE(e.name);
        LOGFONTW font = FontOf(Get(e.name));
        EXPECT_EQ(font.lfHeight, e.height);
        EXPECT_EQ(font.lfItalic != 0, e.italic);
        EXPECT_EQ(font.lfUnderline != 0, e.underline);
        EXPECT_EQ(TextColourOf(About().Handle(), Get(e.name)), e.colour);
    }
    for (const char* name : {"labelVersion", "labelCopyright", "labelWww", "OKBtn"}) {
        EXPECT_EQ(FontOf(Get(name)).lfFaceName, tahoma) << name;
    }
    // Verdana, or a face much like it where Verdana is missing.
    EXPECT_STREQ(FontOf(Get("labelProgramName")).lfFaceName, FontOf(Get("labelSlogan")).lfFaceName);
}

TEST_F(AboutTest, StaysAtItsDesignSizeOnAScaledScreen) {
    SetEnvironmentVariableW(L"PALIMP_FORCE_DPI", L"144");
    Start();
    SetEnvironmentVariableW(L"PALIMP_FORCE_DPI", nullptr);
    RECT mainClient = ClientOf(MainHandle());
    ASSERT_EQ(mainClient.right, dpi::Scale(617, 144)) << "the forced DPI did not reach the program";

    RECT client = ClientOf(About().Handle());
    EXPECT_EQ(client.right, 416);
    EXPECT_EQ(client.bottom, 252);
    RECT ok = PlaceOf(Get("OKBtn"));
    EXPECT_EQ(ok.left, 294);
    EXPECT_EQ(ok.right - ok.left, 90);
    EXPECT_EQ(FontOf(Get("labelVersion")).lfHeight, -11);
}

TEST_F(AboutTest, EnterEscAndTheCloseBoxEndTheModalShowing) {
    Start();
    const Action* exit = About().Actions().Find("actionExit");
    ASSERT_NE(exit, nullptr);
    EXPECT_EQ(exit->Caption(), L"Exit");
    EXPECT_EQ(exit->GetShortcut(), (Shortcut{VK_ESCAPE, kNoModifier}));

    const struct { const char* how; std::function<void(HWND)> close; ModalResult expected; } cases[] = {
        {"Enter", [](HWND) { PostKey(GetFocus(), VK_RETURN); }, ModalResult::OK},
        {"Esc", [](HWND) { PostKey(GetFocus(), VK_ESCAPE); }, ModalResult::Cancel},
        {"close box", [](HWND dialog) { PostMessageW(dialog, WM_CLOSE, 0, 0); }, ModalResult::Cancel},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.how);
        bool wasUp = false;
        ModalResult result = ShowModalWith({[&] {
            wasUp = About().IsVisible() && !IsWindowEnabled(MainHandle());
            EXPECT_EQ(GetFocus(), Get("OKBtn"));
            c.close(About().Handle());
        }});
        EXPECT_TRUE(wasUp);
        EXPECT_EQ(result, c.expected);
        EXPECT_FALSE(About().IsVisible());
        EXPECT_TRUE(IsWindowEnabled(MainHandle()));
    }
}

TEST_F(AboutTest, TheLinkOpensTheMakersSiteAndLeavesTheBoxOpen) {
    Start();
    HWND www = Get("labelWww");
    bool stillUp = false;
    ModalResult result = ShowModalWith({
        [&] {
            SendMessageW(www, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
            SendMessageW(www, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
        },
        [&] {
            stillUp = About().IsVisible() && About().IsModal();
            PostKey(GetFocus(), VK_ESCAPE);
        },
    });
    EXPECT_TRUE(stillUp);
    EXPECT_EQ(result, ModalResult::Cancel);
    EXPECT_EQ(prompter_.ShellOpens(), std::vector<std::wstring>{std::wstring(WideView(product::kMakerUrl))});
}

TEST_F(AboutTest, TheLinkShowsAHandAndTheHintOpen) {
    Start();
    HWND www = Get("labelWww");
    HCURSOR hand = LoadCursorW(nullptr, IDC_HAND);
    EXPECT_TRUE(SendMessageW(About().Handle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(www), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
    EXPECT_EQ(GetCursor(), hand);
    SetCursor(LoadCursorW(nullptr, IDC_ARROW));
    SendMessageW(About().Handle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(Get("labelVersion")),
                 MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_NE(GetCursor(), hand);

    EXPECT_EQ(About().HintOf(www), L"Open");
}

TEST_F(AboutTest, ShowingItAgainShowsTheSameTextsAndPlaces) {
    Start();
    // Shown twice, ended by Esc, then by Enter.
    Snapshot shown[2];
    const std::pair<UINT, ModalResult> ends[] = {{VK_ESCAPE, ModalResult::Cancel}, {VK_RETURN, ModalResult::OK}};
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(ShowModalWith({[&] { shown[i] = Take(About()); PostKey(GetFocus(), ends[i].first); }}), ends[i].second);
    }
    EXPECT_EQ(shown[0].texts.front(), L"About Palimp");
    EXPECT_TRUE(shown[0] == shown[1]);
}

TEST_F(AboutTest, TheBannerIsDrawn) {
    Start();
    auto banner = static_cast<HBITMAP>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDB_ABOUT_BANNER),
                                                  IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    ASSERT_NE(banner, nullptr) << "no banner picture in the resources";
    BITMAP info = {};
    GetObjectW(banner, sizeof info, &info);
    EXPECT_EQ(info.bmWidth, 416);
    EXPECT_EQ(info.bmHeight, 91);

    // What the box shows at a few points of the banner is the picture's colour there (the
    // banner is opaque, so premultiplying leaves it unchanged).
    std::vector<std::pair<COLORREF, COLORREF>> seen;
    ShowModalWith({[&] {
        UpdateWindow(About().Handle());
        HDC screen = GetDC(Get("imageTop"));
        HDC memory = CreateCompatibleDC(screen);
        HGDIOBJ old = SelectObject(memory, banner);
        for (POINT p : {POINT{10, 10}, POINT{50, 44}, POINT{200, 40}, POINT{400, 89}}) {
            seen.emplace_back(GetPixel(screen, p.x, p.y), GetPixel(memory, p.x, p.y));
        }
        SelectObject(memory, old);
        DeleteDC(memory);
        ReleaseDC(Get("imageTop"), screen);
        PostKey(GetFocus(), VK_ESCAPE);
    }});
    DeleteObject(banner);
    ASSERT_EQ(seen.size(), 4u);
    for (const auto& [shown, picture] : seen) {
        EXPECT_EQ(shown, picture);
        EXPECT_NE(shown, GetSysColor(COLOR_BTNFACE));
    }
}

}  // namespace
}  // namespace palimp
