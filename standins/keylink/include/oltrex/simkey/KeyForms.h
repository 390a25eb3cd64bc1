#pragma once
// The forms in which the key hands out a file, and its identity texts.
//
// Protected form: the transport scrambling of protected keys. 32-bit words,
// little-endian, XORed with a key that starts at K0 and steps down by D; the
// 0-3 remaining bytes are XORed with the final key, low byte first. Applying
// it twice gives the original bytes.
//
// Secure form: 8-byte header, then a body scrambled with the inverse of the
// download program's decoding chain (chain start 0xC3). The plain body is a
// series of records (4-byte big-endian length N = data length + 2, 2-byte tag,
// N - 2 data bytes): first a record with tag 0x7600 holding the file name,
// then
//  - for a vehicle-unit file (blocks: tag 0x76xx, data, 76 FF 76 FF) one
//    record per block, its data in the form that the download program's
//    encoding chain, restarted at 0x6D for each record, turns into the block
//    data. The re-encoding writes each record as tag, encoded data and end
//    marker, so it gives back the key file behind the first record's tag. A
//    last block without its end marker becomes a record that claims one byte
//    more than the file holds: the re-encoding writes it as far as it goes
//    and adds no end marker;
//  - for a card file (name starting "C_" or "c_"; 76 06, image, 76 FF 76 FF)
//    the bytes that the card variant's single encoding chain turns into the
//    image; the re-encoding writes 76 06, the image and the end marker, which
//    is the card file itself.
// The Oltrex-Funke's SD-card files are made the same way.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "oltrex/simkey/KeyFolder.h"

namespace oltrex::simkey {

inline constexpr std::string_view kAccessCode = "5E07C9A2";
inline constexpr std::uint32_t kProtectStartKey = 0x5E07C9A2u;
inline constexpr std::uint32_t kProtectStep = 0x3D91B6E4u;

inline constexpr std::uint8_t kSecureChainStart = 0xC3;
inline constexpr std::uint8_t kEncodeChainStart = 0x6D;
inline constexpr std::size_t kSecureHeaderSize = 8;
inline constexpr std::uint16_t kNameRecordTag = 0x7600;
// What the 8 header bytes hold here: "OXSF" and the plain body length (32-bit
// big-endian). The reader on the PC side skips them.
inline constexpr std::string_view kSecureHeaderMagic = "OXSF";

// " StickID: OX0012345678 FW-0120"
std::string keyInfoText(const KeyIdentity& identity);
// " StickID: OX12345678 FW-0120" (last 8 digits of the number; 28 characters)
std::string serialNumberText(const KeyIdentity& identity);
// One directory entry: "%8d Bytes - " and the name in double quotes.
std::string directoryEntry(std::uint64_t size, std::string_view name);

// The XOR scrambling described above; its own inverse.
Bytes protectedForm(const Bytes& bytes);

// True when the key treats `fileName` as a card file ("C_" or "c_" prefix).
bool isCardFileName(std::string_view fileName);

// The plain (unscrambled) body of the secure form. Any vehicle-unit file has
// one; a card file needs 76 06, a non-empty image and the end marker at its
// end (nullopt with a reason otherwise).
std::optional<Bytes> securePlainBody(std::string_view fileName, const Bytes& plainKeyFile,
                                     std::string* error = nullptr);
// Header + scrambled body, ready to be handed out in secure mode.
std::optional<Bytes> secureForm(std::string_view fileName, const Bytes& plainKeyFile,
                                std::string* error = nullptr);

// The bytes that the download program's encoding chain (start
// kEncodeChainStart) turns into `wanted`.
Bytes encodingChainPreimage(const std::uint8_t* wanted, std::size_t size);

// The byte-chaining scrambler of the secure body and its inverse (chain start
// kSecureChainStart, carried across the whole body).
Bytes scrambleSecureBody(const Bytes& plainBody);
Bytes unscrambleSecureBody(const Bytes& scrambledBody);

}  // namespace oltrex::simkey
