// The scripted prompter and the GUI test fixture.
#include "gui_support.h"

#include <shlobj.h>

#include <atomic>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <algorithm>
#include <map>

#include "core/errors.h"

namespace palimp {

namespace {

std::string Narrow(std::wstring_view text) { return ToUtf8(std::u16string(text.begin(), text.end())); }

const char* KindName(int kind) {
    static const char* const names[] = {"message box", "Open dialog", "Save As dialog", "font dialog", "modal window",
                                        "popup menu"};
    return names[kind];
}

}  // namespace

void TestPrompter::AnswerMessage(std::wstring text, int button) {
    script_.push_back({.kind = Kind::Message, .text = std::move(text), .number = button});
}

void TestPrompter::AnswerMessageStartingWith(std::wstring start, int button) {
    script_.push_back({.kind = Kind::Message, .text = std::move(start), .number = button, .prefix = true});
}

void TestPrompter::ChooseInOpen(std::wstring path) { script_.push_back({.kind = Kind::Open, .text = std::move(path)}); }

void TestPrompter::CancelOpen() { script_.push_back({.kind = Kind::Open, .cancel = true}); }

void TestPrompter::ChooseInSave(std::wstring path) { script_.push_back({.kind = Kind::Save, .text = std::move(path)}); }

void TestPrompter::CancelSave() { script_.push_back({.kind = Kind::Save, .cancel = true}); }

void TestPrompter::ChooseInFontDialog(std::wstring face, int size) {
    script_.push_back({.kind = Kind::Font, .text = std::move(face), .number = size});
}

void TestPrompter::CancelFontDialog() { script_.push_back({.kind = Kind::Font, .cancel = true}); }

void TestPrompter::WhenShownModally(Form& form, std::function<void()> action, ModalResult result) {
    script_.push_back({.kind = Kind::Modal, .form = &form, .action = std::move(action), .result = result});
}

void TestPrompter::WhenShownModallyRun(Form& form, std::vector<std::function<void()>> steps) {
    script_.push_back({.kind = Kind::Modal, .form = &form, .steps = std::move(steps), .real = true});
}

void TestPrompter::ChooseInMenu(std::wstring caption) { script_.push_back({.kind = Kind::Menu, .text = std::move(caption)}); }

void TestPrompter::CloseMenu() { script_.push_back({.kind = Kind::Menu, .cancel = true}); }

std::vector<MenuRow> MenuRows(HMENU menu) {
    std::vector<MenuRow> entries;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        wchar_t text[256] = {};
        MENUITEMINFOW info = {sizeof(info)};
        info.fMask = MIIM_FTYPE | MIIM_STRING | MIIM_ID | MIIM_SUBMENU;
        info.dwTypeData = text;
        info.cch = 256;
        GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info);
        entries.push_back({(info.fType & MFT_SEPARATOR) ? L"-" : text, static_cast<int>(info.wID), info.hSubMenu});
    }
    return entries;
}

int TestPrompter::ShowPopupMenu(HWND, HMENU menu, POINT at, UINT flags) {
    Popup popup{{}, at, flags};
    const std::vector<MenuRow> entries = MenuRows(menu);
    for (const MenuRow& e : entries) popup.items.push_back(e.caption);
    popups_.push_back(popup);
    std::optional<Entry> entry = Next(Kind::Menu, popup.items.empty() ? L"" : popup.items.front());
    if (!entry || entry->cancel) return 0;
    for (size_t i = 0; i < popup.items.size(); ++i) {
        if (popup.items[i] == entry->text) {
            UINT state = GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION);
            EXPECT_FALSE(state & (MF_GRAYED | MF_DISABLED)) << "chose a disabled item " << Narrow(entry->text);
            return entries[i].id;
        }
    }
    ADD_FAILURE() << "the menu has no item " << Narrow(entry->text);
    return 0;
}

