#pragma once
// The frames the PC sends to the key's boot loader (all numbers big-endian):
//   data block   0x09, length n (2), address (4), n image bytes, CRC (4)
//   header block a data block of 256 bytes at 0x7F00 describing the image
//   reboot       the single byte 0x0A
// and the answer codes the boot loader sends back.
#include <array>
#include <cstddef>
#include <cstdint>

namespace oltrex {

inline constexpr std::uint8_t kWriteBlockCommand = 0x09;
inline constexpr std::uint8_t kRebootCommand = 0x0A;
inline constexpr std::uint8_t kAnswerAck = 0x06;
inline constexpr std::uint8_t kAnswerNack = 0x07;

inline constexpr std::uint32_t kFirstBlockAddress = 0x00008000;
inline constexpr std::uint32_t kHeaderBlockAddress = 0x00007F00;
inline constexpr std::size_t kMaxBlockData = 256;
// Command, length, address and CRC around the data bytes.
inline constexpr std::size_t kBlockOverhead = 11;
inline constexpr std::size_t kHeaderFrameLength = kMaxBlockData + kBlockOverhead;  // 267
// Unstuffed frames to send and decoded answers both fit in 512 bytes.
inline constexpr std::size_t kFrameBufferSize = 512;

void putBigEndian32(std::uint8_t* out, std::uint32_t value);
std::uint32_t getBigEndian32(const std::uint8_t* in);

// Writes a data block frame of `size` (1 to 256) data bytes into `frame`
// (room for size + 11 bytes). Returns the frame length; `crcOut` receives the
// frame CRC when given.
std::size_t buildDataBlock(std::uint8_t* frame, std::uint32_t address, const std::uint8_t* data,
                           std::size_t size, std::uint32_t* crcOut = nullptr);

// What the header block tells the boot loader about the image.
struct HeaderFields {
    std::uint32_t imageLength = 0;
    std::uint32_t imageCrc = 0;
    std::array<char, 4> typeCode{};  // first four characters of the description
};

// Writes the 267-byte header block frame; returns 267.
std::size_t buildHeaderBlock(std::uint8_t* frame, const HeaderFields& fields,
                             std::uint32_t* crcOut = nullptr);

// Writes the reboot frame; returns 1.
std::size_t buildRebootFrame(std::uint8_t* frame);

// A data block as the boot loader sees it.
struct BlockView {
    std::uint32_t address = 0;
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
};

enum class BlockCheck { Ok, WrongCommand, WrongLength, WrongCrc };

// Checks command, length field against the frame length, and CRC.
BlockCheck parseDataBlock(const std::uint8_t* frame, std::size_t frameLength, BlockView& out);

// Reads the header fields from the 256 data bytes of a header block; false
// when the fixed bytes or the padding are not as the PC writes them.
bool parseHeaderData(const std::uint8_t* data, std::size_t size, HeaderFields& out);

}  // namespace oltrex
