// Where each thread's register bank lives, and how memory is wiped, on Linux.
#include <string.h>

#include <array>

#include "Registers.h"

namespace oltrex::hime {

// explicit_bzero is glibc's optimised memset that the compiler may not drop;
// OPENSSL_cleanse does the same several times slower on megabyte registers.
void wipeMemory(void* data, std::size_t size) {
    if (data != nullptr && size > 0) explicit_bzero(data, size);
}

// glibc keeps a library loaded while a thread's thread_local objects of it
// live, so the banks' destructors always find their code.
SecureBytes* threadRegister(int reg) {
    thread_local std::array<SecureBytes, HI_REGISTER_COUNT> bank;
    if (reg < 0 || reg >= HI_REGISTER_COUNT) return nullptr;
    return &bank[static_cast<std::size_t>(reg)];
}

}  // namespace oltrex::hime
