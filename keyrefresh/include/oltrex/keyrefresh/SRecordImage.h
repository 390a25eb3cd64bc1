#pragma once
// The firmware build's Motorola S-record output turned into one contiguous
// image, as the header generator needs it.
#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace oltrex {

enum SRecordResult : int {
    kSRecordOk = 0,
    kSRecordCannotOpen = -1,
    // A record with a wrong checksum, bad hex digits or a byte count that does
    // not match the line.
    kSRecordCorrupt = -2,
    // A data record that reaches beyond the image buffer (base + 196607).
    kSRecordOutOfRange = -3,
};

class SRecordImage {
  public:
    static constexpr std::size_t kBufferSize = 0x30000;  // 196608 bytes
    static constexpr std::uint32_t kDefaultBase = 0x8000;

    SRecordImage();

    // Reads `path` into the image: data records from `base` on land at offset
    // address - base, gaps stay 0xff. Returns an SRecordResult. After a failed
    // parse the image is empty, so nothing half-read can be taken further.
    int parse(const std::filesystem::path& path, std::uint32_t base = kDefaultBase);

    // Byte count from base to the highest end address of an accepted record.
    std::int32_t length() const { return length_; }
    const std::uint8_t* data() const { return buffer_.data(); }
    // The four bytes behind the S0 record's address (the firmware type code).
    const std::array<std::uint8_t, 4>& typeCode() const { return typeCode_; }
    // Line number (from 1) and reason of the last failure, for diagnostics.
    int errorLine() const { return errorLine_; }
    const std::string& errorText() const { return errorText_; }

  private:
    int fail(int result, int line, std::string text);

    std::vector<std::uint8_t> buffer_;
    std::int32_t length_ = 0;
    std::array<std::uint8_t, 4> typeCode_{};
    int errorLine_ = 0;
    std::string errorText_;
};

}  // namespace oltrex
