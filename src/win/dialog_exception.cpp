// The error report dialog: a fixed dialog frame around 442 x 394 pixels, never scaled. Two pages
// whose tabs are hidden: "Please Send" (description, e-mail, preview) and "After Send" (the
// server's answer).
#include "win/dialog_exception.h"

#include <commctrl.h>

#include <algorithm>

#include "core/error_report.h"
#include "core/local_info.h"
#include "core/product.h"
#include "win/app.h"
#include "win/form_main.h"
#include "win/form_notepad.h"
#include "win/system/ansi_code_page.h"
#include "win/system/report_sender.h"
#include "win/system/processor_faults.h"
#include "win/resources/resource_ids.h"
#include "win/system/wide.h"
#include "win/ui/fonts.h"
#include "win/ui/pictures.h"
#include "win/ui/prompter.h"

namespace palimp {

namespace {

constexpr wchar_t kWindowFace[] = L"Arial Unicode MS";
constexpr COLORREF kTitleColour = RGB(0x60, 0x60, 0x60);
constexpr COLORREF kHelpImproveColour = RGB(0x5B, 0x5B, 0x5B);
constexpr COLORREF kLinkColour = RGB(0x00, 0x00, 0xFF);
constexpr wchar_t kSend[] = L"&Send";
constexpr wchar_t kClose[] = L"&Close";
constexpr UINT kReportAnswered = WM_APP + 1;
// Failures met while the dialog is up that the report's text lists; more add nothing.
constexpr int kFurtherFailuresListed = 3;


}  // namespace

TDialogException::~TDialogException() {
    if (logoPicture_) DeleteObject(logoPicture_);
}

void TDialogException::CreateForm() {
    CreateWindowHandle({.className = L"TDialogException",
                        .caption = L"Palimp",
                        .style = kDialogFrameStyle,
                        .exStyle = kDialogFrameExStyle,
                        .clientWidth = 442,
                        .clientHeight = 394,
                        .parent = Owner(),
                        .scaleWithDpi = false});
    logoPicture_ = LoadAlphaPicture(IDB_REPORT_LOGO);
    CreateControls();
}

HWND TDialogException::CreateLabel(Layout& layout, HWND parent, const char* name, const wchar_t* text, Bounds place,
                                   HFONT font, DWORD extraStyle) {
    return layout.Create(parent,
                         {.className = WC_STATICW,
                          .name = name,
                          .text = text,
                          .style = SS_LEFT | SS_NOPREFIX | extraStyle,
                          .bounds = place,
                          .font = font},
                         Dpi());
}

void TDialogException::CreateControls() {
    HFONT font = Fonts::Pixels(kWindowFace, 13, Dpi());
    layout_.SetDesignSize(442, 394);

    // The buttons first: the Tab order runs Send, Don't Send, then the fields of the page.
    panelOkCancel.Create(Handle(), {.name = "panelOkCancel", .borderWidth = 8});
    Layout& bottom = panelOkCancel.GetLayout();
    bottom.SetDesignSize(442, 41);
    labelHelpImprove = CreateLabel(bottom, panelOkCancel.Handle(), "labelHelpImprove",
                                   L"You can help to fix it. Send a report.", {8, 12, 230, 16},
                                   Fonts::Pixels(kWindowFace, 12, Dpi()));
    btnSend = bottom.Create(panelOkCancel.Handle(),
                            {.className = WC_BUTTONW, .name = "btnSend", .text = kSend,
                             .style = WS_TABSTOP | BS_DEFPUSHBUTTON, .bounds = {248, 8, 90, 25}, .font = font},
                            Dpi());
    btnCancel = bottom.Create(panelOkCancel.Handle(),
                              {.className = WC_BUTTONW, .name = "btnCancel", .text = L"&Don't Send",
                               .style = WS_TABSTOP | BS_PUSHBUTTON, .bounds = {344, 8, 90, 25}, .font = font},
                              Dpi());

    CreatePleaseSendPage();

    tsAfterSend.Create(Handle(), {.name = "tsAfterSend", .visible = false});
    // The server's answer, read-only and out of the Tab order.
    WebBrowser = tsAfterSend.GetLayout().Create(
        tsAfterSend.Handle(),
        {.className = WC_EDITW, .name = "WebBrowser",
         .style = WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_READONLY, .exStyle = WS_EX_CLIENTEDGE,
         .dock = Dock::Fill, .font = font},
        Dpi());

    panelTop.Create(Handle(), {.name = "panelTop"});
    Layout& top = panelTop.GetLayout();
    labelTitle = CreateLabel(top, panelTop.Handle(), "labelTitle", L"", {12, 20, 290, 19},
                             Fonts::Pixels(L"Tahoma", 16, Dpi(), FW_BOLD));
    imageLogo40 = top.Create(panelTop.Handle(), {.className = WC_STATICW, .name = "imageLogo40", .style = SS_OWNERDRAW,
                                                 .bounds = {312, 8, 119, 42}},
                             Dpi());
    labelSending = CreateLabel(top, panelTop.Handle(), "labelSending", L"", {12, 39, 290, 16}, font);

    layout_.Add(panelTop.Handle(), {0, 0, 442, 57}, Dock::Top);
    layout_.Add(panelOkCancel.Handle(), {0, 0, 442, 41}, Dock::Bottom);
    layout_.Add(tsPleaseSend.Handle(), {}, Dock::Fill);
    layout_.Add(tsAfterSend.Handle(), {}, Dock::Fill);
    layout_.Arrange(Handle(), Dpi());

    SetDefaultButton(btnSend);
    OnClick(btnSend, [this] { btnSendClick(); });
    SetButtonResult(btnCancel, ModalResult::Cancel);
    OnClick(btnSee, [this] { btnSeeClick(); });
    OnClick(labelWww, [this] { labelWwwClick(); });
    Actions().Add({.name = "EditSelectAll", .caption = L"Select &All", .shortcut = {'A', kCtrl}},
                  [this] { EditSelectAllExecute(); });
}

void TDialogException::CreatePleaseSendPage() {
    HFONT font = Fonts::Pixels(kWindowFace, 13, Dpi());
    tsPleaseSend.Create(Handle(), {.name = "tsPleaseSend"});
    Layout& page = tsPleaseSend.GetLayout();
    HWND parent = tsPleaseSend.Handle();
    labelPleaseSend = CreateLabel(page, parent, "labelPleaseSend", L"Please send error report to ", {8, 8, 0, 16},
                                  Fonts::Pixels(kWindowFace, 13, Dpi(), FW_BOLD));
    labelWww = CreateLabel(page, parent, "labelWww", L"", {8, 8, 0, 16},
                           Fonts::Pixels(kWindowFace, 13, Dpi(), FW_NORMAL, kUnderline), SS_NOTIFY);
    CreateLabel(page, parent, "TntLabel5",
                L"Any data you send us is confidential and will not be used for any other purpose than fixing the "
                L"problem.",
                {8, 28, 405, 32}, font);
    CreateLabel(page, parent, "TntLabel2", L"Describe steps leading to this error (optional)", {8, 80, 400, 16}, font);
    memoComment = page.Create(parent,
                              {.className = WC_EDITW, .name = "memoComment",
                               .style = WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN,
                               .exStyle = WS_EX_CLIENTEDGE, .bounds = {8, 98, 417, 81}, .font = font},
                              Dpi());
    SendMessageW(memoComment, EM_LIMITTEXT, 300, 0);
    CreateLabel(page, parent, "TntLabel1", L"Your Email Address (optional)", {8, 192, 180, 16}, font);
    edEmail = page.Create(parent,
                          {.className = WC_EDITW, .name = "edEmail", .style = WS_TABSTOP | ES_AUTOHSCROLL,
                           .exStyle = WS_EX_CLIENTEDGE, .bounds = {192, 188, 233, 21}, .font = font},
                          Dpi());
    SendMessageW(edEmail, EM_LIMITTEXT, 100, 0);
    btnSee = page.Create(parent,
                         {.className = WC_BUTTONW, .name = "btnSee", .text = L"See &what will be sent",
                          .style = WS_TABSTOP | BS_PUSHBUTTON, .bounds = {8, 237, 153, 25}, .font = font},
                         Dpi());
}

void TDialogException::FormCreate() {
    // From now on every uncaught failure ends here, processor faults included.
    InstallProcessorFaults();
    App().SetExceptionHandler([this](const Exception& failure) { HandleAppException(failure); });
    reportServer_ = std::u16string(product::kReportServer);

    // The domain name continues "Please send error report to ", on the same line.
    SetWindowTextW(labelWww, ToWide(product::kMakerDomain).c_str());
    auto widthOf = [](HWND label) { return static_cast<int>(TextSize(label).cx); };
    // The height a wrapping label's text takes at this width.
    auto heightOf = [](HWND label, int width) {
        HDC dc = GetDC(label);
        HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0)));
        std::wstring text = ToWide(WindowText(label));
        RECT needed = {0, 0, width, 0};
        DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &needed, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
        SelectObject(dc, old);
        ReleaseDC(label, dc);
        return static_cast<int>(needed.bottom);
    };
    Layout& page = tsPleaseSend.GetLayout();
    int pleaseWidth = widthOf(labelPleaseSend);
    page.SetBounds(labelPleaseSend, {8, 8, pleaseWidth, 16});
    page.SetBounds(labelWww, {8 + pleaseWidth, 8, widthOf(labelWww), 16});
    // The e-mail box moves right (and narrows) as far as the label before it needs in the
    // dialog's font, which is a wider substitute where "Arial Unicode MS" is missing; the note
    // above takes the lines its text needs, down to the next label.
    HWND labelEmail = Control("TntLabel1");
    const int emailLabelWidth = std::max(180, widthOf(labelEmail) + 1);
    page.SetBounds(labelEmail, {8, 192, emailLabelWidth, 16});
    page.SetBounds(edEmail, {8 + emailLabelWidth + 4, 188, 425 - (8 + emailLabelWidth + 4), 21});
    HWND note = Control("TntLabel5");
    page.SetBounds(note, {8, 28, 405, std::clamp(heightOf(note, 405), 32, 80 - 28 - 2)});
    page.Arrange(tsPleaseSend.Handle(), Dpi());
    SetHint(labelWww, L"Open");

    SetCaption(L"Palimp");
    SetWindowTextW(labelTitle, L"Palimp causes Error");
    SetWindowTextW(edEmail, L"");
    SetWindowTextW(memoComment, L"");
    reportQuery_.clear();
    reportText_.clear();
}

