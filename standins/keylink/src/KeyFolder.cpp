#include "oltrex/simkey/KeyFolder.h"

#include <algorithm>
#include <cctype>
#include <random>
#include <system_error>

#include "IniText.h"
#include "oltrex/platform/PathText.h"
#include "oltrex/platform/SafeFile.h"

namespace oltrex::simkey {
namespace fs = std::filesystem;

namespace {

bool fail(std::string* error, std::string why) {
    if (error) *error = std::move(why);
    return false;
}

bool allOf(std::string_view text, std::size_t length, int (*accept)(int)) {
    return text.size() == length && std::all_of(text.begin(), text.end(), [&](char c) {
               return accept(static_cast<unsigned char>(c)) != 0;
           });
}

bool isFourDigits(std::string_view text) {
    return allOf(text, 4, ::isdigit);
}

std::optional<std::string> readText(const fs::path& path, std::string* error) {
    oltrex::Bytes bytes;
    std::error_code ec;
    if (!oltrex::readWholeFile(path, bytes, ec)) {
        fail(error, "cannot read " + oltrex::utf8Of(path) + ": " + ec.message());
        return std::nullopt;
    }
    return std::string(bytes.begin(), bytes.end());
}

bool replaceText(const fs::path& path, const std::string& text, std::string* error) {
    std::error_code ec;
    if (!oltrex::replaceFile(path, reinterpret_cast<const std::uint8_t*>(text.data()), text.size(),
                             ec))
        return fail(error, "cannot write " + oltrex::utf8Of(path) + ": " + ec.message());
    return true;
}

std::string joinNames(const std::vector<std::string>& names) {
    std::string out;
    for (const auto& name : names) {
        if (!out.empty()) out += ',';
        out += name;
    }
    return out;
}

std::vector<std::pair<std::string, std::string>> faultValues(const KeyFaults& faults) {
    return {{"fail_read", joinNames(faults.failRead)},
            {"fail_keyinfo", faults.failKeyInfo ? "1" : "0"},
            {"read_delay_ms", std::to_string(faults.readDelayMs)}};
}

bool parseFlag(const std::optional<std::string>& value, bool& out) {
    if (!value || value->empty() || *value == "0") {
        out = false;
        return true;
    }
    if (*value == "1") {
        out = true;
        return true;
    }
    return false;
}

bool parseMilliseconds(const std::optional<std::string>& value, std::uint32_t& out) {
    out = 0;
    if (!value || value->empty()) return true;
    if (value->size() > 9 || !std::all_of(value->begin(), value->end(), ::isdigit)) return false;
    out = static_cast<std::uint32_t>(std::stoul(*value));
    return true;
}

std::vector<std::string> splitNames(const std::optional<std::string>& value) {
    std::vector<std::string> names;
    if (!value) return names;
    std::string_view rest = *value;
    while (!rest.empty()) {
        std::size_t comma = rest.find(',');
        std::string_view name = trimmed(rest.substr(0, comma));
        if (!name.empty()) names.emplace_back(name);
        if (comma == std::string_view::npos) break;
        rest.remove_prefix(comma + 1);
    }
    return names;
}

// A regular file that is not a symbolic link: the key never follows links out of its folder.
bool isRegularNoLink(const fs::path& path) {
    std::error_code ec;
    return fs::symlink_status(path, ec).type() == fs::file_type::regular;
}

}  // namespace

fs::path keyIniPath(const fs::path& folder) {
    return folder / "key.ini";
}
fs::path keyFilesPath(const fs::path& folder) {
    return folder / "files";
}
fs::path keyFilePath(const fs::path& folder, std::string_view name) {
    return keyFilesPath(folder) / oltrex::pathFromUtf8(name);
}

bool isKeyPlugged(const fs::path& folder) {
    std::error_code ec;
    return !folder.empty() && fs::is_regular_file(keyIniPath(folder), ec);
}

bool isValidIdentity(const KeyIdentity& identity, std::string* error) {
    if (!allOf(identity.series, 2, ::isalpha))
        return fail(error, "series must be two letters: \"" + identity.series + "\"");
    if (!allOf(identity.number, 10, ::isdigit))
        return fail(error, "key number must be ten digits: \"" + identity.number + "\"");
    if (!isFourDigits(identity.firmware))
        return fail(error, "firmware must be four digits: \"" + identity.firmware + "\"");
    return true;
}

bool isPlainFileName(std::string_view name) {
    if (name.empty() || name.size() > kMaxKeyFileName || name.front() == '.') return false;
    return std::none_of(name.begin(), name.end(), [](char c) {
        auto u = static_cast<unsigned char>(c);
        return c == '/' || c == '\\' || c == ':' || u < 0x20 || u == 0x7F;
    });
}

bool createKey(const fs::path& folder, const KeyIdentity& identity, std::string* error) {
    if (!isValidIdentity(identity, error)) return false;
    std::error_code ec;
    fs::create_directories(keyFilesPath(folder), ec);
    if (ec)
        return fail(error, "cannot create " + oltrex::utf8Of(keyFilesPath(folder)) + ": " + ec.message());
    KeyIni ini;
    ini.identity = identity;
    IniText text;
    text.replaceSection("key", {{"series", identity.series},
                                {"number", identity.number},
                                {"firmware", identity.firmware},
                                {"bootloader", "0"}});
    std::string content = text.text();
    // O_EXCL: an existing key is never overwritten.
    if (!oltrex::createNewFile(keyIniPath(folder),
                               reinterpret_cast<const std::uint8_t*>(content.data()),
                               content.size(), ec)) {
        if (ec == std::errc::file_exists)
            return fail(error, oltrex::utf8Of(folder) + " already holds a key");
        return fail(error, "cannot write " + oltrex::utf8Of(keyIniPath(folder)) + ": " + ec.message());
    }
    return true;
}

std::optional<KeyIni> readKeyIni(const fs::path& folder, std::string* error) {
    auto content = readText(keyIniPath(folder), error);
    if (!content) return std::nullopt;
    IniText text = IniText::parse(*content);
    KeyIni ini;
    ini.identity.series = text.get("key", "series").value_or("");
    ini.identity.number = text.get("key", "number").value_or("");
    ini.identity.firmware = text.get("key", "firmware").value_or("");
    if (!isValidIdentity(ini.identity, error)) return std::nullopt;
    if (!parseFlag(text.get("key", "bootloader"), ini.bootloader)) {
        fail(error, "bootloader must be 0 or 1");
        return std::nullopt;
    }
    ini.faults.failRead = splitNames(text.get("faults", "fail_read"));
    if (!parseFlag(text.get("faults", "fail_keyinfo"), ini.faults.failKeyInfo)) {
        fail(error, "fail_keyinfo must be 0 or 1");
        return std::nullopt;
    }
    if (!parseMilliseconds(text.get("faults", "read_delay_ms"), ini.faults.readDelayMs)) {
        fail(error, "read_delay_ms must be a number of milliseconds");
        return std::nullopt;
    }
    return ini;
}

bool writeKeyIni(const fs::path& folder, const KeyIni& ini, std::string* error) {
    if (!isValidIdentity(ini.identity, error)) return false;
    IniText text;
    text.replaceSection("key", {{"series", ini.identity.series},
                                {"number", ini.identity.number},
                                {"firmware", ini.identity.firmware},
                                {"bootloader", ini.bootloader ? "1" : "0"}});
    text.replaceSection("faults", faultValues(ini.faults));
    return replaceText(keyIniPath(folder), text.text(), error);
}

bool setKeyIniValue(const fs::path& folder, std::string_view section, std::string_view name,
                    std::string_view value, std::string* error) {
    auto content = readText(keyIniPath(folder), error);
    if (!content) return false;
    IniText text = IniText::parse(*content);
    text.set(section, name, value);
    return replaceText(keyIniPath(folder), text.text(), error);
}

bool setFirmware(const fs::path& folder, std::string_view fourDigits, std::string* error) {
    if (!isFourDigits(fourDigits))
        return fail(error, "firmware must be four digits: \"" + std::string(fourDigits) + "\"");
    return setKeyIniValue(folder, "key", "firmware", fourDigits, error);
}

bool setBootloader(const fs::path& folder, bool on, std::string* error) {
    return setKeyIniValue(folder, "key", "bootloader", on ? "1" : "0", error);
}

bool setFaults(const fs::path& folder, const KeyFaults& faults, std::string* error) {
    for (const auto& name : faults.failRead)
        if (name.find(',') != std::string::npos || trimmed(name) != name || name.empty())
            return fail(error, "fail_read cannot hold the name \"" + name + "\"");
    auto content = readText(keyIniPath(folder), error);
    if (!content) return false;
    IniText text = IniText::parse(*content);
    text.replaceSection("faults", faultValues(faults));
    return replaceText(keyIniPath(folder), text.text(), error);
}

bool writeKeyFile(const fs::path& folder, std::string_view name, const Bytes& bytes,
                  std::string* error) {
    if (!isPlainFileName(name))
        return fail(error, "not a key file name: \"" + std::string(name) + "\"");
    std::error_code ec;
    const fs::path files = keyFilesPath(folder);
    fs::create_directories(files, ec);
    if (ec) return fail(error, "cannot create " + oltrex::utf8Of(files) + ": " + ec.message());
    // The temporary name starts with "." so that a directory read never lists it.
    static thread_local std::mt19937_64 random{std::random_device{}()};
    fs::path temp;
    bool created = false;
    for (int attempt = 0; attempt < 16 && !created; ++attempt) {
        temp = files / oltrex::pathFromUtf8("." + std::string(name) + ".part-" +
                                            std::to_string(random() % 1000000000ULL));
        created = oltrex::createNewFile(temp, bytes.data(), bytes.size(), ec);
        if (!created && ec != std::errc::file_exists) break;
    }
    if (!created)
        return fail(error, "cannot write a file in " + oltrex::utf8Of(files) + ": " + ec.message());
    const fs::path target = keyFilePath(folder, name);
    fs::rename(temp, target, ec);  // replaces a file of that name on every platform
    if (ec) {
        std::error_code ignored;
        fs::remove(temp, ignored);
        return fail(error, "cannot store " + oltrex::utf8Of(target) + ": " + ec.message());
    }
    if (!oltrex::syncFolder(files, ec))
        return fail(error, "cannot sync " + oltrex::utf8Of(files) + ": " + ec.message());
    return true;
}

std::optional<Bytes> readKeyFile(const fs::path& folder, std::string_view name,
                                 std::string* error) {
    if (!isPlainFileName(name)) {
        fail(error, "not a key file name: \"" + std::string(name) + "\"");
        return std::nullopt;
    }
    const fs::path path = keyFilePath(folder, name);
    if (!isRegularNoLink(path)) {
        fail(error, "no such key file: \"" + std::string(name) + "\"");
        return std::nullopt;
    }
    oltrex::Bytes bytes;
    std::error_code ec;
    if (!oltrex::readWholeFile(path, bytes, ec)) {
        fail(error, "cannot read " + oltrex::utf8Of(path) + ": " + ec.message());
        return std::nullopt;
    }
    return bytes;
}

bool deleteKeyFile(const fs::path& folder, std::string_view name, std::string* error) {
    if (!isPlainFileName(name))
        return fail(error, "not a key file name: \"" + std::string(name) + "\"");
    const fs::path path = keyFilePath(folder, name);
    if (!isRegularNoLink(path))
        return fail(error, "no such key file: \"" + std::string(name) + "\"");
    std::error_code ec;
    if (!fs::remove(path, ec))
        return fail(error, "cannot delete " + oltrex::utf8Of(path) + ": " + ec.message());
    oltrex::syncFolder(keyFilesPath(folder), ec);
    return true;
}

std::vector<KeyFileInfo> listKeyFiles(const fs::path& folder) {
    std::vector<KeyFileInfo> files;
    std::error_code ec;
    for (fs::directory_iterator it(keyFilesPath(folder), ec), end; !ec && it != end;
         it.increment(ec)) {
        std::string name = oltrex::utf8Of(it->path().filename());
        if (!isPlainFileName(name) || !isRegularNoLink(it->path())) continue;
        std::error_code sizeError;
        auto size = fs::file_size(it->path(), sizeError);
        if (sizeError) continue;  // vanished meanwhile
        files.push_back({std::move(name), size});
    }
    std::sort(files.begin(), files.end(),
              [](const auto& a, const auto& b) { return a.name < b.name; });
    return files;
}

}  // namespace oltrex::simkey
