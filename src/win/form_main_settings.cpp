// The main window's kept settings: the editor font, word wrap, the find options and panel, the
// status line and the window's place, taken over at creation and handed back when it closes.
#include <windows.h>

#include "core/settings.h"
#include "win/form_main.h"
#include "win/system/wide.h"

namespace palimp {

void TFormMain::ApplyKeptSettings(const Settings& settings) {
    if (settings.fontFace != ToU16(editorFontFace) || settings.fontSize != editorFontSize) {
        editorFontFace = ToWide(settings.fontFace);
        SetEditorFontSize(settings.fontSize);
    }
    if (!settings.wordWrap && actionWordWrap->Checked()) actionWordWrap->Execute();
    miCaseSensitive->SetChecked(settings.caseSensitive);
    miWholeWordsOnly->SetChecked(settings.wholeWords);
    if (settings.mainWindow) {
        // The place of the last run, as the system keeps it (the normal place of a maximised
        // window); the system brings a place off every screen back into view.
        WINDOWPLACEMENT placement = {sizeof(placement)};
        GetWindowPlacement(Handle(), &placement);
        const WindowPlace& place = *settings.mainWindow;
        placement.rcNormalPosition = {place.x, place.y, place.x + place.width, place.y + place.height};
        placement.showCmd = SW_HIDE;
        placement.flags = 0;
        SetWindowPlacement(Handle(), &placement);
    }
    startMaximized_ = settings.mainMaximized;
    if (settings.findPanelShown && !actionShowHideFindPanel->Checked()) actionShowHideFindPanel->Execute();
    if (!settings.statusBarShown && actionStatusBar->Checked()) actionStatusBar->Execute();
}

void TFormMain::ShowAtStart() { ShowWindow(Handle(), startMaximized_ ? SW_SHOWMAXIMIZED : SW_SHOW); }

void TFormMain::KeepSettings(Settings& settings) const {
    settings.fontFace = ToU16(editorFontFace);
    settings.fontSize = editorFontSize;
    settings.wordWrap = actionWordWrap->Checked();
    settings.caseSensitive = miCaseSensitive->Checked();
    settings.wholeWords = miWholeWordsOnly->Checked();
    settings.findPanelShown = actionShowHideFindPanel->Checked();
    settings.statusBarShown = actionStatusBar->Checked();
    WINDOWPLACEMENT placement = {sizeof(placement)};
    if (GetWindowPlacement(Handle(), &placement)) {
        const RECT& r = placement.rcNormalPosition;
        settings.mainWindow = WindowPlace{r.left, r.top, r.right - r.left, r.bottom - r.top};
        settings.mainMaximized = placement.showCmd == SW_SHOWMAXIMIZED || IsZoomed(Handle());
    }
}

}  // namespace palimp