void TDialogException::OnSize(int, int) { layout_.Arrange(Handle(), Dpi()); }

void TDialogException::ShowPage(bool afterSend) {
    ShowWindow(tsPleaseSend.Handle(), afterSend ? SW_HIDE : SW_SHOW);
    ShowWindow(tsAfterSend.Handle(), afterSend ? SW_SHOW : SW_HIDE);
    layout_.Arrange(Handle(), Dpi());
}

void TDialogException::FormShow() {
    // The keyboard starts in the description: a key typed at once must not press a button.
    SetInitialFocus(memoComment);
    EnableWindow(btnCancel, TRUE);
    SetWindowTextW(btnSend, kSend);
    ShowWindow(labelHelpImprove, SW_SHOW);
    SetWindowTextW(labelSending, L"");
    ShowPage(false);
}

void TDialogException::SetReportServer(std::u16string server) {
    reportServer_ = std::move(server);
    directToServer_ = true;
}

void TDialogException::HandleAppException(const Exception& failure) {
    if (dynamic_cast<const EAbort*>(&failure)) return;  // the silent abort
    if (handling_) {
        // The dialog is up already (a failure in its own handlers, or behind it): the report
        // tells of it, and the user goes on with the dialog.
        if (++furtherFailures_ <= kFurtherFailuresListed) {
            reportText_ += L"\r\nFurther error: " + ToWide(FromUtf8(failure.ClassName())) + L": " +
                           ToWide(failure.Message());
        }
        return;
    }
    handling_ = true;
    furtherFailures_ = 0;
    FailureFacts facts{.className = FromUtf8(failure.ClassName()),
                       .message = failure.Message(),
                       .address = FailureAddress(failure)};
    if (failure.HasErrorCode()) facts.code = static_cast<std::uint32_t>(failure.ErrorCode());
    ErrorReport report = ComposeReport(facts, LocalInfo, SystemAnsiCodePage());
    reportQuery_ = ToWide(report.query);
    reportText_ = ToWide(report.text);

    FormShow();
    App().GetPrompter().ShowModal(*this);
    // However it closed, the program ends; the user's unsaved text is offered for saving first.
    RunGuarded([this] { App().FormMain().OfferToSaveBeforeExit(); });
    App().Terminate();
}

