// Screen scaling in one place: every size in the code is written in 96-DPI pixels and goes
// through these helpers. PALIMP_FORCE_DPI=<dpi> overrides the system's value (tests check a
// 150 % layout under Wine with PALIMP_FORCE_DPI=144).
//
// Use: int px = dpi::Scale(36, window.Dpi());  RECT r = dpi::Scale(Bounds96, dpi);
#pragma once

#include <windows.h>

namespace palimp::dpi {

inline constexpr int kDesign = 96;

// The forced DPI from the environment, or 0 when none (or an unusable value) is set.
int Forced();

// The DPI windows are created at: the forced one, else the primary screen's.
int System();

// The DPI of a window: the forced one, else the window's own (per-monitor), else System().
int ForWindow(HWND hwnd);

// A 96-DPI length at dpi, rounded to the nearest pixel.
int Scale(int length96, int dpi);

// A length at dpi back in 96-DPI pixels.
int Unscale(int length, int dpi);

// A font height given in points, as the negative pixel height CreateFont expects.
int PointsToHeight(int points, int dpi);

}  // namespace palimp::dpi
