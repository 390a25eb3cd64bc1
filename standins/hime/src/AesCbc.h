#pragma once
// AES-192 in CBC mode with PKCS#7 padding: on libcrypto (AesCbcOpenssl.cpp)
// or on the system's bcrypt.dll (AesCbcBcrypt.cpp, Windows).
#include <cstddef>
#include <cstdint>

#include "Registers.h"

namespace oltrex::hime {

constexpr std::size_t kKeyLength = 24;
constexpr std::size_t kVectorLength = 16;
constexpr std::size_t kBlockLength = 16;

// Both give kOk or a negative Status. `out` receives the result; it must not
// overlap the input, and its content is undefined after a failure.
int aes192CbcEncrypt(const std::uint8_t* key, const std::uint8_t* iv, const std::uint8_t* data,
                     std::size_t size, SecureBytes& out);
int aes192CbcDecrypt(const std::uint8_t* key, const std::uint8_t* iv, const std::uint8_t* data,
                     std::size_t size, SecureBytes& out);

}  // namespace oltrex::hime
