#include "oltrex/transfer/Framing.h"

namespace oltrex {
namespace {

bool needsEscape(std::uint8_t b) { return b <= kFrameEscape; }

}  // namespace

std::size_t stuffedFrameSize(const std::uint8_t* frame, std::size_t size) {
    std::size_t n = 2;
    for (std::size_t i = 0; i < size; ++i) n += needsEscape(frame[i]) ? 2 : 1;
    return n;
}

std::size_t stuffFrame(const std::uint8_t* frame, std::size_t size, std::uint8_t* out) {
    std::size_t n = 0;
    out[n++] = kFrameOpen;
    for (std::size_t i = 0; i < size; ++i) {
        const std::uint8_t b = frame[i];
        if (needsEscape(b)) {
            out[n++] = kFrameEscape;
            out[n++] = static_cast<std::uint8_t>(b + 3);
        } else {
            out[n++] = b;
        }
    }
    out[n++] = kFrameClose;
    return n;
}

std::vector<std::uint8_t> stuffedFrame(const std::uint8_t* frame, std::size_t size) {
    std::vector<std::uint8_t> out(stuffedFrameSize(frame, size));
    stuffFrame(frame, size, out.data());
    return out;
}

FrameDecoder::FrameDecoder(std::size_t capacity) : buffer_(capacity, 0) {}

void FrameDecoder::reset() {
    size_ = 0;
    inFrame_ = false;
    escape_ = false;
    overflowed_ = false;
    malformed_ = false;
}

void FrameDecoder::store(std::uint8_t value) {
    if (size_ < buffer_.size()) {
        buffer_[size_++] = value;
    } else {
        overflowed_ = true;
    }
}

bool FrameDecoder::feed(std::uint8_t byte) {
    switch (byte) {
        case kFrameOpen:
            // A second opening byte keeps the bytes already stored.
            if (inFrame_) malformed_ = true;
            inFrame_ = true;
            escape_ = false;
            return false;
        case kFrameClose:
            // A closing byte outside a frame is noise, not an empty answer.
            if (!inFrame_) return false;
            if (escape_) malformed_ = true;
            inFrame_ = false;
            escape_ = false;
            return true;
        case kFrameEscape:
            if (inFrame_) {
                if (escape_) malformed_ = true;
                escape_ = true;
            }
            return false;
        case 0x03:
        case 0x04:
        case 0x05:
            if (inFrame_) store(escape_ ? static_cast<std::uint8_t>(byte - 3) : byte);
            escape_ = false;
            return false;
        default:
            if (inFrame_) {
                if (escape_) malformed_ = true;
                store(byte);
            }
            escape_ = false;
            return false;
    }
}

}  // namespace oltrex
