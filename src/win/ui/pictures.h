// Pictures from the resources with an alpha channel, drawn over whatever lies behind them.
#pragma once

#include <windows.h>

namespace palimp {

// A 32-bit picture from the resources, its colours premultiplied by alpha as AlphaBlend wants
// them (the caller deletes it). Null when the resource is missing: nothing is drawn then.
HBITMAP LoadAlphaPicture(int id);

// Draws picture centred in place, blended over what is there; nothing for a null picture.
void DrawPicture(HDC dc, const RECT& place, HBITMAP picture);

}  // namespace palimp
