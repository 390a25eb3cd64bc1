#pragma once
// Containers for the reader tests, built here with AES straight from
// the container layout, independent of the container maker and libhime.

#include <cstdint>
#include <stdexcept>
#include <utility>
#include <vector>

#include "oltrex/conversion/KeySets.h"
#include "support/TestAes.h"

namespace oltrex::testing {

using Bytes = std::vector<std::uint8_t>;

inline Bytes aes192CbcEncrypt(const Bytes& plain, KeySetId id) {
    const KeySet keys = keySet(id);
    const auto out = testaes::aes192Cbc(true, keys.key, keys.iv, plain.data(), plain.size());
    if (!out) throw std::runtime_error("AES failed");
    return *out;
}

inline void putBe32(Bytes& out, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(v >> shift));
}
inline void putBe16(Bytes& out, std::uint16_t v) {
    out.push_back(static_cast<std::uint8_t>(v >> 8));
    out.push_back(static_cast<std::uint8_t>(v));
}

inline Bytes headerBlock(std::uint8_t installationClass, std::uint32_t headerTime) {
    Bytes block(228, 0);
    block[1] = 0x04;
    block[2] = installationClass;
    for (int i = 0; i < 4; ++i) block[223 + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(headerTime >> (24 - 8 * i));
    return block;
}

// Length n + 2, tag 0x76FF, n bytes of the block encrypted with key set A.
inline Bytes headerRecord(const Bytes& block) {
    const Bytes sealed = aes192CbcEncrypt(block, KeySetId::HeaderA);
    Bytes out;
    putBe32(out, static_cast<std::uint32_t>(sealed.size() + 2));
    putBe16(out, 0x76FF);
    out.insert(out.end(), sealed.begin(), sealed.end());
    return out;
}

inline Bytes vehicleUnitBlocks(const std::vector<std::pair<std::uint16_t, Bytes>>& blocks) {
    Bytes out;
    for (const auto& [tag, data] : blocks) {
        putBe32(out, static_cast<std::uint32_t>(data.size() + 2));
        putBe16(out, tag);
        out.insert(out.end(), data.begin(), data.end());
    }
    return out;
}

// The version record and the plain container encrypted with key set B.
inline Bytes sealContainer(const Bytes& plain) {
    Bytes out{0x00, 0x00, 0x00, 0x04, 0x76, 0x00, 0x00, 0x01};
    const Bytes sealed = aes192CbcEncrypt(plain, KeySetId::ContainerB);
    out.insert(out.end(), sealed.begin(), sealed.end());
    return out;
}

inline Bytes filled(std::size_t size, std::uint8_t seed) {
    Bytes out(size);
    for (std::size_t i = 0; i < size; ++i) out[i] = static_cast<std::uint8_t>(seed + i * 13);
    return out;
}

inline Bytes joined(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
    return out;
}

}  // namespace oltrex::testing
