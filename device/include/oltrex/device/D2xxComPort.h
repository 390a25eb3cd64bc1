#pragma once
// The serial line to the key through a D2XX device: Open_ComPort,
// Read_ComByte, Write_ComBuffer and Close_ComPort.
#include <string>

#include "oltrex/device/ComPort.h"
#include "oltrex/device/D2xxDevice.h"

namespace oltrex {

struct D2xxComPortOptions {
    // KeyRefresh reads the device information after opening; FwFlasher does not.
    bool readDeviceInfo = true;
    // KeyRefresh writes a whole frame with at most 10 write calls in all;
    // FwFlasher writes one byte per call, each with at most 10 calls while the
    // device reports 0 bytes written.
    bool bytePerWriteCall = false;
};

class D2xxComPort final : public ComPort {
public:
    static constexpr std::uint32_t kBaudRate = 115200;
    static constexpr std::uint32_t kReadTimeoutMs = 1;
    static constexpr int kMaxWriteCalls = 10;

    explicit D2xxComPort(D2xxDevice& device, D2xxComPortOptions options = {})
        : device_(device), options_(options) {}
    ~D2xxComPort() override { close(); }

    int open(const MessageSink& message) override;
    int readByte() override;
    void write(const std::uint8_t* bytes, std::size_t size) override;
    void close() override;
    std::string description() const override { return description_; }

    bool isOpen() const { return open_; }

private:
    int failAfterOpen(int result);
    void writeBuffer(const std::uint8_t* bytes, std::size_t size);
    void writeBytewise(const std::uint8_t* bytes, std::size_t size);

    D2xxDevice& device_;
    D2xxComPortOptions options_;
    bool open_ = false;
    std::string description_;
};

}  // namespace oltrex