void TestPrompter::VerifyDone() {
    for (const Entry& entry : script_) {
        ADD_FAILURE() << "the program never showed the scripted " << KindName(static_cast<int>(entry.kind)) << " "
                      << Narrow(entry.text);
    }
    script_.clear();
}

std::optional<TestPrompter::Entry> TestPrompter::Next(Kind kind, const std::wstring& what) {
    if (script_.empty() || script_.front().kind != kind) {
        ADD_FAILURE() << "unexpected " << KindName(static_cast<int>(kind)) << ": " << Narrow(what);
        return std::nullopt;
    }
    Entry entry = std::move(script_.front());
    script_.pop_front();
    return entry;
}

int TestPrompter::ShowMessageBox(HWND, std::wstring_view text, std::wstring_view caption, UINT flags) {
    messages_.push_back({std::wstring(text), std::wstring(caption), flags, HourglassShown()});
    std::optional<Entry> entry = Next(Kind::Message, std::wstring(text));
    if (!entry) return IDCANCEL;
    const std::wstring_view expected = entry->text;
    if (entry->prefix) {
        EXPECT_EQ(Narrow(text.substr(0, expected.size())), Narrow(entry->text));
    } else {
        // A message may add a line of its own below the expected text (a file's error, its reason).
        const bool firstLines = text.size() > expected.size() + 2 && text.substr(0, expected.size()) == expected &&
                                text.substr(expected.size(), 2) == L"\r\n";
        if (!firstLines) {
            EXPECT_EQ(Narrow(text), Narrow(entry->text));
        }
    }
    return entry->number;
}

std::optional<std::wstring> TestPrompter::OpenFile(HWND, const FileDialogRequest& request) {
    openRequests_.push_back(request);
    std::optional<Entry> entry = Next(Kind::Open, request.title);
    if (!entry || entry->cancel) return std::nullopt;
    return entry->text;
}

std::optional<std::wstring> TestPrompter::SaveFile(HWND, const FileDialogRequest& request) {
    saveRequests_.push_back(request);
    std::optional<Entry> entry = Next(Kind::Save, request.title);
    if (!entry || entry->cancel) return std::nullopt;
    return entry->text;
}

bool TestPrompter::ShowFontDialog(HWND, FontRequest& font) {
    fontRequests_.push_back(font);
    std::optional<Entry> entry = Next(Kind::Font, font.face);
    if (!entry || entry->cancel) return false;
    font.face = entry->text;
    font.size = entry->number;
    return true;
}

void TestPrompter::ShellOpen(HWND, std::wstring_view target) { shellOpens_.emplace_back(target); }

void TestPrompter::Beep() { ++beeps_; }

ModalResult TestPrompter::ShowModal(Form& form) {
    std::optional<Entry> entry = Next(Kind::Modal, form.Caption());
    if (!entry) return ModalResult::Cancel;
    EXPECT_EQ(entry->form, &form) << "another window was shown modally";
    if (entry->real) return RunModal(form, std::move(entry->steps));
    form.Show();
    if (entry->action) entry->action();
    form.Hide();
    return entry->result;
}

std::wstring TextOf(HWND control) {
    int length = GetWindowTextLengthW(control);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(control, text.data(), length + 1)));
    return text;
}

RECT PlaceOf(HWND control) {
    RECT r = ScreenRectOf(control);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

RECT ClientOf(HWND window) {
    RECT r = {};
    GetClientRect(window, &r);
    return r;
}

RECT ScreenRectOf(HWND window) {
    RECT r = {};
    GetWindowRect(window, &r);
    return r;
}

int LineHeightOf(HFONT font) {
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    TEXTMETRICW metrics = {};
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return metrics.tmAscent + metrics.tmDescent;
}

LOGFONTW FontOf(HWND control) {
    LOGFONTW lf = {};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)), sizeof lf, &lf);
    return lf;
}

