#include "SerialPath.h"

#include <dirent.h>
#include <limits.h>
#include <stdlib.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <vector>

namespace oltrex::d2xx {
namespace {

std::string readLine(const std::string& path) {
    std::ifstream in(path);
    std::string line;
    if (in) std::getline(in, line);
    return line;
}

}  // namespace

std::string devicePath(int deviceNumber) {
    if (deviceNumber != 0) return {};
    if (const char* env = std::getenv("OLTREX_FTDI_PORT"); env && *env) return env;
    const std::string folder = "/dev/serial/by-id";
    std::vector<std::string> names;
    if (DIR* dir = ::opendir(folder.c_str())) {
        while (const dirent* entry = ::readdir(dir)) {
            const std::string name = entry->d_name;
            if (name.rfind("usb-FTDI_", 0) == 0) names.push_back(name);
        }
        ::closedir(dir);
    }
    if (names.empty()) return {};
    std::sort(names.begin(), names.end());
    return folder + "/" + names.front();
}

std::string sysfsRoot() {
    if (const char* env = std::getenv("OLTREX_SYSFS_ROOT"); env && *env) return env;
    return "/sys";
}

std::string ttyNameOf(const std::string& path) {
    char resolved[PATH_MAX];
    const std::string real = ::realpath(path.c_str(), resolved) ? resolved : path;
    const auto slash = real.find_last_of('/');
    return slash == std::string::npos ? real : real.substr(slash + 1);
}

SysfsInfo sysfsInfo(const std::string& ttyName) {
    SysfsInfo info;
    // class/tty/ttyUSB0/device is the USB-serial port; two levels up is the
    // USB device with its serial number and IDs.
    const std::string device = sysfsRoot() + "/class/tty/" + ttyName + "/device";
    const std::string usb = device + "/../..";
    const std::string vendor = readLine(usb + "/idVendor");
    if (vendor.empty()) return info;
    info.usbAdapter = true;
    info.vendor = static_cast<unsigned>(std::strtoul(vendor.c_str(), nullptr, 16));
    info.product = static_cast<unsigned>(std::strtoul(readLine(usb + "/idProduct").c_str(), nullptr, 16));
    info.serialNumber = readLine(usb + "/serial");
    return info;
}

bool setSysfsLatencyTimer(const std::string& ttyName, int ms) {
    const std::string path = sysfsRoot() + "/class/tty/" + ttyName + "/device/latency_timer";
    std::fstream out(path, std::ios::in | std::ios::out);  // never creates the file
    if (!out) return false;
    out << ms << '\n';
    return static_cast<bool>(out.flush());
}

}  // namespace oltrex::d2xx