void TDialogException::btnSendClick() {
    if (ToWide(WindowText(btnSend)) == kClose) {
        SetModalResult(ModalResult::OK);
        return;
    }
    const AnsiCodePage& codePage = SystemAnsiCodePage();
    std::u16string query = SendQuery(U16View(reportQuery_), WindowText(edEmail),
                                     WindowText(memoComment), codePage);
    reportQuery_ = ToWide(query);
    EnableWindow(btnCancel, FALSE);
    SetWindowTextW(btnSend, kClose);
    ShowWindow(labelHelpImprove, SW_HIDE);
    SetWindowTextW(labelSending, L"Sending report...");
    // A request that cannot be started is passed over: the page turns all the same.
    SendReportAsync(Handle(), kReportAnswered, ToWide(ReportUrl(reportServer_, query, codePage)), directToServer_);
    ShowPage(true);
    SetFocus(btnSend);
}

bool TDialogException::OnMessage(UINT message, WPARAM, LPARAM lParam, LRESULT& result) {
    if (message != kReportAnswered) return false;
    std::unique_ptr<ReportAnswer> answer = TakeReportAnswer(lParam);
    std::wstring shown;
    if (answer->error) {
        shown = L"The report could not be delivered: " + ReportErrorText(answer->error);
    } else {
        shown = ToWide(NormalizeLineBreaks(DecodeTextFile(answer->body, SystemAnsiCodePage())));
    }
    SetWindowTextW(WebBrowser, shown.c_str());
    WebBrowserDownloadComplete();
    result = 0;
    return true;
}

