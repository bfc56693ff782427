// Settings kept from one run to the next in the registry: what the user set is there after a
// restart, a first run has the start-up look, and damaged values fall back without a word.
#include <windows.h>

#include <string>
#include <utility>

#include "core/table_file.h"
#include "gui_support.h"
#include "win/form_table.h"

namespace palimp {
namespace {

class SettingsTest : public GuiTest {
protected:
    TFormTable& Table() { return App().FormTable(); }
    RECT NormalPlace(HWND window) {
        WINDOWPLACEMENT placement = {sizeof(placement)};
        GetWindowPlacement(window, &placement);
        return placement.rcNormalPosition;
    }
    SIZE OuterSize(HWND window) {
        RECT r = NormalPlace(window);
        return {r.right - r.left, r.bottom - r.top};
    }
    // Ends the run as the user does, so that it keeps its settings.
    void Quit() {
        Main().Close();
        Pump();
        ASSERT_TRUE(App().Terminated());
        Stop();
    }
};

// What the user switches, each kept for the next run.
constexpr const char* kSwitches[] = {"actionWordWrap", "actionShowHideFindPanel", "miCaseSensitive", "actionStatusBar"};

TEST_F(SettingsTest, WhatTheUserSetIsThereAfterARestart) {
    const std::wstring table = temp_.Path(L"kept.palimp");
    WriteBytes(table, WriteTableFile({u"", {{u"kept", u"row", u""}}}));
    Start();
    SetWindowPos(MainHandle(), nullptr, 30, 40, 560, 420, SWP_NOZORDER);
    prompter_.ChooseInFontDialog(L"Courier New", 14);
    Choose("actionFont");
    for (const char* name : kSwitches) Choose(name);
    Table().LoadTable(table);
    Choose(Table(), "actionFontLarger");
    SetWindowPos(Table().Handle(), nullptr, 0, 0, 640, 480, SWP_NOMOVE | SWP_NOZORDER);
    const RECT place = NormalPlace(MainHandle());
    Choose("actionFullScreen");  // maximised at the end of the run
    Pump();
    Quit();

    Start();
    EXPECT_EQ(Main().EditorFontFace(), L"Courier New");
    EXPECT_EQ(Main().EditorFontSize(), 14);
    EXPECT_TRUE(ItemNamed("miFontSize14").Checked());
    EXPECT_FALSE(ActionNamed("actionWordWrap").Checked());
    EXPECT_FALSE(Main().Editor().WordWrap());
    EXPECT_TRUE(ActionNamed("actionShowHideFindPanel").Checked());
    EXPECT_TRUE(IsWindowVisible(Named(Main(), "panelFind")));
    EXPECT_TRUE(ItemNamed("miCaseSensitive").Checked());
    EXPECT_FALSE(ItemNamed("miWholeWordsOnly").Checked());
    EXPECT_FALSE(ActionNamed("actionStatusBar").Checked());
    EXPECT_FALSE(IsWindowVisible(Named(Main(), "statusBar")));
    EXPECT_TRUE(IsZoomed(MainHandle()));
    EXPECT_EQ(NormalPlace(MainHandle()), place);
    EXPECT_EQ(Table().FileName(), table);
    EXPECT_EQ(Table().Table().Cell(kSearchColumn, 1), u"kept");
    EXPECT_EQ(Table().GridFontSize(), 11);
    EXPECT_EQ(OuterSize(Table().Handle()).cx, 640);
    EXPECT_EQ(OuterSize(Table().Handle()).cy, 480);

    // Back to the start-up look, and a third run shows it again.
    Choose("actionFullScreen");
    for (const char* name : kSwitches) Choose(name);
    Quit();
    Start();
    EXPECT_FALSE(IsZoomed(MainHandle()));
    EXPECT_TRUE(ActionNamed("actionWordWrap").Checked());
    EXPECT_FALSE(IsWindowVisible(Named(Main(), "panelFind")));
    EXPECT_FALSE(ItemNamed("miCaseSensitive").Checked());
    EXPECT_TRUE(IsWindowVisible(Named(Main(), "statusBar")));
}

TEST_F(SettingsTest, DamagedValuesFallBackToTheStartUpLookWithoutAWord) {
    const std::wstring key = SettingsKey();
    auto text = [&](const wchar_t* name, const std::wstring& value) {
        RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), name, REG_SZ, value.c_str(),
                        static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    };
    text(L"FontSize", L"huge");
    for (const auto& [name, value] : {std::pair<const wchar_t*, DWORD>{L"FontFace", 12}, {L"WordWrap", 7}, {L"WindowLeft", 10},
                                      {L"WindowTop", 10}, {L"WindowWidth", 0xFFFFFFFF}, {L"WindowHeight", 300},
                                      {L"TableFontSize", 99}}) {
        RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), name, REG_DWORD, &value, sizeof(value));
    }
    text(L"LastTableFile", temp_.Path(L"gone.palimp"));
    Start();  // an unexpected message box would fail the test
    EXPECT_EQ(Main().EditorFontFace(), L"Lucida Console");
    EXPECT_EQ(Main().EditorFontSize(), 10);
    EXPECT_TRUE(ActionNamed("actionWordWrap").Checked());
    EXPECT_EQ(App().FormTable().GridFontSize(), 10);
    EXPECT_EQ(App().FormTable().FileName(), L"");
    // Centred at the design size, as on a first run.
    const RECT window = ScreenRectOf(MainHandle()), client = ClientOf(MainHandle());
    EXPECT_EQ(client.right, Main().Scale(617));
    MONITORINFO monitor = {sizeof(monitor)};
    GetMonitorInfoW(MonitorFromWindow(MainHandle(), MONITOR_DEFAULTTOPRIMARY), &monitor);
    EXPECT_NEAR((window.left + window.right) / 2, (monitor.rcWork.left + monitor.rcWork.right) / 2, 1);
    EXPECT_TRUE(prompter_.Messages().empty());
}

}  // namespace
}  // namespace palimp
