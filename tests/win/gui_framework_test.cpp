// The window framework on its own: shortcut texts, command-line splitting, layout, fonts, the
// action list's bindings, modal showing with dialog keys, and where failures in handlers go.
#include "gui_support.h"

#include <commctrl.h>

#include "core/errors.h"
#include "win/system/command_line.h"
#include "win/ui/fonts.h"
#include "win/ui/layout.h"
#include "win/dlg_about.h"
#include "win/ui/window.h"

namespace palimp {
namespace {

TEST(ShortcutText, ReadsAsMenusShowIt) {
    struct Row {
        Shortcut shortcut;
        const wchar_t* text;
    };
    const Row rows[] = {
        {{'N', kCtrl}, L"Ctrl+N"},          {{VK_F6, 0}, L"F6"},
        {{VK_F3, kShift}, L"Shift+F3"},     {{VK_OEM_PLUS, kCtrl}, L"Ctrl+="},
        {{VK_OEM_MINUS, kCtrl}, L"Ctrl+-"}, {{VK_DELETE, 0}, L"Del"},
        {{VK_F11, 0}, L"F11"},              {{'Q', kCtrl | kShift | kAlt}, L"Ctrl+Shift+Alt+Q"},
        {{VK_ADD, kCtrl}, L"Ctrl+Num +"},   {{VK_SUBTRACT, kCtrl}, L"Ctrl+Num -"},
        {{}, L""},
    };
    for (const Row& row : rows) EXPECT_EQ(row.shortcut.Text(), row.text);
}

TEST(CommandLine, QuotesGroupAndVanishBlanksSeparate) {
    struct Row {
        const wchar_t* line;
        std::vector<std::wstring> arguments;
    };
    const Row rows[] = {
        {L"Palimp.exe", {L"Palimp.exe"}},
        {L"Palimp.exe a.txt b.txt", {L"Palimp.exe", L"a.txt", L"b.txt"}},
        {L"\"C:\\Program Files\\Palimp.exe\" \"C:\\My Notes\\a b.txt\"",
         {L"C:\\Program Files\\Palimp.exe", L"C:\\My Notes\\a b.txt"}},
        {L"p   \t x", {L"p", L"x"}},
        {L"p C:\\My\" \"Notes\\a.txt", {L"p", L"C:\\My Notes\\a.txt"}},  // quotes inside an argument
        {L"p \"unclosed quote", {L"p", L"unclosed quote"}},
        {L"p \"\" x", {L"p", L"x"}},
        {L"", {}},
    };
    for (const Row& row : rows) EXPECT_EQ(SplitCommandLine(row.line), row.arguments) << ToUtf8(AsU16(row.line));
}

// A bare parent window for layout checks.
class LayoutTest : public ::testing::Test {
protected:
    void SetUp() override {
        parent_ = CreateWindowExW(0, WC_STATICW, L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(parent_, nullptr);
    }
    void TearDown() override { DestroyWindow(parent_); }
    void Resize(int width, int height) { SetWindowPos(parent_, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER); }
    HWND Child(Layout& layout, Bounds bounds, Dock dock, unsigned anchors, int dpi) {
        return layout.Create(parent_, {.className = WC_STATICW, .bounds = bounds, .dock = dock, .anchors = anchors}, dpi);
    }
    HWND parent_ = nullptr;
};

TEST_F(LayoutTest, DocksFillEdgesInOrderAndSkipHiddenControls) {
    Layout layout;
    layout.SetPadding(2, 2, 2, 2);
    HWND top = Child(layout, {0, 0, 0, 40}, Dock::Top, kAnchorTopLeft, 96);
    HWND right = Child(layout, {0, 0, 49, 0}, Dock::Right, kAnchorTopLeft, 96);
    HWND hidden = Child(layout, {0, 0, 100, 0}, Dock::Right, kAnchorTopLeft, 96);
    ShowWindow(hidden, SW_HIDE);
    HWND fill = Child(layout, {}, Dock::Fill, kAnchorTopLeft, 96);
    Resize(300, 200);
    layout.Arrange(parent_, 96);
    EXPECT_EQ(PlaceOf(top), (RECT{2, 2, 298, 42}));
    EXPECT_EQ(PlaceOf(right), (RECT{249, 42, 298, 198}));
    EXPECT_EQ(PlaceOf(fill), (RECT{2, 42, 249, 198}));

    ShowWindow(hidden, SW_SHOW);  // a shown panel pushes its neighbours
    layout.Arrange(parent_, 96);
    EXPECT_EQ(PlaceOf(hidden), (RECT{149, 42, 249, 198}));
    EXPECT_EQ(PlaceOf(fill), (RECT{2, 42, 149, 198}));
}

TEST_F(LayoutTest, AnchorsKeepDistancesToTheEdgesAtAnyDpi) {
    for (int dpi : {96, 144}) {
        Layout layout;
        layout.SetDesignSize(442, 394);
        HWND fixed = Child(layout, {8, 8, 90, 25}, Dock::None, kAnchorTopLeft, dpi);
        HWND corner = Child(layout, {344, 361, 90, 25}, Dock::None, kAnchorRight | kAnchorBottom, dpi);
        HWND stretched = Child(layout, {8, 98, 417, 81}, Dock::None, kAnchorAll, dpi);
        auto s = [dpi](int length) { return MulDiv(length, dpi, 96); };
        Resize(s(442) + 100, s(394) + 50);
        layout.Arrange(parent_, dpi);
        EXPECT_EQ(PlaceOf(fixed), (RECT{s(8), s(8), s(8) + s(90), s(8) + s(25)})) << dpi;
        RECT c = PlaceOf(corner);
        EXPECT_EQ(c.right, s(442) + 100 - s(8)) << dpi;
        EXPECT_EQ(c.bottom, s(394) + 50 - s(8)) << dpi;
        EXPECT_EQ(c.right - c.left, s(90)) << dpi;
        RECT st = PlaceOf(stretched);
        EXPECT_EQ(st.right - st.left, s(442) + 100 - s(8) - s(17)) << dpi;
        EXPECT_EQ(st.bottom - st.top, s(394) + 50 - s(98) - s(215)) << dpi;
    }
}

TEST(Fonts, MissingFacesFallBackAndHandlesAreShared) {
    EXPECT_EQ(Fonts::ResolveFace(L"No Such Face 1234"), L"No Such Face 1234");
    for (const wchar_t* face : {L"Tahoma", L"Lucida Console", L"Lucida Sans Unicode", L"Arial Unicode MS"}) {
        std::wstring resolved = Fonts::ResolveFace(face);
        EXPECT_TRUE(Fonts::IsInstalled(resolved) || resolved == face) << ToUtf8(AsU16(face));
    }
    HFONT a = Fonts::Pixels(L"Tahoma", 13, 96);
    EXPECT_EQ(a, Fonts::Pixels(L"Tahoma", 13, 96));
    EXPECT_NE(a, Fonts::Pixels(L"Tahoma", 13, 144));
    LOGFONTW lf = {};
    GetObjectW(Fonts::Points(L"Tahoma", 10, 144), sizeof(lf), &lf);
    EXPECT_EQ(lf.lfHeight, -20);
}

class ActionListTest : public ::testing::Test {
protected:
    void SetUp() override {
        save_ = &list_.Add({.name = "actionSave", .caption = L"Save", .shortcut = {'S', kCtrl}}, [this] { ++saves_; });
        del_ = &list_.Add({.name = "actionDelete", .caption = L"&Delete", .shortcut = {VK_DELETE, 0},
                           .shortcutYieldsToTextField = true},
                          [this] { ++deletes_; });
        item_ = &list_.AddItem({.name = "miSix", .caption = L"6", .tag = 6, .radio = true},
                               [this](MenuItem& sender) { lastTag_ = sender.Tag(); });
        menu_ = list_.BuildPopup({MenuEntry::Of(*save_), MenuEntry::Separator(), MenuEntry::Of(*del_), MenuEntry::Of(*item_)});
        toolbar_ = CreateWindowExW(0, TOOLBARCLASSNAMEW, nullptr, WS_POPUP, 0, 0, 100, 30, nullptr, nullptr, nullptr, nullptr);
        SendMessageW(toolbar_, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
        TBBUTTON button = {I_IMAGENONE, save_->Id(), TBSTATE_ENABLED, BTNS_BUTTON, {}, 0, 0};
        SendMessageW(toolbar_, TB_ADDBUTTONSW, 1, reinterpret_cast<LPARAM>(&button));
        list_.BindToolbar(toolbar_);
        edit_ = CreateWindowExW(0, WC_EDITW, L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    }
    void TearDown() override {
        DestroyWindow(toolbar_);
        DestroyWindow(edit_);
    }
    MSG Key(UINT key) { return MSG{edit_, WM_KEYDOWN, key, 0, 0, {}}; }

    ActionList list_;
    Action* save_ = nullptr;
    Action* del_ = nullptr;
    MenuItem* item_ = nullptr;
    HMENU menu_ = nullptr;
    HWND toolbar_ = nullptr;
    HWND edit_ = nullptr;
    int saves_ = 0;
    int deletes_ = 0;
    int lastTag_ = 0;
};

TEST_F(ActionListTest, StateReachesEveryBoundPlace) {
    EXPECT_EQ(list_.MenuText(save_->Id()), L"Save\tCtrl+S");
    save_->SetEnabled(false);
    EXPECT_TRUE(list_.MenuState(save_->Id()) & MF_GRAYED);
    EXPECT_FALSE(SendMessageW(toolbar_, TB_ISBUTTONENABLED, save_->Id(), 0));
    save_->SetEnabled(true);
    save_->SetChecked(true);
    EXPECT_FALSE(list_.MenuState(save_->Id()) & MF_GRAYED);
    EXPECT_TRUE(list_.MenuState(save_->Id()) & MF_CHECKED);
    EXPECT_TRUE(SendMessageW(toolbar_, TB_ISBUTTONCHECKED, save_->Id(), 0));
    item_->SetChecked(true);
    EXPECT_TRUE(list_.MenuState(item_->Id()) & MF_CHECKED);
}

TEST_F(ActionListTest, CommandIdsAndShortcutsRunTheHandlers) {
    EXPECT_TRUE(list_.Dispatch(save_->Id()));
    EXPECT_TRUE(list_.Dispatch(item_->Id()));
    EXPECT_FALSE(list_.Dispatch(12345));
    EXPECT_EQ(saves_, 1);
    EXPECT_EQ(lastTag_, 6);

    BYTE keys[256] = {};
    keys[VK_CONTROL] = 0x80;
    SetKeyboardState(keys);
    EXPECT_TRUE(list_.HandleShortcut(Key('S')));
    EXPECT_EQ(saves_, 2);
    save_->SetEnabled(false);  // a disabled action leaves the key alone
    EXPECT_FALSE(list_.HandleShortcut(Key('S')));
    EXPECT_EQ(saves_, 2);
    EXPECT_FALSE(list_.HandleShortcut(Key('D')));
    keys[VK_CONTROL] = 0;
    SetKeyboardState(keys);
    EXPECT_FALSE(list_.HandleShortcut(Key('S')));  // no Ctrl, no shortcut
}

TEST_F(ActionListTest, SecondaryShortcutsRunTheActionAndMenusShowTheFirstKey) {
    int runs = 0;
    Action& larger = list_.Add({.name = "actionFontLarger", .caption = L"&Larger", .shortcut = {VK_OEM_PLUS, kCtrl},
                                .secondaryShortcuts = kFontLargerSecondaryShortcuts},
                               [&runs] { ++runs; });
    list_.BuildPopup({MenuEntry::Of(larger)});
    EXPECT_EQ(list_.MenuText(larger.Id()), L"&Larger\tCtrl+=");
    const struct {
        UINT key;
        unsigned modifiers;
        bool runs;
    } rows[] = {
        {VK_OEM_PLUS, kCtrl, true},          {VK_ADD, kCtrl, true},     {VK_OEM_PLUS, kCtrl | kShift, true},
        {VK_ADD, kNoModifier, false},        {VK_OEM_PLUS, kShift, false}, {VK_SUBTRACT, kCtrl, false},
        {VK_ADD, kCtrl | kShift | kAlt, false},
    };
    for (const auto& row : rows) {
        BYTE keys[256] = {};
        if (row.modifiers & kCtrl) keys[VK_CONTROL] = 0x80;
        if (row.modifiers & kShift) keys[VK_SHIFT] = 0x80;
        if (row.modifiers & kAlt) keys[VK_MENU] = 0x80;
        SetKeyboardState(keys);
        int before = runs;
        EXPECT_EQ(list_.HandleShortcut(Key(row.key)), row.runs) << row.key << " " << row.modifiers;
        EXPECT_EQ(runs - before, row.runs ? 1 : 0) << row.key << " " << row.modifiers;
    }
    BYTE released[256] = {};
    SetKeyboardState(released);
}

TEST_F(ActionListTest, DelIsLeftToAFocusedTextField) {
    HWND other = CreateWindowExW(0, WC_STATICW, L"", WS_POPUP | WS_VISIBLE, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    SetFocus(other);
    EXPECT_TRUE(list_.HandleShortcut(Key(VK_DELETE)));
    EXPECT_EQ(deletes_, 1);
    ShowWindow(edit_, SW_SHOW);
    SetFocus(edit_);
    ASSERT_EQ(GetFocus(), edit_);
    EXPECT_FALSE(list_.HandleShortcut(Key(VK_DELETE)));
    EXPECT_EQ(deletes_, 1);
    DestroyWindow(other);
}

// A small dialog for the modal machinery: a one-line edit, a multi-line edit, OK and Cancel.
class TestDialog : public Form {
public:
    explicit TestDialog(FormHost& host) : Form(host) {}
    void CreateForm() override {
        CreateWindowHandle({.className = L"PalimpTestDialog", .caption = L"Test", .style = kDialogFrameStyle,
                            .exStyle = kDialogFrameExStyle, .clientWidth = 300, .clientHeight = 140});
        RowCursor row{8, 8, 8};
        auto create = [this](const wchar_t* cls, const wchar_t* text, DWORD style, Bounds b, int id) {
            return layout_.Create(Handle(), {.className = cls, .text = text, .style = style | WS_TABSTOP, .bounds = b, .id = id},
                                  Dpi());
        };
        edit = create(WC_EDITW, L"", WS_BORDER | ES_AUTOHSCROLL, row.Next(120, 22), 1);
        memo = create(WC_EDITW, L"", WS_BORDER | ES_MULTILINE | ES_WANTRETURN, row.Next(140, 60), 2);
        ok = create(WC_BUTTONW, L"OK", BS_DEFPUSHBUTTON, {120, 100, 80, 25}, 3);
        cancel = create(WC_BUTTONW, L"Cancel", BS_PUSHBUTTON, {208, 100, 80, 25}, 4);
        SetDefaultButton(ok);
        SetCancelButton(cancel);
        SetButtonResult(ok, ModalResult::OK);
        SetButtonResult(cancel, ModalResult::Cancel);
    }
    bool OnCommand(int id, int, HWND) override {
        if (id == 99 && fail) fail();
        return id == 99;
    }
    HWND edit = nullptr;
    HWND memo = nullptr;
    HWND ok = nullptr;
    HWND cancel = nullptr;
    std::function<void()> fail;

private:
    Layout layout_;
};

class ModalTest : public GuiTest {
protected:
    void SetUp() override {
        Start();
        dialog_ = std::make_unique<TestDialog>(App());
        dialog_->CreateForm();
    }
    void TearDown() override {
        dialog_.reset();
        GuiTest::TearDown();
    }
    // Shows the dialog modally while the steps run; a last step gives up (Abort) so that a
    // dialog that does not close fails the test instead of hanging it.
    ModalResult ShowWith(std::vector<std::function<void()>> steps) { return RunModal(*dialog_, std::move(steps)); }
    void Key(HWND target, UINT key) { PostMessageW(target, WM_KEYDOWN, key, 1); }
    std::unique_ptr<TestDialog> dialog_;
};

TEST_F(ModalTest, EnterPressesTheDefaultButtonWhileTheRestIsDisabled) {
    SetFocus(Memo());
    bool mainEnabledMeanwhile = true;
    ModalResult result = ShowWith({[&] {
        mainEnabledMeanwhile = IsWindowEnabled(MainHandle()) != FALSE;
        Key(MainHandle(), VK_F11);  // a disabled window runs no shortcuts
        SetFocus(dialog_->edit);
        Key(dialog_->edit, VK_RETURN);
    }});
    EXPECT_EQ(result, ModalResult::OK);
    EXPECT_FALSE(IsZoomed(MainHandle()));
    EXPECT_FALSE(mainEnabledMeanwhile);
    EXPECT_TRUE(IsWindowEnabled(MainHandle()));
    EXPECT_FALSE(dialog_->IsVisible());
    EXPECT_EQ(GetFocus(), Memo());  // back where it was
}

TEST_F(ModalTest, EscAndTheCloseBoxCancelAndTheWindowKeepsItsState) {
    EXPECT_EQ(ShowWith({[&] {
                  SetWindowTextW(dialog_->edit, L"kept");
                  Key(dialog_->edit, VK_ESCAPE);
              }}),
              ModalResult::Cancel);
    EXPECT_EQ(ShowWith({[&] { PostMessageW(dialog_->Handle(), WM_CLOSE, 0, 0); }}), ModalResult::Cancel);
    EXPECT_EQ(TextOf(dialog_->edit), L"kept");
}

TEST_F(ModalTest, TabMovesTheFocusAndEnterStaysInAMultiLineEdit) {
    std::vector<HWND> focus;
    ModalResult result = ShowWith({
        [&] {
            SetFocus(dialog_->edit);
            Key(dialog_->edit, VK_TAB);
        },
        [&] {
            focus.push_back(GetFocus());
            Key(dialog_->memo, VK_RETURN);  // a new line, not OK
        },
        [&] { focus.push_back(GetFocus()), Key(dialog_->memo, VK_TAB); },
        [&] {
            focus.push_back(GetFocus());
            Key(GetFocus(), VK_RETURN);  // Enter on a focused button presses it
        },
    });
    ASSERT_EQ(focus.size(), 3u);
    EXPECT_EQ(focus[0], dialog_->memo);
    EXPECT_EQ(focus[1], dialog_->memo);
    EXPECT_EQ(focus[2], dialog_->ok);
    EXPECT_EQ(result, ModalResult::OK);
}

TEST_F(ModalTest, FailuresInHandlersReachTheApplicationsHandler) {
    // The plain error box while no error report dialog has taken over: caption is the title.
    App().SetExceptionHandler(nullptr);
    dialog_->fail = [] { throw Exception(u"Something broke"); };
    prompter_.AnswerMessage(L"Something broke", IDOK);
    SendMessageW(dialog_->Handle(), WM_COMMAND, 99, 0);
    ASSERT_EQ(prompter_.Messages().size(), 1u);
    EXPECT_EQ(prompter_.Messages()[0].caption, App().Title());
    EXPECT_EQ(prompter_.Messages()[0].flags & MB_ICONMASK, static_cast<UINT>(MB_ICONERROR));

    dialog_->fail = [] { throw EAbort(); };  // the silent abort shows nothing
    SendMessageW(dialog_->Handle(), WM_COMMAND, 99, 0);
    EXPECT_EQ(prompter_.Messages().size(), 1u);

    std::string seen;
    App().SetExceptionHandler([&](const Exception& failure) { seen = failure.ClassName(); });
    dialog_->fail = [] { throw EDivByZero(); };
    SendMessageW(dialog_->Handle(), WM_COMMAND, 99, 0);
    EXPECT_EQ(seen, "EDivByZero");
}

// A control that records what the dispatch hands its typed handlers.
class ProbeControl : public Control {
public:
    void Create(HWND parent) {
        CreateControl(parent, {.className = L"PalimpTestProbe", .name = "probe", .classStyle = CS_DBLCLKS});
        SetWindowPos(Handle(), nullptr, 0, 0, 100, 50, SWP_NOZORDER);
        SCROLLINFO info = {sizeof(info), SIF_RANGE | SIF_PAGE, 0, 200000, 10};
        SetScrollInfo(Handle(), SB_VERT, &info, FALSE);
    }
    std::vector<std::string> seen;

protected:
    void Note(const char* what, int a = 0, int b = 0, unsigned c = 0) {
        seen.push_back(std::string(what) + " " + std::to_string(a) + " " + std::to_string(b) + " " + std::to_string(c));
    }
    void OnMouseDown(MouseButton b, const MouseEvent& m) override { Note(b == MouseButton::Left ? "down" : "rdown", m.x, m.y, m.keys); }
    void OnMouseUp(MouseButton, const MouseEvent& m) override { Note("up", m.x, m.y, m.keys); }
    void OnMouseMove(const MouseEvent& m) override { Note("move", m.x, m.y, m.Shift()); }
    void OnDoubleClick(MouseButton, const MouseEvent& m) override { Note("double", m.x, m.y); }
    bool OnMouseWheel(int delta, const MouseEvent& m) override { return Note("wheel", delta, m.y), true; }
    bool OnKeyDown(UINT key, unsigned modifiers) override { return Note("key", static_cast<int>(key), 0, modifiers), true; }
    bool OnChar(wchar_t ch) override { return Note("char", ch), true; }
    void OnVScroll(int code, int track, HWND) override { Note("vscroll", code, track); }
    std::optional<LRESULT> OnGetDlgCode(const MSG*) override { return DLGC_WANTARROWS | DLGC_WANTCHARS; }
    void OnSetFocus(HWND) override { Note("focus"); }
    void OnKillFocus(HWND) override { Note("blur"); }
    void OnCaptureLost() override { Note("capture lost"); }
    bool OnPaint(HDC dc, const RECT& dirty) override {
        HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
        FillRect(dc, &dirty, red);
        DeleteObject(red);
        return true;
    }
};

class TypedHandlerTest : public GuiTest {
protected:
    void SetUp() override {
        Start();
        probe_.Create(MainHandle());
    }
    LRESULT Send(UINT message, WPARAM wParam, LPARAM lParam) { return SendMessageW(probe_.Handle(), message, wParam, lParam); }
    ProbeControl probe_;
};

TEST_F(TypedHandlerTest, MessagesArriveUnpacked) {
    POINT screen = {30, 40};
    ClientToScreen(probe_.Handle(), &screen);
    BYTE keys[256] = {};
    keys[VK_CONTROL] = 0x80;
    SetKeyboardState(keys);
    Send(WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, MAKELPARAM(7, 9));
    Send(WM_MOUSEMOVE, MK_SHIFT, MAKELPARAM(-3 & 0xFFFF, 12));  // beyond the left edge while dragging
    Send(WM_LBUTTONUP, 0, MAKELPARAM(8, 10));
    Send(WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 6));
    Send(WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), MAKELPARAM(screen.x, screen.y));
    Send(WM_KEYDOWN, VK_DOWN, 0);
    Send(WM_CHAR, L'\u00E9', 0);
    Send(WM_CAPTURECHANGED, 0, 0);
    BYTE released[256] = {};
    SetKeyboardState(released);
    const std::vector<std::string> expected = {
        "down 7 9 " + std::to_string(MK_LBUTTON | MK_SHIFT), "move -3 12 1", "up 8 10 0", "double 5 6 0",
        "wheel -120 40 0", "key " + std::to_string(VK_DOWN) + " 0 " + std::to_string(kCtrl), "char 233 0 0",
        "capture lost 0 0 0"};
    EXPECT_EQ(probe_.seen, expected);
    EXPECT_EQ(Send(WM_GETDLGCODE, 0, 0), DLGC_WANTARROWS | DLGC_WANTCHARS);
}

TEST_F(TypedHandlerTest, AThumbDragReportsAllThirtyTwoBitsOfThePosition) {
    SCROLLINFO info = {sizeof(info), SIF_POS, 0, 0, 0, 150000};
    SetScrollInfo(probe_.Handle(), SB_VERT, &info, FALSE);
    // The message's own 16 bits would say 150000 & 0xFFFF; the handler reads the bar. Outside a
    // real drag the track position is the position.
    Send(WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 150000 & 0xFFFF), 0);
    ASSERT_EQ(probe_.seen.size(), 1u);
    EXPECT_EQ(probe_.seen[0], "vscroll " + std::to_string(SB_THUMBPOSITION) + " 150000 0");
}

TEST_F(TypedHandlerTest, OnePaintRoutineServesTheScreenAndABitmap) {
    Rendering picture(probe_.Handle());
    ASSERT_GT(picture.Width(), 50);
    EXPECT_EQ(picture.At(10, 10), RGB(255, 0, 0));
    EXPECT_EQ(picture.At(picture.Width() - 1, picture.Height() - 1), RGB(255, 0, 0));
}

TEST_F(TypedHandlerTest, ControlsAreFoundByName) {
    EXPECT_EQ(Main().Control("probe"), probe_.Handle());
    EXPECT_EQ(Main().Control("memo"), Memo());
    EXPECT_EQ(Main().Control("nothing"), nullptr);
    EXPECT_EQ(ControlName(probe_.Handle()), "probe");
}

using HookTest = GuiTest;

TEST_F(HookTest, TheApplicationHookSeesMessagesBeforeAnyWindow) {
    Start();
    int swallowed = 0;
    App().SetMessageHook([&](MSG& msg) {
        if (msg.message != WM_CHAR || msg.wParam != L'x') return false;
        ++swallowed;
        return true;
    });
    SetFocus(Memo());
    Type(L"axb");
    EXPECT_EQ(Text(), L"ab");
    EXPECT_EQ(swallowed, 1);
}

}  // namespace
}  // namespace palimp
