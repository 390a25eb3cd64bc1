#include "oltrex/win32ui/CommonControls.h"

#include <windows.h>
#include <commctrl.h>

namespace oltrex::win32ui {

void initCommonControls() {
    INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
}

}  // namespace oltrex::win32ui
