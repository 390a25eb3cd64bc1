#pragma once
// Walks EU download files (.DDD/.TGD) by their structure, to their exact end.
//
// Vehicle units: a series of blocks, each a 2-byte tag and its data.
//   Generation 1 (0x7601-0x7605): fixed parts and counted record lists.
//   Generation 2 (0x7621-0x7625, version 2 0x7631-0x7635): record arrays
//   (record type 1 byte, record size 2, number of records 2, records), the
//   signature record array (type 0x08) last.
// Cards: records of 2-byte file identifier, appendix 0x00-0x03, 2-byte length, data.
//
// A file that does not walk to its exact end is refused: the error names the
// offset where the walk failed. Nothing is guessed.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "oltrex/testdata/Bytes.h"
#include "oltrex/testdata/KeyForm.h"

namespace oltrex::testdata {

enum class EuFileKind { VehicleUnit, Card };

struct EuBlock {
    std::uint16_t tag = 0;
    std::size_t offset = 0;    // of the tag
    std::size_t dataSize = 0;  // bytes after the tag
};

struct EuCardRecord {
    std::uint16_t fileId = 0;
    std::uint8_t appendix = 0;
    std::size_t offset = 0;  // of the record header
    std::size_t length = 0;  // data bytes
};

struct EuLayout {
    EuFileKind kind = EuFileKind::VehicleUnit;
    Generation generation = Generation::First;
    std::vector<EuBlock> blocks;        // vehicle units
    std::vector<EuCardRecord> records;  // cards
};

struct WalkError {
    std::size_t offset = 0;
    std::string reason;
};

// A block tag of an EU vehicle-unit download (generation 1, 2 or 2 version 2).
bool isEuBlockTag(std::uint16_t tag);

// The whole file: a vehicle unit when it starts with 0x76, otherwise a card.
std::optional<EuLayout> walkEuFile(ByteView file, WalkError& error);

// The data size of the block with `tag` whose data starts at `dataOffset` in
// `file` (the block may be followed by more bytes).
std::optional<std::size_t> walkVehicleUnitBlock(ByteView file, std::uint16_t tag, std::size_t dataOffset,
                                                WalkError& error);

// Card records from `begin` to exactly `end` of `file`.
std::optional<std::vector<EuCardRecord>> walkCardRecords(ByteView file, std::size_t begin, std::size_t end,
                                                         WalkError& error);

}  // namespace oltrex::testdata
