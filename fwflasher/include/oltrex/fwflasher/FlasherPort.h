#pragma once
// How FwFlasher drives the USB-serial bridge: one byte per write call (each
// retried while the device reports 0 bytes written) and no device
// information query after opening.
#include "oltrex/device/D2xxComPort.h"

namespace oltrex::fwflasher {

inline D2xxComPortOptions flasherPortOptions() {
    D2xxComPortOptions options;
    options.readDeviceInfo = false;
    options.bytePerWriteCall = true;
    return options;
}

}  // namespace oltrex::fwflasher
