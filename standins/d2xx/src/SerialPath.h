#pragma once
// Where device 0 lives and what sysfs tells about it.
#include <string>

namespace oltrex::d2xx {

// $OLTREX_FTDI_PORT when set, else the first (by name) entry
// /dev/serial/by-id/usb-FTDI_*; empty when there is none.
std::string devicePath(int deviceNumber);

// sysfs facts of a real USB-serial adapter; empty for a pseudo-terminal.
struct SysfsInfo {
    std::string serialNumber;
    unsigned vendor = 0;
    unsigned product = 0;
    bool usbAdapter = false;
};
// $OLTREX_SYSFS_ROOT (tests), else /sys.
std::string sysfsRoot();
SysfsInfo sysfsInfo(const std::string& ttyName);
// The adapter's receive latency timer to 1 ms through sysfs, where writable.
bool setSysfsLatencyTimer(const std::string& ttyName, int ms);
// The kernel name of the tty behind a path (ttyUSB0 for /dev/serial/by-id/...).
std::string ttyNameOf(const std::string& path);

}  // namespace oltrex::d2xx
