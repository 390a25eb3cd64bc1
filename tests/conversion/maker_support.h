#pragma once
// Shared pieces of the naming, context and container-maker tests: a fixed
// clock, an in-process cipher table on plain AES with fault injection, folders
// of a run, builders of key files and a reader of the container layout.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "oltrex/conversion/ContainerMaker.h"
#include "oltrex/conversion/ConversionContext.h"
#include "oltrex/conversion/KeySets.h"
#include "support/TestAes.h"
#include "oltrex/conversion/Naming.h"
#include "oltrex/platform/Folders.h"
#include "oltrex/platform/Settings.h"

namespace oltrex::testing {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

class FixedClock final : public Clock {
public:
    explicit FixedClock(LocalTime now = {2024, 5, 6, 7, 8, 9, 123}) : now_(now) {}
    std::uint32_t tickMs() override { return 0; }
    void sleepMs(std::uint32_t) override {}
    LocalTime localTime() override { return now_; }
    void set(LocalTime now) { now_ = now; }

private:
    LocalTime now_;
};

inline bool sameTime(const LocalTime& a, const LocalTime& b) {
    return a.year == b.year && a.month == b.month && a.day == b.day && a.hour == b.hour && a.minute == b.minute &&
           a.second == b.second;
}

// ---- AES-192-CBC, independent of the cipher library ----------------------------------------------

inline std::optional<Bytes> aes192Cbc(bool encrypt, const std::string& key, const std::string& iv,
                                      const std::uint8_t* data, std::size_t size) {
    return testaes::aes192Cbc(encrypt, key, iv, data, size);
}

inline std::optional<Bytes> decryptWith(KeySetId id, const Bytes& data) {
    const KeySet keys = keySet(id);
    return aes192Cbc(false, keys.key, keys.iv, data.data(), data.size());
}

// ---- An in-process cipher table with the library's register semantics ------

struct FakeCipher {
    static inline Bytes registers[HI_REGISTER_COUNT];
    static inline int encryptCalls = 0;
    static inline bool failEncrypt = false;
    static inline bool shortResult = false;  // register 4 shorter than the 16 appended bytes

    static void reset() {
        for (auto& r : registers) r.clear();
        encryptCalls = 0;
        failEncrypt = false;
        shortResult = false;
    }
    static bool valid(int reg) { return reg >= 0 && reg < HI_REGISTER_COUNT; }

    static int put(int reg, const void* data, int length) {
        if (!valid(reg) || length < 0) return -1;
        const auto* p = static_cast<const std::uint8_t*>(data);
        registers[reg].insert(registers[reg].end(), p, p + length);
        return 0;
    }
    static const void* get(int reg) {
        return valid(reg) && !registers[reg].empty() ? registers[reg].data() : nullptr;
    }
    static int length(int reg) { return valid(reg) ? static_cast<int>(registers[reg].size()) : -1; }
    static int encrypt(int d, int k, int v, int o) {
        ++encryptCalls;
        if (failEncrypt) return -1;
        const std::string key(registers[k].begin(), registers[k].end());
        const std::string iv(registers[v].begin(), registers[v].end());
        auto out = aes192Cbc(true, key, iv, registers[d].data(), registers[d].size());
        if (!out) return -1;
        if (shortResult) {
            registers[o] = Bytes(5, 0xAA);
            return 0;
        }
        out->insert(out->end(), iv.begin(), iv.end());
        registers[o] = std::move(*out);
        return 0;
    }
    static int decrypt(int d, int k, int v, int o) {
        const std::string key(registers[k].begin(), registers[k].end());
        const std::string iv(registers[v].begin(), registers[v].end());
        auto out = aes192Cbc(false, key, iv, registers[d].data(), registers[d].size());
        if (!out) return -1;
        registers[o] = std::move(*out);
        return 0;
    }
    static int clear(int reg) {
        if (!valid(reg)) return -1;
        registers[reg].clear();
        return 0;
    }
    static bool allEmpty() {
        for (const auto& r : registers) {
            if (!r.empty()) return false;
        }
        return true;
    }

