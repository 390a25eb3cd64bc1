#pragma once
// Reads a download container (.dlc) back:
//   version record  00 00 00 04 | 76 00 | 00 01
//   then AES-192-CBC (key set B) of the plain container:
//     header record  4-byte length n + 2 | 76 FF | AES-192-CBC (key set A) of
//                    the 228-byte header block (installation class at byte 2,
//                    header time at bytes 223-226)
//     vehicle unit   per block: 4-byte length (data + 2) | 2-byte tag | data
//     card           the card image: records of file id (2), appendix (1),
//                    length (2), data; the last one may run past the end of
//                    the image (a warning), the first must be whole
// Every length is checked against the data before it is used.
#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

namespace oltrex::dlc {

using Bytes = std::vector<std::uint8_t>;

inline constexpr std::array<std::uint8_t, 8> kVersionRecord{0x00, 0x00, 0x00, 0x04, 0x76, 0x00, 0x00, 0x01};
inline constexpr std::uint16_t kHeaderRecordTag = 0x76FF;
inline constexpr std::size_t kHeaderBlockSize = 228;
inline constexpr std::size_t kInstallationClassOffset = 2;
inline constexpr std::size_t kHeaderTimeOffset = 223;

enum class ReadError {
    None,
    CannotRead,           // the file cannot be opened or read
    WrongVersionRecord,   // the first 8 bytes are not the version record
    BadCiphertextLength,  // an encrypted part is not a whole number of AES blocks
    BadPadding,           // decryption ends in bad padding: wrong key or damaged data
    TruncatedRecord,      // a length field runs past the end of its data
    BadRecordLength,      // a block length below 2 (it counts the tag)
    MissingHeaderRecord,  // the plain container does not start with tag 0x76FF
    BadHeaderBlock,       // the header block has the wrong size or fixed bytes
    UnknownBlockTag,      // a vehicle-unit block with a tag the maker never writes
    NoContent,            // nothing follows the header record
    NoCipherLibrary,      // the cipher library that decrypts is missing (Windows: hime.dll)
};

// Short English name of an error, e.g. "bad padding".
const char* errorName(ReadError error);

template <class T>
struct Outcome {
    T value{};
    ReadError error = ReadError::None;
    std::string message;  // what is wrong and where (byte offsets); empty when ok
    bool ok() const { return error == ReadError::None; }
};

struct HeaderRecord {
    Bytes block;  // the decrypted 228-byte header block
    int installationClass = 0;
    // Seconds from 1970-01-01 00:00:00 to the header time, counted from the
    // calendar values without a time-zone conversion.
    std::uint32_t headerTime = 0;
};

struct VehicleUnitBlock {
    std::uint16_t tag = 0;
    Bytes data;
};

struct CardRecord {
    std::uint16_t fileId = 0;
    std::uint8_t appendix = 0;
    std::size_t offset = 0;  // of the record header inside the card image
    std::size_t length = 0;  // data length
};

enum class ContentKind { VehicleUnit, Card };

struct Container {
    HeaderRecord header;
    ContentKind kind = ContentKind::VehicleUnit;
    std::vector<VehicleUnitBlock> blocks;  // vehicle unit
    Bytes cardImage;                       // card
    std::vector<CardRecord> cardRecords;   // card, in image order (whole records)
    // What is odd but not wrong, e.g. a card image that ends inside its last record.
    std::vector<std::string> warnings;
};

// Tags of the blocks a container of a vehicle unit may hold (those of the
// container maker's block scan).
bool isVehicleUnitBlockTag(std::uint16_t tag);

// Checks the version record and removes the outer encryption (key set B).
// The result is the plain container: header record, then blocks or image.
Outcome<Bytes> decryptOuterLayer(std::span<const std::uint8_t> file);

// Parses a plain container (as decryptOuterLayer gives it).
Outcome<Container> parsePlainContainer(std::span<const std::uint8_t> plain);

// Both steps.
Outcome<Container> readContainer(std::span<const std::uint8_t> file);
Outcome<Container> readContainerFile(const std::filesystem::path& path);

// The EU download file the container holds: for a vehicle unit each block as
// tag and data; for a card the card image.
Bytes euDownloadFile(const Container& container);

}  // namespace oltrex::dlc
