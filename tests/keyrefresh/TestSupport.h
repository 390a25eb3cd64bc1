#pragma once
// Helpers shared by the KeyRefresh tests: a private scratch folder, a clock
// that stands still until told, whole-file text and S-record lines.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

#include "oltrex/platform/Clock.h"
#include "oltrex/platform/Folders.h"

namespace oltrex {
namespace fs = std::filesystem;
}

namespace oltrex::test {

class ScratchFolder {
  public:
    ScratchFolder() {
        std::error_code ec;
        path_ = createPrivateFolder(systemTempFolder(), "oltrex-refresh-test-", ec);
    }
    ~ScratchFolder() {
        std::error_code ec;
        fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(path_, ec);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const fs::path& path() const { return path_; }
    fs::path operator/(const std::string& name) const { return path_ / name; }

  private:
    fs::path path_;
};

class FakeClock final : public Clock {
  public:
    LocalTime now{2024, 3, 5, 14, 7, 9, 42};
    std::uint32_t tickMs() override { return tick_; }
    void sleepMs(std::uint32_t ms) override { tick_ += ms; }
    LocalTime localTime() override { return now; }

  private:
    std::uint32_t tick_ = 0;
};

inline std::string readText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void writeText(const fs::path& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

// One S-record line with a correct byte count and checksum.
inline std::string sRecord(char type, std::uint32_t address, const std::vector<std::uint8_t>& data,
                           const char* lineEnd = "\r\n") {
    const int addressBytes = type == '2' || type == '8' ? 3 : type == '3' || type == '7' ? 4 : 2;
    const unsigned count = static_cast<unsigned>(addressBytes + data.size() + 1);
    unsigned sum = count;
    char hex[3];
    std::string line = std::string("S") + type;
    std::snprintf(hex, sizeof hex, "%02X", count);
    line += hex;
    for (int i = addressBytes - 1; i >= 0; --i) {
        const unsigned byte = (address >> (8 * i)) & 0xFF;
        sum += byte;
        std::snprintf(hex, sizeof hex, "%02X", byte);
        line += hex;
    }
    for (std::uint8_t byte : data) {
        sum += byte;
        std::snprintf(hex, sizeof hex, "%02X", byte);
        line += hex;
    }
    std::snprintf(hex, sizeof hex, "%02X", ~sum & 0xFF);
    return line + hex + lineEnd;
}

inline std::vector<std::uint8_t> bytesFrom(std::uint8_t first, std::size_t count) {
    std::vector<std::uint8_t> bytes(count);
    for (std::size_t i = 0; i < count; ++i) bytes[i] = static_cast<std::uint8_t>(first + i);
    return bytes;
}

}  // namespace oltrex::test
