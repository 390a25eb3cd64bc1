#include "oltrex/keyrefresh/HeadlessRefresh.h"

#include <cstdio>
#include <ostream>

#include "oltrex/keyrefresh/KeyIdentification.h"
#include "oltrex/keyrefresh/RefreshTexts.h"
#include "oltrex/keyrefresh/UpdateLog.h"
#include "oltrex/keyrefresh/UpdateSession.h"

namespace oltrex {

std::string conditionsText() {
    std::string text;
    for (const char* part : refresh::kConditionsParts) text += part;
    return text;
}

int runHeadlessRefresh(const HeadlessSetup& setup, std::ostream& out, std::ostream& err) {
    if (!setup.conditionsAccepted) {
        // Declined before any key access, as Cancel in the conditions box.
        out << editControlLines(conditionsText()) << "\n";
        err << "KeyRefresh: the conditions were not accepted (--accept-conditions)\n";
        return kExitConditionsNotAccepted;
    }

    const KeyIdentification key = identifyKey(*setup.keys, *setup.worker.clock, setup.newFirmware);
    out << editControlLines(key.pageText) << "\n";
    if (!key.valid) {
        err << editControlLines(refresh::kInvalidKeyText) << "\n";
        return kExitKeyRefused;
    }
    if (!sameKeyStillPlugged(*setup.keys, key.keySerial)) {
        err << editControlLines(refresh::kKeyChangedText) << "\n";
        return kExitKeyRefused;
    }

    char entry[600];
    std::snprintf(entry, sizeof entry, refresh::kLogStartUpdateFormat, key.keySerial.c_str(),
                  key.keyFirmware.c_str(), key.newFirmware.c_str());
    if (setup.log != nullptr) setup.log->writeEntry(entry);

    UpdateSession session(setup.log);
    session.takeOver(key.keySerial, key.keyFirmware, key.newFirmware);
    out << refresh::kUpdateRunningText << "\n" << session.fromToText() << "\n" << std::flush;
    runUpdateWorker(session, setup.worker);

    out << editControlLines(session.resultText()) << "\n";
    // The terminal run ends like "Beenden" on the finished page.
    session.logBeenden();
    return session.outcome() > 0 ? kExitUpdated : kExitUpdateFailed;
}

}  // namespace oltrex
