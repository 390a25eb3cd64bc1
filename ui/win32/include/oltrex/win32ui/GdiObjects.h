#pragma once
// Fonts and brushes that are deleted with their owner.
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

}  // namespace oltrex::win32ui
