// The process-wide font cache and the face fallbacks.
#include "win/ui/fonts.h"

#include <map>
#include <tuple>
#include <vector>

#include "win/ui/dpi.h"

namespace palimp {

namespace {

// Look-alikes tried in order when a face is missing (Wine, stripped-down systems).
const std::map<std::wstring, std::vector<std::wstring>, std::less<>>& Fallbacks() {
    static const std::map<std::wstring, std::vector<std::wstring>, std::less<>> table = {
        {L"Tahoma", {L"Segoe UI", L"MS Sans Serif", L"Microsoft Sans Serif", L"Arial", L"DejaVu Sans"}},
        {L"Lucida Console", {L"Consolas", L"Courier New", L"DejaVu Sans Mono", L"Liberation Mono"}},
        {L"Lucida Sans Unicode", {L"Arial Unicode MS", L"Segoe UI", L"Tahoma", L"Arial", L"DejaVu Sans"}},
        {L"Arial Unicode MS", {L"Lucida Sans Unicode", L"Segoe UI", L"Tahoma", L"Arial", L"DejaVu Sans"}},
        {L"Arial", {L"Liberation Sans", L"DejaVu Sans", L"Tahoma"}},
        {L"Verdana", {L"DejaVu Sans", L"Bitstream Vera Sans", L"Tahoma", L"Segoe UI"}},
    };
    return table;
}

int CALLBACK NoteFound(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
    *reinterpret_cast<bool*>(found) = true;
    return 0;  // one is enough
}

// Owns every font handed out; the handles stay valid until the process ends.
class FontCache {
public:
    ~FontCache() {
        for (auto& [key, font] : fonts_) DeleteObject(font);
    }
    HFONT Get(std::wstring_view face, int height, int weight, unsigned style) {
        std::wstring resolved = ResolvedFace(face);
        auto key = std::make_tuple(resolved, height, weight, style);
        auto it = fonts_.find(key);
        if (it != fonts_.end()) return it->second;
        LOGFONTW lf = {};
        lf.lfHeight = height;
        lf.lfWeight = weight;
        lf.lfItalic = (style & kItalic) != 0;
        lf.lfUnderline = (style & kUnderline) != 0;
        lf.lfCharSet = DEFAULT_CHARSET;
        lf.lfQuality = DEFAULT_QUALITY;
        lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
        lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
        lstrcpynW(lf.lfFaceName, resolved.c_str(), LF_FACESIZE);
        HFONT font = CreateFontIndirectW(&lf);
        if (!font) font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));  // never null
        fonts_.emplace(key, font);
        return font;
    }
    std::wstring ResolvedFace(std::wstring_view face) {
        auto it = faces_.find(face);
        if (it != faces_.end()) return it->second;
        std::wstring result(face);
        if (!Fonts::IsInstalled(face)) {
            auto fallback = Fallbacks().find(face);
            if (fallback != Fallbacks().end()) {
                for (const std::wstring& candidate : fallback->second) {
                    if (Fonts::IsInstalled(candidate)) {
                        result = candidate;
                        break;
                    }
                }
            }
        }
        faces_.emplace(std::wstring(face), result);
        return result;
    }

private:
    std::map<std::tuple<std::wstring, int, int, unsigned>, HFONT> fonts_;
    std::map<std::wstring, std::wstring, std::less<>> faces_;
};

FontCache& Cache() {
    static FontCache cache;
    return cache;
}

}  // namespace

bool Fonts::IsInstalled(std::wstring_view face) {
    if (face.empty() || face.size() >= LF_FACESIZE) return false;
    LOGFONTW lf = {};
    lf.lfCharSet = DEFAULT_CHARSET;
    face.copy(lf.lfFaceName, face.size());
    bool found = false;
    HDC screen = GetDC(nullptr);
    EnumFontFamiliesExW(screen, &lf, NoteFound, reinterpret_cast<LPARAM>(&found), 0);
    ReleaseDC(nullptr, screen);
    return found;
}

std::wstring Fonts::ResolveFace(std::wstring_view face) { return Cache().ResolvedFace(face); }

HFONT Fonts::Pixels(std::wstring_view face, int pixels96, int dpi, int weight, unsigned style) {
    return Cache().Get(face, -dpi::Scale(pixels96, dpi), weight, style);
}

HFONT Fonts::Points(std::wstring_view face, int points, int dpi, int weight, unsigned style) {
    return Cache().Get(face, dpi::PointsToHeight(points, dpi), weight, style);
}

std::wstring Fonts::RenderedFace(HFONT font) {
    wchar_t face[LF_FACESIZE] = {};
    HDC screen = GetDC(nullptr);
    HGDIOBJ old = SelectObject(screen, font);
    const int length = GetTextFaceW(screen, LF_FACESIZE, face);
    SelectObject(screen, old);
    ReleaseDC(nullptr, screen);
    return length > 0 ? std::wstring(face) : FaceOf(font);
}

std::wstring Fonts::FaceOf(HFONT font) {
    LOGFONTW lf = {};
    if (!font || !GetObjectW(font, sizeof(lf), &lf)) return {};
    return lf.lfFaceName;
}

SIZE TextSize(HFONT font, std::wstring_view text) {
    HDC screen = GetDC(nullptr);
    HGDIOBJ old = SelectObject(screen, font ? font : GetStockObject(DEFAULT_GUI_FONT));
    SIZE size = {};
    GetTextExtentPoint32W(screen, text.data(), static_cast<int>(text.size()), &size);
    TEXTMETRICW metrics = {};
    GetTextMetricsW(screen, &metrics);
    SelectObject(screen, old);
    ReleaseDC(nullptr, screen);
    return {size.cx, metrics.tmHeight};
}

SIZE TextSize(HWND control) {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
    return TextSize(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)), text);
}

}  // namespace palimp
