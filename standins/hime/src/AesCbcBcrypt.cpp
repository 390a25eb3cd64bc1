// AES-192-CBC on Windows' own cipher library (CNG, bcrypt.dll). Every call
// opens the algorithm and the key and closes them again: the library is
// loaded and released for each filed file, so nothing may outlive a call.
#include <windows.h>
// after windows.h, whose types it uses
#include <bcrypt.h>

#include <cstring>

#include "AesCbc.h"

namespace oltrex::hime {
namespace {

class Algorithm {
  public:
    Algorithm() {
        if (!BCRYPT_SUCCESS(
                BCryptOpenAlgorithmProvider(&handle_, BCRYPT_AES_ALGORITHM, nullptr, 0))) {
            handle_ = nullptr;
            return;
        }
        auto* mode = reinterpret_cast<PUCHAR>(const_cast<wchar_t*>(BCRYPT_CHAIN_MODE_CBC));
        if (!BCRYPT_SUCCESS(BCryptSetProperty(handle_, BCRYPT_CHAINING_MODE, mode,
                                              sizeof(BCRYPT_CHAIN_MODE_CBC), 0))) {
            BCryptCloseAlgorithmProvider(handle_, 0);
            handle_ = nullptr;
        }
    }
    ~Algorithm() {
        if (handle_) BCryptCloseAlgorithmProvider(handle_, 0);
    }
    Algorithm(const Algorithm&) = delete;
    Algorithm& operator=(const Algorithm&) = delete;
    BCRYPT_ALG_HANDLE get() const { return handle_; }

  private:
    BCRYPT_ALG_HANDLE handle_ = nullptr;
};

// The key object; bcrypt keeps (and on destruction wipes) its own copy of the key.
class Key {
  public:
    Key(const Algorithm& algorithm, const std::uint8_t* key) {
        if (!algorithm.get() ||
            !BCRYPT_SUCCESS(BCryptGenerateSymmetricKey(algorithm.get(), &handle_, nullptr, 0,
                                                       const_cast<PUCHAR>(key), kKeyLength, 0))) {
            handle_ = nullptr;
        }
    }
    ~Key() {
        if (handle_) BCryptDestroyKey(handle_);
    }
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;
    BCRYPT_KEY_HANDLE get() const { return handle_; }

  private:
    BCRYPT_KEY_HANDLE handle_ = nullptr;
};

// Strips PKCS#7 padding: 1 to 16 bytes, each holding their count.
int removePadding(SecureBytes& plain) {
    if (plain.empty()) return kCipherFailed;
    const std::size_t count = plain.back();
    if (count == 0 || count > kBlockLength || count > plain.size()) return kCipherFailed;
    for (std::size_t i = plain.size() - count; i < plain.size(); ++i)
        if (plain[i] != count) return kCipherFailed;
    plain.resize(plain.size() - count);
    return kOk;
}

// One call for the whole input: registers hold at most INT_MAX bytes, which
// the library's 32-bit counts cover, so no chaining across calls is needed.
int run(bool encrypt, const std::uint8_t* keyBytes, const std::uint8_t* iv,
        const std::uint8_t* data, std::size_t size, SecureBytes& out) {
    const Algorithm algorithm;
    const Key key(algorithm, keyBytes);
    if (!key.get()) return kCipherFailed;
    // The library updates the vector it is given; the register's stays as it is.
    UCHAR vector[kVectorLength];
    std::memcpy(vector, iv, kVectorLength);
    // Room for the padding block and the vector copy the encryption appends.
    out.reserve(size + 2 * kBlockLength);
    out.resize(encrypt ? (size / kBlockLength + 1) * kBlockLength : size);
    ULONG written = 0;
    // An empty register has no address; the library wants one even for no bytes.
    UCHAR nothing = 0;
    auto* input = size == 0 ? &nothing : const_cast<PUCHAR>(data);
    const auto inputSize = static_cast<ULONG>(size);
    const auto outputSize = static_cast<ULONG>(out.size());
    // The decryption checks the padding itself, every byte of it, as libcrypto
    // does: bcrypt as Wine has it looks at the last byte only, and damaged
    // data must not come out as a plain text.
    const NTSTATUS status =
        encrypt ? BCryptEncrypt(key.get(), input, inputSize, nullptr, vector, kVectorLength,
                                out.data(), outputSize, &written, BCRYPT_BLOCK_PADDING)
                : BCryptDecrypt(key.get(), input, inputSize, nullptr, vector, kVectorLength,
                                out.data(), outputSize, &written, 0);
    if (!BCRYPT_SUCCESS(status)) return kCipherFailed;
    out.resize(written);
    return encrypt ? kOk : removePadding(out);
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
