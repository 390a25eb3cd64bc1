#pragma once
// What the program works with: the linked key library, the USB-serial bridge
// through D2XX, the real clock and the carried image.
#include <string>

#include "oltrex/device/D2xxComPort.h"
#include "oltrex/device/D2xxDevice.h"
#include "oltrex/device/KeyLibrary.h"
#include "oltrex/fwflasher/CarriedFirmware.h"
#include "oltrex/fwflasher/FlasherForm.h"
#include "oltrex/fwflasher/FlasherPort.h"
#include "oltrex/transfer/ComTask.h"

namespace oltrex::fwflasher {

struct ProgramParts {
    LinkedD2xxDevice device;
    D2xxComPort port{device, flasherPortOptions()};

    static FirmwareImage image() {
        return {fwFlasherFirmwareImage(), fwFlasherFirmwareLength(), fwFlasherFirmwareTypeCode()};
    }
    static std::string imageLabel() { return fwFlasherFirmwareLabel(); }

    // What the main form works with, for every window front end.
    FlasherServices services(FlasherPrompts& prompts) {
        FlasherServices services;
        services.keys = &keyLibrary();
        services.port = &port;
        services.clock = &systemClock();
        services.prompts = &prompts;
        services.image = image();
        services.imageLabel = imageLabel();
        return services;
    }
};

}  // namespace oltrex::fwflasher
