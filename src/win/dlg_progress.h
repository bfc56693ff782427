// The progress dialog of the replace-many pass (one instance, dlgProgress): "Replacing...", the
// count, a percentage bar and Cancel. It is shown without a modal loop of its own: the pass
// runs on and lets the dialog's messages be handled at each refresh. Closing it in any way
// (Cancel, Esc, the close box, Alt+F4) sets CancelRequested.
#pragma once

#include <string_view>

#include "win/app_form.h"
#include "win/ui/gauge.h"
#include "win/ui/layout.h"

namespace palimp {

// Set by closing the progress dialog, cleared by each replace-many pass when it starts.
extern bool CancelRequested;

class TdlgProgress : public AppForm {
public:
    explicit TdlgProgress(FormHost& host) : AppForm(host) {}
    void CreateForm() override;
    void FormCreate() override;

    // Shows the dialog (FormShow: the main window disabled, an empty count, the bar at 0).
    void ShowProgress();
    // The pass is over and its result goes into the editor: the bar full, Cancel disabled (there
    // is nothing left to cancel), painted at once.
    void ShowApplying();
    // Hides it by program (FormHide: the main window enabled); CancelRequested stays as it is.
    void HideProgress();
    void SetCount(std::wstring_view text);
    void SetPercent(int percent) { gauge.SetProgress(percent); }
    int Percent() const { return gauge.Progress(); }

protected:
    void OnClose() override;
    void OnSize(int width, int height) override;

private:
    void FormShow();
    void FormHide();
    void FormClose();
    void CancelBtnClick();

    Layout layout_;
    HWND labelReplacing = nullptr;
    HWND labelCount = nullptr;
    Gauge gauge;
    HWND CancelBtn = nullptr;
};

}  // namespace palimp
