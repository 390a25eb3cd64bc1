#include "Registers.h"

#include <openssl/crypto.h>

#include <array>
#include <climits>

namespace oltrex::hime {

void wipeMemory(void* data, std::size_t size) {
    if (data != nullptr && size > 0) OPENSSL_cleanse(data, size);
}

SecureBytes* threadRegister(int reg) {
    thread_local std::array<SecureBytes, HI_REGISTER_COUNT> bank;
    if (reg < 0 || reg >= HI_REGISTER_COUNT) return nullptr;
    return &bank[static_cast<std::size_t>(reg)];
}

int appendToRegister(SecureBytes& target, const std::uint8_t* data, std::size_t length) {
    if (length == 0) return kOk;
    if (length > static_cast<std::size_t>(INT_MAX) - target.size()) return kTooLarge;
    const std::uint8_t* begin = target.data();
    const bool fromItself = data >= begin && data < begin + target.size();
    if (fromItself) {
        // Growing may move the source; copy it aside first.
        SecureBytes copy(data, data + length);
        target.insert(target.end(), copy.begin(), copy.end());
    } else {
        target.insert(target.end(), data, data + length);
    }
    return kOk;
}

void clearRegister(SecureBytes& target) {
    wipeMemory(target.data(), target.size());
    target.clear();
    // Moderate sizes keep their (now wiped) memory: the next run of the same
    // size then needs no fresh pages, which cost more than the copy itself.
    if (target.capacity() > kKeptCapacity) {
        SecureBytes empty;
        target.swap(empty);
    }
}

}  // namespace oltrex::hime
