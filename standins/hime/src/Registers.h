#pragma once
// The numbered byte registers of the cipher library. Each thread has its own
// bank, so two threads that encrypt at the same time never mix their data and
// no call has to wait for another thread.
#include <cstddef>
#include <cstdint>
#include <new>
#include <utility>
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
    // Growing by resize() leaves the new bytes uninitialised: they are always
    // written at once, and zeroing megabytes first would cost a pass more.
    template <class U>
    void construct(U* p) noexcept {
        ::new (static_cast<void*>(p)) U;
    }
    template <class U, class... Args>
    void construct(U* p, Args&&... args) {
        ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
    }
    template <class U>
    bool operator==(const WipingAllocator<U>&) const noexcept { return true; }
};

using SecureBytes = std::vector<std::uint8_t, WipingAllocator<std::uint8_t>>;

// Registers of the calling thread; nullptr for a number out of range.
SecureBytes* threadRegister(int reg);

// Appends `length` bytes (which may lie inside the register itself).
int appendToRegister(SecureBytes& target, const std::uint8_t* data, std::size_t length);

// Registers keep up to this much memory when they are cleared.
constexpr std::size_t kKeptCapacity = std::size_t{64} << 20;

// Empties the register and wipes its bytes. The memory stays with the
// register for reuse up to kKeptCapacity and is freed beyond that.
void clearRegister(SecureBytes& target);

}  // namespace oltrex::hime
