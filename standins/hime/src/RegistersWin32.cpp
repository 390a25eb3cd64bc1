// Where each thread's register bank lives, and how memory is wiped, on
// Windows. A C++ thread_local would leave its destructor behind in a library
// that the program releases after each use (and crashes mingw's thread exit),
// so a TLS slot holds each thread's bank: made on first use, freed when its
// thread ends, and every bank left is freed when the library is released.
// Freeing wipes the registers (WipingAllocator).
#include <windows.h>

#include <array>
#include <new>

#include "Registers.h"

namespace oltrex::hime {
namespace {

struct Bank {
    std::array<SecureBytes, HI_REGISTER_COUNT> registers;
    Bank* previous = nullptr;
    Bank* next = nullptr;
};

DWORD gSlot = TLS_OUT_OF_INDEXES;
SRWLOCK gBanksLock = SRWLOCK_INIT;
Bank* gBanks = nullptr;  // every thread's bank, for the release of the library

void unlink(Bank* bank) {
    if (bank->previous) bank->previous->next = bank->next;
    if (bank->next) bank->next->previous = bank->previous;
    if (gBanks == bank) gBanks = bank->next;
}

void freeThisThreadsBank() {
    auto* bank = static_cast<Bank*>(TlsGetValue(gSlot));
    if (!bank) return;
    TlsSetValue(gSlot, nullptr);
    AcquireSRWLockExclusive(&gBanksLock);
    unlink(bank);
    ReleaseSRWLockExclusive(&gBanksLock);
    delete bank;
}

void freeEveryBank() {
    AcquireSRWLockExclusive(&gBanksLock);
    while (gBanks) {
        Bank* bank = gBanks;
        unlink(bank);
        delete bank;
    }
    ReleaseSRWLockExclusive(&gBanksLock);
}

}  // namespace

// SecureZeroMemory is Windows' wipe that the compiler may not drop.
void wipeMemory(void* data, std::size_t size) {
    if (data != nullptr && size > 0) SecureZeroMemory(data, size);
}

SecureBytes* threadRegister(int reg) {
    if (reg < 0 || reg >= HI_REGISTER_COUNT || gSlot == TLS_OUT_OF_INDEXES) return nullptr;
    auto* bank = static_cast<Bank*>(TlsGetValue(gSlot));
    if (!bank) {
        bank = new (std::nothrow) Bank;
        if (!bank) return nullptr;
        AcquireSRWLockExclusive(&gBanksLock);
        bank->next = gBanks;
        if (gBanks) gBanks->previous = bank;
        gBanks = bank;
        ReleaseSRWLockExclusive(&gBanksLock);
        TlsSetValue(gSlot, bank);
    }
    return &bank->registers[static_cast<std::size_t>(reg)];
}

}  // namespace oltrex::hime

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved) {
    using namespace oltrex::hime;
    switch (reason) {
        case DLL_PROCESS_ATTACH:
            gSlot = TlsAlloc();
            return gSlot != TLS_OUT_OF_INDEXES;
        case DLL_THREAD_DETACH:
            freeThisThreadsBank();
            break;
        case DLL_PROCESS_DETACH:
            // Released by the program (not the process ending, where other
            // threads may have stopped anywhere): the banks of threads that
            // still run go too.
            if (reserved == nullptr) {
                freeEveryBank();
                TlsFree(gSlot);
                gSlot = TLS_OUT_OF_INDEXES;
            }
            break;
        default:
            break;
    }
    return TRUE;
}
