#include "oltrex/win32ui/GdiObjects.h"

#include "oltrex/win32ui/Utf8Text.h"

namespace oltrex::win32ui {

Font::Font(const char* family, int points, bool bold) {
    HDC screen = GetDC(nullptr);
    const int height = -MulDiv(points, GetDeviceCaps(screen, LOGPIXELSY), 72);
    ReleaseDC(nullptr, screen);
    font_ = CreateFontW(height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                        OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS,
                        wide(family).c_str());
}

Font::~Font() {
    if (font_) DeleteObject(font_);
}

void setControlFont(HWND control, const Font& font) {
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
}

void fillShape(HDC dc, const RECT& area, COLORREF fill, COLORREF edge, int radius) {
    HBRUSH brush = CreateSolidBrush(fill);
    HPEN pen = CreatePen(PS_SOLID, 1, edge);
    HGDIOBJ oldBrush = SelectObject(dc, brush);
    HGDIOBJ oldPen = SelectObject(dc, pen);
    if (radius > 0) {
        RoundRect(dc, area.left, area.top, area.right, area.bottom, radius, radius);
    } else {
        Rectangle(dc, area.left, area.top, area.right, area.bottom);
    }
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(brush);
    DeleteObject(pen);
}

}  // namespace oltrex::win32ui
