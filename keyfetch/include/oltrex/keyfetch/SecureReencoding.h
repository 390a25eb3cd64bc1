#pragma once
// Files that a key delivers in secure mode (and the container files of an SD
// card) hold their data as length-prefixed records behind an 8-byte header,
// scrambled by the key's byte-chaining scrambler. KeyFetch rewrites them into
// the PC-side form: the records' tags, their data through the PC-side
// chain, and end markers. The key's records carry their data so that this
// gives the plain key file (a vehicle unit behind the first record's tag).
#include <cstdint>
#include <filesystem>
#include <string_view>
#include <vector>

namespace oltrex {

enum class SecureVariant { VehicleUnit, Card };

// Card for names starting "C_" or "c_", vehicle unit otherwise.
SecureVariant secureVariantFor(std::string_view fileName);

// One step of the key's decoding chain (start value 0xC3) and of the PC-side
// encoding chain (start value 0x6D); `chain` carries the state.
inline constexpr std::uint8_t kSecureDecodeChainStart = 0xC3;
inline constexpr std::uint8_t kSecureEncodeChainStart = 0x6D;
inline constexpr std::size_t kSecureHeaderSize = 8;
std::uint8_t secureDecodeByte(std::uint8_t scrambled, std::uint8_t& chain);
std::uint8_t secureEncodeByte(std::uint8_t plain, std::uint8_t& chain);

// The PC-side form of a whole secure file (header included).
std::vector<std::uint8_t> reencodeSecureBytes(const std::vector<std::uint8_t>& source,
                                              SecureVariant variant);

// Results of reencodeSecureFile.
inline constexpr int kReencodeOk = 0;
inline constexpr int kReencodeFailed = -2;       // the source could not be read
inline constexpr int kReencodeNotReplaced = -3;  // the result could not replace the file
inline constexpr int kReencodeNoTemporaryFile = -13;

// Rewrites the file at `localPath` in place. The result is written to a new
// unique file ("OXD...") in `workFolder`, synced and renamed over the local
// file, so that on any failure the local file is left exactly as it was.
int reencodeSecureFile(const std::filesystem::path& localPath, std::string_view fileName,
                       const std::filesystem::path& workFolder);

}  // namespace oltrex
