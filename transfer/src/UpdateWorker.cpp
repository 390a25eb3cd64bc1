#include "oltrex/transfer/UpdateWorker.h"

#include <cstdio>
#include <cstring>

#include "oltrex/platform/Folders.h"
#include "oltrex/transfer/LogTransferEvents.h"
#include "oltrex/transfer/TransferLog.h"

namespace oltrex {
namespace {

constexpr int kKeyInfoBufferSize = 32;

int finishWithoutKey(UpdateHandOver& pages, TransferLog& log) {
    pages.setOutcome(-1);
    pages.setKeySerial(pages.keySerial());
    pages.showResult(kNoKeyResultText);
    log.close();
    return -1;
}

}  // namespace

std::string updateSuccessText(const LocalTime& now, const std::string& version,
                              const std::string& keySerial) {
    char line[160];
    std::string text;
    std::snprintf(line, sizeof line, "Datum:%02i.%02i.%04i, Zeit:%02i:%02i:%02i", now.day,
                  now.month, now.year, now.hour, now.minute, now.second);
    text += line;
    text += "\r\n";
    text += "Das Update V:" + version + " wurde für den OLTREX-Key mit der\r\n";
    text += "Seriennummer: " + keySerial + " \r\n";
    text += "erfolgreich durchgeführt.";
    return text;
}

int runUpdateWorker(UpdateHandOver& pages, const UpdateWorkerSetup& setup) {
    int outcome = -1;
    {
        TransferLog log;
        log.openFresh(setup.logFolder.empty() ? systemTempFolder() : setup.logFolder);

        char info[kKeyInfoBufferSize];
        std::memset(info, 0, sizeof info);
        setup.keys->keyInfo(info, kKeyInfoBufferSize);
        info[kKeyInfoBufferSize - 1] = '\0';
        if (info[0] == '\0') {
            outcome = finishWithoutKey(pages, log);
        } else {
            log.print("Serial: %s\r\n", info);
            if (setup.keys->firmwareUpdateMode() != 0) {
                outcome = finishWithoutKey(pages, log);
            } else {
                setup.clock->sleepMs(setup.bootLoaderStartMs);
                LogTransferEvents events(log);
                ComTask task(*setup.port, *setup.clock, events, setup.limits);
                task.setImage(setup.image);
                log.displStatus("initialiue DL");
                task.setState(eStart);
                log.displStatus("execute DL");
                int result = 0;
                while (result == 0) result = task.step();
                log.displStatus("DL done");
                log.close();

                const std::string serial = pages.keySerial();
                if (result == 1) {
                    outcome = 1;
                    pages.setOutcome(1);
                    pages.setKeySerial(serial);
                    pages.showResult(updateSuccessText(setup.clock->localTime(),
                                                       pages.newFirmwareVersion(), serial));
                } else {
                    outcome = -1;
                    pages.setOutcome(-1);
                    pages.setKeySerial(serial);
                    pages.showResult(kTransferFailedResultText);
                }
            }
        }
    }
    pages.clearRunning();
    return outcome;
}

}  // namespace oltrex
