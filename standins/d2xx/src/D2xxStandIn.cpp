// The D2XX operations on a POSIX serial port. Reads wait with ppoll() against
// a monotonic deadline, so a 1 ms read time-out costs one sleeping system call
// and never a spinning loop.
#include <errno.h>
#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <new>
#include <string>

#include "SerialPath.h"
#include "oltrex/device/D2xx.h"

#define D2XX_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

// Without a write time-out a write still gives up after this long, so a
// stalled line cannot hang the flasher for ever.
constexpr std::uint32_t kWriteLimitMs = 5000;

struct Port {
    int fd = -1;
    std::string path;
    std::string ttyName;
    std::uint32_t readTimeoutMs = 0;
    std::uint32_t writeTimeoutMs = 0;
};

Port* portOf(FT_HANDLE handle) { return static_cast<Port*>(handle); }

std::int64_t nowNs() {
    timespec ts{};
    ::clock_gettime(CLOCK_MONOTONIC, &ts);
    return std::int64_t{ts.tv_sec} * 1000000000 + ts.tv_nsec;
}

// Waits for `events` on the port until the deadline (ns, monotonic; -1 = no
// deadline). Returns the revents, 0 on time-out, -1 on error.
int waitFor(int fd, short events, std::int64_t deadline) {
    for (;;) {
        pollfd p{fd, events, 0};
        timespec wait{};
        timespec* waitPtr = nullptr;
        if (deadline >= 0) {
            const std::int64_t left = deadline - nowNs();
            if (left <= 0) return 0;
            wait.tv_sec = static_cast<time_t>(left / 1000000000);
            wait.tv_nsec = static_cast<long>(left % 1000000000);
            waitPtr = &wait;
        }
        const int n = ::ppoll(&p, 1, waitPtr, nullptr);
        if (n > 0) return p.revents;
        if (n == 0) return 0;
        if (errno != EINTR) return -1;
    }
}

void sleepUntil(std::int64_t deadline) {
    timespec ts{static_cast<time_t>(deadline / 1000000000), static_cast<long>(deadline % 1000000000)};
    while (::clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr) == EINTR) {
    }
}

speed_t speedOf(std::uint32_t baud) {
    switch (baud) {
        case 300: return B300;
        case 1200: return B1200;
        case 2400: return B2400;
        case 4800: return B4800;
        case 9600: return B9600;
        case 19200: return B19200;
        case 38400: return B38400;
        case 57600: return B57600;
        case 115200: return B115200;
        case 230400: return B230400;
        case 460800: return B460800;
        case 921600: return B921600;
        default: return 0;
    }
}

// Asks a real FTDI adapter for 1 ms receive latency instead of its default
// 16 ms, which would delay every short answer. Quietly skipped where the
// system does not allow it (and on pseudo-terminals).
void requestLowLatency(const Port& port) {
    serial_struct serial{};
    if (::ioctl(port.fd, TIOCGSERIAL, &serial) == 0) {
        serial.flags |= ASYNC_LOW_LATENCY;
        ::ioctl(port.fd, TIOCSSERIAL, &serial);
    }
    oltrex::d2xx::setSysfsLatencyTimer(port.ttyName, 1);
}

FT_STATUS updateTermios(Port* port, void (*change)(termios&, const void*), const void* arg) {
    termios tio{};
    if (::tcgetattr(port->fd, &tio) != 0) return FT_IO_ERROR;
    change(tio, arg);
    if (::tcsetattr(port->fd, TCSANOW, &tio) != 0) return FT_IO_ERROR;
    return FT_OK;
}

}  // namespace

D2XX_EXPORT FT_STATUS FT_Open(int deviceNumber, FT_HANDLE* handle) {
    if (!handle) return FT_INVALID_PARAMETER;
    *handle = nullptr;
    const std::string path = oltrex::d2xx::devicePath(deviceNumber);
    if (path.empty()) return FT_DEVICE_NOT_FOUND;
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return errno == ENOENT ? FT_DEVICE_NOT_FOUND : FT_DEVICE_NOT_OPENED;
    // One user of the device at a time, as with the vendor's driver; the lock
    // goes with the process should it die.
    termios probe{};
    if (::tcgetattr(fd, &probe) != 0 || ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return FT_DEVICE_NOT_OPENED;
    }
    Port* port = new (std::nothrow) Port;
    if (!port) {
        ::close(fd);
        return FT_INSUFFICIENT_RESOURCES;
    }
    port->fd = fd;
    port->path = path;
    port->ttyName = oltrex::d2xx::ttyNameOf(path);
    *handle = port;
    return FT_OK;
}