namespace {

// The room the control's text takes as a static control draws it: DrawText in its font with
// format, lines broken at width where format wraps.
RECT DrawnText(HWND control, UINT format, LONG width = 0) {
    const std::wstring text = TextOf(control);
    RECT needed = {0, 0, width, 0};
    HDC dc = GetDC(control);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &needed, format | DT_CALCRECT);
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    return needed;
}

}  // namespace

SIZE TextExtent(HWND control) {
    const RECT needed = DrawnText(control, DT_SINGLELINE | DT_NOPREFIX);
    return {needed.right, needed.bottom};
}

::testing::AssertionResult ShowsWholeText(HWND label) {
    const LONG style = GetWindowLongW(label, GWL_STYLE);
    const std::wstring text = TextOf(label);
    const std::string name(ControlName(label));
    if (style & (SS_ENDELLIPSIS | SS_PATHELLIPSIS | SS_WORDELLIPSIS)) return ::testing::AssertionSuccess();
    const LONG type = style & SS_TYPEMASK;
    const bool wraps = (type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT) && !(style & SS_CENTERIMAGE);
    RECT client = {};
    GetClientRect(label, &client);
    const RECT needed = DrawnText(label, (wraps ? DT_WORDBREAK : DT_SINGLELINE) | ((style & SS_NOPREFIX) ? DT_NOPREFIX : 0),
                                  client.right);
    if (needed.right <= client.right && needed.bottom <= client.bottom) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << name << " \"" << Narrow(text) << "\" needs " << needed.right << " x "
                                         << needed.bottom << " pixels but has " << client.right << " x " << client.bottom;
}

namespace {

BOOL CALLBACK CollectLabel(HWND child, LPARAM list) {
    wchar_t className[32] = {};
    GetClassNameW(child, className, 32);
    const LONG type = GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK;
    const bool textual = type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT || type == SS_SIMPLE ||
                         type == SS_LEFTNOWORDWRAP;
    if (lstrcmpiW(className, L"Static") == 0 && textual && IsWindowVisible(child) && GetWindowTextLengthW(child) > 0) {
        reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
    }
    return TRUE;
}

}  // namespace

std::vector<HWND> LabelsOf(HWND window) {
    std::vector<HWND> labels;
    EnumChildWindows(window, CollectLabel, reinterpret_cast<LPARAM>(&labels));
    return labels;
}

HWND Named(Form& form, const char* name) {
    HWND control = form.Control(name);
    EXPECT_NE(control, nullptr) << "no control named " << name;
    return control;
}

void ExpectLayout(Form& form, std::initializer_list<ExpectedPlace> expected) {
    for (const ExpectedPlace& e : expected) {
        SCOPED_TRACE(e.name);
        HWND control = Named(form, e.name);
        if (!control) continue;
        RECT r = PlaceOf(control);
        EXPECT_EQ(r.left, form.Scale(e.x));
        EXPECT_EQ(r.top, form.Scale(e.y));
        if (e.width) {
            EXPECT_EQ(r.right - r.left, form.Scale(e.width));
        }
        if (e.height) {
            EXPECT_EQ(r.bottom - r.top, form.Scale(e.height));
        }
    }
}

void PostKey(HWND target, UINT key) {
    PostMessageW(target, WM_KEYDOWN, key, 1 | (static_cast<LPARAM>(MapVirtualKeyW(key, MAPVK_VK_TO_VSC)) << 16));
}

void ClickAt(HWND window, int x, int y, UINT keys) {
    const LPARAM at = MAKELPARAM(x, y);
    SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON | keys, at);
    SendMessageW(window, WM_LBUTTONUP, keys, at);
}

void ClickCentre(HWND control) {
    RECT client = {};
    GetClientRect(control, &client);
    ClickAt(control, client.right / 2, client.bottom / 2);
}

