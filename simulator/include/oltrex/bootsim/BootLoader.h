#pragma once
// The key's boot loader as the PC meets it on the serial line: it takes line
// bytes, checks every frame (stuffing, command, length, CRC, block address,
// the header's image length and CRC) and answers ACK (0x06) or NACK (0x07) in a
// stuffed frame of its own. Faults can be injected per frame number (counted
// from 1 over every frame received, resends included). No I/O: the simulator
// program and the tests move the bytes. It reads the line with its own code
// (LineFrames.h), not with the flashers'.
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "oltrex/bootsim/LineFrames.h"

namespace oltrex::bootsim {

// The code sent for "answer an unknown code" (ASCII NAK, which is not the
// key's NACK).
inline constexpr std::uint8_t kUnknownAnswerCode = 0x15;
// The largest image the boot loader takes.
inline constexpr std::size_t kMaxImageSize = 1024 * 1024;

struct Faults {
    std::set<std::uint32_t> dropAnswer{};     // frame processed, answer lost
    std::set<std::uint32_t> nack{};           // frame refused with NACK
    std::set<std::uint32_t> unknownAnswer{};  // frame answered with kUnknownAnswerCode
    std::uint32_t silentFrom = 0;             // from this frame on nothing is answered (0 = never)
    // Answers that leave late: to the frames listed by so many milliseconds,
    // to every other frame by delayEveryMs.
    std::map<std::uint32_t, std::uint32_t> delayMs{};
    std::uint32_t delayEveryMs = 0;
    // Answer bytes inverted on the way out: frame number and position in the
    // answer's line bytes (0 is the opening byte, 1 the code, 2 the closing
    // byte of a plain answer).
    std::set<std::pair<std::uint32_t, std::size_t>> corrupt{};
};

// What the boot loader made of one frame.
struct FrameResult {
    std::uint32_t number = 0;
    std::optional<std::uint8_t> answerCode;  // empty: no answer goes out
    std::vector<std::uint8_t> answerLine;    // the stuffed answer frame, faults applied
    std::uint32_t delayMs = 0;               // how long after the frame the answer leaves
    std::string note;                        // why, for the simulator's trace
};

class BootLoader {
public:
    explicit BootLoader(Faults faults = {});

    // Takes one line byte; a result when it closed a frame.
    std::optional<FrameResult> feed(std::uint8_t byte);

    // The reboot command was taken after a valid header block.
    bool rebooted() const { return rebooted_; }
    const std::vector<std::uint8_t>& image() const { return image_; }
    bool headerValid() const { return headerValid_; }
    const ImageHeader& header() const { return header_; }
    std::uint32_t framesReceived() const { return frames_; }
    std::uint32_t bytesReceived() const { return lineBytes_; }

private:
    std::uint8_t judge(std::string& note);
    std::uint8_t judgeBlock(const LineBlock& block, std::string& note);
    std::uint8_t judgeHeader(const LineBlock& block, std::string& note);
    void applyAnswerFaults(FrameResult& result) const;

    Faults faults_;
    LineReader reader_;
    std::vector<std::uint8_t> image_;
    std::uint32_t lastAddress_ = 0;
    std::vector<std::uint8_t> lastBlock_;
    ImageHeader header_;
    bool headerValid_ = false;
    bool rebooted_ = false;
    std::uint32_t frames_ = 0;
    std::uint32_t lineBytes_ = 0;
};

// The four digits after the first " FW-" label inside the image that is
// followed by four digits; empty when there is none.
std::string firmwareLabelDigits(const std::vector<std::uint8_t>& image);

}  // namespace oltrex::bootsim