D2XX_EXPORT FT_STATUS FT_Close(FT_HANDLE handle) {
    Port* port = portOf(handle);
    if (!port) return FT_INVALID_HANDLE;
    ::flock(port->fd, LOCK_UN);
    ::close(port->fd);
    delete port;
    return FT_OK;
}

D2XX_EXPORT FT_STATUS FT_ResetDevice(FT_HANDLE handle) {
    Port* port = portOf(handle);
    if (!port) return FT_INVALID_HANDLE;
    // Raw 8-bit line, nothing translated or echoed, reads never block in the
    // kernel (the time-outs are ours).
    const FT_STATUS status = updateTermios(
        port,
        [](termios& tio, const void*) {
            ::cfmakeraw(&tio);
            tio.c_cflag |= CLOCAL | CREAD;
            tio.c_cc[VMIN] = 0;
            tio.c_cc[VTIME] = 0;
        },
        nullptr);
    if (status != FT_OK) return status;
    ::tcflush(port->fd, TCIOFLUSH);
    requestLowLatency(*port);
    return FT_OK;
}

D2XX_EXPORT FT_STATUS FT_SetBaudRate(FT_HANDLE handle, uint32_t baudRate) {
    Port* port = portOf(handle);
    if (!port) return FT_INVALID_HANDLE;
    const speed_t speed = speedOf(baudRate);
    if (speed == 0) return FT_INVALID_BAUD_RATE;
    return updateTermios(
        port, [](termios& tio, const void* s) { ::cfsetspeed(&tio, *static_cast<const speed_t*>(s)); },
        &speed);
}

D2XX_EXPORT FT_STATUS FT_SetDataCharacteristics(FT_HANDLE handle, uint8_t wordLength,
                                                uint8_t stopBits, uint8_t parity) {
    Port* port = portOf(handle);
    if (!port) return FT_INVALID_HANDLE;
    if ((wordLength != FT_BITS_7 && wordLength != FT_BITS_8) ||
        (stopBits != FT_STOP_BITS_1 && stopBits != FT_STOP_BITS_2) || parity > FT_PARITY_SPACE) {
        return FT_INVALID_PARAMETER;
    }
    const uint8_t settings[3] = {wordLength, stopBits, parity};
    return updateTermios(
        port,
        [](termios& tio, const void* arg) {
            const auto* s = static_cast<const uint8_t*>(arg);
            tio.c_cflag &= ~(CSIZE | CSTOPB | PARENB | PARODD | CMSPAR);
            tio.c_cflag |= s[0] == FT_BITS_8 ? CS8 : CS7;
            if (s[1] == FT_STOP_BITS_2) tio.c_cflag |= CSTOPB;
            switch (s[2]) {
                case FT_PARITY_ODD: tio.c_cflag |= PARENB | PARODD; break;
                case FT_PARITY_EVEN: tio.c_cflag |= PARENB; break;
                case FT_PARITY_MARK: tio.c_cflag |= PARENB | PARODD | CMSPAR; break;
                case FT_PARITY_SPACE: tio.c_cflag |= PARENB | CMSPAR; break;
                default: break;
            }
        },
        settings);
}

D2XX_EXPORT FT_STATUS FT_SetFlowControl(FT_HANDLE handle, uint16_t flowControl, uint8_t xonChar,
                                        uint8_t xoffChar) {
    Port* port = portOf(handle);
    if (!port) return FT_INVALID_HANDLE;
    if (flowControl != FT_FLOW_NONE && flowControl != FT_FLOW_RTS_CTS &&
        flowControl != FT_FLOW_XON_XOFF) {
        return FT_INVALID_PARAMETER;
    }
    const uint8_t settings[3] = {static_cast<uint8_t>(flowControl >> 8), xonChar, xoffChar};
    return updateTermios(
        port,
        [](termios& tio, const void* arg) {
            const auto* s = static_cast<const uint8_t*>(arg);
            tio.c_cflag &= ~CRTSCTS;
            tio.c_iflag &= ~(IXON | IXOFF | IXANY);
            if (s[0] == (FT_FLOW_RTS_CTS >> 8)) tio.c_cflag |= CRTSCTS;
            if (s[0] == (FT_FLOW_XON_XOFF >> 8)) {
                tio.c_iflag |= IXON | IXOFF;
                tio.c_cc[VSTART] = s[1];
                tio.c_cc[VSTOP] = s[2];
            }
        },
        settings);
}

D2XX_EXPORT FT_STATUS FT_SetTimeouts(FT_HANDLE handle, uint32_t readTimeoutMs,
                                     uint32_t writeTimeoutMs) {
    Port* port = portOf(handle);
    if (!port) return FT_INVALID_HANDLE;
    port->readTimeoutMs = readTimeoutMs;
    port->writeTimeoutMs = writeTimeoutMs;
    return FT_OK;
}

