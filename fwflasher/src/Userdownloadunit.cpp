#include "oltrex/fwflasher/Userdownloadunit.h"

#include <string>

#include "oltrex/fwflasher/FlasherTexts.h"
#include "oltrex/transfer/TransferEvents.h"

namespace oltrex::fwflasher {

// The transfer's events as FwFlasher shows them.
class Userdownloadunit::Events final : public TransferEvents {
public:
    explicit Events(TransferDisplay& display) : display_(display) {}

    void starting(std::uint32_t) override { openFailed_ = false; }
    void message(std::string_view text) override { display_.addMemoLine(text); }
    void portOpened() override { display_.showStatus(kStatusRunning, kColourGreen); }
    void portOpenFailed() override {
        openFailed_ = true;
        display_.showStatus(kStatusOpenFailed, kColourRed);
    }
    void progress(unsigned percent, ProgressPoint point) override {
        // The bar is never set to 100 at the end.
        if (point != ProgressPoint::End) display_.showProgress(static_cast<int>(percent));
    }
    void frameSending(const std::uint8_t*, std::size_t) override {}
    void answerReceived(const std::uint8_t*, std::size_t) override {}
    void blockBuilt(std::size_t frameLength, std::uint32_t address, std::uint32_t crc) override {
        char line[96];
        formatBlockLine(line, sizeof line, frameLength, address, crc);
        display_.addMemoLine(line);
    }
    void headerBuilt(const std::array<char, 4>&, std::size_t frameLength, std::uint32_t address,
                     std::uint32_t crc) override {
        char line[96];
        formatHeaderLine(line, sizeof line, frameLength, address, crc);
        display_.addMemoLine(line);
    }
    void failed() override {
        // The reason an open failed stays readable; a bare "Fehler" would
        // replace it one step later.
        if (!openFailed_) display_.showStatus(kStatusFailed, kColourRed);
    }
    void done() override { display_.showStatus(kStatusDone, kColourBlue); }
    void unknownState() override { display_.showStatus(kStatusUnknownState, kColourRed); }

private:
    TransferDisplay& display_;
    bool openFailed_ = false;
};

Userdownloadunit::Userdownloadunit(ComPort& port, Clock& clock, TransferDisplay& display,
                                   const FirmwareImage& image, ComTaskLimits limits)
    : events_(std::make_unique<Events>(display)), task_(port, clock, *events_, limits) {
    task_.setImage(image);
}

Userdownloadunit::~Userdownloadunit() = default;

void Userdownloadunit::setState(int state) { task_.setState(state); }
int Userdownloadunit::state() const { return task_.state(); }
int Userdownloadunit::step() { return task_.step(); }

}  // namespace oltrex::fwflasher
