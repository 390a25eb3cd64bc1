#pragma once
// The forms' pictures drawn with GDI: the key (main form) and the key in its
// adapter (info form), each centred in `area`.
#include <windows.h>

namespace oltrex::fwflasher {

void drawKeyPicture(HDC dc, const RECT& area);
void drawAdapterPicture(HDC dc, const RECT& area);

}  // namespace oltrex::fwflasher
