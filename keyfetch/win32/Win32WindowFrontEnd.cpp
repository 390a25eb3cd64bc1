// The window front end of KeyFetch on Windows: the main dialog as a native
// Win32 dialog.
#include <cstdio>
#include <exception>
#include <filesystem>

#include "KeyFetchDialog.h"
#include "oltrex/keyfetch/console/WindowFrontEnd.h"
#include "oltrex/platform/Console.h"
#include "oltrex/platform/Folders.h"
#include "oltrex/platform/PathText.h"
#include "oltrex/sdimport/ImportMessage.h"
#include "oltrex/win32ui/CommonControls.h"
#include "oltrex/win32ui/MessageBoxes.h"

namespace oltrex {

// Windows always has a desktop to show the dialog on.
bool keyFetchWindowAvailable() { return true; }

int runKeyFetchWindow(int, char**) {
    releaseOwnConsole();
    win32ui::initCommonControls();
    std::error_code ec;
    const std::filesystem::path workFolder = createWorkFolder(ec);
    if (workFolder.empty()) {
        std::fprintf(stderr, "KeyFetch: no private work folder in %s: %s\n", utf8Of(systemTempFolder()).c_str(),
                     ec.message().c_str());
        win32ui::centredMessageBox(nullptr, kKeyFetchCaption,
                                   "KeyFetch kann keinen Arbeitsordner anlegen: " + utf8Of(systemTempFolder()),
                                   MB_OK | MB_ICONERROR);
        return 2;
    }
    int status = 0;
    try {
        KeyFetchWindowSetup setup;
        setup.workFolder = workFolder;
        keyfetchwin32::KeyFetchDialog dialog(setup);
        dialog.run();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "KeyFetch: %s\n", e.what());
        status = 1;
    }
    // The work folder and everything in it are this run's own.
    std::filesystem::remove_all(workFolder, ec);
    return status;
}

}  // namespace oltrex
