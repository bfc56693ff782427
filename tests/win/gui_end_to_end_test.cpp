// End to end through the real system: the real Save As dialog and message box (found on screen
// and answered like a user would), and real key presses from the keyboard queue.
#include "gui_support.h"

#include <algorithm>
#include <functional>

#include "core/errors.h"

namespace palimp {
namespace {

struct FoundDialog {
    std::wstring caption;
    HWND hwnd = nullptr;
};

BOOL CALLBACK FindDialog(HWND hwnd, LPARAM lParam) {
    auto* found = reinterpret_cast<FoundDialog*>(lParam);
    wchar_t className[16] = {};
    GetClassNameW(hwnd, className, 16);
    if (IsWindowVisible(hwnd) && std::wstring(className) == L"#32770" && TextOf(hwnd) == found->caption) {
        found->hwnd = hwnd;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK CollectTexts(HWND hwnd, LPARAM lParam) {
    reinterpret_cast<std::vector<std::wstring>*>(lParam)->push_back(TextOf(hwnd));
    return TRUE;
}

class EndToEndTest : public GuiTest {
protected:
    // Steps that look for the system dialog with this caption for a while, then answer it
    // with the button id.
    std::vector<std::function<void()>> AnswerDialog(const std::wstring& caption, int button) {
        std::vector<std::function<void()>> steps;
        for (int attempt = 0; attempt < 100; ++attempt) {
            steps.push_back([this, caption, button] {
                if (answered_) return;
                FoundDialog found{caption};
                EnumThreadWindows(GetCurrentThreadId(), FindDialog, reinterpret_cast<LPARAM>(&found));
                if (!found.hwnd) return;
                EnumChildWindows(found.hwnd, CollectTexts, reinterpret_cast<LPARAM>(&texts_));
                answered_ = true;
                PostMessageW(found.hwnd, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
            });
        }
        return steps;
    }
    bool Shown(const std::wstring& text) { return std::find(texts_.begin(), texts_.end(), text) != texts_.end(); }
    bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 5000) {
        for (DWORD start = GetTickCount(); GetTickCount() - start < timeoutMs;) {
            Pump();
            if (done()) return true;
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        }
        return false;
    }
    static void Send(std::vector<INPUT> inputs) { SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)); }
    static INPUT Key(WORD key, bool up) {
        INPUT input = {};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = key;
        input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
        return input;
    }

    Win32Prompter real_;
    bool answered_ = false;
    std::vector<std::wstring> texts_;
};

TEST_F(EndToEndTest, CtrlSOnAnUntitledDocumentOpensTheRealSaveAsDialog) {
    Start(L"", &real_);
    Type(L"unsaved");
    TimedSteps steps(AnswerDialog(L"Save As", IDCANCEL), 100);
    PressKey('S', kCtrl);
    EXPECT_TRUE(answered_) << "no Save As dialog appeared";
    EXPECT_EQ(Caption(), L"Untitled - Palimp 1.2 Free");
    EXPECT_TRUE(Modified());
}

TEST_F(EndToEndTest, TheRealQuestionBeforeNew) {
    Start(L"", &real_);
    Type(L"unsaved");
    TimedSteps steps(AnswerDialog(L"Palimp", IDNO), 100);
    Choose("actionNew");
    EXPECT_TRUE(answered_) << "no question appeared";
    EXPECT_TRUE(Shown(L"Save changes?"));
    EXPECT_EQ(Text(), L"");
}

TEST_F(EndToEndTest, RealKeyPressesReachTheEditorAndTheShortcuts) {
    Start();
    SetForegroundWindow(MainHandle());
    SetFocus(Memo());
    Send({Key('H', false), Key('H', true), Key('I', false), Key('I', true)});
    EXPECT_TRUE(PumpUntil([&] { return Text() == L"hi"; })) << "typed: " << ToUtf8(U16View(Text()));
    Send({Key(VK_F11, false), Key(VK_F11, true)});
    EXPECT_TRUE(PumpUntil([&] { return IsZoomed(MainHandle()) != FALSE; }));
    Send({Key(VK_CONTROL, false), Key(VK_OEM_PLUS, false), Key(VK_OEM_PLUS, true), Key(VK_CONTROL, true)});
    EXPECT_TRUE(PumpUntil([&] { return Main().EditorFontSize() == 11; }));
    // The second keys of Larger and Smaller, from the real keyboard queue (where a numeric
    // keypad + with Ctrl also makes a "+" character, which must not reach the document).
    Send({Key(VK_CONTROL, false), Key(VK_ADD, false), Key(VK_ADD, true), Key(VK_CONTROL, true)});
    EXPECT_TRUE(PumpUntil([&] { return Main().EditorFontSize() == 12; }));
    Send({Key(VK_CONTROL, false), Key(VK_SHIFT, false), Key(VK_OEM_PLUS, false), Key(VK_OEM_PLUS, true),
          Key(VK_SHIFT, true), Key(VK_CONTROL, true)});
    EXPECT_TRUE(PumpUntil([&] { return Main().EditorFontSize() == 13; }));
    Send({Key(VK_CONTROL, false), Key(VK_SUBTRACT, false), Key(VK_SUBTRACT, true), Key(VK_CONTROL, true)});
    EXPECT_TRUE(PumpUntil([&] { return Main().EditorFontSize() == 12; }));
    Pump();
    EXPECT_EQ(Text(), L"hi");
}

}  // namespace
}  // namespace palimp
