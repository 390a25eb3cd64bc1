#pragma once
// Card images for the converter tests: records built from their tag, length
// and a fill byte, and buffers of exactly the image's size so that
// AddressSanitizer reports any read past the image.
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

namespace oltrex::testing {

using Bytes = std::vector<std::uint8_t>;

// Tag as 0xFFFFAA: file identifier and appendix. Fill bytes are chosen so
// that they never form a tag of the table.
inline Bytes cardRecord(std::uint32_t tag, std::size_t length, std::uint8_t fill = 0x5A) {
    Bytes out{static_cast<std::uint8_t>(tag >> 16), static_cast<std::uint8_t>(tag >> 8),
              static_cast<std::uint8_t>(tag), static_cast<std::uint8_t>(length >> 8),
              static_cast<std::uint8_t>(length)};
    out.resize(5 + length, fill);
    return out;
}

inline Bytes concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
    return out;
}

inline void append(Bytes& to, const Bytes& part) { to.insert(to.end(), part.begin(), part.end()); }

// Pads with zero bytes (which form no tag) to `size`.
inline Bytes padded(Bytes image, std::size_t size) {
    if (image.size() < size) image.resize(size, 0);
    return image;
}

inline std::uint32_t tagValue(const std::string& text) {
    return static_cast<std::uint32_t>(std::stoul(text.substr(2), nullptr, 16));
}

class ExactBuffer {
public:
    explicit ExactBuffer(const Bytes& bytes) : size_(bytes.size()), data_(new std::uint8_t[bytes.size()]) {
        if (size_ > 0) std::memcpy(data_.get(), bytes.data(), size_);
    }
    const std::uint8_t* data() const { return data_.get(); }
    std::size_t size() const { return size_; }

private:
    std::size_t size_;
    std::unique_ptr<std::uint8_t[]> data_;
};

}  // namespace oltrex::testing
