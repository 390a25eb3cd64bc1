// The decryption of the Windows build, which has no libcrypto: the cipher
// library "HIME" (hime.dll, on the system's bcrypt.dll) decrypts, loaded by
// name once and kept for the life of the process.
#include <mutex>

#include "AesCbcDecrypt.h"
#include "hime.h"
#include "oltrex/platform/DynamicLibrary.h"

namespace oltrex::dlc {
namespace {

constexpr std::size_t kBlock = 16;
constexpr int kData = 1, kKey = 2, kIv = 3, kPlain = 4;

struct Hime {
    DynamicLibrary library{"hime.dll"};
    HI_PUTREGADD_fn putRegAdd = library.symbol<HI_PUTREGADD_fn>("HI_PUTREGADD");
    HI_GETREG_fn getReg = library.symbol<HI_GETREG_fn>("HI_GETREG");
    HI_REGGETLEN_fn regGetLen = library.symbol<HI_REGGETLEN_fn>("HI_REGGETLEN");
    HI_DECRYPT_AES_CBC_fn decrypt = library.symbol<HI_DECRYPT_AES_CBC_fn>("HI_DECRYPT_AES_CBC");
    HI_REGCLEAR_fn regClear = library.symbol<HI_REGCLEAR_fn>("HI_REGCLEAR");
    std::mutex mutex;  // the registers are the library's, one set per process

    bool complete() const { return putRegAdd && getReg && regGetLen && decrypt && regClear; }
    void clear() {
        for (int reg : {kData, kKey, kIv, kPlain}) regClear(reg);
    }
};

Hime& hime() {
    static Hime library;
    return library;
}

}  // namespace

ReadError aes192CbcDecrypt(std::span<const std::uint8_t> cipherText, const std::string& key,
                           const std::string& iv, Bytes& plain) {
    if (cipherText.empty() || cipherText.size() % kBlock != 0) return ReadError::BadCiphertextLength;
    if (key.size() != 24 || iv.size() != 16) return ReadError::BadPadding;
    Hime& hi = hime();
    if (!hi.complete()) return ReadError::NoCipherLibrary;
    if (cipherText.size() > 0x7FFFFFF0u) return ReadError::BadCiphertextLength;
    std::lock_guard lock(hi.mutex);
    hi.clear();
    const bool decrypted = hi.putRegAdd(kData, cipherText.data(), static_cast<int>(cipherText.size())) == 0 &&
                           hi.putRegAdd(kKey, key.data(), static_cast<int>(key.size())) == 0 &&
                           hi.putRegAdd(kIv, iv.data(), static_cast<int>(iv.size())) == 0 &&
                           hi.decrypt(kData, kKey, kIv, kPlain) == 0;
    const int length = decrypted ? hi.regGetLen(kPlain) : -1;
    const auto* bytes = static_cast<const std::uint8_t*>(hi.getReg(kPlain));
    if (length >= 0 && (bytes != nullptr || length == 0)) plain.assign(bytes, bytes + length);
    hi.clear();
    return length >= 0 ? ReadError::None : ReadError::BadPadding;
}

}  // namespace oltrex::dlc
