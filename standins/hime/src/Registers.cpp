#include "Registers.h"

#include <string.h>

#include <array>
#include <climits>
#include <cstring>

namespace oltrex::hime {

// explicit_bzero is glibc's optimised memset that the compiler may not drop;
// OPENSSL_cleanse does the same several times slower on megabyte registers.
void wipeMemory(void* data, std::size_t size) {
    if (data != nullptr && size > 0) explicit_bzero(data, size);
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
    // Growing may move the source; a part of the register itself is copied aside first.
    SecureBytes copy;
    if (fromItself) {
        copy.resize(length);
        std::memcpy(copy.data(), data, length);
        data = copy.data();
    }
    // resize() leaves the new bytes uninitialised (see WipingAllocator), and one
    // memcpy fills them: an element-wise insert through the allocator is
    // several times slower on megabyte registers.
    const std::size_t old = target.size();
    target.resize(old + length);
    std::memcpy(target.data() + old, data, length);
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
