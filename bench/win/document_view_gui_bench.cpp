// The document view as a user meets it, under Wine or Windows: opening a 20 MB file until its
// text is painted, word wrap on and off, a keystroke's repaint, Replace Many on 10 MB with a
// 1,000-pair table until the result is painted, its Undo, and the memory the editor holds.
// Runs the real program's start-up and commands; prints one line per figure.
#include <windows.h>
#include <psapi.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "core/replace_many.h"
#include "core/replacement_table.h"
#include "core/text_codec.h"
#include "win/app.h"
#include "win/form_main.h"
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

double PrivateMegabytes() {
    PROCESS_MEMORY_COUNTERS_EX counters = {sizeof(counters)};
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof(counters));
    // Wine reports no private bytes; the commit charge counts the same heap memory.
    SIZE_T bytes = counters.PrivateUsage ? counters.PrivateUsage : counters.PagefileUsage;
    return static_cast<double>(bytes) / 1e6;
}

void Line(const char* what, double seconds, double limit) {
    std::printf("%s %-44s %8.3f s  (aim: under %.3f s)\n", seconds < limit ? "ok  " : "SLOW", what, seconds, limit);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    palimp::Win32Prompter prompter;
    palimp::Application app(prompter, L"Palimp.exe");
    app.Initialize();
    palimp::TFormMain& main = app.FormMain();
    palimp::EditorView& view = main.Editor();
    ShowWindow(main.Handle(), SW_SHOW);
    auto paint = [&] { RedrawWindow(main.Handle(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN); };
    auto run = [&](const char* action) { main.Actions().Find(action)->Execute(); };
    std::mt19937 random(42);

    // 20 MB as a file of UTF-8 (plain ASCII), opened as File > Open does.
    wchar_t folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    const std::wstring path = std::wstring(folder) + L"palimp-bench-20mb.txt";
    {
        std::u16string big = Document(20u * 1000 * 1000, random);
        std::string bytes(big.begin(), big.end());
        std::ofstream(std::filesystem::path(path), std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    double before = PrivateMegabytes();
    double open = Seconds([&] { main.OpenDocument(path); paint(); });
    double held = PrivateMegabytes() - before;
    double wrapOff = Seconds([&] { run("actionWordWrap"); paint(); });
    double wrapOn = Seconds([&] { run("actionWordWrap"); paint(); });
    view.Select(view.Length() / 2, 0);
    paint();
    double keystroke = Seconds([&] {
        SendMessageW(view.Handle(), WM_CHAR, 'x', 1);
        paint();
    });
    view.ReplaceAll(view.Text());  // a whole-text step in the history, as a pass leaves it
    double withHistory = PrivateMegabytes() - before;
    DeleteFileW(path.c_str());

    const std::u16string text = Document(10u * 1000 * 1000, random);  // 10 MB of text
    const palimp::ReplacementTable table = Table(1000, random);
    view.Load(text);
    paint();
    std::u16string read;
    double readBack = Seconds([&] { read = main.DocumentText(); });
    palimp::ReplaceResult result;
    double engine = Seconds([&] { result = palimp::ReplaceManyEngine(table.Items()).Run(read); });
    double take = Seconds([&] { view.ReplaceAll(result.output); paint(); });
    view.Load(text);
    paint();
    double pass = Seconds([&] { main.ReplaceManyPass(table); paint(); });
    double undo = Seconds([&] { run("actionEditUndo"); paint(); });
    bool undone = view.Text() == text;

    // One line of 4 MB, wrapped.
    std::u16string oneLine = Document(4u * 1000 * 1000, random);
    for (char16_t& c : oneLine)
        if (c == u'\r' || c == u'\n') c = u' ';
    view.Load(u"");
    double longLine = Seconds([&] { view.Load(oneLine); paint(); });
    view.Select(view.Length() / 2, 0);
    paint();
    double longLineKey = Seconds([&] {
        SendMessageW(view.Handle(), WM_CHAR, 'x', 1);
        paint();
    });

    std::printf("document view, 20 MB file and 10 MB x 1,000 pairs\n");
    Line("open 20 MB until painted", open, 0.5);
    Line("word wrap off on 20 MB", wrapOff, 0.5);
    Line("word wrap on on 20 MB", wrapOn, 0.5);
    Line("a keystroke in 20 MB, repainted", keystroke, 0.020);
    Line("Replace Many 10 MB x 1,000 pairs, painted", pass, 0.5);
    Line("Undo of that pass, painted", undo, 0.5);
    std::printf("     of the pass: reading the text %.3f s, the engine %.3f s, the editor taking the result %.3f s\n",
                readBack, engine, take);
    Line("one 4 MB line, word wrap on, until painted", longLine, 0.5);
    Line("a keystroke in that line, repainted", longLineKey, 0.020);
    std::printf("%s undo gives back the text before the pass exactly\n", undone ? "ok  " : "FAIL");
    std::printf("%s memory for the 20 MB document: %.0f MB, with a whole-text undo step %.0f MB (aim: under %.0f MB)\n",
                withHistory < 80 ? "ok  " : "BIG ", held, withHistory, 80.0);
    std::fflush(stdout);
    // Ends without a "Save changes?" question: the real prompter would wait for an answer.
    view.SetSavePoint();
    return 0;
}
