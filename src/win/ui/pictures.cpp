// Alpha pictures: loading with premultiplied colours, and drawing centred.
#include "win/ui/pictures.h"

#include <cstdint>
#include <cstdlib>

namespace palimp {

HBITMAP LoadAlphaPicture(int id) {
    auto picture = static_cast<HBITMAP>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    DIBSECTION dib = {};
    if (!picture || GetObjectW(picture, sizeof dib, &dib) != sizeof dib || dib.dsBm.bmBitsPixel != 32) return picture;
    auto* pixel = static_cast<uint8_t*>(dib.dsBm.bmBits);
    const size_t count = static_cast<size_t>(dib.dsBm.bmWidth) * static_cast<size_t>(std::abs(dib.dsBm.bmHeight));
    for (size_t i = 0; i < count; ++i, pixel += 4) {
        for (int c = 0; c < 3; ++c) pixel[c] = static_cast<uint8_t>((pixel[c] * pixel[3] + 127) / 255);
    }
    return picture;
}

void DrawPicture(HDC dc, const RECT& place, HBITMAP picture) {
    BITMAP info = {};
    if (!picture || !GetObjectW(picture, sizeof info, &info)) return;
    HDC source = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(source, picture);
    // Centred in its place, as the pictures are drawn for exactly these sizes.
    int x = place.left + ((place.right - place.left) - info.bmWidth) / 2;
    int y = place.top + ((place.bottom - place.top) - info.bmHeight) / 2;
    BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    GdiAlphaBlend(dc, x, y, info.bmWidth, info.bmHeight, source, 0, 0, info.bmWidth, info.bmHeight, blend);
    SelectObject(source, old);
    DeleteDC(source);
}

}  // namespace palimp
