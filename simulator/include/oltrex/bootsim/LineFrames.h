#pragma once
// The boot loader's own reading and writing of the serial line: byte
// stuffing, the CRC and the fields of the frames the PC sends. Written from
// the protocol alone and sharing no code with the flashers' transfer code, so
// that a fault in theirs cannot hide behind the same fault here.
//
//   stuffing  0x00 opens a frame, 0x01 closes it, 0x02 escapes; inside a
//             frame 0x00, 0x01 and 0x02 travel as 0x02 0x03, 0x02 0x04 and
//             0x02 0x05, every other byte as itself
//   CRC       32 bits, polynomial 0xEDB88320 (reflected IEEE 802.3), least
//             significant bit first, register starting at 0, no final XOR
//   block     0x09, length n (2, big-endian), address (4), n bytes, CRC (4)
//   header    a block of 256 bytes at 0x7F00: FF FF FF FF, 00 80 10 00 twice,
//             image length (4), image CRC (4), type code (4), 232 x FF
//   reboot    the single byte 0x0A
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace oltrex::bootsim {

inline constexpr std::uint8_t kLineOpen = 0x00;
inline constexpr std::uint8_t kLineClose = 0x01;
inline constexpr std::uint8_t kLineEscape = 0x02;

inline constexpr std::uint8_t kBlockCommand = 0x09;
inline constexpr std::uint8_t kRebootCode = 0x0A;
inline constexpr std::uint8_t kAck = 0x06;
inline constexpr std::uint8_t kNack = 0x07;

inline constexpr std::uint32_t kImageStart = 0x00008000;
inline constexpr std::uint32_t kHeaderAddress = 0x00007F00;
inline constexpr std::size_t kLargestBlock = 256;
// The most decoded bytes of one frame the boot loader keeps; a longer frame
// is refused.
inline constexpr std::size_t kLineFrameLimit = 512;

// CRC of `size` bytes.
std::uint32_t lineCrc(const std::uint8_t* data, std::size_t size);

// Takes line bytes one at a time and collects the frame between an opening
// and a closing byte. Bytes outside a frame are noise and dropped. A frame
// that breaks the stuffing rules (an escape not followed by 0x03 to 0x05, an
// opening byte inside the frame) or runs past the limit is marked broken.
class LineReader {
public:
    // true when the byte closed a frame: frame() and broken() then describe it
    // until the next byte.
    bool take(std::uint8_t byte);

    const std::vector<std::uint8_t>& frame() const { return frame_; }
    bool broken() const { return !problem_.empty(); }
    // Why the frame is broken; empty when it is not.
    const std::string& problem() const { return problem_; }

private:
    std::vector<std::uint8_t> frame_;
    std::string problem_;
    bool open_ = false;
    bool escaped_ = false;
    bool closed_ = false;
};

// The line bytes of a frame: opening byte, stuffed bytes, closing byte.
std::vector<std::uint8_t> stuffForLine(const std::vector<std::uint8_t>& frame);

// A block frame as the boot loader reads it.
struct LineBlock {
    std::uint32_t address = 0;
    std::vector<std::uint8_t> data;
};

// Reads a block frame; false with the reason in `problem` when the command,
// the length or the CRC is wrong.
bool readBlock(const std::vector<std::uint8_t>& frame, LineBlock& block, std::string& problem);

// What the header block says about the image.
struct ImageHeader {
    std::uint32_t imageLength = 0;
    std::uint32_t imageCrc = 0;
    std::array<char, 4> typeCode{};
};

// Reads the 256 data bytes of a header block; false with the reason in
// `problem` when a fixed byte or a padding byte is wrong.
bool readHeader(const std::vector<std::uint8_t>& data, ImageHeader& header, std::string& problem);

}  // namespace oltrex::bootsim
