#pragma once
// The conversion context: what one container run works with. It carries the
// installation class and language read from the machine settings, the folder
// text and mode of the current run, KeyFetch's private work folder and the six
// entry points of the cipher library "HIME" (libhime.so, loaded by name).
// A context whose cipher library is missing or incomplete is unusable, and
// every container run with it fails at once.
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>

#include "hime.h"
#include "oltrex/platform/Clock.h"
#include "oltrex/platform/DynamicLibrary.h"
#include "oltrex/platform/Settings.h"

namespace oltrex {

// Settings key paths (registry paths, local-machine root, read only).
inline constexpr const char* kKeySettingsPath = "Software\\OLTREX\\OLTREX-KEY";
inline constexpr const char* kTachographSettingsPath = "Software\\OLTREX\\Tachograph";

// The name under which the cipher library is loaded: beside the program first,
// then along the loader's search path.
#ifdef _WIN32
inline constexpr const char* kCipherLibraryName = "hime.dll";
#else
inline constexpr const char* kCipherLibraryName = "libhime.so";
#endif

inline constexpr int kInstallationClassDefault = 5;
inline constexpr int kInstallationClassBeh = 10;

// The six entry points of the cipher library.
struct CipherEntryPoints {
    HI_PUTREGADD_fn putRegAdd = nullptr;
    HI_GETREG_fn getReg = nullptr;
    HI_REGGETLEN_fn regGetLen = nullptr;
    HI_ENCRYPT_AES_CBC_fn encryptAesCbc = nullptr;
    HI_DECRYPT_AES_CBC_fn decryptAesCbc = nullptr;
    HI_REGCLEAR_fn regClear = nullptr;

    bool complete() const {
        return putRegAdd && getReg && regGetLen && encryptAesCbc && decryptAesCbc && regClear;
    }
};

struct ContextOptions {
    // Registry stand-in; nullptr uses machineSettings().
    const SettingsStore* settings = nullptr;
    // Local time for names and header times; nullptr uses systemClock().
    Clock* clock = nullptr;
    // Name or path handed to the loader.
    std::string cipherLibrary = kCipherLibraryName;
    // Tests: use these entry points instead of loading a library. A table
    // that lacks an entry point leaves the context unusable.
    const CipherEntryPoints* cipherTable = nullptr;
    // KeyFetch's private work folder: "the temporary folder" of the container
    // maker (working names, clean-up). Never the shared system temporary folder.
    std::filesystem::path workFolder;
};

class ConversionContext {
public:
    explicit ConversionContext(ContextOptions options = {});
    ~ConversionContext();
    ConversionContext(const ConversionContext&) = delete;
    ConversionContext& operator=(const ConversionContext&) = delete;

    // Working text of the container maker: at creation the "InstTyp" value;
    // each run replaces it by the container folder (ending in a separator
    // when read from the settings); in EU mode the run leaves "EU/" appended.
    std::string folder;
    // 0 while a container is made, 1 while an EU file is made.
    int mode = 0;
    // Set by each run of the container maker: why it could not take the whole
    // local file; empty when it took all of it.
    std::string untaken;

    // 0 when the cipher library is ready, -1 otherwise.
    int unusable() const { return unusable_; }
    bool usable() const { return unusable_ == 0; }
    // 10 when "InstTyp" is exactly "BEH", else 5.
    int installationClass() const { return installationClass_; }
    // "Language" of the key settings; empty when absent.
    const std::string& language() const { return language_; }

    const CipherEntryPoints& cipher() const { return cipher_; }
    const SettingsStore& settings() const { return *settings_; }
    Clock& clock() const { return *clock_; }
    const std::filesystem::path& workFolder() const { return workFolder_; }
    void setWorkFolder(std::filesystem::path folder) { workFolder_ = std::move(folder); }

private:
    // Created and released with the context; it has no behaviour of its own.
    class Companion {
    public:
        virtual ~Companion() = default;
        virtual void release(int flags);
    };

    void loadCipher(const ContextOptions& options);

    const SettingsStore* settings_;
    Clock* clock_;
    std::filesystem::path workFolder_;
    std::unique_ptr<Companion> companion_;
    int unusable_ = -1;
    int installationClass_ = kInstallationClassDefault;
    std::string language_;
    DynamicLibrary cipherLibrary_;
    CipherEntryPoints cipher_;
};

// Container runs never overlap: they share working names in the work folder
// and the registers of the cipher library. Whoever starts a run (the container
// store, an import) holds this process-wide lock around it.
std::mutex& containerRunMutex();

}  // namespace oltrex
