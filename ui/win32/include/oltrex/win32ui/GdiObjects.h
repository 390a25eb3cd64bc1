#pragma once
// Fonts that are deleted with their owner, and filled shapes for drawn pictures.
#include <windows.h>

namespace oltrex::win32ui {

class Font {
public:
    Font() = default;
    // `points` at the screen's resolution.
    Font(const char* family, int points, bool bold = false);
    ~Font();
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;
    HFONT get() const { return font_; }

private:
    HFONT font_ = nullptr;
};

// Gives `control` the font (not owned by the control).
void setControlFont(HWND control, const Font& font);

// Fills `area` with `fill`, outlined in `edge`; with corners of `radius`
// pixels when it is above 0.
void fillShape(HDC dc, const RECT& area, COLORREF fill, COLORREF edge, int radius = 0);

}  // namespace oltrex::win32ui
