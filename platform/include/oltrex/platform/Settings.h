#pragma once
// Read-only machine settings. On Windows these live in the registry under the
// local-machine root (RegistrySettings); on Linux an INI file stands in (one
// section per key path, written with backslashes, e.g. [Software\OLTREX\OLTREX-KEY]).
#include <filesystem>
#include <map>
#include <string>
#include <string_view>

namespace oltrex {

enum class SettingStatus { Ok, NoFile, NoSection, NoValue };

struct SettingResult {
    SettingStatus status = SettingStatus::NoFile;
    std::string value;  // at most kMaxSettingValue bytes
    bool found() const { return status == SettingStatus::Ok; }
    // The key path itself could be opened (file and section exist).
    bool keyOpened() const { return status == SettingStatus::Ok || status == SettingStatus::NoValue; }
};

// The programs read values into 260-byte buffers: at most 259 characters and the NUL.
inline constexpr std::size_t kMaxSettingValue = 259;

class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    virtual SettingResult read(std::string_view keyPath, std::string_view name) const = 0;
};

// INI file stand-in for the registry. The file is read at every call, as a
// registry read would see the current value.
class IniSettings final : public SettingsStore {
public:
    explicit IniSettings(std::filesystem::path file) : file_(std::move(file)) {}
#ifndef _WIN32
    // $OLTREX_REGISTRY, else /etc/oltrex/registry.ini
    static std::filesystem::path defaultPath();
#endif
    SettingResult read(std::string_view keyPath, std::string_view name) const override;
    const std::filesystem::path& path() const { return file_; }

private:
    std::filesystem::path file_;
};

#ifdef _WIN32
// The registry: values under HKEY_LOCAL_MACHINE, opened read-only in the
// 32-bit view (KEY_WOW64_32KEY), where the vendor's 32-bit installer puts
// them. Texts are read as UTF-16 and handed on as UTF-8.
class RegistrySettings final : public SettingsStore {
public:
    SettingResult read(std::string_view keyPath, std::string_view name) const override;
};
#endif

// In-memory settings for tests: key path -> (name -> value).
class MemorySettings final : public SettingsStore {
public:
    void set(const std::string& keyPath, const std::string& name, const std::string& value) {
        keys_[keyPath][name] = value;
    }
    void addKey(const std::string& keyPath) { keys_[keyPath]; }
    SettingResult read(std::string_view keyPath, std::string_view name) const override;

private:
    std::map<std::string, std::map<std::string, std::string>, std::less<>> keys_;
};

// The store the programs use: the registry on Windows, else the INI file at its default path.
const SettingsStore& machineSettings();

}  // namespace oltrex
