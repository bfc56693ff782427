// The error report as the user meets it after a failure: the dialog with the report of a
// processor fault, an assertion or a division by zero, the preview, sending to a server (a
// loopback one of the test's own) and every way of closing, each of which ends the program,
// with unsaved text offered for saving first.
#include <winsock2.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cwchar>
#include <string>
#include <thread>

#include "core/errors.h"
#include "gui_support.h"

#include <cstdio>

#include "win/system/processor_faults.h"
#include "win/dialog_exception.h"
#include "win/form_notepad.h"
#include "win/ui/window.h"

namespace palimp {
namespace {

// A server on 127.0.0.1 that takes one request, keeps its request line and answers a body.
class LoopbackServer {
public:
    // The answer comes after delayMs, so that the dialog's state while it waits can be seen.
    explicit LoopbackServer(std::string body, DWORD delayMs = 0) : delayMs_(delayMs) {
        WSADATA wsa;
        WSAStartup(MAKEWORD(2, 2), &wsa);
        listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in address = {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        listen(listener_, 1);
        int size = sizeof address;
        getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &size);
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this, body = std::move(body)] { Serve(body); });
    }
    ~LoopbackServer() {
        thread_.join();
        closesocket(listener_);
    }
    std::u16string Address() const { return FromUtf8("http://127.0.0.1:" + std::to_string(port_)); }
    // The request line once the request is in, else empty.
    std::string RequestLine() const { return done_ ? requestLine_ : std::string(); }

private:
    void Serve(const std::string& body) {
        // Gives up after a while, so that a request that never comes cannot hang the test.
        fd_set ready;
        FD_ZERO(&ready);
        FD_SET(listener_, &ready);
        timeval wait = {15, 0};
        if (select(0, &ready, nullptr, nullptr, &wait) != 1) return;
        SOCKET client = accept(listener_, nullptr, nullptr);
        std::string head;
        char buffer[4096];
        while (head.find("\r\n\r\n") == std::string::npos) {
            int got = recv(client, buffer, sizeof buffer, 0);
            if (got <= 0) break;
            head.append(buffer, static_cast<size_t>(got));
        }
        Sleep(delayMs_);
        std::string answer = "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nContent-Length: " +
                             std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
        send(client, answer.data(), static_cast<int>(answer.size()), 0);
        closesocket(client);
        requestLine_ = head.substr(0, head.find("\r\n"));
        done_ = true;
    }
    DWORD delayMs_;
    SOCKET listener_ = INVALID_SOCKET;
    unsigned short port_ = 0;
    std::thread thread_;
    std::string requestLine_;
    std::atomic<bool> done_{false};
};

// A control whose typed character runs a failing command, as any command of the program would.
class FailingControl : public Control {
public:
    void Create(HWND parent, std::function<void()> fail) {
        fail_ = std::move(fail);
        CreateControl(parent, {.className = L"PalimpTestFailing"});
    }

protected:
    bool OnChar(wchar_t) override {
        fail_();
        return true;
    }

private:
    std::function<void()> fail_;
};

void WriteNullPointer() { *static_cast<volatile int*>(nullptr) = 1; }

unsigned long ProgramImageSize() {
    auto* base = reinterpret_cast<const unsigned char*>(GetModuleHandleW(nullptr));
    auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    return reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew)->OptionalHeader.SizeOfImage;
}

class ReportTest : public GuiTest {
protected:
    TDialogException& Dialog() { return App().DialogException(); }
    HWND Get(const char* name) { return Named(Dialog(), name); }
    void Click(HWND button) {
        PostMessageW(GetParent(button), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
                     reinterpret_cast<LPARAM>(button));
    }
    // Runs fail in a command of the program while the dialog shows; steps run inside it.
    void FailWith(std::function<void()> fail, std::vector<std::function<void()>> steps) {
        prompter_.WhenShownModallyRun(Dialog(), std::move(steps));
        Fail(std::move(fail));
    }
    void Fail(std::function<void()> fail) {
        failing_.Create(MainHandle(), std::move(fail));
        SendMessageW(failing_.Handle(), WM_CHAR, L'x', 0);
    }
    std::wstring Query() { return Dialog().ReportQuery(); }
    FailingControl failing_;
};
using ReportRegressions = ReportTest;

