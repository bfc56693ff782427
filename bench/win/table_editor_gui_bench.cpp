// How fast the table editor handles a large table: opening a 100,000-row table file until the
// grid shows it, Ctrl+End, Select All with Delete (which keeps every row), and deleting all
// rows but the first. Starts the program through its real start-up sequence with a prompter
// that answers the Open dialog, and drives the window with its own messages; each step ends
// when the grid has painted. Prints the best and the median of several rounds.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "core/table_file.h"
#include "win/app.h"
#include "win/form_table.h"
#include "win/system/document_file.h"
#include "win/ui/prompter.h"

namespace palimp {
namespace {

constexpr int kRows = 100000;
constexpr int kRounds = 5;

// Answers the Open dialog with one file; everything else is declined.
class BenchPrompter final : public Prompter {
public:
    std::wstring file;
    int menuChoice = 0;  // the command id a popup menu returns
    int ShowMessageBox(HWND, std::wstring_view, std::wstring_view, UINT) override { return IDOK; }
    std::optional<std::wstring> OpenFile(HWND, const FileDialogRequest&) override { return file; }
    std::optional<std::wstring> SaveFile(HWND, const FileDialogRequest&) override { return std::nullopt; }
    bool ShowFontDialog(HWND, FontRequest&) override { return false; }
    void ShellOpen(HWND, std::wstring_view) override {}
    void Beep() override {}
    ModalResult ShowModal(Form&) override { return ModalResult::Cancel; }
    int ShowPopupMenu(HWND, HMENU, POINT, UINT) override { return menuChoice; }
};

double Seconds() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

void Press(Application& app, HWND target, UINT key, bool ctrl, bool shift = false) {
    BYTE keys[256] = {};
    if (ctrl) keys[VK_CONTROL] = keys[VK_LCONTROL] = 0x80;
    if (shift) keys[VK_SHIFT] = keys[VK_LSHIFT] = 0x80;
    keys[key] = 0x80;
    SetKeyboardState(keys);
    PostMessageW(target, WM_KEYDOWN, key, 1);
    app.ProcessMessages();
    BYTE released[256] = {};
    SetKeyboardState(released);
}

struct Step {
    std::string name;
    std::function<void()> prepare;  // not timed
    std::function<void()> run;      // timed, until the grid has painted
};

}  // namespace
}  // namespace palimp

int wmain() {
    using namespace palimp;
    wchar_t folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    BenchPrompter prompter;
    prompter.file = std::wstring(folder) + L"palimp-bench-100000.palimp";
    TableFileContent content;
    for (int i = 0; i < kRows; ++i) {
        std::string n = std::to_string(i);
        std::u16string number(n.begin(), n.end());
        content.rows.push_back({u"word" + number, u"r" + number, i % 3 ? u"" : u"C,W"});
    }
    const std::string bytes = WriteTableFile(content);
    WriteFileReplacing(prompter.file, bytes);

    Application app(prompter, L"Palimp.exe");
    app.Initialize();
    TFormTable& table = app.FormTable();
    table.Show();
    app.ProcessMessages();
    HWND grid = table.Control("sgTable");
    HWND open = table.Control("stbnOpen");
    auto painted = [&] {
        app.ProcessMessages();
        UpdateWindow(grid);
    };
    auto click = [&](HWND button) {
        SendMessageW(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
        SendMessageW(button, WM_LBUTTONUP, 0, MAKELPARAM(4, 4));
    };
    HWND openLast = table.Control("sbtnOpenLast");
    auto newTable = [&] {
        prompter.menuChoice = 1;  // "(new)" of the folder menu
        click(openLast);
        prompter.menuChoice = 0;
        painted();
    };
    const std::vector<Step> steps = {
        {"open the table file, grid painted", newTable, [&] { click(open); painted(); }},
        {"Ctrl+End", [&] { Press(app, grid, VK_HOME, true); painted(); }, [&] { Press(app, grid, VK_END, true); painted(); }},
        {"Select All + Delete (keeps every row)", [&] { Press(app, grid, VK_HOME, true); painted(); },
         [&] {
             Press(app, grid, 'A', true);
             Press(app, grid, VK_DELETE, false);
             painted();
         }},
        {"delete rows 2..100,000",
         [&] {
             click(open);
             Press(app, grid, VK_DOWN, false);
             Press(app, grid, VK_END, true, true);
             painted();
         },
         [&] { Press(app, grid, VK_DELETE, false); painted(); }},
    };
    std::printf("table editor, %d rows, %zu bytes of table file; seconds, best and median of %d\n", kRows, bytes.size(),
                kRounds);
    int status = 0;
    for (const Step& step : steps) {
        std::vector<double> times;
        for (int round = 0; round < kRounds; ++round) {
            step.prepare();
            double start = Seconds();
            step.run();
            times.push_back(Seconds() - start);
        }
        std::sort(times.begin(), times.end());
        std::printf("  %-40s %7.3f %7.3f %s\n", step.name.c_str(), times.front(), times[times.size() / 2],
                    times[times.size() / 2] < 1.0 ? "ok" : "SLOW (aim: under a second)");
        if (times[times.size() / 2] >= 1.0) status = 1;
    }
    std::printf("  rows after the last step: %d\n", table.Table().ItemCount());
    DeleteFileW(prompter.file.c_str());
    return status;
}
