#include "ProgramSetup.h"

#include "oltrex/keyrefresh/CarriedFirmware.h"
#include "oltrex/platform/Clock.h"

namespace oltrex {

ProgramParts::ProgramParts() : port_(device_) {}

KeyLibrary& ProgramParts::keys() {
    return keyLibrary();
}
Clock& ProgramParts::clock() {
    return systemClock();
}

UpdateWorkerSetup ProgramParts::workerSetup() {
    UpdateWorkerSetup setup;
    setup.keys = &keys();
    setup.port = &port_;
    setup.clock = &clock();
    setup.image = carriedImage();
    return setup;
}

FirmwareImage carriedImage() {
    return FirmwareImage{keyRefreshFirmwareImage(), keyRefreshFirmwareLength(),
                         keyRefreshFirmwareDescription()};
}

}  // namespace oltrex