    static CipherEntryPoints table() {
        CipherEntryPoints t;
        t.putRegAdd = &put;
        t.getReg = &get;
        t.regGetLen = &length;
        t.encryptAesCbc = &encrypt;
        t.decryptAesCbc = &decrypt;
        t.regClear = &clear;
        return t;
    }
};

// ---- Folders of one run ------------------------------------------------------

// A private base folder holding the private work folder and a container folder;
// removed with everything in it at the end of the test.
class RunFolders {
public:
    RunFolders() {
        std::error_code ec;
        base = createPrivateFolder(systemTempFolder(), "oltrex-maker-test-", ec);
        work = createPrivateFolder(base, "work-", ec);
        containers = base / "containers";
        fs::create_directory(containers);
    }
    ~RunFolders() {
        std::error_code ec;
        fs::remove_all(base, ec);
    }
    RunFolders(const RunFolders&) = delete;
    RunFolders& operator=(const RunFolders&) = delete;

    // The container folder as the settings hold it (no trailing separator).
    std::string containerSetting() const { return containers.string(); }

    fs::path base, work, containers;
};

inline void writeFile(const fs::path& path, const Bytes& data) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
}

inline void writeFile(const fs::path& path, const std::string& text) {
    writeFile(path, Bytes(text.begin(), text.end()));
}

