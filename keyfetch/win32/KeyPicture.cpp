#include "KeyPicture.h"

#include "oltrex/win32ui/GdiObjects.h"

namespace oltrex::keyfetchwin32 {
namespace {

const COLORREF kBody = RGB(24, 64, 128);
const COLORREF kBodyEdge = RGB(17, 45, 90);
const COLORREF kMetal = RGB(190, 190, 196);
const COLORREF kMetalEdge = RGB(90, 90, 96);
const COLORREF kHole = RGB(120, 120, 126);

void box(HDC dc, int left, int top, int right, int bottom, COLORREF fill, COLORREF edge, int radius = 0) {
    win32ui::fillShape(dc, RECT{left, top, right, bottom}, fill, edge, radius);
}

}  // namespace

void drawKeyPicture(HDC dc, const RECT& area) {
    const int w = area.right - area.left;
    const int h0 = area.bottom - area.top;
    const int top = area.top + h0 / 10;
    const int h = h0 * 7 / 10;
    const int left = area.left;
    // Plug with its two holes, then the body over its inner end.
    const int plugTop = top + h * 30 / 100, plugBottom = top + h * 70 / 100, plugRight = left + w * 26 / 100;
    box(dc, left, plugTop, plugRight, plugBottom, kMetal, kMetalEdge);
    const int holeLeft = left + w * 6 / 100, holeRight = holeLeft + w * 5 / 100 + 1;
    const int plugHeight = plugBottom - plugTop;
    box(dc, holeLeft, plugTop + plugHeight * 22 / 100, holeRight, plugTop + plugHeight * 40 / 100 + 1, kHole, kHole);
    box(dc, holeLeft, plugTop + plugHeight * 60 / 100, holeRight, plugTop + plugHeight * 78 / 100 + 1, kHole, kHole);
    const RECT body{left + w * 24 / 100, top + h * 18 / 100, area.right, top + h * 82 / 100};
    box(dc, body.left, body.top, body.right, body.bottom, kBody, kBodyEdge, h / 4);

    const int pixels = (body.bottom - body.top) * 45 / 100;
    win32ui::Font font("Arial", pixels * 72 / 96 + 1, true);
    HGDIOBJ old = SelectObject(dc, font.get());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(255, 255, 255));
    RECT label = body;
    DrawTextW(dc, L"OLTREX", 6, &label, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    SelectObject(dc, old);
}

}  // namespace oltrex::keyfetchwin32
