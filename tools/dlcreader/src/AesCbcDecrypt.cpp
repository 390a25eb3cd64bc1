#include "AesCbcDecrypt.h"

#include <openssl/evp.h>

#include <algorithm>
#include <climits>
#include <memory>

namespace oltrex::dlc {
namespace {

struct CipherContextFree {
    void operator()(EVP_CIPHER_CTX* ctx) const { EVP_CIPHER_CTX_free(ctx); }
};

constexpr std::size_t kBlock = 16;
constexpr std::size_t kChunk = 1u << 20;  // libcrypto counts in int

}  // namespace

ReadError aes192CbcDecrypt(std::span<const std::uint8_t> cipherText, const std::string& key,
                           const std::string& iv, Bytes& plain) {
    if (cipherText.empty() || cipherText.size() % kBlock != 0) return ReadError::BadCiphertextLength;
    if (key.size() != 24 || iv.size() != 16) return ReadError::BadPadding;
    std::unique_ptr<EVP_CIPHER_CTX, CipherContextFree> ctx(EVP_CIPHER_CTX_new());
    if (!ctx || EVP_DecryptInit_ex(ctx.get(), EVP_aes_192_cbc(), nullptr,
                                   reinterpret_cast<const unsigned char*>(key.data()),
                                   reinterpret_cast<const unsigned char*>(iv.data())) != 1) {
        return ReadError::BadPadding;
    }
    Bytes out(cipherText.size() + kBlock);
    std::size_t written = 0;
    for (std::size_t done = 0; done < cipherText.size();) {
        const std::size_t piece = std::min(kChunk, cipherText.size() - done);
        int produced = 0;
        if (EVP_DecryptUpdate(ctx.get(), out.data() + written, &produced, cipherText.data() + done,
                              static_cast<int>(piece)) != 1) {
            return ReadError::BadPadding;
        }
        written += static_cast<std::size_t>(produced);
        done += piece;
    }
    int produced = 0;
    if (EVP_DecryptFinal_ex(ctx.get(), out.data() + written, &produced) != 1) return ReadError::BadPadding;
    written += static_cast<std::size_t>(produced);
    out.resize(written);
    plain.swap(out);
    return ReadError::None;
}

}  // namespace oltrex::dlc
