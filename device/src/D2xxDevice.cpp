#include "oltrex/device/D2xxDevice.h"

namespace oltrex {

FT_STATUS LinkedD2xxDevice::open(int deviceNumber) {
    close();
    FT_HANDLE handle = nullptr;
    const FT_STATUS status = FT_Open(deviceNumber, &handle);
    if (status == FT_OK) handle_ = handle;
    return status;
}

FT_STATUS LinkedD2xxDevice::close() {
    if (!handle_) return FT_INVALID_HANDLE;
    const FT_STATUS status = FT_Close(handle_);
    handle_ = nullptr;
    return status;
}

FT_STATUS LinkedD2xxDevice::reset() { return FT_ResetDevice(handle_); }

FT_STATUS LinkedD2xxDevice::setBaudRate(std::uint32_t baud) { return FT_SetBaudRate(handle_, baud); }

FT_STATUS LinkedD2xxDevice::setDataCharacteristics(std::uint8_t wordLength, std::uint8_t stopBits,
                                                   std::uint8_t parity) {
    return FT_SetDataCharacteristics(handle_, wordLength, stopBits, parity);
}

FT_STATUS LinkedD2xxDevice::setFlowControl(std::uint16_t flow, std::uint8_t xon,
                                           std::uint8_t xoff) {
    return FT_SetFlowControl(handle_, flow, xon, xoff);
}

FT_STATUS LinkedD2xxDevice::setTimeouts(std::uint32_t readMs, std::uint32_t writeMs) {
    return FT_SetTimeouts(handle_, readMs, writeMs);
}

FT_STATUS LinkedD2xxDevice::purge(std::uint32_t mask) { return FT_Purge(handle_, mask); }

FT_STATUS LinkedD2xxDevice::deviceInfo(D2xxDeviceInfo& info) {
    char serial[FT_SERIAL_NUMBER_SIZE] = {};
    char description[FT_DESCRIPTION_SIZE] = {};
    FT_DEVICE type = FT_DEVICE_UNKNOWN;
    std::uint32_t id = 0;
    const FT_STATUS status = FT_GetDeviceInfo(handle_, &type, &id, serial, description, nullptr);
    serial[sizeof serial - 1] = '\0';
    description[sizeof description - 1] = '\0';
    info.type = type;
    info.id = id;
    info.serialNumber = serial;
    info.description = description;
    return status;
}

FT_STATUS LinkedD2xxDevice::read(std::uint8_t* buffer, std::uint32_t size, std::uint32_t& got) {
    got = 0;
    return FT_Read(handle_, buffer, size, &got);
}

FT_STATUS LinkedD2xxDevice::write(const std::uint8_t* bytes, std::uint32_t size,
                                  std::uint32_t& written) {
    written = 0;
    return FT_Write(handle_, bytes, size, &written);
}

}  // namespace oltrex
