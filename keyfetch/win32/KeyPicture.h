#pragma once
// The main dialog's decoration (bitmap 129 of the template): the key lying on
// its side, plug on the left, drawn to the size of its control.
#include <windows.h>

namespace oltrex::keyfetchwin32 {

void drawKeyPicture(HDC dc, const RECT& area);

}  // namespace oltrex::keyfetchwin32