TEST_F(ReportTest, EveryKindOfFailureIsReportedWithItsFactsAndEndsTheProgram) {
    struct Row {
        const char* what;
        std::function<void()> fail;
        std::wstring query;  // expected in the query
        std::wstring text;   // expected in the readable text
    };
    const std::vector<Row> rows = {
        {"access violation", WriteNullPointer, L"&n=EAccessViolation&m=Access%20violation%20at%20address%20",
         L"Error Code: C0000005\r\nAddress: "},
        {"division by zero (Ctrl+Shift+Alt+Q)", [this] { SetFocus(Memo()); PressKey('Q', kCtrl | kShift | kAlt); },
         L"&n=EDivByZero&m=Division%20by%20zero&c=C0000094&a=", L"Error name: EDivByZero\r\n"},
        {"assertion", [] { FailAssertion(u"units\\uuFunctions", 405); },
         L"&n=EAssertionFailed&m=Assertion%20failure%20(uuFunctions,%20line%20405)&a=",
         L"Error message: Assertion failure (uuFunctions, line 405)\r\nAddress: "},
        {"the program's own failure", [] { throw EFOpenError(u"Cannot open file C:\\x.palimp"); },
         L"&n=EFOpenError&m=Cannot%20open%20file%20C:\\x.palimp&a=", L"Error name: EFOpenError"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        Start();
        bool upWithPageOne = false;
        FailWith(row.fail, {[&] {
                     upWithPageOne = Dialog().IsModal() && IsWindowVisible(Get("tsPleaseSend")) &&
                                     TextOf(Get("btnSend")) == L"&Send" && IsWindowEnabled(Get("btnCancel"));
                     Click(Get("btnCancel"));  // "Don't Send"
                 }});
        EXPECT_TRUE(upWithPageOne);
        EXPECT_TRUE(App().Terminated());
        EXPECT_EQ(Query().rfind(L"p=Palimp&v=1.2.0.5&s=", 0), 0u);
        EXPECT_NE(Query().find(row.query), std::wstring::npos) << ToUtf8(AsU16(Query().c_str()));
        EXPECT_NE(Dialog().ReportText().find(row.text), std::wstring::npos) << ToUtf8(AsU16(Dialog().ReportText().c_str()));
        // The address is where the failure arose, in the program, as if loaded at 00400000.
        size_t a = Query().find(L"&a=");
        ASSERT_NE(a, std::wstring::npos);
        const unsigned long address = std::wcstoul(Query().substr(a + 3, 8).c_str(), nullptr, 16);
        EXPECT_GE(address, 0x00400000ul) << ToUtf8(AsU16(Query().c_str()));
        EXPECT_LT(address, 0x00400000ul + ProgramImageSize()) << ToUtf8(AsU16(Query().c_str()));
        Stop();
    }
}

TEST_F(ReportTest, SendGoesToTheServerAndCloseEndsTheProgram) {
    LoopbackServer server("Thank you.\nReport 17 received.", 500);
    Start();
    Dialog().SetReportServer(server.Address());
    std::wstring shown;
    std::wstring sending;
    FailWith([] { throw Exception(u"Broken"); },
             {[&] {
                  SetWindowTextW(Get("edEmail"), L" me@example.org ");
                  SetWindowTextW(Get("memoComment"), L"a = b & c");
                  Click(Get("btnSend"));
              },
              [&] {
                  sending = TextOf(Get("labelSending"));
                  EXPECT_TRUE(IsWindowVisible(Get("tsAfterSend")));
                  EXPECT_FALSE(IsWindowEnabled(Get("btnCancel")));
                  EXPECT_EQ(TextOf(Get("btnSend")), L"&Close");
                  EXPECT_FALSE(IsWindowVisible(Get("labelHelpImprove")));
              },
              [&] { Sleep(1000); },  // the answer arrives meanwhile
              [&] {
                  shown = TextOf(Get("WebBrowser"));
                  EXPECT_EQ(TextOf(Get("labelSending")), L"");  // the answer has come
                  Click(Get("btnSend"));                       // now "Close"
              }});
    EXPECT_TRUE(App().Terminated());
    EXPECT_EQ(sending, L"Sending report...");
    EXPECT_EQ(shown, L"Thank you.\r\nReport 17 received.");
    std::string line = server.RequestLine();
    EXPECT_EQ(line.rfind("GET /cgi/send_bug.cgi?p=Palimp&v=1.2.0.5&s=", 0), 0u) << line;
    EXPECT_NE(line.find("&n=Exception&m=Broken&a="), std::string::npos) << line;
    EXPECT_NE(line.find("&e=me@example.org&d=a%20%3D%20b%20%26%20c HTTP/1.1"), std::string::npos) << line;
}

TEST_F(ReportTest, ThePreviewShowsTheReportAndTheFieldsAsTyped) {
    Start();
    std::wstring preview;
    std::wstring caption;
    FailWith([] { throw Exception(u"Broken"); },
             {[&] {
                  SetWindowTextW(Get("edEmail"), L"me@x");
                  SetWindowTextW(Get("memoComment"), L" two\r\nlines ");
                  prompter_.WhenShownModally(App().FormNotepad(), [&] {
                      preview = TextOf(Named(App().FormNotepad(), "memoNotepad"));
                      caption = App().FormNotepad().Caption();
                  }, ModalResult::Cancel);
                  Click(Get("btnSee"));
              },
              [&] { PostMessageW(Dialog().Handle(), WM_CLOSE, 0, 0); }});  // the close box ends it too
    EXPECT_TRUE(App().Terminated());
    EXPECT_EQ(caption, L"Palimp - Error Report");
    EXPECT_EQ(preview, Dialog().ReportText() + L"\r\nEmail: me@x\r\nNote:  two\r\nlines ");
    EXPECT_EQ(preview.rfind(L"Program: Palimp 1.2.0.5 (", 0), 0u);
}

TEST_F(ReportTest, TheDialogShowsItsControlsInTheirPlacesAndTabOrder) {
    Start();
    EXPECT_EQ(Dialog().Caption(), L"Palimp");
    RECT client = ClientOf(Dialog().Handle());
    EXPECT_EQ(client, (RECT{0, 0, 442, 394}));
    ExpectLayout(Dialog(), {{"panelTop", 0, 0, 442, 57},
                            {"labelTitle", 12, 20, 0, 0},
                            {"imageLogo40", 312, 8, 119, 42},
                            {"labelSending", 12, 39, 0, 0},
                            {"tsPleaseSend", 0, 57, 442, 296},
                            {"labelPleaseSend", 8, 8, 0, 0},
                            {"memoComment", 8, 98, 417, 81},
                            {"btnSee", 8, 237, 153, 25},
                            {"panelOkCancel", 0, 353, 442, 41},
                            {"btnSend", 248, 8, 90, 25},
                            {"btnCancel", 344, 8, 90, 25}});
    EXPECT_EQ(TextOf(Get("labelTitle")), L"Palimp causes Error");
    RECT please = PlaceOf(Get("labelPleaseSend"));
    EXPECT_EQ(PlaceOf(Get("labelWww")).left, please.right);
    // The e-mail box stands at 192 and reaches 425, unless its label needs more room in the
    // font the system has; then it starts a few pixels after the label's text.
    const RECT email = PlaceOf(Get("edEmail"));
    const LONG labelEnd = PlaceOf(Get("TntLabel1")).left + TextExtent(Get("TntLabel1")).cx;
    EXPECT_LT(labelEnd, email.left) << "the label's text runs into the box";
    EXPECT_TRUE(email.left == 192 || email.left <= labelEnd + 8) << "the box starts at " << email.left;
    EXPECT_GE(email.left, 192);
    EXPECT_EQ(email.right, 425);
    EXPECT_EQ(email.top, 188);
    EXPECT_EQ(SendMessageW(Get("memoComment"), EM_GETLIMITTEXT, 0, 0), 300);
    EXPECT_EQ(SendMessageW(Get("edEmail"), EM_GETLIMITTEXT, 0, 0), 100);
    std::vector<std::string> order;
    HWND at = Get("btnSend");
    for (int i = 0; i < 5; ++i) {
        order.emplace_back(ControlName(at));
        at = GetNextDlgTabItem(Dialog().Handle(), at, FALSE);
    }
    EXPECT_EQ(order, (std::vector<std::string>{"btnSend", "btnCancel", "memoComment", "edEmail", "btnSee"}));
}

// However the saving goes, the text the user asked to keep is in a file when the program ends.
TEST_F(ReportRegressions, YesThenACancelledSaveAsOrAFailedWriteLostTheUnsavedText) {
    const std::wstring saved = temp_.Path(L"draft.txt");
    const std::wstring recovery = temp_.Path(L"recovered\\");
    const std::wstring noFolder = temp_.Path(L"a file\\");  // a file stands where the folder would be
    WriteBytes(temp_.Path(L"a file"), "");
    const std::wstring kept = L"The text was not saved. Palimp kept it in\r\n";
    enum class Then { Saved, Kept, AskedAgain };
    struct Row {
        const char* name;
        std::wstring folder;
        std::function<void()> script;
        Then then;
    };
    const Row rows[] = {
        {"Yes saves", recovery, [&] { prompter_.ChooseInSave(saved); }, Then::Saved},
        {"Yes with a cancelled Save As keeps a recovery file", recovery, [&] { prompter_.CancelSave(); }, Then::Kept},
        {"Yes with a failed write keeps a recovery file", recovery,
         [&] {
             prompter_.ChooseInSave(temp_.Root());  // a folder cannot be written
             prompter_.AnswerMessage(L"Error #4021. Problem during saving file.", IDOK);
         },
         Then::Kept},
        {"no recovery file either: asked again", noFolder,
         [&] {
             prompter_.CancelSave();
             prompter_.AnswerMessage(L"Save changes?", IDYES);
             prompter_.ChooseInSave(saved);
         },
         Then::AskedAgain},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        DeleteFileW(saved.c_str());
        Start();
        Main().SetRecoveryFolder(row.folder);
        SetFocus(Memo());
        Type(L"draft");
        prompter_.WhenShownModallyRun(Dialog(), {[&] { Click(Get("btnCancel")); }});
        prompter_.AnswerMessage(L"Save changes?", IDYES);
        row.script();
        if (row.then == Then::Kept) prompter_.AnswerMessageStartingWith(kept, IDOK);
        Fail([] { throw Exception(u"Broken"); });
        EXPECT_TRUE(App().Terminated());
        if (row.then == Then::Kept) {
            const std::wstring shown = prompter_.Messages().back().text;
            ASSERT_EQ(shown.substr(0, kept.size()), kept);
            const std::wstring path = shown.substr(kept.size());
            EXPECT_EQ(path.substr(0, recovery.size() + 9), recovery + L"Untitled ");
            EXPECT_EQ(ReadBytes(path), Utf16LeFile(L"draft"));
            EXPECT_TRUE(DeleteFileW(path.c_str()));
        } else {
            EXPECT_EQ(ReadBytes(saved), Utf16LeFile(L"draft"));
        }
        Stop();
        prompter_.VerifyDone();  // a row's unused answers must not reach the next one
    }
}


// A failure while the dialog was up would have opened it a second time inside itself.
TEST_F(ReportRegressions, AFailureWhileTheDialogIsUpIsAddedToTheReport) {
    Start();
    FailWith([] { throw Exception(u"First"); },
             {[&] {
                  HandleFailure(Exception(u"Second"));
                  HandleFailure(EAbort());  // still silent
                  Click(Get("btnCancel"));
              }});
    EXPECT_NE(Query().find(L"&m=First&"), std::wstring::npos);
    EXPECT_NE(Dialog().ReportText().find(L"\r\nFurther error: Exception: Second"), std::wstring::npos);
    EXPECT_EQ(Dialog().ReportText().find(L"EAbort"), std::wstring::npos);
}

TEST_F(ReportRegressions, TheSilentAbortShowsNothingAndTheProgramGoesOn) {
    Start();
    failing_.Create(MainHandle(), [] { throw EAbort(); });
    SendMessageW(failing_.Handle(), WM_CHAR, L'x', 0);  // any prompt would fail the test
    EXPECT_FALSE(App().Terminated());
}

}  // namespace
}  // namespace palimp
