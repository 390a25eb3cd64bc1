#include "oltrex/bootsim/LineFrames.h"

#include <cstdio>

namespace oltrex::bootsim {
namespace {

std::uint32_t bigEndian(const std::uint8_t* at, std::size_t bytes) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < bytes; ++i) value = (value << 8) | at[i];
    return value;
}

std::string hexByte(std::uint8_t value) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", value);
    return text;
}

}  // namespace

// Bit by bit rather than by table: a second way to the same sums.
std::uint32_t lineCrc(const std::uint8_t* data, std::size_t size) {
    std::uint32_t crc = 0;
    for (std::size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit) crc = (crc & 1u) ? (crc >> 1) ^ 0xEDB88320u : crc >> 1;
    }
    return crc;
}

bool LineReader::take(std::uint8_t byte) {
    if (closed_) {
        frame_.clear();
        problem_.clear();
        closed_ = false;
    }
    auto refuse = [this](const std::string& why) {
        if (problem_.empty()) problem_ = why;
    };
    if (byte == kLineOpen) {
        if (open_) refuse("opening byte inside the frame");
        open_ = true;
        escaped_ = false;
        return false;
    }
    if (!open_) return false;  // noise between frames
    if (byte == kLineClose) {
        if (escaped_) refuse("escape before the closing byte");
        open_ = escaped_ = false;
        closed_ = true;
        return true;
    }
    if (byte == kLineEscape) {
        if (escaped_) refuse("escape after an escape");
        escaped_ = true;
        return false;
    }
    std::uint8_t value = byte;
    if (escaped_) {
        if (byte >= 0x03 && byte <= 0x05) {
            value = static_cast<std::uint8_t>(byte - 3);
        } else {
            refuse("escape before " + hexByte(byte));
        }
        escaped_ = false;
    }
    if (frame_.size() < kLineFrameLimit) {
        frame_.push_back(value);
    } else {
        refuse("frame longer than " + std::to_string(kLineFrameLimit) + " bytes");
    }
    return false;
}

std::vector<std::uint8_t> stuffForLine(const std::vector<std::uint8_t>& frame) {
    std::vector<std::uint8_t> line{kLineOpen};
    for (const std::uint8_t b : frame) {
        if (b == kLineOpen || b == kLineClose || b == kLineEscape) {
            line.push_back(kLineEscape);
            line.push_back(static_cast<std::uint8_t>(b + 3));
        } else {
            line.push_back(b);
        }
    }
    line.push_back(kLineClose);
    return line;
}

bool readBlock(const std::vector<std::uint8_t>& frame, LineBlock& block, std::string& problem) {
    if (frame.empty() || frame[0] != kBlockCommand) {
        problem = frame.empty() ? "empty frame" : "unknown command " + hexByte(frame[0]);
        return false;
    }
    if (frame.size() < 3) {
        problem = "frame too short for a length";
        return false;
    }
    const std::size_t length = bigEndian(&frame[1], 2);
    if (length == 0 || length > kLargestBlock) {
        problem = "block length " + std::to_string(length);
        return false;
    }
    if (frame.size() != 1 + 2 + 4 + length + 4) {
        problem = "length " + std::to_string(length) + " in a frame of " + std::to_string(frame.size()) + " bytes";
        return false;
    }
    const std::size_t crcAt = 7 + length;
    if (lineCrc(frame.data(), crcAt) != bigEndian(&frame[crcAt], 4)) {
        problem = "CRC wrong";
        return false;
    }
    block.address = bigEndian(&frame[3], 4);
    block.data.assign(frame.begin() + 7, frame.begin() + static_cast<std::ptrdiff_t>(crcAt));
    return true;
}

bool readHeader(const std::vector<std::uint8_t>& data, ImageHeader& header, std::string& problem) {
    static constexpr std::uint8_t kFixed[12] = {0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x80,
                                                0x10, 0x00, 0x00, 0x80, 0x10, 0x00};
    if (data.size() != kLargestBlock) {
        problem = "header of " + std::to_string(data.size()) + " bytes";
        return false;
    }
    for (std::size_t i = 0; i < sizeof kFixed; ++i) {
        if (data[i] != kFixed[i]) {
            problem = "fixed byte " + std::to_string(i) + " is " + hexByte(data[i]);
            return false;
        }
    }
    for (std::size_t i = 24; i < data.size(); ++i) {
        if (data[i] != 0xFF) {
            problem = "padding byte " + std::to_string(i) + " is " + hexByte(data[i]);
            return false;
        }
    }
    header.imageLength = bigEndian(&data[12], 4);
    header.imageCrc = bigEndian(&data[16], 4);
    for (std::size_t i = 0; i < 4; ++i) header.typeCode[i] = static_cast<char>(data[20 + i]);
    return true;
}

}  // namespace oltrex::bootsim
