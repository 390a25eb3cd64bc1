#include "GuiMain.h"

#include <QApplication>

#include "KeyRefreshDlg.h"
#include "ProgramSetup.h"
#include "RefreshPrompts.h"
#include "oltrex/keyrefresh/CarriedFirmware.h"
#include "oltrex/qtcommon/GermanTexts.h"

namespace oltrex {

int runKeyRefreshWindow(int argc, char** argv) {
    QApplication app(argc, argv);
    qtcommon::installGermanTranslations(app);
    ProgramParts program;
    gui::QtRefreshPrompts prompts;
    gui::RefreshWindowParts parts;
    parts.keys = &program.keys();
    parts.clock = &program.clock();
    parts.log = &program.log();
    parts.prompts = &prompts;
    parts.worker = program.workerSetup();
    parts.newFirmware = keyRefreshFirmwareVersion();
    gui::CKeyRefreshDlg window(parts);
    if (window.OnInitDialog()) window.exec();
    return 0;
}

}  // namespace oltrex
