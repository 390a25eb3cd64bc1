#include "oltrex/device/D2xxComPort.h"

#include <algorithm>
#include <limits>

namespace oltrex {

int D2xxComPort::failAfterOpen(int result) {
    // A device that could not be configured is closed before the failure is reported.
    close();
    return result;
}

int D2xxComPort::open(const MessageSink& message) {
    close();
    if (device_.open(0) != FT_OK) return kComPortOpenFailed;
    open_ = true;
    if (device_.reset() != FT_OK) return failAfterOpen(kComPortResetFailed);
    if (message) message("USB-Mode 115200 Baud");
    if (device_.setBaudRate(kBaudRate) != FT_OK) return failAfterOpen(kComPortBaudRateFailed);
    if (device_.setDataCharacteristics(FT_BITS_8, FT_STOP_BITS_1, FT_PARITY_NONE) != FT_OK) {
        return failAfterOpen(kComPortDataFormatFailed);
    }
    if (device_.setFlowControl(FT_FLOW_NONE, 0, 0) != FT_OK) {
        return failAfterOpen(kComPortFlowControlFailed);
    }
    if (device_.setTimeouts(kReadTimeoutMs, 0) != FT_OK) return failAfterOpen(kComPortTimeoutsFailed);
    if (device_.purge(FT_PURGE_RX | FT_PURGE_TX) != FT_OK) return failAfterOpen(kComPortPurgeFailed);
    if (options_.readDeviceInfo) {
        D2xxDeviceInfo info;
        description_ = device_.deviceInfo(info) == FT_OK ? info.description : std::string();
    }
    return kComPortOpened;
}

int D2xxComPort::readByte() {
    if (!open_) return -1;
    std::uint8_t byte = 0;
    std::uint32_t got = 0;
    if (device_.read(&byte, 1, got) != FT_OK || got != 1) return -1;
    return byte;
}

void D2xxComPort::write(const std::uint8_t* bytes, std::size_t size) {
    if (!open_) return;
    if (options_.bytePerWriteCall) {
        writeBytewise(bytes, size);
    } else {
        writeBuffer(bytes, size);
    }
}

void D2xxComPort::writeBuffer(const std::uint8_t* bytes, std::size_t size) {
    std::size_t done = 0;
    for (int calls = 0; done < size && calls < kMaxWriteCalls; ++calls) {
        const auto chunk = static_cast<std::uint32_t>(
            std::min<std::size_t>(size - done, std::numeric_limits<std::uint32_t>::max()));
        std::uint32_t written = 0;
        if (device_.write(bytes + done, chunk, written) != FT_OK) return;
        done += std::min<std::size_t>(written, size - done);
    }
}

void D2xxComPort::writeBytewise(const std::uint8_t* bytes, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) {
        for (int calls = 0; calls < kMaxWriteCalls; ++calls) {
            std::uint32_t written = 0;
            if (device_.write(bytes + i, 1, written) != FT_OK || written != 0) break;
        }
    }
}

void D2xxComPort::close() {
    if (open_) {
        device_.close();
        open_ = false;
    }
    description_.clear();
}

}  // namespace oltrex
