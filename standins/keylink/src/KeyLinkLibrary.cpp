// The key library's C entry points over a simulated key folder ($OLTREX_KEY).
// Every call looks at the folder again, so moving folders plugs, unplugs and
// exchanges keys. One mutex serialises the calls, as the one device would.
// The same code makes libkeylink.so and the tests' keylink.dll; CallerSide
// and BootSimLauncher hold what differs between the platforms.
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "BootSimLauncher.h"
#include "CallerSide.h"
#include "KeyLinkResult.h"
#include "oltrex/device/keylink.h"
#include "oltrex/platform/PathText.h"
#include "oltrex/platform/Process.h"
#include "oltrex/simkey/SimKey.h"

namespace fs = std::filesystem;
using namespace oltrex::simkey;

namespace {

std::mutex gMutex;
bool gSecureMode = false;  // a key leaves secure mode when it is unplugged

struct AnsweringKey {
    fs::path folder;
    KeyIni ini;
};

// The key in the adapter, or the reason why none answers. In its boot loader
// the key serves no files and gives no key information.
int findKey(std::optional<AnsweringKey>& key, bool allowBootLoader = false) {
    const auto env = oltrex::environmentValue("OLTREX_KEY");
    fs::path folder = env ? oltrex::pathFromUtf8(*env) : fs::path();
    if (!isKeyPlugged(folder)) {
        gSecureMode = false;
        return KL_NO_KEY;
    }
    auto ini = readKeyIni(folder);
    if (!ini) return KL_NO_KEY;
    if (ini->bootloader && !allowBootLoader) return KL_IN_BOOT_LOADER;
    key = AnsweringKey{std::move(folder), std::move(*ini)};
    return KL_OK;
}

void copyCut(const std::string& text, char* buffer, std::size_t size) {
    std::size_t n = std::min(text.size(), size - 1);
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
}

// "<name>\<access code>" asks for the protected form; a wrong code is refused.
int splitRemoteName(const char* remoteName, std::string& name, bool& protectedRead) {
    const auto text = textFromCaller(remoteName);
    if (!text) return KL_BAD_ARGUMENT;
    const std::string& remote = *text;
    std::size_t slash = remote.rfind('\\');
    protectedRead = slash != std::string::npos;
    name = protectedRead ? remote.substr(0, slash) : remote;
    if (protectedRead && remote.substr(slash + 1) != kAccessCode) return KL_WRONG_ACCESS_CODE;
    return isPlainFileName(name) ? KL_OK : KL_BAD_ARGUMENT;
}

int enterBootLoader() {
    std::lock_guard guard(gMutex);
    std::optional<AnsweringKey> key;
    if (int rc = findKey(key, /*allowBootLoader=*/true); rc != KL_OK) return rc;
    if (!setBootloader(key->folder, true)) return KL_IO_ERROR;
    gSecureMode = false;
    return startBootSimulator(key->folder) == 0 ? KL_OK : KL_BOOT_LOADER_UNREACHABLE;
}

}  // namespace

extern "C" {

int KL_GetKeyInfo(char* text, int size) {
    if (!text || size <= 0) return KL_BAD_ARGUMENT;
    text[0] = '\0';
    std::lock_guard guard(gMutex);
    std::optional<AnsweringKey> key;
    if (int rc = findKey(key); rc != KL_OK) return rc;
    if (key->ini.faults.failKeyInfo) return KL_FAULT;
    copyCut(keyInfoText(key->ini.identity), text, static_cast<std::size_t>(size));
    return KL_OK;
}

int _getSerialNumber(char* record) {
    if (!record) return KL_BAD_ARGUMENT;
    record[0] = '\0';
    std::lock_guard guard(gMutex);
    std::optional<AnsweringKey> key;
    if (int rc = findKey(key); rc != KL_OK) return rc;
    if (key->ini.faults.failKeyInfo) return KL_FAULT;
    copyCut(serialNumberText(key->ini.identity), record, 32);
    return KL_OK;
}

int KL_ReadDirectory(char* const* entries) {
    if (!entries) return KL_BAD_ARGUMENT;
    std::lock_guard guard(gMutex);
    for (int i = 0; i < KL_DIR_ENTRIES; ++i)
        if (entries[i]) std::memset(entries[i], 0, KL_DIR_ENTRY_SIZE);
    std::optional<AnsweringKey> key;
    if (int rc = findKey(key); rc != KL_OK) return rc;
    int slot = 0;
    for (const auto& file : listKeyFiles(key->folder)) {
        const auto name = textForCaller(file.name);
        if (!name) continue;  // a name the caller could not give back
        std::string entry = directoryEntry(file.size, *name);
        if (entry.size() >= KL_DIR_ENTRY_SIZE) continue;  // never a cut name
        while (slot < KL_DIR_ENTRIES && !entries[slot]) ++slot;
        if (slot == KL_DIR_ENTRIES) break;
        std::memcpy(entries[slot++], entry.c_str(), entry.size() + 1);
    }
    return KL_OK;
}

int KL_ReadFile(const char* remoteName, const char* localPath) {
    if (!remoteName || !localPath || !*localPath) return KL_BAD_ARGUMENT;
    std::string name;
    bool protectedRead = false;
    if (int rc = splitRemoteName(remoteName, name, protectedRead); rc != KL_OK) return rc;
    const auto local = textFromCaller(localPath);
    if (!local) return KL_BAD_ARGUMENT;

    std::lock_guard guard(gMutex);
    std::optional<AnsweringKey> key;
    if (int rc = findKey(key); rc != KL_OK) return rc;
    const KeyFaults& faults = key->ini.faults;
    if (faults.readDelayMs > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(faults.readDelayMs));
    if (std::find(faults.failRead.begin(), faults.failRead.end(), name) != faults.failRead.end())
        return KL_FAULT;

    auto bytes = readKeyFile(key->folder, name);
    if (!bytes) return KL_NO_SUCH_FILE;
    if (gSecureMode) {
        bytes = secureForm(name, *bytes);
        if (!bytes) return KL_NOT_DELIVERABLE;
    }
    if (protectedRead) bytes = protectedForm(*bytes);
    return writeLocalFile(oltrex::pathFromUtf8(*local), *bytes);
}

int KL_DeleteFile(const char* callerName) {
    const auto name = callerName ? textFromCaller(callerName) : std::nullopt;
    if (!name || !isPlainFileName(*name)) return KL_BAD_ARGUMENT;
    std::lock_guard guard(gMutex);
    std::optional<AnsweringKey> key;
    if (int rc = findKey(key); rc != KL_OK) return rc;
    return deleteKeyFile(key->folder, *name) ? KL_OK : KL_NO_SUCH_FILE;
}

int KL_FirmwareUpdateMode(void) {
    return enterBootLoader();
}

int _initSwDownLoad(void) {
    return enterBootLoader();
}

int KL_BeginSecureMode(void) {
    std::lock_guard guard(gMutex);
    std::optional<AnsweringKey> key;
    if (int rc = findKey(key); rc != KL_OK) return rc;
    gSecureMode = true;
    return KL_OK;
}

int KL_EndSecureMode(void) {
    std::lock_guard guard(gMutex);
    gSecureMode = false;
    std::optional<AnsweringKey> key;
    return findKey(key);
}

}  // extern "C"
