// Starts Palimp.exe as a user would, checks its main window through the Win32 API, and closes
// it: proof that the cross build, the resources and the Wine harness work together.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct FoundWindow {
    DWORD processId;
    HWND hwnd;
};

BOOL CALLBACK FindTopWindowOf(HWND hwnd, LPARAM lParam) {
    auto* found = reinterpret_cast<FoundWindow*>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid == found->processId && IsWindowVisible(hwnd) && GetWindow(hwnd, GW_OWNER) == nullptr) {
        found->hwnd = hwnd;
        return FALSE;
    }
    return TRUE;
}

std::wstring ExePath() {
    const char* env = std::getenv("PALIMP_EXE");
    std::string path = env ? env : "Palimp.exe";
    return std::wstring(path.begin(), path.end());
}

class RunningPalimp {
public:
    explicit RunningPalimp(std::wstring commandLine) {
        STARTUPINFOW si = {sizeof(si)};
        std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
        line.push_back(0);
        started_ = CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi_);
    }
    ~RunningPalimp() {
        if (!started_) return;
        if (WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(pi_.hProcess, 99);
        CloseHandle(pi_.hThread);
        CloseHandle(pi_.hProcess);
    }
    bool Started() const { return started_; }

    HWND WaitForMainWindow(DWORD timeoutMs) {
        WaitForInputIdle(pi_.hProcess, timeoutMs);
        for (DWORD waited = 0; waited < timeoutMs; waited += 50) {
            FoundWindow found = {pi_.dwProcessId, nullptr};
            EnumWindows(FindTopWindowOf, reinterpret_cast<LPARAM>(&found));
            if (found.hwnd) return found.hwnd;
            Sleep(50);
        }
        return nullptr;
    }

    // Exit code, or STILL_ACTIVE when it has not ended within the time.
    DWORD WaitForExit(DWORD timeoutMs) {
        WaitForSingleObject(pi_.hProcess, timeoutMs);
        DWORD code = STILL_ACTIVE;
        GetExitCodeProcess(pi_.hProcess, &code);
        return code;
    }

private:
    PROCESS_INFORMATION pi_ = {};
    bool started_ = false;
};

std::wstring CaptionOf(HWND hwnd) {
    wchar_t buffer[256] = {};
    GetWindowTextW(hwnd, buffer, 256);
    return buffer;
}

TEST(Smoke, StartsWithUntitledCaptionAndClosesCleanly) {
    RunningPalimp palimp(L"\"" + ExePath() + L"\"");
    ASSERT_TRUE(palimp.Started()) << "CreateProcess failed: " << GetLastError();

    HWND main = palimp.WaitForMainWindow(30000);
    ASSERT_NE(main, nullptr) << "no main window appeared";
    EXPECT_EQ(CaptionOf(main), L"Untitled - Palimp 1.2 Free");

    PostMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(palimp.WaitForExit(30000), 0u);
}

// The version information a user sees in the file's properties, and the error report reads.
TEST(Smoke, VersionResourceCarriesTheReleaseStrings) {
    std::wstring path = ExePath();
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeW(path.c_str(), &handle);
    ASSERT_GT(size, 0u);
    std::vector<char> block(size);
    ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, size, block.data()));

    auto query = [&](const wchar_t* key) -> std::wstring {
        void* value = nullptr;
        UINT length = 0;
        std::wstring sub = std::wstring(L"\\StringFileInfo\\040904E4\\") + key;
        if (!VerQueryValueW(block.data(), sub.c_str(), &value, &length) || !value) return L"<missing>";
        return static_cast<const wchar_t*>(value);
    };
    EXPECT_EQ(query(L"FileVersion"), L"1.2.0.5");
    EXPECT_EQ(query(L"ProductVersion"), L"1.2 Free");
    EXPECT_EQ(query(L"ProductName"), L"Palimp");
    EXPECT_EQ(query(L"OriginalFilename"), L"Palimp.exe");

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT fixedLength = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &fixedLength));
    EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(2, 1));
    EXPECT_EQ(fixed->dwFileVersionLS, MAKELONG(5, 0));
    EXPECT_TRUE(fixed->dwFileFlags & VS_FF_PRERELEASE);
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));

    DWORD* translation = nullptr;
    UINT translationLength = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation),
                               &translationLength));
    EXPECT_EQ(*translation, MAKELONG(0x0409, 1252));
}

}  // namespace
