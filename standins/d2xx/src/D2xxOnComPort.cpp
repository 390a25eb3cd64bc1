// FTD2XX.dll for the tests: the D2XX operations on a Win32 COM port. Device 0
// is the port named by $OLTREX_FTDI_PORT (e.g. "COM5"). Reads wait inside
// ReadFile for the read time-out the caller set (COMMTIMEOUTS), so a 1 ms
// read time-out costs one sleeping call and never a spinning loop.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>
#include <string>

#include "oltrex/device/D2xx.h"

namespace {

// Without a write time-out a write still gives up after this long, so a
// stalled line cannot hang the flasher for ever.
constexpr DWORD kWriteLimitMs = 5000;

struct Port {
    HANDLE handle = INVALID_HANDLE_VALUE;
    HANDLE claim = nullptr;  // held while the port is open, see claimPort()
    std::string name;        // "COM5", in the ANSI code page
    DWORD readTimeoutMs = 0;
};

Port* portOf(FT_HANDLE handle) {
    return static_cast<Port*>(handle);
}

std::wstring configuredPort() {
    const wchar_t* value = _wgetenv(L"OLTREX_FTDI_PORT");
    return value ? value : L"";
}

std::string ansiText(const std::wstring& text) {
    const int size = WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1) return {};
    std::string out(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, out.data(), size, nullptr, nullptr);
    out.resize(static_cast<std::size_t>(size - 1));
    return out;
}

// One user of a port at a time, as with the vendor's driver: a named object
// per port marks it taken, also where the system itself would let a second
// handle open the port (Wine on a pseudo-terminal). nullptr when taken.
HANDLE claimPort(const std::wstring& name) {
    std::wstring object = L"Local\\oltrex-ftd2xx-" + name;
    std::replace(object.begin() + 6, object.end(), L'\\', L'_');  // no "\\" after the namespace
    HANDLE claim = CreateMutexW(nullptr, FALSE, object.c_str());
    if (claim && GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(claim);
        return nullptr;
    }
    return claim;
}

void release(Port* port) {
    CloseHandle(port->handle);
    if (port->claim) CloseHandle(port->claim);
    delete port;
}

// Read time-out 0 waits for every byte asked for, as D2XX does; writes always
// have a limit.
bool applyTimeouts(const Port& port, DWORD readMs, DWORD writeMs) {
    COMMTIMEOUTS timeouts{};
    timeouts.ReadTotalTimeoutConstant = readMs;
    timeouts.WriteTotalTimeoutConstant = writeMs == 0 ? kWriteLimitMs : writeMs;
    return SetCommTimeouts(port.handle, &timeouts) != 0;
}

// Reads the port's settings, lets `change` alter them and writes them back.
template <class Change>
FT_STATUS changeState(Port* port, Change change, FT_STATUS refused = FT_IO_ERROR) {
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!GetCommState(port->handle, &dcb)) return FT_IO_ERROR;
    change(dcb);
    if (!SetCommState(port->handle, &dcb)) return refused;
    return FT_OK;
}

}  // namespace

