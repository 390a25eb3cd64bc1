#pragma once
// FwFlasher's transfer step: the key transfer protocol's state machine
// (ComTask) reporting into the window instead of a log file. The port must
// send one byte per write call (D2xxComPortOptions::bytePerWriteCall) and
// need not read the device information.
//
// What the window shows: the protocol lines in the memo (no frame dumps, no
// start or type-code line), the status line in red, green or blue, and the
// progress bar at the share of acknowledged data blocks; the bar is not set
// to 100 at the end, so a transfer ends with it at the share of all data
// blocks but the last.
#include <cstdint>
#include <memory>

#include "oltrex/device/ComPort.h"
#include "oltrex/fwflasher/FlasherWindow.h"
#include "oltrex/platform/Clock.h"
#include "oltrex/transfer/ComTask.h"

namespace oltrex::fwflasher {

class Userdownloadunit {
public:
    Userdownloadunit(ComPort& port, Clock& clock, TransferDisplay& display,
                     const FirmwareImage& image, ComTaskLimits limits = {});
    ~Userdownloadunit();
    Userdownloadunit(const Userdownloadunit&) = delete;
    Userdownloadunit& operator=(const Userdownloadunit&) = delete;

    // eStart begins a new transfer; before the first one the state is eDone.
    void setState(int state);
    int state() const;
    // One step: 0 = not finished, 1 = done, -1 = failed.
    int step();

private:
    class Events;
    std::unique_ptr<Events> events_;
    ComTask task_;
};

}  // namespace oltrex::fwflasher
