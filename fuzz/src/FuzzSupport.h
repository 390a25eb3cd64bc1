#pragma once
// Pieces shared by the fuzz targets: a private scratch folder per process
// (on /dev/shm where it can be written, so that the many small files and
// syncs of the file-based parsers cost little), a fixed clock, memory
// settings, and a check that ends the run with a message when a property of
// the code under test does not hold.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

#include "oltrex/platform/Clock.h"
#include "oltrex/platform/Folders.h"

namespace oltrex {
// The same alias as the platform's file helpers.
using Bytes = std::vector<std::uint8_t>;
}  // namespace oltrex

namespace oltrex::fuzz {

namespace fs = std::filesystem;

// A finding: the property `what` does not hold. Aborts, so that libFuzzer
// keeps the input as a crash.
[[noreturn]] inline void fail(const char* target, const std::string& what) {
    std::fprintf(stderr, "%s: property violated: %s\n", target, what.c_str());
    std::abort();
}

#define OLTREX_FUZZ_CHECK(cond, text)                     \
    do {                                                  \
        if (!(cond)) ::oltrex::fuzz::fail(kTarget, text); \
    } while (0)

// A clock that stands still: names and header times do not vary between runs
// of the same input.
class FixedClock final : public Clock {
  public:
    std::uint32_t tickMs() override { return now; }
    void sleepMs(std::uint32_t ms) override { now += ms; }
    LocalTime localTime() override { return {2024, 5, 6, 7, 8, 9, 0}; }
    std::uint32_t now = 1000;
};

// The process's private scratch folder, removed when the process ends.
class ScratchFolder {
  public:
    static ScratchFolder& instance() {
        static ScratchFolder folder;
        return folder;
    }
    const fs::path& path() const { return path_; }

    // A fresh sub-folder (emptied when it exists).
    fs::path fresh(const std::string& name) const {
        const fs::path p = path_ / name;
        std::error_code ec;
        fs::remove_all(p, ec);
        fs::create_directories(p, ec);
        fs::permissions(p, fs::perms::owner_all, fs::perm_options::replace, ec);
        return p;
    }

    ~ScratchFolder() {
        std::error_code ec;
        if (!path_.empty()) fs::remove_all(path_, ec);
    }

  private:
    ScratchFolder() {
        std::error_code ec;
        fs::path parent = "/dev/shm";
        if (const char* chosen = std::getenv("OLTREX_FUZZ_TMP");
            chosen != nullptr && *chosen != '\0')
            parent = chosen;
        path_ = createPrivateFolder(parent, "oltrex-fuzz-", ec);
        if (path_.empty()) path_ = createPrivateFolder(systemTempFolder(), "oltrex-fuzz-", ec);
        if (path_.empty()) {
            std::fprintf(stderr, "fuzz: no scratch folder: %s\n", ec.message().c_str());
            std::abort();
        }
    }
    fs::path path_;
};

// Reads a fuzz input from the front: single bytes, texts and byte runs with
// a length in front, and the rest. Past the end it gives zeros and empty
// runs, so every input is a valid one. The seed generator writes the same
// layout (fuzz/seeds).
class FrontReader {
  public:
    FrontReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    std::uint8_t u8() { return at_ < size_ ? data_[at_++] : 0; }
    std::uint16_t u16() {
        const std::uint16_t high = u8();
        return static_cast<std::uint16_t>(high << 8 | u8());
    }
    // One of `count` choices.
    std::size_t choice(std::size_t count) { return count == 0 ? 0 : u8() % count; }
    // A run of up to 255 bytes (1-byte length in front).
    std::string text() {
        const std::size_t n = take(u8());
        return std::string(reinterpret_cast<const char*>(data_ + at_ - n), n);
    }
    // A run of up to 65535 bytes (2-byte big-endian length in front).
    Bytes bytes() {
        const std::size_t n = take(u16());
        return Bytes(data_ + at_ - n, data_ + at_);
    }
    Bytes rest() {
        const Bytes out(data_ + at_, data_ + size_);
        at_ = size_;
        return out;
    }
    bool empty() const { return at_ >= size_; }

  private:
    // Advances over up to n bytes; returns how many there were.
    std::size_t take(std::size_t n) {
        n = std::min(n, size_ - at_);
        at_ += n;
        return n;
    }
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

inline void writeBytes(const fs::path& path, const std::uint8_t* data, std::size_t size) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

inline Bytes readBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

}  // namespace oltrex::fuzz
