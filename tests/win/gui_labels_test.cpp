// Every label of every window shows its whole text, at 96 and at 144 DPI, in the fonts the
// system really has (under Wine several faces of the designs are substitutes, and wider).
//
// Regression: the error report's "Your Email Address (optional)" showed as "Your Email Address",
// the rest wrapped out of its 180 pixels.
#include <windows.h>

#include <string>

#include "gui_support.h"
#include "win/dialog_exception.h"
#include "win/dlg_about.h"
#include "win/dlg_progress.h"
#include "win/form_from_to.h"
#include "win/form_notepad.h"
#include "win/form_table.h"

namespace palimp {
namespace {

using LabelRegressions = GuiTest;

TEST_F(LabelRegressions, ALabelOfADialogWasCutOrWrappedOutOfSight) {
    for (int dpi : {96, 144}) {
        SetEnvironmentVariableW(L"PALIMP_FORCE_DPI", std::to_wstring(dpi).c_str());
        Start();
        SetEnvironmentVariableW(L"PALIMP_FORCE_DPI", nullptr);
        Form* forms[] = {&App().FormMain(),  &App().FormTable(),       &App().dlgAbout(),   &App().dlgProgress(),
                         &App().FormFromTo(), &App().DialogException(), &App().FormNotepad()};
        size_t checked = 0;
        for (Form* form : forms) {
            const bool wasVisible = form->IsVisible();
            form->Show();
            Pump();
            for (HWND label : LabelsOf(form->Handle())) {
                EXPECT_TRUE(ShowsWholeText(label)) << "at " << dpi << " DPI";
                ++checked;
            }
            if (!wasVisible) form->Hide();
        }
        // The report dialog alone has seven labels with text; a count this low means none were seen.
        EXPECT_GE(checked, 10u);
        Stop();
    }
}

}  // namespace
}  // namespace palimp
