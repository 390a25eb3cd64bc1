#pragma once
// The programs hold UTF-8; the window system's wide-character functions take
// UTF-16. Invalid UTF-8 becomes U+FFFD rather than an empty text.
#include <windows.h>

#include <string>
#include <string_view>

namespace oltrex::win32ui {

std::wstring wide(std::string_view utf8);
std::string utf8(std::wstring_view text);

// The text of a window or control.
std::string windowText(HWND window);
void setWindowText(HWND window, std::string_view utf8);

}  // namespace oltrex::win32ui
