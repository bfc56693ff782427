// A horizontal bar showing a whole percentage: the filled part black on white, and the text
// "42%" centred on the bar, drawn inverted over the filled part so it reads on both. It
// repaints only when the shown percentage changes.
#pragma once

#include <windows.h>

#include <string>

#include "win/ui/window.h"

namespace palimp {

class Gauge : public Control {
public:
    void Create(HWND parent, const std::string& name, HFONT font);
    // Clamped to 0..100.
    void SetProgress(int percent);
    int Progress() const { return percent_; }

protected:
    bool OnPaint(HDC dc, const RECT& dirty) override;
    bool OnEraseBackground(HDC dc) override;

private:
    int percent_ = 0;
};

}  // namespace palimp
