#include "Registers.h"

#include <climits>
#include <cstring>

namespace oltrex::hime {

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
