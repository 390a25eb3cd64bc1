#pragma once
// The card converter: turns a card image as the key delivers it (card records
// in any order and generation mix) into the EU card download layout, the
// records of a fixed table of elementary files one after another in table
// order, generation 1 first and, for a generation-2 card, generation 2 behind.
//
// A card record: 2-byte file identifier, 1-byte appendix (0x00/0x01 data and
// signature of generation 1, 0x02/0x03 of generation 2), 2-byte big-endian
// length, data. Its first three bytes are the record's tag.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace oltrex {

// One elementary file of the EU layout.
struct CardFileEntry {
    std::string tag;     // "0x" and six hex digits, e.g. "0x052000"
    std::string name;    // e.g. "EF_1G_Identification"
    std::uint16_t size;  // expected data length
};

class CTachoConvert {
public:
    static constexpr const char* kRuntimeClassName = "CTachoConvert";
    static constexpr std::size_t kRecordHeaderSize = 5;
    // The output buffer starts this much larger than the image.
    static constexpr std::size_t kOutputSlack = 100;

    CTachoConvert();  // fills the table (62 entries)
    ~CTachoConvert();
    CTachoConvert(const CTachoConvert&) = delete;
    CTachoConvert& operator=(const CTachoConvert&) = delete;

    // Looks for the first record with the tag bytes given as three 2-character
    // hex texts (e.g. "05", "04", "03") and a non-zero length that lies wholly
    // inside the image. Returns 5 + length and hands out a copy of the record
    // and its position; returns 0 without a match or with a missing argument
    // (null image, null copy, length 0, texts that are not two hex digits),
    // leaving `recordOut` empty. `positionOut` (optional) is always set, to 0
    // when nothing matched.
    int findCardRecord(const char* tagByte1, const char* tagByte2, const char* tagByte3,
                       const std::uint8_t* image, std::size_t imageLength,
                       std::vector<std::uint8_t>* recordOut, std::size_t* positionOut) const;

    // Converts one image. With an image, an output holder and a length above 0
    // the holder receives a zero-filled buffer of imageLength + 100 bytes
    // (grown when the records need more) and the result is the number of bytes
    // used; otherwise the result is 0 and the holder is untouched. The status
    // text (optional) is set empty.
    std::size_t convert(const std::uint8_t* image, std::vector<std::uint8_t>* output,
                        std::size_t imageLength, std::string* statusText) const;

    const std::vector<std::unique_ptr<CardFileEntry>>& entries() const { return entries_; }

private:
    std::vector<std::unique_ptr<CardFileEntry>> entries_;
};

}  // namespace oltrex
