#include "AesCbc.h"

#include <openssl/evp.h>

#include <algorithm>
#include <climits>
#include <memory>

namespace oltrex::hime {
namespace {

struct CipherContextFree {
    void operator()(EVP_CIPHER_CTX* ctx) const { EVP_CIPHER_CTX_free(ctx); }
};
using CipherContext = std::unique_ptr<EVP_CIPHER_CTX, CipherContextFree>;

// libcrypto counts in int; feed it in pieces well below that.
constexpr std::size_t kChunk = 1u << 20;

int run(bool encrypt, const std::uint8_t* key, const std::uint8_t* iv, const std::uint8_t* data,
        std::size_t size, SecureBytes& out) {
    CipherContext ctx(EVP_CIPHER_CTX_new());
    if (!ctx) return kOutOfMemory;
    if (EVP_CipherInit_ex(ctx.get(), EVP_aes_192_cbc(), nullptr, key, iv, encrypt ? 1 : 0) != 1) {
        return kCipherFailed;
    }
    // Written in place: `out` is a register that keeps its memory, so a run
    // of the same size again costs no fresh pages. Room is left for the
    // padding block and the vector copy the encryption appends.
    out.reserve(size + 2 * kBlockLength);
    out.resize(size + kBlockLength);
    std::size_t written = 0;
    for (std::size_t done = 0; done < size;) {
        const std::size_t piece = std::min(kChunk, size - done);
        int produced = 0;
        if (EVP_CipherUpdate(ctx.get(), out.data() + written, &produced, data + done,
                             static_cast<int>(piece)) != 1) {
            return kCipherFailed;
        }
        written += static_cast<std::size_t>(produced);
        done += piece;
    }
    int produced = 0;
    if (EVP_CipherFinal_ex(ctx.get(), out.data() + written, &produced) != 1) return kCipherFailed;
    written += static_cast<std::size_t>(produced);
    out.resize(written);
    return kOk;
}

}  // namespace

int aes192CbcEncrypt(const std::uint8_t* key, const std::uint8_t* iv, const std::uint8_t* data,
                     std::size_t size, SecureBytes& out) {
    return run(true, key, iv, data, size, out);
}

int aes192CbcDecrypt(const std::uint8_t* key, const std::uint8_t* iv, const std::uint8_t* data,
                     std::size_t size, SecureBytes& out) {
    if (size == 0 || size % kBlockLength != 0) return kCipherFailed;
    return run(false, key, iv, data, size, out);
}

}  // namespace oltrex::hime
