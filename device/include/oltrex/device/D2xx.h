#ifndef OLTREX_DEVICE_D2XX_H
#define OLTREX_DEVICE_D2XX_H
/*
 * The D2XX operations of the USB-serial bridge that the flashers use, with
 * FTDI's names, values and argument order. On Windows they come from FTDI's
 * FTD2XX.dll, bound by ordinal (device/win32/FTD2XX.def) in its WINAPI
 * calling convention; on Linux from libftd2xx.so, the POSIX stand-in on
 * termios. Every call returns FT_OK (0) on success.
 */
#include <stdint.h>

#ifdef _WIN32
#define FT_API __stdcall
#else
#define FT_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

typedef void* FT_HANDLE;
typedef uint32_t FT_STATUS;
typedef uint32_t FT_DEVICE;

enum {
    FT_OK = 0,
    FT_INVALID_HANDLE = 1,
    FT_DEVICE_NOT_FOUND = 2,
    FT_DEVICE_NOT_OPENED = 3,
    FT_IO_ERROR = 4,
    FT_INSUFFICIENT_RESOURCES = 5,
    FT_INVALID_PARAMETER = 6,
    FT_INVALID_BAUD_RATE = 7,
    FT_OTHER_ERROR = 18
};

#define FT_BITS_8 8
#define FT_BITS_7 7
#define FT_STOP_BITS_1 0
#define FT_STOP_BITS_2 2
#define FT_PARITY_NONE 0
#define FT_PARITY_ODD 1
#define FT_PARITY_EVEN 2
#define FT_PARITY_MARK 3
#define FT_PARITY_SPACE 4
#define FT_FLOW_NONE 0x0000
#define FT_FLOW_RTS_CTS 0x0100
#define FT_FLOW_DTR_DSR 0x0200
#define FT_FLOW_XON_XOFF 0x0400
#define FT_PURGE_RX 1
#define FT_PURGE_TX 2

#define FT_DEVICE_BM 0
#define FT_DEVICE_AM 1
#define FT_DEVICE_100AX 2
#define FT_DEVICE_UNKNOWN 3
#define FT_DEVICE_2232C 4
#define FT_DEVICE_232R 5

/* Serial-number and description buffers of FT_GetDeviceInfo. */
#define FT_SERIAL_NUMBER_SIZE 16
#define FT_DESCRIPTION_SIZE 64

/* Ordinal 1: opens device `deviceNumber` (0 = the first device). */
FT_STATUS FT_API FT_Open(int deviceNumber, FT_HANDLE* handle);
/* Ordinal 2 */
FT_STATUS FT_API FT_Close(FT_HANDLE handle);
/* Ordinal 3: waits until `toRead` bytes arrived or the read time-out passed;
 * FT_OK with fewer bytes (possibly none) on time-out. */
FT_STATUS FT_API FT_Read(FT_HANDLE handle, void* buffer, uint32_t toRead, uint32_t* bytesRead);
/* Ordinal 4 */
FT_STATUS FT_API FT_Write(FT_HANDLE handle, const void* buffer, uint32_t toWrite, uint32_t* bytesWritten);
/* Ordinal 6 */
FT_STATUS FT_API FT_ResetDevice(FT_HANDLE handle);
/* Ordinal 7 */
FT_STATUS FT_API FT_SetBaudRate(FT_HANDLE handle, uint32_t baudRate);
/* Ordinal 8 */
FT_STATUS FT_API FT_SetDataCharacteristics(FT_HANDLE handle, uint8_t wordLength, uint8_t stopBits,
                                    uint8_t parity);
/* Ordinal 9 */
FT_STATUS FT_API FT_SetFlowControl(FT_HANDLE handle, uint16_t flowControl, uint8_t xonChar,
                            uint8_t xoffChar);
/* Ordinal 16 */
FT_STATUS FT_API FT_Purge(FT_HANDLE handle, uint32_t mask);
/* Ordinal 17: time-outs in milliseconds; 0 means no time-out. */
FT_STATUS FT_API FT_SetTimeouts(FT_HANDLE handle, uint32_t readTimeoutMs, uint32_t writeTimeoutMs);
/* Ordinal 61: type, ID (vendor << 16 | product), serial number
 * (FT_SERIAL_NUMBER_SIZE bytes) and description (FT_DESCRIPTION_SIZE bytes). */
FT_STATUS FT_API FT_GetDeviceInfo(FT_HANDLE handle, FT_DEVICE* type, uint32_t* id, char* serialNumber,
                           char* description, void* reserved);

#ifdef __cplusplus
}
#endif
#endif
