#include "KeyPictures.h"

#include "oltrex/fwflasher/FormGeometry.h"
#include "oltrex/win32ui/GdiObjects.h"

namespace oltrex::fwflasher {
namespace {

const COLORREF kKeyBody = RGB(0x1F, 0x3B, 0x73);
const COLORREF kMetal = RGB(0xB8, 0xBE, 0xC6);
const COLORREF kLed = RGB(0x2E, 0xC4, 0x4B);

void fill(HDC dc, const RECT& r, COLORREF colour, bool round = false, int radius = 0) {
    win32ui::fillShape(dc, r, colour, colour, round ? radius : 0);
}

// A key lying flat, plug to the right, in the box left, top, width, height.
void drawKey(HDC dc, int left, int top, int width, int height) {
    const int plugWidth = width * 24 / 100;
    const RECT body{left, top, left + width - plugWidth, top + height};
    const RECT plug{body.right, top + height * 22 / 100, left + width, top + height * 78 / 100};
    fill(dc, plug, kMetal);
    fill(dc, body, kKeyBody, true, height * 2 / 5);
    const int led = height * 14 / 100 + 1;
    fill(dc, RECT{body.right - 2 * led, top + led, body.right - led, top + 2 * led}, kLed, true, led);
    win32ui::Font font("Arial", height * 42 / 100 * 72 / 96 + 1, true);
    HGDIOBJ old = SelectObject(dc, font.get());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(255, 255, 255));
    RECT text = body;
    text.right -= (body.right - body.left) * 12 / 100;
    DrawTextW(dc, L"OX", 2, &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    SelectObject(dc, old);
}

void caption(HDC dc, RECT r, const wchar_t* text, int points, bool bold) {
    win32ui::Font font("Arial", points, bold);
    HGDIOBJ old = SelectObject(dc, font.get());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, kKeyBody);
    DrawTextW(dc, text, -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    SelectObject(dc, old);
}

}  // namespace

void drawKeyPicture(HDC dc, const RECT& area) {
    const int size = mainform::kPictureSize;
    const int left = area.left + (area.right - area.left - size) / 2;
    const int top = area.top + (area.bottom - area.top - size) / 2;
    drawKey(dc, left + 2, top + 14, 46, 22);
}

void drawAdapterPicture(HDC dc, const RECT& area) {
    const int left = area.left + (area.right - area.left - infoform::kImage1.width) / 2;
    const int top = area.top + (area.bottom - area.top - infoform::kImage1.height) / 2;
    fill(dc, RECT{left + 62, top + 30, left + 114, top + 74}, RGB(0x8A, 0x92, 0x9C), true, 12);
    HPEN cable = CreatePen(PS_SOLID, 3, RGB(0x30, 0x30, 0x30));
    HGDIOBJ old = SelectObject(dc, cable);
    MoveToEx(dc, left + 114, top + 52, nullptr);
    LineTo(dc, left + 127, top + 70);
    SelectObject(dc, old);
    DeleteObject(cable);
    drawKey(dc, left + 6, top + 40, 70, 24);
    caption(dc, RECT{left, top + 4, left + 129, top + 24}, L"OLTREX-Key", 11, true);
    caption(dc, RECT{left, top + 82, left + 129, top + 100}, L"OLTREX-Adapter", 8, false);
}

}  // namespace oltrex::fwflasher