ModalResult RunModal(Form& form, std::vector<std::function<void()>> steps) {
    steps.push_back([&form] {
        // A step that pumps messages can run this one before its own close takes effect: only a
        // showing that nothing ended is aborted.
        if (form.IsModal() && form.GetModalResult() == ModalResult::None) form.SetModalResult(ModalResult::Abort);
    });
    TimedSteps timed(std::move(steps));
    return form.ShowModal();
}


Rendering::Rendering(HWND window, RenderingSource source) {
    RECT client = {};
    GetClientRect(window, &client);
    width_ = client.right;
    height_ = client.bottom;
    HDC screen = GetDC(nullptr);
    dc_ = CreateCompatibleDC(screen);
    bitmap_ = CreateCompatibleBitmap(screen, std::max(width_, 1), std::max(height_, 1));
    ReleaseDC(nullptr, screen);
    old_ = SelectObject(dc_, bitmap_);
    if (source == RenderingSource::Painting) {
        SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc_), PRF_CLIENT | PRF_ERASEBKGND);
    } else {
        HDC shown = GetDC(window);
        BitBlt(dc_, 0, 0, width_, height_, shown, 0, 0, SRCCOPY);
        ReleaseDC(window, shown);
    }
}

Rendering::~Rendering() {
    SelectObject(dc_, old_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
}

COLORREF Rendering::At(int x, int y) const { return GetPixel(dc_, x, y); }

namespace {
SentMessageWatch* innermostWatch = nullptr;
}  // namespace

SentMessageWatch::SentMessageWatch(Watcher watch) : watch_(std::move(watch)), outer_(innermostWatch) {
    innermostWatch = this;
    hook_ = SetWindowsHookExW(WH_CALLWNDPROC, Hook, nullptr, GetCurrentThreadId());
    EXPECT_NE(hook_, nullptr) << "cannot watch the sent messages";
}

SentMessageWatch::~SentMessageWatch() {
    if (hook_) UnhookWindowsHookEx(hook_);
    innermostWatch = outer_;
}

LRESULT CALLBACK SentMessageWatch::Hook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && innermostWatch) {
        const auto& sent = *reinterpret_cast<const CWPSTRUCT*>(lParam);
        innermostWatch->watch_(sent.hwnd, sent.message, sent.wParam, sent.lParam);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

bool HourglassShown() { return GetCursor() == LoadCursorW(nullptr, IDC_WAIT); }

namespace {
void PutOnClipboard(UINT format, const void* data, size_t bytes) {
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    if (bytes > 0) {
        HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes + sizeof(wchar_t));
        std::memcpy(GlobalLock(memory), data, bytes);
        GlobalUnlock(memory);
        SetClipboardData(format, memory);
    }
    CloseClipboard();
}
}  // namespace

void PutClipboardUnicode(const std::wstring& text) {
    PutOnClipboard(CF_UNICODETEXT, text.data(), text.size() * sizeof(wchar_t));
}

void PutClipboardAnsi(const std::string& bytes) { PutOnClipboard(CF_TEXT, bytes.data(), bytes.size()); }

std::wstring ClipboardUnicode() {
    std::wstring text;
    if (!OpenClipboard(nullptr)) return text;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        text = static_cast<const wchar_t*>(GlobalLock(data));
        GlobalUnlock(data);
    }
    CloseClipboard();
    return text;
}