inline Bytes readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Names of the files in a folder (not folders), sorted.
inline std::vector<std::string> filesIn(const fs::path& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        if (!it->is_directory()) names.push_back(it->path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

// ---- Builders ----------------------------------------------------------------

inline void putBe16(Bytes& out, std::uint16_t v) {
    out.push_back(static_cast<std::uint8_t>(v >> 8));
    out.push_back(static_cast<std::uint8_t>(v));
}

inline void putBe32(Bytes& out, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(v >> shift));
}

inline void putText(Bytes& out, std::size_t at, const std::string& text) {
    std::memcpy(out.data() + at, text.data(), text.size());
}

// 2022-03-11 14:05:09 UTC
inline constexpr std::uint32_t kVuTime = 0x622B5715;

// Data of a generation-1 overview block with the naming fields set.
inline Bytes overviewGen1(const std::string& registration, std::uint8_t nation = 13, std::uint32_t time = kVuTime,
                          const std::string& vin = "WDB1234567X000001", std::size_t size = 719) {
    Bytes data(size, 0x00);
    if (size >= kOverviewMinimumLength) {
        putText(data, kOverviewVinOffset, vin);
        data[kOverviewNationOffset] = nation;
        data[kOverviewNationOffset + 1] = 0x01;
        // Registration padded with spaces, as a vehicle unit stores it.
        std::fill(data.begin() + kOverviewRegistrationOffset, data.begin() + kOverviewRegistrationOffset + 13, ' ');
        putText(data, kOverviewRegistrationOffset, registration);
        for (int i = 0; i < 4; ++i) data[kOverviewTimeOffset + i] = static_cast<std::uint8_t>(time >> (24 - 8 * i));
    }
    return data;
}

// A block in the key's form: tag, data, end marker.
inline void putBlock(Bytes& out, std::uint16_t tag, const Bytes& data) {
    putBe16(out, tag);
    out.insert(out.end(), data.begin(), data.end());
    out.insert(out.end(), {0x76, 0xFF, 0x76, 0xFF});
}

inline Bytes filler(std::size_t size, std::uint8_t seed) {
    Bytes data(size);
    for (std::size_t i = 0; i < size; ++i) data[i] = static_cast<std::uint8_t>(seed + i * 7);
    return data;
}

// A card record: file identifier, appendix, length, data.
inline void putRecord(Bytes& image, std::uint16_t fid, std::uint8_t appendix, const Bytes& data) {
    putBe16(image, fid);
    image.push_back(appendix);
    putBe16(image, static_cast<std::uint16_t>(data.size()));
    image.insert(image.end(), data.begin(), data.end());
}

// Identification data (0x0520) of a driver or workshop card.
inline Bytes identification(std::uint8_t nation, const std::string& cardNumber, const std::string& surname,
                            const std::string& firstNames, bool workshop = false) {
    Bytes data(workshop ? 211 : 143, 0x00);
    data[0] = nation;
    putText(data, 1, cardNumber);
    const std::size_t at = workshop ? 137 : 65;
    data[at] = 0x01;
    std::fill(data.begin() + at + 1, data.begin() + at + 36, ' ');
    putText(data, at + 1, surname);
    data[at + 36] = 0x01;
    std::fill(data.begin() + at + 37, data.begin() + at + 72, ' ');
    putText(data, at + 37, firstNames);
    return data;
}

// The key's form of a card: 0x7606, the image, 4 closing bytes.
inline Bytes keyCard(const Bytes& image) {
    Bytes file;
    putBe16(file, 0x7606);
    file.insert(file.end(), image.begin(), image.end());
    file.insert(file.end(), {0x76, 0xFF, 0x76, 0xFF});
    return file;
}

// A card file whose image is one whole record that names nothing: filed
// under the short name of its local file.
inline Bytes namelessCard() {
    Bytes image;
    putRecord(image, 0x0502, 0x00, Bytes{1, 2, 3});
    return keyCard(image);
}

// ---- Reading a container back --------------------------------------------

struct OpenedContainer {
    Bytes headerBlock;  // decrypted 228 bytes
    Bytes content;      // after the header record
};

inline std::optional<OpenedContainer> openContainer(const Bytes& file) {
    static const Bytes version{0x00, 0x00, 0x00, 0x04, 0x76, 0x00, 0x00, 0x01};
    if (file.size() < 8 || !std::equal(version.begin(), version.end(), file.begin())) return std::nullopt;
    auto plain = decryptWith(KeySetId::ContainerB, Bytes(file.begin() + 8, file.end()));
    if (!plain || plain->size() < 6) return std::nullopt;
    const std::uint32_t n = (std::uint32_t{(*plain)[0]} << 24) | ((*plain)[1] << 16) | ((*plain)[2] << 8) | (*plain)[3];
    if ((*plain)[4] != 0x76 || (*plain)[5] != 0xFF || n < 2 || 4 + n > plain->size()) return std::nullopt;
    auto header = decryptWith(KeySetId::HeaderA, Bytes(plain->begin() + 6, plain->begin() + 4 + n));
    if (!header) return std::nullopt;
    return OpenedContainer{*header, Bytes(plain->begin() + 4 + n, plain->end())};
}

inline std::uint32_t headerSeconds(const Bytes& header) {
    return (std::uint32_t{header[223]} << 24) | (header[224] << 16) | (header[225] << 8) | header[226];
}

// ---- A context on the fake cipher and memory settings ---------------------

class MakerTest : public ::testing::Test {
protected:
    void SetUp() override {
        FakeCipher::reset();
        fs::create_directory(folders.containers / "EU");  // the container store makes it
        settings.set(kTachographSettingsPath, "ContainerPath", folders.containerSetting());
    }

    std::unique_ptr<ConversionContext> makeContext() {
        ContextOptions options;
        options.settings = &settings;
        options.clock = &clock;
        options.cipherTable = &table;
        options.workFolder = folders.work;
        return std::make_unique<ConversionContext>(options);
    }

    // Writes `file` as the local file `name` in the work folder and runs the maker.
    int run(const std::string& name, const Bytes& file, const std::string& kindName, int mode = 0,
            int firmware = 120) {
        const fs::path local = folders.work / name;
        writeFile(local, file);
        auto context = makeContext();
        context->mode = mode;
        path = local.string();
        const int result = buildContainer(*context, path, kindName, firmware);
        lastFolder = context->folder;
        return result;
    }

    std::string filedName() const { return fs::path(path).filename().string(); }

    RunFolders folders;
    MemorySettings settings;
    FixedClock clock;
    CipherEntryPoints table = FakeCipher::table();
    std::string path;
    std::string lastFolder;
};

}  // namespace oltrex::testing
