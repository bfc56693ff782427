// What the in-process GUI tests share: a scripted prompter that answers the program's questions
// and dialogs, readers of named controls (text, place, font, pixels), a table-driven layout
// check, modal showings with scripted steps, and a fixture that starts the program through its
// real start-up sequence and drives it as a user would (commands by name, keys, dropped files,
// files on disk).
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "win/ui/actions.h"
#include "win/app.h"
#include "win/form_main.h"
#include "win/ui/prompter.h"
#include "win/system/wide.h"

// Rectangles compare and print in test expectations.
inline bool operator==(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
inline void PrintTo(const RECT& r, std::ostream* out) {
    *out << "{" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << "}";
}

namespace palimp {

// A prompter that answers from a script. An unexpected prompt fails the test (and gets a
// cancel-like answer); unused script entries fail it at the end (VerifyDone).
class TestPrompter final : public Prompter {
public:
    struct Message {
        std::wstring text;
        std::wstring caption;
        UINT flags;
        bool hourglass;  // the cursor while the box was up
    };

    // The next prompt is a message box showing text; it answers with button (IDYES, IDNO...).
    // text may also be the message's first lines when further lines give details (the file and
    // the system's reason of a file error); Messages() has the whole text.
    void AnswerMessage(std::wstring text, int button);
    // The same for a box whose text starts with start (the rest names a file made meanwhile).
    void AnswerMessageStartingWith(std::wstring start, int button);
    // The next prompt is an Open (or Save As) dialog; it chooses path, or is cancelled.
    void ChooseInOpen(std::wstring path);
    void CancelOpen();
    void ChooseInSave(std::wstring path);
    void CancelSave();
    // The next prompt is the font dialog; it chooses face and size, or is cancelled.
    void ChooseInFontDialog(std::wstring face, int size);
    void CancelFontDialog();
    // The next prompt shows window modally: it is shown, action runs, and the showing ends
    // with result.
    void WhenShownModally(Form& form, std::function<void()> action, ModalResult result);
    // The next prompt shows form modally: it runs its real modal loop while the steps run, one
    // per timer tick (as RunModal does), and the showing ends as the steps make it end.
    void WhenShownModallyRun(Form& form, std::vector<std::function<void()>> steps);

    // The next prompt is a popup menu; it chooses the item with this caption (as the menu shows
    // it, "&" included), or is closed without a choice.
    void ChooseInMenu(std::wstring caption);
    void CloseMenu();
    // A popup menu that was shown: its item captions ("-" for separators), where and how.
    struct Popup {
        std::vector<std::wstring> items;
        POINT at;
        UINT flags;
    };
    const std::vector<Popup>& Popups() const { return popups_; }

    // Fails the test for every script entry nobody asked for, then forgets the script.
    void VerifyDone();

    const std::vector<Message>& Messages() const { return messages_; }
    const std::vector<FileDialogRequest>& OpenRequests() const { return openRequests_; }
    const std::vector<FileDialogRequest>& SaveRequests() const { return saveRequests_; }
    const std::vector<FontRequest>& FontRequests() const { return fontRequests_; }
    const std::vector<std::wstring>& ShellOpens() const { return shellOpens_; }
    int Beeps() const { return beeps_; }

    int ShowMessageBox(HWND owner, std::wstring_view text, std::wstring_view caption, UINT flags) override;
    std::optional<std::wstring> OpenFile(HWND owner, const FileDialogRequest& request) override;
    std::optional<std::wstring> SaveFile(HWND owner, const FileDialogRequest& request) override;
    bool ShowFontDialog(HWND owner, FontRequest& font) override;
    void ShellOpen(HWND owner, std::wstring_view target) override;
    void Beep() override;
    ModalResult ShowModal(Form& form) override;
    int ShowPopupMenu(HWND owner, HMENU menu, POINT at, UINT flags) override;

private:
    enum class Kind { Message, Open, Save, Font, Modal, Menu };
    struct Entry {
        Kind kind;
        std::wstring text;              // message text, chosen path, chosen face
        int number = 0;                 // button id, font size
        bool cancel = false;
        Form* form = nullptr;
        std::function<void()> action;
        ModalResult result = ModalResult::None;
        std::vector<std::function<void()>> steps;
        bool real = false;
        bool prefix = false;  // a message whose text only starts with text
    };
    // The next script entry when it is of this kind; otherwise the test fails and null is
    // returned.
    std::optional<Entry> Next(Kind kind, const std::wstring& what);

    std::deque<Entry> script_;
    std::vector<Message> messages_;
    std::vector<FileDialogRequest> openRequests_;
    std::vector<FileDialogRequest> saveRequests_;
    std::vector<FontRequest> fontRequests_;
    std::vector<std::wstring> shellOpens_;
    std::vector<Popup> popups_;
    int beeps_ = 0;
};

// The items of a menu as it shows them: the caption ("&" included, "-" for a separator), the
// command id, and the submenu (or null).
struct MenuRow {
    std::wstring caption;
    int id;
    HMENU submenu;
};
std::vector<MenuRow> MenuRows(HMENU menu);

// What a user sees of a control: its text, its place in its parent's client area, its font,
// and the room its text takes on one line as a static control draws it in that font.
std::wstring TextOf(HWND control);
RECT PlaceOf(HWND control);
// A window's client area (GetClientRect), and its outer rectangle on the screen (GetWindowRect).
RECT ClientOf(HWND window);
RECT ScreenRectOf(HWND window);
LOGFONTW FontOf(HWND control);
// The height of a line of text in font (its ascent and descent), as an editor lays it out.
int LineHeightOf(HFONT font);
SIZE TextExtent(HWND control);

// Whether a label (a static control with text) shows all of its text in its client area, in
// its font: one line no wider than the client area for a label that cannot wrap, the lines
// the client height holds for one that wraps. A label that ends in an ellipsis by design
// (SS_ENDELLIPSIS, SS_PATHELLIPSIS, SS_WORDELLIPSIS) counts as whole.
::testing::AssertionResult ShowsWholeText(HWND label);
// Every visible label with text among the descendants of window (panels included), for tables of
// cases over all windows.
std::vector<HWND> LabelsOf(HWND window);

// The control of form with this name; the test fails (and gets null) when there is none.
HWND Named(Form& form, const char* name);

// Where named controls of form stand, in 96-DPI pixels of their parent's client area. A width
// or height of 0 is not checked (labels that size themselves to their text).
struct ExpectedPlace {
    const char* name;
    int x, y, width, height;
};
void ExpectLayout(Form& form, std::initializer_list<ExpectedPlace> expected);

// A key press posted to target (WM_KEYDOWN), without changing the keyboard state.
void PostKey(HWND target, UINT key);

// A left click at x, y of window's client area (the mouse messages sent to it), with the MK_*
// keys held; ClickCentre clicks the middle of a control (a button, a check box, a flat button).
void ClickAt(HWND window, int x, int y, UINT keys = 0);
void ClickCentre(HWND control);

// Shows form through its real modal loop and runs the steps inside it, one per timer tick.
// Should the steps not end the showing, it ends with Abort, so a test fails instead of hanging.
ModalResult RunModal(Form& form, std::vector<std::function<void()>> steps);

// The client area of a window in a bitmap: as it paints it (WM_PRINTCLIENT), or as the screen
// shows it now, stale pixels included (the window must be visible and uncovered).
enum class RenderingSource { Painting, Screen };
class Rendering {
public:
    explicit Rendering(HWND window, RenderingSource source = RenderingSource::Painting);
    ~Rendering();
    Rendering(const Rendering&) = delete;
    Rendering& operator=(const Rendering&) = delete;
    COLORREF At(int x, int y) const;
    int Width() const { return width_; }
    int Height() const { return height_; }

private:
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_ = nullptr;
    int width_ = 0;
    int height_ = 0;
};

// Sees every message sent (SendMessage, not posted) to a window of this thread while it lives,
// to look at the program in the middle of its work: watch(hwnd, message, wParam, lParam).
class SentMessageWatch {
public:
    using Watcher = std::function<void(HWND, UINT, WPARAM, LPARAM)>;
    explicit SentMessageWatch(Watcher watch);
    ~SentMessageWatch();
    SentMessageWatch(const SentMessageWatch&) = delete;
    SentMessageWatch& operator=(const SentMessageWatch&) = delete;

private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam);
    Watcher watch_;
    HHOOK hook_ = nullptr;
    SentMessageWatch* outer_ = nullptr;
};

// Whether the hourglass is the cursor now.
bool HourglassShown();

// The clipboard as other programs see it: Unicode text or 8-bit text put there (an empty one
// leaves the clipboard empty), and the Unicode text it holds.
void PutClipboardUnicode(const std::wstring& text);
void PutClipboardAnsi(const std::string& bytes);
std::wstring ClipboardUnicode();

// A folder of its own for each test, removed afterwards.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    // path\name
    std::wstring Path(const std::wstring& name) const { return path_ + name; }
    const std::wstring& Root() const { return path_; }

private:
    std::wstring path_;
};