D2XX_EXPORT FT_STATUS FT_Purge(FT_HANDLE handle, uint32_t mask) {
    Port* port = portOf(handle);
    if (!port) return FT_INVALID_HANDLE;
    const bool rx = (mask & FT_PURGE_RX) != 0;
    const bool tx = (mask & FT_PURGE_TX) != 0;
    if (!rx && !tx) return FT_OK;
    const int queue = rx && tx ? TCIOFLUSH : rx ? TCIFLUSH : TCOFLUSH;
    return ::tcflush(port->fd, queue) == 0 ? FT_OK : FT_IO_ERROR;
}

D2XX_EXPORT FT_STATUS FT_GetDeviceInfo(FT_HANDLE handle, FT_DEVICE* type, uint32_t* id,
                                       char* serialNumber, char* description, void*) {
    Port* port = portOf(handle);
    if (!port) return FT_INVALID_HANDLE;
    const oltrex::d2xx::SysfsInfo info = oltrex::d2xx::sysfsInfo(port->ttyName);
    if (type) *type = info.usbAdapter ? FT_DEVICE_232R : FT_DEVICE_UNKNOWN;
    if (id) *id = (info.vendor << 16) | (info.product & 0xFFFFu);
    if (serialNumber) {
        std::memset(serialNumber, 0, FT_SERIAL_NUMBER_SIZE);
        std::strncpy(serialNumber, info.serialNumber.c_str(), FT_SERIAL_NUMBER_SIZE - 1);
    }
    if (description) {
        std::memset(description, 0, FT_DESCRIPTION_SIZE);
        std::strncpy(description, port->path.c_str(), FT_DESCRIPTION_SIZE - 1);
    }
    return FT_OK;
}

D2XX_EXPORT FT_STATUS FT_Read(FT_HANDLE handle, void* buffer, uint32_t toRead,
                              uint32_t* bytesRead) {
    Port* port = portOf(handle);
    if (!port || !buffer || !bytesRead) return port ? FT_INVALID_PARAMETER : FT_INVALID_HANDLE;
    *bytesRead = 0;
    auto* out = static_cast<uint8_t*>(buffer);
    const std::int64_t deadline =
        port->readTimeoutMs == 0 ? -1 : nowNs() + std::int64_t{port->readTimeoutMs} * 1000000;
    bool hungUp = false;
    while (*bytesRead < toRead) {
        const ssize_t n = ::read(port->fd, out + *bytesRead, toRead - *bytesRead);
        if (n > 0) {
            *bytesRead += static_cast<uint32_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN) {
            // A line that hung up still takes its time-out, so callers that
            // read in a loop keep their pace instead of spinning.
            if (deadline >= 0) sleepUntil(deadline);
            return *bytesRead > 0 ? FT_OK : FT_IO_ERROR;
        }
        const int revents = waitFor(port->fd, POLLIN, deadline);
        if (revents == 0) break;  // time-out: what arrived so far
        if (revents < 0) return FT_IO_ERROR;
        // After a hang-up poll() reports at once for ever: one more read takes
        // what is left, then the read fails.
        if ((revents & (POLLHUP | POLLERR | POLLNVAL)) != 0 || (revents & POLLIN) == 0) {
            if (hungUp || (revents & POLLIN) == 0) {
                if (deadline >= 0) sleepUntil(deadline);
                return *bytesRead > 0 ? FT_OK : FT_IO_ERROR;
            }
            hungUp = true;
        }
    }
    return FT_OK;
}

D2XX_EXPORT FT_STATUS FT_Write(FT_HANDLE handle, const void* buffer, uint32_t toWrite,
                               uint32_t* bytesWritten) {
    Port* port = portOf(handle);
    if (!port || !buffer || !bytesWritten) return port ? FT_INVALID_PARAMETER : FT_INVALID_HANDLE;
    *bytesWritten = 0;
    const auto* in = static_cast<const uint8_t*>(buffer);
    const std::uint32_t limit = port->writeTimeoutMs == 0 ? kWriteLimitMs : port->writeTimeoutMs;
    const std::int64_t deadline = nowNs() + std::int64_t{limit} * 1000000;
    while (*bytesWritten < toWrite) {
        const ssize_t n = ::write(port->fd, in + *bytesWritten, toWrite - *bytesWritten);
        if (n > 0) {
            *bytesWritten += static_cast<uint32_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN) return FT_IO_ERROR;
        const int revents = waitFor(port->fd, POLLOUT, deadline);
        if (revents == 0) break;  // time-out: the count tells how far it came
        if (revents < 0 || (revents & POLLOUT) == 0) return FT_IO_ERROR;
    }
    return FT_OK;
}
