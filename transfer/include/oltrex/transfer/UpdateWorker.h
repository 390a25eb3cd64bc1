#pragma once
// KeyRefresh's update worker: reads the key's identity, switches the key into
// its boot loader, runs the transfer to its end and hands the outcome to the
// pages. It runs on a thread of its own; the pages learn of its end only
// through their running flag, which the worker clears as its very last act.
#include <cstdint>
#include <filesystem>
#include <string>

#include "oltrex/device/ComPort.h"
#include "oltrex/device/KeyLibrary.h"
#include "oltrex/platform/Clock.h"
#include "oltrex/transfer/ComTask.h"

namespace oltrex {

// What the worker reads from the update page and hands to the finished page.
// Called on the worker's thread.
class UpdateHandOver {
public:
    virtual ~UpdateHandOver() = default;
    // From the update page.
    virtual std::string keySerial() const = 0;
    virtual std::string newFirmwareVersion() const = 0;
    // To the finished page, in this order: outcome, key serial, result text.
    virtual void setOutcome(int outcome) = 0;  // +1 success, -1 failure
    virtual void setKeySerial(const std::string& serial) = 0;
    virtual void showResult(const std::string& text) = 0;
    // The worker's last act: clears the update page's running flag.
    virtual void clearRunning() = 0;
};

struct UpdateWorkerSetup {
    KeyLibrary* keys = nullptr;
    ComPort* port = nullptr;
    Clock* clock = nullptr;
    FirmwareImage image;
    // Folder of "LogKeyRefresh.txt"; the system temporary folder when empty.
    std::filesystem::path logFolder;
    // The key needs this long to start its boot loader after the switch.
    std::uint32_t bootLoaderStartMs = 2000;
    ComTaskLimits limits;
};

inline constexpr const char* kNoKeyResultText =
    "Update konnte nicht erfolgreich durchgeführt werden,\r\nda kein OLTREX-Key gefunden wurde.";
inline constexpr const char* kTransferFailedResultText =
    "Update konnte nicht erfolgreich durchgeführt werden,\r\n"
    "da die Übertragung zum OLTREX-Key fehlgeschlagen ist.";

// Runs the whole update; returns the outcome handed over (+1 or -1).
int runUpdateWorker(UpdateHandOver& pages, const UpdateWorkerSetup& setup);

// The success text: date and time line, version, key serial.
std::string updateSuccessText(const LocalTime& now, const std::string& version,
                              const std::string& keySerial);

}  // namespace oltrex