void WriteBytes(const std::wstring& path, const std::string& bytes);
std::string ReadBytes(const std::wstring& path);
// The bytes the program writes for text: FF FE + UTF-16 LE.
std::string Utf16LeFile(std::wstring_view text);

// An HDROP as the shell hands it to WM_DROPFILES: DROPFILES followed by the paths.
HDROP MakeDrop(const std::vector<std::wstring>& paths);

// Runs the steps one after the other, one per timer tick, while some modal loop (a dialog, a
// message box) pumps messages. The last step should end that loop.
class TimedSteps {
public:
    explicit TimedSteps(std::vector<std::function<void()>> steps, UINT intervalMs = 50);
    ~TimedSteps();
    bool Finished() const { return next_ >= steps_.size(); }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR id, DWORD);
    std::vector<std::function<void()>> steps_;
    size_t next_ = 0;
    UINT_PTR timer_ = 0;
};

class GuiTest : public ::testing::Test {
protected:
    void TearDown() override;

    // Starts the program with these command-line arguments (after the program name), through
    // the real start-up sequence, with the test prompter (or the given one). Its settings are
    // kept under a registry key of the test's own (SettingsKey()), empty at the test's start
    // and removed at its end, so every test begins with a first run and a restart within a
    // test finds what the run before kept.
    void Start(const std::wstring& arguments = L"", Prompter* prompter = nullptr);
    // Ends the program the hard way, without any question.
    void Stop();
    Application& App() { return *app_; }
    // Under HKEY_CURRENT_USER.
    const std::wstring& SettingsKey();
    TFormMain& Main() { return app_->FormMain(); }
    HWND MainHandle() { return app_->FormMain().Handle(); }
    HWND Memo() { return app_->FormMain().Memo(); }

