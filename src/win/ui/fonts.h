// Fonts by face and size, cached for the whole process and freed at its end, so that no window
// creates or leaks its own GDI font objects. A face that is not installed falls back along a
// short list of look-alikes (Tahoma -> Segoe UI -> MS Sans Serif, Lucida Console -> Consolas ->
// Courier New, ...).
//
// Use: HFONT f = Fonts::Pixels(L"Tahoma", 13, Dpi());          // 13 px high at 96 DPI, scaled
//      HFONT b = Fonts::Pixels(L"Tahoma", 16, 96, FW_BOLD);     // unscaled, bold
//      HFONT m = Fonts::Points(L"Lucida Console", 10, Dpi());   // 10 pt at this DPI
//      HFONT i = Fonts::Pixels(L"Verdana", 13, 96, FW_NORMAL, kItalic);
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace palimp {

// Styles a cached font can carry besides its weight.
enum FontStyle : unsigned { kPlain = 0, kItalic = 1, kUnderline = 2 };

class Fonts {
public:
    // A font whose character height is pixels96 at 96 DPI, scaled to dpi.
    static HFONT Pixels(std::wstring_view face, int pixels96, int dpi, int weight = FW_NORMAL,
                        unsigned style = kPlain);
    // A font of the given size in points at dpi.
    static HFONT Points(std::wstring_view face, int points, int dpi, int weight = FW_NORMAL,
                        unsigned style = kPlain);
    // The face that is actually used for face: face itself when installed, else the first
    // installed look-alike, else face (the font mapper then picks something).
    static std::wstring ResolveFace(std::wstring_view face);
    // Whether a font family of that name is installed.
    static bool IsInstalled(std::wstring_view face);
    // The face name and size in points of a font handle (for the font dialog).
    static std::wstring FaceOf(HFONT font);
    // The face the system really draws font with (the font mapper's choice where the face
    // asked for is not installed); FaceOf(font) when it cannot tell.
    static std::wstring RenderedFace(HFONT font);
};

// The room a line of text takes in font, in pixels: the width of the text and the height of the
// font's line. What a label fitted to its text needs.
SIZE TextSize(HFONT font, std::wstring_view text);
// The same for a control's own text in its own font (WM_GETFONT).
SIZE TextSize(HWND control);

}  // namespace palimp
