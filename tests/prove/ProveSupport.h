#pragma once
// Shared pieces of the resource-fault tests: temporary folders, simulated
// keys made from the test-data builder, small file systems mounted in the
// test's own mount namespace, KeyFetch run as a program, and the check that
// every file that left a key is in a container that reads back to it.
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "oltrex/dlcreader/ContainerReader.h"
#include "oltrex/platform/Folders.h"
#include "oltrex/simkey/KeyFolder.h"
#include "oltrex/testdata/CardBuilder.h"
#include "oltrex/testdata/EuImport.h"
#include "oltrex/testdata/VehicleUnitBuilder.h"

namespace prove {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;
namespace td = oltrex::testdata;

inline Bytes readBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline std::string readText(const fs::path& path) {
    const Bytes b = readBytes(path);
    return std::string(b.begin(), b.end());
}

inline void writeText(const fs::path& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

// A private folder removed with everything in it at the end.
class TempFolder {
  public:
    TempFolder() {
        std::error_code ec;
        path_ = oltrex::createPrivateFolder(oltrex::systemTempFolder(), "oltrex-prove-", ec);
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

// A small mix of files: vehicle units and cards of both generations, and the
// key's own log, which stays on the key.
inline std::vector<td::KeyFile> mixedKeyFiles(std::uint64_t seed = 3) {
    std::vector<td::KeyFile> files;
    td::VehicleUnitOptions vu;
    vu.seed = seed;
    vu.activityDays = 2;
    vu.speedMinutes = 10;
    files.push_back(td::buildVehicleUnitFile(vu));
    vu.generation = td::Generation::Second;
    vu.seed = seed + 1;
    vu.sBlocks = td::defaultSBlocks();
    files.push_back(td::buildVehicleUnitFile(vu));
    td::CardOptions card;
    card.seed = seed + 2;
    files.push_back(td::buildCardFile(card));
    card.type = td::CardType::Workshop;
    card.generation = td::Generation::Second;
    card.seed = seed + 3;
    files.push_back(td::buildCardFile(card));
    const std::string log = "key log\r\n";
    files.push_back({"oltrexlog_2022-03-11_14-05-09.txt", Bytes(log.begin(), log.end())});
    return files;
}

inline bool keysOwnFile(const std::string& name) {
    return name.find("oltrexlog") != std::string::npos || name.find("TREP") != std::string::npos;
}

// A key folder holding `files`.
inline void makeKey(const fs::path& folder, const std::vector<td::KeyFile>& files,
                    const std::string& series = "OX", const std::string& firmware = "0120") {
    oltrex::simkey::KeyIdentity id;
    id.series = series;
    id.firmware = firmware;
    std::string error;
    ASSERT_TRUE(oltrex::simkey::createKey(folder, id, &error)) << error;
    for (const auto& f : files)
        ASSERT_TRUE(oltrex::simkey::writeKeyFile(folder, f.name, f.bytes, &error)) << error;
}

inline std::vector<std::string> keyFileNames(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& f : oltrex::simkey::listKeyFiles(folder)) names.push_back(f.name);
    return names;
}

// The regular files of a folder (no sub-folders), sorted.
inline std::vector<fs::path> filesIn(const fs::path& folder) {
    std::vector<fs::path> out;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        if (it->is_regular_file()) out.push_back(it->path());
    std::sort(out.begin(), out.end());
    return out;
}

// What became of the files of a key after a download under a fault.
struct FilingCheck {
    std::vector<std::string> lost;         // gone from the key, in no container
    std::vector<std::string> filed;        // gone from the key, in a container
    std::vector<std::string> onKey;        // still on the key
    std::vector<std::string> unreadable;   // containers that do not read back
    std::vector<std::string> workingLeft;  // hidden working files in the container folder
};

// Compares the files the key held with what it holds now and with the
// containers of `containers` (decrypted with the container reader).
inline FilingCheck checkFiling(const std::vector<td::KeyFile>& original, const fs::path& keyFolder,
                               const fs::path& containers) {
    FilingCheck check;
    std::map<Bytes, int> inContainers;
    for (const fs::path& path : filesIn(containers)) {
        const std::string name = path.filename().string();
        if (name.rfind(".", 0) == 0) {
            check.workingLeft.push_back(name);
            continue;
        }
        const auto container = oltrex::dlc::readContainerFile(path);
        if (!container.ok()) {
            check.unreadable.push_back(name + ": " + container.message);
            continue;
        }
        ++inContainers[oltrex::dlc::euDownloadFile(container.value)];
    }
    const std::vector<std::string> remaining = keyFileNames(keyFolder);
    for (const auto& f : original) {
        if (std::find(remaining.begin(), remaining.end(), f.name) != remaining.end()) {
            check.onKey.push_back(f.name);
            continue;
        }
        td::WalkError error;
        const auto eu = td::euFileOfKeyForm(f.bytes, error);
        if (eu && inContainers.count(*eu) != 0) {
            check.filed.push_back(f.name);
        } else {
            check.lost.push_back(f.name);
        }
    }
    return check;
}

inline std::string joined(const std::vector<std::string>& items) {
    std::string out;
    for (const auto& i : items) out += (out.empty() ? "" : ", ") + i;
    return out.empty() ? "none" : out;
}

// Nothing left the key that is not filed, every container reads back, and
// no working file stays behind in the container folder.
#define EXPECT_NOTHING_LOST(check)                                                      \
    do {                                                                                \
        EXPECT_TRUE((check).lost.empty()) << "lost: " << prove::joined((check).lost);   \
        EXPECT_TRUE((check).unreadable.empty()) << prove::joined((check).unreadable);   \
        EXPECT_TRUE((check).workingLeft.empty()) << prove::joined((check).workingLeft); \
    } while (0)

// ---- Small file systems -----------------------------------------------------

// Gives the process mounts of its own, so that what a test mounts is seen by
// nobody else and vanishes with the process. The error text when that is
// not possible (no CAP_SYS_ADMIN, a sandbox without mount namespaces).
inline std::optional<std::string> ownMountNamespace() {
    static std::optional<std::string> result = []() -> std::optional<std::string> {
        if (::unshare(CLONE_NEWNS) != 0)
            return std::string("unshare(CLONE_NEWNS): ") + std::strerror(errno);
        if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
            return std::string("making the mounts private: ") + std::strerror(errno);
        return std::nullopt;
    }();
    return result;
}

// A tmpfs of `sizeBytes` mounted at `at` (created when missing), read-only on
// request, unmounted again at the end.
class SmallFileSystem {
  public:
    SmallFileSystem(const fs::path& at, std::size_t sizeBytes, bool readOnly = false) : at_(at) {
        if (auto problem = ownMountNamespace()) {
            error_ = *problem;
            return;
        }
        std::error_code ec;
        fs::create_directories(at_, ec);
        const std::string options = "size=" + std::to_string(sizeBytes) + ",mode=0700";
        if (::mount("tmpfs", at_.c_str(), "tmpfs", readOnly ? MS_RDONLY : 0, options.c_str()) !=
            0) {
            error_ = std::string("mount -t tmpfs: ") + std::strerror(errno);
            return;
        }
        mounted_ = true;
    }
    ~SmallFileSystem() { unmount(); }
    SmallFileSystem(const SmallFileSystem&) = delete;
    SmallFileSystem& operator=(const SmallFileSystem&) = delete;

    bool mounted() const { return mounted_; }
    const std::string& error() const { return error_; }

    // Remounts read-only (files made before stay).
    bool makeReadOnly() {
        if (::mount(nullptr, at_.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0)
            return true;
        error_ = std::string("remount read-only: ") + std::strerror(errno);
        return false;
    }
    void unmount() {
        if (mounted_) ::umount2(at_.c_str(), MNT_DETACH);
        mounted_ = false;
    }

  private:
    fs::path at_;
    bool mounted_ = false;
    std::string error_;
};

#define SKIP_UNLESS_MOUNTED(fsys)                                                    \
    if (!(fsys).mounted())                                                           \
    GTEST_SKIP() << "a small file system cannot be mounted here (" << (fsys).error() \
                 << "); run the test as root with CAP_SYS_ADMIN to cover this fault"

// ---- KeyFetch as a program ------------------------------------------------------

inline fs::path binFolder() {
    const char* bin = std::getenv("OLTREX_BIN");
    return bin != nullptr ? fs::path(bin) : fs::path();
}

struct ProgramRun {
    int status = -1;     // exit status, or 128 + signal
    std::string output;  // standard output and standard error
};

// Runs `command` through the shell with standard output and error collected.
inline ProgramRun runCommand(const std::string& command, const fs::path& scratch) {
    const fs::path out = scratch / "program-output.txt";
    const int raw = std::system((command + " >'" + out.string() + "' 2>&1").c_str());
    ProgramRun run;
    if (raw != -1 && WIFEXITED(raw)) run.status = WEXITSTATUS(raw);
    if (raw != -1 && WIFSIGNALED(raw)) run.status = 128 + WTERMSIG(raw);
    run.output = readText(out);
    fs::remove(out);
    return run;
}

inline std::string quoted(const fs::path& p) {
    return "'" + p.string() + "'";
}

// The registry stand-in for a download into `containers`.
inline fs::path writeRegistry(const fs::path& folder, const fs::path& containers) {
    const fs::path ini = folder / "registry.ini";
    writeText(
        ini, "[Software\\OLTREX\\Tachograph]\nContainerPath=" + containers.string() +
                 "\nInstTyp=\n[Software\\OLTREX\\OLTREX-KEY]\nMakeEU=1\nNoDelete=0\nLanguage=DE\n");
    return ini;
}

// KeyFetch's headless download of `key` with the trace on; `tmp` is its
// temporary folder (where it makes its private work folder).
inline ProgramRun runKeyFetch(const fs::path& program, const fs::path& registry,
                              const fs::path& key, const fs::path& tmp, const fs::path& scratch) {
    const std::string command =
        "OLTREX_REGISTRY=" + quoted(registry) + " OLTREX_KEY=" + quoted(key) +
        " TMPDIR=" + quoted(tmp) + " OLTREX_BOOTSIM_AUTOSTART=0 " + quoted(program) +
        " --headless --start --make-eu --tick-ms 1 --display lines --wait-seconds 20 --trace";
    return runCommand(command, scratch);
}

}  // namespace prove
