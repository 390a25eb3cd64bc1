// FwFlasher: writes the firmware image it carries into the Oltrex-Key.
//   FwFlasher [/d]    "/d" or "/D" anywhere in the arguments shows the protocol memo
// The exit code is 0 in every case.
#include <exception>
#include <string>
#include <vector>

#include "FlasherApplication.h"
#include "QtFlasherPrompts.h"
#include "TForm2.h"
#include "TFormInfo.h"
#include "oltrex/device/D2xxComPort.h"
#include "oltrex/device/D2xxDevice.h"
#include "oltrex/device/KeyLibrary.h"
#include "oltrex/fwflasher/CarriedFirmware.h"
#include "oltrex/fwflasher/CommandLine.h"
#include "oltrex/fwflasher/FlasherPort.h"

using namespace oltrex;
using namespace oltrex::fwflasher;

int main(int argc, char** argv) {
    // Read before Qt takes its own options out of argv.
    const std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
    const bool debugView = debugViewRequested(arguments);

    FlasherApplication app(argc, argv);
    try {
        LinkedD2xxDevice device;
        D2xxComPort port(device, flasherPortOptions());
        QtFlasherPrompts prompts;

        FlasherServices services;
        services.keys = &keyLibrary();
        services.port = &port;
        services.clock = &systemClock();
        services.prompts = &prompts;
        services.image.data = fwFlasherFirmwareImage();
        services.image.length = fwFlasherFirmwareLength();
        services.image.description = fwFlasherFirmwareTypeCode();
        services.imageLabel = fwFlasherFirmwareLabel();

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