void TDialogException::btnSeeClick() {
    TFormNotepad& viewer = App().FormNotepad();
    viewer.SetCaption(L"Palimp - Error Report");
    viewer.SetText(WideView(ReportPreviewText(U16View(reportText_), WindowText(edEmail),
                                              WindowText(memoComment))));
    App().GetPrompter().ShowModal(viewer);
}

void TDialogException::labelWwwClick() { App().GetPrompter().ShellOpen(Handle(), ToWide(product::kMakerUrl)); }

void TDialogException::WebBrowserDownloadComplete() { SetWindowTextW(labelSending, L""); }

void TDialogException::EditSelectAllExecute() {
    HWND focus = GetFocus();
    if (focus == memoComment || focus == edEmail || focus == WebBrowser) SendMessageW(focus, EM_SETSEL, 0, -1);
}

bool TDialogException::OnSetCursor(HWND target, int) {
    if (target != labelWww) return false;
    SetCursor(LoadCursorW(nullptr, IDC_HAND));
    return true;
}

HBRUSH TDialogException::OnControlColour(UINT message, HWND control, HDC dc) {
    if (message != WM_CTLCOLORSTATIC) return nullptr;
    if (control == labelTitle) {
        SetTextColor(dc, kTitleColour);
    } else if (control == labelHelpImprove) {
        SetTextColor(dc, kHelpImproveColour);
    } else if (control == labelWww) {
        SetTextColor(dc, kLinkColour);
    } else if (control == WebBrowser) {
        return nullptr;  // a read-only editor keeps its own colours
    } else {
        SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    }
    SetBkMode(dc, TRANSPARENT);
    return GetSysColorBrush(COLOR_BTNFACE);
}

bool TDialogException::OnDrawItem(const DRAWITEMSTRUCT& item) {
    if (item.hwndItem != imageLogo40) return false;
    FillRect(item.hDC, &item.rcItem, GetSysColorBrush(COLOR_BTNFACE));
    DrawPicture(item.hDC, item.rcItem, logoPicture_);
    return true;
}

}  // namespace palimp
