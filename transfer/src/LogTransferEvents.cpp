#include "oltrex/transfer/LogTransferEvents.h"

#include <cstdio>

namespace oltrex {

void LogTransferEvents::starting(std::uint32_t imageLength) {
    log_.print("%s() - eStart: FW-Length=%d\r\n", "ComTask", static_cast<int>(imageLength));
}

void LogTransferEvents::message(std::string_view text) { log_.displMsg(text); }

void LogTransferEvents::portOpened() {
    log_.displLed(1);
    log_.displStatus("Datentransfer laeuft");
}

void LogTransferEvents::portOpenFailed() {
    log_.displLed(2);
    log_.displStatus("Fehler beim Oeffnen von COMx");
}

void LogTransferEvents::progress(unsigned percent, ProgressPoint) { log_.showProgress(percent); }

void LogTransferEvents::frameSending(const std::uint8_t* frame, std::size_t size) {
    log_.hexDump("ComTask - ePutOuterData", frame, size);
}

void LogTransferEvents::answerReceived(const std::uint8_t* answer, std::size_t size) {
    log_.hexDump("ComTask - eGetOuterData", answer, size);
}

void LogTransferEvents::blockBuilt(std::size_t frameLength, std::uint32_t address,
                                   std::uint32_t crc) {
    char line[96];
    formatBlockLine(line, sizeof line, frameLength, address, crc);
    log_.print("%s", line);
}

void LogTransferEvents::headerBuilt(const std::array<char, 4>& typeCode, std::size_t frameLength,
                                    std::uint32_t address, std::uint32_t crc) {
    log_.print("FW-Description: %c%c%c%c\r\n", typeCode[0], typeCode[1], typeCode[2], typeCode[3]);
    char line[96];
    formatHeaderLine(line, sizeof line, frameLength, address, crc);
    log_.print("%s", line);
}

void LogTransferEvents::failed() {
    log_.displLed(2);
    log_.displStatus("Fehler");
}

void LogTransferEvents::done() {
    log_.displLed(0);
    log_.displStatus("Datentransfer abgeschlossen");
}

void LogTransferEvents::unknownState() {
    log_.displLed(2);
    log_.displStatus("unbekannter State");
}

}  // namespace oltrex
