#pragma once
// The serial line to the key's boot loader as the transfer sees it. The
// programs use the USB-serial bridge through D2XX (D2xxComPort); tests put an
// in-memory fake behind the same interface.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace oltrex {

// Results of ComPort::open: 0, or the step that failed.
enum ComPortOpenResult : int {
    kComPortOpened = 0,
    kComPortOpenFailed = -1,       // no device 0, or it cannot be opened
    kComPortResetFailed = -2,
    kComPortBaudRateFailed = -3,
    kComPortDataFormatFailed = -4,  // 8 data bits, 1 stop bit, no parity
    kComPortFlowControlFailed = -5,
    kComPortTimeoutsFailed = -6,
    kComPortPurgeFailed = -7,
};

class ComPort {
public:
    // Receives the port's own progress lines (e.g. "USB-Mode 115200 Baud").
    using MessageSink = std::function<void(std::string_view)>;

    virtual ~ComPort() = default;

    // Opens and configures device 0 at 115200 baud 8N1, no flow control,
    // 1 ms read time-out, both buffers purged. Returns 0 or a negative
    // ComPortOpenResult; on failure the device is closed again first.
    virtual int open(const MessageSink& message) = 0;
    // The next received byte (0 to 255), or -1 when none arrived within the
    // read time-out (about 1 ms) or the read failed.
    virtual int readByte() = 0;
    // Writes the bytes; failures are not reported (they surface as missing answers).
    virtual void write(const std::uint8_t* bytes, std::size_t size) = 0;
    // Closes the device (harmless when closed) and empties the description.
    virtual void close() = 0;
    // The device description read after opening; empty when closed or unknown.
    virtual std::string description() const = 0;
};

}  // namespace oltrex
