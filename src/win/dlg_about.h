// The about box (one instance, dlgAbout): the program's name, version and slogan, a copyright
// line and a link to the maker's web site. Laid out in fixed pixels at every DPI.
#pragma once

#include <windows.h>

#include <string_view>

#include "win/app_form.h"
#include "win/ui/layout.h"

namespace palimp {

class TdlgAbout : public AppForm {
public:
    explicit TdlgAbout(FormHost& host) : AppForm(host) {}
    ~TdlgAbout() override;

    // The dialog and its controls, hidden, owned by the main window.
    void CreateForm() override;
    // Sets the caption and every text; the web address continues the copyright line.
    void FormCreate() override;

protected:
    bool OnSetCursor(HWND target, int hitTest) override;
    void OnSetFocus(HWND previous) override;
    HBRUSH OnControlColour(UINT message, HWND control, HDC dc) override;
    bool OnDrawItem(const DRAWITEMSTRUCT& item) override;

private:
    void CreateControls();
    HWND CreateLabel(const char* name, Bounds place, HFONT font, DWORD extraStyle = 0);
    // Sets a label's text and sizes the label to it (one line, the font's height).
    void SetLabelText(HWND label, std::wstring_view text);

    // Opens the maker's web address in the browser; the box stays open.
    void labelWwwClick();
    // Esc: closes the box with the cancel result.
    void actionExitExecute();

    Layout layout_;

    HWND imageTop = nullptr;
    HWND imageLogo40 = nullptr;
    HWND labelProgramName = nullptr;
    HWND labelSlogan = nullptr;
    HWND Bevel1 = nullptr;
    HWND labelVersion = nullptr;
    HWND labelCopyright = nullptr;
    HWND labelWww = nullptr;
    HWND OKBtn = nullptr;

    // Pictures with premultiplied alpha (owned); fonts from the shared cache.
    HBITMAP bannerPicture_ = nullptr;
    HBITMAP logoPicture_ = nullptr;
};

}  // namespace palimp
