#pragma once
// Fakes for the KeyFetch core tests: a key library holding files in memory, a
// clock that only moves when asked, a cipher table that never runs, a trace
// recorder and a private temporary folder per test.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "oltrex/conversion/ConversionContext.h"
#include "oltrex/device/KeyLibrary.h"
#include "oltrex/platform/Clock.h"
#include "oltrex/platform/Trace.h"

namespace kftest {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

class TempFolder {
  public:
    TempFolder() {
        std::string pattern = (fs::temp_directory_path() / "keyfetch-test-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
        path_ = pattern;
    }
    ~TempFolder() {
        std::error_code ec;
        fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
        for (auto& e : fs::recursive_directory_iterator(path_, ec))
            if (e.is_directory(ec))
                fs::permissions(e.path(), fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(path_, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const fs::path& path() const { return path_; }
    fs::path operator/(const std::string& name) const { return path_ / name; }

  private:
    fs::path path_;
};

inline Bytes readBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

inline void writeBytes(const fs::path& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
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

// A vehicle-unit block as the key stores it: tag, data, end marker.
inline Bytes block(std::uint16_t tag, const Bytes& data) {
    Bytes out = {static_cast<std::uint8_t>(tag >> 8), static_cast<std::uint8_t>(tag)};
    append(out, data);
    append(out, kEndMarker);
    return out;
}

inline Bytes filler(std::size_t n, int start = 1) {
    Bytes out(n);
    for (std::size_t i = 0; i < n; ++i) out[i] = static_cast<std::uint8_t>((start + 7 * i) % 0x70);
    return out;
}

// Files filled with values below 0x70 never hold a tag or an end marker by chance.
inline Bytes vehicleFile(std::initializer_list<std::uint16_t> tags, std::size_t dataSize = 40) {
    Bytes out;
    int start = 3;
    for (std::uint16_t tag : tags) append(out, block(tag, filler(dataSize, start++)));
    return out;
}

// The transport scrambling of protected keys, written from its rules.
inline Bytes transportScramble(Bytes bytes) {
    std::uint32_t k = 0x5E07C9A2u;
    std::size_t words = bytes.size() / 4;
    for (std::size_t j = 0; j < words; ++j) {
        for (int b = 0; b < 4; ++b) bytes[4 * j + b] ^= static_cast<std::uint8_t>(k >> (8 * b));
        k -= 0x3D91B6E4u;
    }
    for (std::size_t i = 0; i < bytes.size() % 4; ++i)
        bytes[4 * words + i] ^= static_cast<std::uint8_t>(k >> (8 * i));
    return bytes;
}

// ---- The secure form, written from its rules --------------------------------

// Key side: the inverse of the decoding chain (start 0xC3). The decoder takes
// plain bit i from bit kDecode[i] of (c XOR chain).
inline Bytes keyScrambleBody(const Bytes& plain) {
    static const int kDecode[8] = {7, 5, 0, 2, 3, 1, 4, 6};
    std::uint8_t chain = 0xC3;
    Bytes out;
    for (std::uint8_t p : plain) {
        std::uint8_t x = 0;
        for (int i = 0; i < 8; ++i) x |= static_cast<std::uint8_t>(((p >> i) & 1) << kDecode[i]);
        const std::uint8_t c = static_cast<std::uint8_t>(x ^ chain);
        chain = c;
        out.push_back(c);
    }
    return out;
}

// PC side: the encoding chain (start 0x6D); written bit i comes from bit
// kEncode[i] of (p XOR chain).
inline Bytes pcEncode(const Bytes& plain) {
    static const int kEncode[8] = {3, 0, 4, 7, 1, 6, 5, 2};
    std::uint8_t chain = 0x6D;
    Bytes out;
    for (std::uint8_t p : plain) {
        const std::uint8_t x = static_cast<std::uint8_t>(p ^ chain);
        chain = p;
        std::uint8_t w = 0;
        for (int i = 0; i < 8; ++i) w |= static_cast<std::uint8_t>(((x >> kEncode[i]) & 1) << i);
        out.push_back(w);
    }
    return out;
}

// A record of the secure body: 4-byte big-endian length (data + 2), tag, data.
inline Bytes secureRecord(std::uint16_t tag, const Bytes& data) {
    const std::uint32_t n = static_cast<std::uint32_t>(data.size() + 2);
    Bytes out = {static_cast<std::uint8_t>(n >> 24),  static_cast<std::uint8_t>(n >> 16),
                 static_cast<std::uint8_t>(n >> 8),   static_cast<std::uint8_t>(n),
                 static_cast<std::uint8_t>(tag >> 8), static_cast<std::uint8_t>(tag)};
    append(out, data);
    return out;
}

inline Bytes secureFile(const Bytes& plainBody) {
    Bytes out = bytesOf({'H', 'E', 'A', 'D', 0, 0, 0, 0});
    append(out, keyScrambleBody(plainBody));
    return out;
}

// ---- Fakes ------------------------------------------------------------------

class ManualClock final : public oltrex::Clock {
  public:
    std::uint32_t tickMs() override { return tick; }
    void sleepMs(std::uint32_t ms) override { tick += ms; }
    oltrex::LocalTime localTime() override { return {2024, 5, 6, 7, 8, 9, 0}; }
    std::uint32_t tick = 1000;
};

// A key in memory. Every call is logged; files are handed out plain, with
// the transport scrambling for the protected remote name, and in secure mode
// as `secureForms` holds them.
class FakeKey : public oltrex::KeyLibrary {
  public:
    int keyInfo(char* text, int size) override {
        log("keyInfo");
        if (!plugged || failKeyInfo) return -1;
        std::strncpy(text, info.c_str(), static_cast<std::size_t>(size - 1));
        return 0;
    }
    int readDirectory(oltrex::DirectoryBuffers& dir) override {
        log("readDirectory");
        if (!plugged || failDirectory) return -1;
        std::size_t i = 0;
        for (const std::string& e : rawEntries) {
            std::strncpy(dir.pointers[i++], e.c_str(), KL_DIR_ENTRY_SIZE - 1);
        }
        for (const auto& [name, bytes] : files) {
            if (i >= KL_DIR_ENTRIES) break;
            std::snprintf(dir.pointers[i++], KL_DIR_ENTRY_SIZE, "%8d Bytes - \"%s\"",
                          static_cast<int>(bytes.size()), name.c_str());
        }
        return 0;
    }
    int readFile(const std::string& remoteName, const std::string& localPath) override {
        log("readFile " + remoteName);
        if (onRead) onRead(remoteName);
        if (!plugged) return -1;
        std::string name = remoteName;
        bool protectedRead = false;
        if (auto at = name.find('\\'); at != std::string::npos) {
            protectedRead = name.substr(at + 1) == "5E07C9A2";
            name.resize(at);
        }
        if (failRead.count(name) || !files.count(name)) return -2;
        Bytes content = files[name];
        if (secureMode && secureForms.count(name)) content = secureForms[name];
        if (protectedRead) content = transportScramble(content);
        writeBytes(localPath, content);
        return 0;
    }
    int deleteFile(const std::string& name) override {
        log("deleteFile " + name);
        if (onDelete) onDelete(name);
        return files.erase(name) ? 0 : -1;
    }
    int firmwareUpdateMode() override { return -1; }
    int beginSecureMode() override {
        log("beginSecureMode");
        secureMode = true;
        return 0;
    }
    int endSecureMode() override {
        log("endSecureMode");
        secureMode = false;
        return 0;
    }
    int getSerialNumber(char*) override { return -1; }
    int initSwDownload() override { return -1; }

    void log(const std::string& call) {
        std::lock_guard lock(mutex);
        calls.push_back(call);
    }
    std::vector<std::string> callsNamed(const std::string& prefix) {
        std::lock_guard lock(mutex);
        std::vector<std::string> out;
        for (const auto& c : calls)
            if (c.rfind(prefix, 0) == 0) out.push_back(c);
        return out;
    }

    std::string info = " StickID: OX0012345678 FW-0120";
    bool plugged = true;
    bool failKeyInfo = false;
    bool failDirectory = false;
    bool secureMode = false;
    std::map<std::string, Bytes> files;
    std::map<std::string, Bytes> secureForms;
    std::vector<std::string> rawEntries;  // listed before the files
    std::set<std::string> failRead;
    std::function<void(const std::string&)> onRead;
    std::function<void(const std::string&)> onDelete;
    std::mutex mutex;
    std::vector<std::string> calls;
};

// A complete cipher table whose entry points are never expected to run (the
// tests that use it put in their own container maker).
namespace fakecipher {
inline int putRegAdd(int, const void*, int) {
    return -1;
}
inline const void* getReg(int) {
    return nullptr;
}
inline int regGetLen(int) {
    return -1;
}
inline int crypt(int, int, int, int) {
    return -1;
}
inline int regClear(int) {
    return 0;
}
}  // namespace fakecipher

inline const oltrex::CipherEntryPoints& idleCipherTable() {
    static const oltrex::CipherEntryPoints table{fakecipher::putRegAdd, fakecipher::getReg,
                                                 fakecipher::regGetLen, fakecipher::crypt,
                                                 fakecipher::crypt,     fakecipher::regClear};
    return table;
}

// Records the trace lines while it lives.
class TraceRecorder {
  public:
    TraceRecorder() {
        oltrex::setTraceEnabled(true);
        oltrex::setTraceSink([this](std::string_view text) {
            std::lock_guard lock(mutex_);
            lines_.emplace_back(text);
        });
    }
    ~TraceRecorder() {
        oltrex::setTraceSink({});
        oltrex::setTraceEnabled(false);
    }
    std::vector<std::string> lines() const {
        std::lock_guard lock(mutex_);
        return lines_;
    }
    bool contains(const std::string& line) const {
        auto all = lines();
        return std::find(all.begin(), all.end(), line) != all.end();
    }

  private:
    mutable std::mutex mutex_;
    std::vector<std::string> lines_;
};

}  // namespace kftest
