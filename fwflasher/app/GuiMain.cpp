#include "GuiMain.h"

#include <exception>

#include "FlasherApplication.h"
#include "ProgramParts.h"
#include "QtFlasherPrompts.h"
#include "TForm2.h"
#include "TFormInfo.h"

namespace oltrex::fwflasher {

int runFlasherWindow(int argc, char** argv, bool debugView) {
    FlasherApplication app(argc, argv);
    try {
        ProgramParts parts;
        QtFlasherPrompts prompts;
        const FlasherServices services = parts.services(prompts);

        // Both forms are made at the start, the info form hidden.
        TFormInfo info;
        TForm2 form(services, info, debugView);
        prompts.setParent(&form);
        QObject::connect(&form, &TForm2::programEndRequested, &app, &QApplication::quit,
                         Qt::QueuedConnection);
        form.show();
        app.exec();
    } catch (const std::exception& e) {
        FlasherApplication::showException(QString::fromLocal8Bit(e.what()));
    }
    return 0;
}

}  // namespace oltrex::fwflasher
