#pragma once
// The firmware transfer to the key's boot loader as a state machine that does
// one step per call: all data blocks from 0x8000 on, the header block at
// 0x7F00, then the reboot command, each answered by the key with ACK (0x06),
// NACK (0x07) or anything else. The caller calls step() until it returns
// non-zero. All I/O goes through the ComPort; all reporting through the
// TransferEvents; time through the Clock.
#include <array>
#include <cstddef>
#include <cstdint>

#include "oltrex/device/ComPort.h"
#include "oltrex/platform/Clock.h"
#include "oltrex/transfer/AnswerTimer.h"
#include "oltrex/transfer/Blocks.h"
#include "oltrex/transfer/Framing.h"
#include "oltrex/transfer/TransferEvents.h"

namespace oltrex {

enum TransferState : int {
    eStart = 0,
    eGetOuterData = 1,
    ePutOuterData = 2,
    eCheckAnswer = 3,
    eMakeBlock = 4,
    eMakeHeader = 5,
    eError = 6,
    eDone = 7,
};

// The carried firmware: image bytes, their count, and the description whose
// first four characters are the type code sent in the header block.
struct FirmwareImage {
    const std::uint8_t* data = nullptr;
    std::uint32_t length = 0;
    const char* description = nullptr;
};

struct ComTaskLimits {
    // Time the key has to answer a frame.
    std::uint32_t answerTimeoutMs = 3000;
    // Resends after answer time-outs, counted over the whole transfer.
    std::uint32_t maxTimeoutResends = 3;
    // Resends in a row of one frame after NACK or an unknown answer; one more
    // such answer ends the transfer, so a key that only ever refuses cannot
    // keep it going for ever.
    std::uint32_t maxImmediateResends = 10;
    // Line bytes taken per receive step at most, so that a line that never
    // falls quiet still lets the answer time-out be checked.
    std::uint32_t maxBytesPerStep = 2048;
};

// Block kinds of the frame in the frame buffer.
enum BlockKind : std::uint8_t {
    kDataBlock = 0,
    kLastDataBlock = 1,
    kHeaderBlock = 2,
    kHeaderAcknowledged = 3,
};

class ComTask {
public:
    ComTask(ComPort& port, Clock& clock, TransferEvents& events, ComTaskLimits limits = {});

    // The image taken over at the next eStart.
    void setImage(const FirmwareImage& image) { pendingImage_ = image; }
    void setState(int state) { state_ = state; }
    int state() const { return state_; }

    // One step: 0 = not finished, 1 = transfer done, -1 = transfer failed.
    int step();

    // For the front ends and tests.
    std::uint32_t acknowledgedBytes() const { return acknowledgedBytes_; }
    std::uint32_t timeoutResends() const { return timeoutResends_; }
    std::uint8_t blockKind() const { return blockKind_; }

    static constexpr std::size_t kLineBufferSize = 2048;

private:
    void start();
    void receive();
    void send();
    void checkAnswer();
    void makeBlock();
    void makeHeader();
    void resendAfterRefusal();
    void appendToLine(std::uint8_t byte);
    void flushLine();

    ComPort& port_;
    TransferEvents& events_;
    ComTaskLimits limits_;
    FirmwareImage pendingImage_;

    int state_ = eDone;
    FirmwareImage image_;
    std::array<std::uint8_t, kFrameBufferSize> frame_{};
    std::size_t frameLength_ = 0;
    std::uint32_t blockAddress_ = 0;
    std::uint32_t previousBlockLength_ = 0;
    std::uint32_t imagePosition_ = 0;
    std::uint32_t acknowledgedBytes_ = 0;
    std::uint8_t blockKind_ = kDataBlock;
    bool rebootSent_ = false;
    FrameDecoder answer_{kFrameBufferSize};
    bool answerHasCode_ = false;
    std::uint8_t answerCode_ = 0;
    std::uint32_t timeoutResends_ = 0;
    std::uint32_t immediateResends_ = 0;
    AnswerTimer timer_;
    std::array<std::uint8_t, kLineBufferSize> line_{};
    std::size_t lineFill_ = 0;
};

}  // namespace oltrex
