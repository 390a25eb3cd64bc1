#pragma once
// The D2XX operations as one small interface, so that the port logic above
// them (D2xxComPort) can be tested against a fake device.
#include <cstdint>
#include <string>

#include "oltrex/device/D2xx.h"

namespace oltrex {

struct D2xxDeviceInfo {
    FT_DEVICE type = FT_DEVICE_UNKNOWN;
    std::uint32_t id = 0;
    std::string serialNumber;
    std::string description;
};

// One device at a time; every call but open works on the open device and
// returns an FT_STATUS.
class D2xxDevice {
public:
    virtual ~D2xxDevice() = default;
    virtual FT_STATUS open(int deviceNumber) = 0;
    virtual FT_STATUS close() = 0;
    virtual FT_STATUS reset() = 0;
    virtual FT_STATUS setBaudRate(std::uint32_t baud) = 0;
    virtual FT_STATUS setDataCharacteristics(std::uint8_t wordLength, std::uint8_t stopBits,
                                             std::uint8_t parity) = 0;
    virtual FT_STATUS setFlowControl(std::uint16_t flow, std::uint8_t xon, std::uint8_t xoff) = 0;
    virtual FT_STATUS setTimeouts(std::uint32_t readMs, std::uint32_t writeMs) = 0;
    virtual FT_STATUS purge(std::uint32_t mask) = 0;
    virtual FT_STATUS deviceInfo(D2xxDeviceInfo& info) = 0;
    virtual FT_STATUS read(std::uint8_t* buffer, std::uint32_t size, std::uint32_t& got) = 0;
    virtual FT_STATUS write(const std::uint8_t* bytes, std::uint32_t size,
                            std::uint32_t& written) = 0;
};

// The linked D2XX library (libftd2xx.so) with one handle of its own.
class LinkedD2xxDevice final : public D2xxDevice {
public:
    ~LinkedD2xxDevice() override { close(); }
    FT_STATUS open(int deviceNumber) override;
    FT_STATUS close() override;
    FT_STATUS reset() override;
    FT_STATUS setBaudRate(std::uint32_t baud) override;
    FT_STATUS setDataCharacteristics(std::uint8_t wordLength, std::uint8_t stopBits,
                                     std::uint8_t parity) override;
    FT_STATUS setFlowControl(std::uint16_t flow, std::uint8_t xon, std::uint8_t xoff) override;
    FT_STATUS setTimeouts(std::uint32_t readMs, std::uint32_t writeMs) override;
    FT_STATUS purge(std::uint32_t mask) override;
    FT_STATUS deviceInfo(D2xxDeviceInfo& info) override;
    FT_STATUS read(std::uint8_t* buffer, std::uint32_t size, std::uint32_t& got) override;
    FT_STATUS write(const std::uint8_t* bytes, std::uint32_t size,
                    std::uint32_t& written) override;

private:
    FT_HANDLE handle_ = nullptr;
};

}  // namespace oltrex
