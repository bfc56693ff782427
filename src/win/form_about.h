// The about box (one instance, dlgAbout): the program's name, version and slogan, a copyright
// line and a link to the maker's web site. Laid out in fixed pixels at every DPI.
#pragma once

#include <windows.h>

#include <string_view>

#include "win/actions.h"
#include "win/layout.h"
#include "win/window.h"

namespace palimp {

class TdlgAbout : public Form {
public:
    explicit TdlgAbout(Application& app) : Form(app) {}
    ~TdlgAbout() override;

    // The dialog and its controls, hidden, owned by the main window.
    void CreateForm() override;
    // Sets the caption and every text; the web address continues the copyright line.
    void FormCreate() override;

protected:
    bool OnCommand(int id, int code, HWND control) override;
    bool OnSetCursor(HWND target, int hitTest) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    friend class TdlgAboutTestAccess;

    void CreateControls();
    void CreateFonts();
    void LoadPictures();
    HWND CreateLabel(Bounds place, HFONT font, DWORD extraStyle = 0);
    // Sets a label's text and sizes the label to it (one line, the font's height).
    void SetLabelText(HWND label, std::wstring_view text);
    void AddHint(HWND control, const wchar_t* hint);
    bool DrawItem(const DRAWITEMSTRUCT& item);
    HBRUSH LabelColours(HWND label, HDC dc);

    // Opens the maker's web address in the browser; the box stays open.
    void labelWwwClick();
    // Esc: closes the box with the cancel result.
    void actionExitExecute();

    Layout layout_;
    ActionList actionList;
    Action* actionExit = nullptr;

    HWND imageTop = nullptr;
    HWND imageLogo40 = nullptr;
    HWND labelProgramName = nullptr;
    HWND labelSlogan = nullptr;
    HWND Bevel1 = nullptr;
    HWND labelVersion = nullptr;
    HWND labelCopyright = nullptr;
    HWND labelWww = nullptr;
    HWND OKBtn = nullptr;
    HWND hints_ = nullptr;

    // Pictures with premultiplied alpha (owned); fonts from the shared cache.
    HBITMAP bannerPicture_ = nullptr;
    HBITMAP logoPicture_ = nullptr;
    HFONT sloganFont_ = nullptr;
    HFONT linkFont_ = nullptr;
    HFONT windowFont_ = nullptr;
    HFONT programNameFont_ = nullptr;
};

}  // namespace palimp
