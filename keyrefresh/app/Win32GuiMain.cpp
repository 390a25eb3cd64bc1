// The window of the Windows build: the main window and its pages as native
// Win32 dialogs.
#include <exception>

#include "GuiMain.h"
#include "KeyRefreshDialog.h"
#include "ProgramSetup.h"
#include "oltrex/keyrefresh/CarriedFirmware.h"
#include "oltrex/keyrefresh/RefreshTexts.h"
#include "oltrex/platform/Console.h"
#include "oltrex/win32ui/CommonControls.h"
#include "oltrex/win32ui/MessageBoxes.h"

namespace oltrex {

int runKeyRefreshWindow(int, char**) {
    releaseOwnConsole();
    win32ui::initCommonControls();
    try {
        ProgramParts program;
        RefreshServices services;
        services.keys = &program.keys();
        services.clock = &program.clock();
        services.log = &program.log();
        services.worker = program.workerSetup();
        services.newFirmware = keyRefreshFirmwareVersion();
        KeyRefreshDialog window(services);
        window.run();
    } catch (const std::exception& e) {
        win32ui::centredMessageBox(nullptr, refresh::kWindowTitle, e.what(), MB_OK | MB_ICONERROR);
    }
    return 0;
}

}  // namespace oltrex
