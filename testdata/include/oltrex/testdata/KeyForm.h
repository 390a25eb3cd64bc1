#pragma once
// The form in which the key stores tachograph files.
//
// Vehicle unit: a series of blocks, each the 2-byte tag (0x76xx), the block
// data and the end marker 0x76 0xFF 0x76 0xFF.
// Card: the tag 0x76 0x06, the card image (card records) and 4 closing bytes.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "oltrex/testdata/Bytes.h"

namespace oltrex::testdata {

enum class Generation { First, Second };

inline constexpr std::array<std::uint8_t, 4> kEndMarker{0x76, 0xFF, 0x76, 0xFF};
inline constexpr std::uint16_t kCardFileTag = 0x7606;
// The key closes a card file with the same four bytes as a block.
inline constexpr std::array<std::uint8_t, 4> kCardClosingBytes = kEndMarker;

// One file as the key stores it, under the key's own file name.
struct KeyFile {
    std::string name;
    Bytes bytes;
};

// One block of a vehicle-unit download: its tag and its data.
struct VehicleUnitBlock {
    std::uint16_t tag = 0;
    Bytes data;
};

// Tag and data of every block, without end markers: the EU download file.
Bytes euVehicleUnitFile(const std::vector<VehicleUnitBlock>& blocks);
// Tag, data and end marker of every block: the key's form.
Bytes keyVehicleUnitFile(const std::vector<VehicleUnitBlock>& blocks);
// 0x76 0x06, the card image, the closing bytes.
Bytes keyCardFile(ByteView cardImage);

// Tags of vehicle-unit blocks, by family.
bool isGen1BlockTag(std::uint16_t tag);        // 0x7601-0x7605
bool isGen2BlockTag(std::uint16_t tag);        // 0x7621-0x7625
bool isGen2Version2BlockTag(std::uint16_t tag);  // 0x7631-0x7635
bool isSBlockTag(std::uint16_t tag);           // 0x7611-0x7619

}  // namespace oltrex::testdata
