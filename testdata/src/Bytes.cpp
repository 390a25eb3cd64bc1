#include "oltrex/testdata/Bytes.h"

namespace oltrex::testdata {

void ByteWriter::u16(std::uint16_t v) {
    out_.push_back(static_cast<std::uint8_t>(v >> 8));
    out_.push_back(static_cast<std::uint8_t>(v));
}

void ByteWriter::u24(std::uint32_t v) {
    out_.push_back(static_cast<std::uint8_t>(v >> 16));
    out_.push_back(static_cast<std::uint8_t>(v >> 8));
    out_.push_back(static_cast<std::uint8_t>(v));
}

void ByteWriter::u32(std::uint32_t v) {
    u16(static_cast<std::uint16_t>(v >> 16));
    u16(static_cast<std::uint16_t>(v));
}

void ByteWriter::text(std::string_view text, std::size_t width, std::uint8_t pad) {
    for (std::size_t i = 0; i < width; ++i)
        out_.push_back(i < text.size() ? static_cast<std::uint8_t>(text[i]) : pad);
}

}  // namespace oltrex::testdata