TempFolder::TempFolder() {
    static std::atomic<int> counter{0};
    wchar_t base[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, base);
    path_ = std::wstring(base) + L"palimp-gui-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
            std::to_wstring(counter++) + L"\\";
    std::filesystem::create_directories(path_);
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    // Read-only files left by a test would stop the removal.
    for (const auto& entry : std::filesystem::recursive_directory_iterator(path_, ignored)) {
        SetFileAttributesW(entry.path().c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    std::filesystem::remove_all(path_, ignored);
}

void WriteBytes(const std::wstring& path, const std::string& bytes) {
    std::ofstream out(std::filesystem::path(path), std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(out.good()) << "cannot write " << Narrow(path);
}

std::string ReadBytes(const std::wstring& path) {
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string Utf16LeFile(std::wstring_view text) {
    std::string bytes = "\xFF\xFE";
    for (wchar_t unit : text) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    return bytes;
}

HDROP MakeDrop(const std::vector<std::wstring>& paths) {
    size_t characters = 1;  // the final empty string
    for (const std::wstring& path : paths) characters += path.size() + 1;
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + characters * sizeof(wchar_t));
    auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = TRUE;
    auto* names = reinterpret_cast<wchar_t*>(drop + 1);
    for (const std::wstring& path : paths) {
        std::copy(path.begin(), path.end(), names);
        names += path.size() + 1;
    }
    GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}

namespace {
std::map<UINT_PTR, TimedSteps*>& RunningSteps() {
    static std::map<UINT_PTR, TimedSteps*> running;
    return running;
}
}  // namespace

TimedSteps::TimedSteps(std::vector<std::function<void()>> steps, UINT intervalMs) : steps_(std::move(steps)) {
    timer_ = SetTimer(nullptr, 0, intervalMs, Tick);
    RunningSteps()[timer_] = this;
}

TimedSteps::~TimedSteps() {
    KillTimer(nullptr, timer_);
    RunningSteps().erase(timer_);
}

void CALLBACK TimedSteps::Tick(HWND, UINT, UINT_PTR id, DWORD) {
    auto it = RunningSteps().find(id);
    if (it == RunningSteps().end()) return;
    TimedSteps& self = *it->second;
    if (self.Finished()) return;
    // The step may start a nested loop that ticks again; the index moves on first.
    self.steps_[self.next_++]();
}

const std::wstring& GuiTest::SettingsKey() {
    if (settingsKey_.empty()) {
        const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = std::string(test->test_suite_name()) + "." + test->name();
        settingsKey_ = L"Software\\Palimp Tests\\" + std::to_wstring(GetCurrentProcessId()) + L"\\" +
                       std::wstring(name.begin(), name.end());
        RegDeleteTreeW(HKEY_CURRENT_USER, settingsKey_.c_str());
    }
    return settingsKey_;
}

void GuiTest::Start(const std::wstring& arguments, Prompter* prompter) {
    app_ = std::make_unique<Application>(prompter ? *prompter : prompter_, L"Palimp.exe " + arguments);
    app_->SetSettingsKey(SettingsKey());
    app_->Initialize();
    Pump();
}

void GuiTest::Stop() {
    app_.reset();
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}

void GuiTest::TearDown() {
    Stop();
    if (!settingsKey_.empty()) RegDeleteTreeW(HKEY_CURRENT_USER, settingsKey_.c_str());
    BYTE keys[256] = {};
    SetKeyboardState(keys);
    prompter_.VerifyDone();
}

void GuiTest::Pump() {
    // Twice: handling one message may post others (notifications, timers due now).
    for (int round = 0; round < 2 && app_; ++round) app_->ProcessMessages();
}

void GuiTest::OpenThroughDialog(const std::wstring& path) {
    prompter_.ChooseInOpen(path);
    Choose("actionOpen");
}

std::wstring GuiTest::OpenFileHolding(const std::string& bytes, const std::wstring& name) {
    std::wstring path = temp_.Path(name);
    WriteBytes(path, bytes);
    OpenThroughDialog(path);
    return path;
}

void GuiTest::ActivateFromAnotherWindow() {
    HWND other = CreateWindowExW(0, L"STATIC", L"Another program", WS_POPUP | WS_VISIBLE, 0, 0, 60, 40, nullptr,
                                 nullptr, GetModuleHandleW(nullptr), nullptr);
    SetForegroundWindow(other);
    SetActiveWindow(other);
    Pump();
    EXPECT_NE(GetActiveWindow(), MainHandle());
    SetForegroundWindow(MainHandle());
    SetActiveWindow(MainHandle());
    Pump();
    EXPECT_EQ(GetActiveWindow(), MainHandle());
    DestroyWindow(other);
    Pump();
}

Action& GuiTest::ActionNamed(Form& form, const char* name) {
    Action* action = form.Actions().Find(name);
    if (!action) throw std::runtime_error(std::string("no action ") + name);
    return *action;
}

MenuItem& GuiTest::ItemNamed(Form& form, const char* name) {
    MenuItem* item = form.Actions().FindItem(name);
    if (!item) throw std::runtime_error(std::string("no menu item ") + name);
    return *item;
}

void GuiTest::Choose(Form& form, const char* name) {
    Action* action = form.Actions().Find(name);
    int id = action ? action->Id() : ItemNamed(form, name).Id();
    PostMessageW(form.Handle(), WM_COMMAND, MAKEWPARAM(id, 0), 0);
    Pump();
}

void GuiTest::PressKey(UINT key, unsigned modifiers) {
    BYTE keys[256] = {};
    if (modifiers & kCtrl) keys[VK_CONTROL] = keys[VK_LCONTROL] = 0x80;
    if (modifiers & kShift) keys[VK_SHIFT] = keys[VK_LSHIFT] = 0x80;
    if (modifiers & kAlt) keys[VK_MENU] = keys[VK_LMENU] = 0x80;
    keys[key] = 0x80;
    SetKeyboardState(keys);
    HWND target = GetFocus() ? GetFocus() : MainHandle();
    UINT message = (modifiers & kAlt) && !(modifiers & kCtrl) ? WM_SYSKEYDOWN : WM_KEYDOWN;
    LPARAM lParam = 1 | (static_cast<LPARAM>(MapVirtualKeyW(key, MAPVK_VK_TO_VSC)) << 16);
    PostMessageW(target, message, key, lParam);
    Pump();
    BYTE released[256] = {};
    SetKeyboardState(released);
}

void GuiTest::Type(std::wstring_view text) {
    for (wchar_t ch : text) {
        HWND target = GetFocus() ? GetFocus() : Memo();
        // The editor starts a line on the Enter key, as typing does; a lone WM_CHAR would be a CR.
        if (ch == L'\r' && target == Memo()) {
            PostMessageW(target, WM_KEYDOWN, VK_RETURN, 1 | (MapVirtualKeyW(VK_RETURN, MAPVK_VK_TO_VSC) << 16));
        } else {
            PostMessageW(target, WM_CHAR, ch, 1);
        }
    }
    Pump();
}

bool GuiTest::MenuEnabled(const char* name) {
    Action* action = Main().Actions().Find(name);
    int id = action ? action->Id() : ItemNamed(name).Id();
    int state = Main().Actions().MenuState(id);
    EXPECT_NE(state, -1) << name << " is in no menu";
    return state != -1 && !(state & (MF_GRAYED | MF_DISABLED));
}

bool GuiTest::MenuChecked(const char* name) {
    Action* action = Main().Actions().Find(name);
    int id = action ? action->Id() : ItemNamed(name).Id();
    int state = Main().Actions().MenuState(id);
    EXPECT_NE(state, -1) << name << " is in no menu";
    return state != -1 && (state & MF_CHECKED);
}

std::wstring GuiTest::Text() {
    std::u16string text = Main().DocumentText();
    return std::wstring(text.begin(), text.end());
}

std::wstring GuiTest::Caption() { return Main().Caption(); }

bool GuiTest::Modified() { return Main().Editor().Modified(); }

std::pair<DWORD, DWORD> GuiTest::Selection() {
    auto [start, length] = Main().Editor().Selection();
    return {static_cast<DWORD>(start), static_cast<DWORD>(start + length)};
}

void GuiTest::Select(DWORD start, DWORD end) {
    Main().Editor().Select(static_cast<int>(start), static_cast<int>(end - start));
}

void GuiTest::SetDocument(std::wstring_view text) { Main().Editor().Load(std::u16string(U16View(text))); }

}  // namespace palimp
