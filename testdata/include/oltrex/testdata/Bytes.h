#pragma once
// Byte buffers and a big-endian writer for building tachograph records.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace oltrex::testdata {

using Bytes = std::vector<std::uint8_t>;
using ByteView = std::span<const std::uint8_t>;

// Appends big-endian values and fixed-width text fields to a buffer.
class ByteWriter {
public:
    explicit ByteWriter(Bytes& out) : out_(out) {}

    void u8(std::uint8_t v) { out_.push_back(v); }
    void u16(std::uint16_t v);
    void u24(std::uint32_t v);
    void u32(std::uint32_t v);
    void bytes(ByteView data) { out_.insert(out_.end(), data.begin(), data.end()); }
    void fill(std::size_t count, std::uint8_t value) { out_.insert(out_.end(), count, value); }
    void zeros(std::size_t count) { fill(count, 0x00); }
    // `text` cut or padded with `pad` to exactly `width` bytes.
    void text(std::string_view text, std::size_t width, std::uint8_t pad = ' ');

    std::size_t size() const { return out_.size(); }
    Bytes& buffer() { return out_; }

private:
    Bytes& out_;
};

inline std::uint16_t readBe16(ByteView b, std::size_t at) {
    return static_cast<std::uint16_t>((b[at] << 8) | b[at + 1]);
}
inline std::uint32_t readBe24(ByteView b, std::size_t at) {
    return (std::uint32_t{b[at]} << 16) | (std::uint32_t{b[at + 1]} << 8) | b[at + 2];
}
inline std::uint32_t readBe32(ByteView b, std::size_t at) {
    return (std::uint32_t{b[at]} << 24) | (std::uint32_t{b[at + 1]} << 16) | (std::uint32_t{b[at + 2]} << 8) |
           b[at + 3];
}

}  // namespace oltrex::testdata
