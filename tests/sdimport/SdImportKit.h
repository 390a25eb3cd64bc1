#pragma once
// Shared pieces of the SD-card import tests: a fixed clock, a key library
// that records delete calls, card files in the card's secure form, and a
// container store with the real container maker and cipher library.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>
#include <string>
#include <vector>

#include "../drives/FakeDrives.h"
#include "oltrex/device/KeyLibrary.h"
#include "oltrex/keyfetch/ContainerStore.h"
#include "oltrex/platform/Clock.h"
#include "oltrex/platform/Settings.h"
#include "oltrex/sdimport/SdCardImport.h"
#include "oltrex/simkey/KeyForms.h"

namespace sdtest {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

class FixedClock final : public oltrex::Clock {
public:
    std::uint32_t tickMs() override { return tick_.load(); }
    void sleepMs(std::uint32_t ms) override { tick_ += ms; }
    oltrex::LocalTime localTime() override { return {2024, 5, 6, 7, 8, 9, 0}; }

private:
    std::atomic<std::uint32_t> tick_{5000};
};

// A key that holds nothing but records every call to delete a file.
class RecordingKey final : public oltrex::KeyLibrary {
public:
    int keyInfo(char*, int) override { return -1; }
    int readDirectory(oltrex::DirectoryBuffers&) override { return -1; }
    int readFile(const std::string&, const std::string&) override { return -1; }
    int deleteFile(const std::string& name) override {
        std::lock_guard lock(mutex_);
        deleted_.push_back(name);
        return 0;
    }
    int firmwareUpdateMode() override { return -1; }
    int beginSecureMode() override { return 0; }
    int endSecureMode() override { return 0; }
    int getSerialNumber(char*) override { return -1; }
    int initSwDownload() override { return -1; }
    std::vector<std::string> deleted() const {
        std::lock_guard lock(mutex_);
        return deleted_;
    }

private:
    mutable std::mutex mutex_;
    std::vector<std::string> deleted_;
};

inline void append(Bytes& out, const Bytes& more) { out.insert(out.end(), more.begin(), more.end()); }

// Data bytes below 0x70 never form a tag or an end marker by chance.
inline Bytes filler(std::size_t n, int start) {
    Bytes out(n);
    for (std::size_t i = 0; i < n; ++i) out[i] = static_cast<std::uint8_t>((start + 7 * i) % 0x70);
    return out;
}

// A vehicle-unit file as the key stores it: tag, data, end marker per block.
inline Bytes vehicleUnitFile(std::initializer_list<std::uint16_t> tags, int seed = 1) {
    Bytes out;
    for (std::uint16_t tag : tags) {
        out.push_back(static_cast<std::uint8_t>(tag >> 8));
        out.push_back(static_cast<std::uint8_t>(tag));
        append(out, filler(440, seed++));
        append(out, {0x76, 0xFF, 0x76, 0xFF});
    }
    return out;
}

// A card record: file identifier, appendix, big-endian length, data.
inline void appendCardRecord(Bytes& image, std::uint16_t fileId, std::uint8_t appendix, const Bytes& data) {
    append(image, {static_cast<std::uint8_t>(fileId >> 8), static_cast<std::uint8_t>(fileId), appendix,
                   static_cast<std::uint8_t>(data.size() >> 8), static_cast<std::uint8_t>(data.size())});
    append(image, data);
}

// A driver card as the key stores it: 0x76 0x06, the card image, 4 closing bytes.
inline Bytes cardKeyFile(int seed = 1) {
    Bytes image;
    appendCardRecord(image, 0x0002, 0x00, filler(25, seed));
    appendCardRecord(image, 0x0005, 0x00, filler(8, seed + 1));
    Bytes application = filler(10, seed + 2);
    application[0] = 0x01;  // driver card
    appendCardRecord(image, 0x0501, 0x00, application);
    appendCardRecord(image, 0x0520, 0x00, filler(143, seed + 3));
    Bytes file = {0x76, 0x06};
    append(file, image);
    append(file, {0x76, 0xFF, 0x76, 0xFF});
    return file;
}

// The file an Oltrex-Funke leaves on its card for a key-form file.
inline Bytes cardSecureForm(const std::string& name, const Bytes& keyForm) {
    std::string error;
    auto secure = oltrex::simkey::secureForm(name, keyForm, &error);
    EXPECT_TRUE(secure.has_value()) << error;
    return secure.value_or(Bytes{});
}

inline void writeBytes(const fs::path& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline Bytes readBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

inline std::vector<std::string> filesIn(const fs::path& folder, const std::string& extension = {}) {
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        if (it->is_regular_file() && (extension.empty() || it->path().extension() == extension))
            names.push_back(it->path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

inline std::string cipherLibraryPath() {
    const char* bin = std::getenv("OLTREX_BIN");
    return std::string(bin ? bin : ".") + "/libhime.so";
}

// A machine with a fake mount table, a work folder and a container folder,
// and a container store that files with the real container maker.
class ImportBench {
public:
    ImportBench() {
        work = drives.root() / "work";
        containers = drives.root() / "containers";
        fs::create_directories(work);
        fs::create_directories(containers);
        fs::permissions(work, fs::perms::owner_all, fs::perm_options::replace);
        settings.set(oltrex::kTachographSettingsPath, "ContainerPath", containers.string() + "/");
        oltrex::ContextOptions options;
        options.settings = &settings;
        options.clock = &clock;
        options.cipherLibrary = cipherLibraryPath();
        options.workFolder = work;
        store = std::make_unique<oltrex::ContainerStore>(key, options, clock);
    }

    oltrex::SdCardImport import() { return oltrex::SdCardImport(*store, clock, drives.sources(), work); }

    // A removable card mounted under mnt/<name>; returns its root folder.
    fs::path card(const std::string& name, const std::string& disk) {
        drives.addDisk(disk, true, {disk + "1"});
        return drives.mount("/dev/" + disk + "1", name, "vfat");
    }

    oltrex::testing::FakeDrives drives;
    fs::path work;
    fs::path containers;
    oltrex::MemorySettings settings;
    FixedClock clock;
    RecordingKey key;
    std::unique_ptr<oltrex::ContainerStore> store;
};

// A chooser that answers as told and remembers that it was asked.
class ScriptedChooser final : public oltrex::DriveChooser {
public:
    bool chooseDrive(std::string& rootText) override {
        ++asked;
        rootText = answer;
        return ok;
    }
    bool ok = true;
    std::string answer;
    int asked = 0;
};

}  // namespace sdtest
