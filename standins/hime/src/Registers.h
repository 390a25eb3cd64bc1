#pragma once
// The numbered byte registers of the cipher library. Each thread has its own
// bank, so two threads that encrypt at the same time never mix their data and
// no call has to wait for another thread.
#include <cstddef>
#include <cstdint>
#include <new>
#include <vector>

#include "hime.h"

namespace oltrex::hime {

// Result codes of the entry points.
enum Status : int {
    kOk = 0,
    kInvalidRegister = -1,
    kInvalidArgument = -2,
    kWrongKeyOrVectorLength = -3,
    kCipherFailed = -4,  // also: ciphertext of a wrong length or with bad padding
    kTooLarge = -5,
    kOutOfMemory = -6,
};

void wipeMemory(void* data, std::size_t size);

// Wipes every block before it goes back to the heap, so that keys and plain
// data do not linger in freed memory (on clear, on growth, at thread exit).
template <class T>
struct WipingAllocator {
    using value_type = T;
    WipingAllocator() = default;
    template <class U>
    WipingAllocator(const WipingAllocator<U>&) noexcept {}
    T* allocate(std::size_t n) { return static_cast<T*>(::operator new(n * sizeof(T))); }
    void deallocate(T* p, std::size_t n) noexcept {
        wipeMemory(p, n * sizeof(T));
        ::operator delete(p);
    }
    template <class U>
    bool operator==(const WipingAllocator<U>&) const noexcept { return true; }
};

using SecureBytes = std::vector<std::uint8_t, WipingAllocator<std::uint8_t>>;

// Registers of the calling thread; nullptr for a number out of range.
SecureBytes* threadRegister(int reg);

// Appends `length` bytes (which may lie inside the register itself).
int appendToRegister(SecureBytes& target, const std::uint8_t* data, std::size_t length);

// Empties the register and wipes and frees its bytes.
void clearRegister(SecureBytes& target);

}  // namespace oltrex::hime
