#pragma once
// Byte stuffing of the key's serial line, the same in both directions:
// 0x00 opens a frame, 0x01 closes it, 0x02 escapes. Inside a frame the values
// 0x00, 0x01 and 0x02 travel as 0x02 0x03, 0x02 0x04 and 0x02 0x05; every
// other value (0x03 to 0x05 included) travels as itself.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace oltrex {

inline constexpr std::uint8_t kFrameOpen = 0x00;
inline constexpr std::uint8_t kFrameClose = 0x01;
inline constexpr std::uint8_t kFrameEscape = 0x02;

// Line bytes of one stuffed frame: opening byte, stuffed bytes, closing byte.
std::size_t stuffedFrameSize(const std::uint8_t* frame, std::size_t size);

// Writes the stuffed frame into `out`, which holds at least
// stuffedFrameSize(frame, size) bytes; returns the count written.
std::size_t stuffFrame(const std::uint8_t* frame, std::size_t size, std::uint8_t* out);

std::vector<std::uint8_t> stuffedFrame(const std::uint8_t* frame, std::size_t size);
inline std::vector<std::uint8_t> stuffedFrame(const std::vector<std::uint8_t>& frame) {
    return stuffedFrame(frame.data(), frame.size());
}

// Collects one stuffed frame from line bytes fed one at a time. It is lenient
// as a receiver must be (bytes outside a frame are dropped, a second opening
// byte keeps what was stored) and records what a strict checker would refuse.
// It never stores more than its capacity: further bytes of a longer frame are
// counted as overflow and dropped.
class FrameDecoder {
public:
    explicit FrameDecoder(std::size_t capacity);

    // Empties the buffer and leaves any frame in progress.
    void reset();
    // Takes one line byte; true when it closed a frame.
    bool feed(std::uint8_t byte);

    const std::uint8_t* data() const { return buffer_.data(); }
    // Decoded bytes stored (never more than the capacity).
    std::size_t size() const { return size_; }
    std::size_t capacity() const { return buffer_.size(); }
    bool inFrame() const { return inFrame_; }
    // The frame held more decoded bytes than the capacity.
    bool overflowed() const { return overflowed_; }
    // The frame broke the stuffing rules: an escape not followed by 0x03 to
    // 0x05, or an opening byte inside the frame. Also set on overflow.
    bool malformed() const { return malformed_ || overflowed_; }

private:
    void store(std::uint8_t value);

    std::vector<std::uint8_t> buffer_;
    std::size_t size_ = 0;
    bool inFrame_ = false;
    bool escape_ = false;
    bool overflowed_ = false;
    bool malformed_ = false;
};

}  // namespace oltrex
