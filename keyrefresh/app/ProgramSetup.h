#pragma once
// The real parts of the program: the linked key library, the D2XX port to
// the key's boot loader, the system clock, the carried image and the update log.
#include <memory>

#include "oltrex/device/D2xxComPort.h"
#include "oltrex/device/D2xxDevice.h"
#include "oltrex/device/KeyLibrary.h"
#include "oltrex/keyrefresh/UpdateLog.h"
#include "oltrex/transfer/UpdateWorker.h"

namespace oltrex {

class ProgramParts {
  public:
    ProgramParts();
    CWLog& log() { return log_; }
    KeyLibrary& keys();
    Clock& clock();
    // The worker's setup with the waits and time-outs of the real key.
    UpdateWorkerSetup workerSetup();

  private:
    CWLog log_;  // its size check runs now, at program start
    LinkedD2xxDevice device_;
    D2xxComPort port_;
};

// The carried image as the transfer takes it.
FirmwareImage carriedImage();

}  // namespace oltrex
