#pragma once
// KeyRefresh's reporting of a transfer: every event as its line in the
// transfer log.
#include "oltrex/transfer/TransferEvents.h"
#include "oltrex/transfer/TransferLog.h"

namespace oltrex {

class LogTransferEvents final : public TransferEvents {
public:
    explicit LogTransferEvents(TransferLog& log) : log_(log) {}

    void starting(std::uint32_t imageLength) override;
    void message(std::string_view text) override;
    void portOpened() override;
    void portOpenFailed() override;
    void progress(unsigned percent, ProgressPoint point) override;
    void frameSending(const std::uint8_t* frame, std::size_t size) override;
    void answerReceived(const std::uint8_t* answer, std::size_t size) override;
    void blockBuilt(std::size_t frameLength, std::uint32_t address, std::uint32_t crc) override;
    void headerBuilt(const std::array<char, 4>& typeCode, std::size_t frameLength,
                     std::uint32_t address, std::uint32_t crc) override;
    void failed() override;
    void done() override;
    void unknownState() override;

private:
    TransferLog& log_;
};

}  // namespace oltrex
