#pragma once
// Message boxes with UTF-8 texts, standing in the middle of their owner when
// it is visible, else in the middle of the screen, with button texts of the
// program's own language whatever the system's.
#include <windows.h>

#include <string>
#include <string_view>

namespace oltrex::win32ui {

struct BoxButtonTexts {
    std::string ok = "OK";
    std::string cancel = "Abbrechen";
};

// `style`: MB_OK or MB_OKCANCEL with an MB_ICON*. Returns IDOK or IDCANCEL.
int centredMessageBox(HWND owner, std::string_view caption, std::string_view text, UINT style,
                      const BoxButtonTexts& buttons = {});

}  // namespace oltrex::win32ui
