#pragma once
// A simulated key is a folder: key.ini (identity, firmware, boot-loader state,
// optional faults) and files/ (each file as the key stores it). This is the
// reading and writing side shared by libkeylink.so, the key tool, the test-data
// builder and the boot-loader simulator. See docs/simulated-key.md.
//
// Every writer replaces files safely (new file, fsync, rename, fsync folder)
// and returns false with a readable reason in *error when it cannot.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace oltrex::simkey {

using Bytes = std::vector<std::uint8_t>;

struct KeyIdentity {
    std::string series = "OX";          // two letters
    std::string number = "0012345678";  // ten digits
    std::string firmware = "0120";      // four digits
};

struct KeyFaults {
    std::vector<std::string> failRead;  // reads of these file names fail
    bool failKeyInfo = false;           // the key information call fails
    std::uint32_t readDelayMs = 0;      // delay of every file read
};

// Everything key.ini holds.
struct KeyIni {
    KeyIdentity identity;
    bool bootloader = false;  // the key runs its boot loader: key information fails
    KeyFaults faults;
};

struct KeyFileInfo {
    std::string name;
    std::uint64_t size = 0;
};

// The longest file name a key holds: a directory entry ("%8d Bytes - " and the
// quoted name) must fit a 100-byte buffer with its NUL.
inline constexpr std::size_t kMaxKeyFileName = 80;

// Paths inside a key folder.
std::filesystem::path keyIniPath(const std::filesystem::path& folder);
std::filesystem::path keyFilesPath(const std::filesystem::path& folder);
std::filesystem::path keyFilePath(const std::filesystem::path& folder, std::string_view name);

// The key counts as plugged while its folder holds key.ini.
bool isKeyPlugged(const std::filesystem::path& folder);

// Two letters, ten digits, four digits.
bool isValidIdentity(const KeyIdentity& identity, std::string* error = nullptr);

// A name the key can hold: not empty, at most kMaxKeyFileName bytes, no "/",
// "\\", ":" or NUL, no control characters, not starting with "." (so "." and
// ".." are excluded, and the writers' temporary files never look like key
// files). ":" would name a drive or a file's stream on Windows.
bool isPlainFileName(std::string_view name);

// Creates a new key: the folder (and parents), files/ and key.ini with the
// identity, bootloader=0 and no faults. Refuses a folder that already holds
// key.ini, so an existing key is never overwritten.
bool createKey(const std::filesystem::path& folder, const KeyIdentity& identity,
               std::string* error = nullptr);

// Reads and checks key.ini. Missing values: bootloader=0, no faults. A missing
// or invalid identity is an error.
std::optional<KeyIni> readKeyIni(const std::filesystem::path& folder, std::string* error = nullptr);

// Rewrites key.ini as a whole from `ini` (other lines are not kept).
bool writeKeyIni(const std::filesystem::path& folder, const KeyIni& ini,
                 std::string* error = nullptr);

// Single-value updates of key.ini; every other line of the file is kept.
bool setKeyIniValue(const std::filesystem::path& folder, std::string_view section,
                    std::string_view name, std::string_view value, std::string* error = nullptr);
bool setFirmware(const std::filesystem::path& folder, std::string_view fourDigits,
                 std::string* error = nullptr);
bool setBootloader(const std::filesystem::path& folder, bool on, std::string* error = nullptr);
// Writes the whole [faults] section (fail_read, fail_keyinfo, read_delay_ms).
bool setFaults(const std::filesystem::path& folder, const KeyFaults& faults,
               std::string* error = nullptr);

// Stores `bytes` as files/<name> (replacing a file of that name). The bytes
// are the key's own form of the file (blocks with end markers, or a card
// image between 0x76 0x06 and its 4 closing bytes).
bool writeKeyFile(const std::filesystem::path& folder, std::string_view name, const Bytes& bytes,
                  std::string* error = nullptr);
std::optional<Bytes> readKeyFile(const std::filesystem::path& folder, std::string_view name,
                                 std::string* error = nullptr);
// Removes files/<name>; false when it does not exist.
bool deleteKeyFile(const std::filesystem::path& folder, std::string_view name,
                   std::string* error = nullptr);

// The key's files (regular files with plain names), sorted by name.
std::vector<KeyFileInfo> listKeyFiles(const std::filesystem::path& folder);

}  // namespace oltrex::simkey