    // Handles every pending message through the application's loop (and its idle update).
    void Pump();
    // Opens path through File > Open.
    void OpenThroughDialog(const std::wstring& path);
    // Writes bytes to a file of the test folder and opens it through File > Open; its path.
    std::wstring OpenFileHolding(const std::string& bytes, const std::wstring& name = L"document.txt");
    // Another program's window becomes active, then the main window again, as when the user
    // comes back from another program.
    void ActivateFromAnotherWindow();
    // A command or menu entry of a form (the main window unless given) by name.
    Action& ActionNamed(const char* name) { return ActionNamed(Main(), name); }
    Action& ActionNamed(Form& form, const char* name);
    MenuItem& ItemNamed(const char* name) { return ItemNamed(Main(), name); }
    MenuItem& ItemNamed(Form& form, const char* name);
    // Chooses a command or menu entry as the menu does: WM_COMMAND with its id.
    void Choose(const char* name) { Choose(Main(), name); }
    void Choose(Form& form, const char* name);
    // A key press through the message loop, with the modifiers held down meanwhile.
    void PressKey(UINT key, unsigned modifiers = kNoModifier);
    // Characters typed into the focused control (WM_CHAR, as the keyboard produces them).
    void Type(std::wstring_view text);
    // The real menu entry of a command: enabled, checked.
    bool MenuEnabled(const char* name);
    bool MenuChecked(const char* name);

    std::wstring Text();
    std::wstring Caption();
    bool Modified();
    // The selection of the editor as start and end (0-based).
    std::pair<DWORD, DWORD> Selection();
    void Select(DWORD start, DWORD end);
    // The document's text as a freshly opened one: unmodified, nothing to undo.
    void SetDocument(std::wstring_view text);

    TestPrompter prompter_;
    TempFolder temp_;
    std::unique_ptr<Application> app_;
    std::wstring settingsKey_;
};

}  // namespace palimp
