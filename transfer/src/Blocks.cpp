#include "oltrex/transfer/Blocks.h"

#include <cstring>

#include "oltrex/transfer/Crc32.h"

namespace oltrex {
namespace {

constexpr std::uint8_t kHeaderFixed[12] = {0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x80,
                                           0x10, 0x00, 0x00, 0x80, 0x10, 0x00};
constexpr std::size_t kHeaderPaddingStart = 24;

void putBigEndian16(std::uint8_t* out, std::uint32_t value) {
    out[0] = static_cast<std::uint8_t>(value >> 8);
    out[1] = static_cast<std::uint8_t>(value);
}

std::uint32_t finishFrame(std::uint8_t* frame, std::size_t dataSize) {
    const std::size_t crcAt = 7 + dataSize;
    const std::uint32_t crc = keyCrc32(frame, crcAt);
    putBigEndian32(frame + crcAt, crc);
    return crc;
}

}  // namespace

void putBigEndian32(std::uint8_t* out, std::uint32_t value) {
    out[0] = static_cast<std::uint8_t>(value >> 24);
    out[1] = static_cast<std::uint8_t>(value >> 16);
    out[2] = static_cast<std::uint8_t>(value >> 8);
    out[3] = static_cast<std::uint8_t>(value);
}

std::uint32_t getBigEndian32(const std::uint8_t* in) {
    return (std::uint32_t{in[0]} << 24) | (std::uint32_t{in[1]} << 16) |
           (std::uint32_t{in[2]} << 8) | std::uint32_t{in[3]};
}

std::size_t buildDataBlock(std::uint8_t* frame, std::uint32_t address, const std::uint8_t* data,
                           std::size_t size, std::uint32_t* crcOut) {
    frame[0] = kWriteBlockCommand;
    putBigEndian16(frame + 1, static_cast<std::uint32_t>(size));
    putBigEndian32(frame + 3, address);
    if (size > 0) std::memcpy(frame + 7, data, size);
    const std::uint32_t crc = finishFrame(frame, size);
    if (crcOut) *crcOut = crc;
    return size + kBlockOverhead;
}

std::size_t buildHeaderBlock(std::uint8_t* frame, const HeaderFields& fields,
                             std::uint32_t* crcOut) {
    std::uint8_t* data = frame + 7;
    std::memset(data, 0xFF, kMaxBlockData);
    frame[0] = kWriteBlockCommand;
    putBigEndian16(frame + 1, kMaxBlockData);
    putBigEndian32(frame + 3, kHeaderBlockAddress);
    std::memcpy(data, kHeaderFixed, sizeof kHeaderFixed);
    putBigEndian32(data + 12, fields.imageLength);
    putBigEndian32(data + 16, fields.imageCrc);
    std::memcpy(data + 20, fields.typeCode.data(), 4);
    const std::uint32_t crc = finishFrame(frame, kMaxBlockData);
    if (crcOut) *crcOut = crc;
    return kHeaderFrameLength;
}

std::size_t buildRebootFrame(std::uint8_t* frame) {
    frame[0] = kRebootCommand;
    return 1;
}

BlockCheck parseDataBlock(const std::uint8_t* frame, std::size_t frameLength, BlockView& out) {
    if (frameLength < kBlockOverhead || frame[0] != kWriteBlockCommand) {
        return frameLength >= 1 && frame[0] == kWriteBlockCommand ? BlockCheck::WrongLength
                                                                  : BlockCheck::WrongCommand;
    }
    const std::size_t size = (std::size_t{frame[1]} << 8) | frame[2];
    if (size == 0 || size > kMaxBlockData || size + kBlockOverhead != frameLength) {
        return BlockCheck::WrongLength;
    }
    if (keyCrc32(frame, 7 + size) != getBigEndian32(frame + 7 + size)) return BlockCheck::WrongCrc;
    out.address = getBigEndian32(frame + 3);
    out.data = frame + 7;
    out.size = size;
    return BlockCheck::Ok;
}

bool parseHeaderData(const std::uint8_t* data, std::size_t size, HeaderFields& out) {
    if (size != kMaxBlockData) return false;
    if (std::memcmp(data, kHeaderFixed, sizeof kHeaderFixed) != 0) return false;
    for (std::size_t i = kHeaderPaddingStart; i < size; ++i) {
        if (data[i] != 0xFF) return false;
    }
    out.imageLength = getBigEndian32(data + 12);
    out.imageCrc = getBigEndian32(data + 16);
    std::memcpy(out.typeCode.data(), data + 20, 4);
    return true;
}

}  // namespace oltrex
