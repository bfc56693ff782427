// The error report dialog (one instance, DialogException): where every uncaught failure ends.
// It shows the failure, lets the user describe it, preview the report and send it to the
// maker's report server with one GET request, and then the program ends.
#pragma once

#include <windows.h>

#include <string>

#include "core/errors.h"

#include "win/app_form.h"
#include "win/ui/layout.h"
#include "win/ui/panel.h"

namespace palimp {

class TDialogException : public AppForm {
public:
    explicit TDialogException(FormHost& host) : AppForm(host) {}
    ~TDialogException() override;
    void CreateForm() override;
    void FormCreate() override;

    // The handler of every uncaught failure from now on (installed by FormCreate): composes
    // the report, shows the dialog modally, and when it closes ends the program. The silent
    // abort is dropped. A failure while the dialog is up does not open it again: it is added
    // to the report's text.
    void HandleAppException(const Exception& failure);

    // The two texts of the report as they stand (query and readable text), as the 8-bit texts
    // of the ANSI code page read back.
    const std::wstring& ReportQuery() const { return reportQuery_; }
    const std::wstring& ReportText() const { return reportText_; }

    // Where reports go (scheme, host, port); tests point it at a server of their own, which is
    // then reached without any proxy.
    void SetReportServer(std::u16string server);

protected:
    bool OnSetCursor(HWND target, int hitTest) override;
    HBRUSH OnControlColour(UINT message, HWND control, HDC dc) override;
    bool OnDrawItem(const DRAWITEMSTRUCT& item) override;
    void OnSize(int width, int height) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void CreateControls();
    void CreatePleaseSendPage();
    HWND CreateLabel(Layout& layout, HWND parent, const char* name, const wchar_t* text, Bounds place, HFONT font,
                     DWORD extraStyle = 0);
    void ShowPage(bool afterSend);

    void FormShow();
    void btnSendClick();
    void btnSeeClick();
    void labelWwwClick();
    void WebBrowserDownloadComplete();
    void EditSelectAllExecute();

    Layout layout_;
    Panel panelTop;
    Panel tsPleaseSend;
    Panel tsAfterSend;
    Panel panelOkCancel;
    HWND labelTitle = nullptr;
    HWND imageLogo40 = nullptr;
    HWND labelSending = nullptr;
    HWND labelPleaseSend = nullptr;
    HWND labelWww = nullptr;
    HWND memoComment = nullptr;
    HWND edEmail = nullptr;
    HWND btnSee = nullptr;
    HWND WebBrowser = nullptr;
    HWND labelHelpImprove = nullptr;
    HWND btnSend = nullptr;
    HWND btnCancel = nullptr;

    HBITMAP logoPicture_ = nullptr;
    std::wstring reportQuery_;
    std::wstring reportText_;
    std::u16string reportServer_;
    bool directToServer_ = false;
    bool handling_ = false;     // the dialog is up for a failure
    int furtherFailures_ = 0;   // failures met while it was up
};

}  // namespace palimp
