#include "oltrex/transfer/TransferEvents.h"

#include <cstdio>

namespace oltrex {

void formatBlockLine(char* out, std::size_t outSize, std::size_t frameLength,
                     std::uint32_t address, std::uint32_t crc) {
    std::snprintf(out, outSize, "Block genereated: len=%d, adr=0x%08X, crc=0x%08X",
                  static_cast<int>(frameLength), address, crc);
}

void formatHeaderLine(char* out, std::size_t outSize, std::size_t frameLength,
                      std::uint32_t address, std::uint32_t crc) {
    std::snprintf(out, outSize, "Header Block genereated: len=%d, adr=0x%08X, crc=0x%08X",
                  static_cast<int>(frameLength), address, crc);
}

}  // namespace oltrex
