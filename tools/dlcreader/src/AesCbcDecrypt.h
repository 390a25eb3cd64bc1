#pragma once
#include <cstdint>
#include <span>
#include <string>

#include "oltrex/dlcreader/ContainerReader.h"

namespace oltrex::dlc {

// AES-192-CBC with PKCS#7 padding; key 24 and vector 16 characters.
// ReadError::None, BadCiphertextLength or BadPadding.
ReadError aes192CbcDecrypt(std::span<const std::uint8_t> cipherText, const std::string& key,
                           const std::string& iv, Bytes& plain);

}  // namespace oltrex::dlc
