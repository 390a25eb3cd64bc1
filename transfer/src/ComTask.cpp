#include "oltrex/transfer/ComTask.h"

#include <algorithm>
#include <cstring>

#include "oltrex/transfer/Crc32.h"

namespace oltrex {

ComTask::ComTask(ComPort& port, Clock& clock, TransferEvents& events, ComTaskLimits limits)
    : port_(port), events_(events), limits_(limits), timer_(clock) {}

int ComTask::step() {
    switch (state_) {
        case eStart:
            start();
            return 0;
        case eGetOuterData:
            receive();
            return 0;
        case ePutOuterData:
            send();
            return 0;
        case eCheckAnswer:
            checkAnswer();
            return 0;
        case eMakeBlock:
            makeBlock();
            return 0;
        case eMakeHeader:
            makeHeader();
            return 0;
        case eError:
            port_.close();
            events_.failed();
            return -1;
        case eDone:
            port_.close();
            events_.done();
            return 1;
        default:
            events_.unknownState();
            state_ = eError;
            return 0;
    }
}

void ComTask::start() {
    // A fresh context for every transfer.
    image_ = pendingImage_;
    frame_.fill(0);
    frameLength_ = 0;
    blockAddress_ = 0;
    previousBlockLength_ = 0;
    imagePosition_ = 0;
    acknowledgedBytes_ = 0;
    blockKind_ = kDataBlock;
    rebootSent_ = false;
    answer_.reset();
    answerHasCode_ = false;
    answerCode_ = 0;
    timeoutResends_ = 0;
    immediateResends_ = 0;
    timer_.reset();
    line_.fill(0);
    lineFill_ = 0;

    events_.starting(image_.length);
    events_.message("vor Open_ComPort()");
    const int opened = port_.open([this](std::string_view text) { events_.message(text); });
    if (opened != 0) {
        events_.portOpenFailed();
        state_ = eError;
    } else {
        events_.portOpened();
        blockAddress_ = kFirstBlockAddress;
        rebootSent_ = false;
        events_.progress(0, ProgressPoint::Start);
        state_ = eMakeBlock;
    }
    events_.message("nach Open_ComPort()");
}

void ComTask::appendToLine(std::uint8_t byte) {
    if (lineFill_ < line_.size()) line_[lineFill_++] = byte;
}

void ComTask::flushLine() {
    port_.write(line_.data(), lineFill_);
    std::fill_n(line_.begin(), lineFill_, 0);
    lineFill_ = 0;
}

void ComTask::send() {
    events_.frameSending(frame_.data(), frameLength_);
    // The largest frame (267 bytes) takes at most 536 line bytes.
    std::uint8_t stuffed[2 * kFrameBufferSize + 2];
    const std::size_t n = stuffFrame(frame_.data(), frameLength_, stuffed);
    for (std::size_t i = 0; i < n; ++i) appendToLine(stuffed[i]);
    flushLine();
    events_.message("block sent");
    answer_.reset();
    answerHasCode_ = false;
    state_ = eGetOuterData;
    timer_.start(limits_.answerTimeoutMs);
}

void ComTask::receive() {
    if (timer_.expired() == 1) {
        if (timeoutResends_ >= limits_.maxTimeoutResends) {
            state_ = eError;
        } else {
            ++timeoutResends_;
            state_ = ePutOuterData;
        }
        return;
    }
    for (std::uint32_t taken = 0; taken < limits_.maxBytesPerStep; ++taken) {
        const int byte = port_.readByte();
        if (byte < 0) return;
        if (answer_.feed(static_cast<std::uint8_t>(byte))) {
            // A frame without any byte carries no code: it counts as unknown.
            answerHasCode_ = answer_.size() > 0;
            answerCode_ = answerHasCode_ ? answer_.data()[0] : 0;
            events_.message("block received");
            events_.answerReceived(answer_.data(), answer_.size());
            state_ = eCheckAnswer;
            return;
        }
    }
}

void ComTask::resendAfterRefusal() {
    if (immediateResends_ >= limits_.maxImmediateResends) {
        events_.message("resend limit reached");
        state_ = eError;
        return;
    }
    ++immediateResends_;
    state_ = ePutOuterData;
}

void ComTask::checkAnswer() {
    // The decoded bytes stay; a second evaluation sees the same code.
    if (answerHasCode_ && answerCode_ == kAnswerAck) {
        events_.message("Ackn received");
        switch (blockKind_) {
            case kDataBlock: {
                acknowledgedBytes_ += previousBlockLength_;
                const auto percent = image_.length == 0
                                         ? 100u
                                         : static_cast<unsigned>(std::uint64_t{acknowledgedBytes_} *
                                                                 100u / image_.length);
                events_.progress(percent, ProgressPoint::Block);
                state_ = eMakeBlock;
                break;
            }
            case kLastDataBlock:
                state_ = eMakeHeader;
                break;
            case kHeaderBlock:
                blockKind_ = kHeaderAcknowledged;
                break;
            default:
                if (rebootSent_) {
                    events_.progress(100, ProgressPoint::End);
                    state_ = eDone;
                } else {
                    events_.message("send eSystemReboot");
                    frameLength_ = buildRebootFrame(frame_.data());
                    rebootSent_ = true;
                    immediateResends_ = 0;
                    state_ = ePutOuterData;
                }
                break;
        }
    } else if (answerHasCode_ && answerCode_ == kAnswerNack) {
        events_.message("Nack received");
        resendAfterRefusal();
    } else {
        events_.message("unknown cmd/answer");
        resendAfterRefusal();
    }
}

void ComTask::makeBlock() {
    const std::uint32_t left =
        image_.length > imagePosition_ ? image_.length - imagePosition_ : 0;
    const std::uint32_t n = std::min<std::uint32_t>(left, kMaxBlockData);
    if (n == 0 || image_.data == nullptr) {
        // Nothing (left) to cut: there is no image to transfer.
        state_ = eError;
        return;
    }
    const std::uint8_t* data = image_.data + imagePosition_;
    imagePosition_ += n;
    blockKind_ = imagePosition_ == image_.length ? kLastDataBlock : kDataBlock;
    blockAddress_ += previousBlockLength_;
    previousBlockLength_ = n;
    std::uint32_t crc = 0;
    frameLength_ = buildDataBlock(frame_.data(), blockAddress_, data, n, &crc);
    immediateResends_ = 0;
    events_.blockBuilt(frameLength_, blockAddress_, crc);
    state_ = ePutOuterData;
}

void ComTask::makeHeader() {
    HeaderFields fields;
    fields.imageLength = image_.length;
    fields.imageCrc = keyCrc32(image_.data, image_.length);
    if (image_.description) {
        for (std::size_t i = 0; i < 4 && image_.description[i] != '\0'; ++i) {
            fields.typeCode[i] = image_.description[i];
        }
    }
    blockAddress_ = kHeaderBlockAddress;
    previousBlockLength_ = kMaxBlockData;
    blockKind_ = kHeaderBlock;
    std::uint32_t crc = 0;
    frameLength_ = buildHeaderBlock(frame_.data(), fields, &crc);
    immediateResends_ = 0;
    events_.headerBuilt(fields.typeCode, frameLength_, blockAddress_, crc);
    state_ = ePutOuterData;
}

}  // namespace oltrex
