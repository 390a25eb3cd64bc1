#pragma once
// A port to a boot loader that is not there: it never opens.
#include "oltrex/device/ComPort.h"

namespace oltrex::test {

class AbsentPort final : public ComPort {
  public:
    int open(const MessageSink&) override { return kComPortOpenFailed; }
    int readByte() override { return -1; }
    void write(const std::uint8_t*, std::size_t) override {}
    void close() override {}
    std::string description() const override { return {}; }
};

}  // namespace oltrex::test
