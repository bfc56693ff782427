// How Replace Many spends its time in the editor, under Wine or Windows: reading a 10 MB
// document out of the edit control, the engine with a 1,000-pair table, and the edit control
// taking the result; and for comparison the edit control alone taking the same text. Runs the
// real program's start-up and its pass; prints one line per figure.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "core/replace_many.h"
#include "core/replacement_table.h"
#include "win/app.h"
#include "win/form_main.h"
#include "win/system/wide.h"
#include "win/ui/prompter.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(const std::function<void()>& work) {
    auto start = Clock::now();
    work();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Words of three to eight letters, lines of about 70 characters, CR LF line ends.
std::u16string Document(size_t units, std::mt19937& random) {
    std::u16string text;
    text.reserve(units + 80);
    std::uniform_int_distribution<int> length(3, 8), letter(0, 25);
    size_t lineStart = 0;
    while (text.size() < units) {
        int n = length(random);
        for (int i = 0; i < n; ++i) text += static_cast<char16_t>(u'a' + letter(random));
        if (text.size() - lineStart > 70) {
            text += u"\r\n";
            lineStart = text.size();
        } else {
            text += u' ';
        }
    }
    return text;
}

palimp::ReplacementTable Table(size_t pairs, std::mt19937& random) {
    std::vector<palimp::TableRow> rows;
    std::uniform_int_distribution<int> length(3, 6), letter(0, 25);
    for (size_t i = 0; i < pairs; ++i) {
        std::u16string phrase;
        int n = length(random);
        for (int k = 0; k < n; ++k) phrase += static_cast<char16_t>(u'a' + letter(random));
        rows.push_back({phrase, phrase + u"X", i % 3 == 0 ? u"W" : u""});
    }
    palimp::ReplacementTable table;
    table.SetItems(std::move(rows));
    return table;
}

void SetText(HWND memo, const std::u16string& text) {
    SendMessageW(memo, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(palimp::AsWide(text.c_str())));
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    palimp::Win32Prompter prompter;
    palimp::Application app(prompter, L"Palimp.exe");
    app.Initialize();
    palimp::TFormMain& main = app.FormMain();
    HWND memo = main.Memo();
    std::mt19937 random(42);
    const std::u16string text = Document(10u * 1000 * 1000 / 2, random);  // 10 MB of UTF-16
    const palimp::ReplacementTable table = Table(1000, random);

    SetText(memo, text);
    std::u16string read;
    double readSeconds = Seconds([&] { read = main.DocumentText(); });
    palimp::ReplaceResult result;
    double engineSeconds = Seconds([&] { result = palimp::ReplaceManyEngine(table.Items()).Run(read); });
    double takeSeconds = Seconds([&] {
        SendMessageW(memo, EM_SETSEL, 0, -1);
        SendMessageW(memo, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(palimp::AsWide(result.output.c_str())));
    });

    SetText(memo, text);
    double commandSeconds = Seconds([&] { main.ReplaceManyPass(table); });

    SetText(memo, text);
    double aloneSeconds = Seconds([&] {
        SendMessageW(memo, EM_SETSEL, 0, -1);
        SendMessageW(memo, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(palimp::AsWide(text.c_str())));
    });

    double ours = readSeconds + engineSeconds;
    std::printf("document          %zu units (%.1f MB UTF-16), %d replacements, 1,000 pairs\n", text.size(),
                text.size() * 2 / 1e6, result.found);
    std::printf("read from editor  %8.3f s\n", readSeconds);
    std::printf("engine            %8.3f s\n", engineSeconds);
    std::printf("editor takes it   %8.3f s\n", takeSeconds);
    std::printf("whole command     %8.3f s\n", commandSeconds);
    std::printf("editor alone      %8.3f s  (EM_REPLACESEL of the same size, for comparison)\n", aloneSeconds);
    std::printf("%s  ours (read + engine) %.1f %% of the command (aim: under 10 %%)\n",
                ours < 0.1 * commandSeconds ? "ok   " : "FAIL ", 100.0 * ours / commandSeconds);
    std::fflush(stdout);
    // Ends without a "Save changes?" question: the real prompter would wait for an answer.
    SendMessageW(memo, EM_SETMODIFY, FALSE, 0);
    return 0;
}