extern "C" {

FT_STATUS FT_API FT_Open(int deviceNumber, FT_HANDLE* handle) {
    if (!handle) return FT_INVALID_PARAMETER;
    *handle = nullptr;
    const std::wstring name = configuredPort();
    if (deviceNumber != 0 || name.empty()) return FT_DEVICE_NOT_FOUND;
    const std::wstring device = name.rfind(L"\\\\", 0) == 0 ? name : L"\\\\.\\" + name;
    const HANDLE file = CreateFileW(device.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND
                   ? FT_DEVICE_NOT_FOUND
                   : FT_DEVICE_NOT_OPENED;
    }
    Port* port = new (std::nothrow) Port;
    if (!port) {
        CloseHandle(file);
        return FT_INSUFFICIENT_RESOURCES;
    }
    port->handle = file;
    port->name = ansiText(name);
    port->claim = claimPort(name);
    DCB probe{};
    probe.DCBlength = sizeof probe;
    if (!port->claim || !GetCommState(file, &probe) || !applyTimeouts(*port, 0, 0)) {
        release(port);  // taken, or not a serial port
        return FT_DEVICE_NOT_OPENED;
    }
    *handle = port;
    return FT_OK;
}

FT_STATUS FT_API FT_Close(FT_HANDLE handle) {
    Port* port = portOf(handle);
    if (!port) return FT_INVALID_HANDLE;
    release(port);
    return FT_OK;
}

FT_STATUS FT_API FT_ResetDevice(FT_HANDLE handle) {
    Port* port = portOf(handle);
    if (!port) return FT_INVALID_HANDLE;
    // A raw 8-bit line: nothing replaced, dropped or stopped on errors.
    const FT_STATUS status = changeState(port, [](DCB& dcb) {
        dcb.fBinary = TRUE;
        dcb.fErrorChar = FALSE;
        dcb.fNull = FALSE;
        dcb.fAbortOnError = FALSE;
        dcb.fDsrSensitivity = FALSE;
    });
    if (status != FT_OK) return status;
    DWORD errors = 0;
    ClearCommError(port->handle, &errors, nullptr);
    return PurgeComm(port->handle, PURGE_RXCLEAR | PURGE_TXCLEAR) ? FT_OK : FT_IO_ERROR;
}

FT_STATUS FT_API FT_SetBaudRate(FT_HANDLE handle, uint32_t baudRate) {
    Port* port = portOf(handle);
    if (!port) return FT_INVALID_HANDLE;
    if (baudRate == 0) return FT_INVALID_BAUD_RATE;
    return changeState(
        port, [baudRate](DCB& dcb) { dcb.BaudRate = baudRate; }, FT_INVALID_BAUD_RATE);
}

FT_STATUS FT_API FT_SetDataCharacteristics(FT_HANDLE handle, uint8_t wordLength, uint8_t stopBits,
                                           uint8_t parity) {
    Port* port = portOf(handle);
    if (!port) return FT_INVALID_HANDLE;
    if ((wordLength != FT_BITS_7 && wordLength != FT_BITS_8) ||
        (stopBits != FT_STOP_BITS_1 && stopBits != FT_STOP_BITS_2) || parity > FT_PARITY_SPACE) {
        return FT_INVALID_PARAMETER;
    }
    // D2XX's stop-bit and parity codes are the DCB's own (ONESTOPBIT,
    // TWOSTOPBITS; NOPARITY to SPACEPARITY).
    return changeState(port, [&](DCB& dcb) {
        dcb.ByteSize = wordLength;
        dcb.StopBits = stopBits;
        dcb.Parity = parity;
        dcb.fParity = parity != FT_PARITY_NONE;
    });
}

FT_STATUS FT_API FT_SetFlowControl(FT_HANDLE handle, uint16_t flowControl, uint8_t xonChar,
                                   uint8_t xoffChar) {
    Port* port = portOf(handle);
    if (!port) return FT_INVALID_HANDLE;
    if (flowControl != FT_FLOW_NONE && flowControl != FT_FLOW_RTS_CTS &&
        flowControl != FT_FLOW_DTR_DSR && flowControl != FT_FLOW_XON_XOFF) {
        return FT_INVALID_PARAMETER;
    }
    return changeState(port, [&](DCB& dcb) {
        const bool rtsCts = flowControl == FT_FLOW_RTS_CTS;
        const bool dtrDsr = flowControl == FT_FLOW_DTR_DSR;
        const bool xonXoff = flowControl == FT_FLOW_XON_XOFF;
        dcb.fOutxCtsFlow = rtsCts;
        dcb.fRtsControl = rtsCts ? RTS_CONTROL_HANDSHAKE : RTS_CONTROL_ENABLE;
        dcb.fOutxDsrFlow = dtrDsr;
        dcb.fDtrControl = dtrDsr ? DTR_CONTROL_HANDSHAKE : DTR_CONTROL_ENABLE;
        dcb.fOutX = xonXoff;
        dcb.fInX = xonXoff;
        if (xonXoff) {
            dcb.XonChar = static_cast<char>(xonChar);
            dcb.XoffChar = static_cast<char>(xoffChar);
        }
    });
}

FT_STATUS FT_API FT_SetTimeouts(FT_HANDLE handle, uint32_t readTimeoutMs, uint32_t writeTimeoutMs) {
    Port* port = portOf(handle);
    if (!port) return FT_INVALID_HANDLE;
    if (!applyTimeouts(*port, readTimeoutMs, writeTimeoutMs)) return FT_IO_ERROR;
    port->readTimeoutMs = readTimeoutMs;
    return FT_OK;
}

FT_STATUS FT_API FT_Purge(FT_HANDLE handle, uint32_t mask) {
    Port* port = portOf(handle);
    if (!port) return FT_INVALID_HANDLE;
    DWORD flags = 0;
    if (mask & FT_PURGE_RX) flags |= PURGE_RXCLEAR;
    if (mask & FT_PURGE_TX) flags |= PURGE_TXCLEAR;
    if (flags == 0) return FT_OK;
    return PurgeComm(port->handle, flags) ? FT_OK : FT_IO_ERROR;
}

// A COM port knows nothing of USB: the type is unknown, ID and serial number
// are empty, and the description is the port's name.
FT_STATUS FT_API FT_GetDeviceInfo(FT_HANDLE handle, FT_DEVICE* type, uint32_t* id,
                                  char* serialNumber, char* description, void*) {
    Port* port = portOf(handle);
    if (!port) return FT_INVALID_HANDLE;
    if (type) *type = FT_DEVICE_UNKNOWN;
    if (id) *id = 0;
    if (serialNumber) std::memset(serialNumber, 0, FT_SERIAL_NUMBER_SIZE);
    if (description) {
        std::memset(description, 0, FT_DESCRIPTION_SIZE);
        std::strncpy(description, port->name.c_str(), FT_DESCRIPTION_SIZE - 1);
    }
    return FT_OK;
}

FT_STATUS FT_API FT_Read(FT_HANDLE handle, void* buffer, uint32_t toRead, uint32_t* bytesRead) {
    Port* port = portOf(handle);
    if (!port || !buffer || !bytesRead) return port ? FT_INVALID_PARAMETER : FT_INVALID_HANDLE;
    *bytesRead = 0;
    DWORD got = 0;
    if (!ReadFile(port->handle, buffer, toRead, &got, nullptr)) {
        // A line that went away fails at once; it still takes its time-out,
        // so callers that read in a loop keep their pace instead of spinning.
        if (port->readTimeoutMs > 0) Sleep(port->readTimeoutMs);
        return FT_IO_ERROR;
    }
    *bytesRead = got;  // fewer than asked for after the time-out
    // A line that went away may just read nothing (Wine on a pseudo-terminal
    // whose far end closed); the port's error state tells.
    DWORD errors = 0;
    if (got == 0 && toRead > 0 && !ClearCommError(port->handle, &errors, nullptr))
        return FT_IO_ERROR;
    return FT_OK;
}

FT_STATUS FT_API FT_Write(FT_HANDLE handle, const void* buffer, uint32_t toWrite,
                          uint32_t* bytesWritten) {
    Port* port = portOf(handle);
    if (!port || !buffer || !bytesWritten) return port ? FT_INVALID_PARAMETER : FT_INVALID_HANDLE;
    *bytesWritten = 0;
    DWORD written = 0;
    const BOOL ok = WriteFile(port->handle, buffer, toWrite, &written, nullptr);
    *bytesWritten = written;  // the count tells how far a timed-out write came
    return ok || written > 0 ? FT_OK : FT_IO_ERROR;
}

}  // extern "C"
