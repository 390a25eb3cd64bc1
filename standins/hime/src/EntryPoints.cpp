// The six C entry points. Nothing may leave them as an exception: every
// failure becomes a negative result.
#include <climits>
#include <cstring>
#include <new>

#include "AesCbc.h"
#include "Registers.h"
#include "hime.h"

using namespace oltrex::hime;

namespace {

template <class Body>
int guarded(Body body) noexcept {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return kOutOfMemory;
    } catch (...) {
        return kCipherFailed;
    }
}

// Shared checks of both directions; the output register is emptied on failure
// so that a caller never mistakes old bytes for a result.
int cipher(bool encrypt, int dataReg, int keyReg, int ivReg, int outReg) noexcept {
    SecureBytes* data = threadRegister(dataReg);
    SecureBytes* key = threadRegister(keyReg);
    SecureBytes* iv = threadRegister(ivReg);
    SecureBytes* out = threadRegister(outReg);
    if (!data || !key || !iv || !out) return kInvalidRegister;
    const int status = guarded([&] {
        if (key->size() != kKeyLength || iv->size() != kVectorLength) return int{kWrongKeyOrVectorLength};
        if (encrypt && data->size() > static_cast<std::size_t>(INT_MAX) - 2 * kBlockLength) return int{kTooLarge};
        // An output register that is also an input gets a fresh buffer;
        // otherwise the result is written into the register's own memory.
        const bool aliased = out == data || out == key || out == iv;
        SecureBytes separate;
        SecureBytes& result = aliased ? separate : *out;
        if (!aliased) clearRegister(*out);  // old bytes never linger behind a shorter result
        const int rc = encrypt ? aes192CbcEncrypt(key->data(), iv->data(), data->data(), data->size(), result)
                               : aes192CbcDecrypt(key->data(), iv->data(), data->data(), data->size(), result);
        if (rc != kOk) return rc;
        // Ciphertext, then a copy of the vector (room for it is reserved).
        if (encrypt) result.insert(result.end(), iv->begin(), iv->end());
        if (aliased) out->swap(separate);
        return int{kOk};
    });
    if (status != kOk) clearRegister(*out);
    return status;
}

}  // namespace

extern "C" {

int HI_PUTREGADD(int reg, const void* data, int length) {
    SecureBytes* target = threadRegister(reg);
    if (!target) return kInvalidRegister;
    if (length < 0 || (data == nullptr && length > 0)) return kInvalidArgument;
    return guarded([&] {
        return appendToRegister(*target, static_cast<const std::uint8_t*>(data),
                                static_cast<std::size_t>(length));
    });
}

const void* HI_GETREG(int reg) {
    SecureBytes* target = threadRegister(reg);
    if (!target || target->empty()) return nullptr;
    return target->data();
}

int HI_REGGETLEN(int reg) {
    SecureBytes* target = threadRegister(reg);
    if (!target) return kInvalidRegister;
    return static_cast<int>(target->size());
}

int HI_ENCRYPT_AES_CBC(int dataReg, int keyReg, int ivReg, int outReg) {
    return cipher(true, dataReg, keyReg, ivReg, outReg);
}

int HI_DECRYPT_AES_CBC(int dataReg, int keyReg, int ivReg, int outReg) {
    return cipher(false, dataReg, keyReg, ivReg, outReg);
}

int HI_REGCLEAR(int reg) {
    SecureBytes* target = threadRegister(reg);
    if (!target) return kInvalidRegister;
    clearRegister(*target);
    return kOk;
}

}  // extern "C"
