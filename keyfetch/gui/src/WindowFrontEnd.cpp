// The window front end of the KeyFetch program.
#include "oltrex/keyfetch/console/WindowFrontEnd.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "oltrex/keyfetch/gui/KeyFetchArt.h"
#include "oltrex/keyfetch/gui/KeyFetchDlg.h"
#include "oltrex/platform/Folders.h"
#include "oltrex/qtcommon/GermanTexts.h"

namespace oltrex {

bool keyFetchWindowAvailable() {
    // Without a display the console front end runs instead.
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        const char* value = std::getenv(name);
        if (value && *value) return true;
    }
    return false;
}

int runKeyFetchWindow(int argc, char** argv) {
    QApplication app(argc, argv);
    qtcommon::installGermanTranslations(app);
    QApplication::setWindowIcon(keyFetchIcon());

    std::error_code ec;
    const std::filesystem::path workFolder = createWorkFolder(ec);
    if (workFolder.empty()) {
        std::fprintf(stderr, "KeyFetch: no private work folder in %s: %s\n", systemTempFolder().c_str(),
                     ec.message().c_str());
        return 2;
    }
    int status = 0;
    {
        KeyFetchWindowSetup setup;
        setup.workFolder = workFolder;
        CKeyFetchDlg dialog(setup);
        dialog.exec();
    }
    // The work folder and everything in it are this run's own.
    std::filesystem::remove_all(workFolder, ec);
    return status;
}

}  // namespace oltrex
