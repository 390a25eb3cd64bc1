#pragma once
// Helpers for the key library tests: a fresh temporary folder per test,
// $OLTREX_KEY pointing into it, and the PC side's view of the key's forms
// written here independently of the library (descrambling and the decoding
// chain), so that the tests check the library against the download run.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "oltrex/device/keylink.h"
#include "oltrex/platform/Folders.h"
#include "oltrex/platform/PathText.h"
#include "oltrex/platform/Process.h"

namespace keytest {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

class TempFolder {
  public:
    TempFolder() {
        std::error_code ec;
        path_ = oltrex::createPrivateFolder(oltrex::systemTempFolder(), "simkey-test-", ec);
        if (path_.empty()) throw std::runtime_error("no temporary folder: " + ec.message());
    }
    ~TempFolder() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const fs::path& path() const { return path_; }
    fs::path operator/(const std::string& name) const { return path_ / name; }

  private:
    fs::path path_;
};

// A path as the key library takes it: in the system's code page on Windows.
inline std::string libraryPath(const fs::path& path) {
    return oltrex::systemCodePageText(oltrex::utf8Of(path));
}

inline void setEnv(const char* name, const std::string& value) {
    oltrex::setEnvironmentValue(name, value);
}
inline void setEnv(const char* name, const fs::path& path) {
    oltrex::setEnvironmentValue(name, oltrex::utf8Of(path));
}
inline void unsetEnv(const char* name) {
    oltrex::setEnvironmentValue(name, std::nullopt);
}

inline Bytes readBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

inline Bytes bytesOf(std::initializer_list<int> values) {
    Bytes out;
    for (int v : values) out.push_back(static_cast<std::uint8_t>(v));
    return out;
}

inline void append(Bytes& out, const Bytes& more) {
    out.insert(out.end(), more.begin(), more.end());
}

inline const Bytes kEndMarker = {0x76, 0xFF, 0x76, 0xFF};

// A vehicle-unit block of a key file: tag, data, end marker.
inline Bytes block(std::uint16_t tag, const Bytes& data) {
    Bytes out = {static_cast<std::uint8_t>(tag >> 8), static_cast<std::uint8_t>(tag)};
    append(out, data);
    append(out, kEndMarker);
    return out;
}

inline Bytes countingBytes(std::size_t n, int start) {
    Bytes out(n);
    for (std::size_t i = 0; i < n; ++i) out[i] = static_cast<std::uint8_t>(start + 7 * i);
    return out;
}

// The download run's descrambling of a protected file.
inline Bytes descramble(Bytes bytes) {
    std::uint32_t k = 0x5E07C9A2u;
    const std::uint32_t d = 0x3D91B6E4u;
    std::size_t n = bytes.size() / 4;
    for (std::size_t j = 0; j < n; ++j) {
        std::uint32_t word = bytes[4 * j] | bytes[4 * j + 1] << 8 | bytes[4 * j + 2] << 16 |
                             static_cast<std::uint32_t>(bytes[4 * j + 3]) << 24;
        word ^= k;
        for (int b = 0; b < 4; ++b) bytes[4 * j + b] = static_cast<std::uint8_t>(word >> (8 * b));
        k -= d;
    }
    for (std::size_t i = 4 * n; i < bytes.size(); ++i)
        bytes[i] ^= static_cast<std::uint8_t>(k >> (8 * (i - 4 * n)));
    return bytes;
}

// The decoding chain of a secure file's body (everything after the 8-byte header).
inline Bytes decodeSecureBody(const Bytes& file) {
    static constexpr std::array<int, 8> from = {7, 5, 0, 2, 3, 1, 4, 6};
    Bytes out;
    std::uint8_t chain = 0xC3;
    for (std::size_t i = 8; i < file.size(); ++i) {
        std::uint8_t c = file[i];
        std::uint8_t x = c ^ chain;
        chain = c;
        std::uint8_t p = 0;
        for (int bit = 0; bit < 8; ++bit)
            p |= static_cast<std::uint8_t>(((x >> from[bit]) & 1) << bit);
        out.push_back(p);
    }
    return out;
}

// The download program's encoding chain (start 0x6D; written bit i is bit
// kFrom[i] of the byte XORed with the chain, which carries the plain byte).
inline Bytes pcEncode(const Bytes& plain) {
    static constexpr std::array<int, 8> from = {3, 0, 4, 7, 1, 6, 5, 2};
    Bytes out;
    std::uint8_t chain = 0x6D;
    for (std::uint8_t p : plain) {
        const std::uint8_t x = p ^ chain;
        chain = p;
        std::uint8_t w = 0;
        for (int bit = 0; bit < 8; ++bit)
            w |= static_cast<std::uint8_t>(((x >> from[bit]) & 1) << bit);
        out.push_back(w);
    }
    return out;
}

struct Record {
    std::uint16_t tag = 0;
    Bytes data;
    bool operator==(const Record&) const = default;
};

// Splits a plain body into records: 4-byte big-endian N, tag, N - 2 data bytes.
// Bytes that do not form a whole record are left in `rest`.
inline std::vector<Record> splitRecords(const Bytes& body, std::size_t count,
                                        Bytes* rest = nullptr) {
    std::vector<Record> records;
    std::size_t at = 0;
    while (records.size() < count && at + 6 <= body.size()) {
        std::uint32_t n = static_cast<std::uint32_t>(body[at]) << 24 | body[at + 1] << 16 |
                          body[at + 2] << 8 | body[at + 3];
        if (n < 2 || at + 4 + n > body.size()) break;
        Record r;
        r.tag = static_cast<std::uint16_t>(body[at + 4] << 8 | body[at + 5]);
        r.data.assign(body.begin() + static_cast<std::ptrdiff_t>(at + 6),
                      body.begin() + static_cast<std::ptrdiff_t>(at + 4 + n));
        records.push_back(std::move(r));
        at += 4 + n;
    }
    if (rest) rest->assign(body.begin() + static_cast<std::ptrdiff_t>(at), body.end());
    return records;
}

inline Record nameRecord(const std::string& name) {
    return {0x7600, Bytes(name.begin(), name.end())};
}

// The records as the download program's re-encoding writes their data: the
// name record as it is, every further record's data through the encoding chain.
inline std::vector<Record> reencodedRecords(std::vector<Record> records) {
    for (std::size_t i = 1; i < records.size(); ++i) records[i].data = pcEncode(records[i].data);
    return records;
}

// The key library's directory buffers as a caller holds them.
struct Directory {
    std::array<std::array<char, KL_DIR_ENTRY_SIZE>, KL_DIR_ENTRIES> buffers{};
    std::array<char*, KL_DIR_ENTRIES> pointers{};
    Directory() {
        for (std::size_t i = 0; i < buffers.size(); ++i) pointers[i] = buffers[i].data();
    }
    int read() {
        for (auto& b : buffers) b.fill('\0');
        return KL_ReadDirectory(pointers.data());
    }
    std::vector<std::string> entries() const {
        std::vector<std::string> out;
        for (const auto& b : buffers)
            if (b[0] != '\0') out.emplace_back(b.data(), strnlen(b.data(), b.size()));
        return out;
    }
};

inline std::string keyInfo(int size = 128) {
    std::vector<char> buffer(static_cast<std::size_t>(size), '\0');
    if (KL_GetKeyInfo(buffer.data(), size) != 0) return "<failed>";
    return std::string(buffer.data(), strnlen(buffer.data(), buffer.size()));
}

}  // namespace keytest
